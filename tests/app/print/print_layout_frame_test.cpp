// The frame of a print job's layout with the fake measurer: page estimate and mark templates,
// the block list and its skyline, continuation-mark labels, and the work copy.

#include "print_layout_support.h"

using namespace print_test;

namespace {

class LayoutFrame : public PrintLayoutTest {};

TEST_F(LayoutFrame, ThePageEstimateSizesTheMarkLabel)
{
    struct Row {
        const char* why;
        int canvases;
        std::int32_t width, height;  // of each canvas
        std::int16_t estimate, digits;
    };
    const Row rows[] = {
        {"one small canvas", 1, 5000, 5000, 1, 1},
        {"ten small canvases count one page each", 10, 5000, 5000, 10, 2},
        {"ten report bodies count 12 pages, 1.3 being held in single precision", 1, 4 * 10206, 1 * 13428, 12, 2},
        {"3 x 4 report bodies count 4 x 5 = 20 pages, 25 not 26", 1, 3 * 10206, 4 * 13428, 25, 3},
        {"a huge job is clamped to 32767 pages", 3, 2000000000, 2000000000, 32767, 6},
        {"no canvas still gives a one-digit label", 0, 0, 0, 0, 1},
    };
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        B.assign(1, CanvasRecord{});
        std::vector<std::int16_t> list;
        for (int i = 0; i < row.canvases; ++i) {
            B.emplace_back();
            B.back().header.width = row.width;
            B.back().header.height = row.height;
            list.push_back(static_cast<std::int16_t>(B.size() - 1));
        }
        PrintLayoutInitialize(list);
        EXPECT_EQ(RW.pageEstimate, row.estimate);
        EXPECT_EQ(RW.labelDigits, row.digits);
        EXPECT_EQ(RW.labelSize, (Point{100 * row.digits, 250}));
        EXPECT_TRUE(RW.BlockList.empty());
        EXPECT_EQ(RW.PageList.size(), 1u);
        EXPECT_EQ(RW.connectorCount, 0);
    }
}

TEST_F(LayoutFrame, TheMarkTemplatesFollowTheLabel)
{
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    PrintLayoutInitialize({kCanvas});
    // Label 100 x 250, joint margins 50 and 125.
    EXPECT_EQ(RW.joint[0].sizeP, (Point{100 + 50 + 250, 500}));
    EXPECT_EQ(Str(std::vector<FigureData>(RW.joint[0].draw.begin(), RW.joint[0].draw.end())),
              "(0,0)-(150,0) (0,0)-(0,500) (0,500)-(150,500) (150,0)-(400,250) (150,500)-(400,250) k0@0,0r0 "
              "k0@0,0r0");
    EXPECT_EQ(RW.joint[1].sizeP, (Point{200, 250 + 125 + 100}));
    EXPECT_EQ(Str(std::vector<FigureData>(RW.joint[1].draw.begin(), RW.joint[1].draw.begin() + 5)),
              "(0,0)-(200,0) (0,0)-(0,375) (200,0)-(200,375) (0,375)-(100,475) (200,375)-(100,475)");
    EXPECT_TRUE(RW.fileDate.isEmpty()) << "a document never saved has no file date";
    EXPECT_EQ(RW.printTime.size(), 19);
}

