#pragma once

// The canvas window: one MDI child per open canvas. It paints its chart in twips
// (15 twips to a pixel) into a retained drawing, repaints only what is exposed, and draws
// its label, line and shape control arrays itself over that drawing.

#include "app/canvas/ControlIndex.h"
#include "app/core/CanvasSurface.h"
#include "app/core/DiagramRecords.h"

#include <QKeySequence>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class QAction;
class QMenu;

namespace vellumora {

// The four edges of a range rectangle or of a control, in twips: horizontal edges run from
// (x1, y) to (x2, y), vertical edges from (x, y1) to (x, y2).
struct RangeEdge {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
};
using RangeEdges = std::array<RangeEdge, 2>;

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
    // selection when called without a part. A part is listed once: visibleForce on a listed part
    // only forces its frame on.
    void PartsLock(std::int32_t partsKind = 0, std::int16_t partsIndex = -1, std::int16_t partsShift = 0,
                   bool visibleForce = false) override;
    // Hides every frame and the range rectangle and empties the selection.
    void PartsLockClear() override;
    const std::vector<LockPartsRecord>& LockPartsList() const { return lockPartsList_; }
    // Settles the selection for a popup on a part (or, with (0, -1), for the current selection)
    // and recomputes the LockParts members and the target of single-part commands.
    void PartsLockMenuSet(std::int32_t partsKind, std::int16_t partsIndex);
    // The index single-part commands work on (-1 none), and the side of it on which the
    // vertical-line add and paste commands insert ("Before" or "After").
    std::int16_t LockPartsTargetIndex() const { return LockPartsTarget; }
    const QString& LockPartsInsertSideText() const { return LockPartsInsertSide; }

