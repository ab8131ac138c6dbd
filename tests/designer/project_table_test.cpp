// The project editor and the table editor, driven through the window.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "designer_window.h"

using tabulon::catalogue::FieldOrder;
using tabulon::testing::DesignerWindow;

namespace {

std::vector<std::string> projectNames(const tabulon::catalogue::Catalogue& db) {
    std::vector<std::string> names;
    for (const auto& project : db.projects()) names.push_back(project.name);
    return names;
}

void addProject(DesignerWindow& designer, const QString& name, const QString& note = {}) {
    designer.type("编辑框4", name);
    designer.type("编辑框3", note);
    designer.click("按钮4");
}

void addTable(DesignerWindow& designer, const QString& name, const QString& description = {}) {
    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
    designer.type("编辑框1", name);
    designer.type("编辑框2", description);
    designer.click("按钮3");
}

}  // namespace

class ProjectTableTest : public QObject {
    Q_OBJECT
private slots:
    void projectNameWithSpacesIsRefusedByName() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("记 账"), QStringLiteral("备注"));
        QCOMPARE(designer.shown(), QStringList{"项目名“记 账”不能用：名称含有不能用的字符“空格”，未保存。"});
        QCOMPARE(projectNames(designer.inspect()), std::vector<std::string>{"记账"});
        // What was typed stays to be corrected.
        QCOMPARE(designer.text("编辑框4"), QStringLiteral("记 账"));
        QCOMPARE(designer.text("编辑框3"), QStringLiteral("备注"));
        designer.clearShown();
        // A name that would leave the run folder is refused before anything is stored.
        designer.type("编辑框4", QStringLiteral("../evil"));
        designer.click("按钮4");
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().startsWith(QStringLiteral("项目名“../evil”不能用：")));
        QCOMPARE(projectNames(designer.inspect()), std::vector<std::string>{"记账"});
    }

    void newProjectLeadsTheList() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("家庭账"), QStringLiteral(" 备 注 "));
        QVERIFY(designer.shown().isEmpty());
        const auto db = designer.inspect();
        QCOMPARE(projectNames(db), (std::vector<std::string>{"家庭账", "记账"}));
        QCOMPARE(db.projects().front().note, std::string(" 备 注 "));  // notes keep what was typed
        QCOMPARE(designer.entries("组合框1"), (QStringList{"家庭账", "记账"}));
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("家庭账"));
        QCOMPARE(designer.text("编辑框4"), QString());
        QCOMPARE(designer.text("编辑框3"), QString());
        // The table list and the join strip follow the project now chosen.
        QVERIFY(designer.entries("列表框1").isEmpty());
        QVERIFY(designer.entries("组合框7").isEmpty());
    }

    void pickingAProjectShowsItsTablesOnTheProjectPage() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("新"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(2);
        designer.pick("组合框1", QStringLiteral("记账"));
        QCOMPARE(designer.entries("列表框1").size(), 4);
        QCOMPARE(designer.text("编辑框4"), QStringLiteral("记账"));
        QCOMPARE(designer.find<QTabWidget>("选择夹1")->currentIndex(), 0);
        QCOMPARE(designer.entries("组合框8").size(), 4);
    }

    void noHandlerStartsWhileAnotherRuns() {
        DesignerWindow designer;
        // The refusal's message is up while the user presses "删除": that press is dropped.
        designer.duringNextMessage([&] { designer.click("按钮5"); });
        addProject(designer, QStringLiteral("记账"));
        QCOMPARE(designer.shown(), QStringList{"存在重名项目"});
        QVERIFY(designer.inspect().project(4));
        // Once the handler is over, the same press works.
        designer.click("按钮5");
        QVERIFY(!designer.inspect().project(4));
    }

    void modifyKeepsTheEditedProjectChosen() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("新"));
        designer.pick("组合框1", QStringLiteral("记账"));
        designer.type("编辑框4", QStringLiteral("记账本"));
        designer.type("编辑框3", QStringLiteral("家用"));
        designer.click("按钮6");
        const auto project = designer.inspect().project(4);
        QCOMPARE(project->name, std::string("记账本"));
        QCOMPARE(project->note, std::string("家用"));
        // Still the edited project everywhere: a second "修改" cannot hit the newest one.
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("记账本"));
        QCOMPARE(designer.entries("列表框1").size(), 4);
        designer.type("编辑框3", QStringLiteral("又改"));
        designer.click("按钮6");
        QCOMPARE(designer.inspect().project(4)->note, std::string("又改"));
        QCOMPARE(designer.inspect().projectByName("新")->note, std::string());
    }

    void modifyMayRepeatAnotherProjectsName() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("新"));
        designer.type("编辑框4", QStringLiteral("记账"));
        designer.click("按钮6");
        QVERIFY(designer.shown().isEmpty());
        QCOMPARE(projectNames(designer.inspect()), (std::vector<std::string>{"记账", "记账"}));
    }

    void deletingAProjectRemovesItsFields() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("新"));
        designer.pick("组合框1", QStringLiteral("记账"));
        designer.click("按钮5");
        const auto db = designer.inspect();
        QVERIFY(!db.project(4));
        for (int table = 24; table <= 27; ++table) QVERIFY(db.fields(table, FieldOrder::ById).empty());
        QCOMPARE(designer.entries("组合框1"), QStringList{"新"});
        // The deleted project's tables are not left on show.
        QVERIFY(designer.entries("列表框1").isEmpty());
        QCOMPARE(designer.text("编辑框4"), QStringLiteral("新"));
    }

    void anEmptyCatalogueHasNothingToModifyOrDelete() {
        DesignerWindow designer;
        designer.click("按钮5");
        QVERIFY(designer.entries("组合框1").isEmpty());
        QVERIFY(designer.entries("列表框1").isEmpty());
        designer.type("编辑框4", QStringLiteral("幽灵"));
        designer.click("按钮6");
        designer.click("按钮5");
        QVERIFY(designer.shown().isEmpty());
        QVERIFY(designer.inspect().projects().empty());
        // A table needs a project; without one it would be stored where no list shows it.
        addTable(designer, QStringLiteral("孤表"));
        QCOMPARE(designer.shown(), QStringList{"请选择一个项目"});
        QVERIFY(designer.inspect().allTables().empty());
    }

    void projectNameWithAQuoteIsStoredAsTyped() {
        DesignerWindow designer;
        addProject(designer, QStringLiteral("O'Brien"));
        addProject(designer, QStringLiteral("O'Brien"));
        QCOMPARE(designer.shown(), QStringList{"存在重名项目"});
        QCOMPARE(projectNames(designer.inspect()), (std::vector<std::string>{"O'Brien", "记账"}));
    }

    void tooLongANameIsReportedAndKeptInTheBox() {
        DesignerWindow designer;
        const QString name(51, QChar(u'名'));
        addProject(designer, name);
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().contains(QStringLiteral("50")));
        QCOMPARE(designer.text("编辑框4"), name);
        QCOMPARE(designer.inspect().projects().size(), std::size_t{1});
    }

    void tableNamesAreUniqueWithinTheirProject() {
        DesignerWindow designer;
        addTable(designer, QStringLiteral("用户"));
        QCOMPARE(designer.shown(), QStringList{"存在重名的表"});
        QCOMPARE(designer.text("编辑框1"), QString());
        QCOMPARE(designer.inspect().tables(4).size(), std::size_t{4});
        designer.clearShown();
        addProject(designer, QStringLiteral("新"));
        addTable(designer, QStringLiteral("用户"));
        QVERIFY(designer.shown().isEmpty());
        QCOMPARE(designer.entries("列表框1"), QStringList{"用户"});
    }

    void tableNameTheSiteCannotUseIsRefusedAndNothingStored() {
        DesignerWindow designer;
        addTable(designer, QStringLiteral("user.x"));
        QCOMPARE(designer.shown(), QStringList{"表名“user.x”不能用：名称含有不能用的字符“.”，未保存。"});
        QCOMPARE(designer.inspect().tables(4).size(), std::size_t{4});
        QCOMPARE(designer.text("编辑框1"), QStringLiteral("user.x"));  // kept to be corrected
    }

    void addedTableComesLastAndIsChosen() {
        DesignerWindow designer;
        addTable(designer, QStringLiteral(" 收\u3000入 "), QStringLiteral("收入 明细"));
        QCOMPARE(designer.shown(), QStringList{"表名“ 收\u3000入 ”不能用：名称含有不能用的字符“空格”，未保存。"});
        designer.clearShown();
        addTable(designer, QStringLiteral("收入"), QStringLiteral("收入 明细"));
        QCOMPARE(designer.entries("列表框1"), (QStringList{"用户", "收支", "消费类型", "流水帐", "收入"}));
        // The new table is chosen, ready for its fields.
        QCOMPARE(designer.find<QListWidget>("列表框1")->currentItem()->text(), QStringLiteral("收入"));
        QVERIFY(designer.find<QLabel>("标签1")->text().endsWith(QStringLiteral("收入")));
        const auto table = designer.inspect().tableByName(4, "收入");
        QVERIFY(table);
        QCOMPARE(table->description, std::string("收入 明细"));
        QCOMPARE(designer.text("编辑框1"), QStringLiteral("收入"));
        // A name the database cannot tell from an existing one is refused, on modify too.
        designer.clearShown();
        addTable(designer, QStringLiteral("用户"));
        addTable(designer, QStringLiteral("Goods"));
        addTable(designer, QStringLiteral("goods"));
        QCOMPARE(designer.shown(), (QStringList{"存在重名的表", "存在重名的表"}));
        QVERIFY(!designer.inspect().tableByName(4, "goods"));
    }

    void pickingATableOpensItForFieldEditing() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        // The page shown and the focus stay where the user has them.
        QCOMPARE(designer.find<QTabWidget>("选择夹1")->currentIndex(), 0);
        QCOMPARE(designer.find<QLabel>("标签4")->text(), QStringLiteral("记账"));
        QCOMPARE(designer.find<QLabel>("标签1")->text(), QStringLiteral("记账          流水帐"));
        QCOMPARE(designer.text("编辑框1"), QStringLiteral("流水帐"));
        QCOMPARE(designer.fieldRows(), 5);
        QCOMPARE(designer.focused(), QStringLiteral("列表框1"));
        // Keys move the choice too, and each move opens the table chosen.
        QTest::keyClick(designer.find<QListWidget>("列表框1"), Qt::Key_Up);
        QCOMPARE(designer.text("编辑框1"), QStringLiteral("消费类型"));
        QCOMPARE(designer.fieldRows(), 3);
    }

    void pickingTheChosenTableAgainReloadsIt() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.type("编辑框1", QStringLiteral("草稿"));
        designer.type("编辑框5", QStringLiteral("草稿"));
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        QCOMPARE(designer.text("编辑框1"), QStringLiteral("流水帐"));
        // The name typed for a new field is not thrown away.
        QCOMPARE(designer.text("编辑框5"), QStringLiteral("草稿"));
        QCOMPARE(designer.focused(), QStringLiteral("列表框1"));
    }

    void pickingATableResetsTheFieldForm() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(0);  // 收支: a drop-down with a cascade
        QVERIFY(designer.find<QCheckBox>("选择框8")->isChecked());
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        QVERIFY(!designer.find<QCheckBox>("选择框8")->isChecked());
        QVERIFY(!designer.find<QGroupBox>("分组框8")->isVisible());
        QVERIFY(!designer.find<QGroupBox>("分组框6")->isVisible());
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("文本"));
        QCOMPARE(designer.chosen("组合框3"), QStringLiteral("文本框"));
        QCOMPARE(designer.text("编辑框5"), QString());
        QCOMPARE(designer.text("编辑框6"), QString());
    }

    void aNewProjectsFieldHasNoLink() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(0);  // 收支: linked to 记账's table 收支
        designer.type("编辑框4", QStringLiteral("图书"));
        designer.click("按钮4");
        designer.pick("组合框1", QStringLiteral("图书"));
        designer.type("编辑框1", QStringLiteral("书目"));
        designer.click("按钮3");
        designer.pickEntry("列表框1", QStringLiteral("书目"));
        designer.type("编辑框5", QStringLiteral("id"));
        designer.click("按钮9");
        designer.type("编辑框5", QStringLiteral("书名"));
        designer.click("按钮9");
        QVERIFY(designer.shown().isEmpty());
        const auto db = designer.inspect();
        const auto project = db.projectByName("图书");
        const auto table = db.tableByName(project->id, "书目");
        const auto key = db.fieldByName(table->id, "id");
        const auto title = db.fieldByName(table->id, "书名");
        QCOMPARE(key->type, std::string("自动编号"));
        QCOMPARE(title->type, std::string("文本"));  // the key's type is not carried over
        QCOMPARE(title->inputType, std::string("文本框"));
        QCOMPARE(title->linkTable, std::string());
        QCOMPARE(title->cascadeTable, std::string("0"));
        // A link can only name a table of the project.
        designer.pick("组合框3", QStringLiteral("组合框"));
        QCOMPARE(designer.entries("组合框4"), QStringList{"书目"});
        QCOMPARE(designer.entries("组合框13"), (QStringList{"id", "书名"}));
    }

    void modifyingATableRenamesItEverywhere() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("收支"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框1", QStringLiteral("收支类"));
        designer.type("编辑框2", QStringLiteral("说明"));
        designer.click("按钮1");
        QCOMPARE(designer.inspect().table(25)->name, std::string("收支类"));
        QCOMPARE(designer.inspect().table(25)->description, std::string("说明"));
        QCOMPARE(designer.entries("列表框1"), (QStringList{"用户", "收支类", "消费类型", "流水帐"}));
        // The renamed table stays chosen, and every view shows its new name.
        QCOMPARE(designer.find<QListWidget>("列表框1")->selectedItems().front()->text(), QStringLiteral("收支类"));
        QCOMPARE(designer.find<QLabel>("标签1")->text(), QStringLiteral("记账          收支类"));
        QVERIFY(designer.entries("组合框7").contains(QStringLiteral("收支类")));
        QVERIFY(designer.entries("组合框8").contains(QStringLiteral("收支类")));
        designer.click("按钮1");
        QVERIFY(designer.shown().isEmpty());
    }

    void modifyAndDeleteNeedAChosenTable() {
        DesignerWindow designer;
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.click("按钮1");
        designer.click("按钮2");
        QCOMPARE(designer.shown(), (QStringList{"对应的表不存在", "该项目不存在，对应名称的表"}));
        QCOMPARE(designer.inspect().tables(4).size(), std::size_t{4});
    }

    void deletingTable27RemovesExactlyItsFields() {
        DesignerWindow designer;
        const auto before = designer.inspect().allFields().size();
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.click("按钮2");
        QVERIFY(designer.shown().isEmpty());
        const auto db = designer.inspect();
        QVERIFY(!db.table(27));
        for (int field = 158; field <= 162; ++field) QVERIFY(!db.field(field));
        QCOMPARE(db.allFields().size(), before - 5);
        QVERIFY(db.field(163));
        QCOMPARE(designer.entries("列表框1"), (QStringList{"用户", "收支", "消费类型"}));
    }
};

QTEST_MAIN(ProjectTableTest)
#include "project_table_test.moc"
