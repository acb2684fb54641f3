#pragma once

// Charts built by hand for the painting tests and benchmarks: the settings of a plain document,
// and boxes added with the storage routines and linked into their chain.

#include "app/diagram/BoxList.h"
#include "app/core/ApplicationGlobals.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace painttest {

using namespace vellumora;

// The lists hold their fixed entry "標準" first, as after start-up; the document is ＭＳ ゴシック
// 10 points, black on white.
inline void PlainDocumentGlobalsSet()
{
    ApplicationGlobals = ApplicationGlobalsRecord::Default;
    ApplicationGlobals.ColorTable.assign(1, ColorTableRecord{QString(), QStringLiteral("標準"), 0, 0, 0, -1});
    ApplicationGlobals.FontNameList = QStringList{QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック")};
    ApplicationGlobals.FontSizeList = QStringList{QStringLiteral("標準")};
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
    ApplicationGlobals.DocumentColorName = QStringLiteral("r0,g0,b0");
    ApplicationGlobals.CanvasColorName = QStringLiteral("r255,g255,b255");
}

// A box of the kind with these attribute bits, after box before (or heading the chain of sub
// line upper, or the canvas's top chain when both are below 1).
inline std::int16_t ChainBoxAdd(std::int16_t canvas, std::int32_t tag, std::int32_t attr, const QString& text,
                                std::int16_t before, std::int16_t upper)
{
    PadInfoRecord record;
    record.tagId = tag;
    record.flags = attr;
    record.text = text;
    const std::int16_t n = BoxAdd(canvas, record, before, upper);
    CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    if (before > 0)
        c.BoxList[static_cast<std::size_t>(before)].after = n;
    else if (upper > 0)
        c.SubList[static_cast<std::size_t>(upper)].boxIndex = n;
    else
        c.header.firstBox = n;
    return n;
}

} // namespace painttest
