#include "platform/zipfolder/ZipFolder.h"

#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"
#include "support/ZipBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::zipfolder;
using namespace testsupport::zipbytes;
namespace E = platform::vbrt::ErrorNumber;

namespace {

bool HaveTool(const char* name) { return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty(); }

int RunTool(const QString& program, const QStringList& args, const QString& folder, QByteArray* output = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(-1))
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class ZipFolder : public testsupport::TempFolder {
protected:
    QStringList tree(const QString& folder) const
    {
        QStringList all;
        const QDir base(path(folder));
        std::function<void(const QString&)> walk = [&](const QString& dir) {
            for (const QFileInfo& i : QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                                  QDir::NoDotAndDotDot,
                                                              QDir::Name)) {
                all << base.relativeFilePath(i.filePath()) + (i.isDir() && !i.isSymLink() ? "/" : "");
                if (i.isDir() && !i.isSymLink())
                    walk(i.filePath());
            }
        };
        walk(path(folder));
        return all;
    }
    QString emptyArchive(const QString& name) const { return write(name, EmptyArchive()); }
};

QByteArray Binary()
{
    QByteArray b;
    for (int i = 0; i < 70000; ++i)
        b.append(char((i * 7919) % 251));
    return b;
}

} // namespace

TEST_F(ZipFolder, TheEmptyArchiveIsTheBareEndRecord)
{
    const QByteArray bytes = EmptyArchive();
    ASSERT_EQ(bytes.size(), 22);
    EXPECT_EQ(bytes.left(4), QByteArray("PK\x05\x06"));
    EXPECT_EQ(bytes.mid(4), QByteArray(18, '\0'));
    EXPECT_TRUE(IsArchive(emptyArchive("e.zip")));
    EXPECT_TRUE(MemberNames(path("e.zip")).isEmpty());
    EXPECT_FALSE(IsArchive(write("t.txt", "just text, long enough to not be anything at all")));
    EXPECT_FALSE(IsArchive(path("missing.zip")));
}

TEST_F(ZipFolder, AnArchiveMadeByTheZipToolExtractsByteForByte)
{
    if (!HaveTool("zip"))
        GTEST_SKIP() << "the zip tool is not installed";
    write("made/top.txt", "top line\r\n");
    write("made/sub/deep.bin", Binary());
    write("made/sub/empty.txt", "");
    ASSERT_EQ(RunTool("zip", {"-qr", "../made.zip", "."}, path("made")), 0);
    QDir().mkpath(path("out"));

    CopyHere(path("made.zip"), path("out"));
    EXPECT_EQ(tree("out"), QStringList({"sub/", "sub/deep.bin", "sub/empty.txt", "top.txt"}));
    EXPECT_EQ(read(path("out/top.txt")), "top line\r\n");
    EXPECT_EQ(read(path("out/sub/deep.bin")), Binary());
    EXPECT_EQ(read(path("out/sub/empty.txt")), "");
}

TEST_F(ZipFolder, WhatThisLayerPacksPassesUnzipAndExtractsByteForByte)
{
    if (!HaveTool("unzip"))
        GTEST_SKIP() << "the unzip tool is not installed";
    const QString archive = emptyArchive("doc.pad");
    write("src/Vellumora.txt", "&&box:1:name\r\n日本語");
    write("src/data.bin", Binary());
    write("src/folder/inner.txt", "inner");

    CopyItemHere(path("src/Vellumora.txt"), archive);
    EXPECT_GT(QFileInfo(archive).size(), 22);
    EXPECT_EQ(MemberNames(archive), QStringList({"Vellumora.txt"}));
    CopyItemHere(path("src/Vellumora.txt"), archive); // the same name again replaces, never doubles
    EXPECT_EQ(MemberNames(archive), QStringList({"Vellumora.txt"}));

    const QString whole = emptyArchive("whole.zip");
    CopyHere(path("src"), whole);

    for (const QString& a : {archive, whole}) {
        SCOPED_TRACE(a.toStdString());
        QByteArray report;
        EXPECT_EQ(RunTool("unzip", {"-t", a}, path(), &report), 0) << report.toStdString();
    }
    QDir().mkpath(path("byUnzip"));
    ASSERT_EQ(RunTool("unzip", {"-q", whole, "-d", path("byUnzip")}, path()), 0);
    EXPECT_EQ(read(path("byUnzip/Vellumora.txt")), read(path("src/Vellumora.txt")));
    EXPECT_EQ(read(path("byUnzip/data.bin")), Binary());
    EXPECT_EQ(read(path("byUnzip/folder/inner.txt")), "inner");

    QDir().mkpath(path("back"));
    CopyHere(whole, path("back"));
    EXPECT_EQ(tree("back"), QStringList({"Vellumora.txt", "data.bin", "folder/", "folder/inner.txt"}));
    EXPECT_EQ(read(path("back/data.bin")), Binary());
}

