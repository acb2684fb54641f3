// A workspace frame that paints its border alone where a paint misses its title bar paints the
// same pixels as the frame painting itself whole.
#include "app/canvas/FrameBorderPaint.h"

#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>

#include <gtest/gtest.h>

using namespace vellumora;

namespace {

QMdiSubWindow* FrameAdd(QMdiArea& area, const QString& title, const QPoint& at)
{
    auto* client = new QWidget;
    client->setAutoFillBackground(true);
    client->setFixedSize(200, 900);
    QMdiSubWindow* frame = area.addSubWindow(client);
    frame->setWindowTitle(title);
    frame->move(at);
    frame->show();
    FrameBorderPaintInstall(frame);
    return frame;
}

// The frame and its window painted for the rows asked for alone, on a background none of them has.
QImage Rows(QMdiSubWindow* frame, const QRect& rows)
{
    QImage image(frame->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::magenta);
    frame->render(&image, rows.topLeft(), QRegion(rows), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

TEST(FrameBorderPaint, BorderRowsMatchTheWholeFrame)
{
    QMdiArea area;
    area.resize(700, 500);
    area.show();
    QMdiSubWindow* inactive = FrameAdd(area, QStringLiteral("受注処理0"), QPoint(20, -300));
    QMdiSubWindow* active = FrameAdd(area, QStringLiteral("受注処理1"), QPoint(300, -300));
    area.setActiveSubWindow(active);

    for (QMdiSubWindow* frame : {inactive, active}) {
        SCOPED_TRACE(frame->windowTitle().toStdString());
        const QImage whole = Rows(frame, frame->rect());
        const int client = frame->widget()->y();
        const int bottom = frame->height();
        struct Row {
            const char* why;
            QRect rows;
        };
        const Row rows[] = {
            {"a strip far from both ends", QRect(0, 400, frame->width(), 13)},
            {"one row", QRect(0, 401, frame->width(), 1)},
            {"the first rows under the title bar", QRect(0, client, frame->width(), 5)},
            {"the last rows, with the bottom edge", QRect(0, bottom - 13, frame->width(), 13)},
            {"the left border alone", QRect(0, 500, 6, 20)},
            {"rows that take in the title bar", QRect(0, 0, frame->width(), client + 10)},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.why);
            const QImage part = Rows(frame, row.rows);
            int differing = 0;
            for (int y = row.rows.top(); y <= row.rows.bottom(); ++y)
                for (int x = row.rows.left(); x <= row.rows.right(); ++x)
                    differing += part.pixel(x, y) != whole.pixel(x, y);
            EXPECT_EQ(differing, 0);
        }
    }
}

} // namespace
