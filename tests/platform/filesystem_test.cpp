#include "platform/filesystem/FileSystem.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::filesystem;
namespace E = platform::vbrt::ErrorNumber;

namespace {

class FileSystem : public testsupport::TempFolder {
protected:
    void makeReadOnly(const QString& p) { ::chmod(QFile::encodeName(p).constData(), 0444); }
    static unsigned modeOf(const QString& p)
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_mode & 07777 : 01000000;
    }
    QStringList listing(const QString& folder = {}) const
    {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Name);
    }
};

} // namespace

TEST(FileSystemPaths, NamesAreTakenFromThePathText)
{
    struct Row {
        const char* why;
        const char* path;
        const char* fileName;
        const char* baseName;
        const char* extension;
        const char* parent;
    };
    const Row rows[] = {
        {"plain file", "/a/b/c.txt", "c.txt", "c", "txt", "/a/b"},
        {"two dots: the last counts", "/a/b.tar.gz", "b.tar.gz", "b.tar", "gz", "/a"},
        {"no extension", "/a/README", "README", "README", "", "/a"},
        {"trailing slash ignored", "/a/b/", "b", "b", "", "/a"},
        {"child of the root", "/a", "a", "a", "", "/"},
        {"the root itself", "/", "", "", "", ""},
        {"relative, no folder", "c.pad", "c.pad", "c", "pad", ""},
        {"relative with folder", "x/y.PAD", "y.PAD", "y", "PAD", "x"},
        {"doubled slashes before the name", "/a//b", "b", "b", "", "/a"},
        {"empty", "", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString p = QString::fromUtf8(row.path);
        EXPECT_EQ(GetFileName(p), QString::fromUtf8(row.fileName));
        EXPECT_EQ(GetBaseName(p), QString::fromUtf8(row.baseName));
        EXPECT_EQ(GetExtensionName(p), QString::fromUtf8(row.extension));
        EXPECT_EQ(GetParentFolderName(p), QString::fromUtf8(row.parent));
    }
    EXPECT_EQ(GetDriveName("/home/x"), "/");
    EXPECT_EQ(GetDriveName("x/y"), "");
    EXPECT_TRUE(DriveExists("/"));
    EXPECT_FALSE(DriveExists("C:"));
    EXPECT_FALSE(GetDrive("/no/such/place").isEmpty());
}

TEST_F(FileSystem, AbsolutePathsResolveAgainstTheCurrentFolder)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path()));
    const QString here = QDir::currentPath();
    EXPECT_EQ(GetAbsolutePathName("a/../b/./c.txt"), here + "/b/c.txt");
    EXPECT_EQ(GetAbsolutePathName(""), here);
    EXPECT_EQ(GetAbsolutePathName("/x/y/"), "/x/y");
    QDir::setCurrent(before);
}

TEST_F(FileSystem, TemporaryFolderFollowsTmpdirWithoutTrailingSlash)
{
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", (path() + "/").toLocal8Bit());
    EXPECT_EQ(TemporaryFolder(), path());
    // A folder that does not exist is still the one named, never "" (the current folder).
    qputenv("TMPDIR", (path() + "/gone/").toLocal8Bit());
    EXPECT_EQ(TemporaryFolder(), path() + "/gone");
    const QString before = QDir::currentPath();
    QDir::setCurrent(path());
    qputenv("TMPDIR", "gone");
    EXPECT_EQ(TemporaryFolder(), path() + "/gone");
    QDir::setCurrent(before);
    qputenv("TMPDIR", saved);
}

