#include "app/diagram/ReportSetting.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "support/ShellFakeServices.h"

#include <gtest/gtest.h>

#include <array>

using namespace vellumora;

namespace {

class ReportSettingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        services_ = std::make_shared<shell_test::FakeServices>();
        CommonServices = services_;
        RS = ReportSettingRecord::Default;
    }
    void TearDown() override { CommonServices.reset(); }
    std::shared_ptr<shell_test::FakeServices> services_;
};

TEST_F(ReportSettingTest, ThePaperStyleIsLookedUpInTheIniFile)
{
    struct Row {
        const char* why;
        QMap<QString, QString> styles;  // key number -> value
        QString paperStyle;
        std::int16_t paperSize, orientation;
    };
    const Row rows[] = {
        {"blanks around the parts are ignored", {{"1", " A4 : 9 : 2 "}}, QStringLiteral("A4"), 9, 2},
        {"the first match wins", {{"1", "A4:9:1"}, {"2", "A4:8:2"}}, QStringLiteral("A4"), 9, 1},
        {"a gap ends the search", {{"1", "A3:8:1"}, {"3", "B5:13:1"}}, QStringLiteral("B5"), 11, 2},
        {"a name alone keeps size and orientation", {{"1", "A4"}}, QStringLiteral("A4"), 11, 2},
        {"a name and a size keep the orientation", {{"1", "A4:9"}}, QStringLiteral("A4"), 9, 2},
        {"the style is compared with its letter case", {{"1", "a4:9:1"}}, QStringLiteral("A4"), 11, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        services_->ini.clear();
        for (auto it = row.styles.begin(); it != row.styles.end(); ++it)
            services_->ini[QStringLiteral("ReportSize/PaperStyle") + it.key()] = it.value();
        RS = ReportSettingRecord::Default;
        RS.paperStyle = row.paperStyle;
        RS.paperSize = 11;
        RS.orientation = 2;
        ReportSettingApply();
        EXPECT_EQ(RS.paperSize, row.paperSize);
        EXPECT_EQ(RS.orientation, row.orientation);
    }
}

TEST_F(ReportSettingTest, TheAreasFollowPaperMarginsSpacesAndBands)
{
    services_->ini[QStringLiteral("ReportSize/PaperStyle1")] = QStringLiteral("A4縦:9:1");
    RS.paperStyle = QStringLiteral("A4縦");
    RS.margin = {567, 567, 567, 567};
    RS.space = {283, 283, 283, 283};
    RS.headerHeight = 850;
    RS.footerHeight = 850;
    ReportSettingApply();
    EXPECT_EQ(RS.pageWidth, 11906);
    EXPECT_EQ(RS.pageHeight, 16838);
    EXPECT_EQ(RS.printWidth, 10772);
    EXPECT_EQ(RS.reportWidth, 10206);
    EXPECT_EQ(RS.printHeight, 15694);
    EXPECT_EQ(RS.reportHeight, 13428);

    ReportSettingApply();
    ASSERT_EQ(RS.descriptionList.size(), 13u) << "applying twice still gives the 13 content items";
    EXPECT_EQ(RS.descriptionList[1], (ReportDescription{QStringLiteral("ｷｬﾝﾊﾞｽ名+No"), 1, 2, true}));
    EXPECT_EQ(RS.descriptionList[12], (ReportDescription{QStringLiteral("ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数"), 4, 2, true}));
}

TEST_F(ReportSettingTest, EachPaperGivesItsAreasInTwips)
{
    struct Row {
        const char* why;
        QString style;
        std::array<std::int32_t, 4> margin, space;
        std::int32_t header, footer;
        Point page, print, report;
    };
    const Row rows[] = {
        {"A4 portrait", QStringLiteral("A4縦"), {567, 567, 567, 567}, {283, 283, 283, 283}, 850, 850,
         {11906, 16838}, {10772, 15694}, {10206, 13428}},
        {"A4 landscape", QStringLiteral("A4横"), {567, 567, 567, 567}, {283, 283, 283, 283}, 850, 850,
         {16838, 11906}, {15704, 10762}, {15138, 8496}},
        {"B5 portrait (the Japanese size)", QStringLiteral("B5縦"), {500, 500, 400, 600}, {200, 100, 300, 0}, 400, 300,
         {10318, 14570}, {9318, 13560}, {9018, 12560}},
        {"margins larger than the paper are kept as computed", QStringLiteral("B5縦"), {6000, 6000, 400, 600},
         {0, 0, 0, 0}, 0, 0, {10318, 14570}, {-1682, 13560}, {-1682, 13560}},
    };
    services_->ini[QStringLiteral("ReportSize/PaperStyle1")] = QStringLiteral("A4縦:9:1");
    services_->ini[QStringLiteral("ReportSize/PaperStyle2")] = QStringLiteral("A4横:9:2");
    services_->ini[QStringLiteral("ReportSize/PaperStyle3")] = QStringLiteral("B5縦:13:1");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RS = ReportSettingRecord::Default;
        RS.paperStyle = row.style;
        RS.margin = row.margin;
        RS.space = row.space;
        RS.headerHeight = row.header;
        RS.footerHeight = row.footer;
        ReportSettingApply();
        EXPECT_EQ((Point{RS.pageWidth, RS.pageHeight}), row.page);
        EXPECT_EQ((Point{RS.printWidth, RS.printHeight}), row.print);
        EXPECT_EQ((Point{RS.reportWidth, RS.reportHeight}), row.report);
    }
}

