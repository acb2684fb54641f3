#include "app/core/DebugLog.h"

#include "app/core/ApplicationGlobals.h"
#include "platform/codepage/CodePage.h"
#include "support/ShellFakeServices.h"

#include <QRegularExpression>

using namespace vellumora;

namespace {

class DebugLogTest : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        DebugInitialize();
    }
    void TearDown() override
    {
        DebugLogClose();
        ServicesFolder::TearDown();
    }

    // The lines written so far, the time stamp prefix removed from entry lines.
    QStringList Lines() const
    {
        DebugLogClose();
        const QString text = platform::codepage::FromShiftJis(read(path(QStringLiteral("vellumora.log"))));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        static const QRegularExpression stamp(QStringLiteral("^\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "));
        for (QString& line : lines)
            line.remove(stamp);
        return lines;
    }
};

TEST_F(DebugLogTest, NothingIsWrittenWhileTheClassesAreOff)
{
    for (std::int16_t c = 0; c <= 10; ++c)
        DebugLogWrite(QStringLiteral("引数1"), QStringLiteral("a"), 0, c);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("vellumora.log"))));
}

TEST_F(DebugLogTest, EntriesPadTheLabelToTwentyBytes)
{
    ApplicationGlobals.DebugClass[2] = true;
    struct Row {
        const char* why;
        QString label;
        QVariant value;
        std::int16_t indent;
        QStringList lines;
    };
    const QString blanks42(42, QLatin1Char(' '));
    const Row rows[] = {
        {"half- and full-width characters", QStringLiteral("ﾚﾍﾞﾙ番号"), std::int16_t(3), 4,
         {QStringLiteral("    ﾚﾍﾞﾙ番号            :3")}},
        {"exactly twenty bytes", QStringLiteral("abcdefghijabcdefghij"), QStringLiteral("v"), 0,
         {QStringLiteral("abcdefghijabcdefghij:v")}},
        {"twenty-one bytes take two lines", QStringLiteral("abcdefghijabcdefghijk"), QStringLiteral("v"), 2,
         {QStringLiteral("  abcdefghijabcdefghijk"), QString(44, QLatin1Char(' ')) + QStringLiteral(":v")}},
        {"ten full-width characters stay on one line", QString(10, QChar(0x5B57)), true, 0,
         {QString(10, QChar(0x5B57)) + QStringLiteral(":True")}},
        {"and one half-width character more does not", QString(10, QChar(0x5B57)) + QLatin1Char('x'), false, 0,
         {QString(10, QChar(0x5B57)) + QLatin1Char('x'), blanks42 + QStringLiteral(":False")}},
        {"a header entry has no colon", QStringLiteral("  見出し  "), QVariant(), 1, {QStringLiteral(" 見出し")}},
        {"blanks around the label are dropped", QStringLiteral("  ab "), std::int32_t(-7), 0,
         {QStringLiteral("ab") + QString(18, QLatin1Char(' ')) + QStringLiteral(":-7")}},
    };
    QStringList expected;
    for (const Row& row : rows) {
        DebugLogWrite(row.label, row.value, row.indent, 2);
        expected << row.lines;
    }
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), expected.size() + 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\+{16} Start \\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d \\+{16}$"))
                    .match(lines.at(0))
                    .hasMatch())
        << lines.at(0).toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines.at(i + 1), expected.at(i));
    }
}

TEST_F(DebugLogTest, TheClassDecides)
{
    struct Row {
        const char* why;
        std::int16_t force;
        std::array<bool, 10> on;
        std::int16_t debugClass;
        bool written;
    };
    std::array<bool, 10> all{};
    all.fill(true);
    std::array<bool, 10> only5{};
    only5[5] = true;
    const Row rows[] = {
        {"class -1 is always written", -1, {}, -1, true},
        {"class 0 never, even with every class on", -1, all, 0, false},
        {"class 10 never", -1, all, 10, false},
        {"a switched-on class", -1, only5, 5, true},
        {"a switched-off class", -1, only5, 1, false},
        {"during a dump its class decides: on", 5, only5, 1, true},
        {"during a dump its class decides: off", 6, only5, 5, false},
        {"during a dump even class -1 follows it", 6, only5, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        DebugLog.DebugClassForce = row.force;
        ApplicationGlobals.DebugClass = row.on;
        EXPECT_EQ(DebugClassSkip(row.debugClass), !row.written);
    }
    DebugLog.DebugClassForce = -1;
}

TEST_F(DebugLogTest, FlashClosesAfterEveryEntryAndTheBannerComesOnce)
{
    ApplicationGlobals.DebugClass[2] = true;
    ApplicationGlobals.DebugFlash = true;
    DebugLogWrite(QStringLiteral("a"), QStringLiteral("1"), 0, 2);
    EXPECT_FALSE(DebugLog.DebugFileOpen);
    DebugLogWrite(QStringLiteral("b"), QStringLiteral("2"), 0, 2);
    EXPECT_FALSE(DebugLog.DebugFileOpen);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.at(0).contains(QStringLiteral(" Start ")));
    EXPECT_TRUE(lines.at(2).startsWith(QLatin1Char('b')));
}

} // namespace
