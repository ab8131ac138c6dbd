// The window's preview data actions: rows entered in the preview are written back into the
// site's data.mdb (read again by mdbtools), ② warns about them first, and the address bar
// shows the running preview and says when no browser takes it.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdlib>
#include <fstream>

#include "designer_window.h"
#include "jet/table_data.h"
#include "preview/workcopy/preview_data.h"

using tabulon::testing::DesignerWindow;
namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A built site whose preview working copy holds one row more than its data.mdb.
fs::path siteWithPreviewRow(DesignerWindow& designer) {
    designer.click("按钮10");
    designer.clearShown();
    const fs::path mdb = designer.runDir() / "记账" / "data" / "data.mdb";
    const fs::path copy = tabulon::preview::workingCopyPath(designer.runDir(), 4);
    tabulon::preview::reloadWorkingCopy(mdb, copy);
    SQLite::Database db(copy.string(), SQLite::OPEN_READWRITE);
    db.exec("INSERT INTO 消费类型 (类型名称) VALUES ('预览中输入')");
    return mdb;
}

}  // namespace

class PreviewDataTest : public QObject {
    Q_OBJECT
private slots:
    void previewRowsAreWrittenBackAndMdbtoolsReadsThem() {
        DesignerWindow designer;
        const fs::path mdb = siteWithPreviewRow(designer);
        const std::string before = bytesOf(mdb);
        designer.find<QAction>("previewWriteBackAction")->trigger();
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY2(designer.shown().front().startsWith(QStringLiteral("预览数据已写回 ")),
                 qPrintable(designer.shown().front()));
        std::size_t kept = 0;
        for (const auto& entry : fs::directory_iterator(mdb.parent_path()))
            if (entry.path().filename().string().starts_with("data-")) {
                ++kept;
                QVERIFY(bytesOf(entry.path()) == before);
            }
        QCOMPARE(kept, std::size_t{1});
        if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) QSKIP("mdbtools is not installed");
        const fs::path csv = designer.runDir() / "types.csv";
        const std::string command = "mdb-export '" + mdb.string() + "' 消费类型 > '" + csv.string() + "'";
        QCOMPARE(std::system(command.c_str()), 0);
        QVERIFY(bytesOf(csv).find("\"预览中输入\"") != std::string::npos);
    }

    void theDatabaseQuestionMentionsNewerPreviewData() {
        DesignerWindow designer;
        siteWithPreviewRow(designer);
        designer.click("按钮16");  // the login account: data.mdb now holds a row
        designer.clearShown();
        QString question;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            question = box->text();
            for (auto* button : box->buttons())
                if (button->text() == QStringLiteral("取消")) QTest::mouseClick(button, Qt::LeftButton);
        });
        designer.click("按钮10");
        QVERIFY2(
            question.startsWith(QStringLiteral("data.mdb 中已有 1 条记录。\n预览的工作副本中有比 data.mdb 更新的数据")),
            qPrintable(question));
        QVERIFY(!question.contains(QStringLiteral("：\n")) && !question.endsWith(QStringLiteral("：")));
    }

    void reloadingAsksBeforeDroppingPreviewRows() {
        DesignerWindow designer;
        siteWithPreviewRow(designer);
        designer.answerQuestions(false);
        designer.find<QPushButton>("previewReload")->click();
        QCOMPARE(designer.asked().size(), 1);
        const fs::path copy = tabulon::preview::workingCopyPath(designer.runDir(), 4);
        QVERIFY(tabulon::preview::holdsNewerData(copy));
        designer.answerQuestions(true);
        designer.find<QPushButton>("previewReload")->click();
        QVERIFY(!tabulon::preview::holdsNewerData(copy));
    }

    void theAddressBarWaitsForAPreview() {
        DesignerWindow designer;
        auto* address = designer.find<QLineEdit>("previewAddress");
        QVERIFY(address->isReadOnly());
        QVERIFY(address->text().isEmpty());
        QVERIFY(!designer.find<QPushButton>("previewOpen")->isEnabled());
        QVERIFY(!designer.find<QPushButton>("previewCopy")->isEnabled());
        QCOMPARE(designer.find<QSpinBox>("previewPort")->specialValueText(), QStringLiteral("自动"));
    }

    // ⑤ runs `tabulon serve` for the chosen project: the bar shows its address and project
    // until the preview stops, copies the address and opens it in the browser.
    void theAddressBarShowsTheRunningPreview() {
        DesignerWindow::setPreviewProgram(QStringLiteral(TABULON_EXECUTABLE));
        qputenv("TABULON_PREVIEW_HOST", FAKE_ASPHOST);
        DesignerWindow designer;
        auto* address = designer.find<QLineEdit>("previewAddress");
        designer.click("按钮18");
        QTRY_VERIFY_WITH_TIMEOUT(!address->text().isEmpty(), 60000);
        QVERIFY2(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:\\d+/$")).match(address->text()).hasMatch(),
                 qPrintable(address->text()));
        QCOMPARE(designer.find<QLabel>("previewProject")->text(), QStringLiteral("预览 记账："));
        // ⑤ opened it once; 在浏览器中打开 opens it again.
        QCOMPARE(designer.openedAddresses().size(), std::size_t{1});
        QTest::mouseClick(designer.find<QPushButton>("previewOpen"), Qt::LeftButton);
        QCOMPARE(designer.openedAddresses().size(), std::size_t{2});
        QCOMPARE(designer.openedAddresses().back().toString(), address->text());
        QTest::mouseClick(designer.find<QPushButton>("previewCopy"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), address->text());

        // The site's front page comes from the running preview.
        QNetworkAccessManager network;
        QNetworkReply* reply = network.get(QNetworkRequest(QUrl(address->text() + QStringLiteral("index.asp"))));
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 20000);
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        reply->deleteLater();

        // Without a browser the window says so, and the address stays.
        designer.setBrowserWorks(false);
        designer.clearShown();
        QTest::mouseClick(designer.find<QPushButton>("previewOpen"), Qt::LeftButton);
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().contains(address->text()));
        QVERIFY(!address->text().isEmpty());

        // Closing the window stops the preview.
        const QString running = address->text();
        QVERIFY(designer.window().close());
        QNetworkReply* after = network.get(QNetworkRequest(QUrl(running)));
        QTRY_VERIFY_WITH_TIMEOUT(after->isFinished(), 20000);
        QVERIFY(after->error() != QNetworkReply::NoError);
        after->deleteLater();
    }

    // Renaming the previewed project's site folder stops the preview that serves it first;
    // the next ⑤ serves the folder under its new name.
    void renamingThePreviewedSiteStopsItsPreview() {
        DesignerWindow::setPreviewProgram(QStringLiteral(TABULON_EXECUTABLE));
        qputenv("TABULON_PREVIEW_HOST", FAKE_ASPHOST);
        DesignerWindow designer;
        auto* address = designer.find<QLineEdit>("previewAddress");
        designer.click("按钮18");
        QTRY_VERIFY_WITH_TIMEOUT(!address->text().isEmpty(), 60000);
        designer.clearShown();
        designer.type("编辑框4", QStringLiteral("家庭账"));
        designer.click("按钮6");
        QCOMPARE(designer.asked().size(), 1);
        QVERIFY(address->text().isEmpty());
        QVERIFY(designer.shown().isEmpty());  // stopped on purpose: no "unexpected end"
        QVERIFY(fs::is_regular_file(designer.runDir() / "家庭账" / "data" / "data.mdb"));
        QVERIFY(!fs::exists(designer.runDir() / "记账"));

        designer.click("按钮18");
        QTRY_VERIFY_WITH_TIMEOUT(!address->text().isEmpty(), 60000);
        QCOMPARE(designer.find<QLabel>("previewProject")->text(), QStringLiteral("预览 家庭账："));
        QVERIFY(!fs::exists(designer.runDir() / "记账"));
    }
};

QTEST_MAIN(PreviewDataTest)
#include "preview_data_test.moc"
