#pragma once

// What every layer below the canvas window needs of it: its label, line and shape control
// records (placement writes them, the window draws and hit-tests them), its drawing surface,
// and the window properties and steps the model and the busy protocol use. The canvas window
// implements it; nothing below it includes the window itself.

#include "platform/graphics/DrawingTarget.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace platform::richtext {
class RichTextBox;
}

namespace vellumora {

class CanvasSurface;

// While one lives, a canvas window shown in the workspace does not take the activation: every
// activation touches every window of the workspace, and a document of thousands of routines
// shown one window after the other would pay the square of their number. When the last one
// ends, the last window shown meanwhile is activated, as it would have been had it been shown
// on its own. They nest.
class QuietShows {
public:
    QuietShows();
    ~QuietShows();
    QuietShows(const QuietShows&) = delete;
    QuietShows& operator=(const QuietShows&) = delete;

    static bool Active();
    // A window frame shown quietly; the last one is activated at the end.
    static void Shown(QWidget* frame);
};

// Error numbers a control array raises when it is misused.
namespace CanvasControlError {
constexpr std::int32_t ElementMissing = 340;   // the element is not loaded
constexpr std::int32_t AlreadyLoaded = 360;    // loading an element that is loaded
constexpr std::int32_t DesignElement = 362;    // element 0 belongs to the window and cannot be unloaded
} // namespace CanvasControlError

// A label laid over the canvas: a hit area with an optional frame and caption. Twips.
// Its background is never painted: the drawing beneath always shows through.
struct CanvasLabel {
    bool Enabled = true;
    bool Visible = false;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int16_t BorderStyle = 0;      // 0 none, 1 single (drawn black)
    std::int32_t BackColor = 0xFFFFFF; // colour values: red + 256 x green + 65536 x blue
    std::int32_t ForeColor = 0;        // colour of the caption
    QString Caption;
    std::int64_t zOrder = 0;           // larger lies on top; set by Load and ZOrder
};

// A straight line over the canvas. End points in twips, the width in pixels.
struct CanvasLine {
    bool Visible = false;
    std::int16_t BorderWidth = 1;
    std::int32_t BorderColor = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t X2 = 0;
    std::int32_t Y2 = 0;
    std::int64_t zOrder = 0;
};

// A rectangle outline over the canvas (the range frame). Twips.
struct CanvasShape {
    bool Visible = false;
    std::int16_t BorderWidth = 1;
    std::int32_t BorderColor = 0;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int64_t zOrder = 0;
};

// The area in twips a control covers, its frame or line width included.
QRect ControlArea(const CanvasLabel& label);
QRect ControlArea(const CanvasLine& line);
QRect ControlArea(const CanvasShape& shape);

// A control array of one window: element 0 always exists; element n is loaded as a hidden
// copy of element 0 on top of the other controls, and unloaded again. Writing through the
// non-const accessor repaints the area the element covers before and after the write.
template <class Element>
class CanvasControlArray {
public:
    CanvasControlArray(CanvasSurface* owner, const char* name);

    // Raises AlreadyLoaded for a loaded element (element 0 included), ElementMissing below 0.
    void Load(std::int16_t index);
    // Raises DesignElement for element 0 and ElementMissing for an element not loaded.
    void Unload(std::int16_t index);
    bool IsLoaded(std::int16_t index) const;
    // The highest index that may be loaded; loaded elements lie in 0..UBound.
    std::int16_t UBound() const { return static_cast<std::int16_t>(slots_.size() - 1); }

    // The element; raises ElementMissing when it is not loaded.
    Element& operator[](std::int16_t index);
    const Element& operator[](std::int16_t index) const;

    // Brings the element in front of every other control of the window.
    void ZOrder(std::int16_t index);

    const char* name() const { return name_; }

private:
    struct Slot {
        bool loaded = false;
        Element element;
    };
    const Slot& slotAt(std::int16_t index) const;

    CanvasSurface* owner_;
    const char* name_;
    std::vector<Slot> slots_;
};

using CanvasLabelArray = CanvasControlArray<CanvasLabel>;
using CanvasLineArray = CanvasControlArray<CanvasLine>;
using CanvasShapeArray = CanvasControlArray<CanvasShape>;

// What lies under a point: the kind of part (1 box label, 2 line label, 3 chain-end label,
// 4 sub-line label) and the element's index; kind 0 for the bare canvas.
struct CanvasHit {
    std::int32_t partsKind = 0;
    std::int16_t index = -1;

    friend bool operator==(const CanvasHit&, const CanvasHit&) = default;
};

// One selected part.
struct LockPartsRecord {
    std::int32_t partsKind = 0;
    std::int16_t partsIndex = 0;

    friend bool operator==(const LockPartsRecord&, const LockPartsRecord&) = default;
};

class CanvasSurface : public QWidget, public platform::graphics::RetainedDrawing {
    Q_OBJECT
    std::unique_ptr<platform::richtext::RichTextBox> rtxBoxOwner_; // made before rtxBox refers to it

public:
    explicit CanvasSurface(QWidget* parent = nullptr);
    ~CanvasSurface() override;

