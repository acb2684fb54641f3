#include "app/diagram/CanvasPartsArrange.h"
#include "app/diagram/PadDraw.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/ShapeSupport.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/vbrt/Error.h"

#include <algorithm>
#include <vector>

namespace vellumora {

namespace {

using platform::graphics::TwipsPerPixel;

const QString CrLf = QStringLiteral("\r\n");

// The layout's rounded-down quotient, for the 32-bit positions of the controls.
std::int32_t FloorDiv(std::int32_t value, std::int32_t divisor)
{
    return static_cast<std::int32_t>(layout::FloorDiv(value, divisor));
}

// The window keeps whole pixels: a size it shows in full is as large as asked, to the pixel.
bool SizeFits(std::int32_t shown, std::int32_t asked)
{
    return shown >= asked - asked % TwipsPerPixel;
}

void AppendOnce(std::vector<FigureData>& figures, const FigureData& figure)
{
    if (std::find(figures.begin(), figures.end(), figure) == figures.end())
        figures.push_back(figure);
}

// Steps 2 to 6 of a whole-canvas arrangement: the window fitted, cleared into retained drawing,
// every control hidden.
void WindowPrepare(std::int16_t canvas, CanvasRecord& record, CanvasSurface& form)
{
    // A window coming back from minimised releases its painting when it becomes normal; the
    // retained drawing is switched on after that so the arrangement leaves it on.
    if (form.WindowState() != 0)
        form.SetWindowState(0);
    form.SetAutoRedraw(true);
    form.Cls();
    form.SetWidth(record.header.width);
    form.SetHeight(record.header.height);
    form.SetCaption(CanvasCaptionMake(canvas, QStringLiteral("\t")));

    if (!SizeFits(form.Width(), record.header.width) || !SizeFits(form.Height(), record.header.height)) {
        const QString tooLarge = QStringLiteral("図が大きすぎてｷｬﾝﾊﾞｽに表示しきれません。");
        const QString printIt = QStringLiteral("全体図は印刷で確認して下さい。");
        if (ApplicationGlobals.CommandLinePrint) {
            // A print from the command line has nobody to answer a box, which would hold the
            // print back; the printout it is making is the whole chart the notice points at.
            DebugLogWrite(form.Caption(), tooLarge + printIt, 0, ErrorDebugClass);
        } else {
            QString& deferred = ApplicationGlobals.DeferredError;
            if (!deferred.isEmpty())
                deferred += CrLf;
            deferred += tooLarge + CrLf + printIt + CrLf + form.Caption();
        }
    }

    // The status bar names the window in front; a canvas arranged behind it (the one an undo
    // step restored, the others of a full redraw) is not named there.
    if (MainWindowLink* main = MainWindow(); !main || main->activeChild() == &form)
        FocusCanvasShow(form.Caption());
    EditModeShow();
    form.SetBackColor(ColorModify(ApplicationGlobals.CanvasColorName));

    // Only what differs is written: every write asks the window to repaint.
    for (CanvasLabelArray* labels : form.LabelArrays()) {
        const CanvasLabelArray& read = *labels;
        for (int i = 0; i <= read.UBound(); ++i) {
            if (!read.IsLoaded(i))
                continue;
            const CanvasLabel& label = read[i];
            if (label.Enabled || label.Visible || label.BorderStyle != 0) {
                CanvasLabel& write = (*labels)[i];
                write.Enabled = false;
                write.Visible = false;
                write.BorderStyle = 0;
            }
        }
    }
    for (CanvasLineArray* lines : form.LineArrays()) {
        const CanvasLineArray& read = *lines;
        for (int i = 0; i <= read.UBound(); ++i)
            if (read.IsLoaded(i) && read[i].Visible)
                (*lines)[i].Visible = false;
    }
    for (CanvasShapeArray* shapes : form.ShapeArrays()) {
        const CanvasShapeArray& read = *shapes;
        for (int i = 0; i <= read.UBound(); ++i)
            if (read.IsLoaded(i) && read[i].Visible)
                (*shapes)[i].Visible = false;
    }
    form.rtxBox.SetEnabled(false);
    form.rtxBox.SetVisible(false);
    form.rtxBox.Move(0, 0, 30, 30);
}

// The state of one chain being arranged.
struct ChainArrange {
    std::int16_t start = -1;
    bool whole = false;            // the top chain of a whole-canvas walk
    std::int16_t baseIndex = -1;   // the sub line that keeps the base line of the segment
    Point p0, p1, p2, p3;          // first and last box of the segment: position and size
    std::int32_t x = 0;            // x of the chain
    std::int32_t yb = 0;           // bottom of the last box handled
    bool first = true;
    bool segmentStart = true;
    bool afterChink = false;
    bool stubPending = false;
    std::int16_t lastBox = -1;
    std::int32_t kind = 0;
    Point q;                       // where the last sub line ends
    std::int16_t box = -1;         // the box in hand
    bool inSubs = false;           // its own part is done, its sub lines are in hand
    std::int16_t sub = -1;
    bool subDone = false;          // the sub line is placed, the chain below it is next
};

class Arranger : CanvasLinks {
public:
    Arranger(std::int16_t canvas, CanvasRecord& record)
        : CanvasLinks(record), canvas_(canvas), form_(record.form.data()),
          L_(LO.lineLabelWidth), Hl_(LO.lineLabelHeight), S_(LO.subLineLabelWidth), hG_(LO.horizontalGap)
    {
        if (form_)
            labelColor_ = form_->BackColor();
    }

