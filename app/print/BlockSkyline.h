#pragma once

// The small operations the block placement uses on a layout block: appending a block to the job's
// block list, the block's column skyline (the lowest free y of each strip one horizontal gap wide),
// registering a placed item in the skyline and the block's extent, and the label of a
// continuation mark. Lengths are twips relative to the block's top-left corner.

#include "app/core/PrintRecords.h"

#include <cstdint>

namespace vellumora {

// Appends a block of the canvas being laid out with the given flags and a zeroed skyline; returns
// its index (the first block of a job is 1, entry 0 being a filler).
std::int16_t BlockListAdd(std::int16_t flags);
// Raises the skyline columns that start within x1..x2 (at least the first one) to y.
void SkylineRaise(std::int16_t block, std::int32_t x1, std::int32_t x2, std::int32_t y);
// The lowest free y, never above y, for an item w wide at x that keeps a horizontal gap on each side.
std::int32_t SkylineGetY(std::int16_t block, std::int32_t x, std::int32_t w, std::int32_t y);
// Registers a placed box or mark: the columns under it and the block's extent, both clipped to
// the report body; withGap keeps a vertical gap below it.
void SkylineRegister(std::int16_t block, const Point& position, const Point& size, bool withGap);
// The number of a continuation mark as a measured text, centred in the mark's label area, in the
// document's default font (which the layout constants then describe).
InternalCode ConnectorLabelMake(std::int16_t number);

// The strip width of the skyline: the horizontal gap, at least one twip.
std::int32_t SkylineColumnWidth();

} // namespace vellumora
