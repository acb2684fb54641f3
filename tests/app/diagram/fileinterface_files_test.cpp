// Document files: plain text and ".pad" archives, refused inputs, atomic saves, file dialogs.

#include "fileinterface_support.h"

#include "app/core/Processing.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/zipfolder/ZipFolder.h"
#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumora;
using namespace fileinterface_test;
namespace ErrorNumber = platform::vbrt::ErrorNumber;
namespace cd = platform::commondialog;

namespace {

const QByteArray kDocument = Sjis(QStringLiteral("&&document\r\n&&text\r\nNoteNotShow:False\r\n&&routine\r\n&&text\r\n"
                                                 "定義\r\n&&end-routine\r\n&&end-document\r\n"));

class Files : public testsupport::TempFolder {
protected:
    void TearDown() override
    {
        PadFileClose();
        PadFileAbandon();
        cd::ClearQueue();
    }

    // An archive made by the zip tool from the given members (name and bytes).
    QString ZipOf(const QString& name, const std::vector<std::pair<QString, QByteArray>>& members)
    {
        const QString folder = path(name + QStringLiteral(".d"));
        QStringList names;
        for (const auto& [member, bytes] : members) {
            write(name + QStringLiteral(".d/") + member, bytes);
            names << member;
        }
        const QString archive = path(name);
        QProcess zip;
        zip.setWorkingDirectory(folder);
        zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), archive} + names);
        EXPECT_TRUE(zip.waitForFinished()) << "zip did not run";
        EXPECT_EQ(zip.exitCode(), 0);
        return archive;
    }

    static QByteArray Unzipped(const QString& archive, const QString& member)
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
        EXPECT_TRUE(unzip.waitForFinished());
        EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardError().toStdString();
        return unzip.readAllStandardOutput();
    }

    static QStringList UnzipList(const QString& archive)
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
        EXPECT_TRUE(unzip.waitForFinished());
        return QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Saves the sample text to path through the output, record by record.
    void SaveRecordsOf(const QString& source, const QString& target)
    {
        PadFileOpen(source);
        const std::vector<PadInfoRecord> records = ReadRecords();
        PadFileClose();
        PadFileCreate(target);
        for (const PadInfoRecord& r : records)
            PadInfoWrite(r);
        PadFileFinish();
    }
};

