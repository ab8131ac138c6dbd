// The join query strip and the page template editor.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "designer/exact_text_edit.h"
#include "designer/template_editor.h"
#include "designer_window.h"

using tabulon::designer::ExactTextEdit;
using tabulon::designer::UnsavedAnswer;
using tabulon::testing::DesignerWindow;

namespace {

ExactTextEdit* contentBox(DesignerWindow& designer) {
    return qobject_cast<ExactTextEdit*>(designer.find<QPlainTextEdit>("编辑框8"));
}

// The list entry showing template row `id`.
QListWidgetItem* entryOf(DesignerWindow& designer, tabulon::catalogue::Id id) {
    auto* list = designer.find<QListWidget>("列表框2");
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toLongLong() == id) return list->item(i);
    throw std::runtime_error("template row not listed");
}

void clickEntry(DesignerWindow& designer, tabulon::catalogue::Id id) {
    auto* list = designer.find<QListWidget>("列表框2");
    auto* item = entryOf(designer, id);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

}  // namespace

class JoinTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void joinFieldListsFollowTheUsersTablePicks() {
        DesignerWindow designer;
        designer.pick("组合框7", QStringLiteral("流水帐"));
        QCOMPARE(designer.entries("组合框9"), (QStringList{"ID", "收支", "消费类型", "名称", "金额", "日期"}));
        QCOMPARE(designer.chosen("组合框9"), QStringLiteral("ID"));
        QVERIFY(designer.entries("组合框10").isEmpty());
        designer.pick("组合框8", QStringLiteral("收支"));
        QCOMPARE(designer.entries("组合框10"), (QStringList{"ID", "一级分类"}));
        // "联合查询" builds and runs nothing.
        designer.click("按钮17");
        QVERIFY(designer.shown().isEmpty());
        QCOMPARE(designer.entries("组合框9").size(), 6);
        QCOMPARE(designer.chosen("组合框7"), QStringLiteral("流水帐"));
    }

    void joinKeepsIdChosenBeforeFieldsNamedLikeIt() {
        DesignerWindow designer;
        designer.type("编辑框1", QStringLiteral("空表"));
        designer.click("按钮3");
        designer.pickEntry("列表框1", QStringLiteral("空表"));
        // The strip's table lists follow every change of the tables.
        QVERIFY(designer.entries("组合框7").contains(QStringLiteral("空表")));
        designer.pick("组合框7", QStringLiteral("空表"));
        QCOMPARE(designer.entries("组合框9"), QStringList{"ID"});
        QCOMPARE(designer.chosen("组合框9"), QStringLiteral("ID"));
        designer.pickEntry("列表框1", QStringLiteral("空表"));
        designer.type("编辑框5", QStringLiteral("idcard"));
        designer.click("按钮9");
        designer.pick("组合框7", QStringLiteral("空表"));
        QCOMPARE(designer.entries("组合框9"), (QStringList{"ID", "idcard"}));
        QCOMPARE(designer.chosen("组合框9"), QStringLiteral("ID"));
    }

    void choosingAKindListsItsRowsNumbered() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("列表"));
        const QStringList entries = designer.entries("列表框2");
        QCOMPARE(entries.size(), 16);
        for (int i = 0; i < entries.size(); ++i)
            QVERIFY2(entries[i].startsWith(QString::number(i + 1) + QLatin1Char('|')), qPrintable(entries[i]));
        QVERIFY(designer.find<QListWidget>("列表框2")->selectedItems().isEmpty());
        // Each entry holds its row's whole text.
        const auto rows = designer.inspect().templates("列表");
        QCOMPARE(entryOf(designer, rows[3].id)->data(tabulon::designer::kTemplateContentRole).toString(),
                 QString::fromStdString(rows[3].content));
    }

    void entryTextShowsLineEndsAsMarks() {
        QCOMPARE(tabulon::designer::templateEntryText(3, QStringLiteral("a\r\nb\nc\rd\te")),
                 QStringLiteral("3|a⏎b⏎c⏎d\te"));
    }

    void choosingARowLoadsIt() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("修改"));
        const auto row = *designer.inspect().templateRow(14);
        designer.pick("组合框6", QStringLiteral("添加"));
        designer.pick("组合框6", QStringLiteral("修改"));
        clickEntry(designer, 14);
        QCOMPARE(contentBox(designer)->exactText(), QString::fromStdString(row.content));
        QCOMPARE(designer.text("编辑框9"), QString::number(row.order));
        QCOMPARE(designer.chosen("组合框6"), QStringLiteral("修改"));
    }

    void consecutiveAddsTakeConsecutivePositions() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("桌面"));
        designer.type("编辑框9", QStringLiteral("5"));
        contentBox(designer)->setPlainText(QStringLiteral("<p>一</p>"));
        designer.click("按钮12");
        contentBox(designer)->setPlainText(QStringLiteral("<p>二</p>"));
        designer.click("按钮12");
        QCOMPARE(designer.shown(), (QStringList{"桌面成功", "桌面成功"}));
        QCOMPARE(designer.text("编辑框9"), QStringLiteral("7"));
        QCOMPARE(contentBox(designer)->toPlainText(), QString());
        const auto rows = designer.inspect().templates("桌面");
        QCOMPARE(rows.size(), std::size_t{3});
        QCOMPARE(rows[0].order, std::int64_t{3});
        QCOMPARE(rows[1].content, std::string("<p>一</p>"));
        QCOMPARE(rows[1].order, std::int64_t{5});
        QCOMPARE(rows[2].order, std::int64_t{6});
        // The list shows the added rows at once.
        QCOMPARE(designer.entries("列表框2").size(), 3);
        QVERIFY(designer.entries("列表框2")[2].startsWith(QStringLiteral("3|<p>二</p>")));
    }

    void modifyRewritesTextAndPositionButNotTheKind() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("底部"));
        clickEntry(designer, 51);
        contentBox(designer)->setPlainText(QStringLiteral("新底部"));
        designer.type("编辑框9", QStringLiteral("8"));
        designer.answerUnsaved(tabulon::designer::UnsavedAnswer::Discard);
        designer.pick("组合框6", QStringLiteral("菜单"));  // the list now shows 菜单
        QCOMPARE(designer.askedUnsaved().size(), 1);
        QVERIFY(designer.inspect().templateRow(51)->content != "新底部");  // given up, not stored
        designer.pick("组合框6", QStringLiteral("底部"));
        clickEntry(designer, 51);
        contentBox(designer)->setPlainText(QStringLiteral("新底部"));
        designer.type("编辑框9", QStringLiteral("8"));
        designer.click("按钮13");
        QCOMPARE(designer.shown(), QStringList{"底部_____修改成功"});
        const auto row = designer.inspect().templateRow(51);
        QCOMPARE(row->content, std::string("新底部"));
        QCOMPARE(row->order, std::int64_t{8});
        QCOMPARE(row->kind, std::string("底部"));
        // The form keeps its contents; the list shows the new text with the row still chosen.
        QCOMPARE(contentBox(designer)->toPlainText(), QStringLiteral("新底部"));
        QVERIFY(entryOf(designer, 51)->text().contains(QStringLiteral("新底部")));
        QVERIFY(entryOf(designer, 51)->isSelected());
    }

    void deleteAsksThenTakesTheEntryAway() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickEntry(designer, 52);
        designer.answerQuestions(false);
        designer.click("按钮14");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY(designer.asked().front().startsWith(QStringLiteral("删除“导航”模板的第 ")));
        QVERIFY(designer.inspect().templateRow(52));
        designer.answerQuestions(true);
        designer.click("按钮14");
        QCOMPARE(designer.shown(), QStringList{"导航___删除成功"});
        QVERIFY(!designer.inspect().templateRow(52));
        QCOMPARE(designer.entries("列表框2").size(), 1);
    }

    void aVanishedRowLoadsEmpty() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        designer.inspect().deleteTemplate(53);  // gone behind the list's back
        clickEntry(designer, 53);
        QCOMPARE(contentBox(designer)->toPlainText(), QString());
        QCOMPARE(designer.text("编辑框9"), QStringLiteral("0"));
    }

    void movingAwayFromUnsavedTextAsksFirst() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickEntry(designer, 52);
        const QString loaded = contentBox(designer)->exactText();
        QVERIFY(designer.find<QLabel>("templateUnsaved")->isHidden());
        contentBox(designer)->setPlainText(QStringLiteral("改了一半"));
        QVERIFY(!designer.find<QLabel>("templateUnsaved")->isHidden());
        designer.answerUnsaved(UnsavedAnswer::Cancel);
        clickEntry(designer, 53);
        QCOMPARE(designer.askedUnsaved().size(), 1);
        QCOMPARE(contentBox(designer)->toPlainText(), QStringLiteral("改了一半"));
        QVERIFY(entryOf(designer, 52)->isSelected());
        // The row being edited clicked again: the typing is not thrown away either.
        clickEntry(designer, 52);
        QCOMPARE(designer.askedUnsaved().size(), 2);
        QCOMPARE(contentBox(designer)->toPlainText(), QStringLiteral("改了一半"));
        // The user gives the edit up: the other row loads.
        designer.answerUnsaved(UnsavedAnswer::Discard);
        clickEntry(designer, 53);
        QCOMPARE(designer.askedUnsaved().size(), 3);
        QCOMPARE(contentBox(designer)->exactText(),
                 QString::fromStdString(designer.inspect().templateRow(53)->content));
        QCOMPARE(QString::fromStdString(designer.inspect().templateRow(52)->content), loaded);
        // Untouched text moves without a question.
        clickEntry(designer, 52);
        QCOMPARE(designer.askedUnsaved().size(), 3);
        QCOMPARE(contentBox(designer)->exactText(), loaded);
        // 保存 stores the typing into the row it was typed for, then moves.
        contentBox(designer)->setPlainText(QStringLiteral("存下"));
        designer.answerUnsaved(UnsavedAnswer::Save);
        clickEntry(designer, 53);
        QCOMPARE(designer.inspect().templateRow(52)->content, std::string("存下"));
        QCOMPARE(contentBox(designer)->exactText(),
                 QString::fromStdString(designer.inspect().templateRow(53)->content));
    }

    void switchingTheKindWithUnsavedTextAsksAndEmptiesTheForm() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickEntry(designer, 52);
        contentBox(designer)->setPlainText(QStringLiteral("导航的新文字"));
        designer.answerUnsaved(UnsavedAnswer::Cancel);
        designer.pick("组合框6", QStringLiteral("底部"));
        // Cancelled: the kind and the row being edited stay.
        QCOMPARE(designer.chosen("组合框6"), QStringLiteral("导航"));
        QVERIFY(entryOf(designer, 52)->isSelected());
        designer.answerUnsaved(UnsavedAnswer::Discard);
        designer.pick("组合框6", QStringLiteral("底部"));
        QCOMPARE(designer.askedUnsaved().size(), 2);
        // The 导航 row no longer stands in the form, so 修改 cannot write into it unseen.
        QCOMPARE(contentBox(designer)->toPlainText(), QString());
        const auto before = designer.inspect().templateRow(52)->content;
        contentBox(designer)->setPlainText(QStringLiteral("x"));
        designer.click("按钮13");
        QCOMPARE(designer.inspect().templateRow(52)->content, before);
        QCOMPARE(designer.shown().last(), QStringLiteral("记录不存在"));
    }

    void ctrlSSavesTheRowAndTheMarkGoes() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickEntry(designer, 52);
        contentBox(designer)->setFocus();
        contentBox(designer)->setPlainText(QStringLiteral("Ctrl+S 存的"));
        QTest::keySequence(contentBox(designer), QKeySequence::Save);
        QCOMPARE(designer.inspect().templateRow(52)->content, std::string("Ctrl+S 存的"));
        QVERIFY(designer.find<QLabel>("templateUnsaved")->isHidden());
        QVERIFY(designer.askedUnsaved().isEmpty());
    }

    void modifyOrDeleteWithoutARowChangesNothingAndSaysSo() {
        DesignerWindow designer;
        const auto before = designer.inspect().allTemplates().size();
        designer.pick("组合框6", QStringLiteral("列表"));
        contentBox(designer)->setPlainText(QStringLiteral("x"));
        designer.click("按钮13");
        designer.click("按钮14");
        QCOMPARE(designer.shown(), (QStringList{"记录不存在", "记录不存在"}));
        QCOMPARE(designer.inspect().allTemplates().size(), before);
    }

    void crLfAndTabsSurviveLoadAndSave() {
        DesignerWindow designer;
        auto db = designer.inspect();
        const std::string original = "<td>\t<%=a%>\r\n\t\t<b>\u00a0</b>\r\n\r\n";
        const auto id = db.addTemplate({0, "桌面", original, 9});
        designer.pick("组合框6", QStringLiteral("桌面"));
        clickEntry(designer, id);
        designer.click("按钮13");  // saved untouched
        QCOMPARE(designer.inspect().templateRow(id)->content, original);

        // Edited, every line keeps its CR LF and every tab stays.
        auto* box = contentBox(designer);
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, "x");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);  // Tab alone moves on
        QTest::keyClicks(box, "y");
        designer.click("按钮13");
        QCOMPARE(designer.inspect().templateRow(id)->content, original + "x\r\n\ty");
    }

    void undoingEveryEditGivesBackTheLoadedBytes() {
        ExactTextEdit box;
        const QString loaded = QStringLiteral("a\r\nb\nc\rd");  // mixed line ends
        box.setExactText(loaded);
        QTest::keyClicks(&box, "zz");
        QVERIFY(box.exactText() != loaded);
        box.undo();
        QCOMPARE(box.exactText(), loaded);
    }

    void editedTextTakesTheLoadedLineEnd_data() {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("saved");
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb!");
        QTest::newRow("LF") << QStringLiteral("a\nb") << QStringLiteral("a\nb!");
        QTest::newRow("CR") << QStringLiteral("a\rb") << QStringLiteral("a\rb!");
        QTest::newRow("one line") << QStringLiteral("ab") << QStringLiteral("ab!");
    }

    void editedTextTakesTheLoadedLineEnd() {
        QFETCH(QString, loaded);
        QFETCH(QString, saved);
        ExactTextEdit box;
        box.setExactText(loaded);
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, "!");
        QCOMPARE(box.exactText(), saved);
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.exactText(), saved + tabulon::designer::lineEndOf(loaded));
    }
};

QTEST_MAIN(JoinTemplateTest)
#include "join_template_test.moc"
