#pragma once

// Painting of a laid-out canvas: the box tree walked chain by chain, each shown box drawn with
// its texts, frame and figures, then its sub lines and the chains below them.

#include "app/core/DiagramRecords.h"

#include <cstdint>

namespace vellumora {

// Paints the chain that begins at the sub line's boxIndex and everything below it; a boxIndex
// below 0 (as in SubRecord::Default) paints the whole canvas. Box records are only read.
void BoxListDraw(std::int16_t canvas, const SubRecord& sub);

} // namespace vellumora
