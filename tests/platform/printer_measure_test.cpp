#include "platform/printer/Printer.h"
#include "platform/textmeasure/TextMeasure.h"

#include "support/RaisedError.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <gtest/gtest.h>

using namespace platform::printer;
using namespace platform::textmeasure;

namespace {

FontSpec Gothic(float size, bool bold = false)
{
    FontSpec f;
    f.name = QStringLiteral("ＭＳ ゴシック");
    f.size = size;
    f.bold = bold;
    return f;
}

TEST(PrinterPaper, SizesInTwipsFollowOrientation)
{
    struct Row {
        const char* why;
        std::int16_t paper;
        std::int16_t orientation;
        std::int32_t width;
        std::int32_t height;
    } rows[] = {
        {"A4 portrait", PaperSize::A4, Orientation::Portrait, 11906, 16838},
        {"A4 landscape swaps the sides", PaperSize::A4, Orientation::Landscape, 16838, 11906},
        {"A3", PaperSize::A3, Orientation::Portrait, 16838, 23811},
        {"B5 (JIS)", PaperSize::B5, Orientation::Portrait, 10318, 14570},
        {"Letter, whole inches", PaperSize::Letter, Orientation::Portrait, 12240, 15840},
    };
    Printer printer;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        printer.SetPaperSize(row.paper);
        printer.SetOrientation(row.orientation);
        EXPECT_EQ(printer.Width(), row.width);
        EXPECT_EQ(printer.Height(), row.height);
    }
}

TEST(PrinterPaper, UnknownCodesAreRefusedAndLeaveTheSetting)
{
    Printer printer;
    printer.SetPaperSize(PaperSize::A3);
    EXPECT_RAISES(printer.SetPaperSize(999), 5);
    EXPECT_RAISES(printer.SetOrientation(3), 5);
    EXPECT_EQ(printer.PaperSize(), PaperSize::A3);
    EXPECT_EQ(printer.Orientation(), Orientation::Portrait);
}

