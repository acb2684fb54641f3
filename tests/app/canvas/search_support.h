#pragma once

// The search engine tests: the document of two canvases opened and redrawn as the main window's
// Open does, and the texts of the whole document for the replacement tables.

#include "app/canvas/CanvasForm.h"
#include "canvas_windows.h"
#include "app/diagram/SearchEngine.h"
#include "app/core/ApplicationGlobals.h"
#include "../diagram/search_fixture.h"

namespace search_test {

using namespace vellumora;

class SearchTest : public paddraw_test::PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        SearchReset();
        ApplicationGlobals.SearchSettings = SearchSettingsRecord::Default;
        open(write(QStringLiteral("two.txt"), paddraw_test::DocumentBytes(TwoCanvasLines())));
        PadDrawRefresh(-1);
    }
    void TearDown() override
    {
        SearchReset();
        PadDrawTest::TearDown();
    }

    static CanvasForm& Form(std::int16_t c) { return dynamic_cast<CanvasForm&>(*Canvas(c).form); }
    static BoxRecord& Box(std::int16_t c, std::int16_t b) { return Canvas(c).BoxList[static_cast<std::size_t>(b)]; }
};

} // namespace search_test
