// The settings text of a document: keys in fixed order, values both ways, ini defaults for what a
// document lacks, and a text with a bad value refused as a whole.

#include "app/diagram/PadUtilities.h"

#include "app/core/PrintRecords.h"
#include "fileinterface_support.h"
#include "support/RaisedError.h"

#include <functional>

using namespace vellumora;
using namespace fileinterface_test;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        RS = ReportSettingRecord::Default;
        DocumentSettingsText(false, QString());
    }

    static QString Lines(std::initializer_list<const char*> lines)
    {
        QStringList out;
        for (const char* line : lines)
            out << QString::fromUtf8(line);
        return out.join(kCrLf);
    }
};

TEST_F(Settings, WritesEveryKeyOnceInItsOrder)
{
    const QStringList expected = Lines({
        "CanvasColor", "NoteNotShow", "NoteNotFrame", "FrameSameText", "FrameColor", "ReplaceJump", "PrinterPaperStyle",
        "PrinterLeftMargin", "PrinterRightMargin", "PrinterTopMargin", "PrinterBottomMargin", "PrinterFrame",
        "PrinterLeftSpace", "PrinterRightSpace", "PrinterTopSpace", "PrinterBottomSpace", "PrinterHeaderFrame",
        "PrinterHeaderHeight", "PrinterHeaderLeftExplain", "PrinterHeaderLeftFontName", "PrinterHeaderLeftFontSize",
        "PrinterHeaderLeftFontBold", "PrinterHeaderLeftFontItalic", "PrinterHeaderLeftFontStrikethru",
        "PrinterHeaderLeftFontUnderLine", "PrinterHeaderLeftColor", "PrinterHeaderCenterExplain",
        "PrinterHeaderCenterFontName", "PrinterHeaderCenterFontSize", "PrinterHeaderCenterFontBold",
        "PrinterHeaderCenterFontItalic", "PrinterHeaderCenterFontStrikethru", "PrinterHeaderCenterFontUnderLine",
        "PrinterHeaderCenterColor", "PrinterHeaderRightExplain", "PrinterHeaderRightFontName",
        "PrinterHeaderRightFontSize", "PrinterHeaderRightFontBold", "PrinterHeaderRightFontItalic",
        "PrinterHeaderRightFontStrikethru", "PrinterHeaderRightFontUnderLine", "PrinterHeaderRightColor",
        "PrinterFooterFrame", "PrinterFooterHeight", "PrinterFooterLeftExplain", "PrinterFooterLeftFontName",
        "PrinterFooterLeftFontSize", "PrinterFooterLeftFontBold", "PrinterFooterLeftFontItalic",
        "PrinterFooterLeftFontStrikethru", "PrinterFooterLeftFontUnderLine", "PrinterFooterLeftColor",
        "PrinterFooterCenterExplain", "PrinterFooterCenterFontName", "PrinterFooterCenterFontSize",
        "PrinterFooterCenterFontBold", "PrinterFooterCenterFontItalic", "PrinterFooterCenterFontStrikethru",
        "PrinterFooterCenterFontUnderLine", "PrinterFooterCenterColor", "PrinterFooterRightExplain",
        "PrinterFooterRightFontName", "PrinterFooterRightFontSize", "PrinterFooterRightFontBold",
        "PrinterFooterRightFontItalic", "PrinterFooterRightFontStrikethru", "PrinterFooterRightFontUnderLine",
        "PrinterFooterRightColor", "PrinterText1", "PrinterText2", "PrinterText3", "PrinterText4", "PrinterText5",
        "PrinterUpdateDateFormat", "PrinterNowDateFormat"}).split(kCrLf);
    ASSERT_EQ(expected.size(), 75);
    EXPECT_EQ(DocumentSettingKeys(), expected);

    RS.margin[2] = 1440;
    RS.frameShow[2] = true;
    RS.fontItalic[4] = true;
    RS.color[5] = QStringLiteral("赤");
    RS.extraText[1] = QStringLiteral("a\r\nb");
    ApplicationGlobals.NoteNotShow = true;
    const QStringList lines = DocumentSettingsText(true, QStringLiteral("ignored")).split(kCrLf);
    ASSERT_EQ(lines.size(), 75);
    for (int i = 0; i < 75; ++i)
        EXPECT_TRUE(lines[i].startsWith(expected[i] + QLatin1Char(':'))) << lines[i].toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("NoteNotShow:True")));
    EXPECT_TRUE(lines.contains(QStringLiteral("NoteNotFrame:False")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PrinterTopMargin:1440")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PrinterFooterFrame:True")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PrinterFooterCenterFontItalic:True")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PrinterFooterRightColor:赤")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PrinterText2:a\tb")));
}

