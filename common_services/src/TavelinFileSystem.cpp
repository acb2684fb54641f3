// The library's file, folder and zip operations. Each method runs one procedure; the procedures
// hand their call to platform/filesystem or platform/zipfolder and add only the library's own
// answers for what is absent.

#include "TavelinFileSystem.h"

#include "TavelinComObject.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/filesystem/HostError.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"
#include "platform/zipfolder/ZipFolder.h"

#include <limits>

namespace tavelin {

namespace fs = platform::filesystem;
namespace zip = platform::zipfolder;

namespace {

// Paths listed under a folder are the folder path as given, "/" and the name: a caller's
// trailing "/" is kept, which doubles it (harmless on this platform).
StringArray PathsUnder(const QString& folderPath, const QStringList& names)
{
    StringArray paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths.append(folderPath + QLatin1Char('/') + name);
    return paths;
}

} // namespace

void FsCopyFile(const QString& fromPath, const QString& toPath) { fs::CopyFile(fromPath, toPath, true); }

void FsCopyFolder(const QString& fromPath, const QString& toPath) { fs::CopyFolder(fromPath, toPath, true); }

// Every item of the first path (a folder or an archive) goes into the second; the copy is
// complete, or has failed with an error, when the call returns.
void ZipCopyFrom(const QString& sourceFolderPath, const QString& zipFilePath)
{
    zip::CopyHere(FsGetAbsolutePathName(sourceFolderPath), FsGetAbsolutePathName(zipFilePath));
}

// The archive is written and in place when the call returns: no waiting for it is needed.
void ZipCopyTo(const QString& sourceFilePath, const QString& destinationZipFilePath)
{
    const QString folder = FsGetAbsolutePathName(FsGetParentFolderName(sourceFilePath));
    zip::CopyItemHere(folder + QLatin1Char('/') + FsGetFileName(sourceFilePath),
                      FsGetAbsolutePathName(destinationZipFilePath));
}

void FsCreateFolder(const QString& folderPath)
{
    if (!fs::FolderExists(folderPath))
        fs::CreateFolder(folderPath);
}

TextStreamObject FsCreateTextFile(const QString& filePath) { return fs::CreateTextFile(filePath, true); }

void FsCreateTextFileAndWrite(const QString& filePath, const QString& writeText)
{
    const TextStreamObject stream = FsCreateTextFile(filePath);
    stream->Write(writeText);
    stream->Close();
}

void ZipFileCreate(const QString& filePath)
{
    FsCreateTextFileAndWrite(filePath, QString::fromLatin1(zip::EmptyArchive()));
}

void FsDeleteFile(const QString& filePath)
{
    if (fs::FileExists(filePath))
        fs::DeleteFile(filePath, true);
}

void FsDeleteFolder(const QString& folderPath)
{
    if (fs::FolderExists(folderPath))
        fs::DeleteFolder(folderPath, false);
}

bool FsDriveExists(const QString& driveSpec) { return fs::DriveExists(driveSpec); }
bool FsFileExists(const QString& filePath) { return fs::FileExists(filePath); }
bool FsFolderExists(const QString& folderPath) { return fs::FolderExists(folderPath); }
QString FsGetAbsolutePathName(const QString& filePath) { return fs::GetAbsolutePathName(filePath); }
QString FsGetBaseName(const QString& path) { return fs::GetBaseName(path); }
QString FsGetDrive(const QString& path) { return fs::GetDrive(FsGetAbsolutePathName(path)); }
QString FsGetDriveName(const QString& path) { return fs::GetDriveName(path); }
QString FsGetExtensionName(const QString& filePath) { return fs::GetExtensionName(filePath); }
FileObject FsGetFile(const QString& filePath) { return fs::GetFile(filePath); }

QString FsGetFileDateTime(const QString& filePath)
{
    if (!fs::FileExists(filePath))
        return {};
    const QDateTime modified = fs::GetFile(filePath)->DateLastModified();
    return modified.isValid() ? platform::vbrt::FormatTimeStamp(modified) : QString();
}

QString FsGetFileName(const QString& filePath) { return fs::GetFileName(filePath); }

std::int32_t FsGetFileSize(const QString& filePath)
{
    if (!fs::FileExists(filePath))
        return -1;
    const std::int64_t size = fs::GetFile(filePath)->Size();
    if (size > std::numeric_limits<std::int32_t>::max())
        fs::RaiseNumber(platform::vbrt::ErrorNumber::Overflow, QStringLiteral("GetFileSize"), filePath);
    return static_cast<std::int32_t>(size);
}

StringArray FsGetFilesPath(const QString& folderPath)
{
    return PathsUnder(folderPath, fs::GetFolder(folderPath)->Files());
}

FolderObject FsGetFolder(const QString& folderPath) { return fs::GetFolder(folderPath); }
QString FsGetParentFolderName(const QString& path) { return fs::GetParentFolderName(path); }

StringArray FsGetSubFoldersPath(const QString& folderPath)
{
    return PathsUnder(folderPath, fs::GetFolder(folderPath)->SubFolders());
}

void FsMoveFile(const QString& fromPath, const QString& toPath) { fs::MoveFile(fromPath, toPath); }
void FsMoveFolder(const QString& fromPath, const QString& toPath) { fs::MoveFolder(fromPath, toPath); }

QVariant FsSetCurrentDirectory(const QString& path)
{
    return QVariant::fromValue<std::int32_t>(platform::system::SetCurrentFolder(path) ? 1 : 0);
}

QString FsTemporaryFolder() { return fs::TemporaryFolder(); }

// ---- the methods

void TavelinComObject::CopyFile(const QString& fromPath, const QString& toPath) { FsCopyFile(fromPath, toPath); }
void TavelinComObject::CopyFolder(const QString& fromPath, const QString& toPath) { FsCopyFolder(fromPath, toPath); }
void TavelinComObject::CopyHereFromZip(const QString& sourceFolderPath, const QString& zipFilePath)
{
    ZipCopyFrom(sourceFolderPath, zipFilePath);
}
void TavelinComObject::CopyHereToZip(const QString& sourceFilePath, const QString& destinationZipFilePath)
{
    ZipCopyTo(sourceFilePath, destinationZipFilePath);
}
void TavelinComObject::CreateFolder(const QString& folderPath) { FsCreateFolder(folderPath); }
TextStreamObject TavelinComObject::CreateTextFile(const QString& filePath) { return FsCreateTextFile(filePath); }
void TavelinComObject::CreateTextFileAndWrite(const QString& filePath, const QString& writeText)
{
    FsCreateTextFileAndWrite(filePath, writeText);
}
void TavelinComObject::CreateZipFile(const QString& filePath) { ZipFileCreate(filePath); }
void TavelinComObject::DeleteFile(const QString& filePath) { FsDeleteFile(filePath); }
void TavelinComObject::DeleteFolder(const QString& folderPath) { FsDeleteFolder(folderPath); }
bool TavelinComObject::DriveExists(const QString& driveSpec) { return FsDriveExists(driveSpec); }
bool TavelinComObject::FileExists(const QString& filePath) { return FsFileExists(filePath); }
bool TavelinComObject::FolderExists(const QString& folderPath) { return FsFolderExists(folderPath); }
QString TavelinComObject::GetAbsolutePathName(const QString& filePath) { return FsGetAbsolutePathName(filePath); }
QString TavelinComObject::GetBaseName(const QString& path) { return FsGetBaseName(path); }
QString TavelinComObject::GetDrive(const QString& path) { return FsGetDrive(path); }
QString TavelinComObject::GetDriveName(const QString& path) { return FsGetDriveName(path); }
QString TavelinComObject::GetExtensionName(const QString& filePath) { return FsGetExtensionName(filePath); }
FileObject TavelinComObject::GetFile(const QString& filePath) { return FsGetFile(filePath); }
QString TavelinComObject::GetFileDateTime(const QString& filePath) { return FsGetFileDateTime(filePath); }
QString TavelinComObject::GetFileName(const QString& filePath) { return FsGetFileName(filePath); }
std::int32_t TavelinComObject::GetFileSize(const QString& filePath) { return FsGetFileSize(filePath); }
StringArray TavelinComObject::GetFilesPath(const QString& folderPath) { return FsGetFilesPath(folderPath); }
FolderObject TavelinComObject::GetFolder(const QString& folderPath) { return FsGetFolder(folderPath); }
QString TavelinComObject::GetParentFolderName(const QString& path) { return FsGetParentFolderName(path); }
StringArray TavelinComObject::GetSubFoldersPath(const QString& folderPath) { return FsGetSubFoldersPath(folderPath); }
void TavelinComObject::MoveFile(const QString& fromPath, const QString& toPath) { FsMoveFile(fromPath, toPath); }
void TavelinComObject::MoveFolder(const QString& fromPath, const QString& toPath) { FsMoveFolder(fromPath, toPath); }
QVariant TavelinComObject::SetCurrentDirectory(const QString& path) { return FsSetCurrentDirectory(path); }
QString TavelinComObject::TemporaryFolder() { return FsTemporaryFolder(); }

} // namespace tavelin
