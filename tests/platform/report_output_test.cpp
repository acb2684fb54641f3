#include "platform/report/Report.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "support/PdfTools.h"
#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

using namespace platform::report;
namespace E = platform::vbrt::ErrorNumber;

namespace {

QStringList Names(const ControlList& list)
{
    QStringList names;
    for (const Control& c : list.Items())
        names << c.name;
    return names;
}

// An A4 report with 1 cm margins whose pages each hold one framed text.
Report TwoPageBook()
{
    Report book;
    book.title = QStringLiteral("sample.pad");
    for (const char* text : {"first page text", "second page text"}) {
        Report page;
        page.setup.margin = {567, 567, 567, 567};
        page.printWidth = 11906 - 2 * 567;
        page.detailHeight = 16838 - 2 * 567 - 10;
        Control& field = page.detail.Add(ControlKind::Field, QStringLiteral("Object1"));
        field.left = 1000;
        field.top = 1000;
        field.width = 4000;
        field.height = 300;
        field.text = QString::fromLatin1(text);
        field.font = {QStringLiteral("ＭＳ ゴシック"), 10.5f};
        field.canGrow = false;
        Control& line = page.detail.Add(ControlKind::Line, QStringLiteral("Object2"));
        line.x1 = 900;
        line.y1 = 900;
        line.x2 = 5100;
        line.y2 = 900;
        page.Run();
        book.Pages().push_back(page.Pages().front());
    }
    return book;
}

// A page painted at 96 dpi (15 twips a pixel) on white.
QImage Raster(const Page& page)
{
    const QSize paper = PaperTwips(page.setup);
    QImage image(paper.width() / 15, paper.height() / 15, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / 15.0, 1.0 / 15.0);
    PaintPage(painter, page);
    return image;
}

bool InkIn(const QImage& image, const QRect& pixels)
{
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

class ReportOutput : public testsupport::TempFolder {
protected:
    void TearDown() override
    {
        SetDeliveryRecorder(nullptr);
        SetPrintToFile(QString());
        SetDefaultPrinterLookup(nullptr);
        platform::filesystem::SetAtomicOpenFault({});
        platform::filesystem::SetAtomicWriteFault({});
    }
};

TEST(ReportControls, ZOrderMovesAControlToTheFrontOrTheBack)
{
    ControlList list;
    for (const char* name : {"a", "b", "c"})
        list.Add(ControlKind::Line, QString::fromLatin1(name));
    list.ZOrder(QStringLiteral("b"), 1);
    EXPECT_EQ(Names(list), (QStringList{"b", "a", "c"}));
    list.ZOrder(QStringLiteral("b"), 0);
    EXPECT_EQ(Names(list), (QStringList{"a", "c", "b"}));
    list.ZOrder(QStringLiteral("absent"), 1);
    EXPECT_EQ(Names(list), (QStringList{"a", "c", "b"}));
}

TEST(ReportControls, RunPlacesTheDetailInsideTheMargins)
{
    Report report;
    report.setup.margin = {100, 200, 300, 400};
    report.printWidth = 5000;
    report.detailHeight = 6000;
    Control& line = report.detail.Add(ControlKind::Line, QStringLiteral("l"));
    line.x1 = 10;
    line.y1 = 20;
    Control& field = report.detail.Add(ControlKind::Field, QStringLiteral("f"));
    field.left = 30;
    field.top = 40;
    report.Run();
    ASSERT_EQ(report.Pages().size(), 1u);
    const Page& page = report.Pages().front();
    EXPECT_EQ(page.clip, QRect(100, 300, 5000, 6000));
    EXPECT_EQ(page.controls[0].x1, 110);
    EXPECT_EQ(page.controls[0].y1, 320);
    EXPECT_EQ(page.controls[1].left, 130);
    EXPECT_EQ(page.controls[1].top, 340);
    EXPECT_EQ(PaperTwips(page.setup), QSize(11906, 16838)) << "A4 portrait";
}

TEST(ReportPainting, ControlsShowTheirColourWeightStyleAndStayInsideTheMargins)
{
    Report report;
    report.setup.margin = {1500, 1500, 1500, 1500};
    report.printWidth = 3000;
    report.detailHeight = 3000;
    const auto line = [&](double y, std::int32_t color, std::int16_t style, double weight) {
        Control& c = report.detail.Add(ControlKind::Line, QString::number(y));
        c.x1 = 0;
        c.x2 = 3000;
        c.y1 = c.y2 = y;
        c.lineColor = color;
        c.lineStyle = style;
        c.lineWeight = weight;
    };
    line(307.5, 255, LineStyle::Solid, 1);        // red (r + 256g + 65536b), one pixel row
    line(900, 0, LineStyle::Transparent, 3);      // no pen
    line(1500, 65536 * 255, LineStyle::Solid, 4); // blue, 60 twips = 4 pixels
    Control& outside = report.detail.Add(ControlKind::Line, QStringLiteral("outside"));
    outside.x1 = -1400;
    outside.x2 = -1400;
    outside.y2 = 3000;
    report.Run();
    const QImage image = Raster(report.Pages().front());

    EXPECT_EQ(QColor(image.pixel(200, 120)), QColor(Qt::red));
    EXPECT_FALSE(InkIn(image, QRect(110, 155, 180, 10))) << "a transparent line leaves no ink";
    EXPECT_EQ(QColor(image.pixel(200, 200)), QColor(Qt::blue));
    int blueRows = 0;
    for (int y = 190; y < 210; ++y)
        blueRows += QColor(image.pixel(200, y)) == QColor(Qt::blue);
    EXPECT_EQ(blueRows, 4) << "a weight of 4 is four pixels at 96 dpi";
    EXPECT_FALSE(InkIn(image, QRect(0, 0, 99, image.height()))) << "nothing is drawn outside the margins";
}

TEST(ReportPainting, AFieldThatCannotGrowShowsItsTextInsideItAndAnOpaqueOneCoversWhatLiesBehind)
{
    Report report;
    report.printWidth = 11906;
    report.detailHeight = 16828;
    Control& behind = report.detail.Add(ControlKind::Line, QStringLiteral("behind"));
    behind.x1 = 0;
    behind.x2 = 3000;
    behind.y1 = behind.y2 = 3150;
    behind.lineWeight = 2;
    Control& mask = report.detail.Add(ControlKind::Field, QStringLiteral("mask"));
    mask.left = 1500;
    mask.top = 3000;
    mask.width = 1500;
    mask.height = 300;
    mask.backStyle = 1;
    Control& text = report.detail.Add(ControlKind::Field, QStringLiteral("text"));
    text.left = 0;
    text.top = 0;
    text.width = 1500;
    text.height = 300;
    text.text = QStringLiteral("ＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷ");
    text.font = {QStringLiteral("ＭＳ ゴシック"), 12.0f};
    text.canGrow = false;
    report.Run();
    const QImage image = Raster(report.Pages().front());
    EXPECT_TRUE(InkIn(image, QRect(0, 0, 100, 20)));
    EXPECT_FALSE(InkIn(image, QRect(101, 0, 300, 40))) << "the text is cut at the field's right edge";
    EXPECT_TRUE(InkIn(image, QRect(0, 205, 99, 12)));
    EXPECT_FALSE(InkIn(image, QRect(100, 205, 99, 12))) << "the opaque field covers the line behind it";
}

TEST_F(ReportOutput, APdfHoldsEveryPageOnA4WithItsTextsAndTitle)
{
    const Report book = TwoPageBook();
    const QString file = path(QStringLiteral("out.pdf"));
    ExportPdf(book, file);
    const testsupport::PdfInfo info = testsupport::PdfInfoRead(file);
    EXPECT_EQ(info.pages, 2);
    EXPECT_TRUE(info.pageSize.startsWith(QStringLiteral("595 x 842 pts"))) << info.pageSize.toStdString();
    EXPECT_EQ(info.title, QStringLiteral("sample.pad"));
    const QStringList pages = testsupport::PdfText(file).split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("first page text")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("second page text")));
}

