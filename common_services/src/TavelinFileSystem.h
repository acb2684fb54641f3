#pragma once

// The library's file, folder and zip operations: thin answers over platform/filesystem and
// platform/zipfolder, with the library's own answers for what is absent (silence on deleting
// nothing, -1 as the size and "" as the date of a missing file, the empty listing).

#include "platform/automation/TavelinCom.h"

#include <QString>
#include <QVariant>

#include <cstdint>

namespace tavelin {

void FsCopyFile(const QString& fromPath, const QString& toPath);
void FsCopyFolder(const QString& fromPath, const QString& toPath);
void ZipCopyFrom(const QString& sourceFolderPath, const QString& zipFilePath);
void ZipCopyTo(const QString& sourceFilePath, const QString& destinationZipFilePath);
void FsCreateFolder(const QString& folderPath);
TextStreamObject FsCreateTextFile(const QString& filePath);
void FsCreateTextFileAndWrite(const QString& filePath, const QString& writeText);
void ZipFileCreate(const QString& filePath);
void FsDeleteFile(const QString& filePath);
void FsDeleteFolder(const QString& folderPath);
bool FsDriveExists(const QString& driveSpec);
bool FsFileExists(const QString& filePath);
bool FsFolderExists(const QString& folderPath);
QString FsGetAbsolutePathName(const QString& filePath);
QString FsGetBaseName(const QString& path);
QString FsGetDrive(const QString& path);
QString FsGetDriveName(const QString& path);
QString FsGetExtensionName(const QString& filePath);
FileObject FsGetFile(const QString& filePath);
QString FsGetFileDateTime(const QString& filePath);
QString FsGetFileName(const QString& filePath);
std::int32_t FsGetFileSize(const QString& filePath);
StringArray FsGetFilesPath(const QString& folderPath);
FolderObject FsGetFolder(const QString& folderPath);
QString FsGetParentFolderName(const QString& path);
StringArray FsGetSubFoldersPath(const QString& folderPath);
void FsMoveFile(const QString& fromPath, const QString& toPath);
void FsMoveFolder(const QString& fromPath, const QString& toPath);
QVariant FsSetCurrentDirectory(const QString& path);
QString FsTemporaryFolder();

} // namespace tavelin
