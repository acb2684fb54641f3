#include "app/diagram/TagTable.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "support/RaisedError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace vellumora;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

// The program's ini file for this test: the margins and spaces are the [Default] values that
// must be numbers; the rest may be absent.
const char kIni[] =
    "[Default]\r\n"
    "PrinterLeftMargin=1\r\n"
    "PrinterRightMargin=1\r\n"
    "PrinterTopMargin=2\r\n"
    "PrinterBottomMargin=1\r\n"
    "PrinterLeftSpace=0\r\n"
    "PrinterRightSpace=0\r\n"
    "PrinterTopSpace=0\r\n"
    "PrinterBottomSpace=0\r\n"
    "NoteNotFrame=True\r\n";

class TagTables : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new QTemporaryDir;
        QFile ini(QDir(folder_->path()).filePath(QStringLiteral("vellumora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(kIni);
        ini.close();
        SetApplicationObject(folder_->path(), QStringLiteral("vellumora"));
        BasicDefineInitialize();
    }
    static void TearDownTestSuite()
    {
        BasicDefineTerminate();
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { TagTableDefine(); }

    static QTemporaryDir* folder_;
};
QTemporaryDir* TagTables::folder_ = nullptr;

TEST_F(TagTables, EveryTagRowHasItsMnemonicBoxNameAndAttributeBits)
{
    struct Row {
        std::int32_t id;
        const char* mnemonic;
        const char* boxName;
        std::int32_t flags;
    };
    const Row rows[] = {
        {1, "&&document", "", 0x10},       {2, "&&end-document", "", 0x10},
        {3, "&&routine", "定義Box", 0x60A1}, {4, "&&end-routine", "", 0x2},
        {5, "&&block", "処理Box", 0x4A21},   {6, "&&declare", "宣言Box", 0x4A21},
        {7, "&&input", "入力Box", 0x4001},   {8, "&&output", "出力Box", 0x4001},
        {9, "&&external", "参照Box", 0x4021}, {10, "&&branch", "選択Box", 0x4181},
        {11, "&&end-branch", "", 0x2},     {12, "&&loop", "反復Box", 0x40A1},
        {13, "&&end-loop", "", 0x2},       {14, "&&label", "Label", 0x4401},
        {15, "&&break", "Break", 0x4061},  {16, "&&continue", "Continue", 0x4061},
        {17, "&&jump", "Jump", 0x4421},    {18, "&&tree", "ﾂﾘｰBox", 0x80A1},
        {19, "&&end-tree", "", 0x2},       {20, "&&note", "注釈Box", 0xCA01},
        {21, "&&chink", "", 0x1008},       {22, "&&freeStyle", "自由Box", 0x4001},
        {23, "&&egg", "", 0x8},            {24, "&&case", "ｹｰｽ", 0x410},
        {25, "&&color", "", 0x10},         {26, "&&font", "", 0x10},
        {27, "&&name", "", 0x10},          {28, "&&before", "", 0x10},
        {29, "&&after", "", 0x10},         {30, "&&style", "", 0x10},
        {31, "&&text", "", 0x10},          {32, "&&lowerPage", "", 0x10},
        {33, "&&rightPage", "", 0x10},     {34, "&&obstinate", "", 0x10},
    };
    ASSERT_EQ(PR.TagTable.size(), std::size(rows));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mnemonic);
        const TagTableRecord& stored = PR.TagTable[row.id - 1];
        EXPECT_EQ(stored.id, row.id) << "the row with id n stands at index n - 1";
        EXPECT_EQ(stored.mnemonic, QString::fromUtf8(row.mnemonic));
        EXPECT_EQ(stored.boxName, QString::fromUtf8(row.boxName));
        EXPECT_EQ(stored.flags, row.flags);
        EXPECT_EQ(TagTableGet(row.id), stored);
    }
}

TEST_F(TagTables, AttributeStyleAndChartKindTablesFollowTheirFixedOrder)
{
    ASSERT_EQ(PR.TagAttributeTable.size(), 19u);
    for (std::size_t row = 0; row < PR.TagAttributeTable.size(); ++row)
        EXPECT_EQ(PR.TagAttributeTable[row].value, 1 << row) << "row " << row;
    EXPECT_EQ(PR.TagAttributeTable[13].name, QStringLiteral("NullTextSuppress"));
    EXPECT_EQ(PR.TagAttributeTable[18].name, QStringLiteral("Obstinate5"));

    ASSERT_EQ(PR.StyleAttributeTable.size(), 9u);
    const StyleAttributeRecord& corner = PR.StyleAttributeTable[2];
    EXPECT_EQ(corner.name, QStringLiteral("rightuppercorner"));
    EXPECT_EQ(corner.values, (std::vector<QString>{"off", "cut", "curve"}));
    EXPECT_TRUE(corner.isRight && corner.isUpper && corner.isCorner);
    EXPECT_FALSE(corner.isLeft || corner.isLower || corner.isLine || corner.isOverlap);
    const StyleAttributeRecord& overlap = PR.StyleAttributeTable[8];
    EXPECT_EQ(overlap.values, (std::vector<QString>{"off", "horizontal", "vertical"}));
    EXPECT_TRUE(overlap.isOverlap);
    EXPECT_TRUE(PR.StyleAttributeTable[7].isLower && PR.StyleAttributeTable[7].isLine);

    ASSERT_EQ(PR.ObstinateTable.size(), 5u);
    EXPECT_EQ(PR.ObstinateTable[0][0], QStringLiteral("Obstinate1"));
    EXPECT_EQ(PR.ObstinateTable[0][1], QStringLiteral("PAD図"));
    EXPECT_EQ(PR.ObstinateTable[1][1], QStringLiteral("ﾓｼﾞｭｰﾙ構造図"));
    EXPECT_EQ(PR.ObstinateTable[4][0], QStringLiteral("Obstinate5"));
    EXPECT_TRUE(PR.ObstinateTable[2][1].isEmpty()) << "a kind without a caption is not offered";
}