TEST_F(FileSystem, FailuresRaiseTheOldNumbers)
{
    const QString file = write("f.txt", "x");
    const QString folder = path("d");
    QDir().mkpath(folder);
    struct Row {
        const char* why;
        std::function<void()> call;
        std::int32_t number;
    };
    const Row rows[] = {
        {"copy of a missing file", [&] { CopyFile(path("none"), path("to")); }, E::FileNotFound},
        {"copy of a folder as a file", [&] { CopyFile(folder, path("to")); }, E::FileNotFound},
        {"copy into a missing folder", [&] { CopyFile(file, path("none/to")); }, E::PathNotFound},
        {"copy without overwrite", [&] { CopyFile(file, write("g.txt", "y"), false); }, E::FileAlreadyExists},
        {"copy onto itself", [&] { CopyFile(file, file); }, E::PermissionDenied},
        {"copy onto a folder", [&] { CopyFile(file, folder); }, E::PermissionDenied},
        {"copy of a missing folder", [&] { CopyFolder(path("none"), path("to")); }, E::PathNotFound},
        {"folder into itself", [&] { CopyFolder(folder, folder + "/inner"); }, E::PermissionDenied},
        {"create an existing folder", [&] { CreateFolder(folder); }, E::FileAlreadyExists},
        {"create below a missing folder", [&] { CreateFolder(path("none/x")); }, E::PathNotFound},
        {"delete a missing file", [&] { DeleteFile(path("none")); }, E::FileNotFound},
        {"delete a folder as a file", [&] { DeleteFile(folder); }, E::FileNotFound},
        {"delete a missing folder", [&] { DeleteFolder(path("none")); }, E::PathNotFound},
        {"file object of a missing file", [&] { GetFile(path("none")); }, E::FileNotFound},
        {"folder object of a missing folder", [&] { GetFolder(path("none")); }, E::PathNotFound},
        {"move of a missing file", [&] { MoveFile(path("none"), path("to")); }, E::FileNotFound},
        {"move onto an existing file", [&] { MoveFile(file, write("h.txt", "z")); }, E::FileAlreadyExists},
        {"move of a missing folder", [&] { MoveFolder(path("none"), path("to")); }, E::PathNotFound},
        {"read a missing file", [&] { OpenTextFile(path("none")); }, E::FileNotFound},
        {"append below a missing folder", [&] { OpenTextFile(path("none/x"), IOMode::ForAppending, true); },
         E::PathNotFound},
        {"create a text file without overwrite", [&] { CreateTextFile(file, false); }, E::FileAlreadyExists},
        {"create a text file over a folder", [&] { CreateTextFile(folder); }, E::PermissionDenied},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_RAISES(row.call(), row.number);
    }
    EXPECT_EQ(read(file), "x");
}

TEST_F(FileSystem, CopyFileReplacesWholeAndKeepsTheModificationTime)
{
    const QString source = write("src.bin", QByteArray("\x00\x01\xff binary", 10));
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QDateTime stamp(QDate(2024, 1, 31), QTime(9, 5, 7));
    ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    f.close();
    write("dst.bin", "old and longer content");

    CopyFile(source, path("dst.bin"));
    EXPECT_EQ(read(path("dst.bin")), read(source));
    EXPECT_EQ(QFileInfo(path("dst.bin")).lastModified(), stamp);

    QDir().mkpath(path("into"));
    CopyFile(source, path("into") + "/");
    EXPECT_EQ(read(path("into/src.bin")), read(source));
    // Nothing is left beside the targets.
    EXPECT_EQ(listing(), QStringList({"dst.bin", "into", "src.bin"}));
    EXPECT_EQ(listing("into"), QStringList({"src.bin"}));
}

TEST_F(FileSystem, CopyFileRefusesAReadOnlyTarget)
{
    const QString source = write("a", "new");
    const QString target = write("b", "old");
    makeReadOnly(target);
    EXPECT_RAISES(CopyFile(source, target), E::PermissionDenied);
    EXPECT_EQ(read(target), "old");
}

