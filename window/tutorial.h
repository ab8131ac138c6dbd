#pragma once
// The tutorial that ships inside Tabulon: its pages are released into a folder and the
// start page opened in the desktop's browser when the user presses "软件教程".
#include <QLabel>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

#include "base/messages.h"

namespace tabulon::window {

// Opens an address in the desktop's browser; false when no browser took it.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener desktopBrowser();

// Copies every tutorial file into `folder` (replacing older copies) and returns the
// address of the start page, or nothing with `problem` set.
std::optional<QUrl> releaseTutorial(const QString& folder, QString& problem);

// The folder the tutorial is released into: a folder of its own in the temporary folder.
QString tutorialFolder();

class TutorialLink final : public QObject {
    Q_OBJECT
public:
    TutorialLink(QLabel* link, Messages& messages, UrlOpener open);

    // Releases the tutorial and opens it, as a press on the link does.
    void open();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* link_;
    Messages& messages_;
    UrlOpener open_;
};

}  // namespace tabulon::window
