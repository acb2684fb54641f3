#include "app/diagram/ListPreparation.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Error.h"

#include <map>
#include <vector>

namespace vellumora {

namespace {

// The marks of the last layout: break and continue targets, replaced texts, the control
// placement's chain-head marks and the horizontal pass's chain-end mark.
constexpr std::int16_t kLayoutMarks = BoxFlag::BreakTarget | BoxFlag::ContinueTarget | BoxFlag::LabelReplaced |
                                      BoxFlag::FollowsChink | BoxFlag::ChainHead | BoxFlag::ChainEnd;
constexpr std::int16_t kPlacementMarks = SubFlag::PlacementMark8 | SubFlag::PlacementMark10 | SubFlag::EmptyLine;

// The colour and font a generated label takes from the break or continue boxes that jump to it.
struct LabelLook {
    std::int32_t colorCode = 0;
    std::int32_t fontCode = 0;
};

struct LoopLabels {
    LabelLook breakLook;
    LabelLook continueLook;
};

class Preparation : CanvasLinks {
public:
    Preparation(std::int16_t canvas, bool onlyShown)
        : CanvasLinks(CanvasAt(canvas, "BoxListPrepare")), canvas_(canvas), onlyShown_(onlyShown)
    {
    }

    std::int16_t WholeCanvas();
    std::int16_t Walk(std::int16_t start);

private:
    // box() and sub() fetch by index every time: adding a label box may move the list.
    int boxSlots() { return static_cast<int>(record_.BoxList.size()); }
    // Slot 0 is the spare, and a freed slot carries its free-chain link (0 or more).
    bool inUse(std::int16_t n) { return n >= 1 && n < boxSlots() && box(n).garbage < 0; }

    void MarksClearAndRemove();
    void NestedRoutineSplice(std::int16_t routine);
    void Unlink(std::int16_t n);
    void Remove(std::int16_t n);
    void ChinkEndsRemove();
    void ChainHeadsAndJumpTexts();
    void SubLinesReset();

    std::int16_t EnclosingLoop(std::int16_t n);
    void JumpConvert(std::int16_t n);
    void LabelsInsert(std::int16_t n);

