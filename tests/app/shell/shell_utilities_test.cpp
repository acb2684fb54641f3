#include "app/core/Utilities.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/WorkFileNames.h"
#include "app/diagram/FileInterface.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Format.h"
#include "support/ShellFakeServices.h"

#include "support/RaisedError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <csignal>
#include <functional>
#include <limits>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vellumora;

namespace {

using Parts = std::array<FilePart, 6>;

QString Issue(const Parts& p)
{
    return TemporaryFileName(p[0], p[1], p[2], p[3], p[4], p[5]);
}

void Delete(const Parts& p)
{
    TemporaryFileDelete(p[0], p[1], p[2], p[3], p[4], p[5]);
}

bool InUse(const QString& name)
{
    for (const TemporaryFileEntry& entry : TemporaryFiles())
        if (entry.fileName == name)
            return entry.inUse;
    return false;
}

class UtilitiesTest : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        // The process id equals an undo slot number used below.
        services_->processId = 3;
        UtilitiesInitialize();
    }

    static QString prefix() { return TemporaryFilePrefix(); }

    // Puts a file at a path that need not lie in the test's folder.
    static QString Put(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
        return path;
    }

    // Issues the name and puts a file there.
    static QString Made(const Parts& p) { return Put(Issue(p), "x"); }
};