TEST_F(Settings, AnEmptyTextGivesTheIniDefaults)
{
    ApplicationGlobals.NoteNotShow = true;
    ApplicationGlobals.FrameSameText = false;
    RS.footerHeight = 1;
    RS.fontName[0] = QStringLiteral("x");
    EXPECT_EQ(DocumentSettingsText(false, QString()), QString());
    EXPECT_EQ(ApplicationGlobals.CanvasColorName, QStringLiteral("白"));
    EXPECT_FALSE(ApplicationGlobals.NoteNotShow) << "absent from document and ini: cleared";
    EXPECT_TRUE(ApplicationGlobals.FrameSameText);
    EXPECT_EQ(ApplicationGlobals.FrameColor, QStringLiteral("黒"));
    EXPECT_EQ(RS.paperStyle, QStringLiteral("A4縦"));
    EXPECT_EQ(RS.margin, (std::array<std::int32_t, 4>{850, 850, 1133, 1133})) << "centimetres from the ini";
    EXPECT_EQ(RS.space, (std::array<std::int32_t, 4>{283, 283, 283, 283}));
    EXPECT_EQ(RS.headerHeight, 567) << "heights are twips in the ini";
    EXPECT_EQ(RS.footerHeight, 454);
    EXPECT_EQ(RS.explain[0], QStringLiteral("ﾌｧｲﾙ名"));
    EXPECT_EQ(RS.fontName[0], QString());
    EXPECT_EQ(RS.extraText[0], QStringLiteral("社外秘"));
    EXPECT_EQ(RS.nowDateFormat, QStringLiteral("yyyy/mm/dd"));
}