TEST_F(Files, PadIsTheExtensionInAnyLetterCase)
{
    struct Row {
        const char* path;
        bool pad;
    };
    const Row rows[] = {{"a.pad", true}, {"/x/y/B.PAD", true}, {"c.Pad", true}, {"d.pad.txt", false},
                        {"e", false},    {"pad", false},       {"f.pad/g", false}, {"h.pa", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(IsPadFile(QString::fromLatin1(row.path)), row.pad);
    }
}

TEST_F(Files, APadWrittenHereHoldsOneMemberEqualToTheText)
{
    for (const char* name : kSamples) {
        SCOPED_TRACE(name);
        const QString text = SamplePath(QLatin1String(name) + QLatin1String(".txt"));
        const QString pad = path(QLatin1String(name) + QLatin1String(".pad"));
        SaveRecordsOf(text, pad);
        EXPECT_EQ(UnzipList(pad), QStringList{QStringLiteral("Vellumora.txt")});
        EXPECT_EQ(Unzipped(pad, QStringLiteral("Vellumora.txt")), read(text));

        // And it reads back to the same records as the text.
        SaveRecordsOf(pad, path(QStringLiteral("again.txt")));
        EXPECT_EQ(read(path(QStringLiteral("again.txt"))), read(text));
    }
}

TEST_F(Files, APadIsReadThroughItsDocumentMemberOnly)
{
    const QString pad = ZipOf(QStringLiteral("mixed.pad"), {{QStringLiteral("readme.txt"), "not a document"},
                                                           {QStringLiteral("VELLUMORA.TXT"), kDocument},
                                                           {QStringLiteral("other.bin"), QByteArray(100, '\0')}});
    PadDocumentOpen(pad);
    EXPECT_EQ(GetPadInfo().tagId, TagId::Document);
    EXPECT_EQ(Describe(GetPadInfo()), "3 text=[定義]");
    PadFileClose();
    EXPECT_EQ(QDir(FileInterface.ZipWorkFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList()) << "nothing else is extracted, and the member does not stay";
}

TEST_F(Files, RefusedInputsLeaveTheOpenInputAsItWas)
{
    const QString good = write(QStringLiteral("good.txt"), kDocument);
    const QString pad = ZipOf(QStringLiteral("good.pad"), {{QStringLiteral("Vellumora.txt"), kDocument}});
    QByteArray truncated = read(pad);
    truncated.chop(truncated.size() / 2);

    struct Row {
        const char* why;
        QString file;
        std::int32_t error;
    };
    const std::vector<Row> rows = {
        {"a missing file", path(QStringLiteral("missing.txt")), ErrorNumber::FileNotFound},
        {"a missing .pad", path(QStringLiteral("missing.pad")), ErrorNumber::FileNotFound},
        {"an empty file", write(QStringLiteral("empty.txt"), ""), ErrorNumber::Application},
        {"a binary file", write(QStringLiteral("binary.txt"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
         ErrorNumber::Application},
        {"bytes that are not Shift_JIS", write(QStringLiteral("latin.txt"), "&&document\r\n&&text\r\ncaf\xe9\xff\r\n"),
         ErrorNumber::Application},
        {"a document without its header", write(QStringLiteral("noheader.txt"), "&&routine\r\n&&text\r\nR\r\n"),
         ErrorNumber::Application},
        {"a first line that is no tag", write(QStringLiteral("prose.txt"), "Dear reader,\r\n"), ErrorNumber::Application},
        {"a truncated .pad", write(QStringLiteral("truncated.pad"), truncated), ErrorNumber::Application},
        {"a text named .pad", write(QStringLiteral("plain.pad"), kDocument), ErrorNumber::Application},
        {"an empty archive", write(QStringLiteral("empty.pad"), platform::zipfolder::EmptyArchive()),
         ErrorNumber::Application},
        {"an archive without the member", ZipOf(QStringLiteral("other.pad"), {{QStringLiteral("notes.txt"), kDocument}}),
         ErrorNumber::Application},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PadFileOpen(good);
        ASSERT_EQ(GetPadInfo().tagId, TagId::Document);
        EXPECT_RAISES(PadDocumentOpen(row.file), row.error);
        EXPECT_EQ(Describe(GetPadInfo()), "3 text=[定義]") << "the input open before goes on";
        PadFileClose();
    }
}

TEST_F(Files, AFileThatDoesNotBeginAsADocumentSaysWhy)
{
    struct Row {
        const char* why;
        QByteArray bytes;
        QString message;
    };
    const Row rows[] = {
        {"a first line that is no tag at all", "Dear reader,\r\n&&document\r\n",
         QStringLiteral("定義されていないﾀｸﾞです。\r\n(doc.txt の 1 行目)")},
        {"after comments and blank lines", "# a note\r\n\r\n  \r\nplain text\r\n",
         QStringLiteral("定義されていないﾀｸﾞです。\r\n(doc.txt の 4 行目)")},
        {"after comments with CR alone", "# a note\r# another\r\rplain text\r",
         QStringLiteral("定義されていないﾀｸﾞです。\r\n(doc.txt の 4 行目)")},
        {"a tag that is not defined", "&&documents\r\n", QStringLiteral("定義されていないﾀｸﾞです。\r\n(doc.txt の 1 行目)")},
        {"a known tag other than the header", "&&routine\r\n&&text\r\nR\r\n",
         QStringLiteral("doc.txt は文書の先頭 (&&document) で始まっていません。")},
        {"an empty file", "", QStringLiteral("doc.txt には文書が入っていません。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString file = write(QStringLiteral("doc.txt"), row.bytes);
        QString message;
        try {
            PadDocumentOpen(file);
        } catch (const platform::vbrt::Error& e) {
            EXPECT_EQ(e.number(), ErrorNumber::Application);
            message = e.description();
        }
        EXPECT_EQ(message, row.message);
    }
}

TEST_F(Files, AnArchiveWithAnUnsafeEntryIsRefused)
{
    // The zip tool keeps "../" in a name only when told to; build the archive from a sub folder.
    write(QStringLiteral("outside.txt"), "x");
    const QString folder = path(QStringLiteral("inner"));
    write(QStringLiteral("inner/Vellumora.txt"), kDocument);
    const QString archive = path(QStringLiteral("unsafe.pad"));
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), archive, QStringLiteral("Vellumora.txt"),
                                      QStringLiteral("../outside.txt")});
    ASSERT_TRUE(zip.waitForFinished());
    ASSERT_TRUE(UnzipList(archive).contains(QStringLiteral("../outside.txt"))) << UnzipList(archive).join(' ').toStdString();

    EXPECT_RAISES(PadFileOpen(archive), ErrorNumber::Application);
}

TEST_F(Files, AFailedSaveRaisesKeepsTheOldFileAndTheModifiedFlag)
{
    // Every write past the first hundred bytes fails as a lost device would, for any user.
    platform::filesystem::SetAtomicWriteFault([](qint64 written, qint64 size) { return written + size > 100 ? EIO : 0; });
    for (const char* name : {"doc.txt", "doc.pad"}) {
        SCOPED_TRACE(name);
        const QString target = write(QStringLiteral("failing-") + QLatin1String(name), "old contents");
        ApplicationGlobals.DocumentName = target;
        ApplicationGlobals.ModifyFlag = true;
        B.clear();
        bool raised = false;
        try {
            PadFileSave();
        } catch (const platform::vbrt::Error&) {
            raised = true;
        }
        EXPECT_TRUE(raised);
        EXPECT_EQ(read(target), QByteArray("old contents"));
        EXPECT_TRUE(ApplicationGlobals.ModifyFlag);
        EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden).filter(QLatin1String(name)).size(), 1)
            << "no partial file is left beside the target";
    }
    platform::filesystem::SetAtomicWriteFault({});
}

// A save asks the file's own permission before it replaces the file, as a write in place would:
// a read-only document, or one only others may write (the access check's answer, so that the
// refusal shows whoever runs the test), is refused with the file layer's error and kept whole.
TEST_F(Files, ASaveOverAFileTheUserMayNotWriteIsRefusedAndKeepsIt)
{
    struct Row {
        const char* why;
        unsigned mode;
        int refusal;  // what the access check answers for the document
    };
    const Row rows[] = {
        {"a read-only document", 0444, 0},
        {"a document only others may write", 0644, EACCES},
    };
    for (const Row& row : rows) {
        for (const char* name : {"doc.txt", "doc.pad"}) {
            SCOPED_TRACE(std::string(row.why) + " " + name);
            const QString target = write(QLatin1String(name), "old contents");
            ::chmod(QFile::encodeName(target).constData(), row.mode);
            platform::filesystem::SetWriteAccessFault([&](const QString& p) { return p == target ? row.refusal : 0; });
            ApplicationGlobals.DocumentName = target;
            ApplicationGlobals.ModifyFlag = true;
            B.clear();
            EXPECT_RAISES(PadFileSave(), ErrorNumber::PermissionDenied);
            platform::filesystem::SetWriteAccessFault({});
            EXPECT_EQ(read(target), QByteArray("old contents"));
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, row.mode);
            EXPECT_TRUE(ApplicationGlobals.ModifyFlag);
            EXPECT_EQ(QDir(path()).entryList(QStringList{QLatin1String(name) + QLatin1Char('*')}, QDir::Files | QDir::Hidden),
                      QStringList{QLatin1String(name)});
            ::chmod(QFile::encodeName(target).constData(), 0644);
            QFile::remove(target);
        }
    }
}