TEST_F(TagTables, BuildingResetsTheReportSettingsAndReadsTheIniDefaults)
{
    RS.pdfPath = QStringLiteral("/left/over.pdf");
    ApplicationGlobals.NoteNotFrame = false;
    TagTableDefine();
    EXPECT_TRUE(RS.pdfPath.isEmpty());
    EXPECT_EQ(RS.margin[0], 566) << "1 cm";
    EXPECT_EQ(RS.margin[2], 1133) << "2 cm";
    EXPECT_TRUE(ApplicationGlobals.NoteNotFrame);
}

TEST_F(TagTables, LookupsOfUnknownIdsAndNewRecords)
{
    EXPECT_EQ(TagTableGet(0), TagTableRecord::Default);
    EXPECT_EQ(TagTableGet(35), TagTableRecord::Default);

    const PadInfoRecord routine = PadInfoMake(TagId::Routine, QString());
    EXPECT_EQ(routine.tagId, TagId::Routine);
    EXPECT_EQ(routine.number, -1);
    EXPECT_EQ(routine.flags, 0x60A1);
    EXPECT_TRUE(routine.flags & TagAttribute::Obstinate1);
    EXPECT_EQ(PadInfoMake(99, QStringLiteral("x")).flags, 0);
    EXPECT_EQ(PadInfoMake(TagId::Label, QStringLiteral("x")).text, QStringLiteral("x"));

    // A row naming an attribute the table lacks keeps the bits it can find.
    TagTableAdd(40, QStringLiteral(" Extra , &&extra-kind , BlockTag + Unheard + Frame "));
    EXPECT_EQ(TagTableGet(40).flags, 0x21);
    EXPECT_EQ(TagTableGet(40).mnemonic, QStringLiteral("&&extra-kind"));
    EXPECT_EQ(TagTableGet(40).boxName, QStringLiteral("Extra"));
}

TEST_F(TagTables, FreeStyleTextSetsOneValueIndexPerStyleRow)
{
    struct Row {
        const char* why;
        const char* style;
        std::vector<std::uint8_t> bytes; // empty: the free-style error
    };
    const Row rows[] = {
        {"an empty text leaves every attribute off", "", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"names and values ignore letter case", "LeftUpperCorner:Curve", {2, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"a name alone takes the value after off", "leftline\r\noverlap", {0, 0, 0, 0, 1, 0, 0, 0, 1}},
        {"semicolons separate items as line breaks do", "rightline:on;overlap:vertical", {0, 0, 0, 0, 0, 1, 0, 0, 2}},
        {"the later item for an attribute wins, also off", "upperline:on;upperline:off", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"blanks around names and values are dropped", " lowerline : on ", {0, 0, 0, 0, 0, 0, 0, 1, 0}},
        {"an empty item is passed over", "leftline;;rightline;", {0, 0, 0, 0, 1, 1, 0, 0, 0}},
        {"a value the row does not list", "leftline:cut", {}},
        {"a name that is no row name", "left", {}},
    };
    B.assign(2, CanvasRecord{});
    B[1].BoxList.assign(2, BoxRecord{});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PadInfoRecord record = PadInfoMake(TagId::FreeStyle, QString());
        record.style = QString::fromLatin1(row.style);
        B[1].BoxList[1].style.assign(3, 7);
        if (row.bytes.empty()) {
            EXPECT_RAISES(FreeStyleParse(1, 1, record), ErrorNumber::Application);
        } else {
            FreeStyleParse(1, 1, record);
            EXPECT_EQ(B[1].BoxList[1].style, row.bytes);
        }
    }

    // The items before a bad one stay stored.
    PadInfoRecord record = PadInfoMake(TagId::FreeStyle, QString());
    record.style = QStringLiteral("leftline:on;rightline:maybe;upperline:on");
    try {
        FreeStyleParse(1, 1, record);
        ADD_FAILURE() << "raised nothing";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.source(), QStringLiteral("FreeStyleBox"));
        EXPECT_EQ(e.description(), QStringLiteral("ﾌﾘｰｽﾀｲﾙの指定に間違いがあります。"));
    }
    EXPECT_EQ(B[1].BoxList[1].style, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 0}));
    B.clear();
}

TEST_F(TagTables, ClearingErasesTheTablesButKeepsTheChartKinds)
{
    PadTablesClear();
    EXPECT_TRUE(PR.TagAttributeTable.empty());
    EXPECT_TRUE(PR.TagTable.empty());
    EXPECT_TRUE(PR.StyleAttributeTable.empty());
    EXPECT_EQ(PR.ObstinateTable.size(), 5u);
    EXPECT_EQ(TagTableGet(TagId::Routine), TagTableRecord::Default);
}

} // namespace