TEST_F(UtilitiesTest, NamesAreBuiltFromTheirParts)
{
    struct Row {
        const char* why;
        Parts parts;
        QString expected;  // after the prefix; empty: a random name
    };
    const Row rows[] = {
        {"no parts give a random name", {}, {}},
        {"an empty first part drops the later ones", {"", "x", "y"}, {}},
        {"blanks around parts are removed", {" a ", "b  "}, ".a.b.tmp"},
        {"numbers give their decimal text", {12, std::int16_t(-4), "history"}, ".12.-4.history.tmp"},
        {"the parts stop at the first empty one", {"a", "", "c"}, ".a.tmp"},
        {"six parts", {"1", "2", "3", "4", "5", "6"}, ".1.2.3.4.5.6.tmp"},
    };
    const QRegularExpression random(QStringLiteral("^\\.__[0-9]{1,8}__\\.tmp$"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString name = Issue(row.parts);
        ASSERT_TRUE(name.startsWith(prefix())) << name.toStdString();
        const QString rest = name.mid(prefix().size());
        if (row.expected.isEmpty())
            EXPECT_TRUE(random.match(rest).hasMatch()) << rest.toStdString();
        else
            EXPECT_EQ(rest, row.expected);
        EXPECT_FALSE(QFileInfo::exists(name)) << "naming a work file does not create it";
    }
}

TEST_F(UtilitiesTest, TheSameNameTwiceKeepsOneEntry)
{
    const QString first = Issue({"copy"});
    const QString second = Issue({"copy"});
    EXPECT_EQ(first, second);
    ASSERT_EQ(TemporaryFiles().size(), 1u);
    EXPECT_TRUE(TemporaryFiles()[0].inUse);
    EXPECT_NE(Issue({}), Issue({})) << "two random names normally differ";
}

TEST_F(UtilitiesTest, TheListKeepsTheOrderOfFirstIssueAndStartsAgainEmpty)
{
    const QString a = Issue({"a"});
    const QString b = Issue({"b"});
    Delete({a});
    EXPECT_EQ(Issue({"a"}), a);
    const QString c = Issue({"c"});
    std::vector<QString> names;
    for (const TemporaryFileEntry& entry : TemporaryFiles())
        names.push_back(entry.fileName);
    EXPECT_EQ(names, (std::vector<QString>{a, b, c}));
    EXPECT_TRUE(InUse(a));

    // A name issued in an earlier run of the list is new in the next one.
    UtilitiesTerminate();
    UtilitiesInitialize();
    const QString again = Issue({"b"});
    EXPECT_EQ(again, prefix() + QStringLiteral(".b.tmp"));
    ASSERT_EQ(TemporaryFiles().size(), 1u);
    EXPECT_EQ(TemporaryFiles()[0].fileName, again);
    Delete({again});
    EXPECT_FALSE(InUse(again));
}

TEST_F(UtilitiesTest, DeletionByPartsSelectsTheLastParts)
{
    const std::vector<Parts> issued = {
        {3, "0", "history"}, {3, "ci", "history"}, {5, "0", "history"}, {5, "ci", "history"}, {3, "history"},
        {"HISTORY"},         {"history", "x"},     {"copy"},           {"clipboard", "copy"}, {"clipboard", "paste"},
    };
    struct Row {
        const char* why;
        Parts parts;
        std::vector<int> deleted;  // indexes into issued
    };
    const Row rows[] = {
        {"one slot's snapshots; the process id 3 selects no other slot", {3, "*", "history"}, {0, 1}},
        {"every snapshot, in any letter case, not a name with a later part", {"history"}, {0, 1, 2, 3, 4, 5}},
        {"the exchange files", {"clipboard", "*"}, {8, 9}},
        {"the last part alone", {"copy"}, {7, 8}},
        {"no parts delete every work file", {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"a part nobody used deletes nothing", {"paste", "copy"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<QString> names;
        for (const Parts& p : issued)
            names.push_back(Made(p));
        Delete(row.parts);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const bool deleted = std::find(row.deleted.begin(), row.deleted.end(), int(i)) != row.deleted.end();
            SCOPED_TRACE(names[i].toStdString());
            EXPECT_EQ(QFileInfo::exists(names[i]), !deleted);
            EXPECT_EQ(InUse(names[i]), !deleted);
        }
    }
}

TEST_F(UtilitiesTest, AWholeNameDeletesExactlyThatFile)
{
    const QString name = Made({"put", 1});
    const QString other = Made({"get", 1});

    Delete({name.toUpper()});
    EXPECT_TRUE(QFileInfo::exists(name)) << "the whole name is compared with its letter case";

    Delete({name});
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_TRUE(QFileInfo::exists(other));

    Put(name, "again");
    Delete({name});
    EXPECT_TRUE(QFileInfo::exists(name)) << "an entry no longer in use is skipped";

    EXPECT_EQ(Issue({"put", 1}), name);
    EXPECT_TRUE(InUse(name)) << "issuing the name again marks the old entry in use";
}

TEST_F(UtilitiesTest, AWholeNameDeletesItsFileWhenTheTemporaryFolderIsGivenRelative)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("work"))));
    ASSERT_TRUE(QDir::setCurrent(path()));
    services_->temporaryFolder = QStringLiteral("work");
    UtilitiesInitialize();
    const QString name = Issue({"put", 1});
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.close();

    Delete({name});
    QDir::setCurrent(before);
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_FALSE(InUse(name));
}

TEST_F(UtilitiesTest, TerminateDeletesEveryFileInUseAndEmptiesTheList)
{
    const QString kept = Made({"kept"});
    Delete({"kept"});
    Put(kept, "left by a command");
    const QString a = Made({"a"});
    const QString b = Made({});

    UtilitiesTerminate();
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_FALSE(QFileInfo::exists(kept)) << "the run's folder goes with whatever is left in it";
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(a).absolutePath()));
    EXPECT_TRUE(TemporaryFiles().empty());
}

unsigned ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 01000000;
}

