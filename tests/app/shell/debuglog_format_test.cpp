// The debug log byte for byte: Shift_JIS lines ended by CR LF, a fixed time stamp, labels padded
// to 20 bytes, the banner once per run; and a log that cannot be written never stops the caller.

#include "app/core/ApplicationGlobals.h"
#include "app/shell/DebugClassSet.h"
#include "app/core/DebugLog.h"
#include "platform/codepage/CodePage.h"
#include "platform/system/System.h"
#include "support/ShellFakeServices.h"

#include <QDateTime>
#include <QFile>

using namespace vellumora;

namespace {

const QDateTime FixedTime(QDate(2026, 3, 4), QTime(5, 6, 7));
const QString Stamp = QStringLiteral("[2026/03/04 05:06:07] ");
const QString Banner = QStringLiteral("++++++++++++++++ Start 2026/03/04 05:06:07 ++++++++++++++++");

class DebugLogFormat : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        platform::system::SetClock([] { return FixedTime; });
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        ApplicationGlobals.DebugClass[2] = true;
        DebugInitialize();
    }
    void TearDown() override
    {
        DebugLogClose();
        platform::system::SetClock({});
        ServicesFolder::TearDown();
    }

    QString logPath() const { return path(QStringLiteral("vellumora.log")); }

    // The whole file, read back from Shift_JIS.
    QString logText() const
    {
        DebugLogClose();
        return platform::codepage::FromShiftJis(read(logPath()));
    }
};

TEST_F(DebugLogFormat, EntriesMatchTheFormatByteForByte)
{
    struct Row {
        const char* why;
        QString label;
        QVariant value;
        std::int16_t indent;
        QString expected;  // the lines after the stamp, CR LF inside for two-line entries
    };
    const Row rows[] = {
        {"ASCII label, padded to 20 bytes", QStringLiteral("abc"), QStringLiteral("x"), 0,
         Stamp + QStringLiteral("abc") + QString(17, ' ') + QStringLiteral(":x")},
        {"full-width characters count two bytes", QStringLiteral("引数1"), QStringLiteral("/P"), 0,
         Stamp + QStringLiteral("引数1") + QString(15, ' ') + QStringLiteral(":/P")},
        {"half-width katakana count one byte", QStringLiteral("ﾚﾍﾞﾙ番号"), std::int16_t(3), 4,
         Stamp + QStringLiteral("    ﾚﾍﾞﾙ番号") + QString(12, ' ') + QStringLiteral(":3")},
        {"exactly 20 bytes meets the colon", QStringLiteral("接続子(0).接続子番号"), std::int16_t(7), 4,
         Stamp + QStringLiteral("    接続子(0).接続子番号:7")},
        {"21 bytes: the value on a second line, colon in the same column", QStringLiteral("接続子(10).接続子番号"),
         std::int32_t(-1), 4,
         Stamp + QStringLiteral("    接続子(10).接続子番号\r\n") + QString(22 + 4 + 20, ' ') + QStringLiteral(":-1")},
        {"a null value is a header without a colon", QStringLiteral("boxList(1,2) ******"), QVariant(), 0,
         Stamp + QStringLiteral("boxList(1,2) ******")},
        {"a long header stays one line", QString(30, QChar(0x5B57)), QVariant(), 2,
         Stamp + QStringLiteral("  ") + QString(30, QChar(0x5B57))},
        {"blanks around the label go, a tab stays", QStringLiteral("  a\tb  "), true, 0,
         Stamp + QStringLiteral("a\tb") + QString(17, ' ') + QStringLiteral(":True")},
        {"Booleans and empty text", QStringLiteral("接続済"), false, 0,
         Stamp + QStringLiteral("接続済") + QString(14, ' ') + QStringLiteral(":False")},
        {"empty text value still has its colon", QStringLiteral("用紙"), QString(), 0,
         Stamp + QStringLiteral("用紙") + QString(16, ' ') + QStringLiteral(":")},
        {"a character without a Shift_JIS form is written as a reference", QStringLiteral("引数2"),
         QStringLiteral("a\U0001F600b.pad"), 0,
         Stamp + QStringLiteral("引数2") + QString(15, ' ') + QStringLiteral(":a&#x1F600;b.pad")},
    };
    QString expected = Banner + QStringLiteral("\r\n");
    for (const Row& row : rows) {
        DebugLogWrite(row.label, row.value, row.indent, 2);
        expected += row.expected + QStringLiteral("\r\n");
    }
    const QString text = logText();
    const QStringList got = text.split(QStringLiteral("\r\n"));
    const QStringList want = expected.split(QStringLiteral("\r\n"));
    ASSERT_EQ(got.size(), want.size()) << text.toStdString();
    for (qsizetype i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got.at(i), want.at(i));
    }
    // And the bytes themselves: Shift_JIS, CR LF, nothing more.
    EXPECT_EQ(read(logPath()), platform::codepage::ToShiftJis(expected));
}

TEST_F(DebugLogFormat, TheLogIsAppendedAndTheBannerComesOncePerRun)
{
    write(QStringLiteral("vellumora.log"), QByteArray("earlier run\r\n"));
    DebugLogWrite(QStringLiteral("a"), QStringLiteral("1"), 0, 2);
    // The dialog lets go of the file; the next entry reopens it without a new banner.
    { DebugClassSet dialog; }
    EXPECT_FALSE(DebugLog.DebugFileOpen);
    DebugLogWrite(QStringLiteral("b"), QStringLiteral("2"), 0, 2);
    EXPECT_EQ(logText(), QStringLiteral("earlier run\r\n") + Banner + QStringLiteral("\r\n") + Stamp + QStringLiteral("a") +
                             QString(19, ' ') + QStringLiteral(":1\r\n") + Stamp + QStringLiteral("b") + QString(19, ' ') +
                             QStringLiteral(":2\r\n"));

    // A new run (start routine again) writes a banner again.
    DebugInitialize();
    DebugLogWrite(QStringLiteral("c"), QStringLiteral("3"), 0, 2);
    EXPECT_EQ(logText().count(QStringLiteral(" Start ")), 2);
}

TEST_F(DebugLogFormat, ALogThatCannotBeWrittenLosesTheEntryAndNothingMore)
{
    struct Row {
        const char* why;
        QString fileName;  // the log's path, made unusable
    };
    const Row rows[] = {
        {"folder missing", path(QStringLiteral("gone/vellumora.log"))},
        {"a folder in the way of the file", path(QStringLiteral("folder.log"))},
        {"a link put at the log's name in the shared folder", path(QStringLiteral("planted.log"))},
    };
    QDir().mkpath(path(QStringLiteral("folder.log")));
    const QString victim = write(QStringLiteral("victim.txt"), "someone's file");
    ASSERT_TRUE(QFile::link(victim, path(QStringLiteral("planted.log"))));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        DebugInitialize();
        DebugLog.DebugFileName = row.fileName;
        EXPECT_NO_THROW(DebugLogWrite(QStringLiteral("a"), QStringLiteral("1"), 0, 2));
        EXPECT_FALSE(DebugLog.DebugFileOpen);
        // Once the file can be written again the run's banner still comes first.
        DebugLog.DebugFileName = logPath();
        DebugLogWrite(QStringLiteral("b"), QStringLiteral("2"), 0, 2);
        EXPECT_EQ(logText(), Banner + QStringLiteral("\r\n") + Stamp + QStringLiteral("b") + QString(19, ' ') +
                                 QStringLiteral(":2\r\n"));
        QFile::remove(logPath());
    }
    EXPECT_EQ(read(victim), QByteArray("someone's file"));
}

} // namespace
