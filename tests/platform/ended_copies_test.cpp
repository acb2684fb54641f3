#include "platform/system/EndedCopies.h"

#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <functional>
#include <future>

#include <sys/stat.h>
#include <unistd.h>

using platform::system::RemoveExchangeFilesOfEndedCopies;
using platform::system::MadeFolderAt;
using platform::system::RemoveMadeFolder;
using platform::system::RemoveWorkFilesOfEndedCopies;
using platform::system::SetWorkFileOwner;
using platform::system::WorkFileShapes;

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

// Shaped as the program's own: work files of parts, the ".pad" work archive (and the zip
// library's new archive beside it) and work folder, the spool folder of a job to a printer (and
// the printing library's spool file in it).
WorkFileShapes Shapes()
{
    return {QStringLiteral("vellumora"),
            QRegularExpression(QStringLiteral(
                R"((?:[A-Za-z0-9_~%-]+\.)*[A-Za-z0-9_~%-]+\.tmp|zipwork\.tmp\.zip(?:\.[A-Za-z0-9]{6})?)")),
            QRegularExpression(QStringLiteral(R"(zipwork\.tmp\.dir|print\.spool\.tmp)")),
            QRegularExpression(QStringLiteral(R"(Vellumora\.txt|[0-9a-f]{5,8}[0-9a-f]{8})"))};
}

class EndedCopies : public testsupport::TempFolder {
protected:
    void TearDown() override { SetWorkFileOwner(std::nullopt); }

    // Makes a folder of the mode with the files named (a name with "/" in a folder of its own;
    // "name -> target" a link), giving every path made.
    QStringList Folder(const QString& at, mode_t mode, const QStringList& files) const
    {
        QStringList made = {at};
        QDir().mkpath(at);
        for (const QString& file : files) {
            const QString name = file.section(QStringLiteral(" -> "), 0, 0);
            const QString target = file.section(QStringLiteral(" -> "), 1);
            const QString p = at + QLatin1Char('/') + name;
            if (!target.isEmpty())
                EXPECT_TRUE(QFile::link(path(target), p)) << p.toStdString();
            else
                write(QDir(path()).relativeFilePath(p), "work");
            made << p;
        }
        ::chmod(QFile::encodeName(at).constData(), mode);
        return made;
    }
};

bool Present(const QString& p)
{
    return QFileInfo::exists(p) || QFileInfo(p).isSymLink();
}

} // namespace

