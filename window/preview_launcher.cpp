#include "window/preview_launcher.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

#include "base/error.h"
#include "base/file_output.h"
#include "generator/naming/naming.h"
#include "preview/workcopy/preview_data.h"

namespace tabulon::window {
namespace {

constexpr int kStopWaitMs = 10000;

}  // namespace

PreviewLauncher::PreviewLauncher(QPushButton* button, Messages& messages, PreviewSettings settings)
    : QObject(button), messages_(messages), settings_(std::move(settings)) {
    if (settings_.program.isEmpty()) settings_.program = QCoreApplication::applicationFilePath();
    connect(button, &QPushButton::clicked, this, &PreviewLauncher::pressed);
}

PreviewLauncher::~PreviewLauncher() { stop(); }

void PreviewLauncher::pressed() {
    const auto project = settings_.currentProject ? settings_.currentProject() : -1;
    if (project < 0) {
        messages_.show("请选择一个项目");
        return;
    }
    if (process_ && project == project_) {
        if (!address_.isEmpty()) openInBrowser();  // already running: show it again
        return;
    }
    stop();
    start(project);
}

void PreviewLauncher::start(catalogue::Id project) {
    project_ = project;
    address_.clear();
    output_.clear();
    stopping_ = false;
    process_ = new QProcess(this);
    process_->setProgram(settings_.program);
    process_->setArguments({QStringLiteral("--run-dir"), QString::fromStdString(settings_.runDir.string()),
                            QStringLiteral("serve"), QString::number(project), QStringLiteral("--no-browser"),
                            QStringLiteral("--port"), QString::number(settings_.port ? settings_.port() : 0)});
    // Its request log is not kept: an unread pipe would fill and stall the server.
    process_->setStandardErrorFile(QProcess::nullDevice());
    connect(process_, &QProcess::readyReadStandardOutput, this, &PreviewLauncher::readOutput);
    connect(process_, &QProcess::finished, this, &PreviewLauncher::ended);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) ended(-1, QProcess::CrashExit);
    });
    emit reported(QStringLiteral("正在启动预览……（第一次要建立 Wine 环境，可能需要半分钟）"));
    process_->start();
}

void PreviewLauncher::prepare() {
    auto* preparing = new QProcess(this);
    preparing->setProgram(settings_.program);
    preparing->setArguments({QStringLiteral("--run-dir"), QString::fromStdString(settings_.runDir.string()),
                             QStringLiteral("prepare-preview")});
    preparing->setStandardErrorFile(QProcess::nullDevice());
    // Its lines reach the status bar only when it has work to do and no preview runs.
    connect(preparing, &QProcess::readyReadStandardOutput, this, [this, preparing] {
        const auto lines = QString::fromUtf8(preparing->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (const auto& line : lines) {
            const bool working = line.contains(QStringLiteral("Wine"));
            if (working) preparing->setProperty("working", true);
            if (!process_ && (working || preparing->property("working").toBool())) emit reported(line.trimmed());
        }
    });
    connect(preparing, &QProcess::finished, preparing, &QObject::deleteLater);
    preparing->start();
}

void PreviewLauncher::readOutput() {
    if (!process_) return;
    output_ += QString::fromUtf8(process_->readAllStandardOutput());
    if (!address_.isEmpty()) return;
    static const QRegularExpression kAddress(QStringLiteral("^(http://127\\.0\\.0\\.1:\\d+/)\\s*$"),
                                             QRegularExpression::MultilineOption);
    const auto match = kAddress.match(output_);
    if (!match.hasMatch()) return;
    address_ = match.captured(1);
    emit reported(QStringLiteral("预览网站：") + address_);
    emit addressChanged(address_, QString::fromStdString(settings_.projectName ? settings_.projectName(project_) : ""));
    openInBrowser();
}

void PreviewLauncher::openInBrowser() {
    if (address_.isEmpty()) return;
    if (settings_.openUrl && settings_.openUrl(QUrl(address_))) return;
    // The address stays in the preview bar, to be copied into a browser by hand.
    messages_.show(
        ("无法启动浏览器。请手动在浏览器中打开 " + address_ + "（可在预览栏中点“复制地址”）。").toStdString());
}

bool PreviewLauncher::dataFiles(catalogue::Id project, std::filesystem::path& mdb, std::filesystem::path& copy) {
    const std::string name = project >= 0 && settings_.projectName ? settings_.projectName(project) : std::string();
    if (name.empty()) {
        messages_.show("请选择一个项目");
        return false;
    }
    try {
        mdb = generator::siteFolder(settings_.runDir, name) / "data" / "data.mdb";
    } catch (const Error& e) {
        messages_.show(e.what());
        return false;
    }
    copy = preview::workingCopyPath(settings_.runDir, project);
    return true;
}

void PreviewLauncher::reloadDatabase() {
    std::filesystem::path mdb, copy;
    if (!dataFiles(settings_.currentProject ? settings_.currentProject() : -1, mdb, copy)) return;
    if (preview::holdsNewerData(copy) && settings_.confirm &&
        !settings_.confirm("预览的工作副本中有尚未写回 data.mdb 的数据，重新载入将丢弃它们。要重新载入吗？"))
        return;
    try {
        preview::reloadWorkingCopy(mdb, copy);
        emit reported(QStringLiteral("已从 %1 重新载入预览数据").arg(QString::fromStdString(displayPath(mdb))));
    } catch (const Error& e) {
        messages_.show(e.what());
    }
}

void PreviewLauncher::writeBack() {
    std::filesystem::path mdb, copy;
    if (!dataFiles(settings_.currentProject ? settings_.currentProject() : -1, mdb, copy)) return;
    try {
        const auto result = preview::writeBack(mdb, copy);
        std::string text = "预览数据已写回 " + displayPath(mdb) + "（" + std::to_string(result.rows) +
                           " 条记录）；原文件保留为 " + displayPath(result.keptCopy) + "。";
        for (const auto& line : result.lines) text += "\n" + line;
        messages_.show(text);
    } catch (const Error& e) {
        messages_.show(e.what());
    }
}

void PreviewLauncher::ended(int exitCode, QProcess::ExitStatus status) {
    if (!process_) return;
    auto* finished = std::exchange(process_, nullptr);
    output_ += QString::fromUtf8(finished->readAllStandardOutput());
    const bool started = !address_.isEmpty();
    address_.clear();
    emit addressChanged(QString(), QString());
    finished->deleteLater();
    if (stopping_) return;
    if (!started || status != QProcess::NormalExit || exitCode != 0) {
        QString text = output_.trimmed();
        if (text.isEmpty())
            text = finished->error() == QProcess::FailedToStart ? QStringLiteral("无法启动 ") + settings_.program
                                                                : QStringLiteral("预览意外结束。");
        messages_.show(text.toStdString());
    }
    emit reported(QStringLiteral("预览已停止"));
}

void PreviewLauncher::stop() {
    if (!process_) return;
    stopping_ = true;
    auto* running = process_;
    // SIGTERM: the command stops its ASP host and ends by itself.
    running->terminate();
    if (!running->waitForFinished(kStopWaitMs)) {
        running->kill();
        running->waitForFinished(kStopWaitMs);
    }
    if (process_) ended(running->exitCode(), running->exitStatus());
}

}  // namespace tabulon::window
