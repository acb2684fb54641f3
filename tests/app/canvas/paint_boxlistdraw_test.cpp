// Painting a laid-out canvas on its window: what is drawn, where, in which colours and styles.
#include "app/diagram/BoxMake.h"
#include "app/diagram/DrawCanvas.h"

#include "paint_fixture.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/textmeasure/TextMeasure.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <numbers>

using namespace vellumora;
using platform::graphics::DrawRecord;
namespace DrawStyle = platform::graphics::DrawStyle;

namespace {

constexpr std::int32_t Red = 0x0000FF;   // red + 256 x green + 65536 x blue
constexpr std::int32_t Green = 0x00FF00;
constexpr std::int32_t Blue = 0xFF0000;
constexpr double Pi = std::numbers::pi;

class PaintTest : public painttest::CanvasFixture {
protected:
    const std::vector<DrawRecord>& Paint()
    {
        form->Cls();
        BoxListDraw(canvas, SubRecord::Default);
        return form->Records();
    }

    std::vector<DrawRecord> Of(DrawRecord::Kind kind)
    {
        std::vector<DrawRecord> found;
        for (const DrawRecord& r : form->Records())
            if (r.kind == kind)
                found.push_back(r);
        return found;
    }

    QStringList Texts()
    {
        QStringList texts;
        for (const DrawRecord& r : Of(DrawRecord::Kind::Text))
            texts << r.text;
        return texts;
    }

    QImage Image()
    {
        QImage image(form->width(), form->height(), QImage::Format_RGB32);
        QPainter painter(&image);
        form->Render(painter, image.rect());
        return image;
    }
};

TEST_F(PaintTest, RenderedCanvasShowsEveryBoxInsideItsFrameWhereTheLayoutPutIt)
{
    form->resize(400, 300);
    const Point places[] = {{300, 300}, {300, 1500}, {2400, 1500}};
    std::int16_t before = -1;
    std::vector<std::int16_t> boxes;
    for (const Point& xy : places) {
        before = Add(TagId::Block, QStringLiteral("箱 box"), xy, {1500, 750}, before);
        box(before).text.xy = {150, 150};
        boxes.push_back(before);
    }
    Paint();

    const std::vector<DrawRecord> frames = Of(DrawRecord::Kind::Rectangle);
    ASSERT_EQ(frames.size(), boxes.size());
    const QImage image = Image();
    const QRgb background = image.pixel(0, 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(i);
        const BoxRecord& b = box(boxes[i]);
        EXPECT_EQ(frames[i].p1, QPoint(b.xy.xw, b.xy.yh));
        EXPECT_EQ(frames[i].p2, QPoint(b.xy.xw + b.sizeP.xw, b.xy.yh + b.sizeP.yh));
        // In pixels: the frame's left edge is drawn and something is drawn inside it.
        const int left = b.xy.xw / 15, top = b.xy.yh / 15, right = (b.xy.xw + b.sizeP.xw) / 15,
                  bottom = (b.xy.yh + b.sizeP.yh) / 15;
        EXPECT_NE(image.pixel(left, (top + bottom) / 2), background) << "frame edge";
        bool inked = false;
        for (int y = top + 2; y < bottom - 1 && !inked; ++y)
            for (int x = left + 2; x < right - 1 && !inked; ++x)
                inked = image.pixel(x, y) != background;
        EXPECT_TRUE(inked) << "the box's text";
    }
}

TEST_F(PaintTest, ACanvasWithoutBoxesPaintsNothing)
{
    EXPECT_TRUE(Paint().empty());
    // A chain that names no box paints nothing either.
    SubRecord none;
    none.boxIndex = 0;
    BoxListDraw(canvas, none);
    EXPECT_TRUE(form->Records().empty());
}

TEST_F(PaintTest, AHiddenBoxIsPassedOverWithItsSubLinesButTheNextBoxIsPainted)
{
    const std::int16_t loop = Add(TagId::Loop, QStringLiteral("hidden loop"), {300, 300}, {1200, 600});
    const std::int16_t s = AddSub(loop, {1500, 300});
    sub(s).text = TextInfoMake(QStringLiteral("case text"));
    Add(TagId::Block, QStringLiteral("below hidden"), {2000, 300}, {1200, 600}, -1, s);
    Add(TagId::Block, QStringLiteral("next"), {300, 1500}, {1200, 600}, loop);
    box(loop).flags &= ~BoxFlag::Shown;

    Paint();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("next")});
    EXPECT_EQ(Of(DrawRecord::Kind::Rectangle).size(), 1u);
}

