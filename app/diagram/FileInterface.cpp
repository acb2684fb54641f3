// The files beneath the tagged text: a document file read whole, the ".pad" container read and
// packed, the work folder, the module's start and end, the save and the open and save-as dialogs.

#include "app/diagram/FileInterface.h"

#include "app/diagram/FileInterfaceFiles.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/core/WorkFileNames.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/zipfolder/ZipFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;
namespace fs = platform::filesystem;
namespace zf = platform::zipfolder;

// The document member of a ".pad" archive. Readers match it without regard to letter case.
const QString kMemberName = PadMemberName;

// The work folder and work archive of ".pad" files: those of the start routine, or, before it
// has run, a private folder of this process.
const QString& FallbackFolder()
{
    static QTemporaryDir dir(fs::TemporaryFolder() + QStringLiteral("/vellumora-zipwork-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

// The work names of ".pad" files, named again at every use: a run folder removed while the
// program runs is made again under a new name, and the names go with it.
void ZipWorkNamesSet()
{
    const QString work = TemporaryFileName(QString(PadWorkPart));
    FileInterface.ZipWorkFile = work + PadWorkArchiveEnd;
    FileInterface.ZipWorkFolder = work + PadWorkFolderEnd;
    FileInterface.ZipMemberFile = FileInterface.ZipWorkFolder + QLatin1Char('/') + kMemberName;
}

QString WorkFolder()
{
    if (FileInterface.ZipWorkFolder.isEmpty())
        return FallbackFolder();
    ZipWorkNamesSet();
    const QString& folder = FileInterface.ZipWorkFolder;
    if (!fs::FolderExists(folder))
        fs::CreateFolder(folder);
    return folder;
}

QString MemberFile()
{
    const QString folder = WorkFolder();
    return FileInterface.ZipMemberFile.isEmpty() ? folder + QLatin1Char('/') + kMemberName : FileInterface.ZipMemberFile;
}

QString WorkArchive()
{
    if (FileInterface.ZipWorkFile.isEmpty())
        return FallbackFolder() + QStringLiteral("/zipwork.zip");
    ZipWorkNamesSet();
    return FileInterface.ZipWorkFile;
}

void RemoveQuietly(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

QByteArray ReadWholeFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("PadFileOpen"), path);
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw vbrt::Error(vbrt::ErrorNumber::IoError, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    return bytes;
}

[[noreturn]] void RaiseTooLarge(const QString& path)
{
    vbrt::Raise(QStringLiteral("PadFileOpen"),
                QStringLiteral("%1 は %2 MB より大きいため開けません。")
                    .arg(fs::GetFileName(path))
                    .arg(DocumentSizeLimit / (1024 * 1024)));
}

// A path that is no regular file (a folder, a device, a pipe) is refused before it is read.
void CheckRegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("PadFileOpen"), path);
    if (S_ISDIR(st.st_mode))
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("%1 はフォルダのため開けません。").arg(path));
    if (!S_ISREG(st.st_mode))
        vbrt::Raise(QStringLiteral("PadFileOpen"),
                    QStringLiteral("%1 は通常のファイルではないため開けません。").arg(fs::GetFileName(path)));
}

// The folder the file dialogs start in: the last one of this run, else the stored one, else the
// user's documents folder (the home folder when there is none). Never the program's folder: a
// chart saved there would land in the build tree.
void StartFolderSet()
{
    const QString stored =
        CommonServices ? CommonServices->GetRegistry(QStringLiteral("File"), QStringLiteral("Path")) : QString();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString user = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    ApplicationGlobals.LastFolder = StringDefault(StringDefault(ApplicationGlobals.LastFolder, stored), user);
}

} // namespace

namespace padfile {

[[noreturn]] void RaiseNotOpen(const char* source)
{
    throw vbrt::Error(vbrt::ErrorNumber::BadFileNameOrNumber, QString::fromLatin1(source),
                      QStringLiteral("ファイルが開かれていません。"));
}

QByteArray ReadDocumentFile(const QString& path, const HeadCheck& head)
{
    CheckRegularFile(path);
    // Not blocking: what was checked may have been swapped for a pipe meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        vbrt::Raise(QStringLiteral("PadFileOpen"),
                    QStringLiteral("%1 は通常のファイルではないため開けません。").arg(fs::GetFileName(path)));
    if (st.st_size > DocumentSizeLimit)
        RaiseTooLarge(path);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    bool judged = !head;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw vbrt::Error(vbrt::ErrorNumber::IoError, QStringLiteral("PadFileOpen"),
                              QStringLiteral("ファイル %1 を読めません。").arg(path));
        if (n == 0)
            break;
        // The file may grow while it is read: the bytes themselves are counted.
        if (bytes.size() + n > DocumentSizeLimit)
            RaiseTooLarge(path);
        bytes.append(buffer, n);
        if (!judged)
            judged = head(bytes);
    }
    return bytes;
}

QByteArray ReadPadMember(const QString& path, const HeadCheck& head)
{
    const QString source = QStringLiteral("PadFileOpen");
    const QString name = fs::GetFileName(path);
    CheckRegularFile(path);
    std::optional<zf::ArchiveReader> archive;
    try {
        archive.emplace(path);
    } catch (const vbrt::Error& e) {
        vbrt::Raise(source, QStringLiteral("%1 は .pad ファイルとして開けません。%2").arg(name, e.description()));
    }
    // The archive is read once: only the entries that are unsafe or carry the document's name
    // come back, in archive order.
    std::int64_t member = -1;
    QString memberName;
    for (const zf::ArchiveReader::Finding& entry : archive->Find(kMemberName)) {
        if (!entry.refusal.isEmpty())
            vbrt::Raise(source,
                        QStringLiteral("%1 に安全でない項目 %2 があるため開けません。%3").arg(name, entry.name, entry.refusal));
        // Archive order must not decide which of two documents opens.
        if (member >= 0)
            vbrt::Raise(source,
                        QStringLiteral("%1 には文書が %2 と %3 の二つあるため開けません。").arg(name, memberName, entry.name));
        member = entry.index;
        memberName = entry.name;
    }
    if (member < 0)
        vbrt::Raise(source, QStringLiteral("%1 に文書 %2 が入っていません。").arg(name, kMemberName));

    try {
        return archive->Read(member, DocumentSizeLimit, head);
    } catch (const vbrt::Error& e) {
        if (e.source() != QLatin1String("ReadMember"))
            throw; // the head check's own refusal
        vbrt::Raise(source, QStringLiteral("%1 は読めません。%2").arg(name, e.description()));
    }
}

