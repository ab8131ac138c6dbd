#include "window/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace tabulon::window {

QImage drawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;

    // The tile.
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0.5 * unit, 0.5 * unit, 15 * unit, 15 * unit), 3 * unit, 3 * unit);
    painter.fillPath(tile, QColor(0x1f, 0x5f, 0xa8));

    // The sheet: a header row and three rows split into two columns.
    const QRectF sheet(3 * unit, 3.5 * unit, 10 * unit, 9 * unit);
    painter.fillRect(sheet, Qt::white);
    painter.fillRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 2.2 * unit), QColor(0xf2, 0x9b, 0x1d));
    QPen line(QColor(0x1f, 0x5f, 0xa8));
    line.setWidthF(std::max(1.0, 0.5 * unit));
    painter.setPen(line);
    for (int row = 1; row <= 2; ++row) {
        const qreal y = sheet.top() + 2.2 * unit + row * (sheet.height() - 2.2 * unit) / 3;
        painter.drawLine(QPointF(sheet.left(), y), QPointF(sheet.right(), y));
    }
    const qreal x = sheet.left() + sheet.width() * 0.38;
    painter.drawLine(QPointF(x, sheet.top() + 2.2 * unit), QPointF(x, sheet.bottom()));
    return image;
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

}  // namespace tabulon::window
