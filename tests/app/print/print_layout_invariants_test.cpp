// Block layouts with the installed fonts: exact twips depend on the fonts, so these check what
// must hold for any font, on the samples and on generated charts of about a thousand boxes:
// every box stands inside the report body of exactly one block, every mark of a block lies
// inside the body, and every continuation number is written on exactly two marks.

#include "../diagram/chart_writer.h"
#include "print_layout_support.h"

#include "support/SampleDocuments.h"

#include <map>
#include <set>

using namespace print_test;

namespace {

struct Body {
    const char* why;
    std::int32_t width, height;
};
const Body kBodies[] = {
    {"A4 portrait", 10206, 13428},
    {"A4 landscape", 15138, 8496},
    {"a small body", 6000, 7000},
};

// Checks the blocks of the canvas laid out last (the work copy in slot 0); the blocks that no
// box names (left by attempts that a retry undid) are never printed and not checked.
::testing::AssertionResult BlocksSound(std::int16_t canvas)
{
    std::set<std::int16_t> used;
    std::set<std::int16_t> seen;
    std::string fault;
    auto inside = [](const Point& xy, const Point& size) {
        return xy.xw >= 0 && xy.yh >= 0 && std::int64_t(xy.xw) + size.xw <= RS.reportWidth &&
               std::int64_t(xy.yh) + size.yh <= RS.reportHeight;
    };
    auto chain = [&](auto&& self, std::int16_t first) -> void {
        for (std::int16_t n = first; n >= 1 && fault.empty(); n = WorkBox(n).after) {
            const BoxRecord& box = WorkBox(n);
            if (!seen.insert(n).second) {
                fault = "box " + std::to_string(n) + " is reached twice";
                return;
            }
            if (box.blockIndex < 1 || box.blockIndex >= std::int16_t(RW.BlockList.size()) ||
                RW.BlockList[std::size_t(box.blockIndex)].canvas != canvas)
                fault = "box " + std::to_string(n) + " is in no block of its canvas";
            else if (!inside(box.xy, box.sizeP))
                fault = "box " + std::to_string(n) + " leaves the report body at " + Str(box.xy) + " size " +
                        Str(box.sizeP);
            used.insert(box.blockIndex);
            for (std::int16_t s = box.subIndex; s >= 1 && fault.empty(); s = WorkSub(s).after) {
                if (WorkSub(s).boxIndex >= 1) {
                    used.insert(WorkSub(s).blockIndex);
                    self(self, WorkSub(s).boxIndex);
                }
            }
        }
    };
    chain(chain, B[0].header.firstBox);
    if (!fault.empty())
        return ::testing::AssertionFailure() << fault;

    std::map<std::int16_t, int> marks;
    for (std::int16_t n : used) {
        const BlockRecord& block = RW.BlockList[std::size_t(n)];
        if (block.size.xw > RS.reportWidth || block.size.yh > RS.reportHeight)
            return ::testing::AssertionFailure() << "block " << n << " is larger than the body";
        for (const ConnectorRecord& mark : block.connector) {
            if (!inside(mark.xy, mark.sizeP))
                return ::testing::AssertionFailure() << "mark " << mark.connectorNo << " of block " << n
                                                     << " leaves the body at " << Str(mark.xy);
            ++marks[mark.connectorNo];
        }
    }
    for (const auto& [number, count] : marks)
        if (count != 2)
            return ::testing::AssertionFailure() << "mark " << number << " is written " << count << " times";
    return ::testing::AssertionSuccess();
}

class LayoutInvariants : public LayoutTest {
protected:
    LayoutInvariants() : LayoutTest(false, CanvasSizeRecord{0, 0, 283, 283, 283, 283}) {}

    void SetUp() override
    {
        LayoutTest::SetUp();
        platform::msgbox::ShownBoxes().clear();
        PrintProgressSet({});
    }
    void TearDown() override
    {
        PrintWorkClear();
        RS = ReportSettingRecord::Default;
        LayoutTest::TearDown();
    }

    // Lays out every canvas of B in one job; true when all of them were laid out.
    bool Job(std::vector<std::int16_t> canvases, std::int32_t width, std::int32_t height)
    {
        RS.reportWidth = width;
        RS.reportHeight = height;
        for (std::int16_t c : canvases)
            LayoutRun(c);
        PrintLayoutInitialize(canvases);
        for (std::int16_t c : canvases) {
            if (PrintLayoutBlocks(c))
                return false;
            EXPECT_TRUE(BlocksSound(c)) << "canvas " << c;
        }
        return true;
    }
};

TEST_F(LayoutInvariants, TheSamplesLayOutSoundly)
{
    for (const QString& path : testsupport::SampleDocuments()) {
        if (!path.endsWith(QStringLiteral(".txt")))
            continue;
        for (const Body& body : kBodies) {
            SCOPED_TRACE(path.toStdString() + ", " + body.why);
            DocumentLoad(path);
            std::vector<std::int16_t> canvases;
            for (std::size_t c = 1; c < B.size(); ++c)
                canvases.push_back(static_cast<std::int16_t>(c));
            EXPECT_TRUE(Job(canvases, body.width, body.height));
            EXPECT_TRUE(platform::msgbox::ShownBoxes().empty());
            PrintWorkClear();
        }
    }
}

TEST_F(LayoutInvariants, GeneratedChartsLayOutSoundly)
{
    int laidOut = 0;
    int runs = 0;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (const Body& body : kBodies) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + body.why);
            platform::msgbox::ShownBoxes().clear();
            DocumentParse(ChartWriter(seed).Routine(200));
            ++runs;
            const bool done = Job({kCanvas}, body.width, body.height);
            EXPECT_GE(Canvas().header.boxCount, 700);
            if (done) {
                ++laidOut;
                EXPECT_TRUE(platform::msgbox::ShownBoxes().empty());
            } else {
                // Only a box that fits no page stops a job, with its message once.
                ASSERT_EQ(platform::msgbox::ShownBoxes().size(), 1u);
                EXPECT_EQ(platform::msgbox::ShownBoxes()[0].prompt, BoxTooLargeMessage);
            }
            PrintWorkClear();
        }
    }
    EXPECT_GE(laidOut * 4, runs * 3) << "most generated charts lay out";
}

} // namespace
