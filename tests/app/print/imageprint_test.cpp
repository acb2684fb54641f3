#include "print_render_support.h"

#include "app/print/PrintJob.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"
#include "support/PdfTools.h"
#include "support/RaisedError.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QFileInfo>

using namespace printrender_test;
using platform::report::Control;
using platform::report::ControlKind;
using platform::report::Delivery;

namespace {

class ImagePrint : public PrintRenderTest {
protected:
    void SetUp() override
    {
        PrintRenderTest::SetUp();
        platform::msgbox::ClearQueue();
        platform::msgbox::ShownBoxes().clear();
        platform::report::SetDeliveryRecorder(
            [this](Delivery d, const platform::report::Report& book) { delivered_.emplace_back(d, book.Pages().size()); });
    }
    void TearDown() override
    {
        platform::report::SetDeliveryRecorder(nullptr);
        platform::report::SetPrintToFile(QString());
        platform::report::SetDefaultPrinterLookup(nullptr);
        PrintRenderTest::TearDown();
    }

    // The controls a work file of these lines adds to a fresh page.
    std::vector<Control> Drawn(const QStringList& lines, Point origin = {})
    {
        const QString file = write(QStringLiteral("items.tmp"), (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
        ImageBookStart();
        ImagePageStart(1);
        ImageOriginX = origin.xw;
        ImageOriginY = origin.yh;
        ImageFileDraw(file);
        return ImagePage->detail.Items();
    }

    std::vector<std::pair<Delivery, std::size_t>> delivered_;
};


class ImagePrintChart : public ImagePrint {
protected:
    void Build()
    {
        root_ = Block(6000, 9000);
        next_ = Block(6000, 9000);
        const std::int16_t a = Box(root_, QStringLiteral("Alpha box"), {500, 500}, {3000, 600});
        const std::int16_t b = Box(root_, QStringLiteral("Beta box"), {500, 1500}, {3000, 600}, a);
        Box(next_, QStringLiteral("Gamma box"), {500, 1500}, {3000, 600}, b);
        for (const auto& [block, xy] : {std::pair{root_, Point{500, 8000}}, std::pair{next_, Point{500, 0}}}) {
            ConnectorRecord mark;
            mark.label.text = QStringLiteral("1");
            mark.label.xy = Point{100, 50};
            mark.xy = xy;
            mark.draw[0].kind = FigureKind::Line;
            mark.draw[0].e = Point{400, 0};
            RW.BlockList[std::size_t(block)].connector.push_back(mark);
        }
        RS.explain[2] = QStringLiteral("ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数");
        RS.frameShow = {true, false, false};
        const std::int16_t top = BlockDrawFileWrite(-1);
        BlockFilesClose();
        PagesAssign(top);
        PageFilesWrite();
        PagesRender();
    }
    std::int16_t root_ = 0;
    std::int16_t next_ = 0;
};

TEST_F(ImagePrint, ATextItemBecomesAFieldAtTheSizeItWasMeasuredAt)
{
    const std::vector<Control> controls =
        Drawn({QStringLiteral("TEXT,0,0,100,200,ＭＳ ゴシック,0,1,10.5,255,0,1,1000,240,a,b")});
    ASSERT_EQ(controls.size(), 1u);
    const Control& c = controls[0];
    EXPECT_EQ(c.kind, ControlKind::Field);
    EXPECT_EQ(c.name, QStringLiteral("Object1"));
    EXPECT_EQ(c.left, 70);
    EXPECT_EQ(c.top, 200);
    EXPECT_EQ(c.text, QStringLiteral("a,b"));
    EXPECT_TRUE(c.font.bold);
    EXPECT_FALSE(c.font.italic);
    EXPECT_TRUE(c.font.underline);
    EXPECT_FLOAT_EQ(c.font.size, 10.5f) << "10.5 stays 10.5, so the text is never larger than its field";
    EXPECT_EQ(c.width, 1100);
    EXPECT_EQ(c.height, 240);
    EXPECT_EQ(c.foreColor, 255);
    EXPECT_FALSE(c.canGrow);
}

TEST_F(ImagePrint, ABoxBecomesFourLinesAtItsOrigin)
{
    const std::vector<Control> controls = Drawn({QStringLiteral("BOX,300,400,100,200,1000,500,255,0,2")});
    ASSERT_EQ(controls.size(), 4u);
    const auto edge = [](const Control& c) { return QString("%1,%2-%3,%4").arg(c.x1).arg(c.y1).arg(c.x2).arg(c.y2); };
    EXPECT_EQ(edge(controls[0]), QStringLiteral("400,600-1400,600")) << "top";
    EXPECT_EQ(edge(controls[1]), QStringLiteral("400,1100-1400,1100")) << "bottom";
    EXPECT_EQ(edge(controls[2]), QStringLiteral("400,600-400,1100")) << "left";
    EXPECT_EQ(edge(controls[3]), QStringLiteral("1400,600-1400,1100")) << "right";
    EXPECT_EQ(controls[3].lineWeight, 2);
    EXPECT_EQ(controls[3].lineStyle, platform::report::LineStyle::Solid);
}

TEST_F(ImagePrint, AnArcIsAnEllipseBehindWhiteMasks)
{
    struct Row {
        const char* why;
        QString line;
        // back to front: the ellipse, then its masks in reverse order
        std::vector<QRectF> rects;
    } rows[] = {
        {"upper left quarter: a right and a lower mask", QStringLiteral("CIRCLE,1000,1000,0,0,150.3,0,0,1,6"),
         {QRectF(850, 850, 300, 301), QRectF(850, 1000, 300, 150.5), QRectF(1000, 850, 150, 301)}},
        {"a diameter of 300.5 rounds to 300", QStringLiteral("CIRCLE,1000,1000,0,0,150.25,0,0,1,1"),
         {QRectF(850, 850, 300, 300)}},
        {"the left masks reach 10 twips further", QStringLiteral("CIRCLE,1000,1000,0,0,100,0,0,1,9"),
         {QRectF(900, 900, 200, 200), QRectF(890, 900, 210, 100), QRectF(890, 900, 110, 200)}},
        {"an unknown kind adds nothing", QStringLiteral("CIRCLE,1000,1000,0,0,100,0,0,1,10"), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::vector<Control> controls = Drawn({QStringLiteral("LINE,0,0,0,0,10,10,0,0,1"), row.line});
        ASSERT_EQ(controls.size(), row.rects.size() + 1);
        for (std::size_t i = 0; i < row.rects.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(QRectF(controls[i].left, controls[i].top, controls[i].width, controls[i].height), row.rects[i]);
            EXPECT_EQ(controls[i].kind, i == 0 ? ControlKind::Shape : ControlKind::Field);
            if (i > 0) {
                EXPECT_EQ(controls[i].backStyle, 1);
                EXPECT_EQ(controls[i].backColor, 0xFFFFFF);
            }
        }
        EXPECT_EQ(controls.back().kind, ControlKind::Line) << "lines stay in front";
    }
}

// Printed, an arc shows only the part its masks leave: no ink beyond them, whatever its line width.
TEST_F(ImagePrint, AnArcPrintsNoInkBeyondItsMasks)
{
    struct Row {
        const char* why;
        int kind;
        QRectF kept;  // the part of the circle's bounds that may hold ink, relative to its centre
    } rows[] = {
        {"upper left quarter", 6, QRectF(-200, -200, 200, 200)},
        {"lower right quarter", 9, QRectF(0, 0, 200, 200)},
        {"upper half", 5, QRectF(-200, -200, 400, 200)},
    };
    for (const int width : {1, 4}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.why) + ", width " + std::to_string(width));
            Drawn({QStringLiteral("CIRCLE,1000,1000,0,0,200,0,0,%1,%2").arg(width).arg(row.kind)});
            ImagePageAppend();
            const platform::report::Page& page = ImageBook->Pages().at(0);
            QRectF circle;
            for (const Control& c : page.controls)
                if (c.kind == ControlKind::Shape)
                    circle = QRectF(c.left, c.top, c.width, c.height);
            ASSERT_FALSE(circle.isNull());

            // Five twips a pixel, the region around the circle.
            constexpr double scale = 1.0 / 5.0;
            const QRectF around = circle.adjusted(-200, -200, 200, 200);
            QImage image((around.size() * scale).toSize(), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(scale, scale);
            painter.translate(-around.topLeft());
            platform::report::PaintPage(painter, page);
            painter.end();

            // One pixel of slack at the masks' edges, where the ink fades out.
            const QRectF allowed = row.kept.translated(circle.center()).adjusted(-5, -5, 5, 5);
            int stray = 0;
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) > 200)
                        continue;
                    ++inked;
                    const QPointF twips = around.topLeft() + QPointF(x + 0.5, y + 0.5) / scale;
                    stray += !allowed.contains(twips);
                }
            }
            EXPECT_GT(inked, 10) << "the kept part is drawn";
            EXPECT_EQ(stray, 0);
        }
    }
}

