// Calls by name on the services interface: every method reachable in any letter case, arguments
// converted to their parameters' types and written back, defaults for omitted optional arguments.
#include "TavelinComObject.h"

#include "support/RaisedError.h"

#include <QObject>

#include <ostream>

// Failure messages show a value's type and text.
void PrintTo(const QVariant& value, std::ostream* os)
{
    *os << (value.isValid() ? value.typeName() : "empty") << " " << value.toString().toStdString();
}

namespace {

using namespace tavelin;

template <class T>
QVariant Box(const T& value)
{
    return QVariant::fromValue(value);
}

// Records the method called and the arguments it received; answers fixed values.
class RecordingServices : public tavelin::TavelinCom {
public:
    QString called;
    QVariantList received;

    QVariant Invoke(const QString& methodName, QVariantList& args) override
    {
        return tavelin::InvokeByName(*this, methodName, args);
    }

    void SetAppInfo(QObject* appInfo) override
    {
        Record(__func__, {Box(appInfo)});
    }
    void SetCaption(const QString& appCaption) override
    {
        Record(__func__, {Box(appCaption)});
    }
    QString GetAppPath() override
    {
        Record(__func__, {});
        return QStringLiteral("r");
    }
    QString GetAppExeName() override
    {
        Record(__func__, {});
        return QStringLiteral("r");
    }
    std::int32_t RegistrySubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile) override
    {
        Record(__func__, {Box(handle), Box(subKey), Box(isVolatile)});
        return 32;
    }
    std::int32_t RegistrySubKeyOpen(std::int32_t handle, const QString& subKey) override
    {
        Record(__func__, {Box(handle), Box(subKey)});
        return 32;
    }
    std::int32_t RegistrySubKeyClose(std::int32_t handle) override
    {
        Record(__func__, {Box(handle)});
        return 32;
    }
    std::int32_t RegistrySubKeyDelete(std::int32_t handle, const QString& subKey) override
    {
        Record(__func__, {Box(handle), Box(subKey)});
        return 32;
    }
    std::int32_t RegistryOpen() override
    {
        Record(__func__, {});
        return 32;
    }
    std::int32_t RegistryClose(std::int32_t handle) override
    {
        Record(__func__, {Box(handle)});
        return 32;
    }
    std::int32_t RegistrySetValue(std::int32_t handle, const QString& valueName, const QString& data) override
    {
        Record(__func__, {Box(handle), Box(valueName), Box(data)});
        return 32;
    }
    QString RegistryGetValue(std::int32_t handle, const QString& valueName) override
    {
        Record(__func__, {Box(handle), Box(valueName)});
        return QStringLiteral("r");
    }
    QString RegistryGetAllValues(std::int32_t handle) override
    {
        Record(__func__, {Box(handle)});
        return QStringLiteral("r");
    }
    std::int32_t RegistryDeleteValue(std::int32_t handle, const QString& valueName) override
    {
        Record(__func__, {Box(handle), Box(valueName)});
        return 32;
    }
    void SetForcibleName(const QString& registryName) override
    {
        Record(__func__, {Box(registryName)});
    }
    void CatalogVolatileSection(const QString& section) override
    {
        Record(__func__, {Box(section)});
    }
    void SetRegistry(const QString& section, const QString& key, const QString& setting) override
    {
        Record(__func__, {Box(section), Box(key), Box(setting)});
    }
    QString GetRegistry(const QString& section, const QString& key) override
    {
        Record(__func__, {Box(section), Box(key)});
        return QStringLiteral("r");
    }
    QString GetRegistryAllValues(const QString& section) override
    {
        Record(__func__, {Box(section)});
        return QStringLiteral("r");
    }
    void DelKeyRegistry(const QString& section, const QString& key) override
    {
        Record(__func__, {Box(section), Box(key)});
    }
    void DelSectionRegistry(const QString& section) override
    {
        Record(__func__, {Box(section)});
    }
    QString GetInitFileSection(const QString& sectionName) override
    {
        Record(__func__, {Box(sectionName)});
        return QStringLiteral("r");
    }
    QString GetInitFile(const QString& sectionName, const QString& keyName) override
    {
        Record(__func__, {Box(sectionName), Box(keyName)});
        return QStringLiteral("r");
    }
    void AlternateKeyWordKeep(const QString& keyWordName, const QString& keyWordValue) override
    {
        Record(__func__, {Box(keyWordName), Box(keyWordValue)});
    }
    QString AlternateKeyWordApply(const QString& sufferString) override
    {
        Record(__func__, {Box(sufferString)});
        return QStringLiteral("r");
    }
    std::int32_t GetProcessID() override
    {
        Record(__func__, {});
        return 32;
    }
    void CriticalMessage(const QString& message) override
    {
        Record(__func__, {Box(message)});
    }
    std::int16_t QuestionMessage(const QString& message, std::int32_t Button) override
    {
        Record(__func__, {Box(message), Box(Button)});
        return 16;
    }
    void InformationMessage(const QString& message) override
    {
        Record(__func__, {Box(message)});
    }
    QString SmartTrim(const QString& inText) override
    {
        Record(__func__, {Box(inText)});
        return QStringLiteral("r");
    }
    void CopyFile(const QString& fromPath, const QString& toPath) override
    {
        Record(__func__, {Box(fromPath), Box(toPath)});
    }
    void CopyFolder(const QString& fromPath, const QString& toPath) override
    {
        Record(__func__, {Box(fromPath), Box(toPath)});
    }
    void CopyHereFromZip(const QString& sourceFolderPath, const QString& zipFilePath) override
    {
        Record(__func__, {Box(sourceFolderPath), Box(zipFilePath)});
    }
    void CopyHereToZip(const QString& sourceFilePath, const QString& destinationZipFilePath) override
    {
        Record(__func__, {Box(sourceFilePath), Box(destinationZipFilePath)});
    }
    void CreateFolder(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
    }
    TextStreamObject CreateTextFile(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return {};
    }
    void CreateTextFileAndWrite(const QString& filePath, const QString& writeText) override
    {
        Record(__func__, {Box(filePath), Box(writeText)});
    }
    void CreateZipFile(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
    }
    void DeleteFile(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
    }
    void DeleteFolder(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
    }
    bool DriveExists(const QString& driveSpec) override
    {
        Record(__func__, {Box(driveSpec)});
        return true;
    }
    bool FileExists(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return true;
    }
    bool FolderExists(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
        return true;
    }
    QString GetAbsolutePathName(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return QStringLiteral("r");
    }
    QString GetBaseName(const QString& path) override
    {
        Record(__func__, {Box(path)});
        return QStringLiteral("r");
    }
    QString GetDrive(const QString& path) override
    {
        Record(__func__, {Box(path)});
        return QStringLiteral("r");
    }
    QString GetDriveName(const QString& path) override
    {
        Record(__func__, {Box(path)});
        return QStringLiteral("r");
    }
    QString GetExtensionName(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return QStringLiteral("r");
    }
    FileObject GetFile(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return {};
    }
    QString GetFileDateTime(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return QStringLiteral("r");
    }
    QString GetFileName(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return QStringLiteral("r");
    }
    std::int32_t GetFileSize(const QString& filePath) override
    {
        Record(__func__, {Box(filePath)});
        return 32;
    }
    StringArray GetFilesPath(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
        return {QStringLiteral("a"), QStringLiteral("b")};
    }
    FolderObject GetFolder(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
        return {};
    }
    QString GetParentFolderName(const QString& path) override
    {
        Record(__func__, {Box(path)});
        return QStringLiteral("r");
    }
    StringArray GetSubFoldersPath(const QString& folderPath) override
    {
        Record(__func__, {Box(folderPath)});
        return {QStringLiteral("a"), QStringLiteral("b")};
    }
    void MoveFile(const QString& fromPath, const QString& toPath) override
    {
        Record(__func__, {Box(fromPath), Box(toPath)});
    }
    void MoveFolder(const QString& fromPath, const QString& toPath) override
    {
        Record(__func__, {Box(fromPath), Box(toPath)});
    }
    QVariant SetCurrentDirectory(const QString& path) override
    {
        Record(__func__, {Box(path)});
        return 58;
    }
    QString TemporaryFolder() override
    {
        Record(__func__, {});
        return QStringLiteral("r");
    }
    void DebugLevelForm() override
    {
        Record(__func__, {});
    }
    bool DebugOut(QVariant debugText, std::int16_t levelNo) override
    {
        Record(__func__, {Box(debugText), Box(levelNo)});
        return true;
    }
    void DebugFileFlash() override
    {
        Record(__func__, {});
    }
    std::int16_t DebugLevelSet(std::int16_t setLevel) override
    {
        Record(__func__, {Box(setLevel)});
        return 16;
    }
    void DebugFlashSet(bool setFlash) override
    {
        Record(__func__, {Box(setFlash)});
    }
    void SnapShot(QVariant debugText) override
    {
        Record(__func__, {Box(debugText)});
    }

private:
    void Record(const char* name, QVariantList args)
    {
        called = QString::fromLatin1(name);
        received = std::move(args);
    }
};