// A PDF that cannot be written whole raises the file layer's error, and the name stays as it was:
// no file cut short under it, an old file whole, nothing left beside it. Faults come through the
// file layer's seams, so they strike whoever runs the test.
TEST_F(ReportOutput, APdfThatCannotBeWrittenWholeRaisesAndLeavesTheNameAsItWas)
{
    const Report book = TwoPageBook();
    ExportPdf(book, path(QStringLiteral("whole.pdf")));
    const qint64 whole = QFileInfo(path(QStringLiteral("whole.pdf"))).size();
    ASSERT_GT(whole, 1000);

    enum Step { FirstPage, AnyStep };
    struct Row {
        const char* why;
        const char* name;
        QByteArray old;       // the file under the name before, if any
        bool folderInTheWay;  // a folder under the name instead
        int openError;        // refused opening of the file beside the target
        qint64 failFrom;      // every write reaching past this many bytes fails (-1: none)
        int writeError;
        std::int32_t raised;
        Step step;            // where the stream raises
    };
    const Row rows[] = {
        {"a missing folder", "missing/out.pdf", {}, false, 0, -1, 0, E::PathNotFound, FirstPage},
        {"a folder in the way", "out.pdf", {}, true, 0, -1, 0, E::PermissionDenied, FirstPage},
        {"a folder the user may not write", "out.pdf", "old pdf", false, EACCES, -1, 0, E::PermissionDenied, FirstPage},
        {"no space halfway, an old file", "out.pdf", "old pdf", false, 0, whole / 2, ENOSPC, E::DiskFull, AnyStep},
        {"no space halfway, no old file", "out.pdf", {}, false, 0, whole / 2, ENOSPC, E::DiskFull, AnyStep},
        {"a failing device at the first page", "out.pdf", "old pdf", false, 0, 0, EIO, E::IoError, FirstPage},
    };
    int rowNumber = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString folder = path(QStringLiteral("row%1").arg(++rowNumber));
        const QString target = folder + QLatin1Char('/') + QLatin1String(row.name);
        ASSERT_TRUE(QDir().mkpath(row.folderInTheWay ? target : folder));
        if (!row.old.isEmpty()) {
            QFile old(target);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(row.old);
        }
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        platform::filesystem::SetAtomicOpenFault([&](const QString&) { return row.openError; });
        int failedWrites = 0;
        platform::filesystem::SetAtomicWriteFault([&](qint64 written, qint64 size) {
            if (row.failFrom < 0 || written + size <= row.failFrom)
                return 0;
            ++failedWrites;
            return row.writeError;
        });

        int pagesPainted = 0;
        std::int32_t raised = 0;
        QString text;
        try {
            const std::unique_ptr<PageStream> stream = PdfStream(target, book.title);
            for (const Page& page : book.Pages()) {
                stream->Paint(page);
                ++pagesPainted;
            }
            stream->Finish();
        } catch (const platform::vbrt::Error& e) {
            raised = e.number();
            text = e.description();
        }
        platform::filesystem::SetAtomicOpenFault({});
        platform::filesystem::SetAtomicWriteFault({});

        EXPECT_EQ(raised, row.raised) << text.toStdString();
        EXPECT_TRUE(text.contains(target)) << text.toStdString();
        if (row.step == FirstPage) {
            EXPECT_EQ(pagesPainted, 0) << "the first page raises";
        }
        EXPECT_LE(failedWrites, 1) << "nothing is written after a failed write";
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before)
            << "nothing new under the name or beside it";
        if (!row.old.isEmpty()) {
            EXPECT_EQ(read(target), row.old);
        }
    }
    // A refused write is named as the file layer names it.
    platform::filesystem::SetAtomicOpenFault([](const QString&) { return EACCES; });
    EXPECT_EQ(testsupport::RaisedText([&] { ExportPdf(book, path(QStringLiteral("refused.pdf"))); }),
              QStringLiteral("書き込みできません。 (%1)").arg(path(QStringLiteral("refused.pdf"))));
}