TEST_F(ImagePrint, PenStylesAndNumericFieldsReadAsTheWorkFileMeantThem)
{
    struct Row {
        const char* why;
        QString line;
        std::int16_t style;
        double x1;
    } rows[] = {
        {"dash-dot-dot", QStringLiteral("LINE,0,0,5,0,1,1,0,4,1"), 5, 5},
        {"none", QStringLiteral("LINE,0,0,5,0,1,1,0,5,1"), 0, 5},
        {"inside frame is solid", QStringLiteral("LINE,0,0,5,0,1,1,0,6,1"), 1, 5},
        {"an unknown style leaves the control's own", QStringLiteral("LINE,0,0,5,0,1,1,0,7,1"), 1, 5},
        {"ten digits read as 0", QStringLiteral("LINE,0,0,1234567890,0,1,1,0,0,1"), 1, 0},
        {"letters read as 0", QStringLiteral("LINE,0,0,abc,0,1,1,0,0,1"), 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::vector<Control> controls = Drawn({row.line});
        ASSERT_EQ(controls.size(), 1u);
        EXPECT_EQ(controls[0].lineStyle, row.style);
        EXPECT_EQ(controls[0].x1, row.x1);
    }
}

TEST_F(ImagePrint, OtherLinesAreSkippedAndABrokenItemIsRefused)
{
    EXPECT_TRUE(Drawn({QStringLiteral("line,0,0,0,0,1,1,0,0,1"), QStringLiteral("NOTE"), QString()}).empty());
    EXPECT_RAISES(Drawn({QStringLiteral("TEXT,0,0,1,2,font")}), platform::vbrt::ErrorNumber::Application);
    EXPECT_RAISES(Drawn({QStringLiteral("CIRCLE,0,0,1,2,wide,0,0,1,1")}), platform::vbrt::ErrorNumber::Application);
    EXPECT_RAISES(ImageFileDraw(path(QStringLiteral("absent.tmp"))), platform::vbrt::ErrorNumber::FileNotFound);
}

TEST_F(ImagePrint, LinesReadTheSameWhateverEndsThem)
{
    struct Row {
        const char* why;
        QByteArray bytes;
    } rows[] = {
        {"CR LF", "LINE,0,0,5,6,1,1,0,0,1\r\nTEXT,0,0,1,2,IPAGothic,0,0,10.5,0,0,0,100,240,a,b\r\n"},
        {"LF alone", "LINE,0,0,5,6,1,1,0,0,1\nTEXT,0,0,1,2,IPAGothic,0,0,10.5,0,0,0,100,240,a,b\n"},
        {"blank lines and no end after the last",
         "\r\nLINE,0,0,5,6,1,1,0,0,1\r\n\r\n\nTEXT,0,0,1,2,IPAGothic,0,0,10.5,0,0,0,100,240,a,b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString file = write(QStringLiteral("items.tmp"), row.bytes);
        ImageBookStart();
        ImagePageStart(1);
        ImageFileDraw(file);
        const std::vector<Control> controls = ImagePage->detail.Items();
        ASSERT_EQ(controls.size(), 2u);
        EXPECT_EQ(controls[0].x1, 5);
        EXPECT_EQ(controls[0].y2, 7);
        EXPECT_EQ(controls[1].text, QStringLiteral("a,b")) << "the text ends where the line does";
        EXPECT_EQ(controls[1].font.size, 10.5f);
    }
}

TEST_F(ImagePrint, ControlNamesContinueAcrossPages)
{
    const QString file = write(QStringLiteral("items.tmp"), "LINE,0,0,0,0,1,1,0,0,1\r\nBOX,0,0,0,0,1,1,0,0,1\r\n");
    ImageBookStart();
    ImagePageStart(1);
    ImageFileDraw(file);
    ImagePageAppend();
    ImagePageStart(2);
    ImageFileDraw(file);
    EXPECT_EQ(ImagePage->detail.Items().front().name, QStringLiteral("Object6"));
    ImagePageAppend();
    ASSERT_EQ(ImageBook->Pages().size(), 2u);
    EXPECT_EQ(ImageBook->Pages()[1].controls.back().name, QStringLiteral("Object10"));
}

TEST_F(ImagePrint, AnEmptyBookSaysSoAndDeliversNothing)
{
    RS.pdfPath = path(QStringLiteral("empty.pdf"));
    for (const std::int32_t mode : {ImageOutput::Preview, ImageOutput::Print, ImageOutput::Pdf}) {
        SCOPED_TRACE(mode);
        platform::msgbox::ShownBoxes().clear();
        ImageBookStart();
        ImageBookOutput(mode);
        ASSERT_EQ(platform::msgbox::ShownBoxes().size(), 1u);
        EXPECT_EQ(platform::msgbox::ShownBoxes()[0].prompt, QStringLiteral("出力する情報がありません。"));
        EXPECT_FALSE(ImageBook) << "the book is released";
    }
    EXPECT_TRUE(delivered_.empty());
    EXPECT_FALSE(QFile::exists(RS.pdfPath));
}

TEST_F(ImagePrint, ACanvasWithoutBoxesTakesNoPage)
{
    Block(1000, 1000);  // the root block the layout made for it
    EXPECT_EQ(BlockDrawFileWrite(-1), -1);
    PagesAssign(-1);
    EXPECT_EQ(RW.pageCount, 0);
    PageFilesWrite();
    PagesRender();
    ImageBookOutput(ImageOutput::Preview);
    ASSERT_EQ(platform::msgbox::ShownBoxes().size(), 1u);
    EXPECT_EQ(platform::msgbox::ShownBoxes()[0].prompt, QStringLiteral("出力する情報がありません。"));
    EXPECT_TRUE(delivered_.empty());
}

TEST_F(ImagePrintChart, HandMadeBlocksBecomeAnA4PdfWithEveryTextAndBothContinuationMarks)
{
    Build();
    ASSERT_EQ(RW.pageCount, 2);
    RS.pdfPath = path(QStringLiteral("chart.pdf"));
    ImageBookOutput(ImageOutput::Pdf);
    EXPECT_FALSE(ImageBook);

    const testsupport::PdfInfo info = testsupport::PdfInfoRead(RS.pdfPath);
    EXPECT_EQ(info.pages, 2);
    EXPECT_TRUE(info.pageSize.startsWith(QStringLiteral("595 x 842 pts"))) << info.pageSize.toStdString();
    EXPECT_EQ(info.title, QStringLiteral("chart.pad"));
    const QString text = testsupport::PdfText(RS.pdfPath);
    for (const char* box : {"Alpha box", "Beta box", "Gamma box", "1/2", "2/2"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(box))) << box;
    const QStringList pages = text.split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 2);
    const QRegularExpression mark(QStringLiteral("(^|\\s)1(\\s|$)"));
    EXPECT_TRUE(pages[0].contains(mark)) << "the mark where the chain leaves";
    EXPECT_TRUE(pages[1].contains(mark)) << "the mark where it resumes";
}

TEST_F(ImagePrintChart, TheBlocksInkStaysInsideTheirAreaAndTheMargins)
{
    Build();
    RS.pdfPath = path(QStringLiteral("chart.pdf"));
    ImageBookOutput(ImageOutput::Pdf);
    // At 96 dpi a pixel is 15 twips.
    const QImage image = testsupport::PdfRaster(RS.pdfPath, 1, 96).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    const auto ink = [&](const QRect& twips) {
        const QRect px(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
        for (int y = px.top(); y <= px.bottom(); ++y)
            for (int x = px.left(); x <= px.right(); ++x)
                if (qGray(image.pixel(x, y)) < 200)
                    return true;
        return false;
    };
    const int width = image.width() * 15;
    const int height = image.height() * 15;
    // The block's top-left corner on the paper: margin, space, and below the header band.
    const int left = 567 + 283;
    const int top = 567 + 850 + 283;
    EXPECT_TRUE(ink(QRect(left + 500, top + 500, 3000, 600))) << "the first box";
    EXPECT_FALSE(ink(QRect(left + 6100, top + 100, 3000, 9000))) << "nothing right of the block inside the body";
    EXPECT_FALSE(ink(QRect(0, 0, 540, height))) << "the left margin";
    EXPECT_FALSE(ink(QRect(0, 0, width, 540))) << "the top margin";
    EXPECT_FALSE(ink(QRect(width - 540, 0, 540, height))) << "the right margin";
    EXPECT_FALSE(ink(QRect(0, height - 540, width, 540))) << "the bottom margin";
}

TEST_F(ImagePrintChart, PrintingThroughThePrinterGivesTheSamePagesAsThePdf)
{
    Build();
    RS.pdfPath = path(QStringLiteral("chart.pdf"));
    platform::report::SetDeliveryRecorder(nullptr);
    platform::report::SetPrintToFile(path(QStringLiteral("printed.pdf")));
    auto book = std::make_unique<ImageReport>(*ImageBook);
    ImageBookOutput(ImageOutput::Print);
    ImageBook = std::move(book);
    ImageBookOutput(ImageOutput::Pdf);
    EXPECT_EQ(testsupport::PdfInfoRead(path(QStringLiteral("printed.pdf"))).pages, 2);
    EXPECT_EQ(testsupport::PdfText(path(QStringLiteral("printed.pdf"))), testsupport::PdfText(RS.pdfPath));
}

TEST_F(ImagePrintChart, PagesPaintedAsTheyAreMadeGiveTheSameFileAsAKeptBook)
{
    Build();
    platform::report::SetDeliveryRecorder(nullptr);
    platform::report::SetPrintToFile(path(QStringLiteral("printed.pdf")));
    RS.pdfPath = path(QStringLiteral("kept.pdf"));
    ImageBookOutput(ImageOutput::Pdf);
    const QString kept = testsupport::PdfText(RS.pdfPath);
    ASSERT_FALSE(kept.isEmpty());

    struct Row {
        const char* why;
        std::int32_t mode;
        QString file;
        bool placedAtTheEnd;
    };
    const Row rows[] = {
        {"into the PDF file", ImageOutput::Pdf, path(QStringLiteral("streamed.pdf")), true},
        {"through the printer", ImageOutput::Print, path(QStringLiteral("printed.pdf")), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RS.pdfPath = path(QStringLiteral("streamed.pdf"));
        PrintPagesRender(row.mode);
        EXPECT_TRUE(ImageBook->Pages().empty()) << "no page is held";
        EXPECT_EQ(ImageBook->PageCount(), 2u);
        if (row.placedAtTheEnd) {
            EXPECT_FALSE(QFileInfo::exists(row.file)) << "nothing is under the name before the output ends";
        }
        ImageBookOutput(row.mode);
        EXPECT_EQ(testsupport::PdfInfoRead(row.file).pages, 2);
        EXPECT_EQ(testsupport::PdfText(row.file), kept);
    }

    // An output dropped half-way leaves the file that was there as it was.
    PrintPagesRender(ImageOutput::Pdf);
    ImageBook.reset();
    EXPECT_EQ(testsupport::PdfText(RS.pdfPath), kept);
}

TEST_F(ImagePrintChart, WithoutAPrinterPrintRaisesTheCauseAndWritesNothing)
{
    Build();
    platform::report::SetDeliveryRecorder(nullptr);
    platform::report::SetDefaultPrinterLookup([] { return QString(); });
    const QStringList before = QDir(path()).entryList(QDir::Files);
    try {
        ImageBookOutput(ImageOutput::Print);
        ADD_FAILURE() << "printing without a printer was accepted";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません。"));
    }
    EXPECT_FALSE(ImageBook) << "the book is released after a failed output too";
    EXPECT_EQ(QDir(path()).entryList(QDir::Files), before);
}

TEST_F(ImagePrintChart, PreviewAndPrintHandTheWholeBookOver)
{
    Build();
    ImageBookOutput(ImageOutput::Preview);
    PagesRender();
    ImageBookOutput(ImageOutput::Print);
    ASSERT_EQ(delivered_.size(), 2u);
    EXPECT_EQ(delivered_[0], std::make_pair(Delivery::Preview, std::size_t(2)));
    EXPECT_EQ(delivered_[1], std::make_pair(Delivery::Print, std::size_t(2)));
}

} // namespace