TEST_F(ZipFolder, NothingToAddLeavesTheEmptyArchiveInPlace)
{
    const QString archive = emptyArchive("e.zip");
    QDir().mkpath(path("nothing"));
    CopyHere(path("nothing"), archive);
    EXPECT_EQ(read(archive), EmptyArchive());
}

TEST_F(ZipFolder, FoldersAndArchivesCopyAcross)
{
    write("a/one.txt", "1");
    write("a/sub/two.txt", "2");
    QDir().mkpath(path("b"));
    CopyHere(path("a"), path("b"));
    EXPECT_EQ(tree("b"), QStringList({"one.txt", "sub/", "sub/two.txt"}));

    const QString first = emptyArchive("first.zip");
    CopyHere(path("a"), first);
    const QString second = emptyArchive("second.zip");
    CopyHere(first, second);
    EXPECT_EQ(MemberNames(second), MemberNames(first));
}

TEST_F(ZipFolder, OneMemberCanBeExtractedAlone)
{
    write("src/Vellumora.txt", "doc");
    write("src/other.txt", "other");
    const QString archive = emptyArchive("d.pad");
    CopyHere(path("src"), archive);
    QDir().mkpath(path("out"));
    ExtractMember(archive, "Vellumora.txt", path("out"));
    EXPECT_EQ(tree("out"), QStringList({"Vellumora.txt"}));
    EXPECT_RAISES(ExtractMember(archive, "absent.txt", path("out")), E::FileNotFound);
}

TEST_F(ZipFolder, MissingPathsRaisePathNotFound)
{
    const QString archive = emptyArchive("e.zip");
    QDir().mkpath(path("out"));
    EXPECT_RAISES(CopyHere(path("none.zip"), path("out")), E::PathNotFound);
    EXPECT_RAISES(CopyHere(archive, path("none")), E::PathNotFound);
    EXPECT_RAISES(CopyItemHere(path("none.txt"), archive), E::FileNotFound);
    EXPECT_RAISES(CopyItemHere(write("x.txt", "x"), path("none.zip")), E::PathNotFound);
}