// What a killed copy made, by its exact shapes, goes; whatever else bears the program's name stays
// whole: a user's files and folders, a copy that runs, this copy, a link, a folder others may
// enter or holding anything the program does not make there.
TEST_F(EndedCopies, OnlyWhatAnEndedCopyMadeGoes)
{
    QProcess running;
    running.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(running.waitForStarted());
    const QString dead = QString::number(EndedProcessId());
    const QString alive = QString::number(running.processId());
    const QString self = QString::number(::getpid());
    ASSERT_NE(dead, QStringLiteral("0"));
    const QString run = "vellumora." + dead + ".Ab12Cd";
    const QString work = "vellumora." + dead + ".";  // a work file's name begins so
    write("outside/keep.txt", "kept");
    QDir().mkpath(path("tmp"));
    QDir().mkpath(path("shared"));

    enum Where { Temporary, Exchange };
    struct Row {
        const char* why;
        Where where;
        QString name;
        std::function<QStringList(const QString& at)> make;  // every path it made
        bool removed;
    };
    const auto file = [this](const QString& at) { return QStringList{write(QDir(path()).relativeFilePath(at), "x")}; };
    const auto folder = [this](mode_t mode, const QStringList& files) {
        return [this, mode, files](const QString& at) { return Folder(at, mode, files); };
    };
    const auto link = [this](const QString& target) {
        return [this, target](const QString& at) {
            EXPECT_TRUE(QFile::link(path(target), at));
            return QStringList{at};
        };
    };
    const auto runFiles = [](const QString& id) {
        const QString w = "vellumora." + id + ".";
        return QStringList{w + "1.0.history.tmp", w + "draw.block.1.2.tmp", w + "__12345678__.tmp",
                           w + "zipwork.tmp.zip", "." + w + "zipwork.tmp.zip.saving",
                           w + "zipwork.tmp.dir/Vellumora.txt", w + "zipwork.tmp.dir/.Vellumora.txt.saving"};
    };
    QDir().mkpath(path("private"));
    ::chmod(QFile::encodeName(path("private")).constData(), 0700);
    const Row rows[] = {
        {"a killed copy's run folder", Temporary, run, folder(0700, runFiles(dead)), true},
        {"an empty run folder of a killed copy", Temporary, "vellumora." + dead + ".zzzzzz", folder(0700, {}), true},
        {"a killed copy's run folder, cut off in a .pad write: the zip library's new archive beside the work archive",
         Temporary, run, folder(0700, {work + "zipwork.tmp.zip", work + "zipwork.tmp.zip.rb809n"}), true},
        {"a killed copy's run folder, cut off in a print by process id 1048601: a spool file of fourteen digits",
         Temporary, run, folder(0700, {work + "print.spool.tmp/1000196b24317c", work + "1.0.history.tmp"}), true},
        {"a killed copy's run folder, cut off in a print by a small process id: a spool file of thirteen digits",
         Temporary, run, folder(0700, {work + "print.spool.tmp/0304c6b1d6a43"}), true},
        {"a run folder's name holding an archive's name with three characters more", Temporary, run,
         folder(0700, {work + "zipwork.tmp.zip.abc"}), false},
        {"a run folder's name whose spool folder holds twelve digits", Temporary, run,
         folder(0700, {work + "print.spool.tmp/304c6b1d6a43"}), false},
        {"a running copy's run folder", Temporary, "vellumora." + alive + ".Ab12Cd", folder(0700, runFiles(alive)),
         false},
        {"this copy's run folder", Temporary, "vellumora." + self + ".Ab12Cd", folder(0700, runFiles(self)), false},
        {"a user's file", Temporary, "vellumora." + dead + ".notes.txt", file, false},
        {"a user's file named with a year", Temporary, "vellumora.2024.notes.txt", file, false},
        {"a user's folder of drafts", Temporary, "vellumora." + dead + ".12.11", folder(0755, {"draft.txt"}), false},
        {"an unpacked release", Temporary, "vellumora." + dead + ".1", folder(0755, {"README"}), false},
        {"a run folder's name, others may enter", Temporary, "vellumora." + dead + ".Ef34Gh",
         folder(0755, {work + "1.0.history.tmp"}), false},
        {"a run folder's name holding a file of another name", Temporary, "vellumora." + dead + ".Ij56Kl",
         folder(0700, {work + "1.0.history.tmp", "notes.txt"}), false},
        {"a run folder's name holding another copy's work file", Temporary, "vellumora." + dead + ".Mn78Op",
         folder(0700, {"vellumora." + alive + ".1.0.history.tmp"}), false},
        {"a run folder's name holding a link at a work file's name", Temporary, "vellumora." + dead + ".Qr90St",
         folder(0700, {work + "copy.tmp -> outside/keep.txt"}), false},
        {"a run folder's name holding a folder of another name", Temporary, "vellumora." + dead + ".Uv12Wx",
         folder(0700, {work + "draft.tmp/notes.txt"}), false},
        {"a run folder's name whose work folder holds another file", Temporary, "vellumora." + dead + ".Yz34Ab",
         folder(0700, {work + "zipwork.tmp.dir/notes.txt"}), false},
        {"a run folder's name of five characters", Temporary, "vellumora." + dead + ".Ab12C",
         folder(0700, {work + "copy.tmp"}), false},
        {"a run folder's name of other characters", Temporary, "vellumora." + dead + ".Ab_2Cd",
         folder(0700, {work + "copy.tmp"}), false},
        {"a link at a run folder's name", Temporary, "vellumora." + dead + ".Cd56Ef", link("private"), false},
        // The program makes nothing but run folders at the top of the temporary folder any more.
        {"a user's file named like a work file of an earlier version", Temporary, work + "notes.tmp", file, false},
        {"a work file's name of an earlier version", Temporary, work + "1.0.history.tmp", file, false},
        {"a work archive's name of an earlier version", Temporary, work + "zipwork.tmp.zip", file, false},
        {"a work folder's name of an earlier version", Temporary, work + "zipwork.tmp.dir",
         folder(0755, {"Vellumora.txt"}), false},
        {"a link at a work file's name", Temporary, work + "link.tmp", link("outside/keep.txt"), false},
        {"a process id written with a leading zero", Temporary, "vellumora.0" + dead + ".copy.tmp", file, false},
        {"another program's", Temporary, "other." + dead + ".copy.tmp", file, false},
        {"the exchange folder in the temporary folder", Temporary, "vellumora-1000", folder(0700, {"x"}), false},
        {"a killed copy's exchange file", Exchange, work + "clipboard.copy.kind-Obstinate1.tmp", file, true},
        {"a killed copy's exchange file half written", Exchange, "." + work + "clipboard.copy.kind-A.tmp.saving",
         file, true},
        {"a running copy's exchange file", Exchange, "vellumora." + alive + ".clipboard.copy.kind-A.tmp", file,
         false},
        {"a user's file in the exchange folder", Exchange, work + "notes.txt", file, false},
        {"a run folder in the exchange folder", Exchange, "vellumora." + dead + ".Gh78Ij", folder(0700, {}), false},
        {"a link at an exchange file's name", Exchange, work + "clipboard.copy.tmp", link("outside/keep.txt"), false},
    };
    // Rows share names: each is made, removed or not, and looked at alone.
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString folder = path(row.where == Temporary ? "tmp" : "shared");
        const QStringList made = row.make(folder + "/" + row.name);
        const int removed = row.where == Temporary ? RemoveWorkFilesOfEndedCopies(folder, Shapes())
                                                   : RemoveExchangeFilesOfEndedCopies(folder, Shapes());
        EXPECT_EQ(removed, row.removed ? 1 : 0);
        for (const QString& p : made)
            EXPECT_EQ(Present(p), !row.removed) << p.toStdString();
        EXPECT_EQ(read(path("outside/keep.txt")), QByteArray("kept"));
        EXPECT_TRUE(QFileInfo(path("private")).isDir());
        // What stayed goes before the next row, by the test's own hand.
        ::chmod(QFile::encodeName(folder + "/" + row.name).constData(), 0700);
        if (QFileInfo(folder + "/" + row.name).isSymLink() || QFileInfo(folder + "/" + row.name).isFile())
            QFile::remove(folder + "/" + row.name);
        else
            QDir(folder + "/" + row.name).removeRecursively();
    }

    // Another user's run folder and work file of a killed copy stay.
    SetWorkFileOwner(::getuid() + 1);
    const QStringList others =
        Folder(path("tmp/" + run), 0700, runFiles(dead)) << write("tmp/" + work + "copy.tmp", "x");
    EXPECT_EQ(RemoveWorkFilesOfEndedCopies(path("tmp"), Shapes()), 0);
    for (const QString& p : others)
        EXPECT_TRUE(Present(p)) << p.toStdString();
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

        const auto made = MadeFolderAt(folder);
        ASSERT_TRUE(made);
        auto other = std::async(std::launch::async, [&] { return RemoveMadeFolder(*made); });
        EXPECT_TRUE(RemoveMadeFolder(*made));
        EXPECT_TRUE(other.get());
        const QStringList left = QDir(path("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
        EXPECT_EQ(read(path("outside/keep.txt")), QByteArray("kept"));
        EXPECT_TRUE(RemoveMadeFolder(*made)) << "a folder already gone is no fault";
    }
}
