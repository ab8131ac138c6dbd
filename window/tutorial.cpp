#include "window/tutorial.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPixmap>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include <algorithm>
#include <vector>

namespace tabulon::window {
namespace {

const QString kResourceRoot = QStringLiteral(":/tutorial");
const QString kStartPage = QStringLiteral("index.html");

// The reader used when no browser takes the tutorial. A QTextBrowser knows no CSS
// max-width: pictures wider than the page would need a sideways scroll, so each is drawn
// at the page's width (never above its own) whenever the page or its width changes.
class TutorialReader final : public QTextBrowser {
public:
    TutorialReader() {
        document()->setUndoRedoEnabled(false);
        connect(this, &QTextBrowser::sourceChanged, this, [this] {
            sizes_.clear();
            fitPictures();
        });
    }

protected:
    bool viewportEvent(QEvent* event) override {
        const bool handled = QTextBrowser::viewportEvent(event);
        if (event->type() == QEvent::Resize) fitPictures();
        return handled;
    }

private:
    QSize pictureSize(const QString& name) {
        if (const auto known = sizes_.constFind(name); known != sizes_.constEnd()) return *known;
        QSize size;
        const QVariant picture = document()->resource(QTextDocument::ImageResource, QUrl(name));
        if (picture.typeId() == QMetaType::QImage) {
            size = picture.value<QImage>().size();
        } else if (picture.typeId() == QMetaType::QPixmap) {
            const auto pixmap = picture.value<QPixmap>();
            size = pixmap.deviceIndependentSize().toSize();
        } else if (picture.typeId() == QMetaType::QByteArray) {
            QByteArray bytes = picture.toByteArray();
            QBuffer buffer(&bytes);
            size = QImageReader(&buffer).size();
        }
        sizes_.insert(name, size);
        return size;
    }

    void fitPictures() {
        if (fitting_) return;  // the new widths may show or hide a scroll bar
        fitting_ = true;
        // The page's style sheet gives every paragraph side margins: a picture fits between them.
        const qreal page = viewport()->width() - 2 * document()->documentMargin() - 2;
        struct Change {
            int position;
            int length;
            QTextImageFormat format;
        };
        std::vector<Change> changes;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
                const QTextFragment fragment = piece.fragment();
                QTextImageFormat format = fragment.charFormat().toImageFormat();
                if (!format.isValid()) continue;
                const QSize natural = pictureSize(format.name());
                if (natural.isEmpty()) continue;
                const QTextBlockFormat margins = block.blockFormat();
                const qreal room =
                    std::max<qreal>(48, page - margins.leftMargin() - margins.rightMargin() - margins.textIndent() -
                                            margins.indent() * document()->indentWidth());
                const qreal width = std::min<qreal>(natural.width(), room);
                if (format.hasProperty(QTextFormat::ImageWidth) && qAbs(format.width() - width) < 0.5) continue;
                format.setWidth(width);
                format.setHeight(natural.height() * width / natural.width());
                changes.push_back({fragment.position(), fragment.length(), format});
            }
        }
        for (const Change& change : changes) {
            QTextCursor cursor(document());
            cursor.setPosition(change.position);
            cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(change.format);
        }
        fitting_ = false;
    }

    QHash<QString, QSize> sizes_;
    bool fitting_ = false;
};

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
    auto* reader = new TutorialReader;
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
