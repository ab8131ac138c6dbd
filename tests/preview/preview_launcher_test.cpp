// The window's "⑤预览网站" against a stand-in for `tabulon serve`: a shell script that
// prints what the command prints, records its arguments and how it was stopped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QSettings>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <fstream>
#include <sys/stat.h>

#include "tests/support/temp_folder.h"
#include "window/preview_bar.h"
#include "window/preview_launcher.h"

namespace tabulon::window {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PreviewLauncherTest : public ::testing::Test {
protected:
    // `body` runs after the arguments are recorded; $MARK is a file the script may write.
    QString script(const std::string& body) {
        const auto file = folder.path() / "serve.sh";
        std::ofstream(file) << "#!/bin/sh\nMARK='" << (folder.path() / "mark").string() << "'\necho \"$@\" > '"
                            << (folder.path() / "args").string() << "'\n"
                            << body;
        chmod(file.c_str(), 0755);
        return QString::fromStdString(file.string());
    }
    PreviewLauncher* launcher(const QString& program) {
        return new PreviewLauncher(&button, messages,
                                   {folder.path(), program, [this] { return project; },
                                    [this](const QUrl& url) {
                                        opened.push_back(url.toString());
                                        return true;
                                    }});
    }
    std::string mark() const { return readAll(folder.path() / "mark"); }

    testing::TempFolder folder;
    QPushButton button;
    RecordedMessages messages;
    catalogue::Id project = 4;
    QStringList opened;
};

const char* kServes =
    "trap 'echo stopped > \"$MARK\"; exit 0' TERM\n"
    "echo '预览网站 记账（按 Ctrl+C 停止）：'\necho 'http://127.0.0.1:48123/'\n"
    "while true; do sleep 0.05; done\n";

TEST_F(PreviewLauncherTest, StartsShowsOpensAndStopsWithTheWindow) {
    auto* preview = launcher(script(kServes));
    QSignalSpy reported(preview, &PreviewLauncher::reported);
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->address().isEmpty(); }, 10000));
    EXPECT_EQ(preview->address(), "http://127.0.0.1:48123/");
    EXPECT_EQ(opened, QStringList{"http://127.0.0.1:48123/"});
    EXPECT_EQ(reported.last().at(0).toString(), "预览网站：http://127.0.0.1:48123/");
    EXPECT_EQ(readAll(folder.path() / "args"),
              "--run-dir " + folder.path().string() + " serve 4 --no-browser --port 0\n");

    // Pressed again for the same project: the browser is shown the same preview.
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2);

    delete preview;  // as when the window closes
    EXPECT_EQ(mark(), "stopped\n");
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(PreviewLauncherTest, AnotherProjectReplacesTheRunningPreview) {
    auto* preview = launcher(script(kServes));
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->address().isEmpty(); }, 10000));
    project = 7;
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(mark(), "stopped\n");  // the first one was stopped before the second started
    ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->address().isEmpty(); }, 10000));
    EXPECT_NE(readAll(folder.path() / "args").find(" serve 7 "), std::string::npos);
    preview->stop();
    EXPECT_TRUE(preview->address().isEmpty());
}

TEST_F(PreviewLauncherTest, AFailedStartShowsWhatTheCommandSaid) {
    auto* preview = launcher(script("echo '预览网站需要 Wine'\necho 'sudo apt-get install wine wine64'\nexit 1\n"));
    QSignalSpy reported(preview, &PreviewLauncher::reported);
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts().empty(); }, 10000));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"预览网站需要 Wine\nsudo apt-get install wine wine64"});
    EXPECT_TRUE(preview->address().isEmpty());
    EXPECT_EQ(reported.last().at(0).toString(), "预览已停止");

    messages.clear();
    project = -1;
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"请选择一个项目"});

    auto* missing = launcher(QString::fromStdString((folder.path() / "none").string()));
    messages.clear();
    project = 4;
    delete preview;
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts().empty(); }, 10000));
    EXPECT_NE(messages.texts().front().find("none"), std::string::npos) << messages.texts().front();
    delete missing;
}

TEST_F(PreviewLauncherTest, PreparingWineShowsItsProgressOnlyWhenThereIsWork) {
    auto* preview =
        launcher(script("echo '正在建立预览用的 Wine 环境 ~/.cache/tabulon/wine-preview（只需一次）……'\n"
                        "echo '……仍在建立 Wine 环境（已用 5 秒）'\necho '预览环境已就绪。'\n"
                        "echo done > \"$MARK\"\n"));
    QSignalSpy reported(preview, &PreviewLauncher::reported);
    preview->prepare();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark() == "done\n" && reported.size() >= 3; }, 10000));
    EXPECT_EQ(readAll(folder.path() / "args"), "--run-dir " + folder.path().string() + " prepare-preview\n");
    EXPECT_EQ(reported.last().at(0).toString(), "预览环境已就绪。");
    EXPECT_TRUE(messages.texts().empty());
    delete preview;

    // Nothing to make: the status bar is left alone.
    auto* ready = launcher(script("echo '预览环境已就绪。'\necho done > \"$MARK\"\n"));
    QSignalSpy quiet(ready, &PreviewLauncher::reported);
    std::filesystem::remove(folder.path() / "mark");
    ready->prepare();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark() == "done\n"; }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(quiet.size(), 0);
    delete ready;
}

}  // namespace
}  // namespace tabulon::window

namespace tabulon::window {
namespace {

// The address bar follows the running preview, names its project, copies the address, and
// a browser that cannot be started is said so, the address kept on show.
TEST_F(PreviewLauncherTest, TheAddressBarShowsTheRunningPreviewAndABrowserFailure) {
    PreviewSettings settings{folder.path(), script(kServes), [this] { return project; },
                             [this](const QUrl& url) {
                                 opened.push_back(url.toString());
                                 return false;  // xdg-open failed
                             }};
    settings.projectName = [](catalogue::Id) { return std::string("记账"); };
    settings.port = [] { return 48123; };
    auto* preview = new PreviewLauncher(&button, messages, std::move(settings));
    QSettings kept(QString::fromStdString((folder.path() / "window.ini").string()), QSettings::IniFormat);
    PreviewBar bar(*preview, kept);
    auto* address = bar.findChild<QLineEdit*>(QStringLiteral("previewAddress"));
    auto* copy = bar.findChild<QPushButton*>(QStringLiteral("previewCopy"));
    auto* label = bar.findChild<QLabel*>(QStringLiteral("previewProject"));
    ASSERT_TRUE(address && copy && label);
    EXPECT_TRUE(address->text().isEmpty());

    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !address->text().isEmpty(); }, 10000));
    EXPECT_EQ(address->text(), "http://127.0.0.1:48123/");
    EXPECT_EQ(label->text(), "预览 记账：");
    EXPECT_EQ(readAll(folder.path() / "args"),
              "--run-dir " + folder.path().string() + " serve 4 --no-browser --port 48123\n");
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0],
              "无法启动浏览器。请手动在浏览器中打开 http://127.0.0.1:48123/（可在预览栏中点“复制地址”）。");
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "http://127.0.0.1:48123/");

    preview->stop();
    EXPECT_TRUE(address->text().isEmpty());
    EXPECT_FALSE(copy->isEnabled());
    delete preview;
}

}  // namespace
}  // namespace tabulon::window

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
