// The canvas window itself: construction, loading, activation, the window's place, size and
// state, showing and hiding, the slide, and closing.

#include "app/canvas/CanvasForm.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CanvasFormUnits.h"
#include "app/canvas/FrameBorderPaint.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/FirstFailure.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/diagram/PadDraw.h"
#include "platform/richtext/RichTextBox.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMdiSubWindow>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace vellumora {

namespace {

using canvasform::ToPixels;
using canvasform::ToTwips;

// Frame colour of the selection lines and of the range rectangle: red.
constexpr std::int32_t FrameLineColor = 0x0000FF;

} // namespace

// ---------------------------------------------------------------------------------------------
// The window

CanvasForm::CanvasForm(QWidget* parent)
    : CanvasSurface(parent)
{
    setObjectName(QStringLiteral("CanvasForm"));
    // The kind tag: "C" a canvas window, "M" a child of the main window.
    FormTagSet(this, QStringLiteral("CM"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMaximumSize(MaximumPixels, MaximumPixels);

    // The selection frames and the range rectangle are red and start hidden.
    for (CanvasLineArray* frame : {&linBoxLeft, &linBoxRight, &linBoxUpper, &linBoxLower,
                                   &linSubLeft, &linSubRight, &linSubUpper, &linSubLower})
        (*frame)[0].BorderColor = FrameLineColor;
    shpRange[0].BorderColor = FrameLineColor;

    // The search highlight rests parked until a search lays it over a box.
    rtxBox.Move(0, 0, 30, 30);
    rtxBox.SetEnabled(false);
    rtxBox.SetLocked(true);
    rtxBox.SetVisible(false);

    setFocusPolicy(Qt::StrongFocus);

    timCanvasForm->setInterval(500);
    connect(timCanvasForm, &QTimer::timeout, this, &CanvasForm::timCanvasForm_Timer);
    // The hold-off runs from creation until the window is first activated.
    timRefresh->setInterval(500);
    connect(timRefresh, &QTimer::timeout, this, &CanvasForm::timRefresh_Timer);
    timRefresh->start();

    SetChangedHandler([this](const QRect& twips) { DrawingChanged(twips); });
}

CanvasForm::~CanvasForm()
{
    SetChangedHandler({});
}

const ControlIndex& CanvasForm::controlIndex() const
{
    if (controlIndexAt_ != ControlsChanged()) {
        controlIndex_.Build(*this);
        controlIndexAt_ = ControlsChanged();
    }
    return controlIndex_;
}

// ---------------------------------------------------------------------------------------------
// Loading, activation, window state

void CanvasForm::Form_Load()
{
    lockPartsReset();
    FontSettingMenuSkip = false;
    FirstActivate = true;
    RangeDragging = false;
    WindowDragging = false;
    MouseButton = 0;
    MouseShift = 0;
    painting_ = 0;
    // Lines and shapes hidden, labels in the window's colour.
    for (CanvasLineArray* lines : LineArrays())
        for (int i = 0; i <= lines->UBound(); ++i)
            if (lines->IsLoaded(i))
                (*lines)[i].Visible = false;
    for (CanvasShapeArray* shapes : ShapeArrays())
        (*shapes)[0].Visible = false;
    for (CanvasLabelArray* labels : LabelArrays())
        for (int i = 0; i <= labels->UBound(); ++i)
            if (labels->IsLoaded(i)) {
                CanvasLabel& label = (*labels)[i];
                label.BackColor = BackColor();
            }
    PartsLockClear();
    if (CanvasIndex > 0)
        Form_Activate();
}

void CanvasForm::Form_Activate()
{
    timRefresh->stop();
    // The menus live on the main window's one menu bar, which fills its ini and chart-kind
    // entries itself; the window only tells the status bar and the tool bar that it is in front.
    FirstActivate = false;
    FocusCanvasShow(Caption());
    EditModeShow();
    toolBarArrange();
}

void CanvasForm::Form_GotFocus()
{
    ApplicationGlobals.CurrentCanvasIndex = CanvasIndex;
    PaintEventRelease(true);
}

void CanvasForm::subWindowActivating()
{
    EventBoundary([this] { Form_Activate(); });
}

void CanvasForm::frameStateChanged()
{
    if (sender() == parentWidget())
        EventBoundary([this] { Form_Resize(); });
}

void CanvasForm::focusInEvent(QFocusEvent* event)
{
    // The shortcut keys act from here on.
    Menus();
    CanvasSurface::focusInEvent(event);
    EventBoundary([this] { Form_GotFocus(); });
}

QWidget* CanvasForm::frame() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return const_cast<CanvasForm*>(this);
}

bool CanvasForm::event(QEvent* event)
{
    // Whoever puts the window into a workspace, its frame's state changes reach Form_Resize.
    if (event->type() == QEvent::ParentChange) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            sub->installEventFilter(this);
            FrameBorderPaintInstall(sub);
            // Activation is taken up once the focus has moved: a control of the main window that
            // loses the focus to this window first hands its entry to the window it described.
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &CanvasForm::subWindowActivating,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
            // Taken up once the frame has made the change: a frame restored from minimised puts
            // back the size it had before, and the arrangement of a window laid out again while
            // it was minimised must come after that.
            connect(sub, &QMdiSubWindow::windowStateChanged, this, &CanvasForm::frameStateChanged,
                    Qt::UniqueConnection);
        }
    }
    return QWidget::event(event);
}

