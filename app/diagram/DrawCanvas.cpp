#include "app/diagram/DrawCanvas.h"

#include "app/core/CanvasSurface.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Value.h"

#include <QStringList>

#include <numbers>

namespace vellumora {

namespace {

using platform::graphics::DrawingTarget;
namespace DrawStyle = platform::graphics::DrawStyle;

constexpr double Pi = std::numbers::pi;

// The window of a canvas, or the printer for canvas 0 or less.
DrawingTarget* TargetOf(std::int16_t canvas)
{
    if (canvas < 1)
        return &platform::printer::SystemPrinter();
    if (static_cast<std::size_t>(canvas) >= B.size())
        return nullptr;
    CanvasSurface* form = B[static_cast<std::size_t>(canvas)].form.data();
    return form ? static_cast<DrawingTarget*>(form) : nullptr;
}

// Frames and figures take the colour stored resolved in the target's state.
std::int32_t DrawColorOf(std::int16_t canvas)
{
    if (canvas < 1)
        return CurrentFontColorState.drawColor;
    return B[static_cast<std::size_t>(canvas)].fontColor.drawColor;
}

// A coordinate of the drawing: a sum that leaves the 32-bit range raises overflow (6).
std::int32_t At(std::int32_t origin, std::int32_t offset)
{
    return platform::vbrt::CLng(static_cast<double>(origin) + static_cast<double>(offset));
}

struct ArcSpan {
    double start;
    double end;
};

// Start and end angles of the arc kinds 3 to 10, counter-clockwise, 0 pointing right.
bool ArcOf(std::int32_t kind, ArcSpan& span)
{
    switch (kind) {
    case FigureKind::LeftHalf: span = {Pi / 2, 3 * Pi / 2}; return true;
    case FigureKind::RightHalf: span = {3 * Pi / 2, Pi / 2}; return true;
    case FigureKind::UpperHalf: span = {0, Pi}; return true;
    case FigureKind::LowerHalf: span = {Pi, 0}; return true;
    case FigureKind::UpperLeft: span = {Pi / 2, Pi}; return true;
    case FigureKind::UpperRight: span = {0, Pi / 2}; return true;
    case FigureKind::LowerLeft: span = {Pi, 3 * Pi / 2}; return true;
    case FigureKind::LowerRight: span = {3 * Pi / 2, 0}; return true;
    default: return false;
    }
}

} // namespace

void DrawBoxText(std::int16_t canvas, const Point& origin, const InternalCode& text)
{
    if (text.text.isEmpty() || (text.flags & 1) == 0)
        return;
    DrawingTarget* target = TargetOf(canvas);
    if (!target)
        return;
    // The lines are spread evenly over the height of the whole text as the layout measured it.
    const double height = TextHeightGet(text.text, canvas, true);
    const QStringList lines = text.text.split(QStringLiteral("\r\n"));
    const double count = static_cast<double>(lines.size());
    const std::int32_t x = At(origin.xw, text.xy.xw);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::int32_t offset = platform::vbrt::CLng(height * static_cast<double>(i) / count);
        target->SetCurrentX(x);
        target->SetCurrentY(At(At(origin.yh, offset), text.xy.yh));
        target->Print(lines[i]);
    }
}

void DrawBoxFrame(std::int16_t canvas, const Point& origin, const Point& topLeft, const Point& bottomRight)
{
    DrawingTarget* target = TargetOf(canvas);
    if (!target)
        return;
    target->SetCurrentX(origin.xw);
    target->SetCurrentY(origin.yh);
    target->Rectangle(At(origin.xw, topLeft.xw), At(origin.yh, topLeft.yh), At(origin.xw, bottomRight.xw),
                      At(origin.yh, bottomRight.yh), DrawColorOf(canvas));
}

void DrawNoteFrame(std::int16_t canvas, const Point& origin, const Point& topLeft, const Point& bottomRight)
{
    DrawingTarget* target = TargetOf(canvas);
    if (!target)
        return;
    target->SetDrawStyle(DrawStyle::DashDotDot);
    try {
        DrawBoxFrame(canvas, origin, topLeft, bottomRight);
    } catch (...) {
        target->SetDrawStyle(DrawStyle::Solid);
        throw;
    }
    target->SetDrawStyle(DrawStyle::Solid);
}

void DrawLineSegment(std::int16_t canvas, const Point& origin, const FigureData& figure)
{
    if (figure.kind < FigureKind::Line || figure.kind > FigureKind::LowerRight)
        return;
    DrawingTarget* target = TargetOf(canvas);
    if (!target)
        return;
    target->SetCurrentX(origin.xw);
    target->SetCurrentY(origin.yh);
    const std::int32_t color = DrawColorOf(canvas);
    const std::int32_t x = At(origin.xw, figure.s.xw);
    const std::int32_t y = At(origin.yh, figure.s.yh);
    if (figure.kind == FigureKind::Line) {
        target->Line(x, y, At(origin.xw, figure.e.xw), At(origin.yh, figure.e.yh), color);
        return;
    }
    if (figure.kind == FigureKind::Circle) {
        target->Circle(x, y, figure.radius, color);
        return;
    }
    ArcSpan span{};
    if (ArcOf(figure.kind, span))
        target->Arc(x, y, figure.radius, color, span.start, span.end);
}

} // namespace vellumora
