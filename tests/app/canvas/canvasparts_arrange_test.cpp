// Placing the controls of a canvas window over its laid-out diagram: labels, flags, base lines,
// notches, page-break markers, the window's size, and arranging again without a new layout.
#include "app/diagram/CanvasPartsArrange.h"

#include "app/diagram/BoxMake.h"
#include "app/core/Processing.h"
#include "paint_fixture.h"
#include "platform/richtext/RichTextBox.h"

#include <gtest/gtest.h>

using namespace vellumora;

namespace {

constexpr std::int32_t L = 60;    // lineLabelWidth
constexpr std::int32_t Hl = 144;  // lineLabelHeight
constexpr std::int32_t S = 200;   // subLineLabelWidth
constexpr std::int32_t hG = 300;  // horizontalGap
constexpr std::int32_t Mark = 160; // newPageMark

struct Rect {
    std::int32_t left, top, width, height;
    friend bool operator==(const Rect&, const Rect&) = default;
};

std::ostream& operator<<(std::ostream& os, const Rect& r)
{
    return os << "(" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << ")";
}

class ArrangeTest : public painttest::CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        LO.lineLabelWidth = L;
        LO.lineLabelHeight = Hl;
        LO.subLineLabelWidth = S;
        LO.horizontalGap = hG;
        LO.newPageMark = Mark;
        B[canvas].header.width = 6000;
        B[canvas].header.height = 6000;
    }

    void Arrange() { CanvasPartsArrange(canvas, SubRecord::Default); }

    static Rect Of(const CanvasLabel& label) { return {label.Left, label.Top, label.Width, label.Height}; }
    const CanvasLabel& label(const CanvasLabelArray& array, std::int16_t n) { return array[n]; }
    const CanvasLine& line(const CanvasLineArray& array, std::int16_t n) { return array[n]; }
    bool shown(const CanvasLabelArray& array, std::int16_t n) { return array[n].Visible; }

    // A branch with two cases: the first with its text shown, notched 120 deep and drawn with one
    // line of its own; the last with its text hidden.
    struct TwoCases {
        std::int16_t branch;
        std::int16_t first;
        std::int16_t last;
    };
    TwoCases BranchWithTwoCases()
    {
        const std::int16_t branch = Add(TagId::Branch, QStringLiteral("if"), {1000, 1000}, {900, 1200});
        const std::int16_t first = AddSub(branch, {1900, 1000}, {400, 600});
        sub(first).branchDepth = 120;
        sub(first).draw = {LineFigureMake(400, 0, 700, 0)};
        const std::int16_t last = AddSub(branch, {1900, 1600}, {400, 600}, first);
        sub(last).flags &= ~SubFlag::CaseTextShown;
        return {branch, first, last};
    }
};

TEST_F(ArrangeTest, LineLabelsCoverTheGapAboveEachBox)
{
    struct Row {
        const char* why;
        std::int32_t gap;
        Rect expected; // of the second box's line label
    };
    const Row rows[] = {
        {"a gap of at least Hl is covered exactly", 300, {1000 - L, 1600, 2 * L, 300}},
        {"a narrower gap gets a label Hl tall centred on it", 40, {1000 - L, 1600 - 52, 2 * L, Hl}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BoxListClear(canvas);
        const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {1000, 1000}, {900, 600});
        const std::int16_t b = Add(TagId::Block, QStringLiteral("b"), {1000, 1600 + row.gap}, {900, 600}, a);
        Arrange();
        EXPECT_EQ(Of(label(form->lblLine, b)), row.expected);
        EXPECT_EQ(Of(label(form->lblLine, a)), (Rect{1000 - L, 1000 - Hl, 2 * L, Hl})) << "the head's label";
        EXPECT_EQ(Of(label(form->lblBox, b)), (Rect{1000, 1600 + row.gap, 900, 600}));
        EXPECT_EQ(box(a).flags & 0x600, 0x600);
        EXPECT_EQ(box(b).flags & 0x600, 0);
        EXPECT_EQ(Of(label(form->lblSubLine1, 0)), (Rect{1000 - L, 2200 + row.gap, 2 * L, Hl})) << "chain end";
    }
}