// A file the user may not read is refused as a read: the message does not speak of writing.
TEST_F(FileSystem, AFileTheUserMayNotReadIsRefusedAsARead)
{
    const QString source = write("source.txt", "text");
    struct Row {
        const char* why;
        QString refused;  // the path the host refuses
        std::function<void()> call;
        const char* text;
    };
    const Row rows[] = {
        {"a text file opened to read", source, [&] { OpenTextFile(source, IOMode::ForReading); }, "読み込みできません。"},
        {"the source of a copy", source, [&] { CopyFile(source, path("copy.txt")); }, "読み込みできません。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetReadOpenFault([&](const QString& p) { return p == row.refused ? EACCES : 0; });
        EXPECT_RAISES(row.call(), E::PermissionDenied);
        EXPECT_TRUE(testsupport::RaisedText(row.call).startsWith(QString::fromUtf8(row.text)))
            << testsupport::RaisedText(row.call).toStdString();
        SetReadOpenFault({});
    }
    EXPECT_FALSE(QFileInfo::exists(path("copy.txt")));
}

TEST_F(FileSystem, CopyFolderCopiesTheTreeAndLinksAsLinks)
{
    write("src/a.txt", "a");
    write("src/sub/b.txt", "b");
    write("src/.hidden", "h");
    ASSERT_EQ(::symlink("sub", QFile::encodeName(path("src/link")).constData()), 0);

    CopyFolder(path("src"), path("dst"));
    EXPECT_EQ(read(path("dst/a.txt")), "a");
    EXPECT_EQ(read(path("dst/sub/b.txt")), "b");
    EXPECT_EQ(read(path("dst/.hidden")), "h");
    EXPECT_EQ(QFileInfo(path("dst/link")).symLinkTarget(), path("dst/sub"));

    write("src/a.txt", "changed");
    CopyFolder(path("src"), path("dst"));
    EXPECT_EQ(read(path("dst/a.txt")), "changed");
    EXPECT_RAISES(CopyFolder(path("src"), path("dst"), false), E::FileAlreadyExists);

    CopyFolder(path("src"), path("dst") + "/");
    EXPECT_EQ(read(path("dst/src/sub/b.txt")), "b");
}

TEST_F(FileSystem, MovesRenameAndNeverReplace)
{
    write("a.txt", "a");
    MoveFile(path("a.txt"), path("b.txt"));
    EXPECT_FALSE(QFile::exists(path("a.txt")));
    EXPECT_EQ(read(path("b.txt")), "a");

    QDir().mkpath(path("into"));
    MoveFile(path("b.txt"), path("into") + "/");
    EXPECT_EQ(read(path("into/b.txt")), "a");

    write("f1/x", "x");
    MoveFolder(path("f1"), path("f2"));
    EXPECT_FALSE(QFileInfo::exists(path("f1")));
    EXPECT_EQ(read(path("f2/x")), "x");
    QDir().mkpath(path("f3"));
    EXPECT_RAISES(MoveFolder(path("f2"), path("f3")), E::FileAlreadyExists);
    EXPECT_EQ(read(path("f2/x")), "x");
}

TEST_F(FileSystem, DeletionsHonourReadOnlyAndForce)
{
    const QString locked = write("locked.txt", "x");
    makeReadOnly(locked);
    EXPECT_RAISES(DeleteFile(locked), E::PermissionDenied);
    DeleteFile(locked, true);
    EXPECT_FALSE(QFile::exists(locked));

    write("tree/a.txt", "a");
    makeReadOnly(write("tree/sub/b.txt", "b"));
    EXPECT_RAISES(DeleteFolder(path("tree")), E::PermissionDenied);
    EXPECT_EQ(read(path("tree/a.txt")), "a"); // nothing deleted halfway
    GetFolder(path("tree"))->Delete(true);
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
}

TEST_F(FileSystem, DeletingALinkedFolderKeepsWhatItLeadsTo)
{
    write("real/keep.txt", "k");
    ASSERT_EQ(::symlink(QFile::encodeName(path("real")).constData(), QFile::encodeName(path("link")).constData()), 0);
    DeleteFolder(path("link"), true);
    EXPECT_FALSE(QFileInfo(path("link")).isSymLink());
    EXPECT_EQ(read(path("real/keep.txt")), "k");
}

TEST_F(FileSystem, FolderObjectsListFilesAndSubFoldersByName)
{
    write("f/b.txt", "");
    write("f/a.txt", "");
    write("f/.dot", "");
    QDir().mkpath(path("f/zsub"));
    QDir().mkpath(path("f/asub"));
    const auto folder = GetFolder(path("f"));
    EXPECT_EQ(folder->Name(), "f");
    EXPECT_EQ(folder->Files(), QStringList({".dot", "a.txt", "b.txt"}));
    EXPECT_EQ(folder->SubFolders(), QStringList({"asub", "zsub"}));
    const auto file = GetFile(path("f/a.txt"));
    EXPECT_EQ(file->Size(), 0);
    EXPECT_EQ(file->Name(), "a.txt");
}

TEST_F(FileSystem, TextStreamsWriteShiftJisLinesEndedByCrLf)
{
    auto out = CreateTextFile(path("t.txt"));
    out->Write(QStringLiteral("日本"));
    out->WriteLine(QStringLiteral("語"));
    out->WriteLine();
    out->Close();
    EXPECT_EQ(read(path("t.txt")), QByteArray("\x93\xfa\x96\x7b\x8c\xea\r\n\r\n"));

    auto more = OpenTextFile(path("t.txt"), IOMode::ForAppending);
    more->Write("x");
    EXPECT_RAISES(more->ReadLine(), 54);
    more.reset(); // letting go closes the file
    EXPECT_TRUE(read(path("t.txt")).endsWith("\r\n\r\nx"));
}

TEST_F(FileSystem, ACharacterWithoutShiftJisFormIsRefusedNotReplaced)
{
    auto out = CreateTextFile(path("t.txt"));
    out->Write("a");
    EXPECT_RAISES(out->Write(QStringLiteral("b\U0001F600c")), E::Application);
    out->Close();
    EXPECT_EQ(read(path("t.txt")), "a");
}

TEST_F(FileSystem, ReadLineSplitsAtLfOrCrLf)
{
    write("in.txt", QByteArray("one\r\n\x93\xfa\x96\x7b\nlast"));
    auto in = OpenTextFile(path("in.txt"));
    QStringList lines;
    while (!in->AtEndOfStream())
        lines << in->ReadLine();
    EXPECT_EQ(lines, QStringList({"one", QStringLiteral("日本"), "last"}));
    EXPECT_RAISES(in->ReadLine(), 62);
    EXPECT_RAISES(in->Write("x"), 54);

    write("bad.txt", QByteArray("\x81"));
    EXPECT_RAISES(OpenTextFile(path("bad.txt"))->ReadAll(), E::Application);
}

TEST_F(FileSystem, AtomicWritesKeepPermissionsAndLeaveNothingOnFailure)
{
    const QString target = write("doc.txt", "old");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    WriteFileAtomically(target, "new");
    EXPECT_EQ(read(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    {
        AtomicWriter abandoned(target, "test");
        abandoned.Write("partial");
    }
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(listing(), QStringList({"doc.txt"}));
    EXPECT_RAISES(WriteFileAtomically(path("none/doc.txt"), "x"), E::PathNotFound);
}

// Both ways of writing beside a target: the unnamed file (nothing to see while it is written,
// so nothing stays when the writer is killed) and the hidden named file of file systems without
// unnamed files.
TEST_F(FileSystem, AtomicWritesWithAndWithoutUnnamedFiles)
{
    struct Row {
        const char* why;
        bool unnamed;
        bool seenWhileWriting;
    };
    const Row rows[] = {{"unnamed", true, false}, {"hidden named", false, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUnnamedTemporaryFiles(row.unnamed);
        for (const bool existing : {true, false}) {
            QFile::remove(path("doc.txt"));
            if (existing)
                write("doc.txt", "old");
            {
                AtomicWriter out(path("doc.txt"), "test");
                out.Write("new ");
                out.Write("text");
                EXPECT_EQ(listing().size(), (existing ? 1 : 0) + (row.seenWhileWriting ? 1 : 0)) << listing().join(",").toStdString();
                out.SetPermissions(0604);
                out.Commit();
            }
            EXPECT_EQ(listing(), QStringList({"doc.txt"}));
            EXPECT_EQ(read(path("doc.txt")), "new text");
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(path("doc.txt")).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0604u);
        }
    }
    SetUnnamedTemporaryFiles(true);
}

// A document reached through a symbolic link is saved where the link leads, and the link stays a
// link; a file with a second name (hard link) is refused, so neither name is parted from the other.
TEST_F(FileSystem, WritesThroughLinksKeepTheLinks)
{
    write("real/doc.txt", "old");
    ASSERT_TRUE(QDir().mkpath(path("links")));
    struct Row {
        const char* why;
        QString link;
        QString linkTo;  // the text stored in the link
        QString written; // the file that must hold the new text
    };
    const Row rows[] = {
        {"absolute link", path("links/abs.txt"), path("real/doc.txt"), path("real/doc.txt")},
        {"relative link", path("links/rel.txt"), "../real/doc.txt", path("real/doc.txt")},
        {"link to a link", path("links/chain.txt"), "rel.txt", path("real/doc.txt")},
        {"dangling link", path("links/dangling.txt"), "../real/new.txt", path("real/new.txt")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ASSERT_EQ(::symlink(QFile::encodeName(row.linkTo).constData(), QFile::encodeName(row.link).constData()), 0);
        const QByteArray text = QByteArray("new by ") + row.why;
        WriteFileAtomically(row.link, text);
        EXPECT_TRUE(QFileInfo(row.link).isSymLink());
        EXPECT_EQ(QFile::symLinkTarget(row.link), QDir::cleanPath(QDir(path("links")).absoluteFilePath(row.linkTo)));
        EXPECT_EQ(read(row.written), text);
    }
    EXPECT_EQ(listing("links"), QStringList({"abs.txt", "chain.txt", "dangling.txt", "rel.txt"}));
    EXPECT_EQ(listing("real"), QStringList({"doc.txt", "new.txt"}));

    const QString shared = write("shared.txt", "shared");
    ASSERT_EQ(::link(QFile::encodeName(shared).constData(), QFile::encodeName(path("second.txt")).constData()), 0);
    EXPECT_RAISES(WriteFileAtomically(shared, "new"), E::PermissionDenied);
    EXPECT_RAISES(CopyFile(path("real/doc.txt"), path("second.txt"), true), E::PermissionDenied);
    EXPECT_EQ(read(shared), "shared");
    EXPECT_EQ(read(path("second.txt")), "shared");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(shared).constData(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
}

// A document is replaced by a rename, which asks only the folder: the file's own permission is
// asked first, as a write in place would. A read-only file is refused for every user; a file the
// user may not write (another user's, on a read-only mount) through the access seam, so that the
// refusal shows whoever runs the test.
TEST_F(FileSystem, DocumentsTheUserMayNotWriteAreLeftAsTheyAre)
{
    const QString source = write("source.txt", "new");
    struct Row {
        const char* why;
        unsigned mode;
        int refusal;  // what the access check answers for the target
        std::function<void(const QString& target)> write;
    };
    const auto atomically = [](const QString& target) { WriteFileAtomically(target, "new"); };
    const auto copy = [&](const QString& target) { CopyFile(source, target); };
    const Row rows[] = {
        {"a read-only file", 0444, 0, atomically},
        {"a file only others may write", 0644, EACCES, atomically},
        {"a file on a read-only mount", 0644, EROFS, atomically},
        {"a copy onto a file only others may write", 0644, EACCES, copy},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString target = write("doc.txt", "old");
        ::chmod(QFile::encodeName(target).constData(), row.mode);
        SetWriteAccessFault([&](const QString& p) { return p == target ? row.refusal : 0; });
        EXPECT_RAISES(row.write(target), E::PermissionDenied);
        EXPECT_EQ(read(target), "old");
        EXPECT_EQ(modeOf(target), row.mode);
        EXPECT_EQ(listing(), QStringList({"doc.txt", "source.txt"}));
        SetWriteAccessFault({});
        ::chmod(QFile::encodeName(target).constData(), 0644);
    }
    // Whatever the seam says of other files, a file the user may write is replaced.
    SetWriteAccessFault([](const QString&) { return 0; });
    WriteFileAtomically(path("doc.txt"), "new");
    EXPECT_EQ(read(path("doc.txt")), "new");
    SetWriteAccessFault({});
}

// A work file is replaced where it stands: a link put at its name is replaced, not followed, so
// the file it points at keeps its bytes; and the file is its owner's alone, whatever the umask.
TEST_F(FileSystem, WorkFilesReplaceWhatIsAtTheirNameAndAreTheOwnersAlone)
{
    const QString victim = write("victim.txt", "someone's file");
    struct Row {
        const char* why;
        std::function<void(const QString& name)> plant;
    };
    const auto linkTo = [](const QString& to) {
        return [to](const QString& name) { ::symlink(QFile::encodeName(to).constData(), QFile::encodeName(name).constData()); };
    };
    const Row rows[] = {
        {"nothing there", [](const QString&) {}},
        {"a file others may read", [this](const QString& name) {
             write("work.tmp", "old");
             ::chmod(QFile::encodeName(name).constData(), 0644);
         }},
        {"a link to another file", linkTo(victim)},
        {"a link to where a file would be made", linkTo(path("made.txt"))},
    };
    const mode_t mask = ::umask(022);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString name = path("work.tmp");
        QFile::remove(name);
        row.plant(name);
        WriteWorkFile(name, "snapshot");
        EXPECT_FALSE(QFileInfo(name).isSymLink());
        EXPECT_EQ(modeOf(name), 0600u);
        EXPECT_EQ(read(name), "snapshot");
        EXPECT_EQ(read(victim), "someone's file");
        EXPECT_FALSE(QFileInfo::exists(path("made.txt")));
    }
    ::umask(mask);
}

// A log in a shared folder is appended to only when it is a plain file of this user's with one
// name; it is made, or made again, readable by its owner alone.
TEST_F(FileSystem, ALogIsNeverWrittenThroughSomethingPutAtItsName)
{
    const QString victim = write("victim.txt", "someone's file");
    const mode_t mask = ::umask(022);
    OpenLogFile(path("new.log"))->WriteLine("first");
    OpenLogFile(path("new.log"))->WriteLine("second");
    EXPECT_EQ(read(path("new.log")), "first\r\nsecond\r\n");
    EXPECT_EQ(modeOf(path("new.log")), 0600u);
    const QString older = write("older.log", "kept\r\n");
    ::chmod(QFile::encodeName(older).constData(), 0644);
    OpenLogFile(older)->WriteLine("added");
    EXPECT_EQ(read(older), "kept\r\nadded\r\n");
    EXPECT_EQ(modeOf(older), 0600u);
    ::umask(mask);

    struct Row {
        const char* why;
        std::function<void(const QString& name)> plant;
    };
    const Row rows[] = {
        {"a link", [&](const QString& name) { QFile::link(victim, name); }},
        {"a second name of another file", [&](const QString& name) {
             ::link(QFile::encodeName(victim).constData(), QFile::encodeName(name).constData());
         }},
        {"a pipe nobody reads", [](const QString& name) { ::mkfifo(QFile::encodeName(name).constData(), 0666); }},
        {"a folder", [](const QString& name) { QDir().mkpath(name); }},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString name = path(QStringLiteral("planted%1.log").arg(++n));
        row.plant(name);
        EXPECT_THROW(OpenLogFile(name)->WriteLine("entry"), platform::vbrt::Error);
        EXPECT_EQ(read(victim), "someone's file");
    }
}

// Writers killed in the middle leave the old file whole and at most one hidden file beside it,
// which the next write of that file removes.
TEST_F(FileSystem, KilledWritesLeaveAtMostOneHiddenFileThatTheNextWriteRemoves)
{
    const QString target = write("doc.txt", "old");
    for (int kill = 0; kill < 3; ++kill) {
        SCOPED_TRACE(kill);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The hidden named file exists from the first write on: killed there it stays.
            SetUnnamedTemporaryFiles(false);
            SetAtomicWriteHook([](const QString&, qint64) { ::raise(SIGKILL); });
            WriteFileAtomically(target, QByteArray(100000, 'x'));
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(read(target), "old");
        EXPECT_EQ(listing().size(), 2) << listing().join(",").toStdString();
    }
    const QString leftover = listing().value(0);
    ASSERT_TRUE(leftover.startsWith(".doc.txt")) << leftover.toStdString();
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "hidden named");
        SetUnnamedTemporaryFiles(unnamed);
        write(leftover, "left by a killed write");
        WriteFileAtomically(target, "new");
        EXPECT_EQ(listing(), QStringList({"doc.txt"}));
        EXPECT_EQ(read(target), "new");
    }
    SetUnnamedTemporaryFiles(true);
}