bool CanvasForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Close) {
        // The frame's close box and its own Ctrl+F4 close the canvas window: it hides.
        bool unload = false;
        EventBoundary([&] { unload = Form_Unload(); });
        if (!unload) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CanvasForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && frame() == this)
        EventBoundary([this] { Form_Resize(); });
    QWidget::changeEvent(event);
}

void CanvasForm::Form_Resize()
{
    timCanvasForm->stop();
    const std::int16_t state = WindowState();
    if (state == lastWindowState_)
        return;
    lastWindowState_ = state;
    if (CanvasIndex > 0 && static_cast<std::size_t>(CanvasIndex) < B.size())
        CanvasWindowStateSet(CanvasIndex, state);
    if (state == 0) {
        PaintEventRelease(true);
    } else if (state == 1) {
        CanvasBusyWait(CanvasIndex);
        // A minimised window keeps its picture and gets no paints; restoring repaints it whole.
        SetAutoRedraw(true);
    }
}

std::int32_t CanvasForm::Left() const { return ToTwips(frame()->x()); }
std::int32_t CanvasForm::Top() const { return ToTwips(frame()->y()); }
std::int32_t CanvasForm::Width() const { return ToTwips(width()); }
std::int32_t CanvasForm::Height() const { return ToTwips(height()); }

void CanvasForm::SetLeft(std::int32_t twips)
{
    QWidget* f = frame();
    f->move(ToPixels(twips), f->y());
}

void CanvasForm::SetTop(std::int32_t twips)
{
    QWidget* f = frame();
    f->move(f->x(), ToPixels(twips));
}

void CanvasForm::Move(std::int32_t left, std::int32_t top)
{
    frame()->move(ToPixels(left), ToPixels(top));
}

void CanvasForm::SetWidth(std::int32_t twips)
{
    const int pixels = std::clamp(ToPixels(twips), 0, MaximumPixels);
    clientSize_ = QSize(pixels, height());
    if (QWidget* f = frame(); f != this)
        f->resize(f->width() - width() + pixels, f->height());
    resize(clientSize_);
}

void CanvasForm::SetHeight(std::int32_t twips)
{
    const int pixels = std::clamp(ToPixels(twips), 0, MaximumPixels);
    clientSize_ = QSize(width(), pixels);
    if (QWidget* f = frame(); f != this)
        f->resize(f->width(), f->height() - height() + pixels);
    resize(clientSize_);
}

QSize CanvasForm::sizeHint() const
{
    // A workspace frame sizes itself around the drawing area the canvas asked for.
    return clientSize_.isValid() ? clientSize_ : size();
}

std::int16_t CanvasForm::WindowState() const
{
    const Qt::WindowStates states = frame()->windowState();
    if (states & Qt::WindowMinimized)
        return 1;
    if (states & Qt::WindowMaximized)
        return 2;
    return 0;
}

void CanvasForm::SetWindowState(std::int16_t state)
{
    QWidget* f = frame();
    Qt::WindowStates states = f->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == 1)
        states |= Qt::WindowMinimized;
    else if (state == 2)
        states |= Qt::WindowMaximized;
    f->setWindowState(states);
    // Hidden windows get no state-change event: keep the bookkeeping in step anyway.
    if (!f->isVisible())
        Form_Resize();
}

QString CanvasForm::Caption() const
{
    return windowTitle();
}

void CanvasForm::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (QWidget* f = frame(); f != this)
        f->setWindowTitle(caption);
}

