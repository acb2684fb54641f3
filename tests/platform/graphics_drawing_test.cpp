#include "platform/graphics/DrawingTarget.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

using namespace platform::graphics;

namespace {

constexpr std::int32_t kRed = 255;
constexpr std::int32_t kBlue = 255 * 65536;

// Draws through a retained drawing and renders it into an image of w x h pixels.
class GraphicsDrawing : public ::testing::Test {
protected:
    void SetUp() override { platform::textmeasure::UseFakeTextMeasurer(false); }

    QImage Render(int w = 100, int h = 100, QRect exposed = {})
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter painter(&image);
        drawing.Render(painter, exposed.isNull() ? QRect(0, 0, w, h) : exposed);
        return image;
    }

    static bool IsRed(const QImage& image, int x, int y)
    {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }

    static int CountColoured(const QImage& image, QRect area)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white))
                    ++n;
        return n;
    }

    RetainedDrawing drawing;
};

TEST(GraphicsColor, ProgramColourValuesCrossToQtTheRightWayRound)
{
    struct Row {
        const char* why;
        std::int32_t value;
        QColor color;
    } rows[] = {
        {"red is the low byte", 255, QColor(255, 0, 0)},
        {"green is the middle byte", 256 * 128, QColor(0, 128, 0)},
        {"blue is the high byte", 65536 * 200, QColor(0, 0, 200)},
        {"mixed", 1 + 256 * 2 + 65536 * 3, QColor(1, 2, 3)},
        {"white", 0xFFFFFF, QColor(255, 255, 255)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(ToQColor(row.value), row.color);
        EXPECT_EQ(FromQColor(row.color), row.value);
    }
    EXPECT_FALSE(ToQColor(-1).isValid());
    EXPECT_FALSE(ToQColor(0x1000000).isValid());
    EXPECT_EQ(FromQColor(QColor()), -1);
}

TEST_F(GraphicsDrawing, PrintHangsTextFromThePositionAndMovesBelowIt)
{
    drawing.SetFontName(QStringLiteral("ＭＳ ゴシック"));
    drawing.SetFontSize(12.0f);
    drawing.SetForeColor(0);
    drawing.SetCurrentX(300);
    drawing.SetCurrentY(600);
    const double line = drawing.TextHeight(QStringLiteral("X"));
    drawing.Print(QStringLiteral("漢字\r\n漢字"));
    EXPECT_EQ(drawing.CurrentX(), 0);
    EXPECT_EQ(drawing.CurrentY(), 600 + std::lround(2 * line));
    ASSERT_EQ(drawing.Records().size(), 2u);
    EXPECT_EQ(drawing.Records()[1].p1, QPoint(300, 600 + std::lround(line)));

    const QImage image = Render();
    // Nothing above the position (Qt would put the baseline there), ink just below it.
    EXPECT_EQ(CountColoured(image, QRect(0, 0, 100, 600 / 15)), 0);
    EXPECT_GT(CountColoured(image, QRect(300 / 15, 600 / 15, 30, int(line / 15))), 20);
}

TEST_F(GraphicsDrawing, PrintContinuedStaysOnTheLine)
{
    drawing.SetFontSize(10.0f);
    drawing.SetCurrentX(100);
    drawing.SetCurrentY(50);
    drawing.PrintContinued(QStringLiteral("AB"));
    EXPECT_EQ(drawing.CurrentX(), 100 + std::lround(drawing.TextWidth(QStringLiteral("AB"))));
    EXPECT_EQ(drawing.CurrentY(), 50);
}

TEST_F(GraphicsDrawing, LinesAndRectanglesLandOnTheirPixels)
{
    drawing.Line(150, 300, 1350, 300, kRed);  // pixels (10, 20) to (90, 20)
    EXPECT_EQ(drawing.CurrentX(), 1350);
    drawing.Rectangle(300, 600, 1200, 1200, kBlue);  // pixels (20, 40) to (80, 80)
    const QImage image = Render();
    EXPECT_TRUE(IsRed(image, 50, 20));
    EXPECT_FALSE(IsRed(image, 50, 23));
    EXPECT_EQ(image.pixelColor(20, 60).blue(), 255);
    EXPECT_EQ(image.pixelColor(50, 40).blue(), 255);
    EXPECT_EQ(image.pixelColor(50, 60), QColor(Qt::white)) << "an outline is not filled";
}

TEST_F(GraphicsDrawing, ALineOfNoLengthDrawsNothingButMovesThePosition)
{
    struct Row {
        const char* why;
        std::int16_t width;
        std::int32_t x;
        std::int32_t y;
    } rows[] = {
        {"on a pixel", 1, 750, 750},
        {"between pixels", 1, 757, 743},
        {"a wide pen", 3, 750, 750},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        drawing.Cls();
        drawing.SetDrawWidth(row.width);
        drawing.Line(row.x, row.y, row.x, row.y, kRed);
        EXPECT_EQ(drawing.CurrentX(), row.x);
        EXPECT_EQ(drawing.CurrentY(), row.y);
        EXPECT_EQ(CountColoured(Render(), QRect(0, 0, 100, 100)), 0);

        // Nor does such a line painted as a record, as windows paint their line controls.
        DrawRecord line;
        line.kind = DrawRecord::Kind::Line;
        line.p1 = line.p2 = QPoint(row.x, row.y);
        line.color = kRed;
        line.drawWidth = row.width;
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
        PaintRecord(painter, line);
        painter.end();
        EXPECT_EQ(CountColoured(image, QRect(0, 0, 100, 100)), 0);
    }
}

TEST_F(GraphicsDrawing, BoldTextIsDrawnBoldAndFillsTheWidthItIsMeasuredWith)
{
    // Ink of a text: the darkness summed over the image, and the rightmost column with any.
    struct Ink {
        long amount = 0;
        int right = -1;
    };
    auto inkOf = [&](const QImage& image) {
        Ink ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int dark = 255 - qGray(image.pixel(x, y));
                ink.amount += dark;
                if (dark > 64)
                    ink.right = std::max(ink.right, x);
            }
        return ink;
    };
    const QString text = QStringLiteral("太字の箱テキスト");
    for (const char* name : {"ＭＳ ゴシック", "ＭＳ 明朝", "ＭＳ Ｐゴシック"}) {
        SCOPED_TRACE(name);
        Ink ink[2];
        for (const bool bold : {false, true}) {
            drawing.Cls();
            drawing.SetFontName(QString::fromUtf8(name));
            drawing.SetFontSize(12.0f);
            drawing.SetFontBold(bold);
            drawing.SetCurrentX(150);
            drawing.SetCurrentY(150);
            drawing.Print(text);
            ink[bold] = inkOf(Render(300, 60));
            // Drawn with the face it is measured with: the ink ends where the measured width does,
            // short of it by no more than the last glyph's side bearing.
            const double measuredRight = (150.0 + drawing.TextWidth(text)) / TwipsPerPixel;
            EXPECT_LE(ink[bold].right, measuredRight + 1.0) << (bold ? "bold" : "regular");
            EXPECT_GE(ink[bold].right, measuredRight - 6.0) << (bold ? "bold" : "regular");
        }
        EXPECT_GT(double(ink[1].amount), 1.25 * double(ink[0].amount))
            << "regular " << ink[0].amount << ", bold " << ink[1].amount;
    }
}

