#pragma once

// The canvas window: one MDI child per open canvas. It paints its chart in twips
// (15 twips to a pixel), keeps what it painted and repaints only exposed areas, and
// draws its label and line control arrays itself over that painting.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QTimer;

namespace vellumora {

class CanvasForm;

// Error numbers a control array raises when it is misused.
namespace CanvasControlError {
constexpr std::int32_t ElementMissing = 340;   // the element is not loaded
constexpr std::int32_t AlreadyLoaded = 360;    // loading an element that is loaded
constexpr std::int32_t DesignElement = 362;    // element 0 is part of the window and cannot be unloaded
} // namespace CanvasControlError

// A label drawn over the canvas: a caption in a frame. Coordinates are twips.
struct CanvasLabel {
    bool Enabled = true;
    bool Visible = false;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int16_t BorderStyle = 0;    // 0 none, 1 single
    std::int32_t BackColor = 0xFFFFFF; // red + 256 x green + 65536 x blue
    std::int32_t ForeColor = 0;
    bool BackTransparent = true;     // a label never hides the painting beneath it
    QString Caption;
};

// A straight line drawn over the canvas. Coordinates are twips, the width pixels.
struct CanvasLine {
    bool Visible = false;
    std::int16_t BorderWidth = 1;
    std::int32_t BorderColor = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t X2 = 0;
    std::int32_t Y2 = 0;
    std::int64_t zOrder = 0;         // larger draws later; ZOrder() brings to the front
};

// A rectangle outline drawn over the canvas (the range frame).
struct CanvasShape {
    bool Visible = false;
    std::int16_t BorderWidth = 1;
    std::int16_t BorderStyle = 1;    // 1 solid, 3 dotted
    std::int32_t BorderColor = 0;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// A control array of one window: element 0 always exists; element n is loaded as a
// hidden copy of element 0 and unloaded again. Every change through the non-const
// accessors schedules a repaint of the window's overlay.
template <class Element>
class CanvasControlArray {
public:
    CanvasControlArray(CanvasForm* owner, const char* name);

    void Load(std::int16_t index);
    void Unload(std::int16_t index);
    bool IsLoaded(std::int16_t index) const;
    std::int16_t UBound() const { return static_cast<std::int16_t>(slots_.size()) - 1; }

    // The element; raises ElementMissing when it is not loaded.
    Element& operator[](std::int16_t index);
    const Element& operator[](std::int16_t index) const;

    // Brings the element in front of every other line or label of the window.
    void ZOrder(std::int16_t index);

    const char* name() const { return name_; }

private:
    struct Slot {
        bool loaded = false;
        Element element;
    };
    const Slot& slotAt(std::int16_t index) const;

    CanvasForm* owner_;
    const char* name_;
    std::vector<Slot> slots_;

    friend class CanvasForm;
};

using CanvasLabelArray = CanvasControlArray<CanvasLabel>;
using CanvasLineArray = CanvasControlArray<CanvasLine>;

class CanvasForm : public QWidget {
    Q_OBJECT
public:
    explicit CanvasForm(QWidget* parent = nullptr);
    ~CanvasForm() override;

    // The window kind tag: "C" a canvas window, "M" a child of the main window.
    QString Tag = QStringLiteral("CM");

    // Per box slot.
    CanvasLabelArray lblBox;
    CanvasLabelArray lblLine;
    CanvasLineArray linBoxLeft;
    CanvasLineArray linBoxRight;
    CanvasLineArray linBoxUpper;
    CanvasLineArray linBoxLower;
    CanvasLineArray linLowerPage1;
    CanvasLineArray linLowerPage2;
    // Per sub-line slot.
    CanvasLabelArray lblSubLine1;
    CanvasLabelArray lblSubLine2;
    CanvasLineArray linSubLeft;
    CanvasLineArray linSubLower;
    CanvasLineArray linSubRight;
    CanvasLineArray linSubUpper;
    CanvasLineArray linRightPage1;
    CanvasLineArray linRightPage2;

    // Called by the control arrays when an element changed.
    void ControlsChanged();

private:
    std::int64_t nextZOrder_ = 1;
    template <class Element> friend class CanvasControlArray;
};

} // namespace vellumora