void WritePadArchive(const QString& target, const QByteArray& bytes)
{
    const QString member = MemberFile();
    const QString archive = WorkArchive();
    struct Cleanup {
        QString member, archive;
        ~Cleanup()
        {
            RemoveQuietly(member);
            RemoveQuietly(archive);
        }
    } cleanup{member, archive};

    RemoveQuietly(member);
    RemoveQuietly(archive);
    // Scratch files, gone once the archive is in place: only the target waits for the disk.
    fs::WriteWorkFile(member, bytes);
    fs::WriteWorkFile(archive, zf::EmptyArchive());
    zf::CopyItemHere(member, archive);
    // An archive that did not grow past the empty one, or lacks its member, never replaces a document.
    if (QFileInfo(archive).size() <= zf::EmptyArchive().size() || zf::MemberNames(archive) != QStringList{kMemberName})
        vbrt::Raise(QStringLiteral("PadFileFinish"),
                    QStringLiteral("%1 を作れませんでした。ファイルは保存されていません。").arg(fs::GetFileName(target)));
    fs::WriteFileAtomically(target, ReadWholeFile(archive));
}

bool IsWorkFile(const QString& target)
{
    return IsTemporaryFileName(target);
}

} // namespace padfile

// ---------------------------------------------------------------------------------------------
// Files

void FileInterfaceInit()
{
    FileInterface.FileFilterTable = {{{QStringLiteral("PADﾌｧｲﾙ(*.pad)|*.pad"), QStringLiteral("pad")},
                                      {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt"), QStringLiteral("txt")},
                                      {QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*"), QString()}}};
    FileInterface.FileFilter = FileInterface.FileFilterTable[0].filter + QLatin1Char('|') +
                               FileInterface.FileFilterTable[1].filter + QLatin1Char('|') +
                               FileInterface.FileFilterTable[2].filter;
    ZipWorkNamesSet();
    FileInterface.SaveTargetFile.clear();
    CommonServices->CreateFolder(FileInterface.ZipWorkFolder);
}

void FileInterfaceTerm()
{
    // The work archive and work folder lie in the run folder, which goes whole when the utilities
    // end, by what was made and never by a name: nothing here removes anything.
    FileInterface.FileFilterTable = {};
    FileInterface.ZipWorkFile.clear();
    FileInterface.ZipWorkFolder.clear();
    FileInterface.ZipMemberFile.clear();
}

bool IsPadFile(const QString& path)
{
    return fs::GetExtensionName(path).compare(QLatin1String("pad"), Qt::CaseInsensitive) == 0;
}

void PadFileSave()
{
    PadFileCreate(ApplicationGlobals.DocumentName);
    try {
        PadDocumentWrite(true, false);
        PadFileFinish();
    } catch (...) {
        PadFileAbandon();
        throw;
    }
    ApplicationGlobals.ModifyFlag = false;
}

bool FileOpenDialog(platform::commondialog::CommonDialog& dialog, QString& path)
{
    namespace cd = platform::commondialog;
    StartFolderSet();
    try {
        dialog.CancelError = true;
        dialog.InitDir = ApplicationGlobals.LastFolder;
        dialog.FileName.clear();
        dialog.Flags = cd::Flags::HideReadOnly | cd::Flags::FileMustExist | cd::Flags::Explorer | cd::Flags::LongNames;
        dialog.DefaultExt = QStringLiteral(".txt");
        dialog.Filter = FileInterface.FileFilter;
        dialog.FilterIndex = 1;
        dialog.ShowOpen();
        path = dialog.FileName;
        ApplicationGlobals.LastFolder = dialog.InitDir;
        return true;
    } catch (const vbrt::Error&) {
        return false;
    }
}

bool FileSaveDialog(platform::commondialog::CommonDialog& dialog)
{
    namespace cd = platform::commondialog;
    StartFolderSet();
    try {
        const QString savePath = DocumentSavePath(ApplicationGlobals.DocumentName);
        dialog.CancelError = true;
        dialog.InitDir = ApplicationGlobals.LastFolder;
        dialog.FileName = savePath.contains(QLatin1Char('/')) ? fs::GetBaseName(fs::GetFileName(savePath)) : QString();
        dialog.Flags = cd::Flags::OverwritePrompt | cd::Flags::HideReadOnly | cd::Flags::Explorer | cd::Flags::LongNames;
        dialog.DefaultExt = QLatin1Char('.') + FileInterface.FileFilterTable[0].extension;
        dialog.Filter = FileInterface.FileFilter;
        dialog.FilterIndex = 1;
        dialog.ShowSave();
        ApplicationGlobals.DocumentName = dialog.FileName;
        const qsizetype slash = dialog.FileName.lastIndexOf(QLatin1Char('/'));
        ApplicationGlobals.LastFolder = slash > 0 ? dialog.FileName.left(slash) : QStringLiteral("/");
        return true;
    } catch (const vbrt::Error&) {
        return false;
    }
}

} // namespace vellumora
