// Layouts with the fake text measurer, written down by hand from the layout rules. With the
// document font at 10 points the measurer gives "A" 100 x 250 twips, so: inner margins 100
// (left, right) and 125 (top, bottom), horizontal gap 200, vertical gap 250, allowance 83.

#include "layout_support.h"

#include "support/RaisedError.h"

using namespace layout_test;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

class LayoutGolden : public LayoutTest {
protected:
    LayoutGolden() : LayoutTest(true, CanvasSizeRecord{0, 0, 300, 4000, 200, 3000}) {}

    static QStringList Routine(const QStringList& body)
    {
        return QStringList{"&&routine", "&&text", "R"} + body + QStringList{"&&end-routine"};
    }
};

TEST_F(LayoutGolden, MeasuredConstantsAreTheOnesTheseCasesAssume)
{
    EXPECT_EQ(LO.charWidth, 100);
    EXPECT_EQ(LO.charHeight, 250);
    EXPECT_EQ(LO.horizontalGap, 200);
    EXPECT_EQ(LO.verticalGap, 250);
    EXPECT_EQ(LO.yAdjustAllow, 83);
    EXPECT_EQ(LO.branchTop, 62);
    EXPECT_EQ(LO.freeStyleHorizontal, 70);
    EXPECT_EQ(LO.freeStyleVertical, 175);
}

