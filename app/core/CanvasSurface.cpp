#include "app/core/CanvasSurface.h"

#include "platform/richtext/RichTextBox.h"
#include "platform/vbrt/Error.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellumora {

namespace {

using platform::graphics::TwipsPerPixel;

[[noreturn]] void RaiseControl(std::int32_t number, const char* arrayName, std::int16_t index)
{
    platform::vbrt::RaiseNumber(number, QStringLiteral("CanvasForm"),
                                QStringLiteral("%1(%2)").arg(QLatin1String(arrayName)).arg(index));
}

int ToPixels(std::int32_t twips)
{
    return static_cast<int>(std::floor(static_cast<double>(twips) / TwipsPerPixel));
}

template <class Element>
QRect BoxArea(const Element& c, std::int16_t borderWidth)
{
    // The frame line is drawn centred on the outline: a pen's width of margin on every side.
    const std::int32_t margin = std::max<std::int32_t>(1, borderWidth) * TwipsPerPixel;
    return QRect(c.Left - margin, c.Top - margin, std::max(c.Width, 1) + 2 * margin, std::max(c.Height, 1) + 2 * margin);
}

struct QuietShowState {
    int depth = 0;
    QPointer<QWidget> last;
};

QuietShowState& QuietShowing()
{
    static QuietShowState state;
    return state;
}

} // namespace

QuietShows::QuietShows()
{
    ++QuietShowing().depth;
}

QuietShows::~QuietShows()
{
    QuietShowState& state = QuietShowing();
    if (--state.depth > 0)
        return;
    const QPointer<QWidget> last = std::exchange(state.last, nullptr);
    // A window hidden again since has nothing to take.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(last.data()); sub && sub->mdiArea() && !sub->isHidden())
        sub->mdiArea()->setActiveSubWindow(sub);
}

bool QuietShows::Active()
{
    return QuietShowing().depth > 0;
}

void QuietShows::Shown(QWidget* frame)
{
    QuietShowing().last = frame;
}

QRect ControlArea(const CanvasLabel& label)
{
    return BoxArea(label, 1);
}

QRect ControlArea(const CanvasLine& line)
{
    const std::int32_t margin = std::max<std::int32_t>(1, line.BorderWidth) * TwipsPerPixel;
    return QRect(QPoint(std::min(line.X1, line.X2) - margin, std::min(line.Y1, line.Y2) - margin),
                 QPoint(std::max(line.X1, line.X2) + margin, std::max(line.Y1, line.Y2) + margin));
}

QRect ControlArea(const CanvasShape& shape)
{
    return BoxArea(shape, shape.BorderWidth);
}

// ---------------------------------------------------------------------------------------------
// Control arrays

template <class Element>
CanvasControlArray<Element>::CanvasControlArray(CanvasSurface* owner, const char* name)
    : owner_(owner), name_(name), slots_(1)
{
    slots_[0].loaded = true;
    slots_[0].element.zOrder = owner_ ? owner_->NextZOrder() : 0;
}

template <class Element>
void CanvasControlArray<Element>::Load(std::int16_t index)
{
    if (index < 0)
        RaiseControl(CanvasControlError::ElementMissing, name_, index);
    if (IsLoaded(index))
        RaiseControl(CanvasControlError::AlreadyLoaded, name_, index);
    // Sizes are counted wide: with element 32,767 loaded the array holds 32,768 slots.
    if (static_cast<std::size_t>(index) >= slots_.size())
        slots_.resize(static_cast<std::size_t>(index) + 1);
    Slot& slot = slots_[static_cast<std::size_t>(index)];
    slot.element = slots_[0].element;
    slot.element.Visible = false;
    slot.element.zOrder = owner_ ? owner_->NextZOrder() : 0;
    slot.loaded = true;
}

template <class Element>
void CanvasControlArray<Element>::Unload(std::int16_t index)
{
    if (index == 0)
        RaiseControl(CanvasControlError::DesignElement, name_, index);
    if (!IsLoaded(index))
        RaiseControl(CanvasControlError::ElementMissing, name_, index);
    const Element old = slots_[static_cast<std::size_t>(index)].element;
    slots_[static_cast<std::size_t>(index)] = Slot{};
    while (slots_.size() > 1 && !slots_.back().loaded)
        slots_.pop_back();
    if (old.Visible && owner_)
        owner_->ControlTouched(ControlArea(old), {});
}

template <class Element>
bool CanvasControlArray<Element>::IsLoaded(std::int16_t index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < slots_.size() && slots_[static_cast<std::size_t>(index)].loaded;
}

template <class Element>
const typename CanvasControlArray<Element>::Slot& CanvasControlArray<Element>::slotAt(std::int16_t index) const
{
    if (!IsLoaded(index))
        RaiseControl(CanvasControlError::ElementMissing, name_, index);
    return slots_[static_cast<std::size_t>(index)];
}

template <class Element>
Element& CanvasControlArray<Element>::operator[](std::int16_t index)
{
    auto& slot = const_cast<Slot&>(slotAt(index));
    if (owner_) {
        // The element may move or change its look: repaint where it was, and where it is once
        // the caller's writes are done.
        const QRect before = slot.element.Visible ? ControlArea(slot.element) : QRect();
        owner_->ControlTouched(before, [this, index]() -> QRect {
            if (!IsLoaded(index))
                return {};
            const Element& now = slots_[static_cast<std::size_t>(index)].element;
            return now.Visible ? ControlArea(now) : QRect();
        });
    }
    return slot.element;
}

