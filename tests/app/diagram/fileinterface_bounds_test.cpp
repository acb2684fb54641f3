// Hostile and oversized inputs, and saves killed part-way: what is refused, with which reason,
// and what a killed save leaves behind.

#include "fileinterface_support.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/system/EndedCopies.h"
#include "platform/vbrt/Error.h"
#include "support/RaisedError.h"
#include "support/TempFolder.h"
#include "support/ZipBytes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QProcess>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumora;
using namespace fileinterface_test;
using namespace testsupport::zipbytes;
using testsupport::RaisedText;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

const QByteArray kDocument = Sjis(QStringLiteral("&&document\r\n&&text\r\nNoteNotShow:False\r\n&&routine\r\n&&text\r\n"
                                                 "定義\r\n&&end-routine\r\n&&end-document\r\n"));
constexpr std::int64_t kPastLimit = DocumentSizeLimit + 1024 * 1024;

QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// An archive holding the document member "Vellumora.txt" of the given bytes packed with bzip2 by
// the zip tool; a declared size of 0 or more is written into its headers in place of the true one.
QByteArray Bzip2Archive(const QString& folder, const QByteArray& member, std::int64_t declaredSize = -1)
{
    QDir().mkpath(folder);
    {
        QFile file(folder + QStringLiteral("/Vellumora.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(member);
    }
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-1"), QStringLiteral("-Z"),
                                      QStringLiteral("bzip2"), QStringLiteral("out.zip"), QStringLiteral("Vellumora.txt")});
    EXPECT_TRUE(zip.waitForFinished(120000));
    EXPECT_EQ(zip.exitCode(), 0);
    QFile file(folder + QStringLiteral("/out.zip"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    QDir(folder).removeRecursively();
    if (declaredSize >= 0) {
        auto patch = [&](qsizetype at) {
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = char((declaredSize >> (8 * i)) & 0xFF);
        };
        patch(22); // the local header's uncompressed size
        patch(bytes.indexOf(QByteArray("PK\x01\x02", 4)) + 24); // the central directory's
    }
    return bytes;
}

class Bounds : public testsupport::TempFolder {
protected:
    void TearDown() override
    {
        PadFileClose();
        PadFileAbandon();
    }
};

} // namespace

TEST_F(Bounds, HostileArchivesAreRefusedWithTheirOwnReason)
{
    const QByteArray head = kDocument.left(kDocument.indexOf("&&end-document"));
    QByteArray bigText = head;
    bigText += QByteArray(kPastLimit, ' ');
    const QByteArray good = MakeZip({{"Vellumora.txt", kDocument}});
    QByteArray damaged = good;
    damaged[damaged.indexOf("&&end-document") + 3] = 'X';
    struct Row {
        const char* why;
        QByteArray bytes;
        QString reason; // a part of the message that tells what is wrong
    };
    const std::vector<Row> rows = {
        {"no zip archive", QByteArray("PK but no archive at all").repeated(4), QStringLiteral("zip 書庫ではありません")},
        {"cut short", good.left(good.size() - 10), QStringLiteral("zip 書庫ではありません")},
        {"a member whose bytes do not match its checksum", damaged, QStringLiteral("項目のデータが壊れています")},
        {"the member is a link", MakeZip({{"Vellumora.txt", "/etc/passwd", 0120777}}), QStringLiteral("リンクの項目")},
        {"the member is encrypted", MakeZip({{"Vellumora.txt", kDocument, 0100644, 0, -1, 1}}),
         QStringLiteral("暗号化された項目")},
        {"an unknown compression method", MakeZip({{"Vellumora.txt", kDocument, 0100644, 1}}),
         QStringLiteral("この圧縮方式の項目")},
        {"a stored size past the limit", MakeZip({{"Vellumora.txt", kDocument, 0100644, 0, kPastLimit}}),
         QStringLiteral("32 MB より大きい")},
        {"more unpacked bytes than the stored size says",
         MakeZip({{"Vellumora.txt", DeflatedZeros(kPastLimit), 0100644, 8, 1000}}), QStringLiteral("32 MB より大きい")},
        {"a member name with a parent part", MakeZip({{"Vellumora.txt", kDocument}, {"../escaped.txt", "bad"}}),
         QStringLiteral("安全でない項目 ../escaped.txt")},
        {"an absolute member name", MakeZip({{"/tmp/Vellumora.txt", kDocument}}), QStringLiteral("安全でない項目")},
        {"two documents apart from letter case",
         MakeZip({{"Vellumora.txt", kDocument}, {"VELLUMORA.TXT", "&&document\r\n"}}),
         QStringLiteral("Vellumora.txt と VELLUMORA.TXT")},
        {"a honest bzip2 member past the limit", Bzip2Archive(path("b1"), bigText), QStringLiteral("32 MB より大きい")},
        {"a bzip2 member that unpacks past its stored size", Bzip2Archive(path("b2"), bigText, 1000),
         QStringLiteral("32 MB より大きい")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_LT(row.bytes.size(), 400 * 1024) << "the fixture is small";
        const QString archive = write("hostile.pad", row.bytes);
        const QString text = RaisedText([&] { PadDocumentOpen(archive); });
        EXPECT_TRUE(text.contains(row.reason)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("hostile.pad"))) << text.toStdString();
        // The reason once, in the program's words: no library's English, no "broken" twice.
        QString words = text;
        words.remove(QRegularExpression(QStringLiteral("\\([^()]*/[^()]*\\)")));  // a path named
        words.remove(QRegularExpression(QStringLiteral("[^\\s]*\\.(pad|txt|TXT)"))).remove(QStringLiteral("zip"));
        EXPECT_FALSE(words.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}")))) << text.toStdString();
        EXPECT_LE(text.count(QStringLiteral("壊れ")), 1) << text.toStdString();
        // Nothing was written, neither beside the archive nor in the work folder.
        EXPECT_EQ(Listing(path()), QStringList{QStringLiteral("hostile.pad")});
        EXPECT_EQ(Listing(FileInterface.ZipWorkFolder), QStringList());
        EXPECT_FALSE(QFile::exists(QFileInfo(path()).path() + QStringLiteral("/escaped.txt")));
    }
}

TEST_F(Bounds, OnlyRegularFilesWithinTheLimitAreRead)
{
    // A plain text past the limit: refused by its size, without being read.
    const QString big = write("big.txt", kDocument);
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), kPastLimit), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.txt")).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.pad")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path("zero.txt")));
    QDir().mkpath(path("folder.txt"));
    struct Row {
        const char* why;
        QString file;
        QString reason;
    };
    const Row rows[] = {
        {"a text past the limit", big, QStringLiteral("32 MB より大きい")},
        {"a pipe named .txt (nobody writes it)", path("pipe.txt"), QStringLiteral("通常のファイルではない")},
        {"a pipe named .pad", path("pipe.pad"), QStringLiteral("通常のファイルではない")},
        {"an endless device", path("zero.txt"), QStringLiteral("通常のファイルではない")},
        {"a folder", path("folder.txt"), QStringLiteral("folder.txt はフォルダのため開けません。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString text = RaisedText([&] { PadDocumentOpen(row.file); });
        EXPECT_TRUE(text.contains(row.reason)) << text.toStdString();
    }
}

// A member that would unpack past the limit, but whose first record is no document header: the
// header is judged on the first piece, before the rest is unpacked.
TEST_F(Bounds, TheFirstRecordIsJudgedBeforeTheRestIsRead)
{
    QByteArray member = Sjis(QStringLiteral("&&routine\r\n&&text\r\nR\r\n"));
    member += QByteArray(kPastLimit, ' ');
    const QString archive = write("wrong.pad", Bzip2Archive(path("wrong"), member, 1000));
    const QString text = RaisedText([&] { PadDocumentOpen(archive); });
    EXPECT_TRUE(text.contains(QStringLiteral("&&document) で始まっていません"))) << text.toStdString();

    // The same head in a plain text: refused for its head, the bytes behind it never judged.
    const QString plain = write("wrong.txt", Sjis(QStringLiteral("# comment\r\n\r\n&&routine\r\n")) + QByteArray("\xff\xff\0", 3));
    EXPECT_TRUE(RaisedText([&] { PadDocumentOpen(plain); }).contains(QStringLiteral("&&document) で始まっていません")));
}

// ---- a save killed part-way, in a second copy of this test program

namespace {

const char kChildTarget[] = "KILLED_SAVE_TARGET";
const char kChildTemporary[] = "KILLED_SAVE_TEMPORARY";

// Runs the killed save in a second copy; gives its process id once it has ended.
qint64 RunKilledSave(const QString& target)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildTarget), target);
    env.insert(QString::fromLatin1(kChildTemporary), platform::filesystem::TemporaryFolder());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=KilledSave.DISABLED_Child")});
    EXPECT_TRUE(child.waitForStarted());
    const qint64 id = child.processId();
    EXPECT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(child.readAllStandardOutput().contains("writing the target")) << "killed during the save";
    return id;
}

} // namespace

