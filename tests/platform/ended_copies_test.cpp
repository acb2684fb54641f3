#include "platform/system/EndedCopies.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <future>

#include <unistd.h>

using platform::system::RemoveRunFolder;
using platform::system::RemoveWorkFilesOfEndedCopies;

namespace {

// The id of a process that has ended (and been reaped).
qint64 EndedProcessId()
{
    QProcess child;
    child.start(QStringLiteral("/bin/cat"), {});
    EXPECT_TRUE(child.waitForStarted());
    const qint64 id = child.processId();
    child.closeWriteChannel();
    EXPECT_TRUE(child.waitForFinished());
    return id;
}

using EndedCopies = testsupport::TempFolder;

} // namespace

TEST_F(EndedCopies, OnlyWorkFilesOfCopiesThatNoLongerRunGo)
{
    QProcess running;
    running.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(running.waitForStarted());
    const QString dead = QString::number(EndedProcessId());
    const QString alive = QString::number(running.processId());
    const QString self = QString::number(::getpid());
    ASSERT_NE(dead, QStringLiteral("0"));

    QDir().mkpath(path("tmp"));
    QDir().mkpath(path("outside"));
    write("outside/keep.txt", "kept");
    struct Row {
        QString name;
        bool folder;
        bool removed;
    };
    const std::vector<Row> rows = {
        {"prog." + dead + ".zipwork.tmp.dir", true, true},
        {"prog." + dead + ".zipwork.tmp.zip", false, true},
        {"prog." + dead + ".undo1.tmp", false, true},
        {"prog." + alive + ".zipwork.tmp.dir", true, false},
        {"prog." + self + ".zipwork.tmp.dir", true, false},
        {"other." + dead + ".zipwork.tmp.dir", true, false},
        {"prog." + dead, false, false},
        {"prog.x" + dead + ".tmp", false, false},
        {"prog", false, false},
    };
    for (const Row& row : rows) {
        if (row.folder)
            write("tmp/" + row.name + "/Vellumora.txt", "document as plain text");
        else
            write("tmp/" + row.name, "work");
    }
    // A link of an ended copy goes as the link: what it points at stays.
    const QString link = path("tmp/prog." + dead + ".link.tmp");
    ASSERT_TRUE(QFile::link(path("outside"), link));

    EXPECT_EQ(RemoveWorkFilesOfEndedCopies(path("tmp"), QStringLiteral("prog")), 4);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        EXPECT_EQ(QFileInfo::exists(path("tmp/" + row.name)), !row.removed);
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(path("outside/keep.txt")), QByteArray("kept"));
    running.kill();
    running.waitForFinished();
}

// Two removals of one run folder at once (the end of a program and a clean-up that overlaps it)
// both find it gone: neither is stopped by entries the other removed first, nothing is set aside
// for good, and what links inside lead to stays.
TEST_F(EndedCopies, ARunFolderGoesWholeWhoeverElseRemovesItAtTheSameTime)
{
    write("outside/keep.txt", "kept");
    struct Row {
        const char* why;
        QString name;
    };
    const Row rows[] = {
        {"a run folder", QStringLiteral("prog.4242.AbC12z")},
        {"a folder of another name, removed where it stands", QStringLiteral("prog.4242.zipwork.tmp.dir")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QDir().mkpath(path("tmp"));
        const QString folder = path("tmp/" + row.name);
        for (int file = 0; file < 3000; ++file)
            write("tmp/" + row.name + "/prog.4242.draw.block.1." + QString::number(file) + ".tmp", "block");
        write("tmp/" + row.name + "/prog.4242.zipwork.tmp.dir/deeper/Vellumora.txt", "text");
        // A folder its owner may not change goes all the same.
        QFile::setPermissions(folder + "/prog.4242.zipwork.tmp.dir/deeper", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(QFile::link(path("outside"), folder + "/prog.4242.folder.link.tmp"));
        ASSERT_TRUE(QFile::link(path("outside/keep.txt"), folder + "/prog.4242.file.link.tmp"));

        auto other = std::async(std::launch::async, [&] { return RemoveRunFolder(folder); });
        EXPECT_TRUE(RemoveRunFolder(folder));
        EXPECT_TRUE(other.get());
        const QStringList left = QDir(path("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
        EXPECT_EQ(read(path("outside/keep.txt")), QByteArray("kept"));
        EXPECT_TRUE(RemoveRunFolder(folder)) << "a folder already gone is no fault";
    }
}