using platform::vbrt::ErrorNumber::ObjectDoesNotSupport;
using platform::vbrt::ErrorNumber::Overflow;
using platform::vbrt::ErrorNumber::TypeMismatch;
using platform::vbrt::ErrorNumber::WrongNumberOfArguments;

} // namespace

TEST(TavelinComInvoke, EveryMethodAnswersToItsNameInAnyLetterCase)
{
    struct Method {
        const char* name;
        int arguments;
    };
    const Method methods[] = {
        {"SetAppInfo", 1},
        {"SetCaption", 1},
        {"GetAppPath", 0},
        {"GetAppExeName", 0},
        {"RegistrySubKeyCreate", 3},
        {"RegistrySubKeyOpen", 2},
        {"RegistrySubKeyClose", 1},
        {"RegistrySubKeyDelete", 2},
        {"RegistryOpen", 0},
        {"RegistryClose", 1},
        {"RegistrySetValue", 3},
        {"RegistryGetValue", 2},
        {"RegistryGetAllValues", 1},
        {"RegistryDeleteValue", 2},
        {"SetForcibleName", 1},
        {"CatalogVolatileSection", 1},
        {"SetRegistry", 3},
        {"GetRegistry", 2},
        {"GetRegistryAllValues", 1},
        {"DelKeyRegistry", 2},
        {"DelSectionRegistry", 1},
        {"GetInitFileSection", 1},
        {"GetInitFile", 2},
        {"AlternateKeyWordKeep", 2},
        {"AlternateKeyWordApply", 1},
        {"GetProcessID", 0},
        {"CriticalMessage", 1},
        {"QuestionMessage", 2},
        {"InformationMessage", 1},
        {"SmartTrim", 1},
        {"CopyFile", 2},
        {"CopyFolder", 2},
        {"CopyHereFromZip", 2},
        {"CopyHereToZip", 2},
        {"CreateFolder", 1},
        {"CreateTextFile", 1},
        {"CreateTextFileAndWrite", 2},
        {"CreateZipFile", 1},
        {"DeleteFile", 1},
        {"DeleteFolder", 1},
        {"DriveExists", 1},
        {"FileExists", 1},
        {"FolderExists", 1},
        {"GetAbsolutePathName", 1},
        {"GetBaseName", 1},
        {"GetDrive", 1},
        {"GetDriveName", 1},
        {"GetExtensionName", 1},
        {"GetFile", 1},
        {"GetFileDateTime", 1},
        {"GetFileName", 1},
        {"GetFileSize", 1},
        {"GetFilesPath", 1},
        {"GetFolder", 1},
        {"GetParentFolderName", 1},
        {"GetSubFoldersPath", 1},
        {"MoveFile", 2},
        {"MoveFolder", 2},
        {"SetCurrentDirectory", 1},
        {"TemporaryFolder", 0},
        {"DebugLevelForm", 0},
        {"DebugOut", 2},
        {"DebugFileFlash", 0},
        {"DebugLevelSet", 1},
        {"DebugFlashSet", 1},
        {"SnapShot", 1}
    };
    ASSERT_EQ(std::size(methods), 66u);
    RecordingServices services;
    for (const Method& method : methods) {
        SCOPED_TRACE(method.name);
        const QString name = QString::fromLatin1(method.name);
        for (const QString& spelled : {name, name.toLower(), name.toUpper()}) {
            QVariantList args;
            for (int i = 0; i < method.arguments; ++i)
                args << (name == QLatin1String("SetAppInfo") ? QVariant() : QVariant(QStringLiteral("1")));
            services.called.clear();
            services.Invoke(spelled, args);
            EXPECT_EQ(services.called, name);
        }
    }
}

