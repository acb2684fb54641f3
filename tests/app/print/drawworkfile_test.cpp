#include "print_render_support.h"

#include "support/RaisedError.h"

#include <QDir>
#include <QFile>

using namespace printrender_test;

namespace {

class DrawWorkFile : public PrintRenderTest {};

InternalCode Text(const QString& text, Point xy = {})
{
    InternalCode code;
    code.text = text;
    code.xy = xy;
    return code;
}

FigureData Figure(std::int32_t kind, Point s, Point e = {}, std::int32_t radius = 0)
{
    FigureData f;
    f.kind = kind;
    f.s = s;
    f.e = e;
    f.radius = radius;
    return f;
}

TEST_F(DrawWorkFile, TextRecordsHoldOneDisplayedLineEach)
{
    // Fake measurer at 10 points: a byte is 100 twips wide, a line 250 high.
    struct Row {
        const char* why;
        QString text;
        QStringList lines;
    } rows[] = {
        {"an empty text writes nothing", QString(), {}},
        {"a wrapped line continues indented, half the text's height lower", QStringLiteral("ab\tcd"),
         {QStringLiteral("TEXT,500,600,10,20,ＭＳ ゴシック,0,0,10,0,0,0,200,250,ab"),
          QStringLiteral("TEXT,500,600,10,270,ＭＳ ゴシック,0,0,10,0,0,0,600,250,    cd")}},
        {"commas stay in the text, the last field", QStringLiteral("a,b"),
         {QStringLiteral("TEXT,500,600,10,20,ＭＳ ゴシック,0,0,10,0,0,0,300,250,a,b")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Written([&](std::int16_t f) { DrawRecordText(f, Point{500, 600}, Text(row.text, Point{10, 20})); }),
                  row.lines);
    }
}

TEST_F(DrawWorkFile, ACommaInAFontNameCannotShiftTheFieldsOfATextRecord)
{
    platform::printer::SystemPrinter().SetFontName(QStringLiteral("Odd,Font"));
    platform::printer::SystemPrinter().SetFontSize(10.5f);
    const QStringList lines =
        Written([&](std::int16_t f) { DrawRecordText(f, Point{}, Text(QStringLiteral("x"))); });
    ASSERT_EQ(lines.size(), 1);
    const QStringList fields = lines[0].split(QLatin1Char(','));
    ASSERT_EQ(fields.size(), 15);
    EXPECT_EQ(fields[5], QStringLiteral("Odd，Font"));
    EXPECT_EQ(fields[8], QStringLiteral("10.5")) << "the size keeps its fraction";
    EXPECT_EQ(fields[14], QStringLiteral("x"));
    EXPECT_EQ(platform::textmeasure::SubstituteFontFamily(fields[5]), platform::textmeasure::SubstituteFontFamily("Odd,Font"));
}

TEST_F(DrawWorkFile, FiguresAndFramesAreWrittenRelativeToTheirOrigin)
{
    struct Row {
        const char* why;
        std::function<void(std::int16_t)> write;
        QStringList lines;
    } rows[] = {
        {"a line keeps its start and becomes a run",
         [](std::int16_t f) { DrawRecordFigure(f, Point{500, 600}, Figure(FigureKind::Line, {10, 20}, {110, 20})); },
         {QStringLiteral("LINE,500,600,10,20,100,0,0,0,1")}},
        {"an arc writes its kind less one",
         [](std::int16_t f) { DrawRecordFigure(f, Point{1, 2}, Figure(FigureKind::RightHalf, {30, 40}, {}, 150)); },
         {QStringLiteral("CIRCLE,1,2,30,40,150,0,0,1,3")}},
        {"an empty figure writes nothing", [](std::int16_t f) { DrawRecordFigure(f, Point{}, FigureData{}); }, {}},
        {"a frame from its corners",
         [](std::int16_t f) { DrawRecordBox(f, Point{1200, 300}, Point{}, Point{2000, 600}); },
         {QStringLiteral("BOX,1200,300,0,0,2000,600,0,0,1")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Written(row.write), row.lines);
    }
}

TEST_F(DrawWorkFile, ABlockFileHoldsItsMarksBoxesAndFramesAndNamesTheBlocksThatContinueIt)
{
    const std::int16_t top = Block(4000, 3000);
    const std::int16_t next = Block(4000, 3000);
    const std::int16_t first = Box(top, QStringLiteral("one"), {100, 200}, {1000, 500});
    B[0].BoxList[std::size_t(first)].fontCode = FontModifyChech(QStringLiteral("fontbold:on\r\nfontsize:12"));
    const std::int16_t note = Box(top, QStringLiteral("memo"), {100, 900}, {1000, 500}, first, 0, TagId::Note);
    Box(next, QStringLiteral("two"), {0, 600}, {1000, 500}, note);
    ConnectorRecord mark;
    mark.label = Text(QStringLiteral("1"), Point{50, 20});
    mark.xy = Point{300, 0};
    mark.draw[0] = Figure(FigureKind::Line, {0, 0}, {200, 0});
    RW.BlockList[std::size_t(next)].connector.push_back(mark);

    EXPECT_EQ(BlockDrawFileWrite(-1), top);
    EXPECT_EQ(RW.BlockList[std::size_t(top)].children, (std::vector<std::int16_t>{next}));
    for (const std::int16_t b : {top, next}) {
        EXPECT_TRUE(RW.BlockList[std::size_t(b)].flags & 0x8);
        DrawFileClose(RW.BlockList[std::size_t(b)].fileNo);
    }
    EXPECT_TRUE(RW.BlockList[std::size_t(top)].fileName.endsWith(QStringLiteral(".draw.block.1.1.tmp")));

    const QStringList topLines = Lines(RW.BlockList[std::size_t(top)].fileName);
    ASSERT_EQ(topLines.size(), 4);
    EXPECT_TRUE(topLines[0].startsWith(QStringLiteral("TEXT,100,200,0,0,ＭＳ ゴシック,0,1,12,"))) << "the box's font";
    EXPECT_EQ(topLines[1], QStringLiteral("BOX,100,200,0,0,1000,500,0,0,1"));
    EXPECT_TRUE(topLines[2].endsWith(QStringLiteral(",memo")));
    EXPECT_EQ(topLines[3], QStringLiteral("BOX,100,900,0,0,1000,500,0,4,1")) << "a note is framed dash-dot-dot";

    // The continuation mark is written first, in the document's font, whatever the box before chose.
    const QStringList nextLines = Lines(RW.BlockList[std::size_t(next)].fileName);
    ASSERT_EQ(nextLines.size(), 4);
    EXPECT_EQ(nextLines[0], QStringLiteral("TEXT,300,0,50,20,ＭＳ ゴシック,0,0,10,0,0,0,100,250,1"));
    EXPECT_EQ(nextLines[1], QStringLiteral("LINE,300,0,0,0,200,0,0,0,1"));
    EXPECT_TRUE(nextLines[2].startsWith(QStringLiteral("TEXT,0,600,0,0,ＭＳ ゴシック,0,0,10,")));
}

TEST_F(DrawWorkFile, NoteFramesCanBeSwitchedOffAndBranchCasesGetTheirNotch)
{
    ApplicationGlobals.NoteNotFrame = true;
    const std::int16_t block = Block(4000, 3000);
    const std::int16_t note = Box(block, QStringLiteral("memo"), {0, 0}, {1000, 500}, 0, 0, TagId::Note);
    const std::int16_t branch = Box(block, QString(), {0, 600}, {500, 500}, note, 0, TagId::Branch);
    SubRecord sub;
    sub.upper = branch;
    sub.xy[0] = Point{600, 700};
    sub.sizeP = Point{300, 400};
    sub.branchDepth = 100;
    sub.text = Text(QStringLiteral("yes"));
    B[0].SubList.push_back(sub);
    B[0].BoxList[std::size_t(branch)].subIndex = 1;

    BlockDrawFileWrite(-1);
    DrawFileClose(RW.BlockList[std::size_t(block)].fileNo);
    const QStringList lines = Lines(RW.BlockList[std::size_t(block)].fileName);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(",memo"))) << "no frame after the note's text";
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("TEXT,600,700,0,0,")));
    EXPECT_EQ(lines[2], QStringLiteral("LINE,600,700,300,0,-100,200,0,0,1"));
    EXPECT_EQ(lines[3], QStringLiteral("LINE,600,700,300,400,-100,-200,0,0,1"));
    EXPECT_EQ(B[0].SubList[1].xy[1], (Point{600, 1100})) << "the case line's end point";
}

