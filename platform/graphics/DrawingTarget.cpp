#include "platform/graphics/DrawingTarget.h"

#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::graphics {

namespace {

Qt::PenStyle PenStyleOf(std::int16_t drawStyle)
{
    switch (drawStyle) {
    case DrawStyle::Dash:
        return Qt::DashLine;
    case DrawStyle::Dot:
        return Qt::DotLine;
    case DrawStyle::DashDot:
        return Qt::DashDotLine;
    case DrawStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case DrawStyle::Invisible:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

QColor DrawnColor(std::int32_t value)
{
    const QColor color = ToQColor(value);
    return color.isValid() ? color : QColor(Qt::black);
}

// The rectangle spanned by two points, grown by a margin so that a horizontal or vertical line
// still covers an area.
QRect Span(QPoint a, QPoint b, std::int32_t margin)
{
    return QRect(QPoint(std::min(a.x(), b.x()) - margin, std::min(a.y(), b.y()) - margin),
                 QPoint(std::max(a.x(), b.x()) + margin, std::max(a.y(), b.y()) + margin));
}

double Degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

} // namespace

QColor ToQColor(std::int32_t value)
{
    if (value < 0 || value > 0xFFFFFF)
        return QColor();
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

std::int32_t FromQColor(const QColor& color)
{
    if (!color.isValid())
        return -1;
    const QColor rgb = color.toRgb();
    return rgb.red() + 256 * rgb.green() + 65536 * rgb.blue();
}

void DrawingTarget::Print(const QString& text)
{
    const std::int32_t x = currentX_;
    const std::int32_t y = currentY_;
    const double lineHeight = textmeasure::MeasureTextHeight(font_, QString());
    const QStringList lines = textmeasure::SplitTextLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        currentX_ = x;
        currentY_ = y + static_cast<std::int32_t>(std::lround(lineHeight * double(i)));
        PrintContinued(lines[i]);
    }
    // The next print position is the start of the line below the text.
    currentX_ = 0;
    currentY_ = y + static_cast<std::int32_t>(std::lround(lineHeight * double(lines.size())));
}

void DrawingTarget::PrintContinued(const QString& text)
{
    const double width = textmeasure::MeasureTextWidth(font_, text);
    const double height = textmeasure::MeasureTextHeight(font_, text);
    DrawRecord r;
    r.kind = DrawRecord::Kind::Text;
    r.p1 = QPoint(currentX_, currentY_);
    r.color = foreColor_;
    r.text = text;
    r.font = font_;
    r.bounds = QRect(currentX_, currentY_, static_cast<int>(std::ceil(width)) + 1, static_cast<int>(std::ceil(height)) + 1);
    // Italic overhangs its advance; let repaints of the neighbourhood include it.
    r.bounds.adjust(-TwipsPerPixel, 0, static_cast<int>(height / 4) + TwipsPerPixel, 0);
    currentX_ += static_cast<std::int32_t>(std::lround(width));
    if (!text.isEmpty())
        Emit(std::move(r));
}

DrawRecord DrawingTarget::Stroke(DrawRecord::Kind kind, std::int32_t color) const
{
    DrawRecord r;
    r.kind = kind;
    r.color = color;
    r.drawStyle = drawStyle_;
    r.drawWidth = drawWidth_;
    return r;
}

void DrawingTarget::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t color)
{
    // A line of no length draws nothing (a pen would leave a dot); the position still moves.
    if (x1 == x2 && y1 == y2) {
        currentX_ = x2;
        currentY_ = y2;
        return;
    }
    Segment(DrawRecord::Kind::Line, QPoint(x1, y1), QPoint(x2, y2), color);
}

void DrawingTarget::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t color)
{
    Segment(DrawRecord::Kind::Rectangle, QPoint(x1, y1), QPoint(x2, y2), color);
}

void DrawingTarget::Segment(DrawRecord::Kind kind, QPoint from, QPoint to, std::int32_t color)
{
    DrawRecord r = Stroke(kind, color);
    r.p1 = from;
    r.p2 = to;
    r.bounds = Span(from, to, std::max<std::int32_t>(1, drawWidth_) * TwipsPerPixel);
    currentX_ = to.x();
    currentY_ = to.y();
    Emit(std::move(r));
}

void DrawingTarget::Circle(std::int32_t x, std::int32_t y, std::int32_t radius, std::int32_t color)
{
    DrawRecord r = Stroke(DrawRecord::Kind::Circle, color);
    r.p1 = QPoint(x, y);
    r.radius = radius;
    r.end = 2.0 * std::numbers::pi;
    const std::int32_t reach = std::abs(radius) + std::max<std::int32_t>(1, drawWidth_) * TwipsPerPixel;
    r.bounds = QRect(QPoint(x - reach, y - reach), QPoint(x + reach, y + reach));
    currentX_ = x;
    currentY_ = y;
    Emit(std::move(r));
}

void DrawingTarget::Arc(std::int32_t x, std::int32_t y, std::int32_t radius, std::int32_t color, double start, double end)
{
    DrawRecord r = Stroke(DrawRecord::Kind::Arc, color);
    r.p1 = QPoint(x, y);
    r.radius = radius;
    r.start = start;
    r.end = end;
    const std::int32_t reach = std::abs(radius) + std::max<std::int32_t>(1, drawWidth_) * TwipsPerPixel;
    r.bounds = QRect(QPoint(x - reach, y - reach), QPoint(x + reach, y + reach));
    currentX_ = x;
    currentY_ = y;
    Emit(std::move(r));
}