TEST_F(ArrangeTest, TheTopChainsHeadMarksSubLineZeroAndGetsTheStub)
{
    struct Row {
        const char* why;
        std::int32_t head;
        std::int16_t mark;
        bool lineLabel;
    };
    const Row rows[] = {
        {"a routine at the head", TagId::Routine, SubFlag::PlacementMark10, false},
        {"any other head", TagId::Block, SubFlag::PlacementMark8, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BoxListClear(canvas);
        sub(0).flags = 0;
        const std::int16_t head = Add(row.head, QStringLiteral("head"), {1000, 1000}, {900, 600});
        Arrange();
        EXPECT_EQ(sub(0).flags & 0x18, row.mark);
        EXPECT_EQ(Of(label(form->lblSubLine2, 0)), (Rect{1000 - S, 1300 - L, S, 2 * L}));
        EXPECT_EQ(shown(form->lblLine, head), row.lineLabel) << "a routine has no line label";
        EXPECT_EQ(shown(form->lblSubLine1, 0), row.lineLabel) << "nor a chain-end label";
    }
}

TEST_F(ArrangeTest, SubLinesGetTheirEndLabelAndTheEmptyMark)
{
    const std::int16_t loop = Add(TagId::Loop, QStringLiteral("loop"), {1000, 1000}, {900, 600});
    const std::int16_t body = AddSub(loop, {1900, 1000}, {0, 600});
    Add(TagId::Block, QStringLiteral("body"), {2200, 1000}, {900, 600}, -1, body);
    const std::int16_t branch = Add(TagId::Branch, QStringLiteral("if"), {1000, 2000}, {900, 1200}, loop);
    const std::int16_t empty = AddSub(branch, {1900, 2000}, {400, 600});
    Arrange();

    EXPECT_EQ(sub(body).flags & SubFlag::EmptyLine, 0);
    EXPECT_EQ(Of(label(form->lblSubLine2, body)), (Rect{1900, 1300 - L, hG, 2 * L})) << "one sub level: the middle";
    EXPECT_EQ(sub(empty).flags & SubFlag::EmptyLine, SubFlag::EmptyLine);
    EXPECT_EQ(Of(label(form->lblSubLine2, empty)), (Rect{2300, 2000 - L, S, 2 * L})) << "a case: its top right";
    EXPECT_EQ(Of(label(form->lblSubLine1, body)), (Rect{2200 - L, 1600, 2 * L, Hl})) << "the body's chain end";
}

TEST_F(ArrangeTest, ABranchCaseWithItsTextShownGetsItsNotchAndSecondTextPosition)
{
    const auto [branch, first, last] = BranchWithTwoCases();
    Arrange();

    EXPECT_EQ(sub(first).xy[1], (Point{1900, 1600}));
    EXPECT_EQ(sub(first).draw, (std::vector<FigureData>{LineFigureMake(400, 0, 700, 0), LineFigureMake(400, 0, 280, 300),
                                                        LineFigureMake(400, 600, 280, 300)}));
    EXPECT_EQ(sub(last).draw.size(), 0u) << "the last case shows no text and gets no notch";
    EXPECT_EQ(sub(last).xy[1], Point{});
}

TEST_F(ArrangeTest, AChinkSplitsTheBaseLineAndMarksTheBoxAfterIt)
{
    const std::int16_t loop = Add(TagId::Loop, QStringLiteral("loop"), {1000, 1000}, {900, 600});
    const std::int16_t body = AddSub(loop, {1900, 1000});
    sub(body).draw = {LineFigureMake(0, 300, 300, 300)};
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {2200, 1000}, {900, 600}, -1, body);
    const std::int16_t chink = Add(TagId::Chink, QString(), {2200, 1600}, {0, 0}, a);
    const std::int16_t b = Add(TagId::Block, QStringLiteral("b"), {2200, 1800}, {900, 400}, chink);
    const std::int16_t c = Add(TagId::Block, QStringLiteral("c"), {2200, 2400}, {900, 400}, b);
    Arrange();

    EXPECT_EQ(box(b).flags & 0x600, 0x200) << "the box after the chink";
    EXPECT_EQ(box(c).flags & 0x600, 0);
    EXPECT_FALSE(shown(form->lblBox, chink));
    EXPECT_FALSE(shown(form->lblLine, chink));
    ASSERT_EQ(sub(body).base.size(), 1u);
    EXPECT_EQ(sub(body).base[0], (SubBase{{2200, 1000}, LineFigureMake(0, 300, 0, 300)}));
    // Sub line 0 holds the segment after the chink (its chain ends first) and the top chain's line.
    ASSERT_EQ(sub(0).base.size(), 2u);
    EXPECT_EQ(sub(0).base[0], (SubBase{{2200, 1800}, LineFigureMake(0, 200, 0, 800)}));
    EXPECT_EQ(sub(0).base[1], (SubBase{{1000, 1000}, LineFigureMake(0, 300, 0, 300)}));
}

