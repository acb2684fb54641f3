#pragma once

// The block placement of the page layout: places the boxes of one chain of the print work copy
// (slot 0 of B), one below the other, into a layout block no larger than the report body; each
// case line's chain one level deeper, in the same block or in a block to the right; and cuts a
// chain that does not fit, with a numbered continuation mark at both ends of the cut. Boxes that
// do not fit are narrowed, divided, moved to a new block or placed again lower.

#include <QString>

#include <cstdint>

namespace vellumora {

// The answer of one placement call to its caller.
struct XYPositionState {
    bool errFlag = false;        // stopped: cancelled, or a box too large for a page
    bool boxReLoopFlag = false;  // the caller places its box again, not above yPeak
    bool subReLoopFlag = false;  // the caller places its case line again, not above yPeak,
                                 // and passes yDownShift to the line's chain
    std::int32_t yPeak = 0;
    std::int32_t yDownShift = 0;

    static const XYPositionState Default;
};
inline const XYPositionState XYPositionState::Default{};

// The message of a box that fits no page, even divided.
extern const QString BoxTooLargeMessage;

// Places the chain from first (below 0: the canvas's top chain) at x xa on level levelNo into
// block blockIndex, the first box shifted down by downShift. first and blockIndex are not changed.
XYPositionState BlockMakeXYPosition(std::int16_t& first, std::int32_t xa, std::int16_t levelNo,
                                    std::int16_t& blockIndex, std::int32_t downShift);

} // namespace vellumora
