#include "app/diagram/FontAndColor.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/printer/Printer.h"
#include "platform/textmeasure/TextMeasure.h"
#include "support/FakeServices.h"
#include "support/RaisedError.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace vellumora;
using platform::vbrt::ErrorNumber::Application;

namespace {

// Measures like the fake measurer but with a line height that has a fraction, and records what it
// was asked to measure, so that texts cut into pieces show.
class RecordingMeasurer : public platform::textmeasure::TextMeasurer {
public:
    mutable QStringList widths;
    mutable int heights = 0;
    double LineWidth(const platform::textmeasure::FontSpec& f, const QString& line) const override
    {
        widths << line;
        return fake.LineWidth(f, line);
    }
    double LineHeight(const platform::textmeasure::FontSpec&) const override
    {
        ++heights;
        return 250.4;
    }
    platform::textmeasure::FakeTextMeasurer fake;
};

// The call raised the program's own error from this procedure with this description.
::testing::AssertionResult RaisedFrom(const std::function<void()>& call, const QString& source, const QString& description)
{
    try {
        call();
    } catch (const platform::vbrt::Error& e) {
        if (e.number() == Application && e.source() == source && e.description() == description)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "raised " << e.what();
    }
    return ::testing::AssertionFailure() << "accepted";
}

constexpr FontCode Bold = 1 << 26;
constexpr FontCode Italic = 1 << 27;
constexpr FontCode Strikethru = 1 << 28;
constexpr FontCode Underline = 1 << 29;
constexpr FontCode Size(int tenths) { return tenths << 16; }

class FontAndColor : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::textmeasure::UseFakeTextMeasurer(true);
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        B.clear();
        LO = LayoutConstants::Default;
        CurrentFontColorState = FontColorState::Default;
        ApplicationGlobals.ColorTable = {
            {QString(), QStringLiteral("標準"), 0, 0, 0, -1},
            {QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 255},
            {QStringLiteral("Crimson"), QStringLiteral("紅"), 255, 0, 0, 255},
            {QStringLiteral("Sky"), QStringLiteral("ｓｋｙ色"), 0, 128, 255, 128 * 256 + 255 * 65536},
            {QStringLiteral("Blue"), QStringLiteral("青"), 0, 0, 255, 255 * 65536},
        };
        ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝"),
                                           QStringLiteral("Arial")};
        ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
        ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
        ApplicationGlobals.DocumentColorName = QStringLiteral("青");
        ApplicationGlobals.FrameSameText = true;
    }

    void TearDown() override
    {
        platform::textmeasure::SetTextMeasurer(nullptr);
        B.clear();
        CommonServices.reset();
    }

    // Canvas 1 with a window.
    CanvasForm& OpenCanvas()
    {
        B.resize(2);
        B[1].form = new CanvasForm();
        window_.reset(CanvasWindowOf(B[1]));
        return *window_;
    }

    std::unique_ptr<CanvasForm> window_;
};

TEST_F(FontAndColor, ColorSpecsReadAsTheirValues)
{
    CurrentFontColorState.foreColor = 77;
    struct Row {
        const char* why;
        QString spec;
        std::int32_t value;
    } rows[] = {
        {"letters in any case", QStringLiteral("R255,g0,B0"), 255},
        {"parts in any order", QStringLiteral("b0,g0,r255"), 255},
        {"all three components", QStringLiteral("r1,g2,b3"), 1 + 2 * 256 + 3 * 65536},
        {"halves round to even", QStringLiteral("r1.5,g2.5,b0"), 2 + 2 * 256},
        {"a blank after the letter", QStringLiteral("r 5,g0,b0"), 5},
        {"a table name", QStringLiteral("Sky"), 128 * 256 + 255 * 65536},
        {"a name in other letter case", QStringLiteral("sKY"), 128 * 256 + 255 * 65536},
        {"a caption", QStringLiteral("赤"), 255},
        {"a full-width caption in other case", QStringLiteral("ＳＫＹ色"), 128 * 256 + 255 * 65536},
        {"the default caption", QStringLiteral("標準"), -1},
        {"blank gives the printer-side colour", QStringLiteral("   "), 77},
        {"empty gives the printer-side colour", QString(), 77},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(ColorModify(row.spec), row.value);
    }
}