void CanvasForm::Show()
{
    // A canvas window lives in the main window's workspace when there is one.
    std::optional<QString> caption;
    if (frame() == this && parentWidget() == nullptr && MainWindow()) {
        clientSize_ = size();
        // The frame takes the caption once it is placed and shown: each step of its making (its
        // size hints, its layout, the show) would lay out and shape a title it has, dozens of
        // times for each window.
        caption = Caption();
        setWindowTitle(QString());
        if (QMdiSubWindow* sub = MainWindow()->placeInWorkspace(this))
            sub->resize(sub->sizeHint());
    }
    QWidget* f = frame();
    // A frame that is disabled while it is shown does not take the activation.
    const bool quiet = f != this && f->isHidden() && f->isEnabled() && QuietShows::Active();
    if (quiet)
        f->setEnabled(false);
    if (f != this)
        QWidget::show();
    f->show();
    if (quiet) {
        f->setEnabled(true);
        QuietShows::Shown(f);
    }
    if (caption)
        SetCaption(*caption);
}

bool CanvasForm::Visible() const
{
    return !frame()->isHidden();
}

void CanvasForm::SetVisible(bool visible)
{
    if (visible)
        Show();
    else
        frame()->hide();
}

void CanvasForm::Unload()
{
    timCanvasForm->stop();
    timRefresh->stop();
    QWidget* f = frame();
    f->hide();
    f->deleteLater();
}

void CanvasForm::ZOrder()
{
    // Only the stacking changes: which window is active stays as it was.
    frame()->raise();
}

// ---------------------------------------------------------------------------------------------
// The slide

void CanvasForm::CanvasSlideStart(std::int32_t mode)
{
    SlideMode = mode;
    if (mode >= 1 && mode <= 8) {
        // The main window's size in whole twips, over the step.
        const QWidget* main = MainWindow() ? MainWindow()->window() : nullptr;
        const std::int32_t width = main ? ToTwips(main->width()) : 0;
        const std::int32_t height = main ? ToTwips(main->height()) : 0;
        const bool across = mode == 1 || mode == 2 || mode == 5 || mode == 6;
        const std::int32_t step = mode <= 4 ? 100 : 300;
        SlideCount = (across ? width : height) / step;
    }
    timCanvasForm->start();
}

void CanvasForm::timCanvasForm_Timer()
{
    switch (SlideMode) {
    case 1: SetLeft(Left() - 100); break;
    case 2: SetLeft(Left() + 100); break;
    case 3: SetTop(Top() - 100); break;
    case 4: SetTop(Top() + 100); break;
    case 5: SetLeft(Left() - 300); break;
    case 6: SetLeft(Left() + 300); break;
    case 7: SetTop(Top() - 300); break;
    case 8: SetTop(Top() + 300); break;
    default: break;
    }
    // At least one step is made, even for a count that started at 0.
    --SlideCount;
    if (SlideCount <= 0)
        timCanvasForm->stop();
}

// ---------------------------------------------------------------------------------------------
// The main window's tool bar and closing

void CanvasForm::toolBarArrange()
{
    if (MainWindow())
        MainWindow()->ToolBarArrange();
}

void CanvasForm::closeEvent(QCloseEvent* event)
{
    bool unload = false;
    EventBoundary([&] { unload = Form_Unload(); });
    if (unload)
        event->accept();
    else
        event->ignore();
}

bool CanvasForm::Form_Unload()
{
    const bool programClosing = ApplicationGlobals.ApplicationClosing;
    // Ctrl+F4 reaches the window by more than one route, and the frame passes its close on to
    // the window: a window already hidden, or already unloading, is closed once only.
    if (closing_)
        return true;
    if (!programClosing && !Visible())
        return false;
    closing_ = programClosing;
    FocusCanvasShow(QString());
    CanvasBusyWait(CanvasIndex);
    PaintEventReleaseAll(true, false);

    ProcessingStart(this);
    FirstFailure failure;
    failure.Run([&] {
        timCanvasForm->stop();
        frame()->hide();
        if (programClosing) {
            PartsLockClear();
            if (CanvasIndex > 0 && static_cast<std::size_t>(CanvasIndex) < B.size())
                CanvasStateSet(CanvasIndex, 3);
        } else {
            UnVisibleCanvasShow();
        }
        if (CanvasIndex > 0)
            BoxEditorCloseAll(CanvasIndex);
    });
    // A hidden window stays loaded: the end of the command lets it take input again when shown.
    failure.Run([&] { ProcessingEnd(this, false, false); });
    failure.Rethrow();
    return programClosing;
}

} // namespace vellumora
