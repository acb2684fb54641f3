#include "app/canvas/CanvasForm.h"

#include "platform/vbrt/Error.h"

namespace vellumora {

namespace {

[[noreturn]] void RaiseControl(std::int32_t number, const char* arrayName, std::int16_t index, const char* what)
{
    throw platform::vbrt::Error(number, QStringLiteral("CanvasForm"),
                                QStringLiteral("%1(%2): %3").arg(QLatin1String(arrayName)).arg(index).arg(QLatin1String(what)));
}

} // namespace

template <class Element>
CanvasControlArray<Element>::CanvasControlArray(CanvasForm* owner, const char* name)
    : owner_(owner), name_(name), slots_(1)
{
    slots_[0].loaded = true;
}

template <class Element>
void CanvasControlArray<Element>::Load(std::int16_t index)
{
    if (index < 0)
        RaiseControl(CanvasControlError::ElementMissing, name_, index, "no such element");
    if (index < static_cast<std::int16_t>(slots_.size()) && slots_[index].loaded)
        RaiseControl(CanvasControlError::AlreadyLoaded, name_, index, "already loaded");
    if (index >= static_cast<std::int16_t>(slots_.size()))
        slots_.resize(static_cast<std::size_t>(index) + 1);
    // A loaded element starts as a hidden copy of element 0.
    slots_[index].element = slots_[0].element;
    slots_[index].element.Visible = false;
    slots_[index].loaded = true;
}

template <class Element>
void CanvasControlArray<Element>::Unload(std::int16_t index)
{
    if (index == 0)
        RaiseControl(CanvasControlError::DesignElement, name_, index, "element 0 belongs to the window");
    if (!IsLoaded(index))
        RaiseControl(CanvasControlError::ElementMissing, name_, index, "not loaded");
    const bool wasVisible = slots_[index].element.Visible;
    slots_[index] = Slot{};
    while (slots_.size() > 1 && !slots_.back().loaded)
        slots_.pop_back();
    if (wasVisible && owner_)
        owner_->ControlsChanged();
}

template <class Element>
bool CanvasControlArray<Element>::IsLoaded(std::int16_t index) const
{
    return index >= 0 && index < static_cast<std::int16_t>(slots_.size()) && slots_[index].loaded;
}

template <class Element>
const typename CanvasControlArray<Element>::Slot& CanvasControlArray<Element>::slotAt(std::int16_t index) const
{
    if (!IsLoaded(index))
        RaiseControl(CanvasControlError::ElementMissing, name_, index, "not loaded");
    return slots_[index];
}

template <class Element>
Element& CanvasControlArray<Element>::operator[](std::int16_t index)
{
    auto& slot = const_cast<Slot&>(slotAt(index));
    if (owner_)
        owner_->ControlsChanged();
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
    (*this)[index];
}

template class CanvasControlArray<CanvasLabel>;
template class CanvasControlArray<CanvasLine>;

CanvasForm::CanvasForm(QWidget* parent)
    : QWidget(parent),
      lblBox(this, "lblBox"), lblLine(this, "lblLine"),
      linBoxLeft(this, "linBoxLeft"), linBoxRight(this, "linBoxRight"), linBoxUpper(this, "linBoxUpper"),
      linBoxLower(this, "linBoxLower"), linLowerPage1(this, "linLowerPage1"), linLowerPage2(this, "linLowerPage2"),
      lblSubLine1(this, "lblSubLine1"), lblSubLine2(this, "lblSubLine2"),
      linSubLeft(this, "linSubLeft"), linSubLower(this, "linSubLower"), linSubRight(this, "linSubRight"),
      linSubUpper(this, "linSubUpper"), linRightPage1(this, "linRightPage1"), linRightPage2(this, "linRightPage2")
{
}

CanvasForm::~CanvasForm() = default;

void CanvasForm::ControlsChanged()
{
    update();
}

} // namespace vellumora
