#include "app/shell/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace vellumora {

namespace {

// The picture on a 64-unit square, scaled to the size asked for.
QPixmap Picture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    const QColor ink(0x1f, 0x3a, 0x6e);
    const QColor sheet(0xfb, 0xfb, 0xf6);
    const QColor box(0xd8, 0xe6, 0xf7);
    const QColor loop(0xf6, 0xd8, 0x8c);

    p.setPen(QPen(ink, 3));
    p.setBrush(sheet);
    p.drawRoundedRect(QRectF(6, 3, 52, 58), 5, 5);

    // The spine of a chart and three boxes hanging from it; the middle one is a loop with its
    // second bar, the last one a branch with its notch.
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(16, 10), QPointF(16, 54));
    p.setPen(QPen(ink, 2.5));
    p.setBrush(box);
    p.drawRect(QRectF(16, 10, 32, 10));
    p.setBrush(loop);
    p.drawRect(QRectF(16, 27, 32, 10));
    p.drawLine(QPointF(21, 27), QPointF(21, 37));
    p.setBrush(box);
    QPolygonF branch;
    branch << QPointF(16, 44) << QPointF(48, 44) << QPointF(44, 49) << QPointF(48, 54) << QPointF(16, 54);
    p.drawPolygon(branch);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(Picture(size));
    return icon;
}

} // namespace vellumora