TEST_F(PaintTest, FramesFollowTheKindAndTheNoteSetting)
{
    struct Row {
        const char* why;
        std::int32_t tag;
        bool noteNotFrame;
        std::size_t frames;
        std::int16_t style;
    };
    const Row rows[] = {
        {"a kind with the frame attribute gets a solid frame", TagId::Block, false, 1, DrawStyle::Solid},
        {"a note gets a dash-dot-dot frame", TagId::Note, false, 1, DrawStyle::DashDotDot},
        {"unless notes are not framed", TagId::Note, true, 0, DrawStyle::Solid},
        {"a kind without the attribute only its figures", TagId::Loop, false, 0, DrawStyle::Solid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BoxListClear(canvas);
        ApplicationGlobals.NoteNotFrame = row.noteNotFrame;
        const std::int16_t n = Add(row.tag, QStringLiteral("x"), {300, 300}, {900, 450});
        box(n).draw = {LineFigureMake(0, 0, 0, 450)};
        Paint();
        const std::vector<DrawRecord> frames = Of(DrawRecord::Kind::Rectangle);
        ASSERT_EQ(frames.size(), row.frames);
        if (!frames.empty()) {
            EXPECT_EQ(frames[0].drawStyle, row.style);
            EXPECT_EQ(frames[0].p2, QPoint(1200, 750));
        }
        const std::vector<DrawRecord> lines = Of(DrawRecord::Kind::Line);
        ASSERT_EQ(lines.size(), 1u) << "the box's own figure";
        EXPECT_EQ(lines[0].drawStyle, DrawStyle::Solid) << "the style is solid again after a note frame";
    }
}

TEST_F(PaintTest, TextsNotDrawnOrEmptyPrintNothing)
{
    const std::int16_t a = Add(TagId::Block, QStringLiteral("covered"), {300, 300}, {900, 450});
    box(a).text.flags = 0;
    const std::int16_t b = Add(TagId::Block, QString(), {300, 1000}, {900, 450}, a);
    box(b).text2 = TextInfoMake(QStringLiteral("second"));
    Paint();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("second")});
}

// Lines of a text are spread over the height measured for the whole text.
class FractionalHeight : public platform::textmeasure::TextMeasurer {
public:
    double LineWidth(const platform::textmeasure::FontSpec&, const QString& line) const override { return 100.0 * line.size(); }
    double LineHeight(const platform::textmeasure::FontSpec&) const override { return 700.0 / 3.0; }
};

TEST_F(PaintTest, TheLinesOfATextAreSpacedEvenlyOverItsMeasuredHeight)
{
    FractionalHeight measurer;
    platform::textmeasure::SetTextMeasurer(&measurer);
    const std::int16_t n = Add(TagId::Block, QStringLiteral("one\r\ntwo\r\nthree"), {1000, 2000}, {900, 900});
    box(n).text.xy = {30, 40};
    Paint();
    platform::textmeasure::SetTextMeasurer(nullptr);

    const std::vector<DrawRecord> texts = Of(DrawRecord::Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    const int offsets[] = {0, 233, 467};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(texts[i].p1.x(), 1030);
        EXPECT_EQ(texts[i].p1.y(), 2040 + offsets[i]);
    }
}

TEST_F(PaintTest, FrameColourRules)
{
    struct Row {
        const char* why;
        bool frameSameText;
        const char* frameColor;
        std::int32_t frames;
    };
    const Row rows[] = {
        {"frames follow each box's text colour", true, "r255,g0,b0", Green},
        {"one frame colour for every frame, line and arc", false, "r255,g0,b0", Red},
        {"an empty frame colour is the document colour", false, "", Blue},
        {"a blank frame colour too", false, "  ", Blue},
    };
    ApplicationGlobals.DocumentColorName = QStringLiteral("r0,g0,b255");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BoxListClear(canvas);
        ApplicationGlobals.FrameSameText = row.frameSameText;
        ApplicationGlobals.FrameColor = QString::fromUtf8(row.frameColor);
        const std::int16_t n = Add(TagId::Block, QStringLiteral("green"), {300, 300}, {900, 450});
        box(n).colorCode = Green;
        box(n).draw = {LineFigureMake(0, 0, 100, 0), ArcFigureMake(FigureKind::UpperHalf, 50, 50, 40)};
        const std::int16_t s = AddSub(n, {1200, 500});
        sub(s).draw = {LineFigureMake(0, 0, 300, 0)};
        // A paint before leaves the box's colour as the last one applied.
        Paint();
        Paint();
        for (const DrawRecord& r : form->Records()) {
            if (r.kind == DrawRecord::Kind::Text)
                EXPECT_EQ(r.color, Green) << "texts keep the box's colour";
            else
                EXPECT_EQ(r.color, row.frames) << static_cast<int>(r.kind);
        }
    }
}

