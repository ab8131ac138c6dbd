// The window's layout between runs and its keyboard: size and dividers come back as they
// were left, Tab reaches every area and leaves the template text, Enter adds a project or
// a table, and the smaller points of the window's wording.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "designer_window.h"
#include "window/existing_data_question.h"
#include "window/message_box.h"

using tabulon::testing::DesignerWindow;
namespace fs = std::filesystem;

class LayoutKeysTest : public QObject {
    Q_OBJECT
private slots:
    void sizeAndDividersComeBackAsTheyWereLeft() {
        DesignerWindow first;
        first.window().showNormal();
        first.window().resize(1000, 640);
        auto* columns = first.find<QSplitter>("columns");
        const QList<int> wanted{260, 500, 240};
        columns->setSizes(wanted);
        const QList<int> left = columns->sizes();
        QVERIFY(first.window().close());

        const fs::path run = first.runDir();
        DesignerWindow second([run] { return tabulon::catalogue::Catalogue::openInRunFolder(run); },
                              first.settingsFile());
        QCOMPARE(second.window().size(), QSize(1000, 640));
        QCOMPARE(second.find<QSplitter>("columns")->sizes(), left);
    }

    void tabReachesEveryAreaAndLeavesTheTemplateText() {
        DesignerWindow designer;
        designer.find<QComboBox>("组合框1")->setFocus();
        QStringList visited;
        for (int i = 0; i < 80 && !visited.contains(QStringLiteral("showLineEnds")); ++i) {
            visited << designer.focused();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (const char* area : {"组合框1", "列表框1", "编辑框4", "超级列表框1", "组合框7", "编辑框5", "按钮9", "按钮4",
                                 "列表框2", "组合框6", "编辑框8"})
            QVERIFY2(visited.contains(QString::fromUtf8(area)), area);
        // In the template text Tab moves on; Ctrl+Tab types a tab.
        auto* text = designer.find<QPlainTextEdit>("编辑框8");
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(text->toPlainText(), QStringLiteral("\t"));
        QTest::keyClick(text, Qt::Key_Tab);
        QVERIFY(designer.focused() != QStringLiteral("编辑框8"));
    }

    void enterInTheNameBoxesAdds() {
        DesignerWindow designer;
        designer.type("编辑框4", QStringLiteral("图书"));
        QTest::keyClick(designer.find<QLineEdit>("编辑框4"), Qt::Key_Return);
        QVERIFY(designer.inspect().projectByName("图书"));
        designer.pick("组合框1", QStringLiteral("记账"));
        designer.type("编辑框1", QStringLiteral("预算"));
        QTest::keyClick(designer.find<QLineEdit>("编辑框1"), Qt::Key_Return);
        QVERIFY(designer.inspect().tableByName(4, "预算"));
    }

    void remarkBoxesHaveLabelsAndTheAboutBoxNamesTheCatalogueOnce() {
        DesignerWindow designer;
        QCOMPARE(designer.find<QLabel>("projectNoteLabel")->text(), QStringLiteral("备注："));
        QCOMPARE(designer.find<QLabel>("tableNoteLabel")->text(), QStringLiteral("说明："));
        // Screen readers and Alt keys find the box by its label.
        QCOMPARE(designer.find<QLabel>("projectNoteLabel")->buddy(), designer.find<QLineEdit>("编辑框3"));
        QCOMPARE(designer.find<QLabel>("tableNoteLabel")->buddy(), designer.find<QLineEdit>("编辑框2"));
        for (QAction* action : designer.window().findChildren<QAction*>())
            if (action->text() == QStringLiteral("关于 Tabulon")) action->trigger();
        QCOMPARE(designer.shown().size(), 1);
        QCOMPARE(designer.shown().front().count(QStringLiteral("目录数据库")), 1);
    }

    void renamingAProjectOffersToRenameItsSiteFolder() {
        DesignerWindow designer;
        designer.click("按钮15");  // ① makes the site folder 记账
        const fs::path old = designer.runDir() / "记账";
        QVERIFY(fs::is_directory(old));
        designer.clearShown();
        designer.type("编辑框4", QStringLiteral("家庭账"));
        designer.click("按钮6");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY(designer.asked().front().contains(QStringLiteral("家庭账")));
        QVERIFY(!fs::exists(old));
        QVERIFY(fs::is_directory(designer.runDir() / "家庭账"));
    }

    // The statement log of ② follows the folder; a folder already there under the new name
    // is neither replaced nor merged, and 否 leaves the folder where it is.
    void renamingTheSiteFolderIsSafe() {
        DesignerWindow designer;
        designer.click("按钮10");  // ② makes 记账/data/data.mdb and 记账-schema.sql
        const fs::path run = designer.runDir();
        QVERIFY(fs::is_regular_file(run / "记账-schema.sql"));
        designer.type("编辑框4", QStringLiteral("家庭账"));
        designer.click("按钮6");
        QVERIFY(fs::is_regular_file(run / "家庭账" / "data" / "data.mdb"));
        QVERIFY(fs::is_regular_file(run / "家庭账-schema.sql"));
        QVERIFY(!fs::exists(run / "记账-schema.sql"));

        // Another folder has the name already: nothing is asked, moved or written.
        fs::create_directories(run / "旧账" / "keep");
        designer.clearShown();
        const auto questions = designer.asked().size();
        designer.type("编辑框4", QStringLiteral("旧账"));
        designer.click("按钮6");
        QCOMPARE(designer.asked().size(), questions);
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().contains(QStringLiteral("已存在")));
        QVERIFY(fs::is_regular_file(run / "家庭账" / "data" / "data.mdb"));
        QVERIFY(fs::is_directory(run / "旧账" / "keep"));
        QVERIFY(!fs::exists(run / "旧账" / "data"));

        // 否: the project is renamed, its folder stays.
        designer.clearShown();
        designer.answerQuestions(false);
        designer.type("编辑框4", QStringLiteral("第三本账"));
        designer.click("按钮6");
        QCOMPARE(designer.asked().size(), questions + 1);
        QVERIFY(designer.inspect().projectByName("第三本账"));
        QVERIFY(fs::is_directory(run / "家庭账"));
        QVERIFY(!fs::exists(run / "第三本账"));
        QVERIFY(designer.shown().isEmpty());
    }

