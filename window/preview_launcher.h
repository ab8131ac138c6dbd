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
    std::function<std::string(catalogue::Id)> projectName;  // "" when the project is gone
    std::function<int()> port;                              // none or 0: any free port
    std::function<bool(const std::string&)> confirm;        // yes/no before data is dropped
};

class PreviewLauncher final : public QObject {
    Q_OBJECT
public:
    PreviewLauncher(QPushButton* button, Messages& messages, PreviewSettings settings);
    ~PreviewLauncher() override;

    // The running preview's address; empty while none runs or it is still starting.
    QString address() const { return address_; }
    // The project the preview runs for; -1 while none runs.
    catalogue::Id runningProject() const { return process_ ? project_ : -1; }
    // Stops the running preview, if any, and waits for it to end.
    void stop();
    // Makes the preview's Wine environment in the background (`tabulon prepare-preview`),
    // so the first preview does not wait for it; its progress goes to the status bar.
    void prepare();
    // Opens the running preview's address in the desktop's browser; says so when it cannot.
    void openInBrowser();
    // The current project's working copy made afresh from its data/data.mdb.
    void reloadDatabase();
    // The current project's working copy written into its data/data.mdb, a dated copy kept.
    void writeBack();

signals:
    // A line for the status bar.
    void reported(const QString& text);
    // The address of the running preview and its project's name (both empty: none runs).
    void addressChanged(const QString& address, const QString& project);

private:
    void pressed();
    void start(catalogue::Id project);
    void readOutput();
    void ended(int exitCode, QProcess::ExitStatus status);

    Messages& messages_;
    PreviewSettings settings_;
    QProcess* process_ = nullptr;
    // data/data.mdb and the working copy of `project`; false (and said) without a project.
    bool dataFiles(catalogue::Id project, std::filesystem::path& mdb, std::filesystem::path& copy);

    catalogue::Id project_ = -1;
    QString address_;
    QString output_;  // what the command printed, shown if it fails
    bool stopping_ = false;
};

}  // namespace tabulon::window
