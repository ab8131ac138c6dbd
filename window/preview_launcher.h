#pragma once
// "⑤预览网站": runs `tabulon serve <project> --no-browser --port 0` as a child process for the
// current project, shows its address in the status bar, opens it in the desktop's browser,
// and stops it when the window goes (or another project is previewed).
#include <QObject>
#include <QProcess>
#include <QPushButton>
#include <QString>

#include <filesystem>
#include <functional>

#include "base/messages.h"
#include "catalogue/records.h"
#include "window/tutorial.h"

namespace tabulon::window {

struct PreviewSettings {
    std::filesystem::path runDir;
    QString program;                                // the tabulon executable; empty: this program
    std::function<catalogue::Id()> currentProject;  // -1: none chosen
    UrlOpener openUrl;
};

class PreviewLauncher final : public QObject {
    Q_OBJECT
public:
    PreviewLauncher(QPushButton* button, Messages& messages, PreviewSettings settings);
    ~PreviewLauncher() override;

    // The running preview's address; empty while none runs or it is still starting.
    QString address() const { return address_; }
    // Stops the running preview, if any, and waits for it to end.
    void stop();
    // Makes the preview's Wine environment in the background (`tabulon prepare-preview`),
    // so the first preview does not wait for it; its progress goes to the status bar.
    void prepare();

signals:
    // A line for the status bar.
    void reported(const QString& text);

private:
    void pressed();
    void start(catalogue::Id project);
    void readOutput();
    void ended(int exitCode, QProcess::ExitStatus status);
    void open();

    Messages& messages_;
    PreviewSettings settings_;
    QProcess* process_ = nullptr;
    catalogue::Id project_ = -1;
    QString address_;
    QString output_;  // what the command printed, shown if it fails
    bool stopping_ = false;
};

}  // namespace tabulon::window