TEST_F(DrawWorkFile, HeaderAndFooterItemsArePlacedInTheirBandsAndTheCommonFileEndsWithTheFrames)
{
    RS.explain[2] = QStringLiteral("ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数");  // header right, per page
    RS.explain[1] = QStringLiteral("ﾃｷｽﾄ1");               // header centre, common
    RS.extraText[0] = QStringLiteral("title");
    RS.fontSize[2] = QStringLiteral("9.6");                // 240 twips high with the fake measurer
    RS.explain[4] = QStringLiteral("更新日付");            // a document never saved: nothing
    RS.updateDateFormat = QStringLiteral("yyyy/mm/dd");
    RS.frameShow = {true, false, true};
    RW.pageCount = 2;
    RW.PageList.resize(3);
    PageFilesWrite();

    const QStringList common = Lines(RW.commonFileName);
    ASSERT_EQ(common.size(), 3);
    EXPECT_TRUE(common[0].endsWith(QStringLiteral(",title")));
    EXPECT_EQ(common[1], QStringLiteral("BOX,0,0,0,850,10772,13994,0,0,2")) << "the body frame";
    EXPECT_EQ(common[2], QStringLiteral("BOX,0,0,0,14844,10772,850,0,0,2")) << "then the footer frame";

    const QStringList page2 = Lines(RW.PageList[2].fileName);
    ASSERT_EQ(page2.size(), 1);
    const QStringList fields = page2[0].split(QLatin1Char(','));
    EXPECT_EQ(fields[14], QStringLiteral("2/2"));
    const int width = fields[12].toInt();
    EXPECT_EQ(fields[1].toInt(), 10772 - (width + 283)) << "half a centimetre inside the right edge";
    EXPECT_EQ(fields[2], QStringLiteral("305")) << "centred in the 850-twip band";
    EXPECT_EQ(fields[13], QStringLiteral("240"));
}

