// The canvas window's mouse and keys: Qt's events become the window's and the hit areas' own,
// which drag the range rectangle or the window, select parts and open the popups.

#include "app/canvas/CanvasForm.h"

#include "app/canvas/BoxEditing.h"
#include "app/core/DebugLog.h"
#include "app/core/MainWindowLink.h"
#include "app/diagram/SearchEngine.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>
#include <utility>

namespace vellumora {

namespace {

using platform::graphics::TwipsPerPixel;

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

} // namespace

// ---------------------------------------------------------------------------------------------
// Hit areas

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
        popupShow(Menus().Menu_Canvas);
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
            MenuItems& m = Menus();
            if (kind == 1) {
                m.Menu_BoxCut->setEnabled(e.cut);
                m.Menu_BoxCopy->setEnabled(e.copy);
                m.Menu_BoxCopyTask->setEnabled(e.copyTask);
                m.Menu_BoxDelete->setEnabled(e.del);
                m.Menu_BoxDeleteLump->setEnabled(e.deleteLump);
                m.Menu_BoxEditor->setEnabled(e.editor);
                m.Menu_BoxFontChange->setEnabled(e.fontChange);
                m.Menu_BoxFontChangeLump->setEnabled(e.fontChangeLump);
                popup = m.Menu_Box;
            } else if (kind == 2 || kind == 3) {
                m.Menu_VLinePaste->setEnabled(e.paste);
                m.Menu_VLinePasteTask->setEnabled(e.pasteTask);
                m.Menu_VLineAdd->setEnabled(e.add);
                m.Menu_VLineChink->setEnabled(e.chink);
                m.Menu_VLineConnect->setEnabled(e.connect);
                m.Menu_VLineNewPage->setEnabled(e.newPage);
                m.Menu_VLineNewPage->setChecked(e.newPageChecked);
                popup = m.Menu_VLine;
            } else if (kind == 4) {
                m.Menu_HLineCut->setEnabled(e.cut);
                m.Menu_HLineCopy->setEnabled(e.copy);
                m.Menu_HLineCopyTask->setEnabled(e.copyTask);
                m.Menu_HLineDeleteLump->setEnabled(e.deleteLump);
                m.Menu_HLinePaste->setEnabled(e.paste);
                m.Menu_HLinePasteTask->setEnabled(e.pasteTask);
                m.Menu_HLineAdd->setEnabled(e.add);
                m.Menu_HLineFontChangeLump->setEnabled(e.fontChangeLump);
                m.Menu_HLineNewPage->setEnabled(e.newPage);
                m.Menu_HLineNewPage->setChecked(e.newPageChecked);
                popup = m.Menu_HLine;
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
    });
}

// ---------------------------------------------------------------------------------------------
// Keys

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
        if (SearchFound()) {
            SearchHighlightHide(false);
            SearchReset();
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

} // namespace vellumora