TEST_F(LayoutFrame, AJobWithoutRoomOnThePageIsRefused)
{
    struct Row {
        const char* why;
        std::int32_t width, height;
    };
    const Row rows[] = {
        {"margins wider than the paper", -120, 13428},
        {"bands taller than the paper", 10206, 0},
        {"an unknown paper leaves the sizes at 0", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RS.reportWidth = row.width;
        RS.reportHeight = row.height;
        RW.connectorCount = 7;
        EXPECT_FALSE(ReportAreaUsable());
        try {
            PrintLayoutInitialize({kCanvas});
            ADD_FAILURE() << "the job started";
        } catch (const ::platform::vbrt::Error& e) {
            EXPECT_EQ(e.description(), ReportAreaTooSmallMessage);
            EXPECT_EQ(e.number(), -2147220991);
        }
        EXPECT_EQ(RW.connectorCount, 7) << "the work record is not touched";
        EXPECT_EQ(RS.reportWidth, row.width) << "the report settings keep what was computed";
    }
}

TEST_F(LayoutFrame, BlocksAreNumberedFromOneWithAZeroedSkyline)
{
    RS.reportWidth = 10000;
    RS.reportHeight = 13000;
    LO.horizontalGap = 240;
    RW.canvas = 3;
    EXPECT_EQ(BlockListAdd(0), 1);
    EXPECT_EQ(BlockListAdd(0x81), 2);
    ASSERT_EQ(RW.BlockList.size(), 3u);
    EXPECT_EQ(RW.BlockList[0].peakSet.size(), 0u) << "entry 0 is a filler";
    EXPECT_EQ(RW.BlockList[1].peakSet, std::vector<std::int32_t>(43, 0)) << "columns 0 to 42";
    EXPECT_EQ(RW.BlockList[2].flags, 0x81);
    EXPECT_EQ(RW.BlockList[2].canvas, 3);
    EXPECT_EQ(RW.BlockList[2].connectorNo, -1);
    EXPECT_EQ(RW.BlockList[2].fileNo, -1);
    EXPECT_EQ(RW.BlockList[2].joinLevel, -1);
}

TEST_F(LayoutFrame, TheSkylineKeepsGapsAndStaysInsideTheBody)
{
    RS.reportWidth = 10000;
    RS.reportHeight = 5000;
    LO.horizontalGap = 240;
    LO.verticalGap = 250;
    const std::int16_t block = BlockListAdd(0);
    std::vector<std::int32_t>& peaks = RW.BlockList[block].peakSet;

    SkylineRaise(block, 10, 15, 700);
    EXPECT_EQ(peaks[0], 0);
    EXPECT_EQ(peaks[1], 700) << "an item narrower than a column raises the next column start";
    EXPECT_EQ(peaks[2], 0);

    EXPECT_EQ(SkylineGetY(block, 0, 10, 0), 700) << "x 0 reads from column 0, one gap to the right";
    EXPECT_EQ(SkylineGetY(block, 0, 10, 900), 900) << "never above the given y";
    EXPECT_EQ(SkylineGetY(block, 480, 100, 0), 700) << "one gap to the left reaches column 1";
    EXPECT_EQ(SkylineGetY(block, 960, 100, 0), 0) << "more than a gap to the right of column 1";

    SkylineRegister(block, {9000, 4800}, {2000, 100}, true);
    EXPECT_EQ(peaks[38], 5000) << "bottom plus gap is clipped to the report height";
    EXPECT_EQ(peaks[41], 5000) << "the last column within the width";
    EXPECT_EQ(RW.BlockList[block].size, (Point{10000, 5000})) << "the extent is clipped to the body";
    EXPECT_EQ(SkylineGetY(block, 9900, 5000, 0), 5000) << "a wide item reads columns up to the width only";
}

TEST_F(LayoutFrame, AMarkLabelIsMeasuredInTheDocumentFont)
{
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    PrintLayoutInitialize({kCanvas});
    const LayoutConstants documentFont = LO;
    // A box in a 20-point font was measured last.
    FontSelect(200 << 16, 0);
    ASSERT_NE(LO.routineLineGap, documentFont.routineLineGap);

    const InternalCode label = ConnectorLabelMake(7);
    EXPECT_EQ(label.text, QStringLiteral("7"));
    EXPECT_EQ(label.lineCount, 1);
    EXPECT_EQ(label.size, (Point{100, 250}));
    EXPECT_EQ(label.xy, (Point{0 + 50, 125})) << "centred in the label width, below the top margin";
    EXPECT_EQ(LO.routineLineGap, documentFont.routineLineGap) << "the mark leaves the default font selected";
    EXPECT_EQ(LO.jointHorizontal, documentFont.jointHorizontal);
}

TEST_F(LayoutFrame, TheWorkCopyIsTheCanvasWithoutEditors)
{
    DocumentParse(Routine({"&&block", "&&text", "A", "&&block", "&&text", "B"}));
    LayoutRun();
    const std::int16_t a = Find(QStringLiteral("A"));
    Box(a).flags |= BoxFlag::ModifyEditorOpen;
    QString caption;
    PrintProgressSet({[&](const QString& text) { caption = text; }, {}, {}});
    Canvas().header.name = QStringLiteral("main");
    Canvas().header.number = 4;

    PrintCanvasCopy(kCanvas);
    EXPECT_EQ(caption, QStringLiteral("main:4"));
    ASSERT_EQ(B[0].BoxList.size(), Canvas().BoxList.size()) << "every index means the same box";
    EXPECT_EQ(B[0].BoxList[a].text.text, QStringLiteral("A"));
    EXPECT_FALSE(B[0].BoxList[a].flags & BoxFlag::ModifyEditorOpen);
    EXPECT_TRUE(Box(a).flags & BoxFlag::ModifyEditorOpen) << "the canvas itself is not changed";
    EXPECT_EQ(PR.yAdjust.size(), static_cast<std::size_t>(Canvas().header.maxLevel + 2));
}

TEST_F(LayoutFrame, ClearingTheJobEmptiesEverything)
{
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    PrintLayoutInitialize({kCanvas});
    BlockListAdd(0);
    PrintWorkClear();
    EXPECT_EQ(RW, PrintWorkRecord::Default);
}

} // namespace