TEST_F(LayoutGolden, EverySimpleKindGetsItsSizeTextPlaceAndFigures)
{
    DocumentParse(Routine({"&&block", "&&text", "AB",          //
                           "&&declare", "&&text", "DECL",      //
                           "&&input", "&&text", "INPU",        //
                           "&&output", "&&text", "OUTP",       //
                           "&&external", "&&text", "EXTE",     //
                           "&&label", "&&text", "LABE",        //
                           "&&jump", "&&text", "JUMP",         //
                           "&&break",                          //
                           "&&continue",                       //
                           "&&note", "&&text", "NO",           //
                           "&&chink",                          //
                           "&&loop", "&&text", "LA", "&&block", "&&text", "b1", "&&end-loop", //
                           "&&loop", "&&before", "&&text", "LB", "&&block", "&&text", "b2", "&&end-loop"}));
    LayoutRun();

    struct Row {
        const char* why;
        std::int16_t box;
        Point size;
        Point text;
        std::string figures;
    };
    const std::string none = "k0@0,0r0";
    const Row rows[] = {
        {"block: a frame painting draws, at least two gaps wide", Find("AB"), {400, 500}, {100, 125}, none},
        {"declare: two bars half a character in", Find("DECL"), {700, 500}, {150, 125},
         "(50,0)-(50,500) (650,0)-(650,500)"},
        {"input: upper right corner cut", Find("INPU"), {650, 500}, {100, 125},
         "(0,0)-(600,0) (0,500)-(650,500) (0,0)-(0,500) (650,50)-(650,500) (600,0)-(650,50)"},
        {"output: lower right corner cut", Find("OUTP"), {650, 500}, {100, 125},
         "(0,0)-(650,0) (0,500)-(600,500) (0,0)-(0,500) (650,0)-(650,450) (600,500)-(650,450)"},
        {"external: two rules", Find("EXTE"), {600, 650}, {100, 200}, "(0,75)-(600,75) (0,575)-(600,575)"},
        {"label: a capsule", Find("LABE"), {800, 400}, {200, 75},
         "k3@200,200r200 k4@600,200r200 (200,0)-(600,0) (200,400)-(600,400)"},
        {"jump: goto and the target in a capsule", Find("JUMP"), {1430, 500}, {730, 125},
         "k3@730,250r200 k4@1130,250r200 (730,50)-(1130,50) (730,450)-(1130,450)"},
        {"note: its left edge", Find("NO"), {400, 500}, {100, 125}, "(0,0)-(0,500)"},
        {"chink: no room", FindKind(TagId::Chink), {0, 0}, {0, 0}, none},
        {"loop tested after: bar at the right", Find("LA"), {450, 500}, {100, 125}, "(400,0)-(400,500)"},
        {"loop tested before: bar and text at the left", Find("LB"), {450, 500}, {150, 125}, "(50,0)-(50,500)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const BoxRecord& b = Box(row.box);
        EXPECT_EQ(Str(b.sizeS), Str(row.size));
        EXPECT_EQ(Str(b.text.xy), Str(row.text));
        EXPECT_EQ(Str(b.draw), row.figures);
    }

    const BoxRecord& jump = Box(Find("JUMP"));
    EXPECT_EQ(jump.text2.text, "goto");
    EXPECT_EQ(Str(jump.text2.xy), "100,125");

    // Break and continue without a generated label are squares that ignore their text.
    const BoxRecord& brk = Box(FindKind(TagId::Break));
    EXPECT_EQ(Str(brk.sizeS), "333,333");
    EXPECT_EQ(Str(brk.draw), "(333,0)-(0,166) (333,333)-(0,166)");
    const BoxRecord& cont = Box(FindKind(TagId::Continue));
    EXPECT_EQ(Str(cont.sizeS), "333,333");
    EXPECT_EQ(Str(cont.draw), "(0,0)-(166,333) (333,0)-(166,333)");

    // The loop body hangs from the middle of the loop box.
    EXPECT_EQ(Str(Sub(Box(Find("LA")).subIndex).draw), "(0,250)-(200,250)");
}

TEST_F(LayoutGolden, TreeBoxIsRuledAndLeadsToItsSubModulesFromItsMiddle)
{
    DocumentParse({"&&routine", "&&obstinate", "Obstinate2", "&&text", "R", "&&tree", "&&text", "AB", "&&tree", "&&text",
                   "CD", "&&end-tree", "&&end-tree", "&&end-routine"});
    LayoutRun();
    const BoxRecord& tree = Box(Find("AB"));
    EXPECT_EQ(Str(tree.sizeS), "400,650");
    EXPECT_EQ(Str(tree.text.xy), "100,200");
    EXPECT_EQ(Str(tree.draw), "(0,75)-(400,75) (0,575)-(400,575)");
    EXPECT_EQ(Str(Sub(tree.subIndex).draw), "(0,325)-(200,325)");
    EXPECT_EQ(Str(Sub(Box(Find("CD")).subIndex).draw), "k0@0,0r0") << "a tree without sub modules has no stub";
}

TEST_F(LayoutGolden, BreakTurnedIntoAJumpToItsGeneratedLabelTakesTheJumpShape)
{
    ApplicationGlobals.ReplaceJump = true;
    DocumentParse(Routine({"&&loop", "&&text", "L", "&&break", "&&end-loop"}));
    LayoutRun();
    const std::int16_t loop = Find("L");
    const BoxRecord& brk = Box(FindKind(TagId::Break));
    ASSERT_EQ(brk.text.text, BreakLabelText(BreakLabelKind::Break, loop));
    // goto (400) and the label text (100 a character) in a capsule of radius 200.
    const std::int32_t W = 100 + 400 + 30 + 2 * 200 + 100 * static_cast<std::int32_t>(brk.text.text.size()) + 100;
    EXPECT_EQ(Str(brk.sizeS), Str(Point{W, 500}));
    EXPECT_EQ(brk.text2.text, "goto");
    EXPECT_EQ(Str(brk.draw), "k3@730,250r200 k4@" + std::to_string(W - 300) + ",250r200 (730,50)-(" +
                                 std::to_string(W - 300) + ",50) (730,450)-(" + std::to_string(W - 300) + ",450)");
}

TEST_F(LayoutGolden, FreeStyleOutlinesFollowTheirStyleBytes)
{
    struct Row {
        const char* why;
        QStringList style;
        Point size;
        Point text;
        std::string figures;
    };
    const Row rows[] = {
        {"no style: a plain rectangle with the plain insets", {}, {540, 850}, {170, 300},
         "(0,0)-(540,0) (0,850)-(540,850) (0,0)-(0,850) (540,0)-(540,850)"},
        {"every corner curved and no line: radius the larger inset",
         {"leftuppercorner:curve", "rightuppercorner:curve", "leftlowercorner:curve", "rightlowercorner:curve"},
         {750, 850},
         {275, 300},
         "k7@175,175r175 k8@575,175r175 k9@175,675r175 k10@575,675r175 "
         "(175,0)-(575,0) (175,850)-(575,850) (0,175)-(0,675) (750,175)-(750,675)"},
        {"left and upper lines with horizontal overlap: the upper line and one stub",
         {"leftline:on", "upperline:on", "overlap:horizontal"},
         {540, 850},
         {170, 300},
         "(0,0)-(540,0) (0,850)-(540,850) (0,0)-(0,850) (540,0)-(540,850) (70,0)-(70,175) (70,175)-(470,175)"},
        {"a cut and a curved corner where two lines meet",
         {"leftuppercorner:cut", "rightlowercorner:curve", "rightline:on", "lowerline:on"},
         {645, 850},
         {170, 300},
         "(70,0)-(0,175) k10@470,675r175 (70,0)-(645,0) (0,850)-(470,850) (0,175)-(0,850) (645,0)-(645,675) "
         "(470,175)-(470,675) (70,675)-(470,675)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QStringList body{"&&freeStyle"};
        if (!row.style.isEmpty())
            body << "&&style" << row.style;
        body << "&&text" << "FS";
        DocumentParse(Routine(body));
        LayoutRun();
        const BoxRecord& b = Box(Find("FS"));
        EXPECT_EQ(Str(b.sizeS), Str(row.size));
        EXPECT_EQ(Str(b.text.xy), Str(row.text));
        EXPECT_EQ(Str(b.draw), row.figures);
    }
}

TEST_F(LayoutGolden, RoutineWithTwoBlocksStacksThemBesideItsDoubleLine)
{
    DocumentParse(Routine({"&&block", "&&text", "AB", "&&block", "&&text", "ABCD"}));
    LayoutRun();

    const BoxRecord& r = Box(Find("R"));
    EXPECT_EQ(Str(r.sizeS), "400,650");
    EXPECT_EQ(Str(r.text.xy), "100,200");
    EXPECT_EQ(Str(r.draw), "(0,75)-(400,75) (0,575)-(400,575)");
    EXPECT_EQ(Str(r.xy), "300,200");
    EXPECT_EQ(Str(r.sizeP), "400,650");
    const SubRecord& body = Sub(r.subIndex);
    EXPECT_EQ(Str(body.draw), "(0,287)-(200,287) (0,362)-(200,362)");
    EXPECT_EQ(Str(body.xy[0]), "700,200");

    const BoxRecord& first = Box(Find("AB"));
    const BoxRecord& second = Box(Find("ABCD"));
    EXPECT_EQ(Str(first.xy), "900,200");
    EXPECT_EQ(Str(second.xy), "900,950") << "one vertical gap below the box above";
    EXPECT_EQ(Str(second.sizeP), "600,500");
    EXPECT_EQ(first.levelNo, 1);
    EXPECT_EQ(r.no, 1);
    EXPECT_EQ(first.no, 2);
    EXPECT_EQ(second.no, 3);
    EXPECT_TRUE(second.flags & BoxFlag::ChainEnd);
    EXPECT_FALSE(first.flags & BoxFlag::ChainEnd);

    const CanvasHeader& h = Canvas().header;
    EXPECT_EQ(h.maxLevel, 1);
    EXPECT_EQ(h.boxCount, 3);
    EXPECT_EQ(h.extentX, 1700);
    EXPECT_EQ(h.width, 5700) << "extent plus the right space";
    EXPECT_EQ(h.height, 5180) << "lowest free y (1700) plus the bottom space and 480";
    EXPECT_TRUE(PR.peakSet.empty());
    EXPECT_TRUE(PR.yAdjust.empty());
}

TEST_F(LayoutGolden, LoopBodyShorterThanTheLoopIsLaidOutAgainCentredOnItsLine)
{
    DocumentParse(Routine({"&&loop", "&&before", "&&text", "L\r\nL", "&&block", "&&text", "B", "&&end-loop",
                           "&&block", "&&text", "C"}));
    LayoutRun();

    const BoxRecord& loop = Box(Find("L\r\nL"));
    EXPECT_EQ(Str(loop.sizeS), "400,750");
    EXPECT_EQ(Str(loop.draw), "(50,0)-(50,750)");
    EXPECT_EQ(Str(Sub(loop.subIndex).draw), "(0,375)-(200,375)");
    EXPECT_EQ(Str(loop.xy), "900,200");
    EXPECT_EQ(Str(Sub(loop.subIndex).xy[0]), "1300,200");
    EXPECT_EQ(Str(Box(Find("B")).xy), "1500,325") << "its middle (575) meets the loop's line";
    EXPECT_EQ(Str(Box(Find("C")).xy), "900,1200") << "below the loop, not below its body";
}

TEST_F(LayoutGolden, BodyForcedBelowItsLineBringsTheLineAndItsLoopDownToIt)
{
    // The tall body of the first loop fills the column where the second loop's body goes.
    DocumentParse(Routine({"&&loop", "&&before", "&&text", "P", "&&block", "&&text", "T\r\nT\r\nT\r\nT", "&&end-loop",
                           "&&loop", "&&before", "&&text", "Q", "&&block", "&&text", "Y", "&&end-loop"}));
    LayoutRun();

    EXPECT_EQ(Str(Box(Find("P")).xy), "900,200");
    EXPECT_EQ(Str(Box(Find("T\r\nT\r\nT\r\nT")).xy), "1500,200");
    EXPECT_EQ(Str(Box(Find("Y")).xy), "1500,1700") << "one vertical gap below the tall body";
    const BoxRecord& q = Box(Find("Q"));
    EXPECT_EQ(Str(Sub(q.subIndex).xy[0]), "1300,1700") << "the line comes down to its body's top";
    EXPECT_EQ(Str(q.xy), "900,1700") << "and with its first sub line the loop box too";
    EXPECT_EQ(Canvas().header.height, 2450 + 3000 + 480);
}

TEST_F(LayoutGolden, KeptLayoutWhenAListMayNoLongerAskAgain)
{
    VerticalLimits.redoPerList = 0;
    DocumentParse(Routine({"&&loop", "&&before", "&&text", "L\r\nL", "&&block", "&&text", "B", "&&end-loop"}));
    LayoutRun();
    EXPECT_EQ(Str(Box(Find("B")).xy), "1500,200") << "the first layout stays";
}

TEST_F(LayoutGolden, RunThatKeepsAskingForLayoutsStopsWithAnError)
{
    VerticalLimits.placementsPerRun = 3;
    DocumentParse(Routine({"&&loop", "&&before", "&&text", "L\r\nL", "&&block", "&&text", "B", "&&end-loop",
                           "&&block", "&&text", "C"}));
    BoxListPrepare(kCanvas, -1, false);
    BoxTreeXPosition(kCanvas, -1, 0, 0);
    EXPECT_RAISES(BoxTreeYPosition(kCanvas, -1), ErrorNumber::Application);
}

TEST_F(LayoutGolden, BranchWithThreeCasesSpacesItsCaseLinesAndDrawsItsOutline)
{
    DocumentParse(Routine({"&&branch", "&&text", "S",                       //
                           "&&case", "&&text", "a", "&&block", "&&text", "X1", //
                           "&&case", "&&text", "bb", "&&block", "&&text", "X2", //
                           "&&case", "&&text", "c", "&&block", "&&text", "X3", //
                           "&&end-branch"}));
    LayoutRun();

    const BoxRecord& branch = Box(Find("S"));
    std::vector<std::int16_t> cases;
    for (std::int16_t s = branch.subIndex; s >= 0; s = Sub(s).after)
        cases.push_back(s);
    ASSERT_EQ(cases.size(), 3u);
    const SubRecord& c1 = Sub(cases[0]);
    const SubRecord& c2 = Sub(cases[1]);
    const SubRecord& c3 = Sub(cases[2]);

    EXPECT_EQ(branch.subCount, 3);
    EXPECT_EQ(Str(branch.sizeS), "400,1686") << "as tall as the stacked case labels";
    EXPECT_EQ(Str(branch.sizeE), "700,0");
    EXPECT_EQ(Str(branch.text.xy), "100,125");
    EXPECT_TRUE(c1.flags & SubFlag::CaseTextShown);
    EXPECT_TRUE(c2.flags & SubFlag::CaseTextShown);
    EXPECT_FALSE(c3.flags & SubFlag::CaseTextShown) << "the last label moves under the second";
    EXPECT_EQ(c2.text2.text, "c");
    EXPECT_EQ(Str(c1.text.xy), "0,62");
    EXPECT_EQ(Str(c2.text2.xy), "0,-312");
    EXPECT_EQ(c1.sizeS.yh, 562);
    EXPECT_EQ(c2.sizeS.yh, 1124);
    for (const SubRecord* c : {&c1, &c2, &c3}) {
        EXPECT_EQ(c->sizeS.xw, 300) << "every label column as wide as the widest";
        EXPECT_EQ(Str(c->draw), "(300,0)-(500,0)");
        EXPECT_EQ(c->branchDepth, c == &c3 ? 0 : 100);
    }

    // The second chain starts below the first, so its line comes down to it; the third chain
    // stands too high for its line and is laid out again lower.
    EXPECT_EQ(Str(branch.xy), "900,200");
    EXPECT_EQ(Str(c1.xy[0]), "1300,200");
    EXPECT_EQ(Str(c2.xy[0]), "1300,950");
    EXPECT_EQ(Str(c3.xy[0]), "1300,2074");
    EXPECT_EQ(Str(Box(Find("X1")).xy), "1800,200");
    EXPECT_EQ(Str(Box(Find("X2")).xy), "1800,950");
    EXPECT_EQ(Str(Box(Find("X3")).xy), "1800,1824");
    EXPECT_EQ(c1.sizeP.yh, 750);
    EXPECT_EQ(c2.sizeP.yh, 1124);
    EXPECT_EQ(Str(branch.sizeP), "700,1874");
    EXPECT_EQ(Str(branch.draw), "(0,0)-(700,0) (0,1874)-(700,1874) (0,0)-(0,1874)");
    EXPECT_EQ(Canvas().header.height, 2574 + 3000 + 480);
    EXPECT_EQ(Box(Find("X3")).no, 5);
}

TEST_F(LayoutGolden, BranchWhoseTextIsTallerThanItsLabelsStretchesItsLastShownCase)
{
    DocumentParse(Routine({"&&branch", "&&text", "S\r\nS\r\nS\r\nS", //
                           "&&case", "&&text", "a", "&&block", "&&text", "X1", "&&end-branch"}));
    LayoutRun();
    const BoxRecord& branch = Box(Find("S\r\nS\r\nS\r\nS"));
    const SubRecord& only = Sub(branch.subIndex);
    EXPECT_TRUE(only.flags & SubFlag::CaseTextShown) << "a single case keeps its own label";
    EXPECT_EQ(branch.sizeS.yh, 1250);
    EXPECT_EQ(branch.sizeP.yh, 1250);
    EXPECT_EQ(only.sizeP.yh, 1250) << "the case reaches down to the box's bottom";
}

TEST_F(LayoutGolden, HiddenNotesCarryTheChainEndBackToTheLastShownBox)
{
    ApplicationGlobals.NoteNotShow = true;
    DocumentParse(Routine({"&&block", "&&text", "AB", "&&note", "&&text", "N1", "&&note", "&&text", "N2"}));
    LayoutRun();
    const BoxRecord& block = Box(Find("AB"));
    const BoxRecord& n1 = Box(Find("N1"));
    const BoxRecord& n2 = Box(Find("N2"));
    EXPECT_TRUE(block.flags & BoxFlag::ChainEnd);
    EXPECT_TRUE(n1.flags & BoxFlag::ChainEnd);
    EXPECT_TRUE(n2.flags & BoxFlag::ChainEnd);
    EXPECT_FALSE(n1.flags & BoxFlag::Shown);
    EXPECT_EQ(Str(n1.sizeS), "400,500") << "a hidden note keeps its shape";
    EXPECT_EQ(n1.levelNo, 1);
    EXPECT_EQ(n1.no, 0);
    EXPECT_EQ(Canvas().header.boxCount, 2);
    EXPECT_EQ(Canvas().header.extentX, 1500) << "hidden notes take no part in the extent";
}

TEST_F(LayoutGolden, ChinkTakesNoHeightAndLeavesNoGap)
{
    DocumentParse(Routine({"&&block", "&&text", "AB", "&&chink", "&&block", "&&text", "CD"}));
    LayoutRun();
    EXPECT_EQ(Box(FindKind(TagId::Chink)).xy.yh, 950);
    EXPECT_EQ(Box(Find("CD")).xy.yh, 950);
}

TEST_F(LayoutGolden, EmptyCanvasShowsItsPlaceholderAtTheTopLeftSpaces)
{
    CanvasesReset();
    CanvasSize.BottomSpace = 5000;
    LayoutRun();
    const BoxRecord& egg = Box(Canvas().header.firstBox);
    ASSERT_EQ(egg.tagType, TagId::Egg);
    EXPECT_EQ(Str(egg.xy), "300,200");
    EXPECT_EQ(Str(egg.sizeS), "100,125");
    EXPECT_EQ(Canvas().header.height, 200 + 125 + 250 + 5000 + 480);
    EXPECT_EQ(Canvas().header.width, 5000);
}

} // namespace
