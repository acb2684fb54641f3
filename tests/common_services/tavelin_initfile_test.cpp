#include "TavelinInitFile.h"

#include "platform/codepage/CodePage.h"
#include "platform/profile/Profile.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace tavelin;

namespace {

// A client program "prog" in the test's folder, with APP_PATH registered as SetAppInfo does.
class IniReader : public testsupport::TempFolder {
protected:
    void SetUp() override
    {
        app_.setProperty("Path", path());
        app_.setProperty("EXEName", QStringLiteral("prog"));
        services_.State().AppObject = &app_;
        KeyWordKeep(services_.State(), QStringLiteral("APP_PATH"), path());
    }

    QString Value(const QString& section, const QString& key) { return IniValueRead(services_, section, key, QString(), 0); }
    QString Section(const QString& section) { return IniSectionRead(services_, section, QString(), 0); }

    QObject app_;
    TavelinComObject services_;
};

} // namespace

TEST_F(IniReader, ValuesThroughTheIncludeChain)
{
    write("prog.ini",
          "[Include]\r\n"
          "IncludeFile1=%app_path%\\inc1.ini\r\n"   // the old platform's separator, the keyword in lower case
          "IncludeFile2=missing.ini\r\n"
          "IncludeFile3=inc2.ini\r\n"              // no folder: the program's folder
          "[Main]\r\n"
          "Key=main value\r\n"
          "Spaced =   padded   \r\n"
          "Empty=\r\n"
          "NullHere=<null>\r\n"
          "NullEverywhere=<null>\r\n"
          "Keyword=%APP_PATH%/x\r\n"
          "Shadowed=from main\r\n");
    write("inc1.ini",
          "[main]\n"
          "FromInc1=one\n"
          "Empty=not looked at\n"
          "NullHere=found below\n"
          "Shadowed=from inc1\n"
          "InBoth=inc1 first\n"
          "[Include]\n"
          "IncludeFile1=inc1b.ini\n");
    write("inc1b.ini", "[Main]\nFromChain=chained\n");
    write("inc2.ini", "[Main]\nFromInc2=two\nInBoth=inc2 second\nNullEverywhere=<null>\n");

    struct Row { const char* why; const char* key; QString expected; };
    const Row rows[] = {
        {"a value of the main file", "Key", "main value"},
        {"blanks around a value go", "Spaced", "padded"},
        {"an empty value does not look at the include files", "Empty", ""},
        {"the text <null> counts as absent", "NullHere", "found below"},
        {"<null> everywhere reads as empty", "NullEverywhere", ""},
        {"keywords are substituted", "Keyword", path() + "/x"},
        {"the main file comes first", "Shadowed", "from main"},
        {"from the first include file", "FromInc1", "one"},
        {"from an include file of an include file", "FromChain", "chained"},
        {"past a missing include file", "FromInc2", "two"},
        {"the first include file that has it", "InBoth", "inc1 first"},
        {"absent everywhere", "Absent", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Value("Main", row.key), row.expected);
    }
}

TEST_F(IniReader, IncludeListsEndAtTheFirstMissingEntryAndAtTenLevels)
{
    // IncludeFile1 absent: IncludeFile2 is never read.
    write("prog.ini", "[Include]\nIncludeFile2=second.ini\n");
    write("second.ini", "[S]\nk=second\n");
    EXPECT_EQ(Value("S", "k"), "");

    // A chain prog -> level1 -> ... -> level11: the value of level 10 is found, that of level 11 not.
    write("prog.ini", "[Include]\nIncludeFile1=level1.ini\n");
    for (int level = 1; level <= 11; ++level)
        write(QStringLiteral("level%1.ini").arg(level),
              QStringLiteral("[S]\nk%1=v%1\n[Include]\nIncludeFile1=level%2.ini\n").arg(level).arg(level + 1).toUtf8());
    EXPECT_EQ(Value("S", "k10"), "v10");
    EXPECT_EQ(Value("S", "k11"), "");
}

TEST_F(IniReader, CyclesAndBrokenFilesEndInEmptyAnswers)
{
    struct Row { const char* why; QByteArray main; QString key; QString expected; };
    QByteArray manySelf = "[Include]\n";
    for (int i = 1; i <= 99; ++i)
        manySelf += QStringLiteral("IncludeFile%1=prog.ini\n").arg(i).toUtf8();
    const Row rows[] = {
        {"a file that includes itself", "[Include]\nIncludeFile1=prog.ini\n", "k", ""},
        {"a file that includes itself 99 times", manySelf, "k", ""},
        {"two files that include each other", "[Include]\nIncludeFile1=other.ini\n", "k", ""},
        {"a cycle with the value on the way", "[Include]\nIncludeFile1=other.ini\n", "inOther", "here"},
        {"a binary ini file", QByteArray("[S]\nk=v\n\0\0", 10), "k", ""},
        {"an ini file neither UTF-8 nor Shift_JIS", "[S]\nk=\xff\xfe\n", "k", ""},
        {"an empty ini file", "", "k", ""},
    };
    write("other.ini", "[Include]\nIncludeFile1=prog.ini\n[S]\ninOther=here\n");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        write("prog.ini", row.main);
        EXPECT_EQ(Value("S", row.key), row.expected);
        EXPECT_EQ(Section("Missing"), "");
    }
    QFile::remove(path("prog.ini"));
    EXPECT_EQ(Value("S", "k"), "") << "no ini file at all";
}