TEST_F(Files, ASaveOntoAFullDiskRaisesKeepsTheOldFileAndTheModifiedFlag)
{
    // A file-size limit makes every write past it fail as a full disk does, for any user.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    for (const char* name : {"doc.txt", "doc.pad"}) {
        SCOPED_TRACE(name);
        const QString target = write(QLatin1String(name), "old contents");
        ApplicationGlobals.DocumentName = target;
        ApplicationGlobals.ModifyFlag = true;
        B.clear();
        rlimit small = saved;
        small.rlim_cur = 512; // the settings text alone is larger
        ::setrlimit(RLIMIT_FSIZE, &small);
        bool raised = false;
        try {
            PadFileSave();
        } catch (const platform::vbrt::Error&) {
            raised = true;
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_TRUE(raised);
        EXPECT_EQ(read(target), QByteArray("old contents"));
        EXPECT_TRUE(ApplicationGlobals.ModifyFlag);
        EXPECT_EQ(QDir(path()).entryList(QStringList{QLatin1String(name) + QLatin1Char('*')}, QDir::Files | QDir::Hidden),
                  QStringList{QLatin1String(name)})
            << "nothing is left beside the target";
    }
}

TEST_F(Files, ASaveThatMeetsAnUnwritableCharacterKeepsTheOldFile)
{
    for (const char* name : {"doc.txt", "doc.pad"}) {
        SCOPED_TRACE(name);
        const QString target = write(QLatin1String(name), "old contents");
        ApplicationGlobals.DocumentName = target;
        ApplicationGlobals.ModifyFlag = true;
        ApplicationGlobals.DocumentFontName = QStringLiteral("Noto \U0001F600");
        B.clear();
        EXPECT_RAISES(PadFileSave(), ErrorNumber::Application);
        EXPECT_EQ(read(target), QByteArray("old contents"));
        EXPECT_TRUE(ApplicationGlobals.ModifyFlag);
        ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");

        // The next save starts afresh and succeeds.
        PadFileSave();
        EXPECT_FALSE(ApplicationGlobals.ModifyFlag);
        PadDocumentOpen(target);
        EXPECT_EQ(GetPadInfo().tagId, TagId::Document);
        PadFileClose();
    }
}