TEST_F(Settings, ReadingRules)
{
    struct Row {
        const char* why;
        std::initializer_list<const char*> text;
        std::function<bool()> holds;
    };
    const Row rows[] = {
        {"keys and truth words ignore letter case", {"notenotshow:true"}, [] { return ApplicationGlobals.NoteNotShow; }},
        {"a number is a truth value", {"NoteNotFrame:-1", "ReplaceJump:0"},
         [] { return ApplicationGlobals.NoteNotFrame && !ApplicationGlobals.ReplaceJump; }},
        {"blanks around the key do not count", {" FrameSameText :False"}, [] { return !ApplicationGlobals.FrameSameText; }},
        {"blanks inside the key do not count either", {"Note Not Frame:True"},
         [] { return ApplicationGlobals.NoteNotFrame; }},
        {"an empty value takes the ini default", {"FrameColor:"}, [] { return ApplicationGlobals.FrameColor == QStringLiteral("黒"); }},
        {"a value keeps what follows its first colon, blanks included", {"PrinterText2: a:b "},
         [] { return RS.extraText[1] == QStringLiteral(" a:b "); }},
        {"a TAB in a value is a line break", {"PrinterText3:a\t\tc\t"},
         [] { return RS.extraText[2] == QStringLiteral("a\r\n\r\nc\r\n"); }},
        {"margins in a document are twips", {"PrinterLeftMargin:1000", "PrinterBottomSpace:0"},
         [] { return RS.margin[0] == 1000 && RS.space[3] == 0; }},
        {"the first matching line wins", {"PrinterHeaderHeight:100", "PrinterHeaderHeight:200"},
         [] { return RS.headerHeight == 100; }},
        {"a line without a colon gives the default", {"PrinterFooterHeight"}, [] { return RS.footerHeight == 454; }},
        {"empty lines are skipped", {"", "PrinterText4:x", ""}, [] { return RS.extraText[3] == QStringLiteral("x"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        QStringList lines;
        for (const char* line : row.text)
            lines << QString::fromUtf8(line);
        const QString text = lines.join(kCrLf);
        EXPECT_EQ(DocumentSettingsText(false, text), text);
        EXPECT_TRUE(row.holds());
    }
}

TEST_F(Settings, ATextWithABadValueChangesNothing)
{
    struct Row {
        const char* why;
        const char* badLine;
        std::int32_t error;
    };
    const Row rows[] = {
        {"a length that is no number", "PrinterTopMargin:2cm", ErrorNumber::TypeMismatch},
        {"a truth value that is no word and no number", "NoteNotFrame:maybe", ErrorNumber::TypeMismatch},
        {"a length beyond 32 bits", "PrinterFooterHeight:99999999999", ErrorNumber::Overflow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        const ReportSettingRecord before = RS;
        const QString text = QStringLiteral("NoteNotShow:True\r\nPrinterLeftMargin:7\r\n") + QString::fromUtf8(row.badLine);
        EXPECT_RAISES(DocumentSettingsText(false, text), row.error);
        EXPECT_FALSE(ApplicationGlobals.NoteNotShow);
        EXPECT_EQ(RS, before);
    }
}

TEST_F(Settings, WrittenSettingsReadBackEqual)
{
    ApplicationGlobals.CanvasColorName = QStringLiteral("r1,g2,b3");
    ApplicationGlobals.ReplaceJump = true;
    ApplicationGlobals.FrameColor = QStringLiteral("a: b");
    RS.paperStyle = QStringLiteral("B5横");
    RS.margin = {1, 2, 3, 4};
    RS.frameShow = {true, false, true};
    RS.space = {5, 6, 7, 8};
    RS.headerHeight = 9;
    RS.footerHeight = 10;
    for (int slot = 0; slot < 6; ++slot) {
        RS.explain[slot] = QStringLiteral("ﾃｷｽﾄ%1").arg(slot);
        RS.fontName[slot] = QStringLiteral("ＭＳ 明朝");
        RS.fontSize[slot] = QString::number(8 + slot);
        RS.fontBold[slot] = slot % 2;
        RS.fontItalic[slot] = slot % 3;
        RS.fontStrikethru[slot] = slot == 4;
        RS.fontUnderLine[slot] = slot == 5;
        RS.color[slot] = QStringLiteral("r%1,g0,b0").arg(slot);
    }
    RS.extraText = {QStringLiteral("一\r\n二"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    RS.updateDateFormat = QStringLiteral("yyyy年m月d日");
    RS.nowDateFormat = QStringLiteral("hh:nn:ss");
    const ReportSettingRecord written = RS;
    const ApplicationGlobalsRecord globals = ApplicationGlobals;

    const QString text = DocumentSettingsText(true, QString());
    SetUp();
    DocumentSettingsText(false, text);
    const auto comparable = [](ReportSettingRecord r) {
        // Derived by the report settings, not carried by the text.
        r.paperSize = r.orientation = 0;
        r.pageWidth = r.pageHeight = r.printWidth = r.printHeight = r.reportWidth = r.reportHeight = 0;
        r.descriptionList.clear();
        return r;
    };
    EXPECT_EQ(comparable(RS), comparable(written));
    EXPECT_EQ(ApplicationGlobals.CanvasColorName, globals.CanvasColorName);
    EXPECT_EQ(ApplicationGlobals.ReplaceJump, globals.ReplaceJump);
    EXPECT_EQ(ApplicationGlobals.FrameColor, globals.FrameColor);
}

} // namespace