TEST_F(IniReader, ReadsShiftJisFilesOfTheOldProgram)
{
    write("prog.ini", platform::codepage::ToShiftJis(QStringLiteral("[フォント]\r\n名前=ＭＳ 明朝\r\n")));
    EXPECT_EQ(Value(QStringLiteral("フォント"), QStringLiteral("名前")), QStringLiteral("ＭＳ 明朝"));
}

TEST_F(IniReader, WholeSections)
{
    write("prog.ini",
          "[Include]\nIncludeFile1=inc.ini\n"
          "[Help]\nHelp1=Manual:%APP_PATH%/manual.pdf\n; a comment\n Help2=Other:x \n"
          "[Empty]\n");
    write("inc.ini", "[FromInclude]\na=1\n;gone\nb=2\n[Empty]\nc=3\n");
    struct Row { const char* why; const char* section; QString expected; };
    const Row rows[] = {
        {"entries trimmed, comments left out, keywords substituted", "Help",
         "Help1=Manual:" + path() + "/manual.pdf\r\nHelp2=Other:x"},
        {"a section only in the include file", "FromInclude", "a=1\r\nb=2"},
        {"an empty section is looked for in the include files", "Empty", "c=3"},
        {"a missing section", "Nowhere", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Section(row.section), row.expected);
    }
    // Below the client's level the lines stay separated by NUL.
    EXPECT_EQ(IniSectionRead(services_, "FromInclude", path("inc.ini"), 1), QStringLiteral("a=1") + QChar(0) + ";gone" + QChar(0) + "b=2");
}

TEST_F(IniReader, KeyWords)
{
    TavelinComState state;
    EXPECT_EQ(KeyWordApply(state, "%A% stays while no keyword is known"), "%A% stays while no keyword is known");

    KeyWordKeep(state, "DIR", "/first");
    KeyWordKeep(state, "dir", "/second");
    ASSERT_EQ(state.KeyWordNames, QStringList{"%DIR%"});
    EXPECT_EQ(state.KeyWordValues, QStringList{"/second"});

    KeyWordKeep(state, "Self", "%self%%SELF%");  // a value holding its own keyword is not searched again
    KeyWordKeep(state, "Outer", "%Inner%");      // a later keyword ...
    KeyWordKeep(state, "Inner", "in");           // ... is substituted in it
    KeyWordKeep(state, "Late", "late");
    KeyWordKeep(state, "Early", "%late%");       // an earlier keyword is not
    struct Row { const char* why; const char* text; const char* expected; };
    const Row rows[] = {
        {"any letter case", "%Dir%/a %DIR%/b %dir%", "/second/a /second/b /second"},
        {"no keyword", "plain % text %", "plain % text %"},
        {"own keyword not searched again", "a%self%b", "a%self%%SELF%b"},
        {"a later keyword is substituted in a value", "%OUTER%", "in"},
        {"an earlier keyword is not", "%early%", "%late%"},
        {"unknown keywords stay", "%nobody%", "%nobody%"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(KeyWordApply(state, row.text), row.expected);
    }
}

TEST_F(IniReader, TheDefaultFileNeedsTheClient)
{
    TavelinComObject unset;
    EXPECT_RAISES(IniValueRead(unset, "S", "k", QString(), 0), platform::vbrt::ErrorNumber::ObjectVariableNotSet);
    EXPECT_RAISES(IniSectionRead(unset, "S", QString(), 0), platform::vbrt::ErrorNumber::ObjectVariableNotSet);
    EXPECT_EQ(DefaultIniFile(services_.State()), QDir(path()).filePath("prog.ini"));
    // A file named in full is read without a client.
    write("named.ini", "[S]\nk=v\n");
    EXPECT_EQ(IniValueRead(unset, "S", "k", path("named.ini"), 0), "v");
}

// Include files that are no regular files, or too large, are skipped like missing ones, at once,
// and each is named in the debug log.
TEST_F(IniReader, RefusedIncludeFilesAreSkippedAndLogged)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0);
    QDir().mkpath(path("folder.ini"));
    write("large.ini", "[Main]\nKey=too large\n" + QByteArray(platform::profile::FileByteLimit, ';'));
    write("good.ini", "[Main]\nKey=from the good file\n");
    struct Row { const char* why; QString include; const char* logged; };
    const Row rows[] = {
        {"a FIFO", path("fifo.ini"), "は通常のファイルではないため読みません。"},
        {"an endless device", "/dev/zero", "は通常のファイルではないため読みません。"},
        {"a folder", path("folder.ini"), "は通常のファイルではないため読みません。"},
        {"a file past the size limit", path("large.ini"), "は大きすぎるため読みません。"},
        {"a missing file", path("absent.ini"), "がありません。"},
        {"a normal file", path("good.ini"), nullptr},
    };
    const QString logPath = QDir::cleanPath(QString::fromLocal8Bit(qgetenv("TMPDIR"))) + "/prog.log";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QFile::remove(logPath);
        services_.DebugLevelSet(1);
        write("prog.ini", ("[Include]\nIncludeFile1=" + row.include + "\nIncludeFile2=good.ini\n").toUtf8());
        EXPECT_EQ(Value("Main", "Key"), "from the good file");
        EXPECT_EQ(Section("Main"), "Key=from the good file");
        services_.DebugFileFlash();
        const QString log = platform::codepage::FromShiftJis(read(logPath));
        const QString line = QStringLiteral("インクルードファイル ") + row.include + QString::fromUtf8(row.logged ? row.logged : "");
        EXPECT_EQ(log.count(line), row.logged ? 1 : 0) << log.toStdString();
    }
}