TEST_F(ArrangeTest, AChainEndingInAChinkAddsNoStrayBaseLine)
{
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {1000, 1000}, {900, 600});
    Add(TagId::Chink, QString(), {1000, 1600}, {0, 0}, a);
    Arrange();
    ASSERT_EQ(sub(0).base.size(), 1u);
    EXPECT_EQ(sub(0).base[0].xy, (Point{1000, 1000}));
}

TEST_F(ArrangeTest, AnEggHasNoBoxLabelButABorderedLineLabel)
{
    const std::int16_t egg = Add(TagId::Egg, QString(), {1000, 1000}, {120, 150});
    Arrange();
    EXPECT_FALSE(shown(form->lblBox, egg));
    EXPECT_EQ(label(form->lblLine, egg).BorderStyle, 1);
    EXPECT_FALSE(shown(form->lblSubLine1, 0)) << "an egg chain has no chain-end label";
    EXPECT_EQ(sub(0).flags & 0x18, 0) << "nor a stub";
}

TEST_F(ArrangeTest, TheEditModeBordersEveryLabel)
{
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {1000, 1000}, {900, 600});
    ApplicationGlobals.EditModeFlag = true;
    Arrange();
    for (const CanvasLabel* l : {&label(form->lblBox, a), &label(form->lblLine, a), &label(form->lblSubLine1, 0),
                                 &label(form->lblSubLine2, 0)}) {
        EXPECT_TRUE(l->Visible);
        EXPECT_EQ(l->BorderStyle, 1);
    }
    ApplicationGlobals.EditModeFlag = false;
    Arrange();
    EXPECT_EQ(label(form->lblBox, a).BorderStyle, 0);
}

TEST_F(ArrangeTest, PageBreakMarkersSitOnTheMiddleOfTheirLabel)
{
    const std::int16_t a = Add(TagId::Loop, QStringLiteral("a"), {1000, 1000}, {900, 600});
    const std::int16_t s = AddSub(a, {1900, 1000});
    const std::int16_t b = Add(TagId::Block, QStringLiteral("b"), {1000, 1900}, {900, 600}, a);
    box(b).flags |= BoxFlag::LowerPage;
    sub(s).flags |= SubFlag::RightPage;

    struct Row {
        const char* why;
        bool edit;
        std::int32_t f;
        std::int16_t width;
    };
    const Row rows[] = {{"print mode", false, Mark / 4, 1}, {"edit mode", true, Mark / 2, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ApplicationGlobals.EditModeFlag = row.edit;
        Arrange();
        // Box b's line label covers 1600..1900 at x 1000: its centre is (1000, 1750).
        const CanvasLine& p1 = line(form->linLowerPage1, b);
        const CanvasLine& p2 = line(form->linLowerPage2, b);
        EXPECT_TRUE(p1.Visible && p2.Visible);
        EXPECT_EQ((Rect{p1.X1, p1.Y1, p1.X2, p1.Y2}), (Rect{1000 - row.f, 1750, 1000 + row.f, 1750 - row.f}));
        EXPECT_EQ((Rect{p2.X1, p2.Y1, p2.X2, p2.Y2}), (Rect{1000 - row.f, 1750 + row.f, 1000 + row.f, 1750}));
        EXPECT_EQ(p1.BorderWidth, row.width);
        // The end label of the empty sub line: (1900, 1000 - L), S x 2L; its centre is (2000, 1000).
        const CanvasLine& r1 = line(form->linRightPage1, s);
        const CanvasLine& r2 = line(form->linRightPage2, s);
        EXPECT_EQ((Rect{r1.X1, r1.Y1, r1.X2, r1.Y2}), (Rect{2000 - row.f, 1000 + row.f, 2000, 1000 - row.f}));
        EXPECT_EQ((Rect{r2.X1, r2.Y1, r2.X2, r2.Y2}), (Rect{2000, 1000 + row.f, 2000 + row.f, 1000 - row.f}));
        EXPECT_FALSE(line(form->linLowerPage1, a).Visible);
    }

    box(b).flags &= ~BoxFlag::LowerPage;
    PageBreakMarkShow(canvas, label(form->lblLine, b), b, -1);
    EXPECT_FALSE(line(form->linLowerPage1, b).Visible);
    EXPECT_FALSE(line(form->linLowerPage2, b).Visible);
}

TEST_F(ArrangeTest, TheWindowIsFittedClearedIntoRetainedDrawingAndShown)
{
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {1000, 1000}, {900, 600});
    B[canvas].header.width = 5000; // not a whole number of pixels
    B[canvas].header.height = 7000;
    form->linBoxLeft[a].Visible = true;
    form->lblBox[0].Visible = true;
    form->rtxBox.Move(300, 300, 900, 900);
    form->rtxBox.SetVisible(true);

    Arrange();
    EXPECT_TRUE(ApplicationGlobals.DeferredError.isEmpty()) << ApplicationGlobals.DeferredError.toStdString();
    EXPECT_EQ(form->width(), 5000 / 15);
    EXPECT_EQ(form->height(), 7000 / 15);
    EXPECT_TRUE(form->AutoRedraw());
    EXPECT_TRUE(form->Records().empty());
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(ApplicationGlobals.CurrentCanvasIndex, canvas);
    EXPECT_FALSE(line(form->linBoxLeft, a).Visible) << "selection frames are hidden";
    EXPECT_FALSE(label(form->lblBox, 0).Visible);
    EXPECT_FALSE(form->rtxBox.Visible());
    EXPECT_EQ(form->Caption(), CanvasCaptionMake(canvas, QStringLiteral("\t")));
}

