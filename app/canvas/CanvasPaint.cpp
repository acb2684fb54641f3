// The canvas window's painting: the chart into the retained drawing, the controls over it, the
// paint deferral and the hold-off after a click.

#include "app/canvas/CanvasForm.h"

#include "app/canvas/CanvasFormUnits.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/diagram/BoxMake.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vellumora {

namespace {

using platform::graphics::DrawRecord;
using platform::graphics::TwipsPerPixel;
using canvasform::ToTwips;

CanvasForm::CanvasPainter& Painter()
{
    static CanvasForm::CanvasPainter painter;
    return painter;
}

// The chart of a canvas that holds a box list; a window without one shows only its background.
void ChartDraw(std::int16_t canvas)
{
    if (canvas >= 1 && static_cast<std::size_t>(canvas) < B.size() && !B[static_cast<std::size_t>(canvas)].BoxList.empty())
        BoxListDraw(canvas, SubRecord::Default);
}

} // namespace

void CanvasForm::SetCanvasPainter(CanvasPainter painter)
{
    Painter() = std::move(painter);
}

void CanvasForm::paintEvent(QPaintEvent* event)
{
    // A window that does not keep its drawing asks for the chart when it has none.
    if (!AutoRedraw() && !drawn_)
        EventBoundary([this] { Form_Paint(); });
    QPainter painter(this);
    const QRect exposed = event->rect();
    Render(painter, exposed);
    paintControls(painter, exposed);
}

void CanvasForm::paintControls(QPainter& painter, const QRect& exposed) const
{
    const QRect exposedTwips(ToTwips(exposed.x()), ToTwips(exposed.y()), ToTwips(exposed.width()),
                             ToTwips(exposed.height()));
    struct Item {
        std::int64_t zOrder;
        DrawRecord record;
    };
    std::vector<Item> items;

    const auto labels = LabelArrays();
    const auto lines = LineArrays();
    for (const IndexedControl& near : controlIndex().Near(exposedTwips)) {
        const auto i = static_cast<std::int16_t>(near.index);
        if (near.array >= ControlIndex::LabelArrays) {
            const CanvasLine& line = (*lines[static_cast<std::size_t>(near.array - ControlIndex::LabelArrays)])[i];
            if (!line.Visible || !ControlArea(line).intersects(exposedTwips))
                continue;
            DrawRecord stroke;
            stroke.kind = DrawRecord::Kind::Line;
            stroke.p1 = QPoint(line.X1, line.Y1);
            stroke.p2 = QPoint(line.X2, line.Y2);
            stroke.color = line.BorderColor;
            stroke.drawWidth = line.BorderWidth;
            items.push_back({line.zOrder, stroke});
            continue;
        }
        const CanvasLabel& label = (*labels[static_cast<std::size_t>(near.array)])[i];
        if (!label.Visible || !ControlArea(label).intersects(exposedTwips))
            continue;
        // The background stays unpainted: the chart beneath shows through.
        if (label.BorderStyle == 1 && label.Width > 0 && label.Height > 0) {
            DrawRecord frame;
            frame.kind = DrawRecord::Kind::Rectangle;
            frame.p1 = QPoint(label.Left, label.Top);
            frame.p2 = QPoint(label.Left + label.Width - TwipsPerPixel, label.Top + label.Height - TwipsPerPixel);
            frame.color = 0;
            items.push_back({label.zOrder, frame});
        }
        if (!label.Caption.isEmpty()) {
            DrawRecord caption;
            caption.kind = DrawRecord::Kind::Text;
            caption.p1 = QPoint(label.Left, label.Top);
            caption.text = label.Caption;
            caption.color = label.ForeColor;
            caption.font = Font();
            items.push_back({label.zOrder, caption});
        }
    }
    const CanvasShape& range = shpRange[0];
    if (range.Visible && ControlArea(range).intersects(exposedTwips)) {
        DrawRecord frame;
        frame.kind = DrawRecord::Kind::Rectangle;
        frame.p1 = QPoint(range.Left, range.Top);
        frame.p2 = QPoint(range.Left + range.Width, range.Top + range.Height);
        frame.color = range.BorderColor;
        frame.drawWidth = range.BorderWidth;
        items.push_back({range.zOrder, frame});
    }
    if (items.empty())
        return;
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.zOrder < b.zOrder; });
    painter.save();
    painter.setClipRect(exposed);
    painter.scale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
    for (const Item& item : items)
        platform::graphics::PaintRecord(painter, item.record);
    painter.restore();
}

void CanvasForm::busyCountAdd(std::int16_t delta)
{
    // A count, not a mark: a paint inside a paint must not clear the outer one's busy state.
    if (CanvasIndex >= 0 && static_cast<std::size_t>(CanvasIndex) < B.size()) {
        std::int16_t& count = B[static_cast<std::size_t>(CanvasIndex)].header.busyCount;
        count = static_cast<std::int16_t>(std::max(0, count + delta));
    }
}

void CanvasForm::Form_Paint()
{
    busyCountAdd(1);
    if (timRefresh->isActive()) {
        // Held off after a click: nothing is drawn and nothing is remembered.
        ClipControls = false;
    } else if (ApplicationGlobals.PaintSuspended || painting_ == 1) {
        paintPending_ = true;
    } else {
        paintPending_ = false;
        setCursor(Qt::WaitCursor);
        painting_ = 1;
        try {
            RetainedDrawing::Cls();
            if (Painter())
                Painter()(CanvasIndex);
            else
                ChartDraw(CanvasIndex);
            drawn_ = true;
        } catch (...) {
            // A failed drawing must not leave the canvas marked busy: every wait on it would hang.
            painting_ = 0;
            unsetCursor();
            busyCountAdd(-1);
            throw;
        }
        painting_ = 0;
        unsetCursor();
        ClipControls = false;
    }
    busyCountAdd(-1);
}

void CanvasForm::Refresh()
{
    if (!AutoRedraw()) {
        drawn_ = false;
        Form_Paint();
    }
    update();
}

void CanvasForm::ChartChanged()
{
    drawn_ = false;
    // As a paint that arrives during a command: the release of painting draws it.
    if (ApplicationGlobals.PaintSuspended)
        paintPending_ = true;
    update();
}

void CanvasForm::PaintEventRelease(bool force)
{
    if (AutoRedraw())
        paintPending_ = true;
    else
        paintPending_ = paintPending_ || force;
    ClipControls = true;
    SetAutoRedraw(false);
    if (paintPending_) {
        paintPending_ = false;
        painting_ = 0;
        Refresh();
    }
}

void CanvasForm::SetAutoRedraw(bool on)
{
    RetainedDrawing::SetAutoRedraw(on);
}

void CanvasForm::SetBackColor(std::int32_t color)
{
    RetainedDrawing::SetBackColor(color);
}

void CanvasForm::Cls()
{
    // What the window showed is gone; until the chart is drawn again exposing it repaints it.
    drawn_ = false;
    RetainedDrawing::Cls();
}

void CanvasForm::RefreshTimerRestart()
{
    timRefresh->stop();
    timRefresh->setInterval(std::max<std::int32_t>(1, ApplicationGlobals.DoubleClickTime));
    timRefresh->start();
}

void CanvasForm::timRefresh_Timer() { PaintHoldOffEnd(); }

void CanvasForm::PaintHoldOffEnd()
{
    timRefresh->stop();
    // A paint swallowed by the hold-off left no chart behind: ask for it again.
    if (!drawn_ && !AutoRedraw())
        update();
}

} // namespace vellumora
