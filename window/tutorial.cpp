#include "window/tutorial.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>

namespace tabulon::window {
namespace {

const QString kResourceRoot = QStringLiteral(":/tutorial");
const QString kStartPage = QStringLiteral("index.html");

}  // namespace

UrlOpener desktopBrowser() {
    return [](const QUrl& url) {
        // xdg-open is started and forgotten by QDesktopServices, which then reports success
        // even when no browser takes the address: run it, and judge by how it ends.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) return QDesktopServices::openUrl(url);
        auto* process = new QProcess;
        process->setProgram(opener);
        process->setArguments({url.toString()});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted(3000)) {
            delete process;
            return false;
        }
        if (process->waitForFinished(3000)) {
            const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
            delete process;
            return opened;
        }
        // Still running: it waits on a browser that took the address.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    };
}

QString tutorialFolder() { return QDir::temp().filePath(QStringLiteral("tabulon-tutorial")); }

std::optional<QUrl> releaseTutorial(const QString& folder, QString& problem) {
    QDirIterator files(kResourceRoot, QDir::Files, QDirIterator::Subdirectories);
    bool any = false;
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = QDir(folder).filePath(source.mid(kResourceRoot.size() + 1));
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            problem = QStringLiteral("无法创建文件夹 ") + QFileInfo(target).absolutePath();
            return std::nullopt;
        }
        QFile::remove(target);
        if (!QFile::copy(source, target)) {
            problem = QStringLiteral("无法写入 ") + target;
            return std::nullopt;
        }
        // Copies of resources are read-only; a later release must be able to replace them.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        any = true;
    }
    if (!any) {
        problem = QStringLiteral("程序中缺少教程页面。");
        return std::nullopt;
    }
    return QUrl::fromLocalFile(QDir(folder).filePath(kStartPage));
}

TutorialLink::TutorialLink(QLabel* link, Messages& messages, UrlOpener open)
    : QObject(link), link_(link), messages_(messages), open_(std::move(open)) {
    link_->installEventFilter(this);
}

bool TutorialLink::eventFilter(QObject* watched, QEvent* event) {
    if (watched == link_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        open();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TutorialLink::open() {
    QString problem;
    const auto page = releaseTutorial(tutorialFolder(), problem);
    if (!page) {
        messages_.show(("软件教程无法打开：" + problem).toStdString());
        return;
    }
    if (open_(*page)) return;
    // No browser: the tutorial opens in a window of our own, and its address is given so
    // that it can be opened elsewhere.
    auto* reader = new QTextBrowser;
    reader->setObjectName(QStringLiteral("tutorialWindow"));
    reader->setAttribute(Qt::WA_DeleteOnClose);
    reader->setWindowTitle(QStringLiteral("软件教程 - Tabulon"));
    reader->setOpenExternalLinks(false);
    reader->setSource(*page);
    reader->resize(820, 640);
    QObject::connect(link_, &QObject::destroyed, reader, &QWidget::close);
    reader->show();
    messages_.show(
        ("没有找到可以打开软件教程的浏览器，教程已在 Tabulon 自己的窗口中打开。\n教程地址：" + page->toString())
            .toStdString());
}

}  // namespace tabulon::window