// An archive the host will not open (another user's) is refused saying what was refused: reading
// where it was only to be read, writing where something was to go into it.
TEST_F(ZipFolder, AnArchiveTheHostRefusesIsNamedForWhatWasRefused)
{
    write("src/Vellumora.txt", "doc");
    const QString archive = emptyArchive("locked.pad");
    CopyHere(path("src"), archive);
    const QString item = write("x.txt", "x");
    QDir().mkpath(path("out"));
    SetOpenFault([&](const QString& p) { return p == archive ? EACCES : 0; });
    struct Row {
        const char* why;
        std::function<void()> call;
        const char* refusal;
    };
    const Row rows[] = {
        {"a reader", [&] { ArchiveReader reader(archive); }, "読み込みできません。"},
        {"the member names", [&] { MemberNames(archive); }, "読み込みできません。"},
        {"one member extracted", [&] { ExtractMember(archive, "Vellumora.txt", path("out")); }, "読み込みできません。"},
        {"an item copied in", [&] { CopyItemHere(item, archive); }, "書き込みできません。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_RAISES(row.call(), E::PermissionDenied);
        EXPECT_EQ(testsupport::RaisedText(row.call), QString::fromUtf8(row.refusal) + QStringLiteral(" (%1)").arg(archive));
    }
    SetOpenFault({});
    EXPECT_EQ(MemberNames(archive), QStringList{QStringLiteral("Vellumora.txt")}) << "no fault: opened";
}

TEST_F(ZipFolder, HostileOrBrokenArchivesAreRefusedAndWriteNothing)
{
    const QByteArray good = MakeZip({{"fine.txt", "fine"}});
    struct Row {
        const char* why;
        QByteArray bytes;
    };
    const std::vector<Row> rows = {
        {"not a zip archive", QByteArray("This is a plain text file and no archive at all.\r\n").repeated(3)},
        {"cut short", good.left(good.size() - 10)},
        {"a parent component", MakeZip({{"fine.txt", "fine"}, {"../escaped.txt", "bad"}})},
        {"a parent component behind a folder", MakeZip({{"a/../../escaped.txt", "bad"}})},
        {"a backslash parent component", MakeZip({{"..\\escaped.txt", "bad"}})},
        {"an absolute name", MakeZip({{"fine.txt", "fine"}, {"/tmp/escaped.txt", "bad"}})},
        {"a drive letter", MakeZip({{"C:/escaped.txt", "bad"}})},
        {"a link", MakeZip({{"fine.txt", "fine"}, {"link", "/etc", 0120777}})},
        {"a stored size past the limit", MakeZip({{"big.bin", "x", 0100644, 0, MaxMemberSize + 1}})},
        {"a lying size on a deflated bomb",
         MakeZip({{"bomb.bin", DeflatedZeros(MaxMemberSize + 1024 * 1024), 0100644, 8, 1000}})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString archive = write("bad.zip", row.bytes);
        const QString out = path("out");
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        EXPECT_RAISES(CopyHere(archive, out), E::Application);
        EXPECT_EQ(tree("out"), QStringList()) << tree("out").join(",").toStdString();
        EXPECT_FALSE(QFile::exists(path("escaped.txt")));
    }
}

TEST_F(ZipFolder, ALinkAlreadyInTheTargetIsNotFollowed)
{
    QDir().mkpath(path("outside"));
    QDir().mkpath(path("out"));
    ASSERT_EQ(::symlink(QFile::encodeName(path("outside")).constData(),
                        QFile::encodeName(path("out/sub")).constData()),
              0);
    const QString archive = write("a.zip", MakeZip({{"sub/planted.txt", "bad"}}));
    EXPECT_RAISES(CopyHere(archive, path("out")), E::Application);
    EXPECT_EQ(tree("outside"), QStringList());
}

TEST_F(ZipFolder, ShiftJisNamesFromOldToolsReadBack)
{
    const QByteArray sjisName("\x93\xfa\x96\x7b.txt"); // 日本.txt without the UTF-8 flag
    const QString archive = write("old.zip", MakeZip({{sjisName, "x"}}));
    EXPECT_EQ(MemberNames(archive), QStringList({QStringLiteral("日本.txt")}));
    QDir().mkpath(path("out"));
    CopyHere(archive, path("out"));
    EXPECT_EQ(read(path(QStringLiteral("out/日本.txt"))), "x");
}

TEST_F(ZipFolder, AReaderFindsTheNamedMemberAndEveryUnsafeNameInOnePass)
{
    struct Row {
        QByteArray stored;
        const char* found; // "" passed over, "match" the name looked for, else "unsafe"
    };
    const Row rows[] = {
        {"extra/000001.txt", ""},
        {"a..b.txt", ""},
        {"Vellumora.txt", "match"},
        {"VELLUMORA.TXT", "match"},
        {"sub/Vellumora.txt", ""},
        {"Vellumora.txt.bak", ""},
        {"../escaped.txt", "unsafe"},
        {"a/../../escaped.txt", "unsafe"},
        {"..\\escaped.txt", "unsafe"},
        {"/tmp/escaped.txt", "unsafe"},
        {"\\escaped.txt", "unsafe"},
        {"C:escaped.txt", "unsafe"},
        {"\x93\xfa\x96\x7b.txt", ""},  // 日本.txt in Shift_JIS
        {"\x95\x5c../x", ""},          // 表../x: its byte 0x5C belongs to 表, so no part is ".."
        {"\x95\x5c/../x", "unsafe"},
    };
    std::vector<Entry> entries;
    for (const Row& row : rows)
        entries.push_back({row.stored, "x"});
    const ArchiveReader reader(write("many.zip", MakeZip(entries)));
    std::vector<std::string> found;
    for (const ArchiveReader::Finding& f : reader.Find(QStringLiteral("Vellumora.txt")))
        found.push_back(std::to_string(f.index) + (f.refusal.isEmpty() ? " match " : " unsafe ") + f.name.toStdString());
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (*rows[i].found)
            expected.push_back(std::to_string(i) + ' ' + rows[i].found + ' ' +
                               platform::codepage::FromShiftJis(rows[i].stored).toStdString());
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(reader.Read(3, 100), QByteArray("x"));
    EXPECT_RAISES(reader.Read(3, 0), E::Application) << "past the limit";
}
