#include "app/diagram/VerticalPass.h"

#include "app/core/CanvasSize.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/ShapeSupport.h"
#include "app/diagram/TagTable.h"

#include <algorithm>
#include <vector>

namespace vellumora {

namespace {

using namespace layout;

constexpr const char* kSource = "BoxTreeYPosition";

// A gap of zero (before any canvas slot was set up) would leave the columns without a width.
std::int64_t ColumnWidth()
{
    return std::max<std::int64_t>(1, LO.horizontalGap);
}

std::int64_t UpperColumn()
{
    return static_cast<std::int64_t>(PR.peakSet.size()) - 1;
}

// Box placements of the current whole-canvas run.
std::int64_t Placements = 0;

void CountPlacement()
{
    if (++Placements > VerticalLimits.placementsPerRun)
        platform::vbrt::Raise(QString::fromLatin1(kSource),
                              QStringLiteral("レイアウトの繰り返しが上限を超えたため、中断しました。"));
}

// The skyline columns from the one where a list starts to the right edge, as they were before
// the list placed anything; a list that asks to be laid out again puts them back.
struct Snapshot {
    std::int64_t first = 0;
    std::vector<std::int32_t> columns;

    void Take(std::int32_t x0)
    {
        first = std::clamp<std::int64_t>(FloorDiv(static_cast<std::int64_t>(x0) + ColumnWidth() - 1, ColumnWidth()), 0,
                                         UpperColumn() + 1);
        columns.assign(PR.peakSet.begin() + first, PR.peakSet.end());
    }
    // Lowers the column where the list's first box x stands to y for its next layout.
    void Lower(std::int32_t x, std::int32_t y)
    {
        const std::int64_t at = FloorDiv(static_cast<std::int64_t>(x) + ColumnWidth() - 1, ColumnWidth()) - first;
        if (at >= 0 && at < static_cast<std::int64_t>(columns.size()))
            columns[static_cast<std::size_t>(at)] = y;
    }
    void Restore() const { std::copy(columns.begin(), columns.end(), PR.peakSet.begin() + first); }
};

bool ListYPosition(std::int16_t canvas, std::int16_t start, bool redoAllowed, int depth);

// A list starts at its first shown box: a hidden box has no x of its own.
std::int16_t FirstShownBox(CanvasRecord& c, std::int16_t start)
{
    WalkGuard guard(c.BoxList.size(), kSource);
    for (std::int16_t n = start; n >= 0; n = BoxAt(c, n, kSource).after) {
        guard.Step();
        if (BoxAt(c, n, kSource).flags & BoxFlag::Shown)
            return n;
    }
    return -1;
}

// Places the nested lists of box n one under the other, each sub line at the height its list
// left; returns the last sub line, or -1 for a box without any.
std::int16_t SubListsPlace(std::int16_t canvas, CanvasRecord& c, std::int16_t n, YAdjustRecord& me, int depth)
{
    std::int16_t prev = -1;
    Point saved;
    WalkGuard subs(c.SubList.size(), kSource);
    for (std::int16_t s = BoxAt(c, n, kSource).subIndex; s >= 0;) {
        subs.Step();
        int attempts = 0;
        for (;;) {
            SubRecord& sub = SubAt(c, s, kSource);
            if (me.subFirst) {
                me.subXY = {sub.xy[0].xw, me.boxXY.yh};
            } else {
                saved = me.subXY;
                me.subXY.yh = Twips(static_cast<std::int64_t>(me.subXY.yh) + SubAt(c, prev, kSource).sizeS.yh, kSource);
            }
            if (sub.boxIndex <= 0)
                break;
            const Point end = sub.draw.empty() ? Point{} : sub.draw.front().e;
            me.connectXY = {Twips(static_cast<std::int64_t>(me.subXY.xw) + end.xw, kSource),
                            Twips(static_cast<std::int64_t>(me.subXY.yh) + end.yh, kSource)};
            // A list may ask a bounded number of times to be laid out again; the layout it
            // makes when it may no longer ask is kept.
            ++attempts;
            const bool mayAsk = attempts <= VerticalLimits.redoPerList;
            const bool again = ListYPosition(canvas, sub.boxIndex, mayAsk, depth + 1);
            FontSelect(BoxAt(c, n, kSource).fontCode, canvas);
            if (!again)
                break;
            if (!me.subFirst)
                me.subXY = saved;
        }
        SubRecord& sub = SubAt(c, s, kSource);
        sub.xy[0] = me.subXY;
        if (prev > 0) {
            SubRecord& before = SubAt(c, prev, kSource);
            before.sizeP = {before.sizeS.xw, Twips(static_cast<std::int64_t>(me.subXY.yh) - saved.yh, kSource)};
        }
        prev = s;
        me.subFirst = false;
        s = sub.after;
    }
    return prev;
}

// Case spacing: the last shown case reaches down to the box's bottom.
void CasesStretch(CanvasRecord& c, const BoxRecord& placed, YAdjustRecord& me)
{
    std::int64_t sum = 0;
    std::int16_t last1 = -1, lastSub = -1;
    for (std::int16_t s = placed.subIndex; s >= 0; s = SubAt(c, s, kSource).after) {
        const SubRecord& sub = SubAt(c, s, kSource);
        if (sub.flags & SubFlag::CaseTextShown) {
            sum += sub.sizeP.yh;
            last1 = s;
        }
        lastSub = s;
    }
    if (last1 < 0)
        last1 = lastSub;
    me.boxSize.yh = Twips(std::max<std::int64_t>(me.boxSize.yh, sum), kSource);
    if (me.boxSize.yh > sum) {
        SubRecord& stretched = SubAt(c, last1, kSource);
        stretched.sizeP.yh = Twips(static_cast<std::int64_t>(stretched.sizeP.yh) + (me.boxSize.yh - sum), kSource);
    }
}

// The first box stands lower than the line that leads to it: the line, and with the first sub
// line the parent box too, come down to the box's top.
void ParentLineLower(YAdjustRecord& parent, const YAdjustRecord& me)
{
    if (me.boxFirst && parent.connectXY.yh < me.boxXY.yh) {
        const std::int64_t d = static_cast<std::int64_t>(me.boxXY.yh) - parent.subXY.yh;
        parent.subXY.yh = me.boxXY.yh;
        if (parent.subFirst && parent.boxXY.yh < parent.subXY.yh) {
            parent.boxShift = Twips(parent.boxShift + d, kSource);
            parent.boxXY.yh = parent.subXY.yh;
        }
    }
}

// Whether the list, placed down to box placed (A its first box's place, Bpos and C the place
// and size of its last open box), must be laid out again lower; the snapshot then holds the
// lowered column.
bool ListLowered(const YAdjustRecord& me, const YAdjustRecord& parent, const BoxRecord& placed, Point A, Point Bpos,
                 Point C, bool simpleRun, Snapshot& snapshot)
{
    // A simple list whose box was pushed down by its own nested list, while the parent's line
    // lies below the list's top: the whole list goes down.
    if (me.boxShift > 0 && simpleRun && parent.subXY.yh > A.yh) {
        const std::int64_t k = std::min<std::int64_t>(static_cast<std::int64_t>(parent.subXY.yh) - A.yh, me.boxShift);
        snapshot.Lower(A.xw, Twips(A.yh + k, kSource));
        return true;
    }
    // Centring at the list's last box: the middle of the list may stand no more than the
    // allowance above the line that leads to it.
    if (placed.flags & BoxFlag::ChainEnd) {
        std::int64_t M = -1;
        if (parent.subCount == 1)
            M = A.yh + FloorDiv(static_cast<std::int64_t>(Bpos.yh) + C.yh - A.yh, 2);
        else if (parent.subCount > 1)
            M = Bpos.yh + FloorDiv(C.yh, 2);
        if (M >= 0) {
            const std::int64_t d = parent.connectXY.yh - M;
            if (d > LO.yAdjustAllow) {
                snapshot.Lower(A.xw, Twips(A.yh + d, kSource));
                return true;
            }
        }
    }
    return false;
}

bool ListYPosition(std::int16_t canvas, std::int16_t start, bool redoAllowed, int depth)
{
    if (depth > MaxNestingLevel + 1)
        RaiseTooDeep(kSource);
    CanvasRecord& c = CanvasAt(canvas, kSource);

    const std::int16_t firstShown = FirstShownBox(c, start);
    if (firstShown < 0)
        return false;

    Snapshot snapshot;
    snapshot.Take(BoxAt(c, firstShown, kSource).xy.xw);
    const std::int16_t level = BoxAt(c, firstShown, kSource).levelNo;
    if (level < 0 || static_cast<std::size_t>(level) >= PR.yAdjust.size())
        RaiseSubscript(kSource);
    YAdjustRecord& me = PR.yAdjust[static_cast<std::size_t>(level)];
    me = YAdjustRecord::Default;
    me.boxFirst = true;

    Point A, Bpos, C;
    bool open = true, simpleRun = true, redo = false;

    WalkGuard guard(c.BoxList.size(), kSource);
    for (std::int16_t n = start; n >= 0 && !redo; n = BoxAt(c, n, kSource).after) {
        guard.Step();
        if (!(BoxAt(c, n, kSource).flags & BoxFlag::Shown))
            continue;
        CountPlacement();
        BoxRecord& box = BoxAt(c, n, kSource);
        FontSelect(box.fontCode, canvas);

        const std::int32_t x = box.xy.xw;
        const std::int32_t right = Twips(static_cast<std::int64_t>(x) + std::max(box.sizeS.xw, box.sizeE.xw), kSource);
        box.xy.yh = CanvasSkylineGetY(x, right, 0);
        me.boxXY = box.xy;
        me.subFirst = true;
        me.boxSize = {std::max(box.sizeS.xw, box.sizeE.xw), std::max(box.sizeS.yh, box.sizeE.yh)};
        me.subCount = box.subCount;

        const std::int16_t lastSub = SubListsPlace(canvas, c, n, me, depth);
        BoxRecord& placed = BoxAt(c, n, kSource);
        if (lastSub > 0)
            CasesStretch(c, placed, me);

        placed.xy = me.boxXY;
        placed.sizeP = me.boxSize;
        if (me.boxFirst)
            A = placed.xy;
        if (placed.tagType == TagId::Chink) {
            open = false;
        } else if (open) {
            Bpos = placed.xy;
            C = placed.sizeP;
        }

        if (placed.tagType == TagId::Branch) {
            // The right side with its notches comes from control placement.
            const Point P = placed.sizeP;
            FiguresSet(placed.draw,
                       {LineFigureMake(0, 0, P.xw, 0), LineFigureMake(0, P.yh, P.xw, P.yh), LineFigureMake(0, 0, 0, P.yh)});
        }

        if (level > 0) {
            YAdjustRecord& parent = PR.yAdjust[static_cast<std::size_t>(level - 1)];
            ParentLineLower(parent, me);
            if (redoAllowed)
                redo = ListLowered(me, parent, placed, A, Bpos, C, simpleRun, snapshot);
        }

        if (redo) {
            snapshot.Restore();
        } else {
            if (placed.subIndex >= 0)
                simpleRun = false;
            const std::int64_t gap = (placed.tagAttr & TagAttribute::NoVerticalGap) ? 0 : LO.verticalGap;
            CanvasSkylineRaise(x, right, Twips(static_cast<std::int64_t>(placed.xy.yh) + placed.sizeP.yh + gap, kSource));
            me.boxFirst = false;
        }
    }
    return redo;
}

} // namespace

bool BoxTreeYPosition(std::int16_t canvas, std::int16_t start)
{
    CanvasRecord& c = CanvasAt(canvas, kSource);
    if (start >= 0)
        return ListYPosition(canvas, start, true, 0);

    const std::int64_t hG = ColumnWidth();
    const std::int64_t upper = FloorDiv(static_cast<std::int64_t>(c.header.extentX) + hG - 1, hG);
    PR.peakSet.assign(static_cast<std::size_t>(std::max<std::int64_t>(upper, 0) + 1), CanvasSize.TopSpace);
    PR.yAdjust.assign(static_cast<std::size_t>(std::max<std::int16_t>(c.header.maxLevel, 0)) + 2, YAdjustRecord::Default);
    Placements = 0;

    ListYPosition(canvas, c.header.firstBox, false, 0);

    const std::int32_t y = CanvasSkylineGetY(0, c.header.width, 0);
    c.header.height =
        std::max(Twips(static_cast<std::int64_t>(y) + CanvasSize.BottomSpace + 480, kSource), 5000);
    PR.peakSet.clear();
    PR.yAdjust.clear();
    return false;
}

std::int32_t CanvasSkylineGetY(std::int32_t x1, std::int32_t x2, std::int32_t floor)
{
    const std::int64_t hG = ColumnWidth();
    const std::int64_t first = std::max<std::int64_t>(FloorDiv(static_cast<std::int64_t>(x1) - 1, hG), 0);
    const std::int64_t last = std::min(FloorDiv(static_cast<std::int64_t>(x2) + hG, hG), UpperColumn());
    std::int32_t y = floor;
    // Column first counts even when it lies beyond last (a box narrower than a column).
    for (std::int64_t i = first; i <= std::max(first, last) && i <= UpperColumn(); ++i)
        y = std::max(y, PR.peakSet[static_cast<std::size_t>(i)]);
    return y;
}

void CanvasSkylineRaise(std::int32_t x1, std::int32_t x2, std::int32_t value)
{
    const std::int64_t hG = ColumnWidth();
    const std::int64_t first = std::max<std::int64_t>(FloorDiv(static_cast<std::int64_t>(x1) + hG - 1, hG), 0);
    const std::int64_t last = std::min(FloorDiv(x2, hG), UpperColumn());
    for (std::int64_t i = first; i <= std::max(first, last) && i <= UpperColumn(); ++i) {
        std::int32_t& column = PR.peakSet[static_cast<std::size_t>(i)];
        column = std::max(column, value);
    }
}

} // namespace vellumora