    void Run(std::int16_t start, bool whole)
    {
        chainBegin(start, whole);
        // The walk keeps its own stack, so that the depth of the nesting never meets the depth of
        // the call stack.
        while (!stack_.empty())
            step();
    }

private:
    void chainBegin(std::int16_t start, bool whole)
    {
        ChainArrange chain;
        chain.start = start;
        chain.whole = whole;
        chain.stubPending = whole;
        chain.baseIndex = boxExists(start) ? box(start).upper : -1;
        chain.box = start;
        stack_.push_back(chain);
    }

    void label(CanvasLabelArray CanvasSurface::*array, std::int16_t index, std::int32_t left, std::int32_t top,
               std::int32_t width, std::int32_t height, bool border)
    {
        if (form_)
            BoxControlSet((form_->*array)[index], left, top, width, height, labelColor_, border);
    }

    void pageMark(CanvasLabelArray CanvasSurface::*array, std::int16_t index, std::int16_t boxIndex, std::int16_t subIndex)
    {
        if (form_)
            PageBreakMarkShow(canvas_, static_cast<const CanvasLabelArray&>(form_->*array)[index], boxIndex, subIndex);
    }

    void step()
    {
        ChainArrange& c = stack_.back();
        if (!boxExists(c.box)) {
            chainEnd(c);
            stack_.pop_back();
            return;
        }
        const std::int16_t n = c.box;
        BoxRecord& b = box(n);
        if ((b.flags & BoxFlag::Shown) == 0) {
            c.box = b.after;
            return;
        }
        if (!c.inSubs) {
            boxHead(c, b);
            c.inSubs = true;
            c.sub = b.subIndex;
            c.subDone = false;
            return;
        }
        if (subExists(c.sub)) {
            const std::int16_t s = c.sub;
            SubRecord& line = sub(s);
            if (!c.subDone) {
                c.subDone = true;
                subPlace(c, b, s, line);
                if (line.boxIndex > 0 && boxExists(line.boxIndex)) {
                    chainBegin(line.boxIndex, false); // c is gone from here on
                    return;
                }
            }
            FontSelect(b.fontCode, canvas_);
            c.sub = line.after;
            c.subDone = false;
            return;
        }
        boxTail(c, n, b);
        c.box = b.after;
        c.inSubs = false;
    }

    void boxHead(ChainArrange& c, BoxRecord& b)
    {
        FontSelect(b.fontCode, canvas_);
        if (c.segmentStart) {
            c.p0 = b.xy;
            c.p1 = b.sizeP;
            c.p2 = c.p0;
            c.p3 = c.p1;
            c.segmentStart = false;
        }
        if (c.first) {
            c.x = b.xy.xw;
            c.yb = b.xy.yh - Hl_;
            b.flags = static_cast<std::int16_t>(b.flags | BoxFlag::FollowsChink | BoxFlag::ChainHead);
            c.first = false;
        }
        c.kind = b.tagType;
        if (c.afterChink || (b.flags & BoxFlag::Temporary))
            b.flags = static_cast<std::int16_t>(b.flags | BoxFlag::FollowsChink);
    }

