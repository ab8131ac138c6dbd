// Typed work and the undo keys: nothing typed is lost without a question, and Ctrl+Z takes
// back what the user sees before it touches the catalogue.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <algorithm>

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

int fieldRowNamed(DesignerWindow& designer, const QString& name) {
    for (int row = 0; row < designer.fieldRows(); ++row)
        if (designer.fieldRow(row)[1] == name) return row;
    throw std::runtime_error("no field row " + name.toStdString());
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

    // The link and cascade picks are part of the form: a changed pick alone asks too.
    void aChangedLinkOrCascadePickAlsoAsks() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        const int dropDown = fieldRowNamed(designer, QStringLiteral("收支"));
        const int other = dropDown == 0 ? 1 : 0;
        const auto stored = *designer.inspect().fieldByName(kLedger, "收支");
        QCOMPARE(stored.inputType, std::string("组合框"));

        // Loading and leaving a drop-down with a cascade, unchanged, asks nothing.
        designer.clickFieldRow(dropDown);
        QVERIFY(designer.find<QCheckBox>("选择框8")->isChecked());
        designer.clickFieldRow(other);
        QVERIFY(designer.askedUnsaved().isEmpty());

        int questions = 0;
        for (const char* combo : {"组合框4", "组合框5", "组合框12", "组合框11", "组合框14", "组合框13"}) {
            designer.clickFieldRow(dropDown);
            QCOMPARE(designer.askedUnsaved().size(), questions);
            const QString before = designer.chosen(combo);
            const QStringList entries = designer.entries(combo);
            const auto another =
                std::find_if(entries.begin(), entries.end(), [&](const QString& entry) { return entry != before; });
            QVERIFY2(another != entries.end(), combo);
            designer.pick(combo, *another);

            // 取消 keeps the field and the changed pick.
            designer.answerUnsaved(UnsavedAnswer::Cancel);
            designer.clickFieldRow(other);
            QVERIFY2(designer.askedUnsaved().size() == ++questions, combo);
            QCOMPARE(designer.text("编辑框5"), QStringLiteral("收支"));
            QCOMPARE(designer.chosen(combo), *another);

            // 不保存 moves on and stores nothing.
            designer.answerUnsaved(UnsavedAnswer::Discard);
            designer.clickFieldRow(other);
            QVERIFY2(designer.askedUnsaved().size() == ++questions, combo);
            QCOMPARE(designer.text("编辑框5"), designer.fieldRow(other)[1]);
            const auto now = *designer.inspect().fieldByName(kLedger, "收支");
            QCOMPARE(now.linkTable, stored.linkTable);
            QCOMPARE(now.linkField, stored.linkField);
            QCOMPARE(now.cascadeTable, stored.cascadeTable);
            QCOMPARE(now.cascadeField, stored.cascadeField);
            QCOMPARE(now.cascadeCondition, stored.cascadeCondition);
            QCOMPARE(now.cascadeDisplay, stored.cascadeDisplay);
        }

        // Switching the cascade off asks, and 保存 stores it off.
        designer.clickFieldRow(dropDown);
        QTest::mouseClick(designer.find<QCheckBox>("选择框8"), Qt::LeftButton);
        QVERIFY(!designer.find<QCheckBox>("选择框8")->isChecked());
        designer.answerUnsaved(UnsavedAnswer::Save);
        designer.clickFieldRow(other);
        QCOMPARE(designer.askedUnsaved().size(), ++questions);
        QCOMPARE(designer.inspect().fieldByName(kLedger, "收支")->cascadeTable, std::string("0"));
        QCOMPARE(designer.inspect().fieldByName(kLedger, "收支")->linkTable, stored.linkTable);
    }

    // A drop-down whose table was deleted shows no link table; leaving it unchanged asks
    // nothing, and a relist of the table under the loaded field keeps its picks.
    void aDanglingLinkOrARelistIsNoEdit() {
        DesignerWindow designer;
        {
            auto db = designer.inspect();
            auto field = *db.fieldByName(kLedger, "名称");
            field.inputType = "组合框";
            field.linkTable = "99";
            field.linkField = "0";
            db.updateField(field);
        }
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        const int dangling = fieldRowNamed(designer, QStringLiteral("名称"));
        const int dropDown = fieldRowNamed(designer, QStringLiteral("收支"));
        designer.clickFieldRow(dangling);
        QCOMPARE(designer.chosen("组合框4"), QString());
        designer.clickFieldRow(dropDown);
        QVERIFY(designer.askedUnsaved().isEmpty());

        // 修改 of the shown table relists its fields under the loaded form.
        const QString display = designer.chosen("组合框13");
        const QString order = designer.text("编辑框7");
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框2", QStringLiteral("流水帐的说明"));
        designer.click("按钮1");  // 修改 of the table relists its fields
        QCOMPARE(designer.chosen("组合框13"), display);
        QCOMPARE(designer.text("编辑框7"), order);  // not the order proposed for a new field
        designer.clickFieldRow(dangling);
        QVERIFY(designer.askedUnsaved().isEmpty());
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