TEST_F(DrawWorkFile, DatesAreFormattedOnlyWhenThereIsADateAndAFormat)
{
    EXPECT_EQ(DateFormatText(QStringLiteral("2026/03/04 05:06:07"), QStringLiteral("yyyy年m月d日")),
              QStringLiteral("2026年3月4日"));
    EXPECT_EQ(DateFormatText(QString(), QStringLiteral("yyyy")), QString());
    EXPECT_EQ(DateFormatText(QStringLiteral("2026/03/04 05:06:07"), QStringLiteral("  ")), QString());
}

TEST_F(DrawWorkFile, AFileThatCannotBeWrittenRaisesAtItsClose)
{
    const std::int16_t fileNo = DrawFileCreate(path(QStringLiteral("missing/x.tmp")));
    DrawRecordPut(fileNo, QStringLiteral("LINE"));
    EXPECT_RAISES(DrawFileClose(fileNo), platform::vbrt::ErrorNumber::PathNotFound);
    EXPECT_RAISES(DrawRecordPut(fileNo, QStringLiteral("LINE")), platform::vbrt::ErrorNumber::BadFileNameOrNumber);
}

TEST_F(DrawWorkFile, ANewFileTakesTheLowestFreeNumberAndEveryFileKeepsItsOwnLines)
{
    const auto read = [](const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(none)");
    };
    const QString a = path(QStringLiteral("a.tmp")), b = path(QStringLiteral("b.tmp")),
                  c = path(QStringLiteral("c.tmp")), d = path(QStringLiteral("d.tmp"));
    const std::int16_t first = DrawFileCreate(a);
    const std::int16_t second = DrawFileCreate(b);
    const std::int16_t third = DrawFileCreate(c);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(third, first + 2);
    DrawRecordPut(second, QStringLiteral("B"));
    DrawFileClose(second);
    const std::int16_t again = DrawFileCreate(d);
    EXPECT_EQ(again, second) << "the number closed in between is taken again";
    EXPECT_EQ(DrawFileCreate(path(QStringLiteral("e.tmp"))), first + 3) << "then the next one above";
    DrawRecordPut(first, QStringLiteral("A"));
    DrawRecordPut(again, QStringLiteral("D"));
    DrawFileClose(again);
    DrawFileClose(first);
    DrawFileClose(third);
    DrawFileClose(first + 3);
    EXPECT_EQ(read(a), QByteArray("A\r\n"));
    EXPECT_EQ(read(b), QByteArray("B\r\n"));
    EXPECT_EQ(read(c), QByteArray());
    EXPECT_EQ(read(d), QByteArray("D\r\n"));
    EXPECT_EQ(DrawFileCreate(a), first) << "with every file closed the numbers start again";
    DrawFilesAbandon();
}

} // namespace
