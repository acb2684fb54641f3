#pragma once

// Shared by the box-editor session tests: a chart loaded as the program loads documents, boxes
// found by their text, chains written out as text, and get files written as an editor writes them.

#include "app/canvas/BoxEditing.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "canvas_windows.h"
#include "app/core/Utilities.h"

#include <QFileInfo>
#include <QStringList>

namespace boxediting_test {

using namespace vellumora;

// A routine R holding a branch B with cases c1, c2, c3 (each with one block b1, b2, b3; case 3
// has a page break to its right), a loop L with one block l1, and a block z.
inline QStringList ChartLines()
{
    return QStringLiteral(
               "&&routine|&&obstinate|Obstinate1|&&text|R|&&branch|&&text|B|&&case|&&text|c1|&&block|&&text|b1|&&case|&&text|c2|"
               "&&block|&&text|b2|&&case|&&rightPage|&&text|c3|&&block|&&text|b3|&&end-branch|&&loop|&&before|"
               "&&text|L|&&block|&&text|l1|&&end-loop|&&block|&&text|z|&&end-routine")
        .split(QLatin1Char('|'));
}

inline CanvasRecord& Chart() { return B[1]; }

// The box in use whose text is this; -1 when there is none.
inline std::int16_t BoxOf(const QString& text)
{
    const CanvasRecord& c = Chart();
    for (std::size_t i = 1; i < c.BoxList.size(); ++i)
        if (c.BoxList[i].garbage == -1 && c.BoxList[i].text.text == text)
            return static_cast<std::int16_t>(i);
    return -1;
}

inline int BoxesInUse()
{
    int n = 0;
    for (std::size_t i = 1; i < Chart().BoxList.size(); ++i)
        n += Chart().BoxList[i].garbage == -1;
    return n;
}

inline int SubsInUse()
{
    int n = 0;
    for (std::size_t i = 1; i < Chart().SubList.size(); ++i)
        n += Chart().SubList[i].garbage == -1;
    return n;
}

// The texts of a chain, "a,b,c".
inline QString ChainText(std::int16_t first)
{
    QStringList texts;
    for (std::int16_t n = first; n >= 1; n = Chart().BoxList[n].after)
        texts << Chart().BoxList[n].text.text;
    return texts.join(QLatin1Char(','));
}

// The cases of a branch: "number:text[chain]" each, right-page marks as "!".
inline QString CasesText(std::int16_t box)
{
    QStringList cases;
    for (std::int16_t s = Chart().BoxList[box].subIndex; s >= 1; s = Chart().SubList[s].after) {
        const SubRecord& sub = Chart().SubList[s];
        cases << QStringLiteral("%1:%2[%3]%4")
                     .arg(sub.no)
                     .arg(sub.text.text, ChainText(sub.boxIndex),
                          (sub.flags & SubFlag::RightPage) ? QStringLiteral("!") : QString());
    }
    return cases.join(QLatin1Char(' '));
}

// Every box and sub line in use is reached from the canvas's first box: nothing was orphaned.
inline int Reachable(std::int16_t first)
{
    int n = 0;
    for (std::int16_t b = first; b >= 1; b = Chart().BoxList[b].after) {
        ++n;
        for (std::int16_t s = Chart().BoxList[b].subIndex; s >= 1; s = Chart().SubList[s].after)
            n += 1 + Reachable(Chart().SubList[s].boxIndex);
    }
    return n;
}

// A get file as the editor writes it.
inline void GetFileWrite(const QString& path, const std::vector<PadInfoRecord>& records)
{
    PadFileCreate(path);
    for (const PadInfoRecord& r : records)
        PadInfoWrite(r);
    PadFileFinish();
}

inline PadInfoRecord BoxRecordMake(std::int32_t tagId, const QString& text)
{
    return PadInfoMake(tagId, text);
}

inline PadInfoRecord CaseRecordMake(const QString& name, std::int16_t number, const QString& text)
{
    PadInfoRecord r = PadInfoMake(TagId::Case, text);
    r.name = name;
    r.number = number;
    return r;
}

} // namespace boxediting_test