template <class Element>
const Element& CanvasControlArray<Element>::operator[](std::int16_t index) const
{
    return slotAt(index).element;
}

template <class Element>
void CanvasControlArray<Element>::ZOrder(std::int16_t index)
{
    Element& element = (*this)[index];
    element.zOrder = owner_ ? owner_->NextZOrder() : element.zOrder;
}

template class CanvasControlArray<CanvasLabel>;
template class CanvasControlArray<CanvasLine>;
template class CanvasControlArray<CanvasShape>;

// ---------------------------------------------------------------------------------------------
// The surface

CanvasSurface::CanvasSurface(QWidget* parent)
    : QWidget(parent),
      rtxBoxOwner_(std::make_unique<platform::richtext::RichTextBox>(this)),
      lblBox(this, "lblBox"), lblLine(this, "lblLine"),
      linBoxLeft(this, "linBoxLeft"), linBoxRight(this, "linBoxRight"), linBoxUpper(this, "linBoxUpper"),
      linBoxLower(this, "linBoxLower"), linLowerPage1(this, "linLowerPage1"), linLowerPage2(this, "linLowerPage2"),
      lblSubLine1(this, "lblSubLine1"), lblSubLine2(this, "lblSubLine2"),
      linSubLeft(this, "linSubLeft"), linSubLower(this, "linSubLower"), linSubRight(this, "linSubRight"),
      linSubUpper(this, "linSubUpper"), linRightPage1(this, "linRightPage1"), linRightPage2(this, "linRightPage2"),
      shpRange(this, "shpRange"),
      rtxBox(*rtxBoxOwner_),
      timCanvasForm(new QTimer(this)),
      timRefresh(new QTimer(this))
{
}

CanvasSurface::~CanvasSurface() = default;

std::array<CanvasLabelArray*, 4> CanvasSurface::LabelArrays()
{
    return {&lblBox, &lblLine, &lblSubLine1, &lblSubLine2};
}

std::array<const CanvasLabelArray*, 4> CanvasSurface::LabelArrays() const
{
    return {&lblBox, &lblLine, &lblSubLine1, &lblSubLine2};
}

std::array<CanvasLineArray*, 12> CanvasSurface::LineArrays()
{
    return {&linBoxLeft,    &linBoxRight,   &linBoxUpper, &linBoxLower, &linLowerPage1, &linLowerPage2,
            &linSubLeft,    &linSubLower,   &linSubRight, &linSubUpper, &linRightPage1, &linRightPage2};
}

std::array<const CanvasLineArray*, 12> CanvasSurface::LineArrays() const
{
    return {&linBoxLeft,    &linBoxRight,   &linBoxUpper, &linBoxLower, &linLowerPage1, &linLowerPage2,
            &linSubLeft,    &linSubLower,   &linSubRight, &linSubUpper, &linRightPage1, &linRightPage2};
}

std::array<CanvasShapeArray*, 1> CanvasSurface::ShapeArrays()
{
    return {&shpRange};
}

void CanvasSurface::updateTwips(const QRect& twips)
{
    if (twips.isEmpty())
        return;
    update(QRect(QPoint(ToPixels(twips.left()), ToPixels(twips.top())),
                 QPoint(ToPixels(twips.right()) + 1, ToPixels(twips.bottom()) + 1)));
}

void CanvasSurface::DrawingChanged(const QRect& twips)
{
    if (gathering_ > 0) {
        if (twips.isEmpty())
            gatheredAll_ = true;
        else
            gathered_ |= twips;
        return;
    }
    if (twips.isEmpty())
        update();
    else
        updateTwips(twips);
}

void CanvasSurface::ChangesFlush()
{
    if (gathering_ == 0 || --gathering_ > 0)
        return;
    const QRect area = gatheredAll_ ? QRect() : gathered_;
    const bool any = gatheredAll_ || !gathered_.isEmpty();
    gathered_ = QRect();
    gatheredAll_ = false;
    if (any)
        DrawingChanged(area);
}

void CanvasSurface::ControlTouched(const QRect& before, std::function<QRect()> after)
{
    ++controlsChanged_;
    updateTwips(before);
    if (!after || touchedAll_)
        return;
    if (touched_.empty())
        QMetaObject::invokeMethod(this, [this] { flushTouched(); }, Qt::QueuedConnection);
    // A whole placement pass touches every control: past a few thousand areas one repaint of
    // the window is cheaper than remembering each.
    if (touched_.size() >= MaxTouchedAreas) {
        touched_.clear();
        touchedAll_ = true;
        return;
    }
    touched_.push_back(std::move(after));
}

void CanvasSurface::flushTouched()
{
    // A caller may keep writing through the element it was given until this runs.
    ++controlsChanged_;
    if (touchedAll_) {
        touchedAll_ = false;
        update();
        return;
    }
    std::vector<std::function<QRect()>> touched;
    touched.swap(touched_);
    for (const auto& area : touched)
        updateTwips(area());
}

} // namespace vellumora