// The run's work files lie in a folder of its own in the temporary folder, which only the user may
// enter, named like them so that a later start finds it when the run was killed.
TEST_F(UtilitiesTest, TheRunKeepsItsWorkFilesInAFolderOnlyTheUserMayEnter)
{
    const mode_t mask = ::umask(022);
    UtilitiesInitialize();
    ::umask(mask);
    const QFileInfo prefix(TemporaryFilePrefix());
    const QString folder = prefix.absolutePath();
    EXPECT_EQ(QFileInfo(folder).absolutePath(), path());
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith(QStringLiteral("vellumora.3."))) << folder.toStdString();
    EXPECT_EQ(prefix.fileName(), QStringLiteral("vellumora.3"));
    EXPECT_EQ(ModeOf(folder), 0700u);

    // A second start of the utilities in one process keeps the run's one folder.
    UtilitiesInitialize();
    EXPECT_EQ(QFileInfo(TemporaryFilePrefix()).absolutePath(), folder);
    EXPECT_EQ(QDir(path()).entryList({QStringLiteral("vellumora.*")}, QDir::Dirs).size(), 1);

    UtilitiesTerminate();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

// A temporary-folder cleaner or the user may remove the run folder while the program runs: the next
// work file named makes a new one under the same rules (a new name, 0700, no link followed) and the
// program goes on. The names in the old folder go out of use: whatever stands at them now is not the
// run's and is never deleted, also not at the end; a name kept meanwhile finds its place in the new one.
// A folder the run stopped using because someone opened it to others goes at the end all the same,
// as the folder it made; whatever else stands at its name then stays.
TEST_F(UtilitiesTest, ARunFolderRemovedWhileTheProgramRunsIsMadeAgainUnderANewName)
{
    struct Row {
        const char* why;
        std::function<void(const QString& folder)> make;  // what becomes of the old folder
        bool oldGoes;  // at the end
    };
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    const auto removed = [](const QString& folder) { ASSERT_TRUE(QDir(folder).removeRecursively()); };
    const Row rows[] = {
        {"removed", removed, true},
        {"a link to a private folder put at its name", [&](const QString& folder) {
             removed(folder);
             ASSERT_TRUE(QDir().mkpath(elsewhere));
             ::chmod(QFile::encodeName(elsewhere).constData(), 0700);
             ASSERT_TRUE(QFile::link(elsewhere, folder));
         }, false},
        {"a private folder of the user's made at its name", [&](const QString& folder) {
             removed(folder);
             Put(folder + QStringLiteral("/notes.txt"), "the user's");
             ::chmod(QFile::encodeName(folder).constData(), 0700);
         }, false},
        {"its mode changed, holding the run's work files", [](const QString& folder) {
             ::chmod(QFile::encodeName(folder).constData(), 0755);
         }, true},
    };
    const QRegularExpression runFolderName(QStringLiteral("^vellumora\\.3\\.[A-Za-z0-9]{6}$"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        UtilitiesInitialize();
        const QString old = Made({"copy"});
        const QString oldFolder = QFileInfo(old).absolutePath();
        row.make(oldFolder);
        // What a link leads to holds a file at the work file's name.
        const QString bystander = Put(elsewhere + QLatin1Char('/') + QFileInfo(old).fileName(), "not the run's");

        const QString next = Issue({"copy"});
        const QString folder = QFileInfo(next).absolutePath();
        EXPECT_NE(folder, oldFolder);
        EXPECT_EQ(QFileInfo(folder).absolutePath(), path());
        EXPECT_TRUE(runFolderName.match(QFileInfo(folder).fileName()).hasMatch()) << folder.toStdString();
        EXPECT_FALSE(QFileInfo(folder).isSymLink());
        EXPECT_EQ(ModeOf(folder), 0700u);
        EXPECT_EQ(QFileInfo(next).fileName(), QFileInfo(old).fileName());
        EXPECT_EQ(Issue({"copy"}), next) << "one folder again, not one per name";
        EXPECT_EQ(TemporaryFileNameCurrent(old), next) << "a name kept meanwhile";
        EXPECT_FALSE(InUse(old));
        Put(next, "work");

        Delete({"copy"});
        EXPECT_FALSE(QFileInfo::exists(next)) << "deleted by its parts in the new folder";
        Made({"copy"});
        UtilitiesTerminate();
        EXPECT_FALSE(QFileInfo::exists(folder)) << "the new folder goes at the end";
        EXPECT_EQ(QFileInfo::exists(oldFolder) || QFileInfo(oldFolder).isSymLink(), !row.oldGoes);
        EXPECT_EQ(read(bystander), QByteArray("not the run's")) << "nothing is deleted at the old names";
        QFile::remove(bystander);
        if (QFileInfo(oldFolder).isSymLink())
            QFile::remove(oldFolder);
        else
            QDir(oldFolder).removeRecursively();
    }

    // The folder the user's copies share is made again too, under its own name.
    UtilitiesInitialize();
    const QString shared = QFileInfo(SharedFileName("clipboard", "copy")).absolutePath();
    ASSERT_TRUE(QDir(shared).removeRecursively());
    EXPECT_EQ(QFileInfo(SharedFileName("clipboard", "copy")).absolutePath(), shared);
    EXPECT_EQ(ModeOf(shared), 0700u);
}

// A temporary folder that does not exist stops the start with a message naming it, and, when
// $TMPDIR named it, that variable; nothing is made anywhere else in its stead. So does any other
// trouble of the temporary folder, at the start and while the program runs: the message says what
// stands in the way and that it is the temporary folder, nothing on disk changes, and once the
// trouble is gone the program works again.
TEST_F(UtilitiesTest, AMissingTemporaryFolderIsNamedInTheMessage)
{
    const QByteArray saved = qgetenv("TMPDIR");
    const QString missing = path(QStringLiteral("gone"));
    // What stands at the folder's name, and below it.
    const auto onDisk = [&] {
        const QFileInfo at(missing);
        QStringList found{at.isDir() ? QStringLiteral("folder") : at.exists() ? QStringLiteral("file") : QString()};
        QDirIterator it(missing, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(missing).relativeFilePath(it.next());
        return found.join(' ').toStdString();
    };
    const auto folder = [&] { ASSERT_TRUE(QDir().mkpath(missing)); };
    QString runFolder;
    QString work;
    struct Row {
        const char* why;
        bool fromTmpdir;
        std::function<void()> prepare;  // what stands, and what the program did before
        std::function<void()> fail;     // what the trouble stops
        QString message;                // %1 the temporary folder, %2 the run folder
        std::function<void()> again;    // once the trouble is gone, the same works
    };
    const auto start = [] { UtilitiesInitialize(); };
    const auto write = [&] {
        PadFileCreate(work);
        PadFileFinish();
    };
    const Row rows[] = {
        {"missing, named by TMPDIR", true, {}, start,
         QStringLiteral("一時フォルダ %1 (環境変数 TMPDIR) が見つからないため起動できません。"), {}},
        {"missing, the usual one", false, {}, start, QStringLiteral("一時フォルダ %1 が見つからないため起動できません。"),
         {}},
        {"a file named by TMPDIR", true, [&] { Put(missing, "the user's"); }, start,
         QStringLiteral("一時フォルダ %1 (環境変数 TMPDIR) がフォルダではないため起動できません。"), {}},
        {"a folder named by TMPDIR that the user may not write", true,
         [&] {
             folder();
             platform::filesystem::SetFolderCreateFault(
                 [&](const QString& parent) { return parent == missing ? EACCES : 0; });
         },
         start, QStringLiteral("一時フォルダ %1 (環境変数 TMPDIR) に書き込めないため起動できません。"),
         [&] {
             platform::filesystem::SetFolderCreateFault({});
             UtilitiesInitialize();
         }},
        {"the whole temporary folder removed while the program runs", true,
         [&] {
             folder();
             UtilitiesInitialize();
             Made({"copy"});
             ASSERT_TRUE(QDir(missing).removeRecursively());
         },
         [] { TemporaryFileName("copy"); },
         QStringLiteral("一時フォルダ %1 (環境変数 TMPDIR) が見つからないため作業ファイルを作れません。"),
         [&] {
             folder();
             EXPECT_EQ(QFileInfo(QFileInfo(Made({"copy"})).path()).path(), missing);
         }},
        {"the run folder removed in the very moment a work file is written", true,
         [&] {
             folder();
             UtilitiesInitialize();
             work = TemporaryFileName("staged", 0, "history");
             runFolder = QFileInfo(work).path();
             ASSERT_TRUE(QDir(runFolder).removeRecursively());
         },
         write, QStringLiteral("作業フォルダ %2 がなくなったため、作業ファイルを書き込めません。"),
         [&] {
             work = TemporaryFileName("staged", 0, "history");
             write();
             EXPECT_TRUE(QFileInfo::exists(work));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        if (row.fromTmpdir)
            qputenv("TMPDIR", QFile::encodeName(missing));
        else
            qunsetenv("TMPDIR");
        services_->temporaryFolder = missing;
        if (row.prepare)
            row.prepare();
        const std::string before = onDisk();
        try {
            row.fail();
            ADD_FAILURE() << "went on in spite of the trouble";
        } catch (const std::exception& e) {
            const QString message =
                QString(row.message).replace(QStringLiteral("%1"), missing).replace(QStringLiteral("%2"), runFolder);
            EXPECT_EQ(FailureText(e).toStdString(), message.toStdString());
        }
        EXPECT_EQ(onDisk(), before) << "nothing changes on disk";
        if (row.again)
            row.again();
        UtilitiesTerminate();
        QFile::remove(missing);
        QDir(missing).removeRecursively();
    }
    qputenv("TMPDIR", saved);
}

// The exchange files that the user's running copies share go only into a folder that is the
// user's alone: under the session's runtime folder, else in the temporary folder under the user's
// number; a folder of that name that others may enter, or a link, is refused and left as it is.
TEST_F(UtilitiesTest, ExchangeFilesGoOnlyIntoAFolderThatIsTheUsersAlone)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct Row {
        const char* why;
        std::function<void(const QString& shared)> make;  // puts what the row says at the folder's name
        bool refused;
    };
    const auto folder = [](unsigned mode) {
        return [mode](const QString& shared) {
            QDir().mkpath(shared);
            ::chmod(QFile::encodeName(shared).constData(), mode);
        };
    };
    const Row rows[] = {
        {"no folder yet", [](const QString&) {}, false},
        {"the user's private folder", folder(0700), false},
        {"a folder others may enter", folder(0755), true},
        {"a folder others may write", folder(0777), true},
        {"a link to a private folder", [this](const QString& shared) {
             QDir().mkpath(path(QStringLiteral("elsewhere")));
             ::chmod(QFile::encodeName(path(QStringLiteral("elsewhere"))).constData(), 0700);
             QFile::link(path(QStringLiteral("elsewhere")), shared);
         }, true},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString session = path(QStringLiteral("session%1").arg(++n));
        QDir().mkpath(session);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(session));
        const QString shared = session + QStringLiteral("/vellumora");
        row.make(shared);
        UtilitiesInitialize();
        if (row.refused) {
            EXPECT_RAISES(SharedFileName("clipboard", "copy"), platform::vbrt::ErrorNumber::PermissionDenied);
            EXPECT_NE(ModeOf(shared), 0700u) << "the folder is left as it was";
            continue;
        }
        const QString name = SharedFileName("clipboard", "copy");
        EXPECT_EQ(name, shared + QStringLiteral("/vellumora.3.clipboard.copy.tmp"));
        EXPECT_EQ(ModeOf(shared), 0700u);
        Put(name, "x");
        Delete({"clipboard", "*"});
        EXPECT_FALSE(QFileInfo::exists(name)) << "deleted by its parts like every work file";
    }

    // Without a runtime folder: one in the temporary folder named with the user's number.
    qunsetenv("XDG_RUNTIME_DIR");
    UtilitiesInitialize();
    const QString name = SharedFileName("clipboard", "copy");
    const QString expected = QDir::tempPath() + QStringLiteral("/vellumora-%1").arg(::getuid());
    EXPECT_EQ(QFileInfo(name).absolutePath(), expected);
    EXPECT_EQ(ModeOf(expected), 0700u);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

// A copy killed after it made work files of every kind and published an exchange file leaves them
// behind; the next start removes them, its run folder with everything in it, and nothing of a copy
// that runs nor the user's own files that bear the program's name and the killed copy's number.
TEST_F(UtilitiesTest, AStartRemovesWhatAKilledCopyLeftAndNothingOfARunningOne)
{
    QProcess running;
    running.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(running.waitForStarted());
    const QString alive = QString::number(running.processId());
    const QString shared = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + QStringLiteral("/vellumora");
    ASSERT_TRUE(platform::filesystem::PrivateFolderReady(shared, true));
    const QStringList runningCopy = {
        Put(path(QStringLiteral("vellumora.%1.Ab12Cd/vellumora.%1.1.0.history.tmp").arg(alive)), "snapshot"),
        Put(shared + QStringLiteral("/vellumora.%1.clipboard.copy.kind-Obstinate1.tmp").arg(alive), "exchange"),
    };

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        services_->processId = ::getpid();
        UtilitiesInitialize();
        FileInterfaceInit();
        // The names as the program's own callers give them: undo snapshots, print work files, the
        // copy buffer, box-editor exchange, add-ons, an unnamed one, the ".pad" packing.
        const QString names[] = {
            TemporaryFileName(1, 0, "history"), TemporaryFileName("staged", "ci", "history"),
            TemporaryFileName("draw", "block", 1, 2), TemporaryFileName("draw", "page", 3, 0),
            TemporaryFileName("copy"), TemporaryFileName("clipboard", "paste"),
            TemporaryFileName(1, 2, "modify", "put"), TemporaryFileName("Menu_File", 1, "addon"),
            TemporaryFileName(), FileInterface.ZipWorkFile, FileInterface.ZipMemberFile,
            SharedFileName("clipboard", "copy", "kind-A%7E"),
            // A ".pad" write cut off: the zip library's new archive beside the work archive.
            FileInterface.ZipWorkFile + QStringLiteral(".rb809n"),
        };
        for (const QString& name : names) {
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly))
                ::_exit(1);
            file.write("work");
        }
        // Jobs to a printer cut off: the printing library's spool files in the job's folder, of a
        // process id below 1,048,576 and of one above.
        const QString spool = TemporaryFileName(QString(PrintSpoolPart), QString(PrintSpoolSubPart));
        if (!QDir().mkdir(spool))
            ::_exit(1);
        for (const char* name : {"/0000abcd00001", "/1000196b24317c"}) {
            QFile spooled(spool + QLatin1String(name));
            if (!spooled.open(QIODevice::WriteOnly))
                ::_exit(1);
            spooled.write("job");
        }
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the copy did not make its files";
    const QString killed = QStringLiteral("vellumora.%1.*").arg(child);
    const QStringList left = QDir(path()).entryList({killed}, QDir::Dirs) + QDir(shared).entryList({killed}, QDir::Files);
    ASSERT_EQ(left.size(), 2) << left.join(' ').toStdString();
    const QStringList users = {
        Put(path(QStringLiteral("vellumora.%1.notes.txt").arg(child)), "notes"),
        Put(path(QStringLiteral("vellumora.%1.notes.tmp").arg(child)), "notes"),
        Put(path(QStringLiteral("vellumora.%1.1/README").arg(child)), "release"),
    };

    UtilitiesInitialize();
    EXPECT_EQ(QDir(path()).entryList({killed}, QDir::AllEntries, QDir::Name).join(' ').toStdString(),
              QStringLiteral("vellumora.%1.1 vellumora.%1.notes.tmp vellumora.%1.notes.txt").arg(child).toStdString());
    EXPECT_EQ(QDir(shared).entryList({killed}, QDir::AllEntries).join(' ').toStdString(), "");
    for (const QString& name : runningCopy + users)
        EXPECT_TRUE(QFileInfo::exists(name)) << name.toStdString();
    running.kill();
    running.waitForFinished();
}

TEST(UtilitiesConversion, CentimetresAndTwips)
{
    struct Row {
        const char* why;
        float centimeters;
        std::int32_t twips;
    };
    const Row rows[] = {
        {"one centimetre rounds down", 1.0f, 566},
        {"ten centimetres", 10.0f, 5669},
        {"2.54 as a float is slightly less than an inch", 2.54f, 1439},
        {"negative lengths round toward minus infinity", -1.0f, -567},
        {"zero", 0.0f, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(CentimeterToTwip(row.centimeters), row.twips);
    }
    EXPECT_RAISES(CentimeterToTwip(1.0e7f), 6);
    EXPECT_EQ(TwipToCentimeter(1440), 2.54f);
    EXPECT_EQ(platform::vbrt::Format(TwipToCentimeter(566), QStringLiteral("#0.0")), QStringLiteral("1.0"));
}

TEST(UtilitiesConversion, PointsAndSmallRoutines)
{
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(PointAdd(PointMake(2, -3), PointMake(5, 7)), PointMake(7, 4));
    EXPECT_RAISES(PointAdd(PointMake(max, 0), PointMake(1, 0)), 6);
    EXPECT_RAISES(PointAdd(PointMake(0, min), PointMake(0, -1)), 6);
    EXPECT_EQ(PointMax(PointMake(1, 9), PointMake(4, -2)), PointMake(4, 9));
    EXPECT_EQ(StringDefault(QStringLiteral("  "), QStringLiteral("d")), QStringLiteral("  "));
    EXPECT_EQ(StringDefault(QString(), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(BoolToByte(true), 1);
    EXPECT_TRUE(ByteToBool(2));
}

TEST(UtilitiesMessageBoxes, StylesTitlesAndTheHourglassAfterwards)
{
    namespace mb = platform::msgbox;
    shell_test::FakeMainWindow window;
    SetMainWindowLink(&window);
    struct Row {
        const char* why;
        std::function<std::int16_t()> show;
        std::int32_t style;
        QString title;
        std::int16_t answer;
    };
    const Row rows[] = {
        {"an error without a title", [] { ErrorMessageBox(QStringLiteral("e"), {}); return std::int16_t(1); }, 16,
         QStringLiteral("Vellumora"), 1},
        {"an error with its own title", [] { ErrorMessageBox(QStringLiteral("e"), QStringLiteral("T")); return std::int16_t(1); },
         16, QStringLiteral("T"), 1},
        {"yes or no with No as default", [] { return YesNoMessageBox(QStringLiteral("q"), 256, {}); }, 36 + 256,
         QStringLiteral("Vellumora"), mb::Answer::No},
        {"yes, no or cancel", [] { return YesNoCancelMessageBox(QStringLiteral("q"), 0, {}); }, 35,
         QStringLiteral("Vellumora"), mb::Answer::Cancel},
        {"information always under the program's name", [] { InformationMessageBox(QStringLiteral("i")); return std::int16_t(1); },
         64, QStringLiteral("Vellumora"), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        window.events.clear();
        mb::QueueAnswer(row.answer);
        EXPECT_EQ(row.show(), row.answer);
        ASSERT_FALSE(mb::ShownBoxes().empty());
        EXPECT_EQ(mb::ShownBoxes().back().buttons, row.style);
        EXPECT_EQ(mb::ShownBoxes().back().title, row.title);
        EXPECT_EQ(window.events, QStringList({QStringLiteral("pointer"), QStringLiteral("hourglass")}));
    }
    SetMainWindowLink(nullptr);
}

} // namespace
