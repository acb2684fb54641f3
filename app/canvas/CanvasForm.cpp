#include "app/canvas/CanvasForm.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/FrameBorderPaint.h"
#include "app/diagram/BoxMake.h"
#include "app/diagram/PadDraw.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/FirstFailure.h"
#include "app/core/MainWindowLink.h"
#include "app/core/ModuleLinks.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbrt/Error.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace vellumora {

namespace {

using platform::graphics::DrawRecord;
using platform::graphics::TwipsPerPixel;

CanvasForm::PopupRunner& PopupRunnerHook()
{
    static CanvasForm::PopupRunner runner;
    return runner;
}

// Tag id of the chink box that marks a cut vertical line.
constexpr std::int32_t ChinkTag = 21;

// A part by kind and index, for the set of listed parts.
std::int32_t PartKey(std::int32_t kind, std::int16_t index)
{
    return kind * 65536 + index;
}

// The buttons as the window's events number them: 1 left, 2 right, 4 middle.
int MouseButtonsOf(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

// Where a mouse event happened, in window twips.
std::pair<std::int32_t, std::int32_t> TwipsAt(const QMouseEvent& event)
{
    return {static_cast<std::int32_t>(std::floor(event.position().x() * TwipsPerPixel)),
            static_cast<std::int32_t>(std::floor(event.position().y() * TwipsPerPixel))};
}

int ShiftOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

CanvasForm::CanvasPainter& Painter()
{
    static CanvasForm::CanvasPainter painter;
    return painter;
}

// The chart of a canvas that holds a box list; a window without one shows only its background.
void ChartDraw(std::int16_t canvas)
{
    if (canvas >= 1 && static_cast<std::size_t>(canvas) < B.size() && !B[static_cast<std::size_t>(canvas)].BoxList.empty())
        BoxListDraw(canvas, SubRecord::Default);
}

int ToPixels(std::int32_t twips)
{
    return static_cast<int>(std::floor(static_cast<double>(twips) / TwipsPerPixel));
}

std::int32_t ToTwips(int pixels)
{
    return static_cast<std::int32_t>(pixels) * TwipsPerPixel;
}

// Frame colour of the selection lines and of the range rectangle: red.
constexpr std::int32_t FrameLineColor = 0x0000FF;

bool SameFamily(std::int32_t a, std::int32_t b)
{
    // The end line of a chain belongs to the vertical lines; kind 0 belongs to no family.
    auto family = [](std::int32_t kind) { return kind == 3 ? 2 : kind; };
    return a != 0 && b != 0 && family(a) == family(b);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The window

void CanvasForm::SetCanvasPainter(CanvasPainter painter)
{
    Painter() = std::move(painter);
}

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
    menusCreate();
    editMenusCreate();

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

CanvasHit CanvasForm::HitTest(std::int32_t x, std::int32_t y) const
{
    const auto arrays = LabelArrays();
    CanvasHit hit;
    std::int64_t topmost = -1;
    for (const IndexedControl& near : controlIndex().Near(QRect(x, y, 1, 1))) {
        if (near.array >= ControlIndex::LabelArrays)
            break;
        const auto i = static_cast<std::int16_t>(near.index);
        const CanvasLabel& label = (*arrays[static_cast<std::size_t>(near.array)])[i];
        if (!label.Visible || !label.Enabled || label.zOrder <= topmost)
            continue;
        if (x >= label.Left && x < label.Left + label.Width && y >= label.Top && y < label.Top + label.Height) {
            hit = CanvasHit{near.array + 1, i};
            topmost = label.zOrder;
        }
    }
    return hit;
}

// ---------------------------------------------------------------------------------------------
// Painting

void CanvasForm::paintEvent(QPaintEvent* event)
{
    // A window that does not keep its drawing asks for the chart when it has none.
    if (!AutoRedraw() && !drawn_)
        EventBoundary([this] { Form_Paint(); });
    QPainter painter(this);
    const QRect exposed = event->rect();
    Render(painter, exposed);
    paintControls(painter, exposed);
}

void CanvasForm::paintControls(QPainter& painter, const QRect& exposed) const
{
    const QRect exposedTwips(ToTwips(exposed.x()), ToTwips(exposed.y()), ToTwips(exposed.width()),
                             ToTwips(exposed.height()));
    struct Item {
        std::int64_t zOrder;
        DrawRecord record;
    };
    std::vector<Item> items;

    const auto labels = LabelArrays();
    const auto lines = LineArrays();
    for (const IndexedControl& near : controlIndex().Near(exposedTwips)) {
        const auto i = static_cast<std::int16_t>(near.index);
        if (near.array >= ControlIndex::LabelArrays) {
            const CanvasLine& line = (*lines[static_cast<std::size_t>(near.array - ControlIndex::LabelArrays)])[i];
            if (!line.Visible || !ControlArea(line).intersects(exposedTwips))
                continue;
            DrawRecord stroke;
            stroke.kind = DrawRecord::Kind::Line;
            stroke.p1 = QPoint(line.X1, line.Y1);
            stroke.p2 = QPoint(line.X2, line.Y2);
            stroke.color = line.BorderColor;
            stroke.drawWidth = line.BorderWidth;
            items.push_back({line.zOrder, stroke});
            continue;
        }
        const CanvasLabel& label = (*labels[static_cast<std::size_t>(near.array)])[i];
        if (!label.Visible || !ControlArea(label).intersects(exposedTwips))
            continue;
        // The background stays unpainted: the chart beneath shows through.
        if (label.BorderStyle == 1 && label.Width > 0 && label.Height > 0) {
            DrawRecord frame;
            frame.kind = DrawRecord::Kind::Rectangle;
            frame.p1 = QPoint(label.Left, label.Top);
            frame.p2 = QPoint(label.Left + label.Width - TwipsPerPixel, label.Top + label.Height - TwipsPerPixel);
            frame.color = 0;
            items.push_back({label.zOrder, frame});
        }
        if (!label.Caption.isEmpty()) {
            DrawRecord caption;
            caption.kind = DrawRecord::Kind::Text;
            caption.p1 = QPoint(label.Left, label.Top);
            caption.text = label.Caption;
            caption.color = label.ForeColor;
            caption.font = Font();
            items.push_back({label.zOrder, caption});
        }
    }
    const CanvasShape& range = shpRange[0];
    if (range.Visible && ControlArea(range).intersects(exposedTwips)) {
        DrawRecord frame;
        frame.kind = DrawRecord::Kind::Rectangle;
        frame.p1 = QPoint(range.Left, range.Top);
        frame.p2 = QPoint(range.Left + range.Width, range.Top + range.Height);
        frame.color = range.BorderColor;
        frame.drawWidth = range.BorderWidth;
        items.push_back({range.zOrder, frame});
    }
    if (items.empty())
        return;
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.zOrder < b.zOrder; });
    painter.save();
    painter.setClipRect(exposed);
    painter.scale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
    for (const Item& item : items)
        platform::graphics::PaintRecord(painter, item.record);
    painter.restore();
}

void CanvasForm::busyCountAdd(std::int16_t delta)
{
    // A count, not a mark: a paint inside a paint must not clear the outer one's busy state.
    if (CanvasIndex >= 0 && static_cast<std::size_t>(CanvasIndex) < B.size()) {
        std::int16_t& count = B[static_cast<std::size_t>(CanvasIndex)].header.busyCount;
        count = static_cast<std::int16_t>(std::max(0, count + delta));
    }
}

void CanvasForm::Form_Paint()
{
    busyCountAdd(1);
    if (timRefresh->isActive()) {
        // Held off after a click: nothing is drawn and nothing is remembered.
        ClipControls = false;
    } else if (ApplicationGlobals.PaintSuspended || painting_ == 1) {
        paintPending_ = true;
    } else {
        paintPending_ = false;
        setCursor(Qt::WaitCursor);
        painting_ = 1;
        try {
            RetainedDrawing::Cls();
            if (Painter())
                Painter()(CanvasIndex);
            else
                ChartDraw(CanvasIndex);
            drawn_ = true;
        } catch (...) {
            // A failed drawing must not leave the canvas marked busy: every wait on it would hang.
            painting_ = 0;
            unsetCursor();
            busyCountAdd(-1);
            throw;
        }
        painting_ = 0;
        unsetCursor();
        ClipControls = false;
    }
    busyCountAdd(-1);
}

void CanvasForm::Refresh()
{
    if (!AutoRedraw()) {
        drawn_ = false;
        Form_Paint();
    }
    update();
}

void CanvasForm::PaintEventRelease(bool force)
{
    if (AutoRedraw())
        paintPending_ = true;
    else
        paintPending_ = paintPending_ || force;
    ClipControls = true;
    SetAutoRedraw(false);
    if (paintPending_) {
        paintPending_ = false;
        painting_ = 0;
        Refresh();
    }
}

void CanvasForm::SetAutoRedraw(bool on)
{
    RetainedDrawing::SetAutoRedraw(on);
}

void CanvasForm::SetBackColor(std::int32_t color)
{
    RetainedDrawing::SetBackColor(color);
}

void CanvasForm::Cls()
{
    // What the window showed is gone; until the chart is drawn again exposing it repaints it.
    drawn_ = false;
    RetainedDrawing::Cls();
}

void CanvasForm::RefreshTimerRestart()
{
    timRefresh->stop();
    timRefresh->setInterval(std::max<std::int32_t>(1, ApplicationGlobals.DoubleClickTime));
    timRefresh->start();
}

void CanvasForm::timRefresh_Timer()
{
    timRefresh->stop();
    // A paint swallowed by the hold-off left no chart behind: ask for it again.
    if (!drawn_ && !AutoRedraw())
        update();
}

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

void CanvasForm::focusInEvent(QFocusEvent* event)
{
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
        }
    }
    return QWidget::event(event);
}