TEST_F(Files, SaveWritesThePathPartOfTheDocumentName)
{
    const QString target = path(QStringLiteral("titled.txt"));
    ApplicationGlobals.DocumentName = target + QStringLiteral("\t表題");
    B.clear();
    PadFileSave();
    EXPECT_TRUE(QFileInfo::exists(target));

    ApplicationGlobals.DocumentName = QStringLiteral("\t(新規追加)");
    EXPECT_RAISES(PadFileSave(), ErrorNumber::BadFileNameOrNumber);
}

TEST_F(Files, OpenDialogTakesTheChosenFileAndRemembersItsFolder)
{
    const QString chosen = write(QStringLiteral("docs/a.pad"), kDocument);
    ApplicationGlobals.LastFolder = path();
    cd::QueueFileName(chosen);
    QString result = QStringLiteral("unchanged");
    cd::CommonDialog dialog;
    ASSERT_TRUE(FileOpenDialog(dialog, result));
    EXPECT_EQ(result, chosen);
    EXPECT_EQ(ApplicationGlobals.LastFolder, path(QStringLiteral("docs")));
    ASSERT_EQ(cd::ShownDialogs().size(), 1u);
    const cd::Shown& shown = cd::ShownDialogs()[0];
    EXPECT_FALSE(shown.save);
    EXPECT_EQ(shown.initDir, path());
    EXPECT_EQ(shown.flags, 0x281004);
    EXPECT_EQ(shown.defaultExt, QStringLiteral(".txt"));
    EXPECT_EQ(shown.filter, QStringLiteral("PADﾌｧｲﾙ(*.pad)|*.pad|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*"));
    EXPECT_EQ(shown.filterIndex, 1);

    cd::QueueCancel();
    EXPECT_FALSE(FileOpenDialog(dialog, result));
    EXPECT_EQ(result, chosen) << "a cancel leaves the path";
    EXPECT_EQ(ApplicationGlobals.LastFolder, path(QStringLiteral("docs")));
}

