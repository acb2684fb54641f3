#pragma once

// The main window's workspace: an MDI area with no scroll bars of its own. Two strips of its
// own, a horizontal one at the bottom and a vertical one at the right, pan it by moving every
// counted canvas window by the same amount; each strip holds a scroll bar and a drag handle
// laid over the bar's track, whose length shows how much of the whole workspace is visible.
// The geometry lives in ApplicationGlobals (WorkspaceSize .. ScrollTrackLength), in twips.

#include <QKeySequence>
#include <QList>
#include <QMdiArea>
#include <QPointer>

#include <cstdint>

class QMainWindow;
class QMdiSubWindow;
class QMouseEvent;
class QPushButton;
class QScrollBar;
class QSizeGrip;
class QStatusBar;
class QTimer;

namespace vellumora {

class WorkspaceScroll : public QMdiArea {
    Q_OBJECT
public:
    // The workspace of a main window; the strips follow that window's state.
    explicit WorkspaceScroll(QMainWindow* mainWindow);
    ~WorkspaceScroll() override;

    // Takes over the main window's timers and status bar: timBaseForm (every 500 ms between
    // commands) arranges the strips, timBaseFormSlide (one-shot, 300 ms) releases the canvases'
    // painting after the last scroll step.
    void Attach(QTimer* timBaseForm, QTimer* timBaseFormSlide, QStatusBar* stbBaseForm);

    // Recomputes the workspace geometry from the counted windows and sets up both strips.
    void ScrollBarArrange();

    // Takes a window in, framed and in front of the others; the frame is returned.
    QMdiSubWindow* WindowAdd(QWidget* window);

    // The scroll steps: a change of a bar's value moves the windows.
    void hsbHorizontal_Change();
    void vsbVertical_Change();
    void timBaseForm_Timer();
    void timBaseFormSlide_Timer();

    // The strips and their parts (thicknesses 255 twips; bars 0 to 32767).
    QWidget* pbxHorizontal;
    QWidget* pbxVertical;
    QScrollBar* hsbHorizontal;
    QScrollBar* vsbVertical;
    QPushButton* cmdHScrollBar;
    QPushButton* cmdVScrollBar;
    // At the horizontal strip's right end, below the vertical strip; shown while the status bar
    // (which has a grip of its own) is hidden and the main window is not maximised.
    QSizeGrip* imgScrollCorner;

    // True during a scroll step; cleared again by the one-shot timer too.
    bool ScrollInProgress = false;
    // True from a press on a handle until the release, until the pointer leaves the handle, or
    // until the value would leave the bar's range.
    bool HandleDragging = false;
    // The pointer's last position along the dragged track, in twips.
    std::int32_t HandleGrabPosition = 0;
    // Twips of track per unit of the bar's value.
    double HorizontalScale = 1.0;
    double VerticalScale = 1.0;

    // While one lives, the windows taken in are cascaded afterwards: Qt need not place them among
    // the others. They nest.
    class CascadeFollows {
    public:
        explicit CascadeFollows(WorkspaceScroll* workspace);
        ~CascadeFollows();
        CascadeFollows(const CascadeFollows&) = delete;
        CascadeFollows& operator=(const CascadeFollows&) = delete;

    private:
        WorkspaceScroll* workspace_;
    };

    // The key that closes the window in front; a frame's Close item shows it.
    static QKeySequence CloseKey();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    struct Axis;
    Axis horizontal();
    Axis vertical();

    void HorizontalHandleArrange();
    void VerticalHandleArrange();
    void HandleArrange(const Axis& axis);
    void ScrollStep(const Axis& axis);
    void HandleMouseDown(const Axis& axis, QMouseEvent* event);
    void HandleMouseMove(const Axis& axis, QMouseEvent* event);
    void HandleMouseUp(const Axis& axis);
    void HandleMouse(bool across, QEvent* event);
    // Sets WindowsStart and WindowsEnd from the counted windows.
    void WindowsMeasure();
    // Places the shown strips along the edges and keeps the windows' area clear of them.
    void StripsDock();
    // True when a frame of the workspace stays on top.
    bool AnyKeptOnTop();

    QMainWindow* mainWindow_;
    QStatusBar* statusBar_ = nullptr;
    QTimer* timBaseForm_ = nullptr;
    QTimer* timBaseFormSlide_ = nullptr;
    // While the arrangement itself sets the bars' values: those describe the windows where they
    // are, so they move nothing.
    bool arranging_ = false;
    // The fraction of a bar unit the handle's pointer has moved beyond the bar's value.
    double dragRemainder_ = 0;
    // The frames whose "stay on top" item was checked, some of which may have left it since:
    // only these can stay on top.
    QList<QPointer<QMdiSubWindow>> keptOnTop_;
    int cascadeFollows_ = 0;
    // The windows taken in while a cascade follows.
    QList<QPointer<QMdiSubWindow>> arrivedUnplaced_;
};

} // namespace vellumora
