#pragma once

// The one creatable class of the services library. Each method is defined in the source file of
// its module: TavelinCom.cpp (the client, construction, calls by name), TavelinRegistry.cpp,
// TavelinInitFile.cpp, TavelinUtilities.cpp, TavelinFileSystem.cpp and TavelinDebugTrace.cpp.

#include "platform/automation/TavelinCom.h"

#include <QPointer>
#include <QSet>

#include <array>

namespace tavelin {

// The state of one object, fields in their fixed order.
struct TavelinComState {
    QPointer<QObject> AppObject;       // the client's application object; none until SetAppInfo
    QString Caption;                   // title of the library's message boxes
    QStringList KeyWordNames;          // keywords with their enclosing percent signs, first registration first
    QStringList KeyWordValues;         // index for index with KeyWordNames
    QString RegistryName;              // ini [Equipment] RegistryName, read by SetAppInfo
    QString ForcibleName;              // forced application key name, trimmed; empty when none
    QStringList VolatileSections;      // catalogued volatile section names
    std::int16_t DebugLevel = 0;
    bool DebugFlash = false;
    std::int16_t LogFileNumber = -1;   // -1 while the debug log is closed
    QString LogFilePath;
    bool LogBannerPending = true;
    std::array<QString, 7> TrimChars;  // blank, LF, CR, TAB, BS, FF, VT
    QSet<QString> IncludeProblemsLogged; // debug-log lines about skipped include files, each written once
};

// The text of a property ("Path", "EXEName") of the client's application object. Raises 91 before
// SetAppInfo (or once the client has deleted the object) and 438 when the object lacks the property.
QString AppObjectText(const TavelinComState& state, const char* property);

// Calls the method of the interface with that name, letter case ignored, converting each argument
// to its parameter's type and writing the converted values back once the call succeeds. Omitted
// optional arguments take their defaults. Raises 438 for an unknown name, 450 for a wrong number
// of arguments, 13 or 6 for an argument that does not convert.
QVariant InvokeByName(TavelinCom& object, const QString& methodName, QVariantList& args);

class TavelinComObject final : public TavelinCom {
public:
    TavelinComObject();
    ~TavelinComObject() override;

    QVariant Invoke(const QString& methodName, QVariantList& args) override;

    void SetAppInfo(QObject* appInfo) override;
    void SetCaption(const QString& appCaption) override;
    QString GetAppPath() override;
    QString GetAppExeName() override;
    std::int32_t RegistrySubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile) override;
    std::int32_t RegistrySubKeyOpen(std::int32_t handle, const QString& subKey) override;
    std::int32_t RegistrySubKeyClose(std::int32_t handle) override;
    std::int32_t RegistrySubKeyDelete(std::int32_t handle, const QString& subKey) override;
    std::int32_t RegistryOpen() override;
    std::int32_t RegistryClose(std::int32_t handle) override;
    std::int32_t RegistrySetValue(std::int32_t handle, const QString& valueName, const QString& data) override;
    QString RegistryGetValue(std::int32_t handle, const QString& valueName) override;
    QString RegistryGetAllValues(std::int32_t handle) override;
    std::int32_t RegistryDeleteValue(std::int32_t handle, const QString& valueName) override;
    void SetForcibleName(const QString& registryName) override;
    void CatalogVolatileSection(const QString& section) override;
    void SetRegistry(const QString& section, const QString& key, const QString& setting) override;
    QString GetRegistry(const QString& section, const QString& key) override;
    QString GetRegistryAllValues(const QString& section) override;
    void DelKeyRegistry(const QString& section, const QString& key) override;
    void DelSectionRegistry(const QString& section) override;
    QString GetInitFileSection(const QString& sectionName) override;
    QString GetInitFile(const QString& sectionName, const QString& keyName) override;
    void AlternateKeyWordKeep(const QString& keyWordName, const QString& keyWordValue) override;
    QString AlternateKeyWordApply(const QString& sufferString) override;
    std::int32_t GetProcessID() override;
    void CriticalMessage(const QString& message) override;
    std::int16_t QuestionMessage(const QString& message, std::int32_t Button = 256) override;
    void InformationMessage(const QString& message) override;
    QString SmartTrim(const QString& inText) override;
    void CopyFile(const QString& fromPath, const QString& toPath) override;
    void CopyFolder(const QString& fromPath, const QString& toPath) override;
    void CopyHereFromZip(const QString& sourceFolderPath, const QString& zipFilePath) override;
    void CopyHereToZip(const QString& sourceFilePath, const QString& destinationZipFilePath) override;
    void CreateFolder(const QString& folderPath) override;
    TextStreamObject CreateTextFile(const QString& filePath) override;
    void CreateTextFileAndWrite(const QString& filePath, const QString& writeText) override;
    void CreateZipFile(const QString& filePath) override;
    void DeleteFile(const QString& filePath) override;
    void DeleteFolder(const QString& folderPath) override;
    bool DriveExists(const QString& driveSpec) override;
    bool FileExists(const QString& filePath) override;
    bool FolderExists(const QString& folderPath) override;
    QString GetAbsolutePathName(const QString& filePath) override;
    QString GetBaseName(const QString& path) override;
    QString GetDrive(const QString& path) override;
    QString GetDriveName(const QString& path) override;
    QString GetExtensionName(const QString& filePath) override;
    FileObject GetFile(const QString& filePath) override;
    QString GetFileDateTime(const QString& filePath) override;
    QString GetFileName(const QString& filePath) override;
    std::int32_t GetFileSize(const QString& filePath) override;
    StringArray GetFilesPath(const QString& folderPath) override;
    FolderObject GetFolder(const QString& folderPath) override;
    QString GetParentFolderName(const QString& path) override;
    StringArray GetSubFoldersPath(const QString& folderPath) override;
    void MoveFile(const QString& fromPath, const QString& toPath) override;
    void MoveFolder(const QString& fromPath, const QString& toPath) override;
    QVariant SetCurrentDirectory(const QString& path) override;
    QString TemporaryFolder() override;
    void DebugLevelForm() override;
    bool DebugOut(QVariant debugText, std::int16_t levelNo = 1) override;
    void DebugFileFlash() override;
    std::int16_t DebugLevelSet(std::int16_t setLevel = -1) override;
    void DebugFlashSet(bool setFlash = true) override;
    void SnapShot(QVariant debugText) override;

    // The object's state; the modules' procedures work on it.
    TavelinComState& State() { return state_; }

private:
    TavelinComState state_;
};

} // namespace tavelin
