// The window's layout between runs and its keyboard: size and dividers come back as they
// were left, Tab reaches every area and leaves the template text, Enter adds a project or
// a table, and the smaller points of the window's wording.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include "designer_window.h"

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
};

QTEST_MAIN(LayoutKeysTest)
#include "layout_keys_test.moc"
