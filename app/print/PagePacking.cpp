#include "app/print/PagePacking.h"

#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/RecordAccess.h"
#include "platform/vbrt/Value.h"

#include <algorithm>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

// Block flags: placed on another block's page; always begins a page of its own.
constexpr std::int16_t kPlacedOnHost = 0x40;
constexpr std::int16_t kOwnPage = 0x80;

BlockRecord& BlockOf(std::int16_t block, const char* source)
{
    return ElementAt(RW.BlockList, block, source);
}

// A gap of 0 would make the skyline endless; one twip keeps it finite.
double HorizontalGap()
{
    return double(std::max<std::int32_t>(1, LO.blockHorizontalGap));
}

std::int32_t Column(double value)
{
    return static_cast<std::int32_t>(vbrt::Int(value));
}

// A block reached along several paths of the tree (a chain that comes back to it) is listed more
// than once among children; every walk of the tree visits it once.
class TreeWalk {
public:
    TreeWalk() : seen_(RW.BlockList.size(), false) {}

    bool Enter(std::int16_t block)
    {
        if (block < 0 || std::size_t(block) >= seen_.size() || seen_[std::size_t(block)])
            return false;
        seen_[std::size_t(block)] = true;
        return true;
    }

private:
    std::vector<bool> seen_;
};

bool Search(PackState& state, std::vector<std::int32_t>& skyline, int& budget)
{
    if (state.blocks.empty())
        return true;
    if (budget <= 0)
        return false;
    --budget;

    const std::int16_t candidate = state.blocks.front();
    const std::int16_t level = state.levels.front();
    const BlockRecord& c = BlockOf(candidate, "PagePackTry");
    const std::vector<std::int32_t> saved = skyline;
    bool changed = false;

    PackState next;
    next.commit = state.commit;
    next.pageNo = state.pageNo;
    next.size = c.size;
    next.blocks = c.joinBlocks;
    next.levels.assign(c.joinBlocks.size(), std::int16_t(level + 1));
    next.blocks.insert(next.blocks.end(), state.blocks.begin() + 1, state.blocks.end());
    next.levels.insert(next.levels.end(), state.levels.begin() + 1, state.levels.end());

    const std::int64_t gH = std::int64_t(HorizontalGap());
    const std::int64_t right = std::int64_t(state.xy.xw) + state.size.xw + gH;
    const std::int64_t bottom = std::int64_t(state.xy.yh) + state.size.yh;
    const bool besideFits = right + c.size.xw <= RS.reportWidth;
    const auto restore = [&] {
        if (changed) {
            skyline = saved;
            changed = false;
        }
    };
    // Beside the block placed last, the block may not be pushed below that block's bottom.
    const auto tryBeside = [&](std::int64_t x) {
        next.xy = Point{std::int32_t(x), state.xy.yh};
        if (!PagePackFit(next, skyline))
            return false;
        changed = true;
        return next.xy.yh <= bottom && Search(next, skyline, budget);
    };

    bool placed = false;
    if (besideFits)
        placed = tryBeside(right);
    if (!placed && besideFits) {
        restore();
        placed = tryBeside(std::int64_t(RS.reportWidth) - c.size.xw);
    }
    if (!placed) {
        restore();
        next.xy = Point{0, std::int32_t(state.xy.yh + vbrt::Int(state.size.yh / 5.0))};
        if (PagePackFit(next, skyline)) {
            changed = true;
            placed = Search(next, skyline, budget);
        }
    }

    if (placed && state.commit) {
        BlockRecord& b = BlockOf(candidate, "PagePackTry");
        b.pageNo = state.pageNo;
        b.pagePos = next.xy;
        b.flags = std::int16_t(b.flags | kPlacedOnHost);
        b.joinLevel = level;
    }
    if (!placed)
        restore();
    return placed;
}

// Whether the host, its group and the pending blocks fit on one page together.
bool PackWithHost(std::int16_t host, std::vector<std::int16_t> pending, bool commit)
{
    const BlockRecord& h = BlockOf(host, "PagePackBlocks");
    std::vector<std::int32_t> skyline = PageSkylineMake();
    PackState state;
    state.size = h.size;
    state.commit = commit;
    state.pageNo = h.pageNo;
    PagePackFit(state, skyline);
    state.blocks = std::move(pending);
    state.levels.assign(state.blocks.size(), 1);
    return PagePackTry(state, skyline);
}

