#pragma once

// The class interface of the services library TavelinCom10, methods in interface order.
// The program creates the object by its programmatic identifier "TavelinCom10.TavelinCom"
// (platform/automation) and calls it through this interface; every method also answers
// by name, in any letter case, through Invoke. It lives with the automation layer, the lowest
// floor, because that layer and the program above it both speak it; the library includes it
// from here.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>

namespace platform::filesystem {
class TextStream;
class File;
class Folder;
} // namespace platform::filesystem

namespace platform::automation {

// An object callable by name: arguments pass by reference as QVariants (written back where a
// method changes them), omitted optional arguments take their recorded defaults.
class Dispatch {
public:
    virtual ~Dispatch() = default;
    // Raises platform::vbrt::Error 438 when no method has this name.
    virtual QVariant Invoke(const QString& methodName, QVariantList& args) = 0;
};

} // namespace platform::automation

namespace tavelin {

using TextStreamObject = std::shared_ptr<platform::filesystem::TextStream>;
using FileObject = std::shared_ptr<platform::filesystem::File>;
using FolderObject = std::shared_ptr<platform::filesystem::Folder>;

// A String array: an empty one is the empty list.
using StringArray = QStringList;

class TavelinCom : public platform::automation::Dispatch {
public:
    // The client's application object: a QObject with the read-only properties "Path"
    // (the program's folder, no trailing "/") and "EXEName" (file name without extension).
    virtual void SetAppInfo(QObject* appInfo) = 0;                                                   // 0
    virtual void SetCaption(const QString& appCaption) = 0;                                          // 1
    virtual QString GetAppPath() = 0;                                                                // 2
    virtual QString GetAppExeName() = 0;                                                             // 3
    virtual std::int32_t RegistrySubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile) = 0; // 4
    virtual std::int32_t RegistrySubKeyOpen(std::int32_t handle, const QString& subKey) = 0;         // 5
    virtual std::int32_t RegistrySubKeyClose(std::int32_t handle) = 0;                               // 6
    virtual std::int32_t RegistrySubKeyDelete(std::int32_t handle, const QString& subKey) = 0;       // 7
    virtual std::int32_t RegistryOpen() = 0;                                                         // 8
    virtual std::int32_t RegistryClose(std::int32_t handle) = 0;                                     // 9
    virtual std::int32_t RegistrySetValue(std::int32_t handle, const QString& valueName, const QString& data) = 0; // 10
    virtual QString RegistryGetValue(std::int32_t handle, const QString& valueName) = 0;             // 11
    virtual QString RegistryGetAllValues(std::int32_t handle) = 0;                                   // 12
    virtual std::int32_t RegistryDeleteValue(std::int32_t handle, const QString& valueName) = 0;     // 13
    virtual void SetForcibleName(const QString& registryName) = 0;                                   // 14
    virtual void CatalogVolatileSection(const QString& section) = 0;                                 // 15
    virtual void SetRegistry(const QString& section, const QString& key, const QString& setting) = 0; // 16
    virtual QString GetRegistry(const QString& section, const QString& key) = 0;                     // 17
    virtual QString GetRegistryAllValues(const QString& section) = 0;                                // 18
    virtual void DelKeyRegistry(const QString& section, const QString& key) = 0;                     // 19
    virtual void DelSectionRegistry(const QString& section) = 0;                                     // 20
    virtual QString GetInitFileSection(const QString& sectionName) = 0;                              // 21
    virtual QString GetInitFile(const QString& sectionName, const QString& keyName) = 0;             // 22
    virtual void AlternateKeyWordKeep(const QString& keyWordName, const QString& keyWordValue) = 0;  // 23
    virtual QString AlternateKeyWordApply(const QString& sufferString) = 0;                          // 24
    virtual std::int32_t GetProcessID() = 0;                                                         // 25
    virtual void CriticalMessage(const QString& message) = 0;                                        // 26
    virtual std::int16_t QuestionMessage(const QString& message, std::int32_t Button = 256) = 0;     // 27
    virtual void InformationMessage(const QString& message) = 0;                                     // 28
    virtual QString SmartTrim(const QString& inText) = 0;                                            // 29
    virtual void CopyFile(const QString& fromPath, const QString& toPath) = 0;                       // 30
    virtual void CopyFolder(const QString& fromPath, const QString& toPath) = 0;                     // 31
    virtual void CopyHereFromZip(const QString& sourceFolderPath, const QString& zipFilePath) = 0;   // 32
    virtual void CopyHereToZip(const QString& sourceFilePath, const QString& destinationZipFilePath) = 0; // 33
    virtual void CreateFolder(const QString& folderPath) = 0;                                        // 34
    virtual TextStreamObject CreateTextFile(const QString& filePath) = 0;                            // 35
    virtual void CreateTextFileAndWrite(const QString& filePath, const QString& writeText) = 0;      // 36
    virtual void CreateZipFile(const QString& filePath) = 0;                                         // 37
    virtual void DeleteFile(const QString& filePath) = 0;                                            // 38
    virtual void DeleteFolder(const QString& folderPath) = 0;                                        // 39
    virtual bool DriveExists(const QString& driveSpec) = 0;                                          // 40
    virtual bool FileExists(const QString& filePath) = 0;                                            // 41
    virtual bool FolderExists(const QString& folderPath) = 0;                                        // 42
    virtual QString GetAbsolutePathName(const QString& filePath) = 0;                                // 43
    virtual QString GetBaseName(const QString& path) = 0;                                            // 44
    virtual QString GetDrive(const QString& path) = 0;                                               // 45
    virtual QString GetDriveName(const QString& path) = 0;                                           // 46
    virtual QString GetExtensionName(const QString& filePath) = 0;                                   // 47
    virtual FileObject GetFile(const QString& filePath) = 0;                                         // 48
    virtual QString GetFileDateTime(const QString& filePath) = 0;                                    // 49
    virtual QString GetFileName(const QString& filePath) = 0;                                        // 50
    virtual std::int32_t GetFileSize(const QString& filePath) = 0;                                   // 51
    virtual StringArray GetFilesPath(const QString& folderPath) = 0;                                 // 52
    virtual FolderObject GetFolder(const QString& folderPath) = 0;                                   // 53
    virtual QString GetParentFolderName(const QString& path) = 0;                                    // 54
    virtual StringArray GetSubFoldersPath(const QString& folderPath) = 0;                            // 55
    virtual void MoveFile(const QString& fromPath, const QString& toPath) = 0;                       // 56
    virtual void MoveFolder(const QString& fromPath, const QString& toPath) = 0;                     // 57
    virtual QVariant SetCurrentDirectory(const QString& path) = 0;                                   // 58
    virtual QString TemporaryFolder() = 0;                                                           // 59
    virtual void DebugLevelForm() = 0;                                                               // 60
    virtual bool DebugOut(QVariant debugText, std::int16_t levelNo = 1) = 0;                         // 61
    virtual void DebugFileFlash() = 0;                                                               // 62
    virtual std::int16_t DebugLevelSet(std::int16_t setLevel = -1) = 0;                              // 63
    virtual void DebugFlashSet(bool setFlash = true) = 0;                                            // 64
    virtual void SnapShot(QVariant debugText) = 0;                                                   // 65
};

} // namespace tavelin