double DrawingTarget::TextWidth(const QString& text) const
{
    return textmeasure::MeasureTextWidth(font_, text);
}

double DrawingTarget::TextHeight(const QString& text) const
{
    return textmeasure::MeasureTextHeight(font_, text);
}

void DrawingTarget::Cls()
{
    currentX_ = 0;
    currentY_ = 0;
}

void RetainedDrawing::Cls()
{
    DrawingTarget::Cls();
    records_.clear();
    bands_.clear();
    if (changed_)
        changed_(QRect());
}

void RetainedDrawing::SetBackColor(std::int32_t color)
{
    DrawingTarget::SetBackColor(color);
    if (changed_)
        changed_(QRect());
}

void RetainedDrawing::Emit(DrawRecord record)
{
    const QRect bounds = record.bounds;
    records_.push_back(std::move(record));
    BandsAdd(int(records_.size()) - 1);
    if (changed_)
        changed_(bounds);
}

void RetainedDrawing::Render(QPainter& painter, const QRect& exposedPixels) const
{
    painter.save();
    const QColor back = ToQColor(BackColor());
    if (back.isValid())
        painter.fillRect(exposedPixels, back);
    const QRect exposedTwips(exposedPixels.x() * TwipsPerPixel, exposedPixels.y() * TwipsPerPixel,
                             exposedPixels.width() * TwipsPerPixel, exposedPixels.height() * TwipsPerPixel);
    painter.scale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
    // Records are painted in the order they were drawn: a later one lies over an earlier one.
    std::vector<int> near;
    const int first = BandOf(exposedTwips.top());
    const int last = std::min(int(bands_.size()) - 1, BandOf(exposedTwips.bottom()));
    for (int band = first; band <= last; ++band)
        for (const int r : bands_[std::size_t(band)])
            if (records_[std::size_t(r)].bounds.intersects(exposedTwips))
                near.push_back(r);
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    for (const int r : near)
        PaintRecord(painter, records_[std::size_t(r)]);
    painter.restore();
}

int RetainedDrawing::BandOf(int y)
{
    // Far beyond the largest window: one band holds the rest.
    constexpr int LastBand = 4095;
    return std::clamp(y / BandTwips, 0, LastBand);
}

void RetainedDrawing::BandsAdd(int record)
{
    const QRect& bounds = records_[std::size_t(record)].bounds;
    if (bounds.isEmpty())
        return;
    const int first = BandOf(bounds.top());
    const int last = BandOf(bounds.bottom());
    if (int(bands_.size()) <= last)
        bands_.resize(std::size_t(last) + 1);
    for (int band = first; band <= last; ++band)
        bands_[std::size_t(band)].push_back(record);
}

void PaintRecord(QPainter& painter, const DrawRecord& record)
{
    if (record.kind == DrawRecord::Kind::Text) {
        const textmeasure::DrawingFont& font = textmeasure::DrawingFontFor(record.font);
        painter.setFont(font.font);
        painter.setPen(DrawnColor(record.color));
        // Text hangs from the current position; Qt places the baseline.
        painter.drawText(QPointF(record.p1.x(), record.p1.y() + font.ascent), record.text);
        return;
    }
    QPen pen(DrawnColor(record.color));
    pen.setWidthF(double(std::max<std::int16_t>(1, record.drawWidth)) * TwipsPerPixel);
    pen.setStyle(PenStyleOf(record.drawStyle));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (record.kind) {
    case DrawRecord::Kind::Line:
        // A line of no length (a window's line control can be one) leaves no dot.
        if (record.p1 != record.p2)
            painter.drawLine(record.p1, record.p2);
        break;
    case DrawRecord::Kind::Rectangle:
        painter.drawRect(QRectF(QPointF(record.p1), QPointF(record.p2)).normalized());
        break;
    case DrawRecord::Kind::Circle: {
        const double r = std::abs(record.radius);
        painter.drawEllipse(QPointF(record.p1), r, r);
        break;
    }
    case DrawRecord::Kind::Arc: {
        // A negative angle also draws the radius to that end, as the old platform did.
        const double r = std::abs(record.radius);
        const QRectF box(record.p1.x() - r, record.p1.y() - r, 2 * r, 2 * r);
        const double start = std::abs(record.start);
        double span = std::abs(record.end) - start;
        if (span < 0)
            span += 2.0 * std::numbers::pi;
        QPainterPath path;
        path.arcMoveTo(box, Degrees(start));
        path.arcTo(box, Degrees(start), Degrees(span));
        if (record.end < 0)
            path.lineTo(QPointF(record.p1));
        if (record.start < 0) {
            path.moveTo(QPointF(record.p1));
            QPainterPath startPoint;
            startPoint.arcMoveTo(box, Degrees(start));
            path.lineTo(startPoint.currentPosition());
        }
        painter.drawPath(path);
        break;
    }
    case DrawRecord::Kind::Text:
        break;
    }
}

} // namespace platform::graphics
