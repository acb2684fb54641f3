#include "app/canvas/CanvasForm.h"

#include "app/diagram/BoxMake.h"
#include "app/diagram/PadDraw.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbrt/Error.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

namespace vellumora {

namespace {

using platform::graphics::DrawRecord;
using platform::graphics::TwipsPerPixel;

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

    timCanvasForm->setInterval(500);
    connect(timCanvasForm, &QTimer::timeout, this, &CanvasForm::timCanvasForm_Timer);
    // The hold-off runs from creation until the window is first activated.
    timRefresh->setInterval(500);
    connect(timRefresh, &QTimer::timeout, this, &CanvasForm::timRefresh_Timer);
    timRefresh->start();

    SetChangedHandler([this](const QRect& twips) {
        if (twips.isEmpty())
            update();
        else
            updateTwips(twips);
    });
}

CanvasForm::~CanvasForm()
{
    SetChangedHandler({});
}

CanvasHit CanvasForm::HitTest(std::int32_t x, std::int32_t y) const
{
    const auto arrays = LabelArrays();
    CanvasHit hit;
    std::int64_t topmost = -1;
    for (std::int32_t kind = 1; kind <= 4; ++kind) {
        const CanvasLabelArray& labels = *arrays[kind - 1];
        for (std::int16_t i = 0; i <= labels.UBound(); ++i) {
            if (!labels.IsLoaded(i))
                continue;
            const CanvasLabel& label = labels[i];
            if (!label.Visible || !label.Enabled || label.zOrder <= topmost)
                continue;
            if (x >= label.Left && x < label.Left + label.Width && y >= label.Top && y < label.Top + label.Height) {
                hit = CanvasHit{kind, i};
                topmost = label.zOrder;
            }
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

    for (const CanvasLabelArray* array : LabelArrays()) {
        for (std::int16_t i = 0; i <= array->UBound(); ++i) {
            if (!array->IsLoaded(i))
                continue;
            const CanvasLabel& label = (*array)[i];
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
    }
    for (const CanvasLineArray* array : LineArrays()) {
        for (std::int16_t i = 0; i <= array->UBound(); ++i) {
            if (!array->IsLoaded(i))
                continue;
            const CanvasLine& line = (*array)[i];
            if (!line.Visible || !ControlArea(line).intersects(exposedTwips))
                continue;
            DrawRecord stroke;
            stroke.kind = DrawRecord::Kind::Line;
            stroke.p1 = QPoint(line.X1, line.Y1);
            stroke.p2 = QPoint(line.X2, line.Y2);
            stroke.color = line.BorderColor;
            stroke.drawWidth = line.BorderWidth;
            items.push_back({line.zOrder, stroke});
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

void CanvasForm::setBusyCount(std::int16_t value)
{
    if (CanvasIndex >= 0 && static_cast<std::size_t>(CanvasIndex) < B.size())
        B[static_cast<std::size_t>(CanvasIndex)].header.busyCount = value;
}

void CanvasForm::Form_Paint()
{
    setBusyCount(1);
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
            setBusyCount(0);
            throw;
        }
        painting_ = 0;
        unsetCursor();
        ClipControls = false;
    }
    setBusyCount(0);
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

void CanvasForm::timCanvasForm_Timer()
{
    // The slide steps come with the canvas menu; until then a tick only ends the slide.
    timCanvasForm->stop();
}

// ---------------------------------------------------------------------------------------------
// Loading, activation, window state

void CanvasForm::Form_Load()
{
    lockPartsReset();
    FontSettingMenuSkip = false;
    FirstActivate = true;
    painting_ = 0;
    // Lines and shapes hidden, labels in the window's colour.
    for (CanvasLineArray* lines : LineArrays())
        for (std::int16_t i = 0; i <= lines->UBound(); ++i)
            if (lines->IsLoaded(i))
                (*lines)[i].Visible = false;
    for (CanvasShapeArray* shapes : ShapeArrays())
        (*shapes)[0].Visible = false;
    for (CanvasLabelArray* labels : LabelArrays())
        for (std::int16_t i = 0; i <= labels->UBound(); ++i)
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
    if (FirstActivate)
        FirstActivate = false;
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
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->installEventFilter(this);
    }
    return QWidget::event(event);
}

bool CanvasForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::WindowStateChange)
        EventBoundary([this] { Form_Resize(); });
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
    if (f != this)
        QWidget::show();
    f->show();
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
        for (std::int16_t i = 0; i <= lines.UBound(); ++i)
            if (lines.IsLoaded(i) && lines[i].Visible)
                (*frameLines)[i].Visible = false;
    }
    if (static_cast<const CanvasShapeArray&>(shpRange)[0].Visible)
        shpRange[0].Visible = false;
    lockPartsList_.clear();
    lockPartsReset();
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
    if (partsIndex >= 0) {
        switch (partsKind) {
        case 1:
            visible = partsFrameShow(partsIndex, -1, &static_cast<const CanvasLabelArray&>(lblBox)[partsIndex], visibleForce);
            break;
        case 2:
            visible = partsFrameShow(partsIndex, -1, &static_cast<const CanvasLabelArray&>(lblLine)[partsIndex], visibleForce);
            break;
        case 3:
            visible = partsFrameShow(-1, partsIndex, &static_cast<const CanvasLabelArray&>(lblSubLine1)[partsIndex], visibleForce);
            break;
        case 4:
            visible = partsFrameShow(-1, partsIndex, &static_cast<const CanvasLabelArray&>(lblSubLine2)[partsIndex], visibleForce);
            break;
        default:
            break;
        }
    }
    if (visible) {
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

// ---------------------------------------------------------------------------------------------
// Commands of the Edit and Box menus come with the canvas commands; until then they do nothing.

void CanvasForm::Menu_EditCut_Click() {}
void CanvasForm::Menu_EditCopy_Click() {}
void CanvasForm::Menu_EditPaste_Click() {}
void CanvasForm::Menu_EditEditor_Click() {}
void CanvasForm::Menu_EditUndo_Click() {}
void CanvasForm::Menu_EditRedo_Click() {}
void CanvasForm::Menu_BoxFontChange_Click() {}

} // namespace vellumora
