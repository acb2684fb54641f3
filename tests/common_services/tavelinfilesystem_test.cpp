#include "TavelinComObject.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/zipfolder/ZipFolder.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace E = platform::vbrt::ErrorNumber;

namespace {

class TavelinFileSystem : public testsupport::TempFolder {
protected:
    tavelin::TavelinComObject services;
};

} // namespace

TEST_F(TavelinFileSystem, AbsentThingsAnswerWithValuesNotErrors)
{
    EXPECT_NO_THROW(services.DeleteFile(path("none.txt")));
    EXPECT_NO_THROW(services.DeleteFolder(path("none")));
    QDir().mkpath(path("there"));
    EXPECT_NO_THROW(services.CreateFolder(path("there")));
    services.CreateFolder(path("new"));
    EXPECT_TRUE(services.FolderExists(path("new")));

    EXPECT_EQ(services.GetFileSize(path("none.txt")), -1);
    EXPECT_EQ(services.GetFileSize(write("empty.txt", "")), 0);
    EXPECT_EQ(services.GetFileDateTime(path("none.txt")), "");
    EXPECT_EQ(services.GetExtensionName(path("README")), "");
    EXPECT_FALSE(services.FileExists(path("none.txt")));

    // What the program never treats as absent still fails.
    EXPECT_RAISES(services.GetFile(path("none.txt")), E::FileNotFound);
    EXPECT_RAISES(services.GetFolder(path("none")), E::PathNotFound);
    EXPECT_RAISES(services.GetSubFoldersPath(path("none")), E::PathNotFound);
}

TEST_F(TavelinFileSystem, DeletingFilesAndFoldersThatExist)
{
    const QString file = write("w.tmp", "x");
    ::chmod(QFile::encodeName(file).constData(), 0444); // a read-only work file goes too
    services.DeleteFile(file);
    EXPECT_FALSE(QFile::exists(file));

    write("work/a.txt", "a");
    services.DeleteFolder(path("work"));
    EXPECT_FALSE(QFileInfo::exists(path("work")));

    write("stale/b.txt", "b");
    services.GetFolder(path("stale"))->Delete(true);
    EXPECT_FALSE(QFileInfo::exists(path("stale")));
}

TEST_F(TavelinFileSystem, FileDateIsTheModificationTimeAsText)
{
    const QString file = write("dated.txt", "x");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(services.GetFileDateTime(file), "2024/01/31 09:05:07");
}

TEST_F(TavelinFileSystem, ListingsAreFullPathsOrTheEmptyList)
{
    QDir().mkpath(path("top"));
    EXPECT_TRUE(services.GetSubFoldersPath(path("top")).isEmpty());
    EXPECT_TRUE(services.GetFilesPath(path("top")).isEmpty());

    QDir().mkpath(path("top/b"));
    QDir().mkpath(path("top/a"));
    write("top/f.txt", "");
    EXPECT_EQ(services.GetSubFoldersPath(path("top")), QStringList({path("top/a"), path("top/b")}));
    EXPECT_EQ(services.GetFilesPath(path("top")), QStringList({path("top/f.txt")}));
    // The folder path is used as given.
    EXPECT_EQ(services.GetFilesPath(path("top") + "/"), QStringList({path("top") + "//f.txt"}));
}

TEST_F(TavelinFileSystem, TemporaryFolderHasNoTrailingSlash)
{
    const QString temp = services.TemporaryFolder();
    EXPECT_FALSE(temp.endsWith('/'));
    EXPECT_EQ(temp, QDir::cleanPath(QString::fromLocal8Bit(qgetenv("TMPDIR"))));
}

TEST_F(TavelinFileSystem, CreateZipFileWritesTheEmptyArchiveOverAnyFile)
{
    const QString archive = write("doc.pad", "an older, longer file in the way");
    services.CreateZipFile(archive);
    EXPECT_EQ(read(archive), platform::zipfolder::EmptyArchive());
    EXPECT_EQ(services.GetFileSize(archive), 22);
}

