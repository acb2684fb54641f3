// Dumps of box trees and of the print job's records to the debug log.

#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/diagram/RecordDump.h"
#include "platform/codepage/CodePage.h"
#include "platform/system/System.h"
#include "support/ShellFakeServices.h"

#include <QDateTime>

#include <stdexcept>

using namespace vellumora;

namespace {

const QString Stamp = QStringLiteral("[2026/03/04 05:06:07] ");

class RecordDump : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        platform::system::SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        DebugInitialize();
        PR = PadRecord();
        PR.TagTable.push_back({QStringLiteral("&&process"), 2, 0, QStringLiteral("処理")});
        B.assign(2, CanvasRecord());
        LO = LayoutConstants::Default;
        RS = ReportSettingRecord::Default;
        RW = PrintWorkRecord::Default;
    }
    void TearDown() override
    {
        DebugLogClose();
        platform::system::SetClock({});
        B.clear();
        PR = PadRecord();
        DebugLog.DebugClassForce = -1;
        ServicesFolder::TearDown();
    }

    void classesOn(std::initializer_list<int> classes)
    {
        ApplicationGlobals.DebugClass = {};
        for (const int c : classes)
            ApplicationGlobals.DebugClass[static_cast<std::size_t>(c)] = true;
    }

    bool logExists() const { return QFileInfo::exists(path(QStringLiteral("vellumora.log"))); }

    // The entry lines after the banner, the time stamp removed.
    QStringList lines() const
    {
        DebugLogClose();
        QStringList all = platform::codepage::FromShiftJis(read(path(QStringLiteral("vellumora.log"))))
                              .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        if (!all.isEmpty())
            all.removeFirst();
        for (QString& line : all)
            if (line.startsWith(Stamp))
                line.remove(0, Stamp.size());
        return all;
    }
    // Only the header lines (those without a colon), as they stand.
    QStringList headers() const
    {
        QStringList result;
        for (const QString& line : lines())
            if (!line.contains(QLatin1Char(':')))
                result << line;
        return result;
    }

    // Canvas 1: boxes 1 and 2 on the top chain; box 1 has sub lines 1 and 2; sub line 1 holds box 3,
    // which has sub line 3 with no box below it.
    static void TreeCanvas()
    {
        CanvasRecord& canvas = B[1];
        canvas.BoxList.assign(4, BoxRecord());
        canvas.SubList.assign(4, SubRecord());
        canvas.header.firstBox = 1;
        BoxRecord& box1 = canvas.BoxList[1];
        box1.tagType = 2;
        box1.subIndex = 1;
        box1.after = 2;
        canvas.BoxList[2].before = 1;
        canvas.SubList[1] = SubRecord();
        canvas.SubList[1].upper = 1;
        canvas.SubList[1].boxIndex = 3;
        canvas.SubList[1].after = 2;
        canvas.SubList[2].upper = 1;
        canvas.SubList[2].before = 1;
        canvas.SubList[2].boxIndex = -1;
        canvas.BoxList[3].upper = 1;
        canvas.BoxList[3].subIndex = 3;
        canvas.SubList[3].upper = 3;
        canvas.SubList[3].boxIndex = 0;
    }
};

const QString S30(30, QLatin1Char('*'));
const QString S15(15, QLatin1Char('*'));

TEST_F(RecordDump, TheBoxTreeNestsByFourBlanks)
{
    classesOn({5});
    TreeCanvas();
    DebugBoxList(1, 5, -1, 0);
    EXPECT_EQ(headers(), QStringList({
                             QStringLiteral("boxList(1,1) ") + S30,
                             QStringLiteral("    subList(1,1) ") + S15,
                             QStringLiteral("        boxList(3,1) ") + S30,
                             QStringLiteral("            subList(3,1) ") + S15,
                             QStringLiteral("    subList(2,1) ") + S15,
                             QStringLiteral("boxList(2,1) ") + S30,
                         }));
    EXPECT_EQ(DebugLog.DebugClassForce, -1);
}

