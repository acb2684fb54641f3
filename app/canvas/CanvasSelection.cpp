// The canvas window's selection: the frames around the selected parts, the range rectangle, and
// what the selection allows the menus and the tool bar.

#include "app/canvas/CanvasForm.h"

#include "app/canvas/CopyAndPaste.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/diagram/SearchEngine.h"

#include <algorithm>
#include <utility>

namespace vellumora {

namespace {

// Tag id of the chink box that marks a cut vertical line.
constexpr std::int32_t ChinkTag = 21;

// A part by kind and index, for the set of listed parts.
std::int32_t PartKey(std::int32_t kind, std::int16_t index)
{
    return kind * 65536 + index;
}

bool SameFamily(std::int32_t a, std::int32_t b)
{
    // The end line of a chain belongs to the vertical lines; kind 0 belongs to no family.
    auto family = [](std::int32_t kind) { return kind == 3 ? 2 : kind; };
    return a != 0 && b != 0 && family(a) == family(b);
}

} // namespace

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
    SearchHighlightHide(false);
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
    if (!lockPartsListSettle(partsKind, partsIndex))
        return;

    PartsAllowed allowed;
    for (std::size_t i = 0; i < lockPartsList_.size(); ++i) {
        const LockPartsRecord& part = lockPartsList_[i];
        const bool first = i == 0;
        LockPartsTarget = part.partsIndex;
        switch (part.partsKind) {
        case 1:
            boxAllows(part.partsIndex, first, allowed);
            break;
        case 2:
            vLineAllows(part.partsIndex, first, allowed);
            break;
        case 3:
            LockPartsTarget = subRecord(part.partsIndex).last;
            allowed.editor = allowed.editor && first;
            allowed.copy = allowed.font = allowed.chink = allowed.connect = allowed.newPage = false;
            break;
        case 4:
            hLineAllows(part.partsIndex, first, allowed);
            break;
        default:
            break;
        }
    }
    LockPartsFlags = allowed.flags;
    LockPartsCopyEnabled = allowed.copy;
    LockPartsEditorEnabled = allowed.editor;
    LockPartsFontEnabled = allowed.font;
    LockPartsChinkEnabled = allowed.chink;
    LockPartsConnectEnabled = allowed.connect;
    LockPartsNewPageEnabled = allowed.newPage;
}

bool CanvasForm::lockPartsListSettle(std::int32_t partsKind, std::int16_t partsIndex)
{
    const bool selected = partsKind == 0 || partsIndex < 0 || partFramed(partsKind, partsIndex);
    if (selected) {
        // Parts whose frame a Shift+click switched off leave the list here.
        std::vector<LockPartsRecord> kept;
        for (const LockPartsRecord& part : lockPartsList_)
            if (partFramed(part.partsKind, part.partsIndex))
                kept.push_back(part);
        if (kept.empty()) {
            PartsLock();
            return false;
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
    return true;
}

void CanvasForm::boxAllows(std::int16_t index, bool first, PartsAllowed& allowed)
{
    const BoxRecord& box = boxRecord(index);
    allowed.flags |= box.flags;
    if (first) {
        allowed.owner = box.upper;
        LockPartsFontCode = box.fontCode;
        LockPartsColorCode = box.colorCode;
    } else {
        allowed.copy = allowed.copy && box.upper == allowed.owner;
    }
    allowed.font = true;
    allowed.editor = allowed.editor && first;
    allowed.chink = allowed.connect = allowed.newPage = false;
}

void CanvasForm::vLineAllows(std::int16_t index, bool first, PartsAllowed& allowed) const
{
    const BoxRecord& box = boxRecord(index);
    const bool live = (box.flags & BoxFlag::Temporary) == 0;
    allowed.flags |= box.flags;
    allowed.copy = false;
    allowed.font = false;
    allowed.editor = allowed.editor && live && first;
    allowed.chink = allowed.chink && (box.flags & BoxFlag::FollowsChink) == 0 && box.tagType != ChinkTag && live && first;
    allowed.connect = allowed.connect && (box.flags & BoxFlag::ChainHead) == 0 && live && first && box.before > 0 &&
                      boxRecord(box.before).tagType == ChinkTag;
    allowed.newPage = allowed.newPage && live && box.before > 0 && first;
}

void CanvasForm::hLineAllows(std::int16_t index, bool first, PartsAllowed& allowed) const
{
    const SubRecord& sub = subRecord(index);
    allowed.flags |= sub.flags;
    if (first)
        allowed.owner = sub.upper;
    else
        allowed.copy = allowed.copy && sub.upper == allowed.owner;
    const std::int16_t placed = SubFlag::PlacementMark8 | SubFlag::PlacementMark10;
    // Sub lines are copied and their fonts changed only with boxes below them, or as the line
    // above the top chain.
    const bool withBoxes = (sub.flags & placed) != 0 || (sub.flags & SubFlag::EmptyLine) == 0;
    allowed.copy = allowed.copy && withBoxes;
    allowed.font = allowed.font && withBoxes;
    allowed.editor = allowed.editor && first && (sub.flags & SubFlag::EmptyLine) != 0 && (sub.flags & placed) == 0;
    allowed.newPage = allowed.newPage && first && (sub.flags & (placed | SubFlag::EmptyLine)) == 0;
    allowed.chink = allowed.connect = false;
}

CanvasForm::EditEnables CanvasForm::enablesFor(std::int32_t kind) const
{
    EditEnables e;
    const bool line = kind == 2 || kind == 3;
    switch (kind) {
    case 1:
        e.cut = e.copy = e.copyTask = e.del = e.deleteLump = LockPartsCopyEnabled;
        e.editor = LockPartsEditorEnabled;
        e.fontChange = e.fontChangeLump = LockPartsFontEnabled;
        break;
    case 2:
    case 3:
    case 4:
        e.paste = ClipboardExist() && LockPartsEditorEnabled;
        e.pasteTask = ClipboardTaskExist() && LockPartsEditorEnabled;
        e.add = LockPartsEditorEnabled;
        e.newPage = LockPartsNewPageEnabled;
        if (line) {
            e.chink = LockPartsChinkEnabled;
            e.connect = LockPartsConnectEnabled;
            e.newPageChecked = (LockPartsFlags & BoxFlag::LowerPage) != 0 && LockPartsNewPageEnabled;
        } else {
            e.cut = e.copy = e.copyTask = e.deleteLump = LockPartsCopyEnabled;
            e.fontChangeLump = LockPartsFontEnabled;
            e.newPageChecked = (LockPartsFlags & SubFlag::RightPage) != 0 && LockPartsNewPageEnabled;
        }
        break;
    default:
        break;
    }
    return e;
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

} // namespace vellumora