TEST(TavelinComInvoke, ArgumentsDefaultsAndResults)
{
    struct Row {
        const char* why;
        const char* name;
        QVariantList args;
        QVariantList received;  // what the method got
        QVariantList writtenBack;
        QVariant result;
    };
    const Row rows[] = {
        {"the program's spelling of GetProcessID", "GetProcessId", {}, {}, {}, QVariant(32)},
        {"the program's spelling of GetFileName", "getFileName", {QStringLiteral("/a/b.txt")},
         {QStringLiteral("/a/b.txt")}, {QStringLiteral("/a/b.txt")}, QVariant(QStringLiteral("r"))},
        {"Button defaults to 256", "QuestionMessage", {QStringLiteral("q")},
         {QStringLiteral("q"), Box(std::int32_t(256))}, {QStringLiteral("q")}, Box(std::int16_t(16))},
        {"Button given", "QuestionMessage", {QStringLiteral("q"), QStringLiteral("4")},
         {QStringLiteral("q"), Box(std::int32_t(4))}, {QStringLiteral("q"), Box(std::int32_t(4))}, Box(std::int16_t(16))},
        {"levelNo defaults to 1", "DebugOut", {QStringLiteral("t")},
         {QStringLiteral("t"), Box(std::int16_t(1))}, {QStringLiteral("t")}, QVariant(true)},
        {"debugText passes by value, unconverted", "DebugOut", {42, 2.5},
         {42, Box(std::int16_t(2))}, {42, Box(std::int16_t(2))}, QVariant(true)},
        {"setLevel defaults to -1", "DebugLevelSet", {}, {Box(std::int16_t(-1))}, {}, Box(std::int16_t(16))},
        {"setFlash defaults to True", "DebugFlashSet", {}, {true}, {}, QVariant()},
        {"setFlash given as text", "DebugFlashSet", {QStringLiteral("false")}, {false}, {false}, QVariant()},
        {"arguments written back as their parameters' types", "RegistrySubKeyCreate",
         {QStringLiteral("5"), 12, -1},
         {Box(std::int32_t(5)), QStringLiteral("12"), true},
         {Box(std::int32_t(5)), QStringLiteral("12"), true}, QVariant(32)},
        {"a Long rounds halves to even", "RegistryClose", {2.5}, {Box(std::int32_t(2))}, {Box(std::int32_t(2))}, QVariant(32)},
        {"String arrays come back as lists", "GetFilesPath", {QStringLiteral("/d")}, {QStringLiteral("/d")},
         {QStringLiteral("/d")}, QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")})},
        {"a Variant result passes as it is", "SetCurrentDirectory", {QStringLiteral("/")}, {QStringLiteral("/")},
         {QStringLiteral("/")}, QVariant(58)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RecordingServices services;
        QVariantList args = row.args;
        const QVariant result = services.Invoke(QString::fromLatin1(row.name), args);
        EXPECT_EQ(services.received, row.received);
        EXPECT_EQ(args, row.writtenBack);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(result.metaType(), row.result.metaType());
    }
}

TEST(TavelinComInvoke, FailuresLeaveTheArgumentsAlone)
{
    struct Row {
        const char* why;
        const char* name;
        QVariantList args;
        std::int32_t error;
    };
    const Row rows[] = {
        {"unknown name", "GetProcessIdentity", {}, ObjectDoesNotSupport},
        {"too many arguments", "GetProcessID", {1}, WrongNumberOfArguments},
        {"too few arguments", "CopyFile", {QStringLiteral("a")}, WrongNumberOfArguments},
        {"beyond the optional ones", "DebugOut", {1, 2, 3}, WrongNumberOfArguments},
        {"a Long given a word", "RegistrySetValue", {QStringLiteral("seven"), QStringLiteral("n"), QStringLiteral("d")}, TypeMismatch},
        {"an Integer too large", "DebugLevelSet", {40000}, Overflow},
        {"an object given a text", "SetAppInfo", {QStringLiteral("app")}, TypeMismatch},
        {"a list for a String", "SmartTrim", {QStringList{QStringLiteral("a")}}, TypeMismatch},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RecordingServices services;
        QVariantList args = row.args;
        EXPECT_RAISES(services.Invoke(QString::fromLatin1(row.name), args), row.error);
        EXPECT_TRUE(services.called.isEmpty());
        EXPECT_EQ(args, row.args);
    }
}

TEST(TavelinComInvoke, ObjectArgumentReachesTheMethod)
{
    RecordingServices services;
    QObject app;
    QVariantList args{QVariant::fromValue(&app)};
    services.Invoke(QStringLiteral("setappinfo"), args);
    ASSERT_EQ(services.received.size(), 1);
    EXPECT_EQ(qvariant_cast<QObject*>(services.received[0]), &app);
}