TEST_F(ReportOutput, PrintingToAFileGivesTheSamePagesAsThePdf)
{
    const Report book = TwoPageBook();
    ExportPdf(book, path(QStringLiteral("export.pdf")));
    SetPrintToFile(path(QStringLiteral("printed.pdf")));
    Print(book);
    const testsupport::PdfInfo printed = testsupport::PdfInfoRead(path(QStringLiteral("printed.pdf")));
    const testsupport::PdfInfo exported = testsupport::PdfInfoRead(path(QStringLiteral("export.pdf")));
    EXPECT_EQ(printed.pages, exported.pages);
    EXPECT_EQ(printed.pageSize, exported.pageSize);
    EXPECT_EQ(testsupport::PdfText(path(QStringLiteral("printed.pdf"))),
              testsupport::PdfText(path(QStringLiteral("export.pdf"))));
}

TEST_F(ReportOutput, WithoutAPrinterPrintingRaisesAndWritesNothing)
{
    SetDefaultPrinterLookup([] { return QString(); });
    const QString home = QDir::currentPath();
    const QStringList before = QDir(home).entryList(QDir::Files);
    try {
        Print(TwoPageBook());
        ADD_FAILURE() << "printing without a printer was accepted";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません。"));
    }
    EXPECT_EQ(QDir(home).entryList(QDir::Files), before);
    EXPECT_EQ(QDir(path()).entryList(QDir::Files), QStringList());
}

