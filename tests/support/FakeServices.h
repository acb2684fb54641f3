#pragma once

// A services object for tests: an ini file and a per-user store held in maps, a chosen temporary
// folder and process id, real file deletion, and a log of the registry calls. Everything else
// answers as an empty service would.

#include "platform/automation/TavelinCom.h"
#include "platform/filesystem/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <memory>

namespace testsupport {

class FakeServices : public tavelin::TavelinCom {
public:
    QMap<QString, QString> ini;       // "Section/Key" -> value
    QMap<QString, QString> registry;  // "Section/Key" -> value
    QSet<QString> unopenable;         // forced names whose key cannot be opened
    QStringList calls;                // registry calls in order, with their arguments
    QString temporaryFolder;
    std::int32_t processId = 1;
    QObject* appInfo = nullptr;

    QString GetInitFile(const QString& s, const QString& k) override { return ini.value(s + '/' + k); }
    QString GetRegistry(const QString& s, const QString& k) override { return registry.value(s + '/' + k); }
    void SetRegistry(const QString& s, const QString& k, const QString& v) override
    {
        calls << QStringLiteral("SetRegistry %1/%2=%3").arg(s, k, v);
        registry[s + '/' + k] = v;
    }
    void SetForcibleName(const QString& name) override
    {
        calls << QStringLiteral("SetForcibleName ") + name;
        forcible_ = name;
    }
    std::int32_t RegistryOpen() override
    {
        const std::int32_t handle = unopenable.contains(forcible_) ? -1 : 7;
        calls << QStringLiteral("RegistryOpen %1").arg(handle);
        return handle;
    }
    std::int32_t RegistrySubKeyDelete(std::int32_t h, const QString& k) override
    {
        calls << QStringLiteral("RegistrySubKeyDelete %1 %2\\%3").arg(h).arg(forcible_, k);
        return 0;
    }
    std::int32_t RegistryClose(std::int32_t h) override
    {
        calls << QStringLiteral("RegistryClose %1").arg(h);
        return 0;
    }
    void CatalogVolatileSection(const QString& s) override { calls << QStringLiteral("CatalogVolatileSection ") + s; }
    void SetAppInfo(QObject* info) override { appInfo = info; }

    std::int32_t GetProcessID() override { return processId; }
    QString TemporaryFolder() override { return temporaryFolder; }
    QString GetAbsolutePathName(const QString& p) override { return QFileInfo(p).absoluteFilePath(); }
    void DeleteFile(const QString& p) override { QFile::remove(p); }
    bool FileExists(const QString& p) override { return QFileInfo(p).isFile(); }
    bool FolderExists(const QString& p) override { return QFileInfo(p).isDir(); }
    void CreateFolder(const QString& p) override { QDir().mkpath(p); }
    void DeleteFolder(const QString& p) override
    {
        if (!p.isEmpty())
            QDir(p).removeRecursively();
    }
    tavelin::StringArray GetSubFoldersPath(const QString& p) override
    {
        QStringList paths;
        for (const QString& name : QDir(p).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            paths << QDir(p).filePath(name);
        return paths;
    }
    tavelin::FolderObject GetFolder(const QString& p) override
    {
        return std::make_shared<platform::filesystem::Folder>(p);
    }

    QVariant Invoke(const QString&, QVariantList&) override { return {}; }
    void SetCaption(const QString&) override {}
    QString GetAppPath() override { return {}; }
    QString GetAppExeName() override { return {}; }
    std::int32_t RegistrySubKeyCreate(std::int32_t, const QString&, bool) override { return -1; }
    std::int32_t RegistrySubKeyOpen(std::int32_t, const QString&) override { return -1; }
    std::int32_t RegistrySubKeyClose(std::int32_t) override { return 0; }
    std::int32_t RegistrySetValue(std::int32_t, const QString&, const QString&) override { return 0; }
    QString RegistryGetValue(std::int32_t, const QString&) override { return {}; }
    QString RegistryGetAllValues(std::int32_t) override { return {}; }
    std::int32_t RegistryDeleteValue(std::int32_t, const QString&) override { return 0; }
    QString GetRegistryAllValues(const QString&) override { return {}; }
    void DelKeyRegistry(const QString&, const QString&) override {}
    void DelSectionRegistry(const QString&) override {}
    QString GetInitFileSection(const QString&) override { return {}; }
    void AlternateKeyWordKeep(const QString&, const QString&) override {}
    QString AlternateKeyWordApply(const QString& s) override { return s; }
    void CriticalMessage(const QString&) override {}
    std::int16_t QuestionMessage(const QString&, std::int32_t) override { return 0; }
    void InformationMessage(const QString&) override {}
    QString SmartTrim(const QString& s) override { return s; }
    void CopyFile(const QString&, const QString&) override {}
    void CopyFolder(const QString&, const QString&) override {}
    void CopyHereFromZip(const QString&, const QString&) override {}
    void CopyHereToZip(const QString&, const QString&) override {}
    tavelin::TextStreamObject CreateTextFile(const QString&) override { return {}; }
    void CreateTextFileAndWrite(const QString&, const QString&) override {}
    void CreateZipFile(const QString&) override {}
    bool DriveExists(const QString&) override { return false; }
    QString GetBaseName(const QString&) override { return {}; }
    QString GetDrive(const QString&) override { return {}; }
    QString GetDriveName(const QString&) override { return {}; }
    QString GetExtensionName(const QString&) override { return {}; }
    tavelin::FileObject GetFile(const QString&) override { return {}; }
    QString GetFileDateTime(const QString&) override { return {}; }
    QString GetFileName(const QString&) override { return {}; }
    std::int32_t GetFileSize(const QString&) override { return -1; }
    tavelin::StringArray GetFilesPath(const QString&) override { return {}; }
    QString GetParentFolderName(const QString&) override { return {}; }
    void MoveFile(const QString&, const QString&) override {}
    void MoveFolder(const QString&, const QString&) override {}
    QVariant SetCurrentDirectory(const QString&) override { return {}; }
    void DebugLevelForm() override {}
    bool DebugOut(QVariant, std::int16_t) override { return true; }
    void DebugFileFlash() override {}
    std::int16_t DebugLevelSet(std::int16_t) override { return 0; }
    void DebugFlashSet(bool) override {}
    void SnapShot(QVariant) override {}

private:
    QString forcible_;
};

} // namespace testsupport