// The second copy: saves a document over the target and is killed while writing it. Its work
// files go in the temporary folder of the first copy, as two running copies share one.
TEST(KilledSave, DISABLED_Child)
{
    const QString target = qEnvironmentVariable(kChildTarget);
    ASSERT_FALSE(target.isEmpty());
    FileInterfaceTerm();
    UtilitiesTerminate();
    qputenv("TMPDIR", qgetenv(kChildTemporary));
    UtilitiesInitialize();
    FileInterfaceInit();
    platform::filesystem::SetAtomicWriteHook([target](const QString& file, qint64) {
        if (file != target)
            return;
        printf("writing the target\n");
        fflush(stdout);
        ::raise(SIGKILL);
    });
    PadFileCreate(target);
    for (int i = 0; i < 2000; ++i)
        PadLineWrite(QStringLiteral("a line of the new document %1").arg(i));
    PadFileFinish();
    ADD_FAILURE() << "the save ended";
}

TEST_F(Bounds, AKilledSaveLeavesNothingBesideTheTargetAndTheNextStartRemovesItsWorkFiles)
{
    const QString temporary = platform::filesystem::TemporaryFolder();
    for (const char* name : {"doc.txt", "doc.pad"}) {
        SCOPED_TRACE(name);
        QDir(path("docs")).removeRecursively();
        const QString target = write(QStringLiteral("docs/") + name, "the old document");
        const qint64 child = RunKilledSave(target);
        EXPECT_EQ(Listing(path("docs")), QStringList{QString::fromLatin1(name)}) << "no temporary file beside it";
        EXPECT_EQ(read(target), QByteArray("the old document"));

        // The killed copy's own folder stays; a ".pad" save had packed the document there.
        const QStringList pattern{QStringLiteral("vellumora.%1.*").arg(child)};
        const QStringList left = QDir(temporary).entryList(pattern, QDir::AllEntries | QDir::Hidden);
        ASSERT_EQ(left.size(), 1) << left.join(' ').toStdString();
        if (QString::fromLatin1(name).endsWith(QLatin1String(".pad"))) {
            const QStringList work = QDir(temporary + QLatin1Char('/') + left[0]).entryList(QDir::Files);
            EXPECT_TRUE(work.join(' ').contains(QStringLiteral(".zip"))) << work.join(' ').toStdString();
        }

        // The next start of the program.
        UtilitiesInitialize();
        EXPECT_EQ(QDir(temporary).entryList(pattern, QDir::AllEntries | QDir::Hidden), QStringList());
        EXPECT_TRUE(QDir(FileInterface.ZipWorkFolder).exists()) << "this copy's own work folder stays";
    }
}
