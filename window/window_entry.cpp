// The designer window as the program's entry when no command is given.
#include <QApplication>

#include "catalogue/catalogue.h"
#include "cli/window_entry.h"
#include "window/main_window.h"
#include "window/message_box.h"

namespace tabulon::cli {

int openWindow(const std::filesystem::path& runDir, int argc, char** argv) {
    int qtArgc = argc;
    QApplication application(qtArgc, argv);
    // Where the window's layout and the preview's port are kept between runs.
    QApplication::setOrganizationName(QStringLiteral("Tabulon"));
    QApplication::setApplicationName(QStringLiteral("Tabulon"));
    window::BoxMessages messages;
    window::WindowOptions options;
    options.runDir = runDir;
    options.openCatalogue = [runDir] { return catalogue::Catalogue::openInRunFolder(runDir); };
    options.prepareWine = true;
    window::MainWindow designer(messages, std::move(options));
    messages.setParentWindow(&designer);
    designer.show();
    return application.exec();
}

}  // namespace tabulon::cli
