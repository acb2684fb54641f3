#include "app/shell/WorkspaceScroll.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <limits>
#include <map>
#include <utility>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

constexpr std::int32_t StripThickness = 255; // strips, bars and each bar's arrow buttons
constexpr std::int32_t ArrowButtons = 2 * StripThickness;
constexpr std::int32_t HandleMinimum = 120;
constexpr int BarMaximum = 32767;
// Pointer moves shorter than this along the track do not scroll.
constexpr std::int32_t DragThreshold = 10;

int Pixels(double twips)
{
    return static_cast<int>(vbrt::RoundHalfEven(twips / vbrt::TwipsPerPixel));
}

std::int32_t Twips(double pixels)
{
    return static_cast<std::int32_t>(vbrt::RoundHalfEven(pixels * vbrt::TwipsPerPixel));
}

// The frame of a counted canvas window: an open canvas whose window is shown in this workspace
// and not minimised. Only these reach into the workspace, and only these move.
QWidget* CountedFrame(const CanvasRecord& record, const QWidget* viewport)
{
    CanvasSurface* form = ShownCanvasWindow(record);
    if (!form)
        return nullptr;
    auto* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    if (!frame || frame->parentWidget() != viewport)
        return nullptr;
    return frame;
}

// How far the windows spanning [a, b] must move so that the centre of the visible area [0, w]
// lies at fraction g (0 <= g < 1) of the whole workspace as it stands after the move. The whole
// workspace runs from the smaller of the windows' start and 0 to the larger of their end and w,
// so its ends move with the windows only while the windows reach past them: one of three spans
// holds. Fraction 0 asks for a workspace without end: the windows move on as far as allowed.
double CentreShift(double a, double b, double w, double g)
{
    const double c = w / 2;
    if (g <= 0)
        return std::numeric_limits<double>::infinity();
    // The windows reach past both edges.
    if (const double t = c - a - g * (b - a); a + t <= 0 && b + t >= w)
        return t;
    // The windows reach past the left edge only: the right end is the visible area's.
    if (const double t = (c - g * w) / (1 - g) - a; a + t <= 0 && b + t < w)
        return t;
    // The windows reach past the right edge only: the left end is the visible area's.
    if (const double t = c / g - b; a + t > 0 && b + t >= w)
        return t;
    // The visible area holds every window: nothing to move.
    return 0;
}

// Hands the mouse events of one drag handle to the workspace. The workspace cannot watch them
// with a filter of its own: as an MDI area it already filters every event of the program and
// would see each of them twice.
class HandleMouseFilter : public QObject {
public:
    HandleMouseFilter(QObject* parent, std::function<void(QEvent*)> handler)
        : QObject(parent), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        handler_(event);
        // The button still shows itself pressed and released.
        return false;
    }

private:
    std::function<void(QEvent*)> handler_;
};

// The application's style, except that the pictures of the window title bars are read once:
// every window frame of the workspace asks for five of them, each read from its picture files.
class SharedTitleBarIcons : public QProxyStyle {
public:
    explicit SharedTitleBarIcons(const QString& base) : QProxyStyle(QStyleFactory::create(base)) {}

    QIcon standardIcon(StandardPixmap picture, const QStyleOption* option, const QWidget* widget) const override
    {
        const bool titleBar = picture >= SP_TitleBarMenuButton && picture <= SP_TitleBarContextHelpButton;
        if (!titleBar || option != nullptr)
            return QProxyStyle::standardIcon(picture, option, widget);
        auto found = icons_.find(picture);
        if (found == icons_.end())
            found = icons_.emplace(picture, QProxyStyle::standardIcon(picture, nullptr, widget)).first;
        return found->second;
    }

private:
    mutable std::map<StandardPixmap, QIcon> icons_;
};

} // namespace

// One direction of scrolling: its strip, bar, handle and scale, and the member of a Point that
// measures along it.
struct WorkspaceScroll::Axis {
    bool horizontal;
    QWidget* strip;
    QScrollBar* bar;
    QPushButton* handle;
    double* scale;
    std::int32_t Point::*along;

