#include "app/canvas/FrameBorderPaint.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QStyleOptionFrame>
#include <QStylePainter>

#include <algorithm>

namespace vellumora {

namespace {

// Rows of a frame's border within this reach of its ends may be shaped by its corners.
constexpr int CornerReach = 32;

class FrameBorderPainter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* frame = qobject_cast<QMdiSubWindow*>(watched);
        // A minimised, maximised, shaded or frameless frame and one without its window paint as Qt
        // paints them.
        if (!frame || !frame->parentWidget() || !frame->widget() || frame->isMinimized() || frame->isMaximized() ||
            frame->isShaded() || frame->windowFlags().testFlag(Qt::FramelessWindowHint))
            return false;
        const QRect titleBar(0, 0, frame->width(), frame->widget()->y());
        const auto* paint = static_cast<QPaintEvent*>(event);
        if (paint->region().intersects(titleBar))
            return false;
        QStylePainter painter(frame);
        QStyleOptionFrame option;
        option.initFrom(frame);
        option.state.setFlag(QStyle::State_Active, frame->mdiArea() && frame->mdiArea()->activeSubWindow() == frame);
        option.lineWidth = frame->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
        // A border is the same all along its length away from its corners: it is drawn only a
        // little beyond the rows asked for, as Qt walks a line over its whole length.
        const QRect rows = paint->region().boundingRect();
        QRect border = frame->rect();
        border.setTop(std::max(border.top(), rows.top() - CornerReach));
        border.setBottom(std::min(border.bottom(), rows.bottom() + CornerReach));
        option.rect = border;
        painter.drawPrimitive(QStyle::PE_FrameWindow, option);
        return true;
    }
};

} // namespace

void FrameBorderPaintInstall(QMdiSubWindow* frame)
{
    static const char* const Name = "FrameBorderPainter";
    if (!frame || frame->findChild<QObject*>(QLatin1String(Name), Qt::FindDirectChildrenOnly))
        return;
    auto* painter = new FrameBorderPainter(frame);
    painter->setObjectName(QLatin1String(Name));
    frame->installEventFilter(painter);
}

} // namespace vellumora
