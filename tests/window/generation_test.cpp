// The generation controls of the "生成" page and the numbered buttons.
#include <QCheckBox>
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

    void noTableChosenWritesNothing() {
        DesignerWindow designer;
        check(designer, {"选择框3"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(), (QStringList{"请先选择一个表。", "生成完毕"}));
        QVERIFY(pagesOf(designer.runDir() / "记账" / "manage").empty());
    }

    void noKindCheckedStillEndsTheRun() {
        DesignerWindow designer;
        check(designer, {"选择框1"});
        designer.click("按钮11");
        QCOMPARE(designer.shown(), QStringList{"生成完毕"});
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

    void stepsWithoutAGeneratorSaySo_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("①") << QStringLiteral("按钮15");
        QTest::newRow("②") << QStringLiteral("按钮10");
        QTest::newRow("④") << QStringLiteral("按钮16");
    }

    void stepsWithoutAGeneratorSaySo() {
        QFETCH(QString, button);
        DesignerWindow designer;
        designer.click(button.toUtf8().constData());
        QCOMPARE(designer.shown().size(), 1);
        const QString caption = designer.find<QPushButton>(button.toUtf8().constData())->text();
        QCOMPARE(designer.shown().front(), caption + QStringLiteral("：此步骤尚未提供。"));
    }
};

QTEST_MAIN(GenerationTest)
#include "generation_test.moc"
