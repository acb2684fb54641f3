#include "TavelinComObject.h"

#include "platform/codepage/CodePage.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

// The library's log goes to $TMPDIR/<EXEName>.log; each test names its own program.
class TavelinDebugTrace : public testsupport::TempFolder {
protected:
    void SetUp() override
    {
        app.setProperty("Path", path());
        app.setProperty("EXEName", QStringLiteral("trace_%1").arg(++counter));
        services.SetAppInfo(&app);
        logPath = QDir::cleanPath(QString::fromLocal8Bit(qgetenv("TMPDIR"))) + "/" +
                  app.property("EXEName").toString() + ".log";
    }
    void TearDown() override
    {
        services.DebugFileFlash();
        QFile::remove(logPath);
    }
    QStringList lines() const
    {
        QStringList out = platform::codepage::FromShiftJis(read(logPath)).split("\r\n");
        if (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }
    static bool isBanner(const QString& line)
    {
        static const QRegularExpression banner(
            R"(^\+{16} Start \d{4}/\d\d/\d\d \d\d:\d\d:\d\d \+{16}$)");
        return banner.match(line).hasMatch();
    }

    QObject app;
    tavelin::TavelinComObject services;
    QString logPath;
    static inline int counter = 0;
};

} // namespace

TEST_F(TavelinDebugTrace, LevelGatesTheLines)
{
    EXPECT_FALSE(services.DebugOut("level 0, line of level 1"));
    EXPECT_FALSE(QFile::exists(logPath));
    EXPECT_TRUE(services.DebugOut("level 0 line", 0));

    EXPECT_EQ(services.DebugLevelSet(3), 3);
    EXPECT_TRUE(services.DebugOut("three", 3));
    EXPECT_FALSE(services.DebugOut("four", 4));
    EXPECT_EQ(services.DebugLevelSet(2), 3); // never lowered this way
    EXPECT_EQ(services.DebugLevelSet(), 3);

    const QStringList got = lines();
    ASSERT_EQ(got.size(), 3);
    EXPECT_TRUE(isBanner(got[0])) << got[0].toStdString();
    EXPECT_EQ(got.mid(1), QStringList({"level 0 line", "three"}));
}

TEST_F(TavelinDebugTrace, SnapShotRaisesTheLevelToOneAndWrites)
{
    services.SnapShot("snap");
    EXPECT_EQ(services.DebugLevelSet(), 1);
    EXPECT_TRUE(services.DebugOut("after"));
    EXPECT_EQ(lines().mid(1), QStringList({"snap", "after"}));
}

TEST_F(TavelinDebugTrace, OneBannerPerObjectAndOneLinePerCall)
{
    services.DebugLevelSet(1);
    services.DebugOut(QStringLiteral("first\r\nsecond"));
    services.DebugFileFlash();
    services.DebugOut(QStringLiteral("lone\nLF stays"));
    services.DebugOut(QVariant());
    services.DebugOut(42);
    services.DebugOut(true);
    services.DebugOut(QStringLiteral("日本語"));

    const QStringList got = lines();
    ASSERT_EQ(got.size(), 7);
    EXPECT_TRUE(isBanner(got[0]));
    EXPECT_EQ(got.mid(1), QStringList({QStringLiteral("first↓second"), "lone\nLF stays", "", "42", "True",
                                       QStringLiteral("日本語")}));
    EXPECT_TRUE(read(logPath).contains(QByteArray("\x93\xfa\x96\x7b\x8c\xea\r\n"))); // Shift_JIS on disk
}

TEST_F(TavelinDebugTrace, ALogIsKeptOpenUnlessFlashingOrOff)
{
    auto& state = services.State();
    services.DebugLevelSet(1);
    services.DebugOut("a");
    EXPECT_GT(state.LogFileNumber, 0);
    EXPECT_EQ(state.LogFilePath, logPath);

    services.DebugFlashSet();
    services.DebugOut("b");
    EXPECT_EQ(state.LogFileNumber, -1); // flash mode closes after every line
    services.DebugOut("c");
    EXPECT_EQ(state.LogFileNumber, -1);
    services.DebugFlashSet(false);

    tavelin::TavelinComObject quiet;
    quiet.SetAppInfo(&app);
    quiet.DebugOut("x", 0);
    EXPECT_GT(quiet.State().LogFileNumber, 0);
    EXPECT_FALSE(quiet.DebugOut("y")); // a line not written at level 0 closes the log
    EXPECT_EQ(quiet.State().LogFileNumber, -1);

    // Two objects, two banners; the second object's lines follow its own banner.
    const QStringList got = lines();
    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(got.mid(1, 3), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(isBanner(got[4]));
    EXPECT_EQ(got[5], "x");
}

TEST_F(TavelinDebugTrace, FailuresRaiseAndLeaveTheLogClosed)
{
    services.DebugLevelSet(1);
    EXPECT_RAISES(services.DebugOut(QVariant(QStringList({"a", "b"}))), platform::vbrt::ErrorNumber::TypeMismatch);

    QDir().mkpath(logPath); // a folder where the log should be
    EXPECT_RAISES(services.DebugOut("x"), platform::vbrt::ErrorNumber::PermissionDenied);
    EXPECT_EQ(services.State().LogFileNumber, -1);
    QDir().rmdir(logPath);

    // A link put at the log's name in the shared temporary folder is never written through.
    const QString victim = write("victim.txt", "someone's file");
    ASSERT_TRUE(QFile::link(victim, logPath));
    EXPECT_RAISES(services.DebugOut("x"), platform::vbrt::ErrorNumber::PermissionDenied);
    EXPECT_EQ(read(victim), "someone's file");
    QFile::remove(logPath);

    EXPECT_TRUE(services.DebugOut("x")); // the next line tries again
    EXPECT_EQ(lines().last(), "x");
    EXPECT_EQ(QFile::permissions(logPath), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                               QFileDevice::WriteUser)
        << "the log is its owner's alone";
}

TEST_F(TavelinDebugTrace, CharactersTheCodePageLacksAreEscapedAsTheProgramsLogDoes)
{
    // Hangul and an emoji have no Shift_JIS form; the Japanese around them keeps its own.
    const QString text = QStringLiteral("表%1と%2").arg(QChar(0xD55C)).arg(QString::fromUcs4(U"\U0001F600", 1));
    EXPECT_NO_THROW(EXPECT_TRUE(services.DebugOut(text, 0)));
    EXPECT_NO_THROW(services.SnapShot(text + QStringLiteral("\r\n次")));

    const QStringList got = lines();
    ASSERT_EQ(got.size(), 3);
    EXPECT_TRUE(isBanner(got[0]));
    EXPECT_EQ(got.mid(1), QStringList({QStringLiteral("表&#xD55C;と&#x1F600;"),
                                       QStringLiteral("表&#xD55C;と&#x1F600;↓次")}));
}
