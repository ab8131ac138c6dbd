#pragma once
// Tabulon's icon, drawn rather than shipped as a picture: a sheet of rows under a
// header on a blue tile. The window uses it, and the build draws the installed sizes.
#include <QIcon>
#include <QImage>

namespace tabulon::window {

// The icon drawn at `size` × `size` pixels, with a transparent edge.
QImage drawAppIcon(int size);
// Every usual size, for the window's title bar and task bar.
QIcon appIcon();

}  // namespace tabulon::window
