#pragma once

// The layout constants LO, the printer's font and colour state, and the named colours of the ini file.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// One named colour of the ini file; entry 0 of the list is the default colour ("標準", -1).
struct ColorTableRecord {
    QString name;
    QString caption;
    std::int16_t red = 0;
    std::int16_t green = 0;
    std::int16_t blue = 0;
    std::int32_t color = 0;  // red + 256 x green + 65536 x blue; -1 the default colour

    friend bool operator==(const ColorTableRecord&, const ColorTableRecord&) = default;

    static const ColorTableRecord Default;
};
inline const ColorTableRecord ColorTableRecord::Default{};

// Layout constants in twips. The members from charWidth to jointVertical and the two text limits
// follow the font selected last on the printer; yAdjustAllow to blockVerticalGap describe the
// document font as measured when a canvas slot was set up. w = charWidth, h = charHeight.
struct LayoutConstants {
    std::int32_t charWidth = 0;            // width of "A"
    std::int32_t charHeight = 0;           // height of "A"
    std::int32_t routineLineGap = 0;       // Round(0.3 h)
    std::int32_t innerLeft = 0;            // w
    std::int32_t innerRight = 0;           // w
    std::int32_t innerTop = 0;             // Round(0.5 h)
    std::int32_t innerBottom = 0;          // Round(0.5 h)
    std::int32_t declareBarGap = 0;        // Round(0.5 w)
    std::int32_t ioSideGap = 0;            // Round(0.5 w)
    std::int32_t externalSideGap = 0;      // Round(0.3 h)
    std::int32_t branchNotchDepth = 0;     // w
    std::int32_t branchGap = 0;            // w
    std::int32_t branchTop = 0;            // Round(0.5 innerTop)
    std::int32_t branchBottom = 0;         // 2 innerBottom
    std::int32_t loopBarGap = 0;           // Round(0.5 w)
    std::int32_t labelRadiusMargin = 0;    // Round(0.3 h)
    std::int32_t jumpGap = 0;              // Round(0.3 w)
    std::int32_t freeStyleHorizontal = 0;  // Round(0.7 w)
    std::int32_t freeStyleVertical = 0;    // Round(0.7 h)
    std::int32_t jointHorizontal = 0;      // Round(0.5 w)
    std::int32_t jointVertical = 0;        // Round(0.5 h)
    std::int32_t yAdjustAllow = 0;         // Int(h / 3), document font
    std::int32_t horizontalGap = 0;        // Max(2 w, 50), document font
    std::int32_t verticalGap = 0;          // Max(h, 50)
    std::int32_t lineLabelWidth = 0;       // Int(w / 2)
    std::int32_t lineLabelHeight = 0;      // Int(3 verticalGap / 5)
    std::int32_t subLineLabelWidth = 0;    // Int(2 horizontalGap / 3)
    std::int32_t newPageMark = 0;          // Int(4 Min(horizontalGap, verticalGap) / 5)
    std::int32_t blockHorizontalGap = 0;   // horizontalGap
    std::int32_t blockVerticalGap = 0;     // verticalGap
    std::int32_t maxTextColumns = 0;       // longest line measured in one piece
    std::int32_t maxTextLines = 0;         // most lines measured in one piece

    friend bool operator==(const LayoutConstants&, const LayoutConstants&) = default;

    static const LayoutConstants Default;
};
inline const LayoutConstants LayoutConstants::Default{};

inline LayoutConstants LO;

// What the printer has selected; each canvas record keeps its own for its window.
inline FontColorState CurrentFontColorState;

} // namespace vellumora
