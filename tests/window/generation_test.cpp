// The generation controls of the "生成" page and the numbered buttons.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <fstream>

#include "designer_window.h"

using tabulon::testing::DesignerWindow;
namespace fs = std::filesystem;

namespace {

void check(DesignerWindow& designer, std::initializer_list<const char*> boxes) {
    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(2);
    for (const char* name : boxes) {
        auto* box = designer.find<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    }
}

std::vector<std::string> pagesOf(const fs::path& manage) {
    std::vector<std::string> names;
    if (!fs::exists(manage)) return names;
    for (const auto& entry : fs::directory_iterator(manage)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class GenerationTest : public QObject {
    Q_OBJECT
private slots:
    void allTablesWritesEveryTableQuietly() {
        DesignerWindow designer;
        check(designer, {"选择框1", "选择框3"});
        designer.click("按钮11");
        // In all-tables mode no page announces itself; the run ends with one message.
        QCOMPARE(designer.shown(), QStringList{"生成完毕"});
        QCOMPARE(pagesOf(designer.runDir() / "记账" / "manage"),
                 (std::vector<std::string>{"LSZ27_Add.asp", "SZ25_Add.asp", "XFLX26_Add.asp", "YH24_Add.asp"}));
    }

    void chosenTableAnnouncesEachPage() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        check(designer, {"选择框2", "选择框3"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(), (QStringList{"Create add ok", "生成完毕"}));
        QCOMPARE(pagesOf(designer.runDir() / "记账" / "manage"), std::vector<std::string>{"YH24_Add.asp"});
    }

    void progressStepsAsideForEveryMessage_data() {
        QTest::addColumn<bool>("chooseTable");
        QTest::newRow("page written") << true;
    }

    void progressStepsAsideForEveryMessage() {
        QFETCH(bool, chooseTable);
        DesignerWindow designer;
        if (chooseTable) designer.pickEntry("列表框1", QStringLiteral("用户"));
        check(designer, {"选择框2", "选择框3"});
        bool created = false;
        bool progressShownOverMessage = false;
        designer.duringNextMessage([&] {
            // Long enough for the dialog's own timer to bring it up, were it still running.
            QTest::qWait(600);
            const auto* progress = designer.window().findChild<QProgressDialog*>();
            created = progress != nullptr;
            progressShownOverMessage = progress && progress->isVisible();
        });
        designer.click("按钮11");
        QVERIFY(created);
        QVERIFY(!progressShownOverMessage);
        QVERIFY(!designer.window().findChild<QProgressDialog*>());
        QCOMPARE(designer.shown().back(), QStringLiteral("生成完毕"));
    }

    void noTableChosenWritesNothing() {
        DesignerWindow designer;
        check(designer, {"选择框3"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(), QStringList{"没有选定表：请在表列表中选择一个表，或勾选“所有表”。未生成任何页面。"});
        QVERIFY(pagesOf(designer.runDir() / "记账" / "manage").empty());
    }

    void noKindCheckedSaysNothingWasGenerated() {
        DesignerWindow designer;
        check(designer, {"选择框1"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(),
                 QStringList{"没有勾选要生成的页面（添加、修改、删除、列表、显示），未生成任何页面。"});
        QVERIFY(pagesOf(designer.runDir() / "记账" / "manage").empty());
    }

    void regenerationReplacesThePage() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("用户"));
        const fs::path page = designer.runDir() / "记账" / "manage" / "YH24_Add.asp";
        fs::create_directories(page.parent_path());
        std::ofstream(page) << std::string(200000, 'x');
        check(designer, {"选择框2", "选择框3"});
        designer.click("按钮11");
        std::ifstream written(page, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
        QVERIFY(bytes.find("xxxxxxxx") == std::string::npos);
        QVERIFY(bytes.find("\r\n") != std::string::npos);
    }

    void theFourStepsBuildTheSite() {
        DesignerWindow designer;
        const fs::path site = designer.runDir() / "记账";
        designer.click("按钮15");
        QVERIFY(designer.shown().isEmpty());  // the release reports in the status bar only
        QVERIFY(fs::exists(site / "manage" / "conn.asp"));
        QVERIFY(fs::is_directory(site / "data"));
        QVERIFY(designer.window().statusBar()->currentMessage().contains(QString::fromStdString(site.string())));

        QGuiApplication::clipboard()->clear();
        designer.click("按钮10");
        QCOMPARE(designer.shown().back(), QStringLiteral("生成完毕"));
        QVERIFY(fs::exists(site / "data" / "data.mdb"));
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("create Table ")));

        designer.clearShown();
        check(designer, {"选择框1", "选择框3", "选择框6"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(), QStringList{"生成完毕"});
        QVERIFY(fs::exists(site / "manage" / "LSZ27_List.asp"));

        designer.clearShown();
        designer.click("按钮16");
        QCOMPARE(designer.shown(), QStringList{"登陆生成完毕"});  // the account went into data.mdb
        for (const char* page : {"index.asp", "top.asp", "menu.asp"}) QVERIFY2(fs::exists(site / page), page);
    }

    void stepsNeedAProject() {
        DesignerWindow designer;
        designer.click("按钮5");  // delete the only project
        designer.click("按钮15");
        QCOMPARE(designer.shown(), QStringList{"请选择一个项目"});
        QVERIFY(!fs::exists(designer.runDir() / "记账"));
    }
};

QTEST_MAIN(GenerationTest)
#include "generation_test.moc"
