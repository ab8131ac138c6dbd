// Typed work and the undo keys: nothing typed is lost without a question, and Ctrl+Z takes
// back what the user sees before it touches the catalogue.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include "designer/exact_text_edit.h"
#include "designer_window.h"

using tabulon::catalogue::FieldOrder;
using tabulon::designer::ExactTextEdit;
using tabulon::designer::UnsavedAnswer;
using tabulon::testing::DesignerWindow;

namespace {

constexpr tabulon::catalogue::Id kLedger = 27;

ExactTextEdit* contentBox(DesignerWindow& designer) { return designer.find<ExactTextEdit>("编辑框8"); }

void clickTemplate(DesignerWindow& designer, tabulon::catalogue::Id id) {
    auto* list = designer.find<QListWidget>("列表框2");
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toLongLong() != id) continue;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(i)).center());
        return;
    }
    throw std::runtime_error("no template row " + std::to_string(id));
}

void pressUndo(DesignerWindow& designer) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &designer.window();
    QTest::keySequence(target, QKeySequence::Undo);
}

QString status(DesignerWindow& designer) { return designer.window().statusBar()->currentMessage(); }

}  // namespace

class UnsavedWorkTest : public QObject {
    Q_OBJECT
private slots:
    void closingWithUnsavedTemplateTextAsks() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickTemplate(designer, 52);
        contentBox(designer)->setPlainText(QStringLiteral("还没存"));
        designer.answerUnsaved(UnsavedAnswer::Cancel);
        QVERIFY(!designer.window().close());  // 取消: the window stays, with the text
        QVERIFY(designer.window().isVisible());
        QCOMPARE(contentBox(designer)->toPlainText(), QStringLiteral("还没存"));
        QCOMPARE(designer.askedUnsaved(), QStringList{"模板内容有未保存的改动，要保存吗？"});