bool CanvasForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::WindowStateChange)
        EventBoundary([this] { Form_Resize(); });
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
    if (frame() == this && parentWidget() == nullptr && MainWindow()) {
        clientSize_ = size();
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
// Selection frames

void CanvasForm::lockPartsReset()
{
    LockPartsKind = 0;
    LockPartsFlags = 0;
    LockPartsCopyEnabled = false;
    LockPartsEditorEnabled = false;
    LockPartsFontEnabled = false;
    LockPartsChinkEnabled = false;
    LockPartsConnectEnabled = false;
    LockPartsNewPageEnabled = false;
    LockPartsFontCode = 0;
    LockPartsColorCode = 0;
}

void CanvasForm::hideFrame(std::int16_t boxIndex, std::int16_t subIndex)
{
    if (boxIndex > 0) {
        for (CanvasLineArray* line : {&linBoxLeft, &linBoxRight, &linBoxUpper, &linBoxLower})
            if (line->IsLoaded(boxIndex))
                (*line)[boxIndex].Visible = false;
    } else if (subIndex >= 0) {
        for (CanvasLineArray* line : {&linSubLeft, &linSubRight, &linSubUpper, &linSubLower})
            if (line->IsLoaded(subIndex))
                (*line)[subIndex].Visible = false;
    }
}

bool CanvasForm::partsFrameShow(std::int16_t boxIndex, std::int16_t subIndex, const CanvasLabel* ctl, bool visibleForce)
{
    if (ctl == nullptr) {
        hideFrame(boxIndex, subIndex);
        return false;
    }
    const std::int32_t left = ctl->Left - 30;
    const std::int32_t top = ctl->Top - 30;
    const std::int32_t right = ctl->Left + ctl->Width + 30;
    const std::int32_t bottom = ctl->Top + ctl->Height + 30;
    CanvasLineArray *l, *r, *u, *d;
    std::int16_t index;
    if (boxIndex >= 1) {
        l = &linBoxLeft, r = &linBoxRight, u = &linBoxUpper, d = &linBoxLower, index = boxIndex;
    } else if (subIndex >= 0) {
        l = &linSubLeft, r = &linSubRight, u = &linSubUpper, d = &linSubLower, index = subIndex;
    } else {
        return false;
    }
    const CanvasLineArray& cl = *l;
    const CanvasLineArray& cr = *r;
    const CanvasLineArray& cu = *u;
    const CanvasLineArray& cd = *d;
    const bool shown = cl[index].Visible || cr[index].Visible || cu[index].Visible || cd[index].Visible;
    const bool visible = visibleForce || !shown;
    auto place = [visible, index](CanvasLineArray& array, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        CanvasLine& line = array[index];
        line.X1 = x1;
        line.Y1 = y1;
        line.X2 = x2;
        line.Y2 = y2;
        line.Visible = visible;
    };
    place(*l, left, top, left, bottom);
    place(*r, right, top, right, bottom);
    place(*u, left, top, right, top);
    place(*d, left, bottom, right, bottom);
    return visible;
}

void CanvasForm::PartsLockClear()
{
    for (CanvasLineArray* frameLines : {&linBoxLeft, &linBoxRight, &linBoxUpper, &linBoxLower,
                                        &linSubLeft, &linSubRight, &linSubUpper, &linSubLower}) {
        const CanvasLineArray& lines = *frameLines;
        for (int i = 0; i <= lines.UBound(); ++i)
            if (lines.IsLoaded(i) && lines[i].Visible)
                (*frameLines)[i].Visible = false;
    }
    if (static_cast<const CanvasShapeArray&>(shpRange)[0].Visible)
        shpRange[0].Visible = false;
    lockPartsList_.clear();
    listedParts_.clear();
    lockPartsReset();
    // Only the highlight goes: the search itself goes on.
    Links().SearchHighlightHide(false);
}

void CanvasForm::PartsLock(std::int32_t partsKind, std::int16_t partsIndex, std::int16_t partsShift, bool visibleForce)
{
    if (!lockPartsList_.empty() && (!SameFamily(lockPartsList_.front().partsKind, partsKind) || partsShift != 1)) {
        for (const LockPartsRecord& part : lockPartsList_) {
            if (part.partsKind == 1 || part.partsKind == 2)
                hideFrame(part.partsIndex, -1);
            else if (part.partsKind == 3 || part.partsKind == 4)
                hideFrame(-1, part.partsIndex);
        }
        PartsLockClear();
    }
    bool visible = false;
    if (partsIndex >= 0 && partsKind >= 1 && partsKind <= 4) {
        const CanvasLabel& label = partLabel(partsKind, partsIndex);
        if (partsKind <= 2)
            visible = partsFrameShow(partsIndex, -1, &label, visibleForce);
        else
            visible = partsFrameShow(-1, partsIndex, &label, visibleForce);
    }
    // A part is listed once however often it is framed: commands that free the listed parts
    // would otherwise free one twice.
    if (visible && listedParts_.insert(PartKey(partsKind, partsIndex)).second) {
        if (lockPartsList_.empty())
            LockPartsKind = partsKind;
        lockPartsList_.push_back({partsKind, partsIndex});
    }
    const bool selected = !lockPartsList_.empty();
    if (!selected)
        lockPartsReset();
    if (CanvasIndex > 0 && static_cast<std::size_t>(CanvasIndex) < B.size())
        PartsLockSet(CanvasIndex, selected);
}

const CanvasLabel& CanvasForm::partLabel(std::int32_t kind, std::int16_t index) const
{
    return (*LabelArrays()[static_cast<std::size_t>(kind - 1)])[index];
}

const BoxRecord& CanvasForm::boxRecord(std::int16_t box) const
{
    return ElementAt(CanvasAt(CanvasIndex, "BoxDataGet").BoxList, box, "BoxDataGet");
}

const SubRecord& CanvasForm::subRecord(std::int16_t sub) const
{
    return ElementAt(CanvasAt(CanvasIndex, "SubDataGet").SubList, sub, "SubDataGet");
}

bool CanvasForm::partLoaded(std::int32_t kind, std::int16_t index) const
{
    return LabelArrays()[static_cast<std::size_t>(kind - 1)]->IsLoaded(index);
}

bool CanvasForm::partFramed(std::int32_t kind, std::int16_t index) const
{
    const CanvasLineArray& frameLine = kind <= 2 ? static_cast<const CanvasLineArray&>(linBoxLeft)
                                                 : static_cast<const CanvasLineArray&>(linSubLeft);
    return index >= 0 && frameLine.IsLoaded(index) && frameLine[index].Visible;
}

void CanvasForm::PartsLockMenuSet(std::int32_t partsKind, std::int16_t partsIndex)
{
    LockPartsFlags = 0;
    LockPartsCopyEnabled = LockPartsEditorEnabled = LockPartsFontEnabled = false;
    LockPartsChinkEnabled = LockPartsConnectEnabled = LockPartsNewPageEnabled = false;
    LockPartsFontCode = 0;
    LockPartsColorCode = 0;
    LockPartsTarget = -1;

    const bool selected = partsKind == 0 || partsIndex < 0 || partFramed(partsKind, partsIndex);
    if (selected) {
        // Parts whose frame a Shift+click switched off leave the list here.
        std::vector<LockPartsRecord> kept;
        for (const LockPartsRecord& part : lockPartsList_)
            if (partFramed(part.partsKind, part.partsIndex))
                kept.push_back(part);
        if (kept.empty()) {
            PartsLock();
            return;
        }
        lockPartsList_ = std::move(kept);
        listedParts_.clear();
        for (const LockPartsRecord& part : lockPartsList_)
            listedParts_.insert(PartKey(part.partsKind, part.partsIndex));
    } else {
        // A popup on a part outside the selection works on that part alone, unframed.
        PartsLock();
        lockPartsList_ = {{partsKind, partsIndex}};
        listedParts_ = {PartKey(partsKind, partsIndex)};
        LockPartsKind = partsKind;
    }

    bool copy = true, editor = true, font = true, chink = true, connect = true, newPage = true;
    std::int16_t flags = 0;
    std::int16_t owner = 0;
    for (std::size_t i = 0; i < lockPartsList_.size(); ++i) {
        const LockPartsRecord& part = lockPartsList_[i];
        const bool first = i == 0;
        LockPartsTarget = part.partsIndex;
        switch (part.partsKind) {
        case 1: {
            const BoxRecord& box = boxRecord(part.partsIndex);
            flags |= box.flags;
            if (first) {
                owner = box.upper;
                LockPartsFontCode = box.fontCode;
                LockPartsColorCode = box.colorCode;
            } else {
                copy = copy && box.upper == owner;
            }
            font = true;
            editor = editor && first;
            chink = connect = newPage = false;
            break;
        }
        case 2: {
            const BoxRecord& box = boxRecord(part.partsIndex);
            const bool live = (box.flags & BoxFlag::Temporary) == 0;
            flags |= box.flags;
            copy = false;
            font = false;
            editor = editor && live && first;
            chink = chink && (box.flags & BoxFlag::FollowsChink) == 0 && box.tagType != ChinkTag && live && first;
            connect = connect && (box.flags & BoxFlag::ChainHead) == 0 && live && first && box.before > 0 &&
                      boxRecord(box.before).tagType == ChinkTag;
            newPage = newPage && live && box.before > 0 && first;
            break;
        }
        case 3:
            LockPartsTarget = subRecord(part.partsIndex).last;
            editor = editor && first;
            copy = font = chink = connect = newPage = false;
            break;
        case 4: {
            const SubRecord& sub = subRecord(part.partsIndex);
            flags |= sub.flags;
            if (first)
                owner = sub.upper;
            else
                copy = copy && sub.upper == owner;
            const std::int16_t placed = SubFlag::PlacementMark8 | SubFlag::PlacementMark10;
            // Sub lines are copied and their fonts changed only with boxes below them, or as
            // the line above the top chain.
            const bool withBoxes = (sub.flags & placed) != 0 || (sub.flags & SubFlag::EmptyLine) == 0;
            copy = copy && withBoxes;
            font = font && withBoxes;
            editor = editor && first && (sub.flags & SubFlag::EmptyLine) != 0 && (sub.flags & placed) == 0;
            newPage = newPage && first && (sub.flags & (placed | SubFlag::EmptyLine)) == 0;
            chink = connect = false;
            break;
        }
        default:
            break;
        }
    }
    LockPartsFlags = flags;
    LockPartsCopyEnabled = copy;
    LockPartsEditorEnabled = editor;
    LockPartsFontEnabled = font;
    LockPartsChinkEnabled = chink;
    LockPartsConnectEnabled = connect;
    LockPartsNewPageEnabled = newPage;
}

void CanvasForm::RangeFrameShow(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    CanvasShape& range = shpRange[0];
    range.Left = left;
    range.Top = top;
    range.Width = width;
    range.Height = height;
    range.Visible = true;
}

bool CanvasForm::RangeCross(const RangeEdges& rangeHorizontal, const RangeEdges& rangeVertical, const CanvasLabel& ctl)
{
    const auto between = [](std::int32_t v, std::int32_t a, std::int32_t b) {
        return std::min(a, b) <= v && v <= std::max(a, b);
    };
    const std::int32_t left = ctl.Left;
    const std::int32_t top = ctl.Top;
    const std::int32_t right = ctl.Left + ctl.Width;
    const std::int32_t bottom = ctl.Top + ctl.Height;
    const RangeEdge& first = rangeHorizontal[0];
    const RangeEdge& firstVertical = rangeVertical[0];
    for (std::int32_t x : {left, right})
        for (std::int32_t y : {top, bottom})
            if (between(x, first.x1, first.x2) && between(y, firstVertical.y1, firstVertical.y2))
                return true;
    for (const RangeEdge& h : rangeHorizontal)
        for (std::int32_t x : {left, right})
            if (between(x, h.x1, h.x2) && between(h.y1, top, bottom))
                return true;
    for (const RangeEdge& v : rangeVertical)
        for (std::int32_t y : {top, bottom})
            if (between(y, v.y1, v.y2) && between(v.x1, left, right))
                return true;
    return false;
}

void CanvasForm::RangeSelect()
{
    PartsLock();
    const std::int32_t x1 = RangeStart.xw, y1 = RangeStart.yh, x2 = RangeEnd.xw, y2 = RangeEnd.yh;
    const RangeEdges horizontal = {RangeEdge{x1, y1, x2, y1}, RangeEdge{x1, y2, x2, y2}};
    const RangeEdges vertical = {RangeEdge{x1, y1, x1, y2}, RangeEdge{x2, y1, x2, y2}};
    const CanvasLabelArray& boxes = lblBox;
    for (int i = 1; i <= boxes.UBound(); ++i) {
        if (!boxes.IsLoaded(i))
            continue;
        const CanvasLabel& label = boxes[i];
        if (label.Visible && label.Enabled && RangeCross(horizontal, vertical, label))
            PartsLock(1, i, 1, false);
    }
    PartsLockMenuSet(0, -1);
}

// ---------------------------------------------------------------------------------------------
// The canvas popup

void CanvasForm::Menu_CanvasMinimized_Click()
{
    SetWindowState(1);
}

void CanvasForm::Menu_CanvasNonIndication_Click()
{
    close();
}

void CanvasForm::Menu_CanvasReFresh_Click()
{
    CanvasBusyWait(CanvasIndex);
    SetAutoRedraw(true);
    Cls();
    PaintEventRelease(true);
}

QAction* CanvasForm::menuItemAdd(QMenu* menu, const char* name, const QString& caption, void (CanvasForm::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, [this, handler] { EventBoundary([this, handler] { (this->*handler)(); }); });
    return action;
}

void CanvasForm::menusCreate()
{
    const auto popup = [this](QMenu*& menu, const char* name, const QString& caption) {
        menu = new QMenu(caption, this);
        menu->setObjectName(QLatin1String(name));
    };
    popup(Menu_Box, "Menu_Box", QStringLiteral("BOXﾒﾆｭｰ"));
    Menu_BoxCut = menuItemAdd(Menu_Box, "Menu_BoxCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_BoxCut_Click);
    Menu_BoxCopy = menuItemAdd(Menu_Box, "Menu_BoxCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), &CanvasForm::Menu_BoxCopy_Click);
    Menu_BoxCopyTask = menuItemAdd(Menu_Box, "Menu_BoxCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                   &CanvasForm::Menu_BoxCopyTask_Click);
    Menu_Box->addSeparator();
    Menu_BoxDelete = menuItemAdd(Menu_Box, "Menu_BoxDelete", QStringLiteral("削除(&D)"), &CanvasForm::Menu_BoxDelete_Click);
    Menu_BoxDeleteLump = menuItemAdd(Menu_Box, "Menu_BoxDeleteLump", QStringLiteral("一括削除"),
                                     &CanvasForm::Menu_BoxDeleteLump_Click);
    Menu_Box->addSeparator();
    Menu_BoxEditor = menuItemAdd(Menu_Box, "Menu_BoxEditor", QStringLiteral("BOX編集(&E)"), &CanvasForm::Menu_BoxEditor_Click);
    Menu_BoxFontChange = menuItemAdd(Menu_Box, "Menu_BoxFontChange", QStringLiteral("ﾌｫﾝﾄ変更(&F)"),
                                     &CanvasForm::Menu_BoxFontChange_Click);
    Menu_BoxFontChangeLump = menuItemAdd(Menu_Box, "Menu_BoxFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                         &CanvasForm::Menu_BoxFontChangeLump_Click);

    popup(Menu_VLine, "Menu_VLine", QStringLiteral("縦線ﾒﾆｭｰ"));
    Menu_VLinePaste = menuItemAdd(Menu_VLine, "Menu_VLinePaste", QStringLiteral("貼り付け(&P)"),
                                  &CanvasForm::Menu_VLinePaste_Click);
    Menu_VLinePasteTask = menuItemAdd(Menu_VLine, "Menu_VLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                      &CanvasForm::Menu_VLinePasteTask_Click);
    Menu_VLine->addSeparator();
    Menu_VLineAdd = menuItemAdd(Menu_VLine, "Menu_VLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_VLineAdd_Click);
    Menu_VLineChink = menuItemAdd(Menu_VLine, "Menu_VLineChink", QStringLiteral("切断(&K)"),
                                  &CanvasForm::Menu_VLineChink_Click);
    Menu_VLineConnect = menuItemAdd(Menu_VLine, "Menu_VLineConnect", QStringLiteral("接続(&O)"),
                                    &CanvasForm::Menu_VLineConnect_Click);
    Menu_VLineNewPage = menuItemAdd(Menu_VLine, "Menu_VLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                    &CanvasForm::Menu_VLineNewPage_Click);
    Menu_VLineNewPage->setCheckable(true);

    popup(Menu_HLine, "Menu_HLine", QStringLiteral("横線ﾒﾆｭｰ"));
    Menu_HLineCut = menuItemAdd(Menu_HLine, "Menu_HLineCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_HLineCut_Click);
    Menu_HLineCopy = menuItemAdd(Menu_HLine, "Menu_HLineCopy", QStringLiteral("ｺﾋﾟｰ(&C)"),
                                 &CanvasForm::Menu_HLineCopy_Click);
    Menu_HLinePaste = menuItemAdd(Menu_HLine, "Menu_HLinePaste", QStringLiteral("貼り付け(&P)"),
                                  &CanvasForm::Menu_HLinePaste_Click);
    Menu_HLineCopyTask = menuItemAdd(Menu_HLine, "Menu_HLineCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                     &CanvasForm::Menu_HLineCopyTask_Click);
    Menu_HLinePasteTask = menuItemAdd(Menu_HLine, "Menu_HLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                      &CanvasForm::Menu_HLinePasteTask_Click);
    Menu_HLine->addSeparator();
    Menu_HLineDeleteLump = menuItemAdd(Menu_HLine, "Menu_HLineDeleteLump", QStringLiteral("一括削除"),
                                       &CanvasForm::Menu_HLineDeleteLump_Click);
    Menu_HLine->addSeparator();
    Menu_HLineAdd = menuItemAdd(Menu_HLine, "Menu_HLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_HLineAdd_Click);
    Menu_HLineFontChangeLump = menuItemAdd(Menu_HLine, "Menu_HLineFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                           &CanvasForm::Menu_HLineFontChangeLump_Click);
    Menu_HLineNewPage = menuItemAdd(Menu_HLine, "Menu_HLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                    &CanvasForm::Menu_HLineNewPage_Click);
    Menu_HLineNewPage->setCheckable(true);

    popup(Menu_Canvas, "Menu_Canvas", QStringLiteral("ｷｬﾝﾊﾞｽ制御ﾒﾆｭｰ"));
    Menu_CanvasMinimized = menuItemAdd(Menu_Canvas, "Menu_CanvasMinimized", QStringLiteral("最小化(&N)"),
                                       &CanvasForm::Menu_CanvasMinimized_Click);
    Menu_CanvasNonIndication = menuItemAdd(Menu_Canvas, "Menu_CanvasNonIndication", QStringLiteral("非表示(&C)"),
                                           &CanvasForm::Menu_CanvasNonIndication_Click);
    Menu_CanvasReFresh = menuItemAdd(Menu_Canvas, "Menu_CanvasReFresh", QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"),
                                     &CanvasForm::Menu_CanvasReFresh_Click);
    Menu_Canvas->addSeparator();
    Menu_CanvasLeft = menuItemAdd(Menu_Canvas, "Menu_CanvasLeft", QStringLiteral("左へ移動(&L)"),
                                  &CanvasForm::Menu_CanvasLeft_Click);
    Menu_CanvasRight = menuItemAdd(Menu_Canvas, "Menu_CanvasRight", QStringLiteral("右へ移動(&R)"),
                                   &CanvasForm::Menu_CanvasRight_Click);
    Menu_CanvasUp = menuItemAdd(Menu_Canvas, "Menu_CanvasUp", QStringLiteral("上へ移動(&U)"), &CanvasForm::Menu_CanvasUp_Click);
    Menu_CanvasDown = menuItemAdd(Menu_Canvas, "Menu_CanvasDown", QStringLiteral("下へ移動(&D)"),
                                  &CanvasForm::Menu_CanvasDown_Click);
    Menu_CanvasLeft3 = menuItemAdd(Menu_Canvas, "Menu_CanvasLeft3", QStringLiteral("左へ移動3倍(&M)"),
                                   &CanvasForm::Menu_CanvasLeft3_Click);
    Menu_CanvasRight3 = menuItemAdd(Menu_Canvas, "Menu_CanvasRight3", QStringLiteral("右へ移動3倍(&S)"),
                                    &CanvasForm::Menu_CanvasRight3_Click);
    Menu_CanvasUp3 = menuItemAdd(Menu_Canvas, "Menu_CanvasUp3", QStringLiteral("上へ移動3倍(&V)"),
                                 &CanvasForm::Menu_CanvasUp3_Click);
    Menu_CanvasDown3 = menuItemAdd(Menu_Canvas, "Menu_CanvasDown3", QStringLiteral("下へ移動3倍(&E)"),
                                   &CanvasForm::Menu_CanvasDown3_Click);
}

void CanvasForm::SetPopupRunner(PopupRunner runner)
{
    PopupRunnerHook() = std::move(runner);
}

void CanvasForm::popupShow(QMenu* menu)
{
    const QPoint at = QCursor::pos();
    if (PopupRunnerHook())
        PopupRunnerHook()(menu, at);
    else
        menu->exec(at);
}

void CanvasForm::toolBarArrange()
{
    if (MainWindow())
        MainWindow()->ToolBarArrange();
}

// ---------------------------------------------------------------------------------------------
// Mouse: Qt's events become the window's and the hit areas' own

void CanvasForm::mousePressEvent(QMouseEvent* event)
{
    const auto at = TwipsAt(*event);
    const std::int32_t x = at.first, y = at.second;
    const int button = MouseButtonsOf(event->button());
    const int shift = ShiftOf(event->modifiers());
    mouseCapture_ = HitTest(x, y);
    mouseCaptured_ = true;
    afterDoubleClick_ = false;
    EventBoundary([&] {
        if (mouseCapture_.partsKind != 0) {
            const CanvasLabel& label = partLabel(mouseCapture_.partsKind, mouseCapture_.index);
            Parts_MouseDown(mouseCapture_.partsKind, mouseCapture_.index, button, shift, x - label.Left, y - label.Top);
        } else {
            Form_MouseDown(button, shift, x, y);
        }
    });
    event->accept();
}

void CanvasForm::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: DblClick on the part in place of a press.
    const auto at = TwipsAt(*event);
    const std::int32_t x = at.first, y = at.second;
    mouseCapture_ = HitTest(x, y);
    mouseCaptured_ = true;
    afterDoubleClick_ = true;
    if (mouseCapture_.partsKind != 0)
        EventBoundary([&] { Parts_DblClick(mouseCapture_.partsKind, mouseCapture_.index); });
    event->accept();
}

void CanvasForm::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseCaptured_)
        return;
    const auto at = TwipsAt(*event);
    const std::int32_t x = at.first, y = at.second;
    const int button = MouseButtonsOf(event->buttons());
    const int shift = ShiftOf(event->modifiers());
    EventBoundary([&] {
        const CanvasHit target = mouseCapture_;
        if (target.partsKind != 0 && partLoaded(target.partsKind, target.index)) {
            const CanvasLabel& label = partLabel(target.partsKind, target.index);
            Parts_MouseMove(target.partsKind, target.index, button, shift, x - label.Left, y - label.Top);
        } else if (target.partsKind == 0) {
            Form_MouseMove(button, shift, x, y);
        }
    });
    event->accept();
}

void CanvasForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (!mouseCaptured_)
        return;
    mouseCaptured_ = false;
    const auto at = TwipsAt(*event);
    const std::int32_t x = at.first, y = at.second;
    const int button = MouseButtonsOf(event->button());
    const int shift = ShiftOf(event->modifiers());
    const CanvasHit target = mouseCapture_;
    const bool doubleClick = afterDoubleClick_;
    afterDoubleClick_ = false;
    EventBoundary([&] {
        if (target.partsKind == 0) {
            Form_MouseUp(button, shift, x, y);
            return;
        }
        if (!partLoaded(target.partsKind, target.index))
            return;
        const CanvasLabel& label = partLabel(target.partsKind, target.index);
        const std::int32_t lx = x - label.Left;
        const std::int32_t ly = y - label.Top;
        const bool inside = lx >= 0 && ly >= 0 && lx <= label.Width && ly <= label.Height;
        Parts_MouseUp(target.partsKind, target.index, button, shift, lx, ly);
        if (inside && !doubleClick)
            Parts_Click(target.partsKind, target.index);
    });
    event->accept();
}

void CanvasForm::Form_MouseDown(int Button, int Shift, std::int32_t X, std::int32_t Y)
{
    MouseButton = Button;
    MouseShift = Shift;
    timCanvasForm->stop();
    if (IsMouseLeft(0) && !RangeDragging) {
        RangeDragging = true;
        RangeMoved = false;
        RangeStart = PointMake(X, Y);
        PaintEventReleaseAll(true, false);
    } else if (IsMouseLeft(1) && !WindowDragging) {
        WindowDragging = true;
        WindowDragStart = PointMake(X, Y);
        PaintEventReleaseAll(true, false);
    } else if (IsMouseRight(0)) {
        popupShow(Menu_Canvas);
    }
}

void CanvasForm::Form_MouseMove(int Button, int Shift, std::int32_t X, std::int32_t Y)
{
    if (RangeDragging)
        rangeFollow(X, Y);
    if (WindowDragging) {
        // The window follows the pointer: the point pressed stays under it.
        SetLeft(Left() + X - WindowDragStart.xw);
        SetTop(Top() + Y - WindowDragStart.yh);
    }
}

void CanvasForm::rangeFollow(std::int32_t x, std::int32_t y)
{
    RangeMoved = true;
    RangeFrameShow(MinValue(RangeStart.xw, x), MinValue(RangeStart.yh, y), std::abs(RangeStart.xw - x),
                   std::abs(RangeStart.yh - y));
}

void CanvasForm::rangeRelease(std::int32_t x, std::int32_t y, bool select)
{
    RangeDragging = false;
    RangeEnd = PointMake(x, y);
    if (std::as_const(shpRange)[0].Visible)
        shpRange[0].Visible = false;
    if (select) {
        RangeSelect();
        toolBarArrange();
    }
    RangeMoved = false;
}

void CanvasForm::Form_MouseUp(int Button, int Shift, std::int32_t X, std::int32_t Y)
{
    if (RangeDragging)
        rangeRelease(X, Y, RangeMoved);
    WindowDragging = false;
    MouseButton = 0;
    MouseShift = 0;
    PaintEventReleaseAll(false, false);
}

void CanvasForm::Parts_MouseDown(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X,
                                 std::int32_t Y)
{
    MouseButton = Button;
    MouseShift = Shift;
    if (IsMouseLeft(0) && !RangeDragging) {
        const CanvasLabel& label = partLabel(kind, Index);
        RangeDragging = true;
        RangeMoved = false;
        RangeStart = PointMake(label.Left + X, label.Top + Y);
        PaintEventReleaseAll(true, false);
    }
}

void CanvasForm::Parts_MouseMove(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X,
                                 std::int32_t Y)
{
    if (RangeDragging) {
        const CanvasLabel& label = partLabel(kind, Index);
        rangeFollow(label.Left + X, label.Top + Y);
    }
}

void CanvasForm::Parts_MouseUp(std::int32_t kind, std::int16_t Index, int Button, int Shift, std::int32_t X,
                               std::int32_t Y)
{
    if (RangeDragging) {
        // A drag that ends on the part it started from is a click on that part.
        const CanvasLabel& label = partLabel(kind, Index);
        const bool outside = X < 0 || Y < 0 || X > label.Width || Y > label.Height;
        rangeRelease(label.Left + X, label.Top + Y, RangeMoved && outside);
    }
    PaintEventReleaseAll(false, false);
}

void CanvasForm::Parts_Click(std::int32_t kind, std::int16_t Index)
{
    QMenu* popup = nullptr;
    bool plain = false;
    RunCommand(this, [&] {
        timCanvasForm->stop();
        if (IsMouseRight(0) || IsMouseLeft(2)) {
            if (kind == 2)
                LockPartsInsertSide = QStringLiteral("Before");
            else if (kind == 3)
                LockPartsInsertSide = QStringLiteral("After");
            PartsLockMenuSet(kind, Index);
            const EditEnables e = enablesFor(kind);
            if (kind == 1) {
                Menu_BoxCut->setEnabled(e.cut);
                Menu_BoxCopy->setEnabled(e.copy);
                Menu_BoxCopyTask->setEnabled(e.copyTask);
                Menu_BoxDelete->setEnabled(e.del);
                Menu_BoxDeleteLump->setEnabled(e.deleteLump);
                Menu_BoxEditor->setEnabled(e.editor);
                Menu_BoxFontChange->setEnabled(e.fontChange);
                Menu_BoxFontChangeLump->setEnabled(e.fontChangeLump);
                popup = Menu_Box;
            } else if (kind == 2 || kind == 3) {
                Menu_VLinePaste->setEnabled(e.paste);
                Menu_VLinePasteTask->setEnabled(e.pasteTask);
                Menu_VLineAdd->setEnabled(e.add);
                Menu_VLineChink->setEnabled(e.chink);
                Menu_VLineConnect->setEnabled(e.connect);
                Menu_VLineNewPage->setEnabled(e.newPage);
                Menu_VLineNewPage->setChecked(e.newPageChecked);
                popup = Menu_VLine;
            } else if (kind == 4) {
                Menu_HLineCut->setEnabled(e.cut);
                Menu_HLineCopy->setEnabled(e.copy);
                Menu_HLineCopyTask->setEnabled(e.copyTask);
                Menu_HLineDeleteLump->setEnabled(e.deleteLump);
                Menu_HLinePaste->setEnabled(e.paste);
                Menu_HLinePasteTask->setEnabled(e.pasteTask);
                Menu_HLineAdd->setEnabled(e.add);
                Menu_HLineFontChangeLump->setEnabled(e.fontChangeLump);
                Menu_HLineNewPage->setEnabled(e.newPage);
                Menu_HLineNewPage->setChecked(e.newPageChecked);
                popup = Menu_HLine;
            }
        } else if (IsMouseLeft(0)) {
            PartsLock(kind, Index, 0, false);
            PartsLockMenuSet(0, -1);
            plain = true;
        } else if (IsMouseLeft(1)) {
            PartsLock(kind, Index, 1, false);
            PartsLockMenuSet(0, -1);
        }
    });
    if (popup)
        popupShow(popup);
    else if (plain)
        RefreshTimerRestart();
    toolBarArrange();
    MouseButton = 0;
    MouseShift = 0;
}

void CanvasForm::subLineAdd(std::int16_t sub)
{
    const std::int16_t flags = SubDataGet(CanvasIndex, sub).flags;
    // Above the top chain only when it does not start with a routine; below a sub line only when
    // nothing hangs from it.
    if (flags & SubFlag::PlacementMark8)
        BoxEditUpper(CanvasIndex, sub);
    else if (flags & SubFlag::EmptyLine)
        BoxEditLower(CanvasIndex, sub);
}

void CanvasForm::Parts_DblClick(std::int32_t kind, std::int16_t Index)
{
    RunCommand(this, [&] {
        PartsLock();
        switch (kind) {
        case 1:
            BoxEditModify(CanvasIndex, Index);
            break;
        case 2:
            BoxEditBefore(CanvasIndex, Index);
            break;
        case 3:
            BoxEditAfter(CanvasIndex, SubDataGet(CanvasIndex, Index).last);
            break;
        case 4:
            subLineAdd(Index);
            break;
        default:
            break;
        }
        toolBarArrange();
    });
}

// ---------------------------------------------------------------------------------------------
// Keys and closing

void CanvasForm::keyPressEvent(QKeyEvent* event)
{
    int keyCode = event->key();
    EventBoundary([&] { Form_KeyDown(keyCode, int(event->modifiers())); });
    if (keyCode == 0)
        event->accept();
    else
        CanvasSurface::keyPressEvent(event);
}

void CanvasForm::keyReleaseEvent(QKeyEvent* event)
{
    int keyCode = event->key();
    EventBoundary([&] { Form_KeyUp(keyCode, int(event->modifiers())); });
    CanvasSurface::keyReleaseEvent(event);
}

void CanvasForm::Form_KeyDown(int& KeyCode, int Shift)
{
    DialogKeyDown(KeyCode, Shift, this);
    DebugKeyCheck(KeyCode, Shift, this);
    QWidget* main = MainWindow() ? MainWindow()->window() : nullptr;
    if (main && !FormEnabled(main)) {
        KeyCode = 0;
    } else if (KeyCode == Qt::Key_Escape) {
        // Esc first ends the search display, then clears the selection.
        if (Links().SearchFound()) {
            Links().SearchHighlightHide(false);
            Links().SearchReset();
        } else {
            PartsLockClear();
        }
    }
    timCanvasForm->stop();
}

void CanvasForm::Form_KeyUp(int& KeyCode, int Shift)
{
    toolBarArrange();
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
    failure.Run([&] { ProcessingEnd(this, false, false); });
    // A hidden window stays loaded: it must take input again when it is shown.
    FormEnable(this, true);
    failure.Rethrow();
    return programClosing;
}

} // namespace vellumora
