// Draws Tabulon's icon into the hicolor sizes the desktop looks for:
//   draw_icons OUTPUT_FOLDER  ->  OUTPUT_FOLDER/<N>x<N>/apps/tabulon.png
#include <QDir>
#include <QGuiApplication>

#include <iostream>

#include "window/app_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: draw_icons OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder) ||
            !tabulon::window::drawAppIcon(size).save(folder + QStringLiteral("/tabulon.png"))) {
            std::cerr << "cannot write the icon into " << folder.toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}