        designer.answerUnsaved(UnsavedAnswer::Save);
        QVERIFY(designer.window().close());
        QCOMPARE(designer.inspect().templateRow(52)->content, std::string("还没存"));
    }

    void ctrlQWithoutTypingClosesWithoutAQuestion() {
        DesignerWindow designer;
        designer.find<QAction>("quitAction")->trigger();
        QVERIFY(!designer.window().isVisible());
        QVERIFY(designer.askedUnsaved().isEmpty());
    }

    void choosingAnotherFieldWithEditsAsks() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(1);
        const QString name = designer.text("编辑框5");
        designer.type("编辑框6", QStringLiteral("改过的说明"));
        designer.answerUnsaved(UnsavedAnswer::Cancel);
        designer.clickFieldRow(2);
        QCOMPARE(designer.askedUnsaved(), QStringList{"字段表单有未保存的改动，要保存吗？"});
        QCOMPARE(designer.text("编辑框5"), name);
        QCOMPARE(designer.text("编辑框6"), QStringLiteral("改过的说明"));

        designer.answerUnsaved(UnsavedAnswer::Save);
        designer.clickFieldRow(2);
        QCOMPARE(designer.inspect().fieldByName(kLedger, name.toStdString())->description, std::string("改过的说明"));
        // The row clicked is loaded after the save.
        QCOMPARE(designer.text("编辑框5"), designer.fieldRow(2)[1]);

        // Closing asks about the field form too; 不保存 drops it.
        designer.type("编辑框6", QStringLiteral("丢掉"));
        designer.answerUnsaved(UnsavedAnswer::Discard);
        QVERIFY(designer.window().close());
        QVERIFY(designer.inspect().fieldByName(kLedger, designer.fieldRow(2)[1].toStdString())->description != "丢掉");
    }

    void menuThenEscThenCtrlZUndoesTheTypingNotTheCatalogue() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.type("编辑框5", QStringLiteral("abc"));
        designer.click("按钮9");  // a catalogue step to be tempted by
        designer.type("编辑框6", QStringLiteral("xy"));
        const auto fieldsBefore = designer.inspect().fields(kLedger, FieldOrder::ById).size();

        auto* edit = designer.window().findChild<QMenu*>(QStringLiteral("editMenu"));
        auto* bar = designer.window().menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit->menuAction()).center());
        QTRY_VERIFY(edit->isVisible());
        QTest::keyClick(edit, Qt::Key_Escape);
        QTRY_VERIFY(!edit->isVisible());
        QTest::qWait(50);
        // The offscreen platform leaves the hidden popup active, where a desktop hands the
        // activation back to the window.
        if (QApplication::activeWindow() != &designer.window()) {
            designer.window().windowHandle()->requestActivate();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&designer.window()));
        }
        pressUndo(designer);
        QCOMPARE(designer.text("编辑框6"), QString());
        QCOMPARE(designer.inspect().fields(kLedger, FieldOrder::ById).size(), fieldsBefore);
        QCOMPARE(designer.focused(), QStringLiteral("编辑框6"));  // back with the box it undid

        // Through the menu's own entry, too.
        designer.type("编辑框6", QStringLiteral("zz"));
        designer.find<QAction>("undoAction")->trigger();
        QCOMPARE(designer.text("编辑框6"), QString());
        QCOMPARE(designer.inspect().fields(kLedger, FieldOrder::ById).size(), fieldsBefore);
    }

    void aCatalogueUndoIsRefusedWhileTypingIsUnsaved() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.type("编辑框5", QStringLiteral("abc"));
        designer.click("按钮9");
        const auto fields = designer.inspect().fields(kLedger, FieldOrder::ById).size();
        designer.pick("组合框6", QStringLiteral("底部"));
        clickTemplate(designer, 51);
        contentBox(designer)->setPlainText(QStringLiteral("未存的底部"));
        designer.find<QListWidget>("列表框1")->setFocus();
        for (int i = 0; i < 3; ++i) pressUndo(designer);
        QCOMPARE(designer.inspect().fields(kLedger, FieldOrder::ById).size(), fields);
        QVERIFY2(status(designer).contains(QStringLiteral("未保存")), qPrintable(status(designer)));
        QCOMPARE(contentBox(designer)->toPlainText(), QStringLiteral("未存的底部"));
    }

    void aCatalogueUndoSaysWhatItDidAndShowsIt() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(0);
        const QString name = designer.text("编辑框5");
        designer.click("按钮7");  // delete, after the question
        QVERIFY(!designer.inspect().fieldByName(kLedger, name.toStdString()));
        // Another table on show: the undo brings the field's table back into view.
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        designer.find<QListWidget>("列表框1")->setFocus();
        pressUndo(designer);
        QVERIFY(designer.inspect().fieldByName(kLedger, name.toStdString()));
        QCOMPARE(status(designer), QStringLiteral("已撤销：删除字段“") + name + QStringLiteral("”"));
        QCOMPARE(designer.find<QListWidget>("列表框1")->currentItem()->text(), QStringLiteral("流水帐"));
        QCOMPARE(designer.text("编辑框5"), name);
        auto* list = designer.find<QTreeWidget>("超级列表框1");
        QVERIFY(!list->selectedItems().isEmpty());
        QCOMPARE(list->selectedItems().front()->text(1), name);
    }

    void undoOfATemplateEditShowsTheRestoredText() {
        DesignerWindow designer;
        designer.pick("组合框6", QStringLiteral("导航"));
        clickTemplate(designer, 52);
        const QString before = contentBox(designer)->exactText();
        contentBox(designer)->setPlainText(QStringLiteral("新导航"));
        designer.click("按钮13");
        // Another kind listed; the undo lists the row's kind again and shows its old text.
        designer.pick("组合框6", QStringLiteral("底部"));
        designer.find<QListWidget>("列表框2")->setFocus();
        pressUndo(designer);
        QCOMPARE(QString::fromStdString(designer.inspect().templateRow(52)->content), before);
        QCOMPARE(designer.chosen("组合框6"), QStringLiteral("导航"));
        QCOMPARE(contentBox(designer)->exactText(), before);
        QVERIFY(designer.find<QLabel>("templateUnsaved")->isHidden());
        QVERIFY(status(designer).startsWith(QStringLiteral("已撤销：修改模板")));
    }
};

QTEST_MAIN(UnsavedWorkTest)
#include "unsaved_work_test.moc"
