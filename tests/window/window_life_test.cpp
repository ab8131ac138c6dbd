// The window as a user lives in it: undo and redo, menus and keys, refusals that keep the
// data, views that follow every change, the layout on small screens, message boxes.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QImage>
#include <QTextImageFormat>
#include <QTextFragment>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include "designer_window.h"
#include "window/message_box.h"

using tabulon::catalogue::FieldOrder;
using tabulon::testing::DesignerWindow;

namespace {

constexpr tabulon::catalogue::Id kLedger = 27;

QAction* action(DesignerWindow& designer, const char* name) { return designer.find<QAction>(name); }

void deleteTable(DesignerWindow& designer, const QString& table) {
    designer.pickEntry("列表框1", table);
    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
    designer.click("按钮2");
}

// Every control the window is made of, by name.
const char* const kControls[] = {
    "组合框1", "列表框1", "选择夹1", "超级列表框1", "组合框7", "组合框8", "组合框9", "组合框10", "按钮17",
    "标签1",   "编辑框5", "组合框2", "编辑框6",     "编辑框7", "组合框3", "标签20",  "按钮9",    "按钮8",
    "按钮7",   "选择框8", "列表框2", "组合框6",     "编辑框9", "编辑框8", "按钮12",  "按钮13",   "按钮14",
};

}  // namespace

class WindowLifeTest : public QObject {
    Q_OBJECT
private slots:
    void undoOfATableDeleteBringsBackTheTableAndItsFields() {
        DesignerWindow designer;
        const auto fieldsBefore = designer.inspect().fields(kLedger, FieldOrder::ById).size();
        QVERIFY(!action(designer, "undoAction")->isEnabled());
        deleteTable(designer, QStringLiteral("流水帐"));
        QVERIFY(!designer.inspect().table(kLedger));
        QCOMPARE(action(designer, "undoAction")->text(), QStringLiteral("撤销 删除表“流水帐”"));

        // Ctrl+Z from the table list (no text box to take the key).
        designer.find<QListWidget>("列表框1")->setFocus();
        QTest::keySequence(designer.window().windowHandle(), QKeySequence::Undo);
        QVERIFY(designer.inspect().table(kLedger));
        QCOMPARE(designer.inspect().fields(kLedger, FieldOrder::ById).size(), fieldsBefore);
        QVERIFY(designer.entries("列表框1").contains(QStringLiteral("流水帐")));
        QVERIFY(designer.entries("组合框7").contains(QStringLiteral("流水帐")));
        QCOMPARE(action(designer, "redoAction")->text(), QStringLiteral("重做 删除表“流水帐”"));

        QTest::keySequence(designer.window().windowHandle(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        QVERIFY(!designer.inspect().table(kLedger));
        QVERIFY(!designer.entries("列表框1").contains(QStringLiteral("流水帐")));
    }

    void undoReachesBackAcrossEveryEditor() {
        DesignerWindow designer;
        const auto templatesBefore = designer.inspect().templates("底部").size();
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        designer.type("编辑框5", QStringLiteral("电话"));
        designer.click("按钮9");
        designer.pick("组合框6", QStringLiteral("底部"));
        designer.find<QPlainTextEdit>("编辑框8")->setPlainText(QStringLiteral("<p>新</p>"));
        designer.click("按钮12");
        designer.type("编辑框4", QStringLiteral("图书"));
        designer.click("按钮4");
        QCOMPARE(designer.inspect().projects().size(), std::size_t{2});

        for (int i = 0; i < 3; ++i) action(designer, "undoAction")->trigger();
        QVERIFY(!action(designer, "undoAction")->isEnabled());
        QCOMPARE(designer.inspect().projects().size(), std::size_t{1});
        QCOMPARE(designer.inspect().templates("底部").size(), templatesBefore);
        QVERIFY(!designer.inspect().fieldByName(24, "电话"));
        QCOMPARE(designer.entries("组合框1"), QStringList{"记账"});
        // The template list shows the kind as it now is.
        QCOMPARE(designer.entries("列表框2").size(), static_cast<qsizetype>(templatesBefore));
    }

    void ctrlZInATextBoxUndoesTypingFirst() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        designer.type("编辑框5", QStringLiteral("电话"));
        designer.click("按钮9");
        designer.type("编辑框6", QStringLiteral("号码"));  // focus in the description box
        auto* box = designer.find<QLineEdit>("编辑框6");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(box->text() != QStringLiteral("号码"));
        QVERIFY2(designer.inspect().fieldByName(24, "电话"), "the field stays while typing is undone");
        while (box->isUndoAvailable()) QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!designer.inspect().fieldByName(24, "电话"));
    }

