#include "print_render_support.h"

using namespace printrender_test;

namespace {

// Report body 10206 x 13428, block gaps 200 x 200.
class PagePacking : public PrintRenderTest {
protected:
    BlockRecord& At(std::int16_t block) { return RW.BlockList[std::size_t(block)]; }
};

TEST_F(PagePacking, OneBlockMakesOnePage)
{
    const std::int16_t root = Block(3000, 3000);
    PagesAssign(root);
    EXPECT_EQ(RW.pageCount, 1);
    EXPECT_EQ(At(root).pageNo, 1);
    EXPECT_EQ(RW.PageList[1].blocks, (std::vector<std::int16_t>{root}));
    EXPECT_TRUE(At(root).joinBlocks.empty());
}

TEST_F(PagePacking, SmallChildrenArePlacedBesideTheirParent)
{
    const std::int16_t root = Block(3000, 3000);
    const std::int16_t c1 = Block(2000, 1000);
    const std::int16_t c2 = Block(1500, 1000);
    At(root).children = {c1, c2};
    PagesAssign(root);

    EXPECT_EQ(RW.pageCount, 1);
    EXPECT_EQ(At(root).joinBlocks, (std::vector<std::int16_t>{c1, c2}));
    EXPECT_EQ(At(c1).pagePos, (Point{3200, 0}));
    EXPECT_EQ(At(c2).pagePos, (Point{3000 + 2 * 200 + 2000, 0}));
    for (const std::int16_t c : {c1, c2}) {
        SCOPED_TRACE(c);
        EXPECT_EQ(At(c).pageNo, 1);
        EXPECT_TRUE(At(c).flags & 0x40);
        EXPECT_EQ(At(c).joinLevel, 1);
        EXPECT_TRUE(At(c).joined);
    }
    EXPECT_EQ(At(root).pagePos, (Point{0, 0}));
    EXPECT_EQ(RW.PageList[1].blocks, (std::vector<std::int16_t>{root, c1, c2}));
}

TEST_F(PagePacking, ABlockAfterAUserPageBreakKeepsItsOwnPageAndCanHostItsChildren)
{
    const std::int16_t root = Block(3000, 3000);
    const std::int16_t broken = Block(1000, 1000, 0x80);
    const std::int16_t grandchild = Block(1000, 1000);
    At(root).children = {broken};
    At(broken).children = {grandchild};
    PagesAssign(root);
    EXPECT_EQ(RW.pageCount, 2);
    EXPECT_EQ(At(broken).pageNo, 2);
    EXPECT_FALSE(At(broken).joined);
    EXPECT_EQ(At(grandchild).pageNo, 2) << "its own child joins its page";
    EXPECT_EQ(RW.PageList[2].blocks, (std::vector<std::int16_t>{broken, grandchild}));
}

TEST_F(PagePacking, RejectedSiblingsHostEachOtherAndTheUnusedPageNumbersCloseUp)
{
    // The root fills its page; its three children each take half a page.
    const std::int16_t root = Block(10206, 13428);
    const std::int16_t c1 = Block(10206, 6000);
    const std::int16_t c2 = Block(10206, 6000);
    const std::int16_t c3 = Block(10206, 6000);
    At(root).children = {c1, c2, c3};
    PagesAssign(root);
    EXPECT_EQ(At(c1).joinBlocks, (std::vector<std::int16_t>{c2})) << "the first rejected block hosts the others";
    EXPECT_EQ(RW.pageCount, 3) << "pages 1 to 4, of which the joined block's own page is dropped";
    EXPECT_EQ(At(c1).pageNo, 2);
    EXPECT_EQ(At(c2).pageNo, 2);
    EXPECT_EQ(At(c2).pagePos.xw, 0) << "below, at the left edge";
    EXPECT_GE(At(c2).pagePos.yh, 6000 + 200);
    EXPECT_EQ(At(c3).pageNo, 3);
}

TEST_F(PagePacking, ABlockListedTwiceAmongChildrenIsPagedOnce)
{
    // A chain that comes back to a block lists it once for every time it was reached.
    const std::int16_t root = Block(10206, 13428);
    const std::int16_t child = Block(1000, 1000);
    At(root).children = {child, child};
    PagesAssign(root);
    EXPECT_EQ(RW.pageCount, 2);
    EXPECT_EQ(RW.PageList[2].blocks, (std::vector<std::int16_t>{child}));
}

TEST_F(PagePacking, TheSearchGivesUpWithinItsBoundAndTheCandidateKeepsItsOwnPage)
{
    // Thirty small blocks already share the host's page; a candidate that fits nowhere beside them
    // would make an unbounded search try every arrangement of the thirty before failing, which
    // takes hours.
    const std::int16_t host = Block(500, 500);
    for (int i = 0; i < 30; ++i) {
        const std::int16_t small = Block(300, 300);
        At(host).joinBlocks.push_back(small);
        At(small).joined = true;
    }
    const std::int16_t candidate = Block(10206, 13000);
    std::vector<std::int32_t> skyline = PageSkylineMake();
    PackState state;
    state.size = At(host).size;
    state.pageNo = 1;
    ASSERT_TRUE(PagePackFit(state, skyline));
    state.blocks = At(host).joinBlocks;
    state.blocks.push_back(candidate);
    state.levels.assign(state.blocks.size(), 1);
    const std::vector<std::int32_t> before = skyline;
    EXPECT_FALSE(PagePackTry(state, skyline));
    EXPECT_EQ(skyline, before) << "a failed search leaves the skyline as it was";
}

TEST_F(PagePacking, FittingMovesABlockDownOntoTheSkylineAndRaisesIt)
{
    std::vector<std::int32_t> skyline = PageSkylineMake();
    ASSERT_EQ(skyline.size(), std::size_t(10206 / 200 + 2));
    skyline[2] = 700;
    PackState state;
    state.xy = Point{300, 100};
    state.size = Point{500, 400};
    ASSERT_TRUE(PagePackFit(state, skyline));
    EXPECT_EQ(state.xy.yh, 700) << "columns 1 to 5 are read: the left edge's to one past the right edge's";
    EXPECT_EQ(skyline[1], 0) << "the column holding the left edge is not raised";
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(skyline[std::size_t(i)], 700 + 400 + 200);
    EXPECT_EQ(skyline[5], 0);

    PackState tooWide;
    tooWide.xy = Point{10000, 0};
    tooWide.size = Point{300, 100};
    EXPECT_FALSE(PagePackFit(tooWide, skyline));
    PackState tooLow;
    tooLow.xy = Point{0, 13000};
    tooLow.size = Point{300, 500};
    EXPECT_FALSE(PagePackFit(tooLow, skyline));
}

} // namespace
