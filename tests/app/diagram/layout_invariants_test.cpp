// Layouts with the installed fonts: exact twips depend on the fonts, so these check what must
// hold for any font: shown boxes never overlap, the boxes below a sub line stand right of
// their owner, a chain runs from top to bottom, everything lies inside the canvas, and shown
// boxes are numbered once each.

#include "chart_writer.h"
#include "layout_support.h"

#include <QDir>

#include <map>

using namespace layout_test;

namespace {

struct Rect {
    std::int16_t box;
    std::int64_t x1, y1, x2, y2;
};

::testing::AssertionResult LayoutSound(std::int16_t canvas)
{
    const CanvasRecord& c = Canvas(canvas);
    std::vector<Rect> rects;
    std::map<std::int16_t, int> numbers;
    std::string fault;

    auto chain = [&](auto&& self, std::int16_t first, const BoxRecord* owner) -> void {
        const BoxRecord* previous = nullptr;
        for (std::int16_t n = first; n >= 0 && fault.empty(); n = c.BoxList[n].after) {
            const BoxRecord& b = c.BoxList[n];
            if (!(b.flags & BoxFlag::Shown))
                continue;
            rects.push_back({n, b.xy.xw, b.xy.yh, std::int64_t(b.xy.xw) + b.sizeP.xw, std::int64_t(b.xy.yh) + b.sizeP.yh});
            ++numbers[b.no];
            if (owner && b.xy.xw < std::int64_t(owner->xy.xw) + owner->sizeS.xw)
                fault = "box " + std::to_string(n) + " stands left of its owner's right edge";
            if (previous && b.xy.yh < std::int64_t(previous->xy.yh) + previous->sizeP.yh)
                fault = "box " + std::to_string(n) + " starts above the bottom of the box before it";
            if (b.xy.xw + b.sizeP.xw > c.header.width || b.xy.yh + b.sizeP.yh > c.header.height)
                fault = "box " + std::to_string(n) + " leaves the canvas";
            for (std::int16_t s = b.subIndex; s >= 0 && fault.empty(); s = c.SubList[s].after)
                if (c.SubList[s].boxIndex > 0)
                    self(self, c.SubList[s].boxIndex, &b);
            previous = &b;
        }
    };
    chain(chain, c.header.firstBox, nullptr);
    if (!fault.empty())
        return ::testing::AssertionFailure() << fault;

    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const Rect& a = rects[i];
            const Rect& b = rects[j];
            if (a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2)
                return ::testing::AssertionFailure() << "boxes " << a.box << " and " << b.box << " overlap";
        }
    const bool numbered = numbers.empty() ? c.header.boxCount == 0
                                          : static_cast<int>(numbers.size()) == c.header.boxCount &&
                                                numbers.begin()->first == 1 && numbers.rbegin()->first == c.header.boxCount;
    if (!numbered)
        return ::testing::AssertionFailure() << "shown boxes are not numbered 1 to " << c.header.boxCount << " once each";
    return ::testing::AssertionSuccess();
}

// Position and painted size of every box in tree order: slots of generated labels may change
// between runs, the diagram may not.
std::vector<Point> Placement(std::int16_t canvas)
{
    const CanvasRecord& c = Canvas(canvas);
    std::vector<Point> points;
    auto chain = [&](auto&& self, std::int16_t first) -> void {
        for (std::int16_t n = first; n >= 0; n = c.BoxList[n].after) {
            const BoxRecord& b = c.BoxList[n];
            points.push_back(b.xy);
            points.push_back(b.sizeP);
            for (std::int16_t s = b.subIndex; s >= 0; s = c.SubList[s].after) {
                points.push_back(c.SubList[s].xy[0]);
                if (c.SubList[s].boxIndex > 0)
                    self(self, c.SubList[s].boxIndex);
            }
        }
    };
    chain(chain, c.header.firstBox);
    return points;
}

class LayoutInvariants : public LayoutTest {
protected:
    LayoutInvariants() : LayoutTest(false, CanvasSizeRecord{0, 0, 283, 283, 283, 283}) {}
};

TEST_F(LayoutInvariants, SampleDocumentsWithNotesShownAndHidden)
{
    const QDir samples(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples"));
    for (const QString& name : samples.entryList({QStringLiteral("*.txt")})) {
        for (const bool hidden : {false, true}) {
            SCOPED_TRACE(name.toStdString() + (hidden ? " with notes hidden" : " with notes shown"));
            DocumentLoad(samples.filePath(name));
            ApplicationGlobals.NoteNotShow = hidden;
            ApplicationGlobals.ReplaceJump = hidden;
            DocumentFontApply();
            for (std::int16_t canvas = 1; canvas < static_cast<std::int16_t>(B.size()); ++canvas) {
                LayoutRun(canvas);
                EXPECT_TRUE(LayoutSound(canvas)) << "canvas " << canvas;
            }
        }
    }
}

TEST_F(LayoutInvariants, GeneratedChartsOfEveryKind)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        for (const bool replaceJump : {false, true}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (replaceJump ? " with jumps to labels" : ""));
            ApplicationGlobals.ReplaceJump = replaceJump;
            ApplicationGlobals.NoteNotShow = seed % 3 == 0;
            DocumentParse(ChartWriter(seed).Routine(12));
            LayoutRun();
            EXPECT_TRUE(LayoutSound(kCanvas));
            // A second redraw of the same chart gives the same layout.
            const std::vector<Point> first = Placement(kCanvas);
            const CanvasHeader header = Canvas().header;
            LayoutRun();
            EXPECT_TRUE(Placement(kCanvas) == first);
            EXPECT_EQ(Canvas().header.height, header.height);
            EXPECT_EQ(Canvas().header.width, header.width);
        }
    }
}

} // namespace