void GroupMake(std::int16_t block, TreeWalk& walk)
{
    RW.pageCount = Short(std::int64_t(RW.pageCount) + 1, "PageGroupMake");
    BlockOf(block, "PageGroupMake").pageNo = RW.pageCount;
    std::vector<std::int16_t> list{block};
    const std::vector<std::int16_t> children = BlockOf(block, "PageGroupMake").children;
    for (const std::int16_t child : children) {
        if (!walk.Enter(child))
            continue;
        GroupMake(child, walk);
        if (!(BlockOf(child, "PageGroupMake").flags & kOwnPage))
            list.push_back(child);
    }

    while (list.size() > 1) {
        const std::int16_t host = list.front();
        std::vector<std::int16_t> rejected;
        for (std::size_t i = 1; i < list.size(); ++i) {
            const std::int16_t candidate = list[i];
            std::vector<std::int16_t> pending = BlockOf(host, "PageGroupMake").joinBlocks;
            pending.push_back(candidate);
            if (PackWithHost(host, std::move(pending), false)) {
                BlockOf(host, "PageGroupMake").joinBlocks.push_back(candidate);
                BlockOf(candidate, "PageGroupMake").joined = true;
            } else {
                rejected.push_back(candidate);
            }
        }
        if (rejected.size() < 2)
            break;
        list = std::move(rejected);
    }
}

void PackBlocks(std::int16_t block, TreeWalk& walk)
{
    const std::vector<std::int16_t> children = BlockOf(block, "PagePackBlocks").children;
    for (const std::int16_t child : children) {
        if (walk.Enter(child))
            PackBlocks(child, walk);
    }
    const BlockRecord& b = BlockOf(block, "PagePackBlocks");
    if (!b.joinBlocks.empty() && !b.joined)
        PackWithHost(block, b.joinBlocks, true);
}

void MapMark(std::int16_t block, TreeWalk& walk)
{
    const std::int16_t page = BlockOf(block, "PageMapMark").pageNo;
    PageMapAt(page) = page;
    for (const std::int16_t child : BlockOf(block, "PageMapMark").children) {
        if (walk.Enter(child))
            MapMark(child, walk);
    }
}

void NumberAssign(std::int16_t block, TreeWalk& walk)
{
    BlockRecord& b = BlockOf(block, "PageNumberAssign");
    b.pageNo = PageMapAt(b.pageNo);
    ElementAt(RW.PageList, b.pageNo, "PageNumberAssign").blocks.push_back(block);
    for (const std::int16_t child : BlockOf(block, "PageNumberAssign").children) {
        if (walk.Enter(child))
            NumberAssign(child, walk);
    }
}

// Runs a walk of the tree from its root.
template <class Step>
void WalkFrom(std::int16_t block, Step step)
{
    // A canvas without boxes has no block tree (its root is -1) and takes no page.
    if (block < 1)
        return;
    TreeWalk walk;
    walk.Enter(block);
    step(block, walk);
}

} // namespace

void PageMapReset(std::int16_t firstPage)
{
    pageMap.firstPage = firstPage;
    pageMap.entries.assign(std::size_t(std::max(0, RW.pageCount - firstPage + 1)), -1);
}

std::int16_t& PageMapAt(std::int16_t page)
{
    return ElementAt(pageMap.entries, Short(std::int64_t(page) - pageMap.firstPage, "PageMapAt"), "PageMapAt");
}

std::vector<std::int32_t> PageSkylineMake()
{
    return std::vector<std::int32_t>(std::size_t(Column(RS.reportWidth / HorizontalGap()) + 2), 0);
}

bool PagePackFit(PackState& state, std::vector<std::int32_t>& skyline)
{
    const double gH = HorizontalGap();
    const double x = state.xy.xw;
    const double w = state.size.xw;
    if (std::int64_t(state.xy.xw) + state.size.xw > RS.reportWidth)
        return false;
    const std::int32_t last = std::int32_t(skyline.size()) - 1;

    std::int64_t y = state.xy.yh;
    for (std::int32_t i = std::max(Column(x / gH), 0); i <= std::min(Column((x + w + gH) / gH), last); ++i)
        y = std::max<std::int64_t>(y, skyline[std::size_t(i)]);
    if (y + state.size.yh > RS.reportHeight)
        return false;

    const std::int32_t raised = Twips(y + state.size.yh + LO.blockVerticalGap, "PagePackFit");
    for (std::int32_t i = std::max(Column((x + gH - 1) / gH), 0); i <= std::min(Column((x + w) / gH), last); ++i)
        skyline[std::size_t(i)] = std::max(skyline[std::size_t(i)], raised);
    state.xy.yh = std::int32_t(y);
    return true;
}

bool PagePackTry(PackState& state, std::vector<std::int32_t>& skyline)
{
    int budget = PackSearchLimit;
    return Search(state, skyline, budget);
}

void PageGroupMake(std::int16_t block)
{
    WalkFrom(block, GroupMake);
}

void PagePackBlocks(std::int16_t block)
{
    WalkFrom(block, PackBlocks);
}

void PageMapMark(std::int16_t block)
{
    WalkFrom(block, MapMark);
}

void PageMapCloseUp()
{
    std::int16_t k = pageMap.firstPage;
    for (std::int16_t& entry : pageMap.entries)
        if (entry > 0)
            entry = k++;
    RW.pageCount = static_cast<std::int16_t>(k - 1);
    RW.PageList.resize(static_cast<std::size_t>(RW.pageCount) + 1);
}

void PageNumberAssign(std::int16_t block)
{
    WalkFrom(block, NumberAssign);
}

} // namespace vellumora
