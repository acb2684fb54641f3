#pragma once

// The floor a print is measured against: QPdfWriter alone writing a given number of pages, boxes,
// lines and texts, spread evenly over the pages, in the program's page size, resolution and font.
// Needs nothing of the program, so that a program of its own can write it too.

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <algorithm>

namespace benchsupport {

// What the pages of a print show, counted in its draw work files.
struct PrintShapes {
    int pages = 0;
    int boxes = 0;
    int lines = 0;
    int texts = 0;
};

inline void PdfWriterFloorWrite(const PrintShapes& shapes, const QString& pdf)
{
    QPdfWriter writer(pdf);
    writer.setResolution(1440);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(210);
    painter.setFont(font);
    const int pages = std::max(1, shapes.pages);
    const auto share = [pages](int all, int page) { return all / pages + (page < all % pages ? 1 : 0); };
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        const int boxes = share(shapes.boxes, page);
        const int lines = share(shapes.lines, page);
        const int texts = share(shapes.texts, page);
        for (int i = 0; i < boxes; ++i)
            painter.drawRect(QRectF(600 + (i % 4) * 3000, 600 + (i / 4 % 40) * 400, 2500, 300));
        for (int i = 0; i < lines; ++i)
            painter.drawLine(QPointF(600 + (i % 4) * 3000, 900 + (i / 4 % 40) * 400),
                             QPointF(600 + (i % 4) * 3000, 1000 + (i / 4 % 40) * 400));
        for (int i = 0; i < texts; ++i)
            painter.drawText(QRectF(700 + (i % 4) * 3000, 650 + (i / 4 % 40) * 400, 2400, 250), Qt::AlignLeft,
                             QStringLiteral("件数%1を数える").arg(i));
    }
    painter.end();
}

} // namespace benchsupport