TEST_F(FontAndColor, BadColorSpecsAreRefused)
{
    struct Row {
        const char* why;
        QString spec;
    } rows[] = {
        {"component above 255", QStringLiteral("r256,g0,b0")},
        {"negative component", QStringLiteral("r-1,g0,b0")},
        {"two parts", QStringLiteral("r1,g2")},
        {"a letter twice, another missing", QStringLiteral("r1,r2,g3")},
        {"leading blank hides the letter", QStringLiteral(" r1,g2,b3")},
        {"unknown letter", QStringLiteral("x1,g2,b3")},
        {"not a number", QStringLiteral("rabc,g0,b0")},
        {"four parts", QStringLiteral("r1,g2,b3,")},
        {"unknown name", QStringLiteral("purple")},
        {"overflowing number", QStringLiteral("r99999999999,g0,b0")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_TRUE(RaisedFrom([&] { ColorModify(row.spec); }, QStringLiteral("ColorModify"),
                               QStringLiteral("ｶﾗｰｺｰﾄﾞ指定が不良です。")));
    }
}

TEST_F(FontAndColor, ColorValuesWriteAsSpecsThatReadBack)
{
    struct Row {
        const char* why;
        std::int32_t value;
        QString spec;
    } rows[] = {
        {"default colour", -1, QString()},
        {"any negative", -5, QString()},
        {"the lower of two entries", 255, QStringLiteral("赤")},
        {"a full-width caption", 128 * 256 + 255 * 65536, QStringLiteral("ｓｋｙ色")},
        {"a value in no entry", 1 + 2 * 256 + 3 * 65536, QStringLiteral("r1,g2,b3")},
        {"black without an entry", 0, QStringLiteral("r0,g0,b0")},
        {"white", 0xFFFFFF, QStringLiteral("r255,g255,b255")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(ColorName(row.value), row.spec);
        if (row.value >= 0) {
            EXPECT_EQ(ColorModify(row.spec), row.value);
        }
    }
}

TEST_F(FontAndColor, FontTextsReadAsCodes)
{
    CurrentFontColorState.fontCode = 4242;
    struct Row {
        const char* why;
        QString text;
        FontCode code;
    } rows[] = {
        {"key alone sets the style", QStringLiteral("fontbold"), Bold},
        {"keys and values in any case", QStringLiteral("FontBold:ON"), Bold},
        {"full-width key and value", QStringLiteral("ｆｏｎｔｂｏｌｄ：ｏｎ"), Bold},
        {"off", QStringLiteral("fontitalic:off"), 0},
        {"later line wins", QStringLiteral("fontbold\r\nfontbold:off"), 0},
        {"smallest size", QStringLiteral("fontsize:8"), Size(80)},
        {"largest size", QStringLiteral("fontsize:25"), Size(250)},
        {"one decimal", QStringLiteral("fontsize:10.5"), Size(105)},
        {"full-width size", QStringLiteral("ｆｏｎｔｓｉｚｅ：１０．５"), Size(105)},
        {"standard size", QStringLiteral("fontsize:標準"), 0},
        {"name from the list", QStringLiteral("fontname:ＭＳ 明朝"), 2},
        {"name in half-width letters and case", QStringLiteral("fontname:ms 明朝"), 2},
        {"name with half-width katakana", QStringLiteral("fontname:ｍｓ ｺﾞｼｯｸ"), 1},
        {"name with an ideographic blank", QStringLiteral("fontname:ＭＳ　明朝"), 2},
        {"standard name", QStringLiteral("fontname:標準"), 0},
        {"unknown key only", QStringLiteral("fontcolor:red"), 0},
        {"standard alone", QStringLiteral("標準"), 0},
        {"standard with blanks", QStringLiteral("  標準 "), 0},
        {"empty gives the printer-side code", QString(), 4242},
        {"empty lines are ignored", QStringLiteral("\r\nfontunderline\r\n"), Underline},
        {"everything", QStringLiteral("fontname:Arial\r\nfontsize:12\r\nfontbold\r\nfontitalic\r\nfontstrikethru\r\nfontunderline"),
         3 | Size(120) | Bold | Italic | Strikethru | Underline},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(FontModifyChech(row.text), row.code);
    }
}

TEST_F(FontAndColor, BadFontTextsAreRefusedWithTheirMessage)
{
    struct Row {
        const char* why;
        QString text;
        QString description;
    } rows[] = {
        {"bold yes", QStringLiteral("fontbold:yes"), QStringLiteral("ﾌｫﾝﾄ太字指定が不良です。")},
        {"bold with two values", QStringLiteral("fontbold:on:off"), QStringLiteral("ﾌｫﾝﾄ太字指定が不良です。")},
        {"italic", QStringLiteral("fontitalic:1"), QStringLiteral("ﾌｫﾝﾄ斜体指定が不良です。")},
        {"strikethrough", QStringLiteral("fontstrikethru:"), QStringLiteral("ﾌｫﾝﾄ取消線指定が不良です。")},
        {"underline", QStringLiteral("fontunderline:true"), QStringLiteral("ﾌｫﾝﾄ下線指定が不良です。")},
        {"below 8", QStringLiteral("fontsize:7.9"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"above 25", QStringLiteral("fontsize:25.5"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"two decimals", QStringLiteral("fontsize:10.25"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"not a number", QStringLiteral("fontsize:big"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"size without value", QStringLiteral("fontsize"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"name not in the list", QStringLiteral("fontname:Courier"), QStringLiteral("ﾌｫﾝﾄ名指定が不良です。")},
        {"name without value", QStringLiteral("fontname"), QStringLiteral("ﾌｫﾝﾄ名指定が不良です。")},
        {"error after good lines", QStringLiteral("fontbold\r\nfontname:x:y"), QStringLiteral("ﾌｫﾝﾄ名指定が不良です。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_TRUE(RaisedFrom([&] { FontModifyChech(row.text); }, QStringLiteral("FontModifyChech"), row.description));
    }
}

TEST_F(FontAndColor, FontCodesWriteAsTextsThatReadBack)
{
    struct Row {
        const char* why;
        FontCode code;
        QString text;
    } rows[] = {
        {"code 0", 0, QString()},
        {"bold 12 points in entry 2", 2 | Size(120) | Bold, QStringLiteral("fontname:ＭＳ 明朝\r\nfontsize:12\r\nfontbold:on")},
        {"a full-width name", 1, QStringLiteral("fontname:ＭＳ ゴシック")},
        {"tenths", Size(105), QStringLiteral("fontsize:10.5")},
        {"styles in key order", Underline | Italic,
         QStringLiteral("fontitalic:on\r\nfontunderline:on")},
        {"everything", 3 | Size(250) | Bold | Italic | Strikethru | Underline,
         QStringLiteral("fontname:Arial\r\nfontsize:25\r\nfontbold:on\r\nfontitalic:on\r\nfontstrikethru:on\r\nfontunderline:on")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(FontModifyText(row.code), row.text);
        if (row.code != 0) {
            EXPECT_EQ(FontModifyChech(row.text), row.code);
        }
    }
    EXPECT_RAISES(FontModifyText(9), platform::vbrt::ErrorNumber::SubscriptOutOfRange);
}

TEST_F(FontAndColor, FontAccessorsFollowTheDocumentForTheStandardParts)
{
    EXPECT_EQ(FontNameText(0), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(FontNameText(3), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(FontSizeValue(0), 10.0);
    EXPECT_DOUBLE_EQ(FontSizeValue(105), 10.5);
    ApplicationGlobals.DocumentFontSize = QStringLiteral("標準");
    EXPECT_DOUBLE_EQ(FontSizeValue(0), 10.0) << "a size that is no number draws at a default size";

    struct Row {
        double points;
        QString text;
    } rows[] = {{10.0, QStringLiteral("10")}, {10.5, QStringLiteral("10.5")}, {10.25, QStringLiteral("10.2")},
                {10.75, QStringLiteral("10.8")}, {9.96, QStringLiteral("10")}, {8.04, QStringLiteral("8")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.points);
        EXPECT_EQ(FontSizeText(row.points), row.text);
    }
    EXPECT_EQ(TabToNewLine(QStringLiteral("a\tb\t")), QStringLiteral("a\r\n    b\r\n    "));
}

TEST_F(FontAndColor, ThePrinterFontSetsTheLayoutConstants)
{
    // 10.5 points: "A" is 105 twips wide and 262.5 high, which rounds to the even 262.
    FontSelect(Size(105), 0);
    EXPECT_EQ(LO.charWidth, 105);
    EXPECT_EQ(LO.charHeight, 262);
    EXPECT_EQ(LO.routineLineGap, 79);
    EXPECT_EQ(LO.innerLeft, 105);
    EXPECT_EQ(LO.innerRight, 105);
    EXPECT_EQ(LO.innerTop, 131);
    EXPECT_EQ(LO.innerBottom, 131);
    EXPECT_EQ(LO.declareBarGap, 52);  // 52.5 to even
    EXPECT_EQ(LO.ioSideGap, 52);
    EXPECT_EQ(LO.externalSideGap, 79);
    EXPECT_EQ(LO.branchNotchDepth, 105);
    EXPECT_EQ(LO.branchGap, 105);
    EXPECT_EQ(LO.branchTop, 66);  // 65.5 to even
    EXPECT_EQ(LO.branchBottom, 262);
    EXPECT_EQ(LO.loopBarGap, 52);
    EXPECT_EQ(LO.labelRadiusMargin, 79);
    EXPECT_EQ(LO.jumpGap, 32);
    EXPECT_EQ(LO.freeStyleHorizontal, 74);
    EXPECT_EQ(LO.freeStyleVertical, 183);
    EXPECT_EQ(LO.jointHorizontal, 52);
    EXPECT_EQ(LO.jointVertical, 131);
    EXPECT_EQ(LO.maxTextColumns, 1053);  // Int(245745 / 210 x 0.9)
    EXPECT_EQ(LO.maxTextLines, 844);     // Int(245745 / 262 x 0.9)
    EXPECT_EQ(LO.horizontalGap, 0) << "gaps belong to canvas set-up";

    // A bold printer font is measured a tenth wider.
    FontSelect(Size(100) | Bold, 0);
    EXPECT_EQ(LO.charWidth, 110);
    EXPECT_EQ(LO.charHeight, 250);
}

TEST_F(FontAndColor, FontsAreAppliedOnlyWhenTheyChangeOrAreUnknown)
{
    platform::printer::Printer& printer = platform::printer::SystemPrinter();
    CanvasForm& window = OpenCanvas();
    const FontCode code = 2 | Size(120) | Italic;
    FontSelect(code, 1);
    EXPECT_EQ(window.FontName(), QStringLiteral("ＭＳ 明朝"));
    EXPECT_FLOAT_EQ(window.FontSize(), 12.0f);
    EXPECT_TRUE(window.FontItalic());
    EXPECT_FALSE(window.FontBold());
    EXPECT_EQ(printer.FontName(), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(B[1].fontColor.nameIndex, 2);
    EXPECT_EQ(B[1].fontColor.sizeTenths, 120);
    EXPECT_TRUE(B[1].fontColor.italic);
    EXPECT_EQ(CurrentFontColorState.fontCode, code);

    // The same code again is not sent: the targets keep what was set behind the cache's back.
    window.SetFontName(QStringLiteral("elsewhere"));
    printer.SetFontName(QStringLiteral("elsewhere"));
    LO.charWidth = -5;
    FontSelect(code, 1);
    EXPECT_EQ(window.FontName(), QStringLiteral("elsewhere"));
    EXPECT_EQ(printer.FontName(), QStringLiteral("elsewhere"));
    EXPECT_EQ(LO.charWidth, -5) << "the printer font did not change, so LO is not measured again";

    DrawStateReset(1);
    FontSelect(code, 1);
    EXPECT_EQ(window.FontName(), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(printer.FontName(), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(LO.charWidth, 120);

    // Code 0 follows the document font.
    ApplicationGlobals.DocumentFontName = QStringLiteral("Arial");
    FontSelect(0, 1);
    EXPECT_EQ(window.FontName(), QStringLiteral("Arial"));
    EXPECT_FLOAT_EQ(window.FontSize(), 10.0f);
}

TEST_F(FontAndColor, ColoursResolveTheDefaultAndFollowTheFrameRule)
{
    platform::printer::Printer& printer = platform::printer::SystemPrinter();
    CanvasForm& window = OpenCanvas();
    const std::int32_t blue = 255 * 65536;

    ForeColorSet(255, 1);
    EXPECT_EQ(window.ForeColor(), 255);
    EXPECT_EQ(window.FillColor(), 255);
    EXPECT_EQ(printer.ForeColor(), 255);
    EXPECT_EQ(printer.ColorMode(), 2);
    EXPECT_EQ(B[1].fontColor.drawColor, 255) << "frames follow the text";
    EXPECT_EQ(CurrentFontColorState.drawColor, 255);

    ForeColorSet(-1, 1);
    EXPECT_EQ(B[1].fontColor.foreColor, -1) << "the default is kept as such";
    EXPECT_EQ(window.ForeColor(), blue) << "and drawn in the document colour";
    EXPECT_EQ(B[1].fontColor.drawColor, blue);

    window.SetForeColor(7);
    ForeColorSet(-1, 1);
    EXPECT_EQ(window.ForeColor(), 7) << "an unchanged colour is not sent";
    DrawStateReset(1);
    ForeColorSet(-1, 1);
    EXPECT_EQ(window.ForeColor(), blue);

    DrawColorSet(255, 1);
    EXPECT_EQ(B[1].fontColor.drawColor, blue) << "with frames following the text the text colour wins";

    ApplicationGlobals.FrameSameText = false;
    ForeColorSet(128, 1);
    EXPECT_EQ(B[1].fontColor.drawColor, blue) << "frames keep their own colour";
    DrawColorSet(-1, 1);
    EXPECT_EQ(B[1].fontColor.drawColor, blue);
    DrawColorSet(255, 1);
    EXPECT_EQ(B[1].fontColor.drawColor, 255);
    EXPECT_EQ(CurrentFontColorState.drawColor, 255);
    EXPECT_EQ(window.ForeColor(), 128);

    // A document colour that is itself the default draws black rather than an invalid colour.
    ApplicationGlobals.DocumentColorName = QStringLiteral("標準");
    DrawStateReset(1);
    ForeColorSet(-1, 1);
    EXPECT_EQ(window.ForeColor(), 0);
    EXPECT_EQ(printer.ForeColor(), 0);
}

TEST_F(FontAndColor, LongTextsAreMeasuredInPieces)
{
    RecordingMeasurer measurer;
    platform::textmeasure::SetTextMeasurer(&measurer);
    FontSelect(Size(100), 0);
    LO.maxTextColumns = 4;
    LO.maxTextLines = 10;

    measurer.widths.clear();
    EXPECT_EQ(TextWidthGet(QStringLiteral("ABCDEFGHI"), 0), 900);
    EXPECT_EQ(measurer.widths, (QStringList{"ABCD", "EFGH", "I"})) << "2 x limit + 1 characters: three pieces";

    measurer.widths.clear();
    EXPECT_EQ(TextWidthGet(QStringLiteral("AB\r\nABCDEF"), 0), 600);
    EXPECT_EQ(measurer.widths, (QStringList{"AB", "ABCD", "EF"}));

    measurer.widths.clear();
    EXPECT_EQ(TextWidthGet(QStringLiteral("A\tB"), 0), 500) << "a TAB starts a new line of four blanks";

    // 20 lines of 250.4 twips: 5008 in one piece, 2254 + 2254 + 501 in groups of 9.
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("x");
    const QString twenty = lines.join(QStringLiteral("\r\n"));
    EXPECT_EQ(TextHeightGet(twenty, 0, false), 5008);
    EXPECT_EQ(TextHeightGet(twenty, 0, true), 5009);
    EXPECT_EQ(TextHeightGet(lines.mid(0, 10).join(QStringLiteral("\r\n")), 0, true), 2504) << "10 lines: one piece";
}

TEST_F(FontAndColor, BoldTextIsMeasuredATenthWiderRoundedDown)
{
    RecordingMeasurer measurer;
    platform::textmeasure::SetTextMeasurer(&measurer);
    CanvasForm& window = OpenCanvas();
    FontSelect(Size(105) | Bold, 1);
    EXPECT_TRUE(window.FontBold());
    EXPECT_EQ(TextWidthGet(QStringLiteral("A"), 1), 115);  // 105 x 1.1 = 115.5
    EXPECT_EQ(TextWidthGet(QStringLiteral("AB"), 1), 231);
    FontSelect(Size(105), 1);
    EXPECT_EQ(TextWidthGet(QStringLiteral("A"), 1), 105);
    EXPECT_EQ(TextHeightGet(QStringLiteral("A\r\nB"), 1, true), 501);
}

TEST_F(FontAndColor, MeasuringBeforeAnyPrinterFontDoesNotHang)
{
    ASSERT_EQ(LO.maxTextColumns, 0);
    platform::printer::SystemPrinter().SetFontSize(10.0f);
    platform::printer::SystemPrinter().SetFontBold(false);
    EXPECT_EQ(TextWidthGet(QStringLiteral("ABC"), 0), 300);
    EXPECT_EQ(TextHeightGet(QStringLiteral("A\r\nB"), 0, true), 500);
}

class FontAndColorLoading : public FontAndColor {
protected:
    void SetUp() override
    {
        FontAndColor::SetUp();
        services = std::make_shared<testsupport::FakeServices>();
        CommonServices = services;
    }
    void Set(const char* key, const QString& value) { services->ini.insert(QString::fromUtf8(key), value); }

    std::shared_ptr<testsupport::FakeServices> services;
};

TEST_F(FontAndColorLoading, ListsAndDefaultsComeFromTheIniFile)
{
    Set("FontAndColor/Color1", QStringLiteral(" Red : 赤 :255:0:0"));
    Set("FontAndColor/Color2", QStringLiteral("White:白:255:255:255"));
    Set("FontAndColor/Color3", QStringLiteral("Broken:four:fields"));
    Set("FontAndColor/Color4", QStringLiteral("Late:遅:1:1:1"));
    Set("FontAndColor/FontName1", QStringLiteral(" ＭＳ ゴシック "));
    Set("FontAndColor/FontName2", QStringLiteral("ＭＳ 明朝"));
    Set("FontAndColor/FontName4", QStringLiteral("after a gap"));
    Set("FontAndColor/FontSize1", QStringLiteral("9"));
    Set("FontAndColor/FontSize2", QStringLiteral("10.5"));
    Set("Default/FontSize", QStringLiteral("10.5"));
    Set("Default/Color", QStringLiteral("赤"));

    DrawStateReset(0);
    FontAndColorLoad();
    const ApplicationGlobalsRecord& g = ApplicationGlobals;
    ASSERT_EQ(g.ColorTable.size(), 3u) << "the list ends at the first entry without five fields";
    EXPECT_EQ(g.ColorTable[0], (ColorTableRecord{QString(), QStringLiteral("標準"), 0, 0, 0, -1}));
    EXPECT_EQ(g.ColorTable[1], (ColorTableRecord{QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 255}));
    EXPECT_EQ(g.ColorTable[2].color, 0xFFFFFF);
    EXPECT_EQ(g.FontNameList, (QStringList{QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝")}));
    EXPECT_EQ(g.FontSizeList, (QStringList{QStringLiteral("標準"), QStringLiteral("9"), QStringLiteral("10.5")}));
    EXPECT_EQ(g.DefaultFontName, QStringLiteral("ＭＳ ゴシック")) << "no default name: the first of the list";
    EXPECT_EQ(g.DocumentFontName, g.DefaultFontName);
    EXPECT_EQ(g.DocumentFontSize, QStringLiteral("10.5"));
    EXPECT_EQ(g.DocumentColorName, QStringLiteral("赤"));
    EXPECT_EQ(g.CanvasColorName, QStringLiteral("白")) << "no ini canvas colour: the window's white";

    // The printer, its state unknown, is left with the document font, code 0, and LO describes it.
    EXPECT_EQ(CurrentFontColorState.fontCode, 0);
    EXPECT_EQ(platform::printer::SystemPrinter().FontName(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(LO.charWidth, 105);
    EXPECT_EQ(LO.charHeight, 262);

    FontAndColorClear();
    EXPECT_TRUE(g.ColorTable.empty());
    EXPECT_TRUE(g.FontNameList.isEmpty());
    EXPECT_TRUE(g.FontSizeList.isEmpty());
}

TEST_F(FontAndColorLoading, MissingDefaultsFallBackToTheStandardEntries)
{
    Set("FontAndColor/FontName1", QStringLiteral("ＭＳ 明朝"));
    Set("FontAndColor/CanvasColorDefault", QStringLiteral("r1,g2,b3"));
    Set("Default/FontName", QStringLiteral(" "));
    FontAndColorLoad();
    EXPECT_EQ(ApplicationGlobals.DefaultFontName, QStringLiteral(" ")) << "a blank value counts as given";
    EXPECT_EQ(ApplicationGlobals.DefaultFontSize, QStringLiteral("標準"));
    EXPECT_EQ(ApplicationGlobals.DefaultColor, QStringLiteral("標準"));
    EXPECT_EQ(ApplicationGlobals.CanvasColorName, QStringLiteral("r1,g2,b3"));
    EXPECT_EQ(ApplicationGlobals.ColorTable.size(), 1u);
}

TEST_F(FontAndColorLoading, AColourEntryOutsideTheComponentRangeIsRefused)
{
    struct Row {
        const char* why;
        QString value;
    } rows[] = {{"above 255", QStringLiteral("Odd:変:256:0:0")}, {"not a number", QStringLiteral("Odd:変:red:0:0")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Set("FontAndColor/Color1", row.value);
        EXPECT_RAISES(FontAndColorLoad(), Application);
    }
}

TEST_F(FontAndColorLoading, TheShippedIniFileLoads)
{
    QFile file(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            section = line.mid(1, line.size() - 2);
        else if (!line.startsWith(QLatin1Char(';')) && line.contains(QLatin1Char('=')))
            services->ini.insert(section + '/' + line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    FontAndColorLoad();
    EXPECT_GT(ApplicationGlobals.ColorTable.size(), 8u);
    EXPECT_GT(ApplicationGlobals.FontNameList.size(), 3);
    EXPECT_EQ(ColorModify(ApplicationGlobals.DocumentColorName), 0) << "black text";
    EXPECT_EQ(ColorModify(ApplicationGlobals.CanvasColorName), 0xFFFFFF);
    EXPECT_GE(FontSizeValue(0), 8.0);
    for (const QString& size : ApplicationGlobals.FontSizeList.mid(1)) {
        SCOPED_TRACE(size.toStdString());
        EXPECT_EQ(FontModifyText(FontModifyChech(QStringLiteral("fontsize:") + size)), QStringLiteral("fontsize:") + size);
    }
    for (int i = 1; i < ApplicationGlobals.FontNameList.size(); ++i) {
        const QString text = QStringLiteral("fontname:") + ApplicationGlobals.FontNameList[i];
        EXPECT_EQ(FontModifyChech(text), i);
        EXPECT_EQ(FontModifyText(i), text);
    }
}

} // namespace