TEST_F(Files, SaveDialogProposesTheDocumentsNameAndSetsTheNewOne)
{
    ApplicationGlobals.LastFolder.clear();
    ApplicationGlobals.DocumentName = path(QStringLiteral("old/report.txt"));
    const QString chosen = path(QStringLiteral("new/chart"));
    cd::QueueFileName(chosen);
    cd::CommonDialog dialog;
    ASSERT_TRUE(FileSaveDialog(dialog));
    EXPECT_EQ(ApplicationGlobals.DocumentName, chosen + QStringLiteral(".pad")) << "the default extension is added";
    EXPECT_EQ(ApplicationGlobals.LastFolder, path(QStringLiteral("new")));
    const cd::Shown& shown = cd::ShownDialogs().at(0);
    EXPECT_TRUE(shown.save);
    EXPECT_EQ(shown.fileName, QStringLiteral("report"));
    EXPECT_EQ(shown.flags, 0x280006);
    EXPECT_EQ(shown.defaultExt, QStringLiteral(".pad"));
    EXPECT_EQ(shown.initDir, QDir::homePath()) << "nothing stored: the home folder, having no documents folder";

    // A new document without a file proposes no name; a cancel keeps the document name.
    ApplicationGlobals.DocumentName = QStringLiteral("\t(新規追加)");
    cd::QueueCancel();
    EXPECT_FALSE(FileSaveDialog(dialog));
    EXPECT_EQ(cd::ShownDialogs().at(1).fileName, QString());
    EXPECT_EQ(ApplicationGlobals.DocumentName, QStringLiteral("\t(新規追加)"));
}

TEST_F(Files, SaveAsTakesTheExtensionOfTheFileTypeChosen)
{
    struct Row {
        const char* why;
        const char* typed;
        std::int16_t type; // 1 ".pad", 2 ".txt", 3 every file
        const char* written;
    };
    const Row rows[] = {
        {"the archive type", "chart", 1, "chart.pad"},
        {"the text type", "chart", 2, "chart.txt"},
        {"every file: the default", "chart", 3, "chart.pad"},
        {"an extension typed wins", "chart.pad", 2, "chart.pad"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QByteArray archive = read(ZipOf(QStringLiteral("chart.pad"), {{QStringLiteral("Vellumora.txt"), kDocument}}));
        QFile::remove(path(QStringLiteral("chart.txt")));
        B.clear();
        cd::QueueFileName(path(QString::fromLatin1(row.typed)), row.type);
        cd::CommonDialog dialog;
        ASSERT_TRUE(FileSaveDialog(dialog));
        EXPECT_EQ(ApplicationGlobals.DocumentName, path(QString::fromLatin1(row.written)));
        PadFileSave();
        if (row.type == 2 && QByteArray(row.written).endsWith(".txt")) {
            EXPECT_EQ(read(path(QStringLiteral("chart.pad"))), archive) << "the archive of that name is left alone";
            EXPECT_TRUE(read(path(QStringLiteral("chart.txt"))).startsWith("&&document"));
        }
    }
}

TEST_F(Files, DialogsStartInTheDocumentsFolderWhenNothingIsStored)
{
    // A user's chart never lands in the program's folder (the build tree) by default.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(documents.startsWith(QDir::homePath()));
    ASSERT_TRUE(QDir().mkpath(documents));
    ApplicationGlobals.LastFolder.clear();
    ApplicationGlobals.DocumentName.clear();
    cd::QueueCancel();
    cd::CommonDialog dialog;
    QString chosen;
    EXPECT_FALSE(FileOpenDialog(dialog, chosen));
    EXPECT_EQ(cd::ShownDialogs().at(0).initDir, documents);
    QDir(documents).removeRecursively();
}

} // namespace