    void menusCarryTheMainActions() {
        DesignerWindow designer;
        QStringList titles;
        for (QAction* menu : designer.window().menuBar()->actions()) titles << menu->text();
        QCOMPARE(titles, (QStringList{"文件(&F)", "编辑(&E)", "生成(&G)", "帮助(&H)"}));
        QCOMPARE(action(designer, "undoAction")->shortcut(), QKeySequence(QKeySequence::Undo));
        QCOMPARE(action(designer, "redoAction")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        // The build menu runs the buttons' own steps: step ④ asks for its project's site.
        QAction* login = nullptr;
        for (QAction* item : designer.find<QMenu>("buildMenu")->actions())
            if (item->text() == QStringLiteral("④生成登录代码")) login = item;
        QVERIFY(login);
        QCOMPARE(login->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_4));
        login->trigger();
        QVERIFY(!designer.shown().isEmpty());
    }

    void deleteKeyAsksThenDeletesTheChosenTable() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("消费类型"));
        auto* list = designer.find<QListWidget>("列表框1");
        list->setFocus();
        designer.answerQuestions(false);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(designer.asked().size(), 1);
        const QString question = designer.asked().front();
        QVERIFY2(question.startsWith(QStringLiteral("删除表“消费类型”？")), qPrintable(question));
        QVERIFY2(question.contains(QStringLiteral("类型名称")), qPrintable(question));         // its own fields
        QVERIFY2(question.contains(QStringLiteral("流水帐.消费类型")), qPrintable(question));  // a drop-down fed by it
        QVERIFY(designer.inspect().table(26));
        designer.answerQuestions(true);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(!designer.inspect().table(26));
    }

    void deletingAProjectNamesItsTables() {
        DesignerWindow designer;
        designer.answerQuestions(false);
        designer.click("按钮5");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY2(designer.asked().front().contains(QStringLiteral("4 个表（用户、收支、消费类型、流水帐）")),
                 qPrintable(designer.asked().front()));
        QCOMPARE(designer.inspect().projects().size(), std::size_t{1});
    }

    void enterInTheNameBoxAddsTheField() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        designer.type("编辑框5", QStringLiteral("电话"));
        QTest::keyClick(designer.find<QLineEdit>("编辑框5"), Qt::Key_Return);
        QVERIFY(designer.inspect().fieldByName(24, "电话"));
        QCOMPARE(designer.text("编辑框5"), QString());
        QCOMPARE(designer.focused(), QStringLiteral("编辑框5"));
    }

    void aRefusedAddThenModifyChangesNothing() {
        DesignerWindow designer;
        const auto before = *designer.inspect().project(4);
        designer.type("编辑框4", QStringLiteral("记账"));
        designer.click("按钮4");
        designer.click("按钮6");
        QCOMPARE(designer.shown(), (QStringList{"存在重名项目", "项目名称不能为空。"}));
        const auto after = designer.inspect().project(4);
        QCOMPARE(after->name, before.name);
        QCOMPARE(after->note, before.note);
        QCOMPARE(designer.inspect().projects().size(), std::size_t{1});
    }

    void emptyNamesAreRefusedEverywhere() {
        DesignerWindow designer;
        const auto tablesBefore = designer.inspect().tables(4).size();
        designer.type("编辑框4", QStringLiteral("\u3000 "));
        designer.type("编辑框3", QStringLiteral("备注"));
        designer.click("按钮4");
        QCOMPARE(designer.text("编辑框3"), QStringLiteral("备注"));  // nothing typed is lost
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框1", QStringLiteral(" "));
        designer.click("按钮3");
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框1", QString());
        designer.click("按钮1");
        designer.type("编辑框5", QStringLiteral("  "));
        designer.click("按钮9");
        QCOMPARE(designer.shown(),
                 (QStringList{"项目名称不能为空。", "表名称不能为空。", "表名称不能为空。", "字段名称不能为空。"}));
        const auto db = designer.inspect();
        QCOMPARE(db.projects().size(), std::size_t{1});
        QCOMPARE(db.tables(4).size(), tablesBefore);
        QCOMPARE(db.table(24)->name, std::string("用户"));
        QCOMPARE(db.fields(24, FieldOrder::ById).size(), std::size_t{3});
    }

    void deletingTheShownTableEmptiesItsViews() {
        DesignerWindow designer;
        deleteTable(designer, QStringLiteral("流水帐"));
        QCOMPARE(designer.find<QLabel>("标签1")->text(), QString());
        QCOMPARE(designer.find<QLabel>("标签4")->text(), QString());
        QCOMPARE(designer.fieldRows(), 0);
        QVERIFY(!designer.entries("组合框7").contains(QStringLiteral("流水帐")));
        QVERIFY(designer.entries("组合框13").isEmpty());
    }

    void everyControlIsOnShowOnSmallScreens_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1024x700") << QSize(1024, 700);
        QTest::newRow("1600x900 at 150%") << QSize(1066, 560);
    }

    void everyControlIsOnShowOnSmallScreens() {
        QFETCH(QSize, size);
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(0);  // opens the link and cascade groups too
        QWidget& window = designer.window();
        window.resize(size);
        QTest::qWait(50);
        QCOMPARE(window.size(), size);
        auto* scroller = designer.find<QScrollArea>("columnsScroller");
        QVERIFY(!scroller->horizontalScrollBar()->isVisible());
        QVERIFY(!scroller->verticalScrollBar()->isVisible());
        std::vector<const char*> names(std::begin(kControls), std::end(kControls));
        for (const char* name : {"组合框4", "组合框5", "组合框12", "组合框11", "组合框14", "组合框13"})
            names.push_back(name);
        for (const char* name : names) {
            const auto* part = designer.find<QWidget>(name);
            QVERIFY2(part->isVisible(), name);
            const QRect inWindow(part->mapTo(&window, QPoint(0, 0)), part->size());
            QVERIFY2(window.rect().contains(inWindow), name);
            QVERIFY2(inWindow.width() >= 16 && inWindow.height() >= 12, name);
        }
        // Each of the three page tabs can be reached: every button of the pages is shown in full.
        auto* tabs = designer.find<QTabWidget>("选择夹1");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            for (auto* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
                QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()),
                         qPrintable(button->text()));
            }
        }
    }

    void belowTheColumnsMinimumTheWindowScrolls() {
        DesignerWindow designer;
        designer.window().resize(700, 380);
        QTest::qWait(50);
        auto* scroller = designer.find<QScrollArea>("columnsScroller");
        QVERIFY(scroller->horizontalScrollBar()->isVisible());
        auto* editor = designer.find<QWidget>("编辑框8");
        scroller->ensureWidgetVisible(editor);
        const QRect inViewport(editor->mapTo(scroller->viewport(), QPoint(0, 0)), editor->size());
        QVERIFY(scroller->viewport()->rect().intersects(inViewport));
    }

    void theTemplateEditorFoldsAwayAndTheTextGrowsWithTheWindow() {
        DesignerWindow designer;
        designer.window().resize(1220, 600);
        QTest::qWait(50);
        auto* text = designer.find<QPlainTextEdit>("编辑框8");
        const QSize small = text->size();
        designer.window().resize(1500, 800);
        QTest::qWait(50);
        QVERIFY(text->width() > small.width());
        QVERIFY(text->height() > small.height());
        QVERIFY(text->font().fixedPitch() || QFontInfo(text->font()).fixedPitch());
        auto* columns = designer.find<QSplitter>("columns");
        QVERIFY(columns->isCollapsible(2));
        QVERIFY(!columns->isCollapsible(1));
        // Line ends can be shown on demand.
        auto* lineEnds = designer.find<QCheckBox>("showLineEnds");
        lineEnds->setChecked(true);
        QVERIFY(text->document()->defaultTextOption().flags() & QTextOption::ShowLineAndParagraphSeparators);
    }

    void aLongMessageWrapsWithinTheScreenAndItsCaptionFits() {
        tabulon::window::BoxMessages messages;
        int width = 0, captionWidth = 0, screenWidth = 0;
        QString shownText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            width = box->width();
            captionWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
            screenWidth = box->screen()->availableGeometry().width();
            shownText = box->text();
            box->accept();
        });
        const std::string longName(300, 'x');
        messages.show("项目名称 最多 50 个字符：" + longName);
        QVERIFY(width <= screenWidth);
        QVERIFY(width >= captionWidth + 100);
        QCOMPARE(shownText.remove(QChar(0x200B)), QString::fromStdString("项目名称 最多 50 个字符：" + longName));
        QCOMPARE(tabulon::window::breakableText(QStringLiteral("存在重名项目")), QStringLiteral("存在重名项目"));
        QCOMPARE(tabulon::window::breakableText(QStringLiteral("abcdefgh"), 3),
                 QString::fromUtf8("abc\u200Bdef\u200Bgh"));
    }

    void withoutABrowserTheTutorialOpensInOurOwnWindow() {
        DesignerWindow designer;
        designer.setBrowserWorks(false);
        QTest::mouseClick(designer.find<QLabel>("标签20"), Qt::LeftButton);
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().contains(QStringLiteral("file://")));
        QTextBrowser* reader = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QStringLiteral("tutorialWindow") && widget->isVisible())
                reader = qobject_cast<QTextBrowser*>(widget);
        QVERIFY(reader);
        QVERIFY(reader->toPlainText().contains(QStringLiteral("Tabulon")));
        reader->close();
    }

    // The reader scales the tutorial's pictures to its width, keeping their shape, and never
    // draws them larger than they are; the page needs no sideways scrolling.
    void theTutorialsPicturesFitOurOwnWindow() {
        DesignerWindow designer;
        designer.setBrowserWorks(false);
        QTest::mouseClick(designer.find<QLabel>("标签20"), Qt::LeftButton);
        QTextBrowser* reader = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QStringLiteral("tutorialWindow") && widget->isVisible())
                reader = qobject_cast<QTextBrowser*>(widget);
        QVERIFY(reader);
        const auto pictures = [reader] {
            std::vector<QTextImageFormat> found;
            for (QTextBlock block = reader->document()->begin(); block.isValid(); block = block.next())
                for (auto piece = block.begin(); !piece.atEnd(); ++piece)
                    if (const auto format = piece.fragment().charFormat().toImageFormat(); format.isValid())
                        found.push_back(format);
            return found;
        };
        const auto natural = [reader](const QTextImageFormat& format) {
            return QImage(reader->source().resolved(QUrl(format.name())).toLocalFile()).size();
        };
        QVERIFY(pictures().size() >= 5);

        for (const int width : {480, 760}) {
            reader->resize(width, 600);
            QTest::qWait(50);
            for (const auto& picture : pictures()) {
                const QSize size = natural(picture);
                QVERIFY2(!size.isEmpty(), qPrintable(picture.name()));
                QVERIFY2(size.width() > reader->viewport()->width(), "a picture narrower than the reader");
                QVERIFY(picture.width() <= reader->viewport()->width());
                QVERIFY(picture.width() >= reader->viewport()->width() / 2);
                QVERIFY(qAbs(picture.height() / picture.width() - double(size.height()) / size.width()) < 0.01);
            }
            QCOMPARE(reader->horizontalScrollBar()->maximum(), 0);
        }
        // Wider than the pictures: they keep their own size.
        reader->resize(2000, 900);
        QTest::qWait(50);
        for (const auto& picture : pictures()) QCOMPARE(qRound(picture.width()), natural(picture).width());
        reader->close();
    }

    void theLoginFieldsAreExplainedWhereTheyAreTyped() {
        DesignerWindow designer;
        const QString tip = designer.find<QLineEdit>("编辑框6")->toolTip();
        QVERIFY(tip.contains(QStringLiteral("username")));
        QVERIFY(tip.contains(QStringLiteral("password")));
    }
};

QTEST_MAIN(WindowLifeTest)
#include "window_life_test.moc"