    // A table just added is the chosen one: its (empty) field list shows under its name,
    // ready for the first field, whether added by the button or by Enter.
    void aNewTableIsChosen() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框1", QStringLiteral("预算"));
        designer.click("按钮3");
        QCOMPARE(designer.find<QListWidget>("列表框1")->selectedItems().size(), 1);
        QCOMPARE(designer.find<QListWidget>("列表框1")->selectedItems().front()->text(), QStringLiteral("预算"));
        QCOMPARE(designer.fieldRows(), 0);
        QVERIFY(designer.find<QLabel>("标签1")->text().contains(QStringLiteral("预算")));
        designer.type("编辑框5", QStringLiteral("金额"));
        designer.click("按钮9");
        const auto table = designer.inspect().tableByName(4, "预算");
        QVERIFY(table);
        QVERIFY(designer.inspect().fieldByName(table->id, "金额"));

        designer.type("编辑框1", QStringLiteral("年度"));
        QTest::keyClick(designer.find<QLineEdit>("编辑框1"), Qt::Key_Return);
        QCOMPARE(designer.find<QListWidget>("列表框1")->selectedItems().front()->text(), QStringLiteral("年度"));
        QCOMPARE(designer.fieldRows(), 0);
    }

    // The boxes the window opens itself, read as the user sees them: no title ends on a
    // colon, and the existing-rows question ends on a question, not on a colon.
    void messageBoxTitlesEndWithoutAColon() {
        QWidget parent;
        QStringList titles, texts;
        const auto closeNextBox = [&] {
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                titles << box->windowTitle();
                texts << box->text();
                box->reject();
            });
        };
        closeNextBox();
        tabulon::window::BoxMessages messages;
        messages.setParentWindow(&parent);
        messages.show("一条消息");
        closeNextBox();
        tabulon::window::askYesNo(&parent, QStringLiteral("删除吗？"));
        closeNextBox();
        tabulon::window::askSaveDiscardCancel(&parent, QStringLiteral("要保存吗？"));
        closeNextBox();
        tabulon::window::askAboutExistingRows(&parent, 3, true);
        QCOMPARE(titles.size(), 4);
        for (const QString& title : titles) {
            QVERIFY2(!title.isEmpty(), qPrintable(title));
            QVERIFY2(!title.endsWith(QChar(0xFF1A)) && !title.endsWith(QLatin1Char(':')), qPrintable(title));
        }
        const QString question = texts.back().trimmed();
        QVERIFY2(question.endsWith(QChar(0xFF1F)), qPrintable(question));
        QVERIFY(question.contains(QStringLiteral("已有 3 条记录。")));
        QVERIFY(!question.contains(QStringLiteral("条记录：")));
    }
};

QTEST_MAIN(LayoutKeysTest)
#include "layout_keys_test.moc"