    std::int16_t canvas_;
    bool onlyShown_;
    bool nestedRoutineRemoved_ = false;
    std::map<std::int16_t, LoopLabels> labels_;
};

std::int16_t Preparation::WholeCanvas()
{
    MarksClearAndRemove();
    ChinkEndsRemove();
    ChainHeadsAndJumpTexts();
    SubLinesReset();

    const std::int16_t last = Walk(record_.header.firstBox);
    if (!record_.SubList.empty())
        sub(0).last = last; // slot 0 stands for the canvas's top level

    // An empty canvas gets a placeholder, which the next run removes and puts back.
    if (record_.header.firstBox < 0) {
        const std::int16_t egg = BoxAdd(canvas_, PadInfoMake(TagId::Egg, QString()), -1, -1);
        record_.header.firstBox = egg;
    }

    if (nestedRoutineRemoved_)
        InformationMessageBox(TagTableGet(TagId::Routine).boxName +
                              QStringLiteral("が先頭でない場所に出現しましたので、削除されました。"));
    return last;
}

// Every slot in index order; a box freed on the way (below a removed box) is skipped.
void Preparation::MarksClearAndRemove()
{
    for (int n = 1; n < boxSlots(); ++n) {
        if (!inUse(n))
            continue;
        BoxRecord& b = box(n);
        b.flags &= static_cast<std::int16_t>(~kLayoutMarks);
        if (b.tagType == TagId::Routine && b.upper >= 1) {
            NestedRoutineSplice(n);
            continue;
        }
        const bool hidden = onlyShown_ && (b.flags & BoxFlag::Shown) == 0;
        if (hidden || (b.flags & BoxFlag::Temporary) != 0 || b.tagType == TagId::Egg)
            Remove(n);
    }
}

// A routine stands only at the head of a canvas: below another box its body takes its place.
void Preparation::NestedRoutineSplice(std::int16_t routine)
{
    const std::int16_t owner = box(routine).upper;
    const std::int16_t previous = box(routine).before;
    const std::int16_t next = box(routine).after;
    const std::int16_t firstSub = box(routine).subIndex;
    const std::int16_t bodyFirst = firstSub >= 1 ? sub(firstSub).boxIndex : std::int16_t(-1);

    std::int16_t bodyLast = -1;
    for (std::int16_t n = bodyFirst; n >= 1; n = box(n).after) {
        box(n).upper = owner;
        bodyLast = n;
    }

    const std::int16_t joinedFirst = bodyFirst >= 1 ? bodyFirst : next;
    const std::int16_t joinedLast = bodyFirst >= 1 ? bodyLast : previous;
    if (previous >= 1)
        box(previous).after = joinedFirst;
    else
        sub(owner).boxIndex = joinedFirst;
    if (bodyFirst >= 1) {
        box(bodyFirst).before = previous;
        box(bodyLast).after = next;
    }
    if (next >= 1)
        box(next).before = joinedLast;

    BoxDelete(canvas_, routine, false);
    nestedRoutineRemoved_ = true;
}

void Preparation::Unlink(std::int16_t n)
{
    const std::int16_t before = box(n).before;
    const std::int16_t after = box(n).after;
    const std::int16_t upper = box(n).upper;
    if (before < 1) {
        if (upper < 1)
            record_.header.firstBox = after;
        else
            sub(upper).boxIndex = after;
    } else {
        box(before).after = after;
    }
    if (after >= 1)
        box(after).before = before;
}

void Preparation::Remove(std::int16_t n)
{
    Unlink(n);
    BoxDelete(canvas_, n, true);
}

// A cut belongs between two boxes. One at either end of a chain goes, and so does every cut
// that its removal leaves at that end.
void Preparation::ChinkEndsRemove()
{
    for (int n = 1; n < boxSlots(); ++n) {
        std::int16_t chink = n;
        while (inUse(chink) && box(chink).tagType == TagId::Chink && (box(chink).before < 0 || box(chink).after < 0)) {
            const std::int16_t before = box(chink).before;
            const std::int16_t after = box(chink).after;
            Remove(chink);
            chink = before < 0 ? after : before;
        }
    }
}

// After every removal, so that a box whose predecessor went at any point loses its page break.
void Preparation::ChainHeadsAndJumpTexts()
{
    for (int n = 1; n < boxSlots(); ++n) {
        if (!inUse(n))
            continue;
        BoxRecord& b = box(n);
        if (b.before < 0)
            b.flags &= static_cast<std::int16_t>(~BoxFlag::LowerPage);
        if (b.tagType == TagId::Break || b.tagType == TagId::Continue) {
            b.text = TextInfoMake(QString());
            b.text2 = TextInfoMake(QString());
        }
    }
}

void Preparation::SubLinesReset()
{
    for (SubRecord& s : record_.SubList) {
        s.base.clear();
        s.flags &= static_cast<std::int16_t>(~kPlacementMarks);
        s.last = -1;
        if (s.boxIndex < 0)
            s.flags &= static_cast<std::int16_t>(~SubFlag::RightPage);
    }
}

// The nearest loop around a box, -1 when there is none.
std::int16_t Preparation::EnclosingLoop(std::int16_t n)
{
    for (std::int16_t s = box(n).upper; s >= 1;) {
        const std::int16_t owner = sub(s).upper;
        if (owner < 1)
            return -1;
        if (box(owner).tagType == TagId::Loop)
            return owner;
        s = box(owner).upper;
    }
    return -1;
}

// A break or continue box shows no text of its own; with jumps replaced it names the label
// that its loop gets.
void Preparation::JumpConvert(std::int16_t n)
{
    const std::int32_t tag = box(n).tagType;
    if (tag != TagId::Break && tag != TagId::Continue)
        return;
    box(n).text = TextInfoMake(QString());
    if (!ApplicationGlobals.ReplaceJump)
        return;
    const std::int16_t loop = EnclosingLoop(n);
    if (loop < 1)
        return;

    const bool isBreak = tag == TagId::Break;
    box(loop).flags |= isBreak ? BoxFlag::BreakTarget : BoxFlag::ContinueTarget;
    BoxRecord& b = box(n);
    b.flags |= BoxFlag::LabelReplaced;
    b.text = TextInfoMake(BreakLabelText(isBreak ? BreakLabelKind::Break : BreakLabelKind::Continue, loop));
    LoopLabels& look = labels_[loop];
    (isBreak ? look.breakLook : look.continueLook) = LabelLook{b.colorCode, b.fontCode};
}

// The "-break" label follows the loop box; the "-continue" label ends the loop's body, and the
// body's last box stays the box before it, where new boxes go.
void Preparation::LabelsInsert(std::int16_t n)
{
    const LoopLabels look = labels_.count(n) ? labels_[n] : LoopLabels{};
    if (box(n).flags & BoxFlag::BreakTarget)
        BreakLabelInsert(canvas_, n, BreakLabelText(BreakLabelKind::Break, n), look.breakLook.colorCode,
                         look.breakLook.fontCode);
    if (box(n).flags & BoxFlag::ContinueTarget) {
        const std::int16_t body = box(n).subIndex;
        if (body >= 1 && sub(body).boxIndex >= 1 && sub(body).last >= 1)
            BreakLabelInsert(canvas_, sub(body).last, BreakLabelText(BreakLabelKind::Continue, n),
                             look.continueLook.colorCode, look.continueLook.fontCode);
    }
}

// Walks a chain and every chain below it, depth first, on a stack of its own: a chart of any
// depth is walked without deep recursion. Each sub line with boxes gets the last box of its chain.
std::int16_t Preparation::Walk(std::int16_t start)
{
    enum class Step { Enter, SubLines, Leave };
    struct ChainWalk {
        std::int16_t box;            // the box at hand; below 1 when the chain has ended
        std::int16_t last = -1;      // the last box of the chain so far
        std::int16_t subLine = -1;   // the sub line of the box whose chain is walked next
        Step step = Step::Enter;
    };

    std::vector<ChainWalk> chains{ChainWalk{start}};
    for (;;) {
        ChainWalk& walk = chains.back();
        if (walk.box < 1) {
            const std::int16_t last = walk.last;
            chains.pop_back();
            if (chains.empty())
                return last;
            ChainWalk& owner = chains.back();
            sub(owner.subLine).last = last;
            owner.subLine = sub(owner.subLine).after;
            continue;
        }
        switch (walk.step) {
        case Step::Enter:
            JumpConvert(walk.box);
            walk.subLine = box(walk.box).subIndex;
            walk.step = Step::SubLines;
            break;
        case Step::SubLines:
            while (walk.subLine >= 1 && sub(walk.subLine).boxIndex < 1)
                walk.subLine = sub(walk.subLine).after;
            if (walk.subLine >= 1)
                chains.push_back(ChainWalk{sub(walk.subLine).boxIndex}); // walk is stale from here
            else
                walk.step = Step::Leave;
            break;
        case Step::Leave:
            LabelsInsert(walk.box);
            walk.last = walk.box;
            walk.box = box(walk.box).after; // a label just inserted comes next
            walk.step = Step::Enter;
            break;
        }
    }
}

} // namespace

std::int16_t BoxListPrepare(std::int16_t canvas, std::int16_t start, bool onlyShown)
{
    Preparation preparation(canvas, onlyShown);
    return start < 0 ? preparation.WholeCanvas() : preparation.Walk(start);
}

QString BreakLabelText(std::int16_t kind, std::int16_t box)
{
    switch (kind) {
    case BreakLabelKind::Break:
        return QStringLiteral("Label%1:-break").arg(box);
    case BreakLabelKind::Continue:
        return QStringLiteral("Label%1:-continue").arg(box);
    default:
        return QString();
    }
}

void BreakLabelInsert(std::int16_t canvas, std::int16_t box, const QString& text, std::int32_t colorCode,
                      std::int32_t fontCode)
{
    std::vector<BoxRecord>& list = B[static_cast<std::size_t>(canvas)].BoxList;
    const std::int16_t upper = list[static_cast<std::size_t>(box)].upper;
    const std::int16_t after = list[static_cast<std::size_t>(box)].after;

    const std::int16_t label = BoxAdd(canvas, PadInfoMake(TagId::Label, text), box, upper);
    std::vector<BoxRecord>& grown = B[static_cast<std::size_t>(canvas)].BoxList;
    grown[static_cast<std::size_t>(box)].after = label;
    BoxRecord& added = grown[static_cast<std::size_t>(label)];
    added.after = after;
    added.flags |= BoxFlag::Temporary; // the next preparation removes it
    added.colorCode = colorCode;
    added.fontCode = fontCode;
    if (after >= 1)
        grown[static_cast<std::size_t>(after)].before = label;
}

} // namespace vellumora
