// Block layouts with the fake measurer, in exact twips. At 10 points a two-character block box is
// 400 x 500, the horizontal gap 200, the vertical gap 250; with two-digit labels the
// right-pointing mark is 500 x 500 and the downward mark 300 x 525.
//
// A picture lists the blocks ("#n f<flags> c<mark number> base<level> n<boxes> <extent>", their
// marks and lines), then the boxes in chain order ("text@block:x,y size", f1/f2/f3 for the layout
// flags 0x1000 and 0x2000) and each case line with a chain ("-line@block:x,y c<mark> f<page flags>").

#include "print_layout_support.h"

using namespace print_test;

namespace {

QStringList Blocks(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << "&&block" << "&&text" << QStringLiteral("B%1").arg(i);
    return lines;
}

QStringList Text(const QString& text) { return {"&&text", text}; }

class BlockPlacement : public PrintLayoutTest {
protected:
    // Lays the chart out into blocks on a report body of width x height; true when it stopped.
    bool Place(const QStringList& chart, std::int32_t width, std::int32_t height)
    {
        JobStart(chart, width, height);
        return PrintLayoutBlocks(kCanvas);
    }
};

TEST_F(BlockPlacement, GoldenLayouts)
{
    struct Row {
        const char* why;
        QStringList body;
        std::int32_t width, height;
        const char* picture;
    };
    QStringList wideBranch = Blocks(1, 1);
    wideBranch << "&&branch" << Text("D1") << "&&case" << Text("a")                                         //
               << "&&branch" << Text("C1") << "&&case" << Text("a") << Blocks(1, 1) << "&&case" << Text("b") //
               << "&&block" << Text("Y1") << "&&end-branch"                                               //
               << "&&case" << Text("b") << Blocks(2, 2) << "&&end-branch";
    QStringList loop = Blocks(1, 1);
    loop << "&&loop" << Text("LP") << Blocks(2, 8) << "&&end-loop" << Blocks(9, 9);
    QStringList breaks = Blocks(1, 2);
    breaks << "&&block" << "&&lowerPage" << Text("PB") << "&&branch" << Text("BR") << "&&case" << Text("a")
           << Blocks(3, 3) << "&&case" << "&&rightPage" << Text("b") << Blocks(4, 4) << "&&end-branch";
    QStringList tall = Blocks(1, 1);
    tall << "&&block" << Text(Lines(1, 12)) << Blocks(2, 2);

    const Row rows[] = {
        {"a chain longer than a page goes on below its numbered marks", Blocks(1, 9), 4000, 3000,
         "#1 f0 c-1 base0 n4 1025,3000 m1@475,2250 (625,250)-(625,2250)\n"
         "#2 f0 c1 base1 n2 550,3000 m1@0,0 m2@0,2275 (150,525)-(150,2275)\n"
         "#3 f0 c2 base1 n2 550,3000 m2@0,0 m3@0,2275 (150,525)-(150,2275)\n"
         "#4 f0 c3 base1 n2 550,2275 m3@0,0 (150,525)-(150,1775)\n"
         "R@1:0,0 400x650\n"
         " -line@1:400,0 c0 f0\n"
         "  B1@1:625,0 400x500\n"
         "  B2@1:625,750 400x500\n"
         "  B3@1:625,1500 400x500\n"
         "  B4@2:150,775 400x500\n"
         "  B5@2:150,1525 400x500\n"
         "  B6@3:150,775 400x500\n"
         "  B7@3:150,1525 400x500\n"
         "  B8@4:150,775 400x500\n"
         "  B9@4:150,1525 400x500\n"},
        {"a branch too wide for the page goes on in a block to the right", wideBranch, 2600, 5000,
         "#1 f0 c-1 base0 n5 1925,2374 m1@1425,500 (625,250)-(625,1312)\n"
         "#2 f0 c1 base2 n4 1925,1624 m1@0,0 (700,250)-(700,562)\n"
         "R@1:0,0 400x650\n"
         " -line@1:400,0 c0 f0\n"
         "  B1@1:625,0 400x500\n"
         "  D1@1:625,750 600x1124\n"
         "   -line@2:1025,750 c1 f128\n"
         "    C1@2:700,0 600x1124\n"
         "     -line@2:1100,0 c0 f0\n"
         "      B1@2:1525,0 400x500\n"
         "     -line@2:1100,1124 c0 f0\n"
         "      Y1@2:1525,874 400x500\n"
         "   -line@1:1025,1874 c0 f0\n"
         "    B2@1:1450,1624 400x500\n"},
        {"a loop whose body crosses the page bottom", loop, 4000, 3000,
         "#1 f0 c-1 base0 n6 1700,3000 m1@1150,2250 m3@475,1500 (1300,250)-(1300,2250) (625,250)-(625,1500)\n"
         "#2 f0 c1 base2 n2 550,3000 m1@0,0 m2@0,2275 (150,525)-(150,2275)\n"
         "#3 f0 c2 base2 n2 550,2275 m2@0,0 (150,525)-(150,1775)\n"
         "#4 f0 c3 base1 n1 550,1525 m3@0,0 (150,525)-(150,1025)\n"
         "R@1:0,0 400x650\n"
         " -line@1:400,0 c0 f0\n"
         "  B1@1:625,0 400x500\n"
         "  LP@1:625,750 450x500\n"
         "   -line@1:1075,750 c0 f0\n"
         "    B2@1:1300,0 400x500\n"
         "    B3@1:1300,750 400x500\n"
         "    B4@1:1300,1500 400x500\n"
         "    B5@2:150,775 400x500\n"
         "    B6@2:150,1525 400x500\n"
         "    B7@3:150,775 400x500\n"
         "    B8@3:150,1525 400x500\n"
         "  B9@4:150,775 400x500\n"},
        {"the user's page breaks on a box and on a case line begin pages of their own", breaks, 4000, 8000,
         "#1 f0 c-1 base0 n3 1025,2275 m1@475,1500 (625,250)-(625,1500)\n"
         "#2 f128 c1 base1 n4 1450,3149 m1@0,0 m2@950,2399 (150,525)-(150,2087)\n"
         "#3 f128 c2 base2 n1 1100,750 m2@0,0 (700,250)-(700,250)\n"
         "R@1:0,0 400x650\n"
         " -line@1:400,0 c0 f0\n"
         "  B1@1:625,0 400x500\n"
         "  B2@1:625,750 400x500\n"
         "  PB@2:150,775 400x500\n"
         "  BR@2:150,1525 600x1124\n"
         "   -line@2:550,1525 c0 f0\n"
         "    B3@2:975,1275 400x500\n"
         "   -line@3:550,2649 c2 f64\n"
         "    B4@3:700,0 400x500\n"},
        {"a box taller than a page is divided where the page ends", tall, 4000, 3000,
         "#1 f0 c-1 base0 n3 1025,3000 m1@475,2250 (625,250)-(625,2250)\n"
         "#2 f0 c1 base1 n1 550,3000 m1@0,0 m2@0,2275 (150,525)-(150,2275)\n"
         "#3 f0 c2 base1 n1 650,3000 m2@0,0 m3@0,2275 (150,525)-(150,2275)\n"
         "#4 f0 c3 base1 n1 550,1525 m3@0,0 (150,525)-(150,1025)\n"
         "R@1:0,0 400x650\n"
         " -line@1:400,0 c0 f0\n"
         "  B1@1:625,0 400x500\n"
         "  L1@1:625,750 400x1250 f2\n"
         "  L5@2:150,775 400x1250 f2\n"
         "  L9@3:150,775 500x1250\n"
         "  B2@4:150,775 400x500\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PrintWorkClear();
        EXPECT_FALSE(Place(Routine(row.body), row.width, row.height));
        EXPECT_EQ(BlockPicture(), row.picture);
        EXPECT_TRUE(platform::msgbox::ShownBoxes().empty());
    }
}

TEST_F(BlockPlacement, ABoxThatFitsNoPageStopsTheJobWithOneMessage)
{
    struct Row {
        const char* why;
        QStringList body;
        std::int32_t width, height;
    };
    QStringList tallLoop = Blocks(1, 1);
    tallLoop << "&&loop" << Text(Lines(1, 20)) << Blocks(2, 2) << "&&end-loop";
    QStringList wide = Blocks(1, 1);
    wide << "&&block" << Text(QString(25, QLatin1Char('W')));
    // Placing this loop's body again and again would come back to the same attempt for ever.
    const QStringList circling = {"&&loop", "&&text", Lines(1, 2), "&&block", "&&text", Lines(1, 5, "y"), "&&block",
                                  "&&text",  Lines(1, 3, "y"), "&&block", "&&text", Lines(1, 4, "y"), "&&end-loop"};
    const Row rows[] = {
        {"a loop box taller than the page cannot be divided", tallLoop, 4000, 3000},
        {"a box too wide to narrow even at the left of a page", wide, 1500, 3000},
        {"a placement that only repeats itself ends", circling, 2106, 1760},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PrintWorkClear();
        platform::msgbox::ShownBoxes().clear();
        EXPECT_TRUE(Place(Routine(row.body), row.width, row.height));
        ASSERT_EQ(platform::msgbox::ShownBoxes().size(), 1u);
        EXPECT_EQ(platform::msgbox::ShownBoxes()[0].prompt, BoxTooLargeMessage);
        EXPECT_EQ(BoxTooLargeMessage, QStringLiteral("大きすぎるBOXがあります。\r\n1ﾍﾟｰｼﾞに収まりません。\r\n"
                                                     "対象のBOXを小さくして下さい。"));
    }
}

TEST_F(BlockPlacement, ACancelStopsEveryLevelWithoutAMessage)
{
    int boxes = 0;
    PrintProgressSet({{}, [&](std::int16_t) { return ++boxes == 4; }, {}});
    QStringList loop = Blocks(1, 1);
    loop << "&&loop" << Text("LP") << Blocks(2, 8) << "&&end-loop" << Blocks(9, 9);
    EXPECT_TRUE(Place(Routine(loop), 4000, 3000));
    EXPECT_EQ(boxes, 4);
    EXPECT_TRUE(platform::msgbox::ShownBoxes().empty());
    EXPECT_EQ(RW.BlockList.size(), 2u) << "no continuation block is made";
}

TEST_F(BlockPlacement, AChartThatFitsIsOneBlockWithoutMarks)
{
    EXPECT_FALSE(Place(Routine(Blocks(1, 3)), 10206, 13428));
    ASSERT_EQ(RW.BlockList.size(), 2u);
    EXPECT_EQ(RW.connectorCount, 0);
    EXPECT_TRUE(RW.BlockList[1].connector.empty());
    EXPECT_EQ(WorkBox(B[0].header.firstBox).xy, (Point{0, 0})) << "a routine starts at x 0";

    PrintWorkClear();
    EXPECT_FALSE(Place({"&&note", "&&text", "N", "&&end-routine"}, 10206, 13428));
    EXPECT_EQ(WorkBox(B[0].header.firstBox).xy.xw, RW.joint[1].sizeP.xw / 2)
        << "any other first box leaves room for a downward mark centred on its line";
}

} // namespace