TEST(PrinterFonts, WindowsNamesMapOntoInstalledJapaneseFonts)
{
    struct Row {
        const char* why;
        QString name;
        QString family;
    } rows[] = {
        {"gothic", QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP")},
        {"mincho", QStringLiteral("ＭＳ 明朝"), QStringLiteral("Noto Serif CJK JP")},
        {"proportional gothic", QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")},
        {"proportional mincho", QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("Noto Serif CJK JP")},
        {"half-width letters and katakana", QStringLiteral("MS ｺﾞｼｯｸ"), QStringLiteral("Noto Sans Mono CJK JP")},
        {"ideographic blank, no blank", QStringLiteral("ＭＳ　Ｐ明朝"), QStringLiteral("Noto Serif CJK JP")},
        {"English name in other case", QStringLiteral("ms pgothic"), QStringLiteral("Noto Sans CJK JP")},
        {"unknown name", QStringLiteral("No Such Font 123"), QStringLiteral("Noto Sans Mono CJK JP")},
        {"empty name", QString(), QStringLiteral("Noto Sans Mono CJK JP")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(SubstituteFontFamily(row.name), row.family);
    }
}

TEST(PrinterFonts, EveryWindowsNameIsDrawnWithAFamilyThatHasARealBoldFace)
{
    // A family without a bold face has its bold faked, and a scaling painter draws the fake thin.
    for (const char* name : {"ＭＳ ゴシック", "ＭＳ 明朝", "ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "メイリオ", "MS UI Gothic", ""}) {
        SCOPED_TRACE(name);
        const QString family = SubstituteFontFamily(QString::fromUtf8(name));
        EXPECT_TRUE(QFontDatabase::styles(family).contains(QStringLiteral("Bold")))
            << family.toStdString() << ": " << QFontDatabase::styles(family).join(',').toStdString();
    }
}

TEST(PrinterFonts, AnInstalledFamilyIsUsedByItsOwnName)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString some = families.contains(QStringLiteral("IPAMincho")) ? QStringLiteral("IPAMincho") : families.first();
    EXPECT_EQ(SubstituteFontFamily(some), some);
}

TEST(PrinterMeasure, FontMeasurerWorksInTwipsWithoutAPrinter)
{
    UseFakeTextMeasurer(false);
    const FontSpec ten = Gothic(10.0f);
    const double line = MeasureTextHeight(ten, QStringLiteral("A"));
    // The line height is the font's ascent plus descent, sized 20 twips a point.
    const QFontMetricsF metrics(MakeQFont(ten));
    EXPECT_DOUBLE_EQ(line, metrics.ascent() + metrics.descent());
    EXPECT_GT(line, 200.0);
    EXPECT_LT(line, 400.0);

    EXPECT_DOUBLE_EQ(MeasureTextHeight(ten, QStringLiteral("A\r\nB\r\nC")), 3 * line);
    EXPECT_DOUBLE_EQ(MeasureTextHeight(ten, QString()), line);

    const double a = MeasureTextWidth(ten, QStringLiteral("A"));
    EXPECT_GT(a, 0.0);
    EXPECT_DOUBLE_EQ(MeasureTextWidth(ten, QStringLiteral("AAAA\r\nA")), MeasureTextWidth(ten, QStringLiteral("AAAA")));
    EXPECT_NEAR(MeasureTextWidth(Gothic(20.0f), QStringLiteral("A")), 2 * a, 2.0);
    // A full-width character of a Japanese gothic is as wide as the font is high in points.
    EXPECT_NEAR(MeasureTextWidth(ten, QStringLiteral("漢")), 200.0, 1.0);
}

TEST(PrinterMeasure, FakeMeasurerGivesExactTwips)
{
    UseFakeTextMeasurer(true);
    struct Row {
        const char* why;
        float size;
        QString text;
        double width;
        double height;
    } rows[] = {
        {"one letter at 10 points", 10.0f, QStringLiteral("A"), 100, 250},
        {"full-width counts two", 10.0f, QStringLiteral("漢A"), 300, 250},
        {"widest line, lines add", 12.0f, QStringLiteral("AB\r\nABCD"), 480, 600},
        {"half-width katakana counts one", 8.0f, QStringLiteral("ｱｲ"), 160, 200},
        {"10.5 points", 10.5f, QStringLiteral("AA"), 210, 262.5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        FontSpec f = Gothic(row.size, true);
        EXPECT_DOUBLE_EQ(MeasureTextWidth(f, row.text), row.width);
        EXPECT_DOUBLE_EQ(MeasureTextHeight(f, row.text), row.height);
    }
    UseFakeTextMeasurer(false);
}

TEST(PrinterMeasure, ThePrinterMeasuresInItsOwnFont)
{
    UseFakeTextMeasurer(true);
    Printer& printer = SystemPrinter();
    printer.SetFontName(QStringLiteral("ＭＳ 明朝"));
    printer.SetFontSize(12.0f);
    EXPECT_DOUBLE_EQ(printer.TextWidth(QStringLiteral("ABC")), 360.0);
    EXPECT_DOUBLE_EQ(printer.TextHeight(QStringLiteral("ABC")), 300.0);
    UseFakeTextMeasurer(false);
}

TEST(PrinterDocument, EndDocDropsWhatWasDrawn)
{
    Printer printer;
    printer.Line(0, 0, 100, 100, 0);
    printer.NewPage();
    printer.Print(QStringLiteral("x"));
    EXPECT_EQ(printer.Records().size(), 2u);
    printer.EndDoc();
    EXPECT_TRUE(printer.Records().empty());
    EXPECT_EQ(printer.PageCount(), 0);
    EXPECT_EQ(printer.CurrentX(), 0);
    EXPECT_EQ(printer.CurrentY(), 0);
}

} // namespace