TEST_F(ReportOutput, TheRecorderTakesPreviewAndPrintWithoutShowingAnything)
{
    std::vector<std::pair<Delivery, std::size_t>> seen;
    SetDeliveryRecorder([&](Delivery d, const Report& book) { seen.emplace_back(d, book.Pages().size()); });
    const Report book = TwoPageBook();
    Preview(book);
    Print(book);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(Delivery::Preview, std::size_t(2)));
    EXPECT_EQ(seen[1], std::make_pair(Delivery::Print, std::size_t(2)));
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(), QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }));
}

TEST_F(ReportOutput, ThePreviewFitsTheScreenItOpensOn)
{
    const Report book = TwoPageBook();
    std::unique_ptr<QDialog> dialog = CreatePreviewDialog(book);
    dialog->show();
    const QRect area = dialog->screen()->availableGeometry();
    ASSERT_LT(area.height(), 1000) << "the test screen is smaller than the preview's own size";
    EXPECT_TRUE(area.contains(dialog->frameGeometry()))
        << dialog->frameGeometry().height() << " high on a screen of " << area.height();
    dialog.reset();
}

TEST_F(ReportOutput, ThePreviewShowsEveryPageAndMovesBetweenThem)
{
    const Report book = TwoPageBook();
    std::unique_ptr<QDialog> dialog = CreatePreviewDialog(book);
    dialog->show();
    auto* view = dialog->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->pageCount() == 2; }, 30000)) << view->pageCount();
    EXPECT_EQ(view->currentPage(), 1);
    // The label says the page shown, however the preview came to it.
    auto* label = dialog->findChild<QLabel*>(QStringLiteral("pageLabel"));
    ASSERT_NE(label, nullptr);
    auto* pages = view->findChild<QGraphicsView*>();
    ASSERT_NE(pages, nullptr);
    const auto wheel = [&](int steps) {
        const QPointF at = QRectF(pages->viewport()->rect()).center();
        for (int i = 0; i < std::abs(steps); ++i) {
            QWheelEvent turn(at, pages->viewport()->mapToGlobal(at), QPoint(), QPoint(0, steps < 0 ? 120 : -120),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pages->viewport(), &turn);
        }
    };
    struct Move {
        const char* why;
        std::function<void()> act;
        int page;
    };
    const std::vector<Move> moves = {
        {"shown first", [] {}, 1},
        {"次ﾍﾟｰｼﾞ", [&] { dialog->findChild<QAction*>(QStringLiteral("next"))->trigger(); }, 2},
        {"the wheel up to the start", [&] { wheel(-40); }, 1},
        {"the wheel down to the end", [&] { wheel(40); }, 2},
        {"前ﾍﾟｰｼﾞ", [&] { dialog->findChild<QAction*>(QStringLiteral("previous"))->trigger(); }, 1},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.why);
        move.act();
        EXPECT_EQ(view->currentPage(), move.page);
        EXPECT_EQ(label->text(), QStringLiteral(" %1 / 2 ").arg(move.page));
    }
    dialog->findChild<QAction*>(QStringLiteral("next"))->trigger();
    EXPECT_EQ(view->currentPage(), 2);
    dialog->findChild<QAction*>(QStringLiteral("actual"))->trigger();
    EXPECT_DOUBLE_EQ(view->zoomFactor(), 1.0);
    dialog->findChild<QAction*>(QStringLiteral("close"))->trigger();
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << "a window outlived the preview";
}

} // namespace
