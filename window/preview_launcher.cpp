#include "window/preview_launcher.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

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
        if (!address_.isEmpty()) open();  // already running: show it again
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
                            QStringLiteral("--port"), QStringLiteral("0")});
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
    open();
}

void PreviewLauncher::open() {
    if (!settings_.openUrl || !settings_.openUrl(QUrl(address_)))
        emit reported(QStringLiteral("无法打开浏览器，请手动打开 ") + address_);
}

void PreviewLauncher::ended(int exitCode, QProcess::ExitStatus status) {
    if (!process_) return;
    auto* finished = std::exchange(process_, nullptr);
    output_ += QString::fromUtf8(finished->readAllStandardOutput());
    const bool started = !address_.isEmpty();
    address_.clear();
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