TEST_F(TavelinFileSystem, SavingAndOpeningAPadArchive)
{
    // Saving: the empty archive first, then the document added; complete when the call returns.
    const QString work = path("work");
    services.CreateFolder(work);
    const QString document = write("work/Vellumora.txt", QByteArray("&&box:1:\x93\xfa\x96\x7b\r\n"));
    const QString archive = path("chart.pad");
    services.CreateTextFileAndWrite(archive, QString::fromLatin1(platform::zipfolder::EmptyArchive()));
    ASSERT_EQ(services.GetFileSize(archive), 22);
    services.CopyHereToZip(document, archive);
    EXPECT_GT(services.GetFileSize(archive), 22);
    EXPECT_EQ(platform::zipfolder::MemberNames(archive), QStringList({"Vellumora.txt"}));
    if (!QStandardPaths::findExecutable("unzip").isEmpty()) {
        EXPECT_EQ(QProcess::execute("unzip", {"-tqq", archive}), 0);
    }

    // Opening: the archive first, the work folder second.
    const QString opened = path("opened");
    services.CreateFolder(opened);
    services.CopyHereFromZip(archive, opened);
    EXPECT_EQ(read(path("opened/Vellumora.txt")), read(document));
}

TEST_F(TavelinFileSystem, RelativeZipPathsResolveAgainstTheCurrentFolder)
{
    const QString before = QDir::currentPath();
    ASSERT_EQ(services.SetCurrentDirectory(path()).toInt(), 1);
    write("doc.txt", "text");
    services.CreateZipFile("rel.pad");
    services.CopyHereToZip("doc.txt", "rel.pad");
    services.CreateFolder("out");
    services.CopyHereFromZip("rel.pad", "out");
    EXPECT_EQ(read(path("out/doc.txt")), "text");
    EXPECT_EQ(services.SetCurrentDirectory(path("none")).toInt(), 0);
    QDir::setCurrent(before);
}

TEST_F(TavelinFileSystem, ZipCopiesFailForPathsWithoutAFolderView)
{
    const QString text = write("plain.txt", "not an archive, only text in a file");
    QDir().mkpath(path("out"));
    EXPECT_RAISES(services.CopyHereFromZip(text, path("out")), E::Application);
    EXPECT_RAISES(services.CopyHereFromZip(path("none.pad"), path("out")), E::PathNotFound);
    EXPECT_RAISES(services.CopyHereToZip(path("none.txt"), text), E::FileNotFound);
    EXPECT_RAISES(services.CopyHereToZip(write("doc.txt", "x"), text), E::Application);
}

TEST_F(TavelinFileSystem, ASizeBeyondTheLongRangeOverflows)
{
    const QString big = write("big.bin", "");
    const int fd = ::open(QFile::encodeName(big).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, std::int64_t(1) << 31), 0); // sparse: takes no disk space
    ::close(fd);
    EXPECT_RAISES(services.GetFileSize(big), E::Overflow);
}

TEST_F(TavelinFileSystem, PathTextAndCopies)
{
    EXPECT_EQ(services.GetFileName("/a/b/chart.pad"), "chart.pad");
    EXPECT_EQ(services.GetBaseName("/a/b/chart.pad"), "chart");
    EXPECT_EQ(services.GetParentFolderName("/a/b/chart.pad"), "/a/b");
    EXPECT_EQ(services.GetDriveName("/a/b"), "/");
    EXPECT_FALSE(services.GetDrive("relative/x").isEmpty());
    EXPECT_TRUE(services.DriveExists("/"));

    const QString source = write("src/a.txt", "a");
    services.CopyFile(source, path("b.txt"));
    services.CopyFile(write("src/a.txt", "a2"), path("b.txt")); // overwriting
    EXPECT_EQ(read(path("b.txt")), "a2");
    services.CopyFolder(path("src"), path("copy"));
    EXPECT_EQ(read(path("copy/a.txt")), "a2");
    services.MoveFile(path("b.txt"), path("c.txt"));
    services.MoveFolder(path("copy"), path("moved"));
    EXPECT_EQ(read(path("c.txt")), "a2");
    EXPECT_EQ(read(path("moved/a.txt")), "a2");

    auto stream = services.CreateTextFile(path("t.txt"));
    stream->WriteLine(QStringLiteral("表"));
    stream.reset();
    EXPECT_EQ(read(path("t.txt")), QByteArray("\x95\x5c\r\n"));
    EXPECT_EQ(services.GetFile(path("t.txt"))->Size(), 4);
}
