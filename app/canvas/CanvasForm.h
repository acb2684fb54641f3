#pragma once

// The canvas window: one MDI child per open canvas. It paints its chart in twips
// (15 twips to a pixel) into a retained drawing, repaints only what is exposed, and draws
// its label, line and shape control arrays itself over that drawing.

#include "platform/graphics/DrawingTarget.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace platform::richtext {
class RichTextBox;
}

namespace vellumora {

class CanvasForm;

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

// A control array of one window: element 0 always exists; element n is loaded as a hidden
// copy of element 0 on top of the other controls, and unloaded again. Writing through the
// non-const accessor schedules a repaint of the window.
template <class Element>
class CanvasControlArray {
public:
    CanvasControlArray(CanvasForm* owner, const char* name);

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

    CanvasForm* owner_;
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

class CanvasForm : public QWidget, public platform::graphics::RetainedDrawing {
    Q_OBJECT
    std::unique_ptr<platform::richtext::RichTextBox> rtxBoxOwner_; // made before rtxBox refers to it

public:
    // The largest client size in pixels a window may take (the display system's coordinates
    // are 16-bit); a canvas asked to grow beyond it is cut there.
    static constexpr int MaximumPixels = 32767;

    explicit CanvasForm(QWidget* parent = nullptr);
    ~CanvasForm() override;

    // Draws the whole chart of a canvas on its window. By default the canvas's box tree is
    // painted; a painter set here (a test's) takes its place, and an empty one restores it.
    using CanvasPainter = std::function<void(std::int16_t canvas)>;
    static void SetCanvasPainter(CanvasPainter painter);

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

    // Every array, by control type, in a fixed order.
    std::vector<CanvasLabelArray*> LabelArrays();
    std::vector<CanvasLineArray*> LineArrays();
    std::vector<CanvasShapeArray*> ShapeArrays();

    // The topmost visible, enabled hit area at a point in twips.
    CanvasHit HitTest(std::int32_t x, std::int32_t y) const;

    // Public members read by the main window and its tool bar.
    std::int32_t LockPartsKind = 0;
    std::int16_t LockPartsFlags = 0;
    bool LockPartsCopyEnabled = false;
    bool LockPartsEditorEnabled = false;
    bool LockPartsFontEnabled = false;
    bool LockPartsChinkEnabled = false;
    bool LockPartsConnectEnabled = false;
    bool LockPartsNewPageEnabled = false;
    std::int32_t LockPartsFontCode = 0;
    std::int32_t LockPartsColorCode = 0;
    bool FontSettingMenuSkip = false;

    std::int16_t GetCanvasIndex() const { return CanvasIndex; }
    void SetCanvasIndex(std::int16_t index) { CanvasIndex = index; }

    // Ends a paint deferral: repaints at once when a repaint is pending (or forced while
    // the window keeps its drawing); errors of the drawing reach the caller.
    void PaintEventRelease(bool force);

    // Selects a part (kinds 1 to 4), adds it with Shift (partsShift 1), or clears the
    // selection when called without a part.
    void PartsLock(std::int32_t partsKind = 0, std::int16_t partsIndex = -1, std::int16_t partsShift = 0,
                   bool visibleForce = false);
    // Hides every frame and the range rectangle and empties the selection.
    void PartsLockClear();
    const std::vector<LockPartsRecord>& LockPartsList() const { return lockPartsList_; }

    // Window properties in twips and the window states (0 normal, 1 minimised,
    // 2 maximised). Left and top place the frame in the workspace; width and height size the
    // drawing area.
    std::int32_t Left() const;
    std::int32_t Top() const;
    std::int32_t Width() const;
    std::int32_t Height() const;
    void SetLeft(std::int32_t twips);
    void SetTop(std::int32_t twips);
    void SetWidth(std::int32_t twips);
    void SetHeight(std::int32_t twips);
    std::int16_t WindowState() const;
    void SetWindowState(std::int16_t state);
    QString Caption() const;
    void SetCaption(const QString& caption);
    // Shows the window (in the main window's workspace when there is one) without waiting.
    void Show();
    // Whether the window is shown (whatever its state); hiding keeps it loaded.
    bool Visible() const;
    void SetVisible(bool visible);
    // Unloads the window for good: hidden at once, destroyed when control returns to the
    // event loop (it may be unloaded from inside one of its own handlers).
    void Unload();
    // Brings the window to the front of the window stack.
    void ZOrder();
    // Repaints at once: the chart is drawn again unless painting is held off or suspended.
    void Refresh();

    // The window keeps what it drew; while on, exposing it raises no chart paint.
    void SetAutoRedraw(bool on) override;
    void SetBackColor(std::int32_t color) override;
    void Cls() override;
    bool ClipControls = true;

    // Event side of the window.
    void Form_Load();
    void Form_Activate();
    void Form_Paint();
    void Form_Resize();
    void timRefresh_Timer();
    void timCanvasForm_Timer();
    // Starts the paint hold-off for the double-click time.
    void RefreshTimerRestart();

    // Commands the main window calls on the active canvas window.
    void Menu_EditCut_Click();
    void Menu_EditCopy_Click();
    void Menu_EditPaste_Click();
    void Menu_EditEditor_Click();
    void Menu_EditUndo_Click();
    void Menu_EditRedo_Click();
    void Menu_BoxFontChange_Click();

    // Called by the control arrays when an element changed.
    void ControlsChanged();
    std::int64_t NextZOrder() { return nextZOrder_++; }

    // Paint state, readable for the shell and tests.
    bool PaintPending() const { return paintPending_; }
    std::int16_t Painting() const { return painting_; }

protected:
    bool event(QEvent* event) override;
    QSize sizeHint() const override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* frame() const;
    void paintControls(QPainter& painter, const QRect& exposed) const;
    bool partsFrameShow(std::int16_t boxIndex, std::int16_t subIndex, const CanvasLabel* ctl, bool visibleForce);
    void hideFrame(std::int16_t boxIndex, std::int16_t subIndex);
    void lockPartsReset();
    void setBusyCount(std::int16_t value);

    std::int16_t CanvasIndex = 0;
    bool FirstActivate = false;
    bool paintPending_ = false;
    std::int16_t painting_ = 0;
    bool drawn_ = false;          // the retained drawing holds the whole chart
    std::int16_t lastWindowState_ = 0;
    QSize clientSize_;            // pixels asked for by SetWidth and SetHeight
    std::vector<LockPartsRecord> lockPartsList_;
    std::int64_t nextZOrder_ = 1;
};

} // namespace vellumora
