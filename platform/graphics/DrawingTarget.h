#pragma once

// Drawing in twips on a canvas window or the printer: the font, colours and current position of the
// target, text printed top-anchored at the current position, lines, rectangle outlines, circles and
// arcs, line styles, text metrics, and the retained drawing a window repaints from.

#include "platform/textmeasure/TextMeasure.h"
#include "platform/vbrt/Value.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

namespace platform::graphics {

// On screen 15 twips make one pixel (96 dpi), fixed.
using vbrt::TwipsPerPixel;

// The program's colour value is red + 256 x green + 65536 x blue; QRgb packs 0xRRGGBB, the other way
// round. These two are the only crossing between the two. A value outside 0 to 0xFFFFFF (the default
// colour -1 included: resolve it first) gives an invalid QColor.
QColor ToQColor(std::int32_t value);
std::int32_t FromQColor(const QColor& color);

// The background of a window before anything sets it: white.
constexpr std::int32_t DefaultBackColor = 0xFFFFFF;

// Line styles, numbered as the old platform's pen styles.
namespace DrawStyle {
constexpr std::int16_t Solid = 0;
constexpr std::int16_t Dash = 1;
constexpr std::int16_t Dot = 2;
constexpr std::int16_t DashDot = 3;
constexpr std::int16_t DashDotDot = 4;
constexpr std::int16_t Invisible = 5;
constexpr std::int16_t InsideSolid = 6;
} // namespace DrawStyle

// One drawn item, in twips.
struct DrawRecord {
    enum class Kind { Text, Line, Rectangle, Circle, Arc };
    Kind kind = Kind::Line;
    QPoint p1;                // text: top-left; line and rectangle: first point; circle and arc: centre
    QPoint p2;                // line and rectangle: second point
    std::int32_t radius = 0;  // circle and arc
    double start = 0.0;       // arc: radians, counter-clockwise as seen on screen, 0 pointing right
    double end = 0.0;
    std::int32_t color = 0;   // a colour value
    std::int16_t drawStyle = DrawStyle::Solid;
    std::int16_t drawWidth = 1; // pixels
    QString text;             // text: one line
    textmeasure::FontSpec font;   // text
    QRect bounds;             // twips covered, for repainting only what is exposed
};

// State and operations shared by the printer and canvas windows; a target decides where drawn
// records go.
class DrawingTarget {
public:
    virtual ~DrawingTarget() = default;

    const textmeasure::FontSpec& Font() const { return font_; }
    const QString& FontName() const { return font_.name; }
    void SetFontName(const QString& name) { font_.name = name; }
    float FontSize() const { return font_.size; }
    void SetFontSize(float points) { font_.size = points; }
    bool FontBold() const { return font_.bold; }
    void SetFontBold(bool on) { font_.bold = on; }
    bool FontItalic() const { return font_.italic; }
    void SetFontItalic(bool on) { font_.italic = on; }
    bool FontStrikethru() const { return font_.strikethru; }
    void SetFontStrikethru(bool on) { font_.strikethru = on; }
    bool FontUnderline() const { return font_.underline; }
    void SetFontUnderline(bool on) { font_.underline = on; }

    std::int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(std::int32_t color) { foreColor_ = color; }
    std::int32_t FillColor() const { return fillColor_; }
    void SetFillColor(std::int32_t color) { fillColor_ = color; }
    std::int32_t BackColor() const { return backColor_; }
    virtual void SetBackColor(std::int32_t color) { backColor_ = color; }

    std::int32_t CurrentX() const { return currentX_; }
    void SetCurrentX(std::int32_t x) { currentX_ = x; }
    std::int32_t CurrentY() const { return currentY_; }
    void SetCurrentY(std::int32_t y) { currentY_ = y; }

    std::int16_t DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(std::int16_t style) { drawStyle_ = style; }
    std::int16_t DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(std::int16_t pixels) { drawWidth_ = pixels; }

    // Prints the text in the fore colour with its top at the current position, each further line
    // (CR LF or LF) one line height lower at the same x; afterwards x is 0 and y is below the text.
    void Print(const QString& text);
    // Prints one line the same way but leaves the position right of it (x + width, same y).
    void PrintContinued(const QString& text);

    // A line from (x1, y1) to (x2, y2), nothing when the two are one point; the current position
    // becomes (x2, y2).
    void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t color);
    // The outline of the rectangle with these corners; the current position becomes (x2, y2).
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t color);
    // A full circle; the current position becomes the centre.
    void Circle(std::int32_t x, std::int32_t y, std::int32_t radius, std::int32_t color);
    // An arc counter-clockwise (as seen on screen) from start to end, radians, 0 pointing right.
    void Arc(std::int32_t x, std::int32_t y, std::int32_t radius, std::int32_t color, double start, double end);

    // Twips of the text in the current font: the widest line, and one line height per line.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;

    bool AutoRedraw() const { return autoRedraw_; }
    virtual void SetAutoRedraw(bool on) { autoRedraw_ = on; }

    // Clears what was drawn; the current position returns to (0, 0).
    virtual void Cls();

protected:
    virtual void Emit(DrawRecord record) = 0;

private:
    DrawRecord Stroke(DrawRecord::Kind kind, std::int32_t color) const;
    void Segment(DrawRecord::Kind kind, QPoint from, QPoint to, std::int32_t color);

    textmeasure::FontSpec font_;
    std::int32_t foreColor_ = 0;
    std::int32_t fillColor_ = 0;
    std::int32_t backColor_ = DefaultBackColor;
    std::int32_t currentX_ = 0;
    std::int32_t currentY_ = 0;
    std::int16_t drawStyle_ = DrawStyle::Solid;
    std::int16_t drawWidth_ = 1;
    bool autoRedraw_ = false;
};

// A target that keeps what was drawn as a list of records, so that a window repaints an exposed
// rectangle without drawing its boxes again.
class RetainedDrawing : public DrawingTarget {
public:
    const std::vector<DrawRecord>& Records() const { return records_; }

    // Called with the twips that changed after each drawn record, and with an empty rectangle
    // (meaning everything) after clearing or a new background colour.
    void SetChangedHandler(std::function<void(const QRect& twips)> handler) { changed_ = std::move(handler); }

    void Cls() override;
    void SetBackColor(std::int32_t color) override;

    // Paints the background colour and every record that meets the exposed rectangle. The painter
    // works in pixels with (0, 0) at twip (0, 0); the exposed rectangle is in those pixels.
    void Render(QPainter& painter, const QRect& exposedPixels) const;

protected:
    void Emit(DrawRecord record) override;

private:
    // The records whose bounds meet a band of rows, so that a paint visits only the records near
    // its rectangle; kept as records are added.
    static constexpr int BandTwips = 4800;
    // The band of a row; rows above the first band or below the last lie in it.
    static int BandOf(int y);
    void BandsAdd(int record);

    std::vector<DrawRecord> records_;
    std::vector<std::vector<int>> bands_;
    std::function<void(const QRect&)> changed_;
};

// Paints records onto a painter whose unit is the twip (the caller sets the transform).
void PaintRecord(QPainter& painter, const DrawRecord& record);

} // namespace platform::graphics