    // Hit areas and frames per box slot.
    CanvasLabelArray lblBox;
    CanvasLabelArray lblLine;
    CanvasLineArray linBoxLeft;
    CanvasLineArray linBoxRight;
    CanvasLineArray linBoxUpper;
    CanvasLineArray linBoxLower;
    CanvasLineArray linLowerPage1;
    CanvasLineArray linLowerPage2;
    // Hit areas and frames per sub-line slot; element 0 stands for the top chain.
    CanvasLabelArray lblSubLine1;
    CanvasLabelArray lblSubLine2;
    CanvasLineArray linSubLeft;
    CanvasLineArray linSubLower;
    CanvasLineArray linSubRight;
    CanvasLineArray linSubUpper;
    CanvasLineArray linRightPage1;
    CanvasLineArray linRightPage2;
    // The rubber-band rectangle of a range selection (element 0 only).
    CanvasShapeArray shpRange;
    // The search highlight laid over a found box; parked at (0, 0), 30 x 30 twips.
    platform::richtext::RichTextBox& rtxBox;
    // Slides the window step by step (500 ms); stopped at start.
    QTimer* timCanvasForm;
    // Holds painting off after a click; its interval is the double-click time.
    QTimer* timRefresh;

    // Every array, by control type, in a fixed order. A label array's place in the list is its
    // hit kind less one.
    std::array<CanvasLabelArray*, 4> LabelArrays();
    std::array<const CanvasLabelArray*, 4> LabelArrays() const;
    std::array<CanvasLineArray*, 12> LineArrays();
    std::array<const CanvasLineArray*, 12> LineArrays() const;
    std::array<CanvasShapeArray*, 1> ShapeArrays();

    std::int16_t GetCanvasIndex() const { return CanvasIndex; }
    void SetCanvasIndex(std::int16_t index) { CanvasIndex = index; }

    // Ends a paint deferral: repaints at once when a repaint is pending (or forced while
    // the window keeps its drawing); errors of the drawing reach the caller.
    virtual void PaintEventRelease(bool force) = 0;
    // Hides every selection frame and the range rectangle and empties the selection.
    virtual void PartsLockClear() = 0;
    // Selects a part (kinds 1 to 4), adds it with Shift (partsShift 1), or clears the
    // selection when called without a part.
    virtual void PartsLock(std::int32_t partsKind = 0, std::int16_t partsIndex = -1, std::int16_t partsShift = 0,
                           bool visibleForce = false) = 0;

    // Window properties in twips and the window states (0 normal, 1 minimised,
    // 2 maximised). Left and top place the frame in the workspace; width and height size the
    // drawing area.
    virtual std::int32_t Left() const = 0;
    virtual std::int32_t Top() const = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetLeft(std::int32_t twips) = 0;
    virtual void SetTop(std::int32_t twips) = 0;
    // Both at once: a window moved along a slope is redrawn once a step, not twice.
    virtual void Move(std::int32_t left, std::int32_t top) = 0;
    virtual void SetWidth(std::int32_t twips) = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
    virtual std::int16_t WindowState() const = 0;
    virtual void SetWindowState(std::int16_t state) = 0;
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    // Shows the window (in the main window's workspace when there is one) without waiting.
    virtual void Show() = 0;
    // Whether the window is shown (whatever its state); hiding keeps it loaded.
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Unloads the window for good: hidden at once, destroyed when control returns to the
    // event loop (it may be unloaded from inside one of its own handlers).
    virtual void Unload() = 0;
    // Brings the window to the front of the window stack.
    virtual void ZOrder() = 0;
    // Repaints at once: the chart is drawn again unless painting is held off or suspended.
    virtual void Refresh() = 0;
    // The records changed what the chart shows without a new layout (a text shown again, hidden
    // or replaced): what the window kept of its drawing no longer holds the chart, and the chart
    // is drawn again at the next paint, or when painting is released.
    virtual void ChartChanged() = 0;
    // Ends the paint hold-off after a click before its time: a paint it swallowed is asked for
    // again, as when the hold-off runs out.
    virtual void PaintHoldOffEnd() = 0;

    // Repaints the area a control covers, in twips: at once for where it is now, and once more
    // after the caller's writes for where it has moved to.
    void ControlTouched(const QRect& before, std::function<QRect()> after);
    // Counts the writes to controls (and their repaints once done): an index of the controls
    // made at one count is good as long as the count stays.
    std::uint64_t ControlsChanged() const { return controlsChanged_; }
    std::int64_t NextZOrder() { return nextZOrder_++; }

    // While a whole chart is drawn, the changes of its drawing are gathered and repainted once
    // when the last gathering ends (they nest).
    void ChangesGather() { ++gathering_; }
    void ChangesFlush();
    // A change of the drawing: twips, or an empty rectangle for everything.
    void DrawingChanged(const QRect& twips);

    // Paint state, readable for the shell and tests.
    bool PaintPending() const { return paintPending_; }
    std::int16_t Painting() const { return painting_; }

protected:
    std::int16_t CanvasIndex = 0;
    bool paintPending_ = false;
    std::int16_t painting_ = 0;

    // Schedules a repaint of an area given in twips.
    void updateTwips(const QRect& twips);

private:
    void flushTouched();

    std::int64_t nextZOrder_ = 1;
    static constexpr std::size_t MaxTouchedAreas = 4096;
    std::vector<std::function<QRect()>> touched_;
    bool touchedAll_ = false;
    std::uint64_t controlsChanged_ = 0;
    int gathering_ = 0;
    QRect gathered_;
    bool gatheredAll_ = false;
};

} // namespace vellumora