TEST_F(ArrangeTest, ACanvasTooBigForTheWindowLeavesOneMessageAndIsArrangedAllTheSame)
{
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {1000, 1000}, {900, 600});
    B[canvas].header.height = 600000;
    ApplicationGlobals.DeferredError = QStringLiteral("earlier");
    Arrange();
    EXPECT_EQ(ApplicationGlobals.DeferredError,
              QStringLiteral("earlier\r\n図が大きすぎてｷｬﾝﾊﾞｽに表示しきれません。\r\n全体図は印刷で確認して下さい。\r\n") +
                  form->Caption());
    EXPECT_TRUE(shown(form->lblBox, a));
}

TEST_F(ArrangeTest, ArrangingTwiceEqualsArrangingOnce)
{
    const auto [branch, first, last] = BranchWithTwoCases();
    const std::int16_t a = Add(TagId::Block, QStringLiteral("a"), {2200, 1000}, {900, 400}, -1, first);
    const std::int16_t chink = Add(TagId::Chink, QString(), {2200, 1400}, {0, 0}, a);
    Add(TagId::Block, QStringLiteral("b"), {2200, 1600}, {900, 400}, chink);
    Add(TagId::Block, QStringLiteral("c"), {1000, 2500}, {900, 400}, branch);

    Arrange();
    const std::vector<BoxRecord> boxesOnce = B[canvas].BoxList;
    const std::vector<SubRecord> subsOnce = B[canvas].SubList;
    // A window minimised and restored is arranged again without a new layout.
    Arrange();
    for (std::size_t n = 1; n < subsOnce.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(B[canvas].SubList[n].draw, subsOnce[n].draw);
        EXPECT_EQ(B[canvas].SubList[n].base, subsOnce[n].base);
        EXPECT_EQ(B[canvas].SubList[n].flags, subsOnce[n].flags);
    }
    EXPECT_EQ(B[canvas].SubList[0].base, subsOnce[0].base);
    for (std::size_t n = 1; n < boxesOnce.size(); ++n)
        EXPECT_EQ(B[canvas].BoxList[n].flags, boxesOnce[n].flags);
}

TEST_F(ArrangeTest, DeepNestingIsArrangedAndPaintedWithoutExhaustingTheStack)
{
    // Each level: a loop whose body is the next level.
    constexpr int Levels = 30000;
    std::int16_t upper = -1;
    for (int level = 0; level < Levels; ++level) {
        const std::int32_t x = 100 + level;
        const std::int16_t loop = Add(TagId::Loop, QStringLiteral("x"), {x, 1000}, {1, 1}, -1, upper);
        upper = AddSub(loop, {x + 1, 1000});
    }
    Arrange();
    EXPECT_TRUE(shown(form->lblBox, Levels));
    form->Cls();
    BoxListDraw(canvas, SubRecord::Default);
    EXPECT_GE(form->Records().size(), static_cast<std::size_t>(Levels));
}

} // namespace