    // The coordinate of a point along this axis.
    int at(const QPoint& p) const { return horizontal ? p.x() : p.y(); }
};

WorkspaceScroll::Axis WorkspaceScroll::horizontal()
{
    return {true, pbxHorizontal, hsbHorizontal, cmdHScrollBar, &HorizontalScale, &Point::xw};
}

WorkspaceScroll::Axis WorkspaceScroll::vertical()
{
    return {false, pbxVertical, vsbVertical, cmdVScrollBar, &VerticalScale, &Point::yh};
}

WorkspaceScroll::WorkspaceScroll(QMainWindow* mainWindow) : QMdiArea(mainWindow), mainWindow_(mainWindow)
{
    if (!dynamic_cast<SharedTitleBarIcons*>(QApplication::style()))
        QApplication::setStyle(new SharedTitleBarIcons(QApplication::style()->name()));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int thickness = Pixels(StripThickness);

    auto strip = [this](const char* name) {
        auto* w = new QWidget(this);
        w->setObjectName(QString::fromLatin1(name));
        w->setAutoFillBackground(true);
        w->hide();
        return w;
    };
    pbxHorizontal = strip("pbxHorizontal");
    pbxVertical = strip("pbxVertical");

    auto bar = [this](Qt::Orientation orientation, QWidget* parent, const char* name) {
        auto* b = new QScrollBar(orientation, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setRange(0, BarMaximum);
        // The value changes when the thumb is let go, not while it is dragged: one step per move.
        b->setTracking(false);
        return b;
    };
    hsbHorizontal = bar(Qt::Horizontal, pbxHorizontal, "hsbHorizontal");
    vsbVertical = bar(Qt::Vertical, pbxVertical, "vsbVertical");
    hsbHorizontal->setGeometry(0, 0, 0, thickness);
    vsbVertical->setGeometry(0, 0, thickness, 0);

    auto handle = [this](QWidget* parent, const char* name) {
        auto* h = new QPushButton(parent);
        h->setObjectName(QString::fromLatin1(name));
        h->setAutoDefault(false);
        h->raise();
        return h;
    };
    cmdHScrollBar = handle(pbxHorizontal, "cmdHScrollBar");
    cmdVScrollBar = handle(pbxVertical, "cmdVScrollBar");
    for (QPushButton* h : {cmdHScrollBar, cmdVScrollBar}) {
        const bool across = h == cmdHScrollBar;
        h->installEventFilter(new HandleMouseFilter(h, [this, across](QEvent* e) { HandleMouse(across, e); }));
    }
    cmdHScrollBar->setGeometry(Pixels(StripThickness), 0, Pixels(HandleMinimum), thickness);
    cmdVScrollBar->setGeometry(0, Pixels(StripThickness), thickness, Pixels(HandleMinimum));

    imgScrollCorner = new QSizeGrip(pbxHorizontal);
    imgScrollCorner->setObjectName(QStringLiteral("imgScrollCorner"));
    imgScrollCorner->setFixedSize(thickness, thickness);
    imgScrollCorner->hide();

    connect(hsbHorizontal, &QScrollBar::valueChanged, this, &WorkspaceScroll::hsbHorizontal_Change);
    connect(vsbVertical, &QScrollBar::valueChanged, this, &WorkspaceScroll::vsbVertical_Change);
    StripsDock();
}

WorkspaceScroll::~WorkspaceScroll() = default;

void WorkspaceScroll::Attach(QTimer* timBaseForm, QTimer* timBaseFormSlide, QStatusBar* stbBaseForm)
{
    timBaseForm_ = timBaseForm;
    timBaseFormSlide_ = timBaseFormSlide;
    statusBar_ = stbBaseForm;
    connect(timBaseForm_, &QTimer::timeout, this, &WorkspaceScroll::timBaseForm_Timer);
    connect(timBaseFormSlide_, &QTimer::timeout, this, &WorkspaceScroll::timBaseFormSlide_Timer);
}

void WorkspaceScroll::WindowsMeasure()
{
    Point& start = ApplicationGlobals.WindowsStart;
    Point& end = ApplicationGlobals.WindowsEnd;
    start = Point::Default;
    end = Point::Default;
    bool first = true;
    for (std::size_t c = 1; c < B.size(); ++c) {
        const QWidget* frame = CountedFrame(B[c], viewport());
        if (!frame)
            continue;
        const std::int32_t left = Twips(frame->x());
        const std::int32_t top = Twips(frame->y());
        const std::int32_t right = left + Twips(frame->width());
        const std::int32_t bottom = top + Twips(frame->height());
        if (first) {
            start = {left, top};
            end = {right, bottom};
            first = false;
            continue;
        }
        start = {MinValue(start.xw, left), MinValue(start.yh, top)};
        end = {MaxValue(end.xw, right), MaxValue(end.yh, bottom)};
    }
}

void WorkspaceScroll::StripsDock()
{
    const QRect inner = contentsRect();
    const int thickness = Pixels(StripThickness);
    const bool across = !pbxHorizontal->isHidden();
    const bool down = !pbxVertical->isHidden();
    setViewportMargins(0, 0, down ? thickness : 0, across ? thickness : 0);
    pbxHorizontal->setGeometry(inner.left(), inner.bottom() + 1 - thickness, inner.width(), thickness);
    pbxVertical->setGeometry(inner.right() + 1 - thickness, inner.top(), thickness,
                             std::max(0, inner.height() - (across ? thickness : 0)));
    pbxHorizontal->raise();
    pbxVertical->raise();
}

void WorkspaceScroll::resizeEvent(QResizeEvent* event)
{
    QMdiArea::resizeEvent(event);
    StripsDock();
}

QMdiSubWindow* WorkspaceScroll::WindowAdd(QWidget* window)
{
    // Qt raises a window it takes in by looking every window of the workspace up in its list of
    // them, which costs the square of their number for each window (minutes for a document of
    // thousands of canvases), unless the window stays on top. While no window stays on top, the
    // new one stays on top for the moment of its arrival: it ends in front all the same, and the
    // look-ups are skipped.
    const bool noneOnTop = !AnyKeptOnTop();
    QMdiSubWindow* sub = addSubWindow(window, noneOnTop ? Qt::SubWindow | Qt::WindowStaysOnTopHint : Qt::WindowFlags());
    if (noneOnTop)
        sub->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    // Qt places a window it takes in by trying positions against every placed window shown,
    // which costs the square of their number for each window. While the windows are cascaded
    // afterwards, a window that has arrived does not count as placed until then.
    if (cascadeFollows_ > 0) {
        sub->setAttribute(Qt::WA_Moved, false);
        arrivedUnplaced_.append(sub);
    }
    for (QAction* item : sub->systemMenu()->actions()) {
        if (item->isCheckable()) {
            // The frame's menu item that shows the hint follows it.
            if (noneOnTop)
                item->setChecked(false);
            connect(item, &QAction::toggled, this, [this, sub](bool onTop) {
                if (onTop)
                    keptOnTop_.append(sub);
            });
        }
        if (!item->shortcuts().isEmpty()) {
            // The Close item keeps no keys of its own, only shows Ctrl+F4: every frame's keys
            // would sit in the program's one table of keys, which each change of an item's state
            // searches whole, and they would close the window on Ctrl+W as well. The window in
            // a frame closes itself on Ctrl+F4, and a frame holding the focus is closed by the
            // workspace's filter.
            item->setShortcuts({});
            item->setText(item->text() + QLatin1Char('\t') + CloseKey().toString(QKeySequence::NativeText));
        }
    }
    return sub;
}

QKeySequence WorkspaceScroll::CloseKey()
{
    return QKeySequence(Qt::CTRL | Qt::Key_F4);
}

WorkspaceScroll::CascadeFollows::CascadeFollows(WorkspaceScroll* workspace) : workspace_(workspace)
{
    ++workspace_->cascadeFollows_;
}

WorkspaceScroll::CascadeFollows::~CascadeFollows()
{
    if (--workspace_->cascadeFollows_ > 0)
        return;
    // A window the cascade left where it was counts as placed again.
    for (const QPointer<QMdiSubWindow>& frame : std::exchange(workspace_->arrivedUnplaced_, {}))
        if (frame)
            frame->setAttribute(Qt::WA_Moved);
}

bool WorkspaceScroll::AnyKeptOnTop()
{
    keptOnTop_.removeIf([](const QPointer<QMdiSubWindow>& frame) {
        return !frame || !frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    return !keptOnTop_.isEmpty();
}

bool WorkspaceScroll::eventFilter(QObject* object, QEvent* event)
{
    // The area watches every event of the program: the key is looked at first.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* frame = qobject_cast<QMdiSubWindow*>(object);
        // A window in a frame closes itself on the key; a frame that holds the focus itself (a
        // minimised one) is closed here.
        if (frame && frame->mdiArea() == this && QApplication::focusWidget() == frame &&
            QKeySequence(key->keyCombination()) == CloseKey()) {
            frame->close();
            return true;
        }
    }
    return QMdiArea::eventFilter(object, event);
}

void WorkspaceScroll::ScrollBarArrange()
{
    ApplicationGlobalsRecord& G = ApplicationGlobals;
    const bool wasArranging = arranging_;
    arranging_ = true;

    WindowsMeasure();
    // The status bar keeps the bottom edge of the main window and the strips lie inside the
    // workspace above it: the main window's layout docks them in that order by itself.

    // The vertical decision uses the visible height of the last arrangement.
    pbxVertical->setVisible(G.WindowsEnd.yh > G.WorkspaceSize.yh || G.WindowsStart.yh < 0);
    const QRect inner = contentsRect();
    G.WorkspaceSize.xw = Twips(inner.width()) - (pbxVertical->isHidden() ? 0 : StripThickness);
    pbxHorizontal->setVisible(G.WindowsEnd.xw > G.WorkspaceSize.xw || G.WindowsStart.xw < 0);
    G.WorkspaceSize.yh = Twips(inner.height()) - (pbxHorizontal->isHidden() ? 0 : StripThickness);
    StripsDock();

    const int thickness = Pixels(StripThickness);
    vsbVertical->setGeometry(0, 0, thickness, std::max(0, Pixels(G.WorkspaceSize.yh)));
    hsbHorizontal->setGeometry(0, 0, std::max(0, Pixels(G.WorkspaceSize.xw)), thickness);
    imgScrollCorner->move(Pixels(G.WorkspaceSize.xw), 0);
    imgScrollCorner->setVisible(statusBar_ && statusBar_->isHidden() && !mainWindow_->isMaximized());

    G.WorkspaceStart = {MinValue(G.WindowsStart.xw, 0), MinValue(G.WindowsStart.yh, 0)};
    G.WorkspaceEnd = {MaxValue(G.WindowsEnd.xw, G.WorkspaceSize.xw), MaxValue(G.WindowsEnd.yh, G.WorkspaceSize.yh)};
    G.WorkspaceExtent = {G.WorkspaceEnd.xw - G.WorkspaceStart.xw, G.WorkspaceEnd.yh - G.WorkspaceStart.yh};

    // Too small a visible area leaves the bars as they were.
    if (G.WorkspaceSize.xw > ArrowButtons && G.WorkspaceSize.yh > ArrowButtons) {
        G.ScrollTrackLength.xw = Twips(hsbHorizontal->width()) - ArrowButtons;
        HorizontalScale = static_cast<double>(G.ScrollTrackLength.xw) / BarMaximum;
        G.ScrollTrackLength.yh = Twips(vsbVertical->height()) - ArrowButtons;
        VerticalScale = static_cast<double>(G.ScrollTrackLength.yh) / BarMaximum;
        for (const Axis& axis : {horizontal(), vertical()}) {
            axis.bar->setMaximum(BarMaximum);
            if (axis.strip->isHidden())
                continue;
            // The value is where the visible area's centre lies in the whole workspace.
            const double extent = G.WorkspaceExtent.*axis.along;
            const double centre = G.WorkspaceSize.*axis.along / 2.0 - G.WorkspaceStart.*axis.along;
            // A thumb or a handle the user still holds keeps the value the pointer gave it: the
            // windows move by whole pixels, and a value read back from them would slip away from
            // the pointer step by step. The next arrangement after the release reads it back.
            if (!axis.bar->isSliderDown() && !HandleDragging)
                axis.bar->setValue(static_cast<int>(vbrt::RoundHalfEven(centre / extent * BarMaximum)));
            const std::int32_t large =
                MaxValue(static_cast<std::int32_t>(vbrt::Int(std::sqrt(extent))), 300);
            axis.bar->setPageStep(large);
            axis.bar->setSingleStep(large / 3);
            if (!HandleDragging)
                HandleArrange(axis);
        }
    }
    arranging_ = wasArranging;
}

void WorkspaceScroll::HorizontalHandleArrange()
{
    HandleArrange(horizontal());
}

void WorkspaceScroll::VerticalHandleArrange()
{
    HandleArrange(vertical());
}

void WorkspaceScroll::HandleArrange(const Axis& axis)
{
    const ApplicationGlobalsRecord& G = ApplicationGlobals;
    const std::int32_t track = G.ScrollTrackLength.*axis.along;
    const std::int32_t extent = G.WorkspaceExtent.*axis.along;
    // The handle is centred on the value's place on the track, as long as the visible part of
    // the workspace is of the whole, kept inside the track, and never shorter than the minimum.
    const auto pos = static_cast<std::int32_t>(vbrt::Int(axis.bar->value() * *axis.scale));
    std::int32_t length = extent > 0 ? static_cast<std::int32_t>(vbrt::RoundHalfEven(
                                           static_cast<double>(G.WorkspaceSize.*axis.along) * track / extent))
                                     : track;
    length = MinValue(length, 2 * pos);
    length = MinValue(length, 2 * (track - pos));
    length = MaxValue(length, HandleMinimum);
    const std::int32_t half = length / 2;
    std::int32_t start = pos - half + StripThickness;
    if (pos - half < 0)
        start = StripThickness;
    else if (half + pos > track)
        start = track - length + StripThickness;
    if (axis.horizontal)
        axis.handle->setGeometry(Pixels(start), 0, Pixels(length), Pixels(StripThickness));
    else
        axis.handle->setGeometry(0, Pixels(start), Pixels(StripThickness), Pixels(length));
}

void WorkspaceScroll::hsbHorizontal_Change()
{
    ScrollStep(horizontal());
}

void WorkspaceScroll::vsbVertical_Change()
{
    ScrollStep(vertical());
}

void WorkspaceScroll::ScrollStep(const Axis& axis)
{
    if (arranging_)
        return;
    const bool stepped = Guarded([&] {
        PaintEventReleaseAll(true, false);
        if (timBaseForm_)
            timBaseForm_->stop();
        if (!ScrollInProgress) {
            ScrollInProgress = true;
            ApplicationGlobalsRecord& G = ApplicationGlobals;
            WindowsMeasure();
            const std::int32_t windowsStart = G.WindowsStart.*axis.along;
            const std::int32_t windowsEnd = G.WindowsEnd.*axis.along;
            const std::int32_t visible = G.WorkspaceSize.*axis.along;
            const double g =
                MinValue(axis.bar->value(), axis.bar->maximum() - 1) / static_cast<double>(axis.bar->maximum());
            // The windows move so that the visible area's centre lands at the fraction the value
            // gives of the whole workspace.
            double shift = CentreShift(windowsStart, windowsEnd, visible, g);
            if ((shift < 0 && windowsEnd < 0) || (shift > 0 && windowsStart > visible)) {
                // Every window lies wholly beyond the edge it would move away from.
                axis.handle->setFocus();
                axis.bar->setFocus();
            } else if (!axis.strip->isHidden()) {
                // The windows never leave the visible area further than one twip beyond an edge.
                shift = shift < 0 ? std::max(shift, -windowsEnd - 1.0)
                                  : std::min(shift, visible - windowsStart + 1.0);
                const int step = Pixels(shift);
                const QPoint offset = axis.horizontal ? QPoint(step, 0) : QPoint(0, step);
                for (std::size_t c = 1; c < B.size(); ++c) {
                    if (QWidget* frame = CountedFrame(B[c], viewport()))
                        frame->move(frame->pos() + offset);
                }
            }
            ScrollBarArrange();
            ScrollInProgress = false;
        }
        // The canvases repaint once, a while after the last step.
        if (timBaseFormSlide_) {
            timBaseFormSlide_->stop();
            timBaseFormSlide_->start();
        }
    });
    if (!stepped)
        ScrollInProgress = false;
}

void WorkspaceScroll::HandleMouseDown(const Axis& axis, QMouseEvent* event)
{
    HandleDragging = true;
    HandleGrabPosition = Twips(axis.at(axis.handle->pos()) + axis.at(event->position().toPoint()));
    dragRemainder_ = 0;
}

void WorkspaceScroll::HandleMouseMove(const Axis& axis, QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (p.x() < 0 || p.x() > axis.handle->width() || p.y() < 0 || p.y() > axis.handle->height()) {
        // The pointer has left the handle: the drag ends where it left.
        HandleDragging = false;
        return;
    }
    if (!HandleDragging)
        return;
    const std::int32_t pointer = Twips(axis.at(axis.handle->pos()) + axis.at(p));
    const std::int32_t delta = pointer - HandleGrabPosition;
    // The part of a unit each move leaves over goes with the next one, so that a pointer brought
    // back to where it was brings the value back to what it was.
    const double units = delta / *axis.scale + dragRemainder_;
    const auto whole = static_cast<std::int32_t>(vbrt::Int(units));
    const std::int32_t newValue = whole + axis.bar->value();
    HandleGrabPosition = pointer;
    if (std::abs(delta) < DragThreshold)
        return;
    if (newValue < 0 || newValue > axis.bar->maximum()) {
        HandleDragging = false;
        return;
    }
    dragRemainder_ = units - whole;
    axis.bar->setValue(newValue);
    HandleArrange(axis);
}

void WorkspaceScroll::HandleMouseUp(const Axis& axis)
{
    HandleDragging = false;
    axis.bar->setFocus();
}

void WorkspaceScroll::HandleMouse(bool across, QEvent* event)
{
    const Axis axis = across ? horizontal() : vertical();
    const bool handled = Guarded([&] {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            HandleMouseDown(axis, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseMove:
            HandleMouseMove(axis, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            HandleMouseUp(axis);
            break;
        default:
            break;
        }
    });
    if (!handled)
        HandleDragging = false;
}

void WorkspaceScroll::timBaseFormSlide_Timer()
{
    timBaseFormSlide_->stop();
    if (timBaseForm_)
        timBaseForm_->start();
    ScrollInProgress = false;
    Guarded([] { PaintEventReleaseAll(false, false); });
}

void WorkspaceScroll::timBaseForm_Timer()
{
    ScrollBarArrange();
    // A status bar docked above the horizontal strip would split the strip from the workspace.
    if (statusBar_ && !statusBar_->isHidden() && !pbxHorizontal->isHidden() &&
        statusBar_->mapTo(mainWindow_, QPoint()).y() < pbxHorizontal->mapTo(mainWindow_, QPoint()).y())
        pbxHorizontal->hide();
}

} // namespace vellumora
