#pragma once

// The document the search tests look through: two canvases whose boxes hold the texts searched.

#include "app/core/ApplicationGlobals.h"

#include <QStringList>

namespace search_test {

// Canvas 1 "Alpha": a two-line block, a loop around a branch with two case texts, a label. Canvas
// 2 "Beta": full-width text and a block with two matches. The break box carries no text and is
// never searched.
inline QStringList TwoCanvasLines()
{
    return {
        "&&document",
        "&&routine", "&&text", "Alpha apple",
        "&&block", "&&text", "one apple", "two Apple",
        "&&loop", "&&text", "each applet",
        "&&branch", "&&text", "kind", "&&case", "&&text", "red apple", "&&block", "&&text", "eat",
        "&&break",
        "&&case", "&&text", "green", "&&end-branch",
        "&&end-loop",
        "&&label", "&&text", "pear redo",
        "&&end-routine",
        "&&routine", "&&text", QStringLiteral("Beta"),
        "&&block", "&&text", QStringLiteral("ａｐｐｌｅは林檎"),
        "&&block", "&&text", QStringLiteral("pineapple apple"),
        "&&end-routine",
        "&&end-document",
    };
}

// Every box text and case text of the open document, canvas by canvas in slot order, "|" between
// texts: what a replacement table compares.
inline QString DocumentText()
{
    QStringList texts;
    for (std::size_t c = 1; c < vellumora::B.size(); ++c) {
        const vellumora::CanvasRecord& canvas = vellumora::B[c];
        for (std::size_t b = 1; b < canvas.BoxList.size(); ++b)
            if (!canvas.BoxList[b].text.text.isEmpty())
                texts << canvas.BoxList[b].text.text;
        for (std::size_t s = 1; s < canvas.SubList.size(); ++s)
            if (!canvas.SubList[s].text.text.isEmpty())
                texts << canvas.SubList[s].text.text;
    }
    return texts.join(u'|');
}

} // namespace search_test
