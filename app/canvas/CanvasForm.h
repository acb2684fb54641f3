#pragma once

// The canvas window: one MDI child per open canvas. It paints its chart in twips
// (15 twips to a pixel) into a retained drawing, repaints only what is exposed, and draws
// its label, line and shape control arrays itself over that drawing.

#include "app/core/CanvasSurface.h"
#include "app/core/DiagramRecords.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vellumora {

class CanvasForm : public CanvasSurface {
    Q_OBJECT

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

    // Ends a paint deferral: repaints at once when a repaint is pending (or forced while
    // the window keeps its drawing); errors of the drawing reach the caller.
    void PaintEventRelease(bool force) override;

    // Selects a part (kinds 1 to 4), adds it with Shift (partsShift 1), or clears the
    // selection when called without a part.
    void PartsLock(std::int32_t partsKind = 0, std::int16_t partsIndex = -1, std::int16_t partsShift = 0,
                   bool visibleForce = false) override;
    // Hides every frame and the range rectangle and empties the selection.
    void PartsLockClear() override;
    const std::vector<LockPartsRecord>& LockPartsList() const { return lockPartsList_; }

    // Window properties in twips and the window states (0 normal, 1 minimised,
    // 2 maximised). Left and top place the frame in the workspace; width and height size the
    // drawing area.
    std::int32_t Left() const override;
    std::int32_t Top() const override;
    std::int32_t Width() const override;
    std::int32_t Height() const override;
    void SetLeft(std::int32_t twips) override;
    void SetTop(std::int32_t twips) override;
    void SetWidth(std::int32_t twips) override;
    void SetHeight(std::int32_t twips) override;
    std::int16_t WindowState() const override;
    void SetWindowState(std::int16_t state) override;
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    // Shows the window (in the main window's workspace when there is one) without waiting.
    void Show() override;
    // Whether the window is shown (whatever its state); hiding keeps it loaded.
    bool Visible() const override;
    void SetVisible(bool visible) override;
    // Unloads the window for good: hidden at once, destroyed when control returns to the
    // event loop (it may be unloaded from inside one of its own handlers).
    void Unload() override;
    // Brings the window to the front of the window stack.
    void ZOrder() override;
    // Repaints at once: the chart is drawn again unless painting is held off or suspended.
    void Refresh() override;

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

    bool FirstActivate = false;
    bool drawn_ = false;          // the retained drawing holds the whole chart
    std::int16_t lastWindowState_ = 0;
    QSize clientSize_;            // pixels asked for by SetWidth and SetHeight
    std::vector<LockPartsRecord> lockPartsList_;
};

// The canvas window of a slot, or none.
inline CanvasForm* CanvasWindowOf(const CanvasRecord& record)
{
    return qobject_cast<CanvasForm*>(record.form.data());
}

} // namespace vellumora
