// The field editor: the field list, the form, the link and cascade groups.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>

#include "designer/text_rules.h"
#include "designer_window.h"

using tabulon::catalogue::Field;
using tabulon::testing::DesignerWindow;

namespace {

// Opens 流水帐 (table 27): 收支 158, 消费类型 159, 名称 160, 金额 161, 日期 162.
void openLedger(DesignerWindow& designer) { designer.pickEntry("列表框1", QStringLiteral("流水帐")); }

void openNewTable(DesignerWindow& designer, const QString& name) {
    designer.type("编辑框1", name);
    designer.click("按钮3");
    designer.pickEntry("列表框1", name);
}

bool shown(DesignerWindow& designer, const char* group) { return designer.find<QGroupBox>(group)->isVisible(); }

}  // namespace

class FieldEditorTest : public QObject {
    Q_OBJECT
private slots:
    void typingIdLowerCaseFillsTheKeyField() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral("id"));
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("自动编号"));
        QCOMPARE(designer.text("编辑框6"), QStringLiteral("自动编号"));
        QCOMPARE(designer.focused(), QStringLiteral("按钮9"));
    }

    void otherCasesOfIdAreOrdinaryNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("ID") << QStringLiteral("ID");
        QTest::newRow("Id") << QStringLiteral("Id");
        QTest::newRow("iD") << QStringLiteral("iD");
    }

    void otherCasesOfIdAreOrdinaryNames() {
        QFETCH(QString, name);
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", name);
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("文本"));
        QCOMPARE(designer.text("编辑框6"), QString());
        QCOMPARE(designer.focused(), QStringLiteral("编辑框5"));
    }

    void fieldListShowsTheLedgerInOrder() {
        DesignerWindow designer;
        openLedger(designer);
        QCOMPARE(designer.fieldRows(), 5);
        QCOMPARE(designer.fieldRow(0), (QStringList{"1", "收支", "文本", "", "组合框", "收支", "一级分类", "消费类型",
                                                    "类型名称", "收支类型", "消费类型"}));
        QCOMPARE(designer.fieldRow(4).mid(0, 5), (QStringList{"5", "日期", "日期时间", "", "文本框"}));
        // The next field is proposed 3 after the last order (15).
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("18"));
        QCOMPARE(designer.entries("组合框13"), (QStringList{"收支", "消费类型", "名称", "金额", "日期"}));
    }

    void spacesAndNamesTheDatabaseCannotTellApartAreRefused() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral(" 名\u3000称 "));
        designer.click("按钮9");
        QCOMPARE(designer.shown(), QStringList{"字段名“ 名\u3000称 ”不能用：名称含有不能用的字符“空格”，未保存。"});
        designer.clearShown();
        designer.type("编辑框5", QStringLiteral("名称"));
        designer.click("按钮9");
        QCOMPARE(designer.shown(), QStringList{"该表存在同名字段"});
        QCOMPARE(designer.inspect().fields(27, tabulon::catalogue::FieldOrder::ById).size(), std::size_t{5});
        // The form keeps what was typed, to be corrected.
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("名称"));
        designer.clearShown();
        designer.type("编辑框5", QStringLiteral("myfield"));
        designer.click("按钮9");
        designer.type("编辑框5", QStringLiteral("MyField"));
        designer.click("按钮9");
        QCOMPARE(designer.shown(), QStringList{"该表存在同名字段"});
        QVERIFY(!designer.inspect().fieldByName(27, "MyField"));

        designer.clearShown();
        designer.type("编辑框5", QStringLiteral("备注"));
        designer.type("编辑框6", QStringLiteral(" 说明 "));
        designer.click("按钮9");
        QVERIFY(designer.shown().isEmpty());
        const auto field = designer.inspect().fieldByName(27, "备注");
        QVERIFY(field);
        QCOMPARE(field->description, std::string(" 说明 "));
    }

    void aTableWithoutFieldsProposesThreeThenNine() {
        DesignerWindow designer;
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        openNewTable(designer, QStringLiteral("空表"));
        QCOMPARE(designer.fieldRows(), 0);
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("3"));
        designer.type("编辑框5", QStringLiteral("名称"));
        designer.click("按钮9");
        QCOMPARE(designer.fieldRows(), 1);
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("9"));
        QCOMPARE(designer.focused(), QStringLiteral("编辑框5"));
        const auto table = designer.inspect().tableByName(4, "空表");
        const auto field = designer.inspect().fieldByName(table->id, "名称");
        QCOMPARE(field->order, std::int64_t{3});
        QCOMPARE(field->type, std::string("文本"));
        QCOMPARE(field->inputType, std::string("文本框"));
        // A field that never was a drop-down has no link; every cascade column says "0".
        QCOMPARE(field->linkTable, std::string());
        QCOMPARE(field->linkField, std::string());
        for (const auto* column :
             {&field->cascadeTable, &field->cascadeField, &field->cascadeCondition, &field->cascadeDisplay})
            QCOMPARE(*column, std::string("0"));
    }

    void addNeedsAChosenTable() {
        DesignerWindow designer;
        designer.type("编辑框5", QStringLiteral("名称"));
        designer.click("按钮9");
        QCOMPARE(designer.shown(), QStringList{"请选择一个表"});
        QCOMPARE(designer.focused(), QStringLiteral("编辑框5"));
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("名称"));
        QCOMPARE(designer.inspect().allFields().size(), std::size_t{12});
    }

    void enterOnTheAddButtonAdds() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral("备注"));
        auto* add = designer.find<QPushButton>("按钮9");
        add->setFocus();
        QTest::keyClick(add, Qt::Key_Return);
        QVERIFY(designer.inspect().fieldByName(27, "备注"));
        designer.type("编辑框5", QStringLiteral("摘要"));
        add->setFocus();
        QTest::keyClick(add, Qt::Key_A);
        QTest::keyClick(add, Qt::Key_Escape);
        QVERIFY(!designer.inspect().fieldByName(27, "摘要"));
        add->setFocus();
        QTest::keyClick(add, Qt::Key_Enter);
        QVERIFY(designer.inspect().fieldByName(27, "摘要"));
        QCOMPARE(designer.fieldRows(), 7);
    }

    void tabMovesThroughTheFormInEntryOrder() {
        DesignerWindow designer;
        openLedger(designer);
        designer.find<QLineEdit>("编辑框5")->setFocus();
        QStringList visited{designer.focused()};
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << designer.focused();
        }
        QCOMPARE(visited, (QStringList{"编辑框5", "组合框2", "编辑框6", "编辑框7", "按钮9", "按钮8", "按钮7"}));
    }

    void loadingTheCascadeRowFillsBothGroups() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(0);  // 收支 (158)
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("收支"));
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("3"));
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("文本"));
        QCOMPARE(designer.chosen("组合框3"), QStringLiteral("组合框"));
        QVERIFY(shown(designer, "分组框6"));
        QCOMPARE(designer.entries("组合框4"), (QStringList{"用户", "收支", "消费类型", "流水帐"}));
        QCOMPARE(designer.chosen("组合框4"), QStringLiteral("收支"));
        QCOMPARE(designer.entries("组合框5"), (QStringList{"ID", "一级分类"}));
        QCOMPARE(designer.chosen("组合框5"), QStringLiteral("一级分类"));
        QVERIFY(shown(designer, "分组框8"));
        QVERIFY(designer.find<QCheckBox>("选择框8")->isChecked());
        QCOMPARE(designer.chosen("组合框12"), QStringLiteral("消费类型"));
        // Filled by ascending order when a row is loaded.
        QCOMPARE(designer.entries("组合框11"), (QStringList{"ID", "收支类型", "类型名称", "排序"}));
        QCOMPARE(designer.chosen("组合框11"), QStringLiteral("类型名称"));
        QCOMPARE(designer.chosen("组合框14"), QStringLiteral("收支类型"));
        QCOMPARE(designer.chosen("组合框13"), QStringLiteral("消费类型"));
    }

    void loadingARowWithoutLinksClosesTheGroups() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(0);
        designer.clickFieldRow(3);  // 金额: a text box without cascade
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("金额"));
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("单精度"));
        QVERIFY(!shown(designer, "分组框6"));
        QVERIFY(!shown(designer, "分组框8"));
        QVERIFY(!designer.find<QCheckBox>("选择框8")->isChecked());
    }

    void clickBesideTheRowsClosesTheGroupsOnly() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(0);
        designer.clickBesideFieldRows();
        QVERIFY(designer.find<QTreeWidget>("超级列表框1")->selectedItems().isEmpty());
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("收支"));
        QCOMPARE(designer.chosen("组合框3"), QStringLiteral("组合框"));
        QVERIFY(!shown(designer, "分组框6"));
        QVERIFY(!shown(designer, "分组框8"));
        QVERIFY(!designer.find<QCheckBox>("选择框8")->isChecked());
    }

    void arrowKeysLoadTheRowAndModifyChangesThatRowOnly() {
        DesignerWindow designer;
        openLedger(designer);
        const auto name = *designer.inspect().field(160);
        designer.clickFieldRow(2);  // 名称
        auto* list = designer.find<QTreeWidget>("超级列表框1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->selectedItems().front()->text(1), QStringLiteral("金额"));
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("金额"));
        designer.type("编辑框6", QStringLiteral("元"));
        designer.click("按钮8");
        QVERIFY(designer.shown().isEmpty());
        const auto amount = designer.inspect().field(161);
        QCOMPARE(amount->name, std::string("金额"));
        QCOMPARE(amount->description, std::string("元"));
        const auto untouched = designer.inspect().field(160);
        QCOMPARE(untouched->name, name.name);
        QCOMPARE(untouched->description, name.description);
        QCOMPARE(untouched->order, name.order);
    }

    void modifyActsOnTheLoadedRowWhateverTheHighlight() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(2);  // 名称 loaded
        auto* list = designer.find<QTreeWidget>("超级列表框1");
        {
            // The highlight moves without a load (as a program's selection does).
            const QSignalBlocker quiet(list);
            list->topLevelItem(3)->setSelected(true);
        }
        designer.type("编辑框6", QStringLiteral("品名"));
        designer.click("按钮8");
        QCOMPARE(designer.inspect().field(160)->description, std::string("品名"));
        QCOMPARE(designer.inspect().field(161)->name, std::string("金额"));
    }

    void loadingAFieldNamedIdLetsTheRowWin() {
        DesignerWindow designer;
        openLedger(designer);
        // id is the table's key: only as 自动编号, never as a second column.
        designer.type("编辑框5", QStringLiteral("id"));
        designer.pick("组合框2", QStringLiteral("长整型"));
        designer.click("按钮9");
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().startsWith(QStringLiteral("字段名“id”不能用：")));
        designer.pick("组合框2", QStringLiteral("自动编号"));
        designer.type("编辑框6", QStringLiteral("编号"));
        designer.click("按钮9");
        designer.clickFieldRow(0);
        designer.clickFieldRow(designer.fieldRows() - 1);  // "id", added last
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("id"));
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("自动编号"));
        QCOMPARE(designer.text("编辑框6"), QStringLiteral("编号"));
        // Loading a row leaves the focus in the list the user works in.
        QCOMPARE(designer.focused(), QStringLiteral("超级列表框1"));
    }

    void modifyWritesTheFormAndKeepsTheCascadeShown() {
        DesignerWindow designer;
        openLedger(designer);
        const auto before = *designer.inspect().field(158);
        QVERIFY(tabulon::designer::namesCascade(before.cascadeTable));
        designer.clickFieldRow(0);  // 收支, with a cascade
        designer.type("编辑框6", QStringLiteral("收入或支出"));
        designer.type("编辑框7", QStringLiteral("30x"));
        designer.click("按钮8");
        QVERIFY(designer.shown().isEmpty());
        const auto field = designer.inspect().field(158);
        QCOMPARE(field->description, std::string("收入或支出"));
        QCOMPARE(field->order, std::int64_t{30});
        QCOMPARE(field->tableId, std::int64_t{27});
        QCOMPARE(field->linkTable, std::string("25"));
        QCOMPARE(field->linkField, std::string("155"));
        QCOMPARE(field->cascadeTable, before.cascadeTable);
        QCOMPARE(field->cascadeField, before.cascadeField);
        QCOMPARE(field->cascadeCondition, before.cascadeCondition);
        QCOMPARE(field->cascadeDisplay, before.cascadeDisplay);
        QCOMPARE(designer.text("编辑框5"), QString());
        // The order proposed after the new last field (30).
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("33"));
        QCOMPARE(designer.fieldRow(4).mid(1, 1), QStringList{"收支"});  // now last by order
        QCOMPARE(designer.fieldRow(4).mid(7), (QStringList{"消费类型", "类型名称", "收支类型", "消费类型"}));
    }

    void cascadeSettingsRoundTrip() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral("子类"));
        designer.pick("组合框3", QStringLiteral("组合框"));
        designer.pick("组合框4", QStringLiteral("消费类型"));
        designer.pick("组合框5", QStringLiteral("类型名称"));
        auto* cascade = designer.find<QCheckBox>("选择框8");
        QTest::mouseClick(cascade, Qt::LeftButton, {}, QPoint(5, cascade->height() / 2));
        designer.pick("组合框12", QStringLiteral("消费类型"));
        designer.pick("组合框11", QStringLiteral("类型名称"));
        designer.pick("组合框14", QStringLiteral("收支类型"));
        designer.pick("组合框13", QStringLiteral("收支"));
        designer.click("按钮9");
        QVERIFY(designer.shown().isEmpty());
        const auto stored = designer.inspect().fieldByName(27, "子类");
        QVERIFY(stored);
        QCOMPARE(stored->cascadeTable, std::string("26"));
        QCOMPARE(stored->cascadeField, std::to_string(designer.inspect().fieldByName(26, "类型名称")->id));
        QCOMPARE(stored->cascadeCondition, std::to_string(designer.inspect().fieldByName(26, "收支类型")->id));
        QCOMPARE(stored->cascadeDisplay, std::string("158"));

        // Loaded again the group shows the same picks; switched off, modify stores "0".
        designer.clickFieldRow(designer.fieldRows() - 1);
        QVERIFY(cascade->isChecked());
        QCOMPARE(designer.chosen("组合框12"), QStringLiteral("消费类型"));
        QCOMPARE(designer.chosen("组合框11"), QStringLiteral("类型名称"));
        QCOMPARE(designer.chosen("组合框14"), QStringLiteral("收支类型"));
        QCOMPARE(designer.chosen("组合框13"), QStringLiteral("收支"));
        QTest::mouseClick(cascade, Qt::LeftButton, {}, QPoint(5, cascade->height() / 2));
        designer.click("按钮8");
        const auto off = designer.inspect().field(stored->id);
        for (const auto* column :
             {&off->cascadeTable, &off->cascadeField, &off->cascadeCondition, &off->cascadeDisplay})
            QCOMPARE(*column, std::string("0"));
    }

    void aFormerDropDownKeepsItsLinkAsRawIds() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(1);  // 消费类型: 组合框 → 消费类型 / 类型名称
        designer.pick("组合框3", QStringLiteral("文本框"));
        QVERIFY(!shown(designer, "分组框6"));
        designer.click("按钮8");
        const auto field = designer.inspect().field(159);
        QCOMPARE(field->inputType, std::string("文本框"));
        QCOMPARE(field->linkTable, std::string("26"));
        QCOMPARE(field->linkField, std::string("156"));
        QCOMPARE(designer.fieldRow(1).mid(4, 3), (QStringList{"文本框", "26", "156"}));
    }

    void aDropDownLinkedToTheKeyColumnKeepsItOnModify() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(1);
        designer.pick("组合框5", QStringLiteral("ID"));
        designer.click("按钮8");
        QCOMPARE(designer.inspect().field(159)->linkField, std::string("0"));
        QCOMPARE(designer.fieldRow(1).mid(5, 2), (QStringList{"消费类型", "ID"}));
        // Loaded again, "ID" is the chosen linked field, so a further modify keeps "0".
        designer.clickFieldRow(1);
        QCOMPARE(designer.chosen("组合框5"), QStringLiteral("ID"));
        designer.click("按钮8");
        QCOMPARE(designer.inspect().field(159)->linkField, std::string("0"));
    }

    void aDropDownWithoutAPickedTableTakesTheFirstAndItsKey() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral("类别"));
        designer.pick("组合框3", QStringLiteral("组合框"));
        QVERIFY(shown(designer, "分组框6"));
        QCOMPARE(designer.chosen("组合框4"), QStringLiteral("用户"));
        // The field list follows the chosen table at once, with its key chosen.
        QCOMPARE(designer.entries("组合框5"), (QStringList{"ID", "帐号", "密码", "姓名"}));
        QCOMPARE(designer.chosen("组合框5"), QStringLiteral("ID"));
        designer.click("按钮9");
        const auto field = designer.inspect().fieldByName(27, "类别");
        QCOMPARE(field->linkTable, std::string("24"));
        QCOMPARE(field->linkField, std::string("0"));
    }

    void pickingALinkedTableListsItsFieldsNewestOrderFirst() {
        DesignerWindow designer;
        openLedger(designer);
        designer.pick("组合框3", QStringLiteral("组合框"));
        designer.pick("组合框4", QStringLiteral("用户"));
        QCOMPARE(designer.entries("组合框5"), (QStringList{"ID", "帐号", "密码", "姓名"}));
        QCOMPARE(designer.chosen("组合框5"), QStringLiteral("ID"));
        designer.pick("组合框5", QStringLiteral("帐号"));
        designer.type("编辑框5", QStringLiteral("经手人"));
        designer.click("按钮9");
        const auto field = designer.inspect().fieldByName(27, "经手人");
        QCOMPARE(field->linkTable, std::string("24"));
        QCOMPARE(field->linkField, std::string("152"));
        QCOMPARE(designer.fieldRow(designer.fieldRows() - 1).mid(5, 2), (QStringList{"用户", "帐号"}));
        designer.pick("组合框3", QStringLiteral("时间框"));
        QVERIFY(!shown(designer, "分组框6"));
    }

    void theCascadeSwitchFillsTheTableAndItsFields() {
        DesignerWindow designer;
        openLedger(designer);
        auto* cascade = designer.find<QCheckBox>("选择框8");
        QTest::mouseClick(cascade, Qt::LeftButton, {}, QPoint(5, cascade->height() / 2));
        QVERIFY(shown(designer, "分组框8"));
        QCOMPARE(designer.chosen("组合框12"), QStringLiteral("用户"));
        QCOMPARE(designer.entries("组合框11"), (QStringList{"ID", "帐号", "密码", "姓名"}));
        designer.pick("组合框12", QStringLiteral("消费类型"));
        // By descending order when the user picks the table.
        QCOMPARE(designer.entries("组合框11"), (QStringList{"ID", "排序", "类型名称", "收支类型"}));
        QCOMPARE(designer.entries("组合框14"), designer.entries("组合框11"));
        QCOMPARE(designer.chosen("组合框11"), QStringLiteral("ID"));
        QCOMPARE(designer.chosen("组合框14"), QStringLiteral("ID"));
        QTest::mouseClick(cascade, Qt::LeftButton, {}, QPoint(5, cascade->height() / 2));
        QVERIFY(!shown(designer, "分组框8"));
        // Switched off, nothing of the cascade is stored.
        designer.type("编辑框5", QStringLiteral("联动"));
        designer.click("按钮9");
        QCOMPARE(designer.inspect().fieldByName(27, "联动")->cascadeTable, std::string("0"));
    }

    void modifyAndDeleteNeedALoadedRow() {
        DesignerWindow designer;
        openLedger(designer);
        designer.type("编辑框5", QStringLiteral("无"));
        designer.click("按钮8");
        designer.click("按钮7");
        QCOMPARE(designer.shown(), (QStringList{"记录不存在", "记录不存在"}));
        QCOMPARE(designer.inspect().fields(27, tabulon::catalogue::FieldOrder::ById).size(), std::size_t{5});
        QCOMPARE(designer.text("编辑框5"), QString());
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("18"));
        // A click beside the rows unloads the row: modify then changes nothing.
        designer.clickFieldRow(2);
        designer.clickBesideFieldRows();
        designer.clearShown();
        designer.type("编辑框5", QStringLiteral("别名"));
        designer.click("按钮8");
        QCOMPARE(designer.shown(), QStringList{"记录不存在"});
        QCOMPARE(designer.inspect().field(160)->name, std::string("名称"));
    }

    void deleteAsksFirstAndRemovesTheChosenRowOnly() {
        DesignerWindow designer;
        openLedger(designer);
        designer.clickFieldRow(2);  // 名称 (160)
        designer.answerQuestions(false);
        designer.click("按钮7");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY(designer.asked().front().startsWith(QStringLiteral("删除字段“流水帐.名称”？")));
        QVERIFY(designer.inspect().field(160));
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("名称"));  // the form still shows it

        designer.answerQuestions(true);
        designer.click("按钮7");
        QVERIFY(designer.shown().isEmpty());
        QVERIFY(!designer.inspect().field(160));
        QCOMPARE(designer.fieldRows(), 4);
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("18"));
        // Fields that name it keep their columns; 158 still names 159 as its dependent field.
        QCOMPARE(designer.inspect().field(158)->cascadeDisplay, std::string("159"));
    }

    void deletingALinkedFieldNamesTheDropDownsThatUseIt() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("消费类型"));
        const int row = designer.find<QTreeWidget>("超级列表框1")
                            ->indexOfTopLevelItem(designer.find<QTreeWidget>("超级列表框1")
                                                      ->findItems(QStringLiteral("类型名称"), Qt::MatchExactly, 1)
                                                      .front());
        designer.clickFieldRow(row);
        designer.answerQuestions(false);
        designer.click("按钮7");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY2(designer.asked().front().contains(QStringLiteral("流水帐.消费类型")),
                 qPrintable(designer.asked().front()));
    }

    void aDropDownWhoseTableIsGoneShowsNoChoice() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("收支"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.click("按钮2");  // delete 收支 (25), which 158 links to
        openLedger(designer);
        QCOMPARE(designer.fieldRow(0).mid(5, 2), (QStringList{"", ""}));
        designer.clickFieldRow(0);
        QCOMPARE(designer.chosen("组合框4"), QString());
        QCOMPARE(designer.entries("组合框5"), QStringList{"ID"});
    }
};

QTEST_MAIN(FieldEditorTest)
#include "field_editor_test.moc"
