// Measuring and painting with the installed fonts as a box's text and font change: every measure
// and every painted text must be what the font gives for that text now, never what an earlier
// text or font gave.
#include "app/diagram/BoxMake.h"

#include "paint_fixture.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/textmeasure/TextMeasure.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <vector>

using namespace vellumora;
using platform::graphics::DrawRecord;
using platform::textmeasure::FontSpec;
using platform::textmeasure::MakeQFont;

namespace {

// Asks the font afresh for every line: what the program's own measuring must agree with.
class FreshMeasurer : public platform::textmeasure::TextMeasurer {
public:
    double LineWidth(const FontSpec& font, const QString& line) const override
    {
        return QFontMetricsF(MakeQFont(font)).horizontalAdvance(line);
    }
    double LineHeight(const FontSpec& font) const override
    {
        const QFontMetricsF metrics(MakeQFont(font));
        return metrics.ascent() + metrics.descent();
    }
};

struct Step {
    const char* why;
    QString text;
    QString font;
};

// What one step leaves: the size the layout measures and the texts painted.
struct Outcome {
    Point size;
    std::vector<QRect> bounds;
    std::vector<QPoint> origins;
};

class RemeasureTest : public painttest::CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        platform::textmeasure::UseFakeTextMeasurer(false);
        ApplicationGlobals.FontNameList << QStringLiteral("ＭＳ Ｐゴシック");
        block = Add(TagId::Block, QStringLiteral("x"), {300, 300}, {3000, 900});
    }
    void TearDown() override
    {
        platform::textmeasure::SetTextMeasurer(nullptr);
        CanvasFixture::TearDown();
    }

    std::vector<Outcome> Run(const std::vector<Step>& steps)
    {
        std::vector<Outcome> outcomes;
        for (const Step& step : steps) {
            box(block).text = TextInfoMake(step.text);
            box(block).fontCode = FontModifyChech(step.font);
            FontSelect(box(block).fontCode, canvas);
            TextSizeMeasure(box(block).text, canvas);
            form->Cls();
            BoxListDraw(canvas, SubRecord::Default);
            Outcome outcome{box(block).text.size, {}, {}};
            for (const DrawRecord& r : form->Records()) {
                if (r.kind == DrawRecord::Kind::Text) {
                    outcome.bounds.push_back(r.bounds);
                    outcome.origins.push_back(r.p1);
                }
            }
            outcomes.push_back(outcome);
        }
        return outcomes;
    }

    std::int16_t block = 0;
};

TEST_F(RemeasureTest, ANewTextOrFontIsMeasuredAndPaintedWithItsOwnSize)
{
    const QString gothic = QStringLiteral("fontname:ＭＳ ゴシック");
    const QString proportional = QStringLiteral("fontname:ＭＳ Ｐゴシック");
    const std::vector<Step> steps = {
        {"first text", QStringLiteral("読む Ab"), gothic},
        {"a longer text in the same font", QStringLiteral("読む Abcd"), gothic},
        {"the same text larger", QStringLiteral("読む Abcd"), gothic + QStringLiteral("\r\nfontsize:14")},
        {"the same text in another font", QStringLiteral("読む Abcd"), proportional + QStringLiteral("\r\nfontsize:14")},
        {"the same text bold", QStringLiteral("読む Abcd"),
         proportional + QStringLiteral("\r\nfontsize:14\r\nfontbold:on")},
        {"two lines, the second one wider", QStringLiteral("読む\r\nAbcd Abcd"),
         proportional + QStringLiteral("\r\nfontsize:14\r\nfontbold:on")},
        {"back to the first text and font", QStringLiteral("読む Ab"), gothic},
    };
    const std::vector<Outcome> measured = Run(steps);
    FreshMeasurer fresh;
    platform::textmeasure::SetTextMeasurer(&fresh);
    const std::vector<Outcome> expected = Run(steps);

    ASSERT_EQ(measured.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].why);
        // Each step changes the measure, so a size kept from the step before shows.
        if (i > 0 && i + 1 < steps.size()) {
            EXPECT_NE(expected[i].size.xw, expected[i - 1].size.xw);
        }
        EXPECT_EQ(measured[i].size.xw, expected[i].size.xw);
        EXPECT_EQ(measured[i].size.yh, expected[i].size.yh);
        EXPECT_EQ(measured[i].bounds, expected[i].bounds);
        EXPECT_EQ(measured[i].origins, expected[i].origins);
    }
}

} // namespace
