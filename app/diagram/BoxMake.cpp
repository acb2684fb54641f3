#include "app/diagram/BoxMake.h"

#include "app/diagram/DrawCanvas.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/RecordAccess.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <algorithm>
#include <vector>

namespace vellumora {

namespace {

// A frame colour of "" would otherwise take whatever colour was applied last: it means the
// document colour, as -1 does.
std::int32_t FrameColorGet()
{
    if (ApplicationGlobals.FrameSameText || platform::vbrt::Trim(ApplicationGlobals.FrameColor).isEmpty())
        return -1;
    return ColorModify(ApplicationGlobals.FrameColor);
}

// Where the walk stands in one chain. The walk keeps its own stack, so that the depth of the
// nesting never meets the depth of the call stack.
struct ChainWalk {
    std::int16_t box;         // the box in hand; below 1 when the chain has ended
    std::int16_t sub = -1;    // the sub line in hand once the box itself is drawn
    bool boxDrawn = false;
    bool subDrawn = false;    // the sub line's texts and figures are drawn, its chain is next
};

class Painter : CanvasLinks {
public:
    Painter(std::int16_t canvas, std::int32_t frameColor)
        : CanvasLinks(B[static_cast<std::size_t>(canvas)]), canvas_(canvas), frameColor_(frameColor)
    {
    }

    void Run(std::int16_t start)
    {
        chainBegin(start);
        while (!stack_.empty())
            step();
    }

private:
    void chainBegin(std::int16_t start)
    {
        DrawColorSet(frameColor_, canvas_);
        ForeColorSet(-1, canvas_);
        // The vertical base lines of the chain; segments after a chink are kept with sub line 0.
        const std::int16_t baseIndex = std::max<std::int16_t>(box(start).upper, 0);
        if (static_cast<std::size_t>(baseIndex) < record_.SubList.size()) {
            const std::vector<SubBase>& bases = sub(baseIndex).base;
            for (const SubBase& base : bases)
                DrawLineSegment(canvas_, base.xy, base.figure);
        }
        stack_.push_back(ChainWalk{start});
    }

    void boxSelect(const BoxRecord& b)
    {
        ForeColorSet(b.colorCode, canvas_);
        FontSelect(b.fontCode, canvas_);
    }

    void step()
    {
        ChainWalk& walk = stack_.back();
        if (!boxExists(walk.box)) {
            stack_.pop_back();
            return;
        }
        BoxRecord& b = box(walk.box);
        if ((b.flags & BoxFlag::Shown) == 0) {
            // A hidden box is passed over with everything below it.
            walk.box = b.after;
            return;
        }
        if (!walk.boxDrawn) {
            boxDraw(b);
            walk.boxDrawn = true;
            walk.sub = b.subIndex;
            walk.subDrawn = false;
            return;
        }
        if (!subExists(walk.sub)) {
            walk.box = b.after;
            walk.boxDrawn = false;
            return;
        }
        SubRecord& s = sub(walk.sub);
        if (!walk.subDrawn) {
            walk.subDrawn = true;
            if (s.flags & SubFlag::CaseTextShown) {
                DrawBoxText(canvas_, s.xy[0], s.text);
                DrawBoxText(canvas_, s.xy[1], s.text2);
            }
            for (const FigureData& figure : s.draw)
                DrawLineSegment(canvas_, s.xy[0], figure);
            if (s.boxIndex > 0 && boxExists(s.boxIndex)) {
                chainBegin(s.boxIndex); // invalidates walk
                return;
            }
        }
        // Back from the chain below: the next sub line is drawn in the box's own font and colour.
        boxSelect(b);
        walk.sub = s.after;
        walk.subDrawn = false;
    }

    void boxDraw(const BoxRecord& b)
    {
        boxSelect(b);
        DrawBoxText(canvas_, b.xy, b.text);
        DrawBoxText(canvas_, b.xy, b.text2);
        if (b.tagAttr & TagAttribute::Frame)
            DrawBoxFrame(canvas_, b.xy, Point{}, b.sizeP);
        else if (b.tagType == TagId::Note && !ApplicationGlobals.NoteNotFrame)
            DrawNoteFrame(canvas_, b.xy, Point{}, b.sizeP);
        for (const FigureData& figure : b.draw)
            DrawLineSegment(canvas_, b.xy, figure);
    }

    std::int16_t canvas_;
    std::int32_t frameColor_;
    std::vector<ChainWalk> stack_;
};

} // namespace

void BoxListDraw(std::int16_t canvas, const SubRecord& sub)
{
    CanvasRecord& record = CanvasAt(canvas, "BoxListDraw");
    const std::int32_t frameColor = FrameColorGet();
    std::int16_t start = sub.boxIndex;
    if (start < 0) {
        DrawStateReset(canvas);
        start = record.header.firstBox;
    }
    // A canvas without boxes (or a chain that names none) has nothing to paint.
    if (start < 1 || static_cast<std::size_t>(start) >= record.BoxList.size())
        return;
    Painter(canvas, frameColor).Run(start);
}

} // namespace vellumora