TEST_F(ReportSettingTest, ABadPaperEntryKeepsThePaperAndIsReportedLater)
{
    struct Row {
        const char* why;
        QString entry;
        QString message;
    };
    const Row rows[] = {
        {"a size that is no number", QStringLiteral("A4縦:x9:1"), QStringLiteral("用紙ｻｲｽﾞ指定が不良です。")},
        {"a size out of range", QStringLiteral("A4縦:99999:1"), QStringLiteral("用紙ｻｲｽﾞ指定が不良です。")},
        {"a size the printer does not know", QStringLiteral("A4縦:99:1"), QStringLiteral("用紙ｻｲｽﾞ指定が不良です。")},
        {"an orientation that is no number", QStringLiteral("A4縦:9:縦"), QStringLiteral("用紙方向指定が不良です。")},
        {"an orientation the printer refuses", QStringLiteral("A4縦:9:3"), QStringLiteral("用紙方向指定が不良です。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        services_->ini[QStringLiteral("ReportSize/PaperStyle1")] = QStringLiteral("B5縦:13:1");
        RS = ReportSettingRecord::Default;
        RS.paperStyle = QStringLiteral("B5縦");
        ReportSettingApply();
        const ReportSettingRecord before = RS;
        ApplicationGlobals.DeferredError.clear();

        services_->ini[QStringLiteral("ReportSize/PaperStyle1")] = row.entry;
        RS.paperStyle = QStringLiteral("A4縦");
        EXPECT_NO_THROW(ReportSettingApply());
        EXPECT_EQ(RS.paperSize, before.paperSize);
        EXPECT_EQ(RS.orientation, before.orientation);
        EXPECT_EQ(RS.pageWidth, before.pageWidth);
        EXPECT_EQ(RS.reportHeight, before.reportHeight);
        EXPECT_EQ(ApplicationGlobals.DeferredError,
                  row.message + QStringLiteral("\r\n[ReportSize] PaperStyle1=") + row.entry);
    }
    ApplicationGlobals.DeferredError.clear();
}

TEST_F(ReportSettingTest, AnUnknownStyleLeavesThePrinterAndTheAreasAlone)
{
    RS.paperStyle = QStringLiteral("なし");
    ReportSettingApply();
    EXPECT_EQ(RS.paperSize, 0);
    EXPECT_EQ(RS.pageWidth, 0);
    EXPECT_EQ(RS.reportHeight, 0);
    EXPECT_EQ(RS.descriptionList.size(), 13u);
}

} // namespace