TEST_F(PaintTest, FigureKindsDrawAsLinesCirclesAndArcs)
{
    struct Row {
        const char* why;
        std::int32_t kind;
        std::size_t records;
        DrawRecord::Kind drawn;
        double start;
        double end;
    };
    const Row rows[] = {
        {"kind 0 draws nothing", FigureKind::None, 0, DrawRecord::Kind::Line, 0, 0},
        {"a negative kind draws nothing", -1, 0, DrawRecord::Kind::Line, 0, 0},
        {"a kind above 10 draws nothing", 11, 0, DrawRecord::Kind::Line, 0, 0},
        {"a line", FigureKind::Line, 1, DrawRecord::Kind::Line, 0, 0},
        {"a circle", FigureKind::Circle, 1, DrawRecord::Kind::Circle, 0, 2 * Pi},
        {"left half", FigureKind::LeftHalf, 1, DrawRecord::Kind::Arc, Pi / 2, 3 * Pi / 2},
        {"right half", FigureKind::RightHalf, 1, DrawRecord::Kind::Arc, 3 * Pi / 2, Pi / 2},
        {"upper half", FigureKind::UpperHalf, 1, DrawRecord::Kind::Arc, 0, Pi},
        {"lower half", FigureKind::LowerHalf, 1, DrawRecord::Kind::Arc, Pi, 0},
        {"upper left", FigureKind::UpperLeft, 1, DrawRecord::Kind::Arc, Pi / 2, Pi},
        {"upper right", FigureKind::UpperRight, 1, DrawRecord::Kind::Arc, 0, Pi / 2},
        {"lower left", FigureKind::LowerLeft, 1, DrawRecord::Kind::Arc, Pi, 3 * Pi / 2},
        {"lower right", FigureKind::LowerRight, 1, DrawRecord::Kind::Arc, 3 * Pi / 2, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        form->Cls();
        FigureData figure;
        figure.kind = row.kind;
        figure.s = {10, 20};
        figure.e = {110, 220};
        figure.radius = 50;
        DrawLineSegment(canvas, {1000, 2000}, figure);
        const std::vector<DrawRecord>& records = form->Records();
        ASSERT_EQ(records.size(), row.records);
        if (records.empty())
            continue;
        EXPECT_EQ(records[0].kind, row.drawn);
        EXPECT_EQ(records[0].p1, QPoint(1010, 2020));
        if (row.drawn == DrawRecord::Kind::Line) {
            EXPECT_EQ(records[0].p2, QPoint(1110, 2220));
            continue;
        }
        EXPECT_EQ(records[0].radius, 50);
        EXPECT_DOUBLE_EQ(records[0].start, row.start);
        EXPECT_DOUBLE_EQ(records[0].end, row.end);
    }
}

TEST_F(PaintTest, SubLinesDrawTheirTextsFiguresAndChainsAndTheBaseLines)
{
    const std::int16_t branch = Add(TagId::Branch, QStringLiteral("if"), {300, 300}, {900, 900});
    const std::int16_t first = AddSub(branch, {1200, 300}, {400, 450});
    sub(first).text = TextInfoMake(QStringLiteral("case 1"));
    sub(first).text2 = TextInfoMake(QStringLiteral("case 2"));
    sub(first).xy[1] = {1200, 750};
    sub(first).draw = {LineFigureMake(400, 0, 700, 0)};
    const std::int16_t second = AddSub(branch, {1200, 750}, {400, 450}, first);
    sub(second).text = TextInfoMake(QStringLiteral("not shown"));
    sub(second).flags &= ~SubFlag::CaseTextShown;
    Add(TagId::Block, QStringLiteral("inner"), {1900, 300}, {900, 450}, -1, first);
    sub(0).base = {SubBase{{300, 300}, LineFigureMake(0, 450, 0, 900)}};
    sub(first).base = {SubBase{{1900, 300}, LineFigureMake(0, 225, 0, 225)}};

    Paint();
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("if"), QStringLiteral("case 1"), QStringLiteral("case 2"),
                                    QStringLiteral("inner")}));
    std::vector<QPoint> starts;
    for (const DrawRecord& r : Of(DrawRecord::Kind::Line))
        starts.push_back(r.p1);
    EXPECT_EQ(starts, (std::vector<QPoint>{{300, 750}, {1600, 300}}))
        << "the top chain's base line and the case line; the inner chain's base line has no length and no dot";
}

TEST_F(PaintTest, AChainBelowASubLineCanBePaintedAlone)
{
    const std::int16_t loop = Add(TagId::Loop, QStringLiteral("loop"), {300, 300}, {900, 450});
    const std::int16_t s = AddSub(loop, {1200, 525});
    Add(TagId::Block, QStringLiteral("body"), {1500, 300}, {900, 450}, -1, s);
    form->Cls();
    BoxListDraw(canvas, sub(s));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("body")});
}

} // namespace