    // Places and shows the range rectangle.
    void RangeFrameShow(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    // Selects every box the range rectangle between RangeStart and RangeEnd crosses.
    void RangeSelect();
    // Whether a range (its two horizontal and two vertical edges) touches a control: a corner of
    // the control inside the range, or an edge of one crossing an edge of the other; bounds
    // inclusive. A range wholly inside the control touches nothing.
    static bool RangeCross(const RangeEdges& rangeHorizontal, const RangeEdges& rangeVertical, const CanvasLabel& ctl);

    // Window properties in twips and the window states (0 normal, 1 minimised,
    // 2 maximised). Left and top place the frame in the workspace; width and height size the
    // drawing area.
    std::int32_t Left() const override;
    std::int32_t Top() const override;
    std::int32_t Width() const override;
    std::int32_t Height() const override;
    void SetLeft(std::int32_t twips) override;
    void SetTop(std::int32_t twips) override;
    void Move(std::int32_t left, std::int32_t top) override;
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
    void ChartChanged() override;
    void PaintHoldOffEnd() override;

    // The window keeps what it drew; while on, exposing it raises no chart paint.
    void SetAutoRedraw(bool on) override;
    void SetBackColor(std::int32_t color) override;
    void Cls() override;
    bool ClipControls = true;

    // Event side of the window. Mouse positions are twips relative to the window or, for a
    // part, to its hit area; Button 1 left, 2 right; Shift 1 Shift, 2 Ctrl, 4 Alt. The window
    // turns Qt's mouse events into these: moves and the release go to the area pressed, a
    // release inside a part clicks it, and a double click arrives as Down, Up, Click, DblClick,
    // Up.
    void Form_Load();
    void Form_Activate();
    void Form_GotFocus();
    void Form_KeyDown(int& KeyCode, int Shift);
    void Form_KeyUp(int& KeyCode, int Shift);
    void Form_MouseDown(int Button, int Shift, std::int32_t X, std::int32_t Y);
    void Form_MouseMove(int Button, int Shift, std::int32_t X, std::int32_t Y);
    void Form_MouseUp(int Button, int Shift, std::int32_t X, std::int32_t Y);
    void Form_Paint();
    void Form_Resize();
    // Closing: the window hides and its canvas stays open, unless the program is closing.
    // Returns whether the window really unloads.
    bool Form_Unload();
    void timRefresh_Timer();
    void timCanvasForm_Timer();
    // Starts the paint hold-off for the double-click time.
    void RefreshTimerRestart();

    // The part hit areas by kind (1 lblBox, 2 lblLine, 3 lblSubLine1, 4 lblSubLine2).
    void Parts_Click(std::int32_t kind, std::int16_t Index);
    void Parts_DblClick(std::int32_t kind, std::int16_t Index);
    void Parts_MouseDown(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X, std::int32_t Y);
    void Parts_MouseMove(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X, std::int32_t Y);
    void Parts_MouseUp(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X, std::int32_t Y);

    // Starts a slide of the window: 1 to 8 left, right, up, down by 100 twips a step, then the
    // same by 300; the number of steps is the main window's width or height over the step.
    void CanvasSlideStart(std::int32_t mode);
    std::int32_t SlideStepsLeft() const { return SlideCount; }

    // The popups and the menus of the window with their items. They are made when first asked
    // for (Menus()): a document opens a window for each of its routines, thousands of them, and
    // most are never put in front nor clicked.
    struct MenuItems {
        // The popups, shown at the pointer with their items enabled for the selection.
        QMenu* Menu_Box = nullptr;
        QAction* Menu_BoxCut = nullptr;
        QAction* Menu_BoxCopy = nullptr;
        QAction* Menu_BoxCopyTask = nullptr;
        QAction* Menu_BoxDelete = nullptr;
        QAction* Menu_BoxDeleteLump = nullptr;
        QAction* Menu_BoxEditor = nullptr;
        QAction* Menu_BoxFontChange = nullptr;
        QAction* Menu_BoxFontChangeLump = nullptr;
        QMenu* Menu_VLine = nullptr;
        QAction* Menu_VLinePaste = nullptr;
        QAction* Menu_VLinePasteTask = nullptr;
        QAction* Menu_VLineAdd = nullptr;
        QAction* Menu_VLineChink = nullptr;
        QAction* Menu_VLineConnect = nullptr;
        QAction* Menu_VLineNewPage = nullptr;
        QMenu* Menu_HLine = nullptr;
        QAction* Menu_HLineCut = nullptr;
        QAction* Menu_HLineCopy = nullptr;
        QAction* Menu_HLinePaste = nullptr;
        QAction* Menu_HLineCopyTask = nullptr;
        QAction* Menu_HLinePasteTask = nullptr;
        QAction* Menu_HLineDeleteLump = nullptr;
        QAction* Menu_HLineAdd = nullptr;
        QAction* Menu_HLineFontChangeLump = nullptr;
        QAction* Menu_HLineNewPage = nullptr;
        QMenu* Menu_Canvas = nullptr;
        QAction* Menu_CanvasMinimized = nullptr;
        QAction* Menu_CanvasNonIndication = nullptr;
        QAction* Menu_CanvasReFresh = nullptr;
        QAction* Menu_CanvasLeft = nullptr;
        QAction* Menu_CanvasRight = nullptr;
        QAction* Menu_CanvasUp = nullptr;
        QAction* Menu_CanvasDown = nullptr;
        QAction* Menu_CanvasLeft3 = nullptr;
        QAction* Menu_CanvasRight3 = nullptr;
        QAction* Menu_CanvasUp3 = nullptr;
        QAction* Menu_CanvasDown3 = nullptr;
        // The Edit and Format menus, which the main window's menu bar shows while the window is in
        // front. Their enabled states and check marks are set each time a menu opens
        // (Menu_Edit_Click, Menu_Format_Click) and before a shortcut acts (EditShortcutRun).
        QMenu* Menu_Edit = nullptr;
        QAction* Menu_EditUndo = nullptr;
        QAction* Menu_EditRedo = nullptr;
        QAction* Menu_EditCut = nullptr;
        QAction* Menu_EditCopy = nullptr;
        QAction* Menu_EditPaste = nullptr;
        QAction* Menu_EditALL = nullptr;
        QAction* Menu_EditCopyTask = nullptr;
        QAction* Menu_EditPasteTask = nullptr;
        QAction* Menu_EditDelete = nullptr;
        QAction* Menu_EditDeleteLump = nullptr;
        QAction* Menu_EditCanvasDelete = nullptr;
        QAction* Menu_EditEditor = nullptr;
        QAction* Menu_EditAdd = nullptr;
        QAction* Menu_EditFontChange = nullptr;
        QAction* Menu_EditFontChangeLump = nullptr;
        QAction* Menu_EditChink = nullptr;
        QAction* Menu_EditConnect = nullptr;
        QAction* Menu_EditNewPage = nullptr;
        QAction* Menu_EditNewPageReset = nullptr;
        QMenu* Menu_Format = nullptr;
        QAction* Menu_FormatFont = nullptr;
        QAction* Menu_FormatFrameColor = nullptr;
        QAction* Menu_FormatCanvasName = nullptr;
        QAction* Menu_FormatCanvasSequence = nullptr;
        QAction* Menu_FormatCanvasColor = nullptr;
        QAction* Menu_FormatNoteNotShow = nullptr;
        QAction* Menu_FormatNoteNotFrame = nullptr;
        QAction* Menu_FormatReplaceJump = nullptr;
        QAction* Menu_FormatEditMode = nullptr;
        // The Show and Window menus, which the menu bar shows in place of the main window's Show
        // menu while the window is in front.
        QMenu* Menu_Show = nullptr;
        QAction* Menu_ShowMinimized = nullptr;
        QAction* Menu_ShowNonIndication = nullptr;
        QAction* Menu_ShowReFresh = nullptr;
        QAction* Menu_ShowToolBar = nullptr;
        QAction* Menu_ShowStatusBar = nullptr;
        QMenu* Menu_Window = nullptr;
        QAction* Menu_WindowTileHorizontal = nullptr;
        QAction* Menu_WindowTileVertical = nullptr;
        QAction* Menu_WindowCascade = nullptr;
        QAction* Menu_WindowArrangeIcons = nullptr;
    };
    // The window's menus, made on the first call; the window's shortcut keys come with them, so
    // the window asks for them at the latest when it takes the focus.
    MenuItems& Menus();

    // Shows a popup at a point on the screen and returns when its chosen command has run. By
    // default the menu runs there; a runner set here (a test's) takes its place, and an empty
    // one restores it.
    using PopupRunner = std::function<void(QMenu* menu, const QPoint& globalPos)>;
    static void SetPopupRunner(PopupRunner runner);

    // The canvas popup's commands.
    void Menu_CanvasMinimized_Click();
    void Menu_CanvasNonIndication_Click();
    void Menu_CanvasReFresh_Click();
    void Menu_CanvasLeft_Click() { CanvasSlideStart(1); }
    void Menu_CanvasRight_Click() { CanvasSlideStart(2); }
    void Menu_CanvasUp_Click() { CanvasSlideStart(3); }
    void Menu_CanvasDown_Click() { CanvasSlideStart(4); }
    void Menu_CanvasLeft3_Click() { CanvasSlideStart(5); }
    void Menu_CanvasRight3_Click() { CanvasSlideStart(6); }
    void Menu_CanvasUp3_Click() { CanvasSlideStart(7); }
    void Menu_CanvasDown3_Click() { CanvasSlideStart(8); }

    // Commands the main window calls on the active canvas window.
    void Menu_EditCut_Click();
    void Menu_EditCopy_Click();
    void Menu_EditPaste_Click();
    void Menu_EditEditor_Click();
    void Menu_EditUndo_Click();
    void Menu_EditRedo_Click();
    void Menu_BoxFontChange_Click();

    void Menu_Edit_Click();
    void Menu_Format_Click();
    void Menu_Show_Click();
    void Menu_Window_Click();
    // A shortcut of an Edit item: the item's enabled state is computed for the current selection
    // first, and only an enabled item runs.
    void EditShortcutRun(QAction* item);

    void Menu_EditALL_Click();
    void Menu_EditCopyTask_Click();
    void Menu_EditPasteTask_Click();
    void Menu_EditDelete_Click();
    void Menu_EditDeleteLump_Click();
    void Menu_EditCanvasDelete_Click();
    void Menu_EditAdd_Click();
    void Menu_EditFontChange_Click();
    void Menu_EditFontChangeLump_Click();
    void Menu_EditChink_Click();
    void Menu_EditConnect_Click();
    void Menu_EditNewPage_Click();
    void Menu_EditNewPageReset_Click();
    void Menu_FormatFont_Click();
    void Menu_FormatFrameColor_Click();
    void Menu_FormatCanvasName_Click();
    void Menu_FormatCanvasSequence_Click();
    void Menu_FormatCanvasColor_Click();
    void Menu_FormatNoteNotShow_Click();
    void Menu_FormatNoteNotFrame_Click();
    void Menu_FormatReplaceJump_Click();
    void Menu_FormatEditMode_Click();
    void Menu_ShowMinimized_Click();
    void Menu_ShowNonIndication_Click();
    void Menu_ShowReFresh_Click();
    void Menu_ShowToolBar_Click();
    void Menu_ShowStatusBar_Click();
    void Menu_WindowTileHorizontal_Click();
    void Menu_WindowTileVertical_Click();
    void Menu_WindowCascade_Click();
    void Menu_WindowArrangeIcons_Click();

    // The commands of the box, vertical-line and horizontal-line popups.
    void Menu_BoxCut_Click();
    void Menu_BoxCopy_Click();
    void Menu_BoxCopyTask_Click();
    void Menu_BoxDelete_Click();
    void Menu_BoxDeleteLump_Click();
    void Menu_BoxEditor_Click();
    void Menu_BoxFontChangeLump_Click();
    void Menu_VLinePaste_Click();
    void Menu_VLinePasteTask_Click();
    void Menu_VLineAdd_Click();
    void Menu_VLineChink_Click();
    void Menu_VLineConnect_Click();
    void Menu_VLineNewPage_Click();
    void Menu_HLineCut_Click();
    void Menu_HLineCopy_Click();
    void Menu_HLinePaste_Click();
    void Menu_HLineCopyTask_Click();
    void Menu_HLinePasteTask_Click();
    void Menu_HLineDeleteLump_Click();
    void Menu_HLineAdd_Click();
    void Menu_HLineFontChangeLump_Click();
    void Menu_HLineNewPage_Click();

protected:
    bool event(QEvent* event) override;
    QSize sizeHint() const override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Each menu is made by one function of its own.
    void menusCreate();
    void boxMenuCreate();
    void vLineMenuCreate();
    void hLineMenuCreate();
    void canvasMenuCreate();
    void editMenusCreate();
    void editMenuCreate();
    void formatMenuCreate();
    void showMenuCreate();
    void windowMenuCreate();
    // Adds an item whose command runs inside the error boundary.
    QAction* menuItemAdd(QMenu* menu, const char* name, const QString& caption, void (CanvasForm::*handler)());
    // Adds an item of the menu-bar menus; a key is shown beside it and runs it through
    // EditShortcutRun.
    void menuBarItemAdd(QMenu* menu, QAction*& action, const char* name, const QString& caption,
                        void (CanvasForm::*handler)(), const QKeySequence& key = {});
    // Which items the selection enables, for the popup of a part kind (the Edit menu, its
    // shortcuts, the tool bar and the popups follow the same rule).
    struct EditEnables {
        bool cut = false, copy = false, paste = false, copyTask = false, pasteTask = false, del = false,
             deleteLump = false, editor = false, add = false, fontChange = false, fontChangeLump = false,
             chink = false, connect = false, newPage = false, newPageChecked = false;
    };
    EditEnables enablesFor(std::int32_t kind) const;
    EditEnables editEnables() const { return enablesFor(LockPartsKind); }
    // The edit frame of a command that changes the chart: the guard may end it before anything
    // changes; then the modified flag, the undo step under the caption, the edit, the redraw of
    // this canvas, the selection cleared (all of it with clearAll) and the tool bar.
    void editFrame(const QAction* item, std::int16_t snapshotCanvas, const std::function<bool()>& guard,
                   const std::function<void()>& edit, bool redraw, bool clearAll);
    // A Show item of the main window's bars: the main window toggles the bar, and the item takes
    // the check mark of the main window's item.
    void barToggle(QAction* item, const QString& mainItem);
    // A Format toggle: the setting takes the opposite of its current value.
    void formatToggle(QAction* item, bool& setting, bool markModified);
    // A Format dialog's change of the document settings: one undo step naming no canvas, and
    // every canvas drawn again.
    void formatApply(const QAction* item, const std::function<void()>& apply);
    // The side of the target on which the vertical-line add and paste insert, from the selected
    // line itself: above the box it leads into, or after the last box of its chain.
    bool insertBefore() const;
    void popupShow(QMenu* menu);
    // Opens the session that adds a box on a sub line: a routine above the top chain, or the
    // first box below an empty sub line; any other line adds nothing.
    void subLineAdd(std::int16_t sub);
    // Undo (true) or redo (false) of one step.
    void historyStep(bool undo);
    // Copies the selected parts to the copy buffer or, toTask, to the exchange file.
    void copyCommand(bool toTask);
    bool IsMouseLeft(int shift) const { return MouseButton == 1 && MouseShift == shift; }
    bool IsMouseRight(int shift) const { return MouseButton == 2 && MouseShift == shift; }
    // The canvas's records read in place, checked as BoxDataGet and SubDataGet check them: a
    // selection may list every box of the chart, and a copy of each would be made for nothing.
    const BoxRecord& boxRecord(std::int16_t box) const;
    const SubRecord& subRecord(std::int16_t sub) const;
    const CanvasLabel& partLabel(std::int32_t kind, std::int16_t index) const;
    bool partLoaded(std::int32_t kind, std::int16_t index) const;
    bool partFramed(std::int32_t kind, std::int16_t index) const;
    // The steps of PartsLockMenuSet. Settling the list returns false when no framed part is left
    // (the selection is then cleared).
    bool lockPartsListSettle(std::int32_t partsKind, std::int16_t partsIndex);
    // What the listed parts allow, narrowed part by part; owner is what the first part hangs from.
    struct PartsAllowed {
        bool copy = true, editor = true, font = true, chink = true, connect = true, newPage = true;
        std::int16_t flags = 0;
        std::int16_t owner = 0;
    };
    // A box (its font and colour are taken from the first), a vertical line, a horizontal line.
    void boxAllows(std::int16_t index, bool first, PartsAllowed& allowed);
    void vLineAllows(std::int16_t index, bool first, PartsAllowed& allowed) const;
    void hLineAllows(std::int16_t index, bool first, PartsAllowed& allowed) const;
    // The range rectangle follows the pointer at x, y (window twips).
    void rangeFollow(std::int32_t x, std::int32_t y);
    void rangeRelease(std::int32_t x, std::int32_t y, bool select);
    void toolBarArrange();
    void subWindowActivating();
    void frameStateChanged();

    QWidget* frame() const;
    void paintControls(QPainter& painter, const QRect& exposed) const;
    // The index of the visible controls, made again when a control changed since.
    const ControlIndex& controlIndex() const;
    bool partsFrameShow(std::int16_t boxIndex, std::int16_t subIndex, const CanvasLabel* ctl, bool visibleForce);
    void hideFrame(std::int16_t boxIndex, std::int16_t subIndex);
    void lockPartsReset();
    void busyCountAdd(std::int16_t delta);

    bool FirstActivate = false;
    int MouseButton = 0;
    int MouseShift = 0;
    std::int16_t LockPartsTarget = -1;
    QString LockPartsInsertSide;
    Point RangeStart;
    Point RangeEnd;
    bool RangeDragging = false;
    bool RangeMoved = false;
    std::int32_t SlideMode = 0;
    std::int32_t SlideCount = 0;
    bool WindowDragging = false;
    Point WindowDragStart;
    // The area a press went to (kind 0 the background): moves and the release follow it.
    CanvasHit mouseCapture_;
    bool mouseCaptured_ = false;
    bool afterDoubleClick_ = false;
    bool closing_ = false;
    bool drawn_ = false;          // the retained drawing holds the whole chart
    std::int16_t lastWindowState_ = 0;
    QSize clientSize_;            // pixels asked for by SetWidth and SetHeight
    std::vector<LockPartsRecord> lockPartsList_;
    // The parts in lockPartsList_, by kind and index, so that none is listed twice.
    std::unordered_set<std::int32_t> listedParts_;
    std::unique_ptr<MenuItems> menus_;
    mutable ControlIndex controlIndex_;
    mutable std::uint64_t controlIndexAt_ = UINT64_MAX;
};

// The canvas window of a slot, or none.
inline CanvasForm* CanvasWindowOf(const CanvasRecord& record)
{
    return qobject_cast<CanvasForm*>(record.form.data());
}

} // namespace vellumora