    void subPlace(ChainArrange& c, const BoxRecord& b, std::int16_t s, SubRecord& line)
    {
        const bool empty = line.boxIndex < 1;
        if (empty)
            line.flags = static_cast<std::int16_t>(line.flags | SubFlag::EmptyLine);
        if (b.tagAttr & TagAttribute::MultiSub)
            c.q = Point{line.xy[0].xw + line.sizeP.xw, line.xy[0].yh};
        else if (b.tagAttr & TagAttribute::SubLevel)
            c.q = Point{line.xy[0].xw + line.sizeP.xw, line.xy[0].yh + FloorDiv(line.sizeP.yh, 2)};
        label(&CanvasSurface::lblSubLine2, s, c.q.xw, c.q.yh - L_, empty ? S_ : hG_, 2 * L_, false);
        pageMark(&CanvasSurface::lblSubLine2, s, -1, s);
        if (line.flags & SubFlag::CaseTextShown) {
            line.xy[1] = Point{line.xy[0].xw, line.xy[0].yh + line.sizeP.yh};
            if (b.tagType == TagId::Branch) {
                // The notch at the right edge of the case; arranging again adds nothing twice.
                const std::int32_t w = line.sizeP.xw;
                const std::int32_t h = line.sizeP.yh;
                const std::int32_t tipX = w - line.branchDepth;
                const std::int32_t tipY = FloorDiv(h, 2);
                AppendOnce(line.draw, LineFigureMake(w, 0, tipX, tipY));
                AppendOnce(line.draw, LineFigureMake(w, h, tipX, tipY));
            }
        }
    }

    void boxTail(ChainArrange& c, std::int16_t n, BoxRecord& b)
    {
        const std::int32_t tag = b.tagType;
        const bool temporary = (b.flags & BoxFlag::Temporary) != 0;
        if (!temporary && tag != TagId::Chink && tag != TagId::Egg)
            label(&CanvasSurface::lblBox, n, b.xy.xw, b.xy.yh, b.sizeP.xw, b.sizeP.yh, false);

        if (c.stubPending && tag != TagId::Egg) {
            c.stubPending = false;
            SubRecord& top = sub0();
            top.flags = static_cast<std::int16_t>(top.flags | (tag == TagId::Routine ? SubFlag::PlacementMark10
                                                                                      : SubFlag::PlacementMark8));
            label(&CanvasSurface::lblSubLine2, 0, b.xy.xw - S_, b.xy.yh + FloorDiv(b.sizeP.yh, 2) - L_, S_, 2 * L_, false);
        }

        if (tag == TagId::Chink) {
            segmentEnd(c);
            c.p0 = c.p1 = c.p2 = c.p3 = Point{};
            c.baseIndex = -1;
            c.segmentStart = true;
            c.afterChink = true;
            return;
        }

        if (tag != TagId::Routine) {
            const std::int32_t gap = b.xy.yh - c.yb;
            if (gap >= Hl_)
                label(&CanvasSurface::lblLine, n, c.x - L_, c.yb, 2 * L_, gap, tag == TagId::Egg);
            else
                label(&CanvasSurface::lblLine, n, c.x - L_, c.yb - FloorDiv(Hl_ - gap, 2), 2 * L_, Hl_, false);
            pageMark(&CanvasSurface::lblLine, n, n, -1);
        }

        c.p2 = b.xy;
        c.p3 = b.sizeP;
        c.x = b.xy.xw;
        c.yb = b.xy.yh + b.sizeP.yh;
        c.lastBox = n;
        c.afterChink = false;
    }

    void chainEnd(ChainArrange& c)
    {
        segmentEnd(c);
        if (c.lastBox > 0 && c.kind != TagId::Routine && c.kind != TagId::Egg) {
            const std::int16_t upper = boxExists(c.start) ? box(c.start).upper : -1;
            label(&CanvasSurface::lblSubLine1, std::max<std::int16_t>(upper, 0), c.x - L_, c.yb, 2 * L_, Hl_, false);
        }
    }

    void segmentEnd(const ChainArrange& c)
    {
        // A segment without a shown box (a chain that ends in a chink) has no line to draw.
        if (!c.segmentStart)
            SubBaseAdd(canvas_, c.p0, c.p1, c.p2, c.p3, c.baseIndex);
    }

    SubRecord& sub0()
    {
        if (record_.SubList.empty())
            record_.SubList.resize(1);
        return record_.SubList[0];
    }

