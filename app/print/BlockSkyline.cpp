#include "app/print/BlockSkyline.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/LayoutRecords.h"
#include "app/core/RecordAccess.h"

#include <QString>

#include <algorithm>

namespace vellumora {

namespace {

// Int(a / b) for the skyline's divisions, also right for a negative a.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

BlockRecord& Block(std::int16_t block, const char* source) { return ElementAt(RW.BlockList, block, source); }

} // namespace

std::int32_t SkylineColumnWidth()
{
    return std::max<std::int32_t>(1, LO.horizontalGap);
}

std::int16_t BlockListAdd(std::int16_t flags)
{
    if (RW.BlockList.empty())
        RW.BlockList.push_back(BlockRecord::Default);
    const std::int16_t n = Short(static_cast<std::int64_t>(RW.BlockList.size()), "BlockListAdd");
    BlockRecord block = BlockRecord::Default;
    block.canvas = RW.canvas;
    const std::int64_t gap = SkylineColumnWidth();
    const std::int64_t columns = std::max<std::int64_t>(0, FloorDiv(gap + RS.reportWidth - 1, gap));
    block.peakSet.assign(static_cast<std::size_t>(columns + 1), 0);
    block.flags = flags;
    RW.BlockList.push_back(std::move(block));
    return n;
}

void SkylineRaise(std::int16_t blockIndex, std::int32_t x1, std::int32_t x2, std::int32_t y)
{
    BlockRecord& block = Block(blockIndex, "SkylineRaise");
    const std::int64_t gap = SkylineColumnWidth();
    const std::int64_t a = std::max<std::int64_t>(x1, 0);
    const std::int64_t b = std::min<std::int64_t>(x2, RS.reportWidth);
    const std::int64_t last = std::min<std::int64_t>(FloorDiv(b, gap), std::int64_t(block.peakSet.size()) - 1);
    std::int64_t i = FloorDiv(a + gap - 1, gap);
    // The first column is raised even when it lies right of the last: an item narrower than a
    // column still raises the next column start.
    do {
        if (i >= 0 && i < std::int64_t(block.peakSet.size()))
            block.peakSet[std::size_t(i)] = std::max(block.peakSet[std::size_t(i)], y);
        ++i;
    } while (i <= last);
}

std::int32_t SkylineGetY(std::int16_t blockIndex, std::int32_t x, std::int32_t w, std::int32_t y)
{
    const BlockRecord& block = Block(blockIndex, "SkylineGetY");
    const std::int64_t gap = SkylineColumnWidth();
    const std::int64_t a = std::max<std::int64_t>(std::int64_t(x) - gap, 0);
    const std::int64_t b = std::min<std::int64_t>(std::int64_t(x) + w + gap - 1, RS.reportWidth);
    const std::int64_t first = std::max<std::int64_t>(FloorDiv(a + gap - 1, gap), 0);
    const std::int64_t last = std::min<std::int64_t>(FloorDiv(b, gap), std::int64_t(block.peakSet.size()) - 1);
    std::int32_t result = y;
    for (std::int64_t i = first; i <= last; ++i)
        result = std::max(result, block.peakSet[std::size_t(i)]);
    return result;
}

void SkylineRegister(std::int16_t blockIndex, const Point& position, const Point& size, bool withGap)
{
    std::int64_t bottom = std::int64_t(position.yh) + size.yh;
    if (withGap)
        bottom += LO.verticalGap;
    const std::int32_t clipped = static_cast<std::int32_t>(std::min<std::int64_t>(bottom, RS.reportHeight));
    SkylineRaise(blockIndex, position.xw, Twips(std::int64_t(position.xw) + size.xw, "SkylineRegister"), clipped);
    BlockRecord& block = Block(blockIndex, "SkylineRegister");
    const std::int64_t right = std::min<std::int64_t>(std::int64_t(position.xw) + size.xw, RS.reportWidth);
    block.size.xw = std::max<std::int32_t>(block.size.xw, static_cast<std::int32_t>(right));
    block.size.yh = std::max(block.size.yh, clipped);
}

InternalCode ConnectorLabelMake(std::int16_t number)
{
    // Code 0 is the document's default font; the font selected last may be any box's.
    FontSelect(0, 0);
    InternalCode label = InternalCode::Default;
    label.text = QString::number(number < 0 ? -std::int32_t(number) : number);
    TextSizeMeasure(label, 0);
    label.lineCount = 1;
    label.xy = {static_cast<std::int32_t>(FloorDiv(std::int64_t(RW.labelSize.xw) - label.size.xw, 2)) + LO.jointHorizontal,
                LO.jointVertical};
    return label;
}

} // namespace vellumora