TEST_F(RecordDump, BoxEntriesShowTextsFiguresAndStylesAsTheirValues)
{
    classesOn({5});
    TreeCanvas();
    BoxRecord& box = B[1].BoxList[1];
    box.after = -1;
    box.subIndex = -1;
    box.text.text = QStringLiteral("一行目\r\n二行目");
    box.text.size = {300, 480};
    box.text.lineCount = 2;
    box.style = {0, 65};  // 65 is "A" as a character: it must show as a number
    box.draw = {FigureData(), FigureData{FigureKind::Line, {1, 2}, {3, 4}, 0}};
    DebugBoxList(1, 5, -1, 0);
    const QStringList got = lines();
    const auto pad = [](const QString& label, int width) { return label + QString(20 - width, QLatin1Char(' ')) + ':'; };
    struct Row {
        const char* why;
        QString line;
    };
    const Row rows[] = {
        {"tag id with its mnemonic", pad(QStringLiteral("tagﾀｲﾌﾟ"), 7) + QStringLiteral("2:&&process")},
        {"text joined by a bar", pad(QStringLiteral("内部ｺｰﾄﾞ1"), 9) + QStringLiteral("一行目 | 二行目")},
        {"text size as a point", pad(QStringLiteral("内部ｺｰﾄﾞ幅,高さ1"), 16) + QStringLiteral("300, 480")},
        {"style bytes as numbers", pad(QStringLiteral("ｽﾀｲﾙ"), 4) + QStringLiteral("65")},
        {"figure 2 numbered from 1", pad(QStringLiteral("直線終点2"), 9) + QStringLiteral("3, 4")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_TRUE(got.contains(row.line)) << row.line.toStdString();
    }
    // The empty second text and the figure of kind 0 write nothing.
    EXPECT_FALSE(got.join('\n').contains(QStringLiteral("内部ｺｰﾄﾞ2")));
    EXPECT_FALSE(got.join('\n').contains(QStringLiteral("描画形式1")));
    EXPECT_EQ(got.count(pad(QStringLiteral("ｽﾀｲﾙ"), 4) + QStringLiteral("0")), 1);
}

TEST_F(RecordDump, DamagedChainsEndWithoutLoopingOrTouchingSlotZero)
{
    classesOn({5});
    struct Row {
        const char* why;
        std::function<void(CanvasRecord&)> damage;
        QStringList boxHeaders;
    };
    const Row rows[] = {
        {"top chain runs back to its first box", [](CanvasRecord& c) { c.BoxList[2].after = 1; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(3,1) "), QStringLiteral("boxList(2,1) ")}},
        {"a chain leads to slot 0", [](CanvasRecord& c) { c.BoxList[2].after = 0; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(3,1) "), QStringLiteral("boxList(2,1) ")}},
        {"a link past the end of the list", [](CanvasRecord& c) { c.BoxList[1].after = 40; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(3,1) ")}},
        {"a sub line pointing at itself", [](CanvasRecord& c) { c.SubList[2].after = 2; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(3,1) "), QStringLiteral("boxList(2,1) ")}},
        {"a nested chain back to its owner", [](CanvasRecord& c) { c.BoxList[3].after = 1; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(3,1) "), QStringLiteral("boxList(2,1) ")}},
        {"first sub line is slot 0", [](CanvasRecord& c) { c.BoxList[1].subIndex = 0; },
         {QStringLiteral("boxList(1,1) "), QStringLiteral("boxList(2,1) ")}},
        {"the first box is slot 0", [](CanvasRecord& c) { c.header.firstBox = 0; }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        TreeCanvas();
        row.damage(B[1]);
        QFile::remove(path(QStringLiteral("vellumora.log")));
        DebugInitialize();
        DebugBoxList(1, 5, -1, 0);
        QStringList boxHeaders;
        for (const QString& header : headers())
            if (header.trimmed().startsWith(QStringLiteral("boxList")))
                boxHeaders << header.trimmed().chopped(S30.size());
        EXPECT_EQ(boxHeaders, row.boxHeaders);
        EXPECT_EQ(DebugLog.DebugClassForce, -1);
    }
}

TEST_F(RecordDump, ADumpThatFailsPartWayLetsGoOfItsClass)
{
    classesOn({5, 7});
    TreeCanvas();
    int calls = 0;
    platform::system::SetClock([&calls]() -> QDateTime {
        if (++calls > 3)
            throw std::runtime_error("clock stopped");
        return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    });
    EXPECT_THROW(DebugBoxList(1, 5, -1, 0), std::runtime_error);
    EXPECT_EQ(DebugLog.DebugClassForce, -1);
    EXPECT_THROW(
        {
            calls = 4;
            DebugReportList(7);
        },
        std::runtime_error);
    EXPECT_EQ(DebugLog.DebugClassForce, -1);
    // After the dump the classes decide again: class 1 is off.
    EXPECT_TRUE(DebugClassSkip(1));
}

TEST_F(RecordDump, TheDumpsClassAloneDecides)
{
    TreeCanvas();
    RW.PageList.resize(2);
    struct Row {
        const char* why;
        std::initializer_list<int> on;
        bool boxesWritten;
        bool reportWritten;
    };
    const Row rows[] = {
        {"all classes but 5 and 7 on", {1, 2, 3, 4, 6, 8, 9}, false, false},
        {"5 and 7 on, 1 off", {5, 7}, true, true},
        {"only 7", {7}, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        classesOn(row.on);
        QFile::remove(path(QStringLiteral("vellumora.log")));
        DebugInitialize();
        DebugBoxList(1, 5, -1, 0);
        const bool boxes = logExists();
        DebugReportList(7);
        const QStringList all = lines();
        EXPECT_EQ(boxes, row.boxesWritten);
        EXPECT_EQ(all.contains(QStringLiteral("LO ") + S30), row.reportWritten);
        EXPECT_EQ(DebugLog.DebugClassForce, -1);
    }
    // An empty canvas writes nothing at all, not even the banner.
    classesOn({5});
    QFile::remove(path(QStringLiteral("vellumora.log")));
    DebugInitialize();
    B[1].header.firstBox = -1;
    DebugBoxList(1, 5, -1, 0);
    DebugBoxList(7, 5, -1, 0);  // no such canvas
    EXPECT_FALSE(logExists());
}

TEST_F(RecordDump, TheReportListShowsLayoutSettingsAndListedBlocks)
{
    classesOn({7});
    LO.charWidth = 111;
    LO.lineLabelWidth = 25;
    LO.subLineLabelWidth = 27;
    LO.blockVerticalGap = 30;
    LO.maxTextColumns = 9999;
    RS.frameShow = {true, false, true};
    RS.nowDateFormat = QStringLiteral("yyyy/mm/dd");
    RW.BlockList.resize(12);
    ConnectorRecord connector;
    connector.connectorNo = 5;
    connector.label.text = QStringLiteral("5");
    RW.BlockList[3].connector.assign(11, ConnectorRecord());
    RW.BlockList[3].connector[0] = connector;
    RW.BlockList[3].connector[10].connectorNo = 6;
    RW.PageList.resize(3);
    RW.PageList[0].canvasName = QStringLiteral("never shown");
    RW.PageList[1].blocks = {3, 3, 99};
    RW.PageList[2].blocks = {};
    DebugReportList(7);
    const QStringList got = lines();

    // LO: its header, 30 members (the text limits are left out), then RS.
    const qsizetype lo = got.indexOf(QStringLiteral("LO ") + S30);
    const qsizetype rs = got.indexOf(QStringLiteral("RS ") + S30);
    ASSERT_EQ(lo, 0);
    ASSERT_EQ(rs, 31);
    EXPECT_EQ(got.at(1), QStringLiteral("基準文字幅") + QString(10, ' ') + QStringLiteral(":111"));
    EXPECT_EQ(got.at(25), QStringLiteral("線ﾗﾍﾞﾙの幅") + QString(10, ' ') + QStringLiteral(":25"));
    EXPECT_EQ(got.at(27), QStringLiteral("線ﾗﾍﾞﾙの幅") + QString(10, ' ') + QStringLiteral(":27"));
    EXPECT_EQ(got.at(30), QStringLiteral("ﾌﾞﾛｯｸ垂直間隔") + QString(7, ' ') + QStringLiteral(":30"));

    struct Row {
        const char* why;
        QString line;
        int count;
    };
    const QString blanks46(46, ' ');
    const Row rows[] = {
        {"frame flags as Booleans", QStringLiteral("枠有無(H)") + QString(11, ' ') + QStringLiteral(":False"), 1},
        {"the current date format", QStringLiteral("現在日付ﾌｫｰﾏｯﾄ") + QString(6, ' ') + QStringLiteral(":yyyy/mm/dd"), 1},
        {"page 0 is never dumped", QStringLiteral("pageList(0) ") + S30, 0},
        {"pages from 1", QStringLiteral("pageList(2) ") + S30, 1},
        {"a block listed twice is dumped twice", QStringLiteral("    blockList(3) ") + S30, 2},
        {"a block outside the list is left out", QStringLiteral("    blockList(99) ") + S30, 0},
        {"connector 0: a label of exactly 20 bytes", QStringLiteral("    接続子(0).接続子番号:5"), 2},
        {"connector 10: 21 bytes take two lines", QStringLiteral("    接続子(10).接続子番号"), 2},
        {"... with the colon in the padded column", blanks46 + QStringLiteral(":6"), 2},
        {"connector text label of 18 bytes, no number", QStringLiteral("    接続子(0).内部ｺｰﾄﾞ  :5"), 2},
        {"connector text position of 22 bytes", QStringLiteral("    接続子(0).内部ｺｰﾄﾞ座標"), 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(got.count(row.line), row.count) << row.line.toStdString();
    }
    EXPECT_FALSE(got.join('\n').contains(QStringLiteral("never shown")));
    EXPECT_FALSE(got.join('\n').contains(QStringLiteral("9999")));
}

TEST_F(RecordDump, PointsAndSuffixes)
{
    EXPECT_EQ(DebugPoint({-15, 2147483647}), QStringLiteral("-15, 2147483647"));
    classesOn({1});
    InternalCode code;
    code.text = QStringLiteral("x");
    DebugInternalCode(code, 0, 2, QStringLiteral("ﾍﾞｰｽ1"));
    DebugFigureData(FigureData{FigureKind::Circle, {}, {}, 40}, -1, 0, QString());
    const QStringList got = lines();
    // "ﾍﾞｰｽ1内部ｺｰﾄﾞ幅,高さ0" is 21 bytes wide and takes two lines.
    ASSERT_EQ(got.size(), 9);
    EXPECT_EQ(got.at(0), QStringLiteral("  ﾍﾞｰｽ1内部ｺｰﾄﾞ0") + QString(6, ' ') + QStringLiteral(":x"));
    EXPECT_EQ(got.at(2), QString(22 + 2 + 20, ' ') + QStringLiteral(":0, 0"));
    EXPECT_EQ(got.at(8), QStringLiteral("半径") + QString(16, ' ') + QStringLiteral(":40"));
}

} // namespace
