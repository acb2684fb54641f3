#pragma once

// Shared by the layout tests (on top of the parser tests' services and documents): the three
// layout passes, the layout constants of the document font as a canvas slot sets them up, a
// fixture with the measurer, settings and canvas spaces of a test, and figures as text.

#include "parser_support.h"

#include "app/core/CanvasSize.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/ListPreparation.h"
#include "app/diagram/VerticalPass.h"
#include "platform/textmeasure/TextMeasure.h"
#include "platform/vbrt/Value.h"

#include <string>
#include <vector>

namespace layout_test {

using namespace parser_test;

// The document font at 10 points on the printer, and the gaps a canvas slot derives from it.
inline void DocumentFontApply()
{
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
    DrawStateReset(0);
    FontSelect(0, 0);
    LO.yAdjustAllow = static_cast<std::int32_t>(platform::vbrt::Int(LO.charHeight / 3.0));
    LO.lineLabelWidth = static_cast<std::int32_t>(platform::vbrt::Int(LO.charWidth / 2.0));
    LayoutGapsSet(LO);
}

// Parses tagged text (one routine or note and its contents) into canvas 1.
inline void DocumentParse(const QStringList& lines)
{
    QTemporaryDir folder;
    CanvasesReset();
    InputOpen(folder, lines);
    BoxListMake(kCanvas, -1);
    PadFileClose();
}

// The three passes as a redraw runs them.
inline void LayoutRun(std::int16_t canvas = kCanvas)
{
    BoxListPrepare(canvas, -1, false);
    BoxTreeXPosition(canvas, -1, 0, 0);
    BoxTreeYPosition(canvas, -1);
}

// The first box in use of a kind.
inline std::int16_t FindKind(std::int32_t tagId, std::int16_t canvas = kCanvas)
{
    const auto& list = Canvas(canvas).BoxList;
    for (std::size_t n = 1; n < list.size(); ++n)
        if (list[n].garbage < 0 && list[n].tagType == tagId)
            return static_cast<std::int16_t>(n);
    ADD_FAILURE() << "no box of kind " << tagId;
    return 0;
}

inline std::string Str(const Point& p) { return std::to_string(p.xw) + "," + std::to_string(p.yh); }

inline std::string Str(const FigureData& f)
{
    if (f.kind == FigureKind::Line)
        return "(" + Str(f.s) + ")-(" + Str(f.e) + ")";
    return "k" + std::to_string(f.kind) + "@" + Str(f.s) + "r" + std::to_string(f.radius);
}

inline std::string Str(const std::vector<FigureData>& figures)
{
    std::string s;
    for (const FigureData& f : figures)
        s += (s.empty() ? "" : " ") + Str(f);
    return s;
}

// The measurer, the note and jump settings and the canvas spaces of one test; the defaults of
// the vertical pass's limits.
class LayoutTest : public ::testing::Test {
protected:
    LayoutTest(bool fakeMeasurer, CanvasSizeRecord spaces) : fake_(fakeMeasurer), spaces_(spaces) {}

    void SetUp() override
    {
        platform::textmeasure::UseFakeTextMeasurer(fake_);
        ApplicationGlobals.NoteNotShow = false;
        ApplicationGlobals.ReplaceJump = false;
        DocumentFontApply();
        CanvasSize = spaces_;
        VerticalLimits = VerticalPassLimits{};
        CanvasesReset();
    }
    void TearDown() override
    {
        B.clear();
        ApplicationGlobals.NoteNotShow = false;
        ApplicationGlobals.ReplaceJump = false;
        VerticalLimits = VerticalPassLimits{};
        platform::textmeasure::UseFakeTextMeasurer(false);
    }

private:
    bool fake_;
    CanvasSizeRecord spaces_;
};

} // namespace layout_test
