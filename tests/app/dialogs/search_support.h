#pragma once

// Shared by the search engine and search dialog tests: a document of two canvases whose boxes
// hold the texts the searches look for, opened and redrawn as the main window's Open does.

#include "app/canvas/CanvasForm.h"
#include "app/diagram/paddraw_support.h"
#include "app/dialogs/SearchEngine.h"
#include "app/shell/ApplicationGlobals.h"

namespace search_test {

using namespace vellumora;

// Canvas 1 "Alpha": a two-line block, a branch with two case texts, a label. Canvas 2 "Beta":
// full-width text and a block with two matches. Break boxes carry no text and are never searched.
inline QStringList TwoCanvasLines()
{
    return paddraw_test::DocumentLines({
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
    });
}

class SearchTest : public paddraw_test::PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        SearchReset();
        ApplicationGlobals.SearchSettings = SearchSettingsRecord::Default;
        open(document(QStringLiteral("two.txt"), TwoCanvasLines()));
        PadDrawRefresh(-1);
    }
    void TearDown() override
    {
        SearchReset();
        PadDrawTest::TearDown();
    }

    static CanvasForm& Form(std::int16_t c) { return *Canvas(c).form; }
    static BoxRecord& Box(std::int16_t c, std::int16_t b) { return Canvas(c).BoxList[static_cast<std::size_t>(b)]; }

    // Every box and case text of the document in walk order, "|" between texts, for tables that
    // show what a replacement left.
    static QString DocumentText()
    {
        QStringList texts;
        for (std::size_t c = 1; c < B.size(); ++c) {
            const CanvasRecord& canvas = B[c];
            for (std::size_t b = 1; b < canvas.BoxList.size(); ++b)
                if (!canvas.BoxList[b].text.text.isEmpty())
                    texts << canvas.BoxList[b].text.text;
            for (std::size_t s = 1; s < canvas.SubList.size(); ++s)
                if (!canvas.SubList[s].text.text.isEmpty())
                    texts << canvas.SubList[s].text.text;
        }
        return texts.join(u'|');
    }
};

} // namespace search_test