TEST_F(GraphicsDrawing, DashDotDotLeavesGapsWhereSolidDoesNot)
{
    struct Row {
        const char* why;
        std::int16_t style;
        bool gaps;
    } rows[] = {{"solid", DrawStyle::Solid, false}, {"dash-dot-dot", DrawStyle::DashDotDot, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        drawing.Cls();
        drawing.SetDrawStyle(row.style);
        drawing.Line(0, 150, 1500, 150, kRed);
        const QImage image = Render();
        int red = 0;
        for (int x = 0; x < 100; ++x)
            red += IsRed(image, x, 10) ? 1 : 0;
        EXPECT_EQ(red < 95, row.gaps) << red << " red pixels";
    }
}

TEST_F(GraphicsDrawing, ArcsRunCounterClockwiseFromStartToEnd)
{
    // Centre (50, 50) pixels, radius 30 pixels; the first quarter is up and to the right on screen.
    drawing.Arc(750, 750, 450, kRed, 0.0, std::numbers::pi / 2);
    const QImage image = Render();
    EXPECT_TRUE(IsRed(image, 50 + 21, 50 - 21) || IsRed(image, 50 + 21, 50 - 22) || IsRed(image, 50 + 22, 50 - 21));
    EXPECT_FALSE(IsRed(image, 50 + 21, 50 + 21)) << "lower right belongs to the other three quarters";
    EXPECT_FALSE(IsRed(image, 50 - 21, 50 - 21));

    drawing.Cls();
    drawing.Circle(750, 750, 450, kRed);
    const QImage full = Render();
    EXPECT_TRUE(IsRed(full, 50, 80) || IsRed(full, 50, 79));
    EXPECT_TRUE(IsRed(full, 20, 50) || IsRed(full, 21, 50));
}

TEST_F(GraphicsDrawing, ClearingForgetsTheDrawingAndReportsEverythingChanged)
{
    std::vector<QRect> changes;
    drawing.SetChangedHandler([&](const QRect& r) { changes.push_back(r); });
    drawing.Line(0, 0, 300, 0, kRed);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].contains(QPoint(150, 0)));
    drawing.SetCurrentX(77);
    drawing.Cls();
    EXPECT_TRUE(drawing.Records().empty());
    EXPECT_EQ(drawing.CurrentX(), 0);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_TRUE(changes[1].isNull());
}

TEST_F(GraphicsDrawing, RenderPaintsOnlyTheExposedRectangleInTheBackColour)
{
    drawing.SetBackColor(0);  // black
    drawing.Line(0, 150, 1500, 150, kRed);
    const QImage image = Render(100, 100, QRect(0, 0, 50, 50));
    EXPECT_TRUE(IsRed(image, 10, 10));
    EXPECT_EQ(image.pixelColor(40, 40), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(70, 70), QColor(Qt::green)) << "outside the exposed area nothing is painted";
}

TEST_F(GraphicsDrawing, AFarPartOfATallDrawingPaintsItsRecordsInTheOrderDrawn)
{
    // A blue line down the whole drawing, then red lines across it, far apart.
    drawing.Line(750, 0, 750, 9000000, kBlue);
    for (int y : {300000, 4000000})
        drawing.Line(0, y, 1500, y, kRed);
    struct Row {
        const char* why;
        int top;  // pixels
    };
    const Row rows[] = {{"a screen far down", 20000 - 50}, {"far below the largest window", 4000000 / 15 - 50}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter painter(&image);
        painter.translate(0, -row.top);
        drawing.Render(painter, QRect(0, row.top, 100, 100));
        painter.end();
        EXPECT_TRUE(IsRed(image, 50, 50)) << "the line drawn later lies over the earlier one";
        EXPECT_TRUE(IsRed(image, 10, 50));
        EXPECT_EQ(image.pixelColor(50, 70).blue(), 255);
    }
    drawing.Cls();
    drawing.Line(0, 150, 1500, 150, kRed);
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.translate(0, -(20000 - 50));
    drawing.Render(painter, QRect(0, 20000 - 50, 100, 100));
    painter.end();
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::white)) << "cleared: nothing of the old drawing is left";
}

} // namespace