    std::int16_t canvas_;
    CanvasSurface* form_;
    std::int32_t labelColor_ = platform::graphics::DefaultBackColor;
    const std::int32_t L_;
    const std::int32_t Hl_;
    const std::int32_t S_;
    const std::int32_t hG_;
    std::vector<ChainArrange> stack_;
};

} // namespace

void BoxControlSet(CanvasLabel& label, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                   std::int32_t color, bool border)
{
    label.Enabled = true;
    label.Visible = true;
    label.Left = left;
    label.Top = top;
    label.Width = width;
    label.Height = height;
    label.BorderStyle = (border || ApplicationGlobals.EditModeFlag) ? 1 : 0;
    label.BackColor = color;
    label.ForeColor = color;
    label.Caption.clear();
}

void SubBaseAdd(std::int16_t canvas, const Point& p0, const Point& p1, const Point& p2, const Point& p3,
                std::int16_t sub)
{
    CanvasRecord& record = CanvasAt(canvas, "SubBaseAdd");
    std::int32_t y1 = FloorDiv(p1.yh, 2);
    if (sub > 0 && static_cast<std::size_t>(sub) < record.SubList.size()) {
        // The vertical line reaches up to the sub line's horizontal line.
        const SubRecord& line = record.SubList[static_cast<std::size_t>(sub)];
        if (!line.draw.empty() && line.draw.front().kind == FigureKind::Line)
            y1 = std::min(y1, line.draw.front().e.yh + line.xy[0].yh - p0.yh);
    }
    const std::int32_t y2 = FloorDiv(p3.yh, 2) + p2.yh - p0.yh;
    const std::size_t owner = static_cast<std::size_t>(std::max<std::int16_t>(sub, 0));
    if (owner >= record.SubList.size())
        record.SubList.resize(owner + 1);
    std::vector<SubBase>& bases = record.SubList[owner].base;
    const SubBase base{p0, LineFigureMake(0, y1, 0, y2)};
    // Arranging again without a new layout (a window restored from minimised) must not pile up
    // the same lines.
    if (std::find(bases.begin(), bases.end(), base) == bases.end())
        bases.push_back(base);
}

void PageBreakMarkShow(std::int16_t canvas, const CanvasLabel& label, std::int16_t box, std::int16_t sub)
{
    CanvasRecord& record = CanvasAt(canvas, "PageBreakMarkShow");
    CanvasSurface* form = record.form.data();
    bool set = false;
    CanvasLineArray* stroke1 = nullptr;
    CanvasLineArray* stroke2 = nullptr;
    std::int16_t index = 0;
    if (box >= 1) {
        set = (ElementAt(record.BoxList, box, "PageBreakMarkShow").flags & BoxFlag::LowerPage) != 0;
        index = box;
    } else if (sub >= 1) {
        set = (ElementAt(record.SubList, sub, "PageBreakMarkShow").flags & SubFlag::RightPage) != 0;
        index = sub;
    } else {
        return;
    }
    if (!form)
        return;
    if (box >= 1) {
        stroke1 = &form->linLowerPage1;
        stroke2 = &form->linLowerPage2;
    } else {
        stroke1 = &form->linRightPage1;
        stroke2 = &form->linRightPage2;
    }
    if (!set) {
        if (static_cast<const CanvasLineArray&>(*stroke1)[index].Visible)
            (*stroke1)[index].Visible = false;
        if (static_cast<const CanvasLineArray&>(*stroke2)[index].Visible)
            (*stroke2)[index].Visible = false;
        return;
    }
    const std::int32_t a = label.Left + FloorDiv(label.Width, 2);
    const std::int32_t b = label.Top + FloorDiv(label.Height, 2);
    const bool edit = ApplicationGlobals.EditModeFlag;
    const std::int32_t f = FloorDiv(LO.newPageMark, edit ? 2 : 4);
    const std::int16_t width = edit ? 3 : 1;
    auto place = [&](CanvasLineArray& array, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        CanvasLine& line = array[index];
        line.BorderWidth = width;
        line.X1 = x1;
        line.Y1 = y1;
        line.X2 = x2;
        line.Y2 = y2;
        line.Visible = true;
        array.ZOrder(index);
    };
    if (box >= 1) {
        place(*stroke1, a - f, b, a + f, b - f);
        place(*stroke2, a - f, b + f, a + f, b);
    } else {
        place(*stroke1, a - f, b + f, a, b - f);
        place(*stroke2, a, b + f, a + f, b - f);
    }
}

void CanvasPartsArrange(std::int16_t canvas, const SubRecord& sub)
{
    CanvasRecord& record = CanvasAt(canvas, "CanvasPartsArrange");
    const bool whole = sub.boxIndex < 0;
    std::int16_t start = sub.boxIndex;
    if (whole) {
        CanvasBusyWait(canvas);
        if (CanvasSurface* form = record.form.data())
            WindowPrepare(canvas, record, *form);
        start = record.header.firstBox;
    }
    Arranger(canvas, record).Run(start, whole);
    if (!whole)
        return;
    CanvasSurface* form = record.form.data();
    if (!form)
        return;
    if (!form->Visible()) {
        form->Show();
        ApplicationGlobals.CurrentCanvasIndex = canvas;
    }
    CanvasWindowStateSet(canvas, form->WindowState());
}

} // namespace vellumora
