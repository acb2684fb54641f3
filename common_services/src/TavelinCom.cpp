// The services object itself: construction and destruction, the four methods about the client,
// calls by name, and the factory the program's automation layer finds in this library.

#include "TavelinComObject.h"

#include "TavelinDebugTrace.h"
#include "TavelinInitFile.h"
#include "TavelinRegistry.h"

#include "platform/automation/Automation.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QHash>

#include <new>

namespace tavelin {

namespace vbrt = platform::vbrt;

namespace {

const QString kSource = QStringLiteral("TavelinCom10.TavelinCom");

// The arguments of one call by name. Each is converted as the parameter's type requires; after
// the call succeeds every argument passed by reference holds its parameter's value (a failed
// call leaves them untouched). Omitted trailing optional arguments take their defaults.
class Arguments {
public:
    explicit Arguments(QVariantList& args) : args_(args), after_(args) {}

    QString String(int i)
    {
        QString value = vbrt::CStr(args_[i]);
        after_[i] = value;
        return value;
    }
    std::int32_t Long(int i)
    {
        const std::int32_t value = vbrt::CLng(args_[i]);
        after_[i] = QVariant::fromValue(value);
        return value;
    }
    std::int32_t Long(int i, std::int32_t byDefault) { return i < args_.size() ? Long(i) : byDefault; }
    std::int16_t Integer(int i, std::int16_t byDefault)
    {
        if (i >= args_.size())
            return byDefault;
        const std::int16_t value = vbrt::CInt(args_[i]);
        after_[i] = QVariant::fromValue(value);
        return value;
    }
    bool Boolean(int i)
    {
        const bool value = vbrt::CBool(args_[i]);
        after_[i] = value;
        return value;
    }
    bool Boolean(int i, bool byDefault) { return i < args_.size() ? Boolean(i) : byDefault; }
    // A Variant passes unchanged.
    QVariant Variant(int i) const { return args_[i]; }
    // An object: a QObject pointer, or nothing for an empty value.
    QObject* Object(int i) const
    {
        const QVariant& v = args_[i];
        if (!v.isValid())
            return nullptr;
        if (v.metaType().flags().testFlag(QMetaType::PointerToQObject))
            return qvariant_cast<QObject*>(v);
        vbrt::RaiseNumber(vbrt::ErrorNumber::TypeMismatch, kSource);
    }

    void WriteBack() { args_ = after_; }

private:
    QVariantList& args_;
    QVariantList after_;
};

using O = TavelinCom;
using A = Arguments;

struct MethodRow {
    const char* name;
    int required; // arguments that must be given
    int total;    // arguments that may be given
    QVariant (*call)(O& o, A& a);
};

QVariant Nothing()
{
    return QVariant();
}

// The interface's methods in interface order.
const MethodRow kMethods[] = {
    {"SetAppInfo", 1, 1, [](O& o, A& a) { o.SetAppInfo(a.Object(0)); return Nothing(); }},
    {"SetCaption", 1, 1, [](O& o, A& a) { o.SetCaption(a.String(0)); return Nothing(); }},
    {"GetAppPath", 0, 0, [](O& o, A&) { return QVariant(o.GetAppPath()); }},
    {"GetAppExeName", 0, 0, [](O& o, A&) { return QVariant(o.GetAppExeName()); }},
    {"RegistrySubKeyCreate", 3, 3,
     [](O& o, A& a) { return QVariant(o.RegistrySubKeyCreate(a.Long(0), a.String(1), a.Boolean(2))); }},
    {"RegistrySubKeyOpen", 2, 2, [](O& o, A& a) { return QVariant(o.RegistrySubKeyOpen(a.Long(0), a.String(1))); }},
    {"RegistrySubKeyClose", 1, 1, [](O& o, A& a) { return QVariant(o.RegistrySubKeyClose(a.Long(0))); }},
    {"RegistrySubKeyDelete", 2, 2, [](O& o, A& a) { return QVariant(o.RegistrySubKeyDelete(a.Long(0), a.String(1))); }},
    {"RegistryOpen", 0, 0, [](O& o, A&) { return QVariant(o.RegistryOpen()); }},
    {"RegistryClose", 1, 1, [](O& o, A& a) { return QVariant(o.RegistryClose(a.Long(0))); }},
    {"RegistrySetValue", 3, 3,
     [](O& o, A& a) { return QVariant(o.RegistrySetValue(a.Long(0), a.String(1), a.String(2))); }},
    {"RegistryGetValue", 2, 2, [](O& o, A& a) { return QVariant(o.RegistryGetValue(a.Long(0), a.String(1))); }},
    {"RegistryGetAllValues", 1, 1, [](O& o, A& a) { return QVariant(o.RegistryGetAllValues(a.Long(0))); }},
    {"RegistryDeleteValue", 2, 2, [](O& o, A& a) { return QVariant(o.RegistryDeleteValue(a.Long(0), a.String(1))); }},
    {"SetForcibleName", 1, 1, [](O& o, A& a) { o.SetForcibleName(a.String(0)); return Nothing(); }},
    {"CatalogVolatileSection", 1, 1, [](O& o, A& a) { o.CatalogVolatileSection(a.String(0)); return Nothing(); }},
    {"SetRegistry", 3, 3, [](O& o, A& a) { o.SetRegistry(a.String(0), a.String(1), a.String(2)); return Nothing(); }},
    {"GetRegistry", 2, 2, [](O& o, A& a) { return QVariant(o.GetRegistry(a.String(0), a.String(1))); }},
    {"GetRegistryAllValues", 1, 1, [](O& o, A& a) { return QVariant(o.GetRegistryAllValues(a.String(0))); }},
    {"DelKeyRegistry", 2, 2, [](O& o, A& a) { o.DelKeyRegistry(a.String(0), a.String(1)); return Nothing(); }},
    {"DelSectionRegistry", 1, 1, [](O& o, A& a) { o.DelSectionRegistry(a.String(0)); return Nothing(); }},
    {"GetInitFileSection", 1, 1, [](O& o, A& a) { return QVariant(o.GetInitFileSection(a.String(0))); }},
    {"GetInitFile", 2, 2, [](O& o, A& a) { return QVariant(o.GetInitFile(a.String(0), a.String(1))); }},
    {"AlternateKeyWordKeep", 2, 2,
     [](O& o, A& a) { o.AlternateKeyWordKeep(a.String(0), a.String(1)); return Nothing(); }},
    {"AlternateKeyWordApply", 1, 1, [](O& o, A& a) { return QVariant(o.AlternateKeyWordApply(a.String(0))); }},
    {"GetProcessID", 0, 0, [](O& o, A&) { return QVariant(o.GetProcessID()); }},
    {"CriticalMessage", 1, 1, [](O& o, A& a) { o.CriticalMessage(a.String(0)); return Nothing(); }},
    {"QuestionMessage", 1, 2,
     [](O& o, A& a) { return QVariant::fromValue(o.QuestionMessage(a.String(0), a.Long(1, 256))); }},
    {"InformationMessage", 1, 1, [](O& o, A& a) { o.InformationMessage(a.String(0)); return Nothing(); }},
    {"SmartTrim", 1, 1, [](O& o, A& a) { return QVariant(o.SmartTrim(a.String(0))); }},
    {"CopyFile", 2, 2, [](O& o, A& a) { o.CopyFile(a.String(0), a.String(1)); return Nothing(); }},
    {"CopyFolder", 2, 2, [](O& o, A& a) { o.CopyFolder(a.String(0), a.String(1)); return Nothing(); }},
    {"CopyHereFromZip", 2, 2, [](O& o, A& a) { o.CopyHereFromZip(a.String(0), a.String(1)); return Nothing(); }},
    {"CopyHereToZip", 2, 2, [](O& o, A& a) { o.CopyHereToZip(a.String(0), a.String(1)); return Nothing(); }},
    {"CreateFolder", 1, 1, [](O& o, A& a) { o.CreateFolder(a.String(0)); return Nothing(); }},
    {"CreateTextFile", 1, 1, [](O& o, A& a) { return QVariant::fromValue(o.CreateTextFile(a.String(0))); }},
    {"CreateTextFileAndWrite", 2, 2,
     [](O& o, A& a) { o.CreateTextFileAndWrite(a.String(0), a.String(1)); return Nothing(); }},
    {"CreateZipFile", 1, 1, [](O& o, A& a) { o.CreateZipFile(a.String(0)); return Nothing(); }},
    {"DeleteFile", 1, 1, [](O& o, A& a) { o.DeleteFile(a.String(0)); return Nothing(); }},
    {"DeleteFolder", 1, 1, [](O& o, A& a) { o.DeleteFolder(a.String(0)); return Nothing(); }},
    {"DriveExists", 1, 1, [](O& o, A& a) { return QVariant(o.DriveExists(a.String(0))); }},
    {"FileExists", 1, 1, [](O& o, A& a) { return QVariant(o.FileExists(a.String(0))); }},
    {"FolderExists", 1, 1, [](O& o, A& a) { return QVariant(o.FolderExists(a.String(0))); }},
    {"GetAbsolutePathName", 1, 1, [](O& o, A& a) { return QVariant(o.GetAbsolutePathName(a.String(0))); }},
    {"GetBaseName", 1, 1, [](O& o, A& a) { return QVariant(o.GetBaseName(a.String(0))); }},
    {"GetDrive", 1, 1, [](O& o, A& a) { return QVariant(o.GetDrive(a.String(0))); }},
    {"GetDriveName", 1, 1, [](O& o, A& a) { return QVariant(o.GetDriveName(a.String(0))); }},
    {"GetExtensionName", 1, 1, [](O& o, A& a) { return QVariant(o.GetExtensionName(a.String(0))); }},
    {"GetFile", 1, 1, [](O& o, A& a) { return QVariant::fromValue(o.GetFile(a.String(0))); }},
    {"GetFileDateTime", 1, 1, [](O& o, A& a) { return QVariant(o.GetFileDateTime(a.String(0))); }},
    {"GetFileName", 1, 1, [](O& o, A& a) { return QVariant(o.GetFileName(a.String(0))); }},
    {"GetFileSize", 1, 1, [](O& o, A& a) { return QVariant(o.GetFileSize(a.String(0))); }},
    {"GetFilesPath", 1, 1, [](O& o, A& a) { return QVariant(o.GetFilesPath(a.String(0))); }},
    {"GetFolder", 1, 1, [](O& o, A& a) { return QVariant::fromValue(o.GetFolder(a.String(0))); }},
    {"GetParentFolderName", 1, 1, [](O& o, A& a) { return QVariant(o.GetParentFolderName(a.String(0))); }},
    {"GetSubFoldersPath", 1, 1, [](O& o, A& a) { return QVariant(o.GetSubFoldersPath(a.String(0))); }},
    {"MoveFile", 2, 2, [](O& o, A& a) { o.MoveFile(a.String(0), a.String(1)); return Nothing(); }},
    {"MoveFolder", 2, 2, [](O& o, A& a) { o.MoveFolder(a.String(0), a.String(1)); return Nothing(); }},
    {"SetCurrentDirectory", 1, 1, [](O& o, A& a) { return o.SetCurrentDirectory(a.String(0)); }},
    {"TemporaryFolder", 0, 0, [](O& o, A&) { return QVariant(o.TemporaryFolder()); }},
    {"DebugLevelForm", 0, 0, [](O& o, A&) { o.DebugLevelForm(); return Nothing(); }},
    // debugText is the one argument passed by value.
    {"DebugOut", 1, 2, [](O& o, A& a) { return QVariant(o.DebugOut(a.Variant(0), a.Integer(1, 1))); }},
    {"DebugFileFlash", 0, 0, [](O& o, A&) { o.DebugFileFlash(); return Nothing(); }},
    {"DebugLevelSet", 0, 1, [](O& o, A& a) { return QVariant::fromValue(o.DebugLevelSet(a.Integer(0, -1))); }},
    {"DebugFlashSet", 0, 1, [](O& o, A& a) { o.DebugFlashSet(a.Boolean(0, true)); return Nothing(); }},
    {"SnapShot", 1, 1, [](O& o, A& a) { o.SnapShot(a.Variant(0)); return Nothing(); }},
};
static_assert(std::size(kMethods) == 66, "the interface has 66 methods");

// Method names fold to one letter case: "GetProcessId" and "getFileName" reach their methods.
const MethodRow* FindMethod(const QString& name)
{
    static const QHash<QString, const MethodRow*> byName = [] {
        QHash<QString, const MethodRow*> table;
        for (const MethodRow& row : kMethods)
            table.insert(QString::fromLatin1(row.name).toCaseFolded(), &row);
        return table;
    }();
    return byName.value(name.toCaseFolded(), nullptr);
}

} // namespace

QString AppObjectText(const TavelinComState& state, const char* property)
{
    if (!state.AppObject)
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectVariableNotSet, kSource);
    const QVariant value = state.AppObject->property(property);
    if (!value.isValid())
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectDoesNotSupport, kSource, QLatin1String(property));
    return vbrt::CStr(value);
}

TavelinComObject::TavelinComObject()
{
    state_.TrimChars = {QStringLiteral(" "), QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral("\t"),
                        QStringLiteral("\b"), QStringLiteral("\f"), QStringLiteral("\v")};
}

TavelinComObject::~TavelinComObject()
{
    DebugFileClose(state_);
}

QVariant InvokeByName(TavelinCom& object, const QString& methodName, QVariantList& args)
{
    const MethodRow* method = FindMethod(methodName);
    if (!method)
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectDoesNotSupport, kSource, methodName);
    if (args.size() < method->required || args.size() > method->total)
        vbrt::RaiseNumber(vbrt::ErrorNumber::WrongNumberOfArguments, kSource, QLatin1String(method->name));
    Arguments arguments(args);
    QVariant result;
    try {
        result = method->call(object, arguments);
    } catch (const std::bad_alloc&) {
        vbrt::RaiseNumber(vbrt::ErrorNumber::OutOfMemory, kSource);
    }
    arguments.WriteBack();
    return result;
}

QVariant TavelinComObject::Invoke(const QString& methodName, QVariantList& args)
{
    return InvokeByName(*this, methodName, args);
}

void TavelinComObject::SetAppInfo(QObject* appInfo)
{
    state_.AppObject = appInfo;
    // Both properties are needed from here on (the default ini file, the key name, the log name).
    AppObjectText(state_, "EXEName");
    const QString appPath = AppObjectText(state_, "Path");

    // Read before APP_PATH is registered: a %APP_PATH% in this value stays as written.
    state_.RegistryName = IniValueRead(*this, QStringLiteral("Equipment"), QStringLiteral("RegistryName"), QString(), 0);
    AppKeyCreate(state_);
    KeyWordKeep(state_, QStringLiteral("APP_PATH"), appPath);

    // A level that is no number, not above 0 or beyond the 16-bit range leaves the level as it is.
    const QString level =
        vbrt::Trim(IniValueRead(*this, QStringLiteral("Debug"), QStringLiteral("Level"), QString(), 0));
    if (vbrt::IsNumeric(level)) {
        const double rounded = vbrt::RoundHalfEven(vbrt::CDbl(level));
        if (rounded > 0 && rounded <= 32767)
            state_.DebugLevel = static_cast<std::int16_t>(rounded);
    }

    const QString flash =
        vbrt::Trim(IniValueRead(*this, QStringLiteral("Debug"), QStringLiteral("Flash"), QString(), 0));
    if (flash.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        state_.DebugFlash = true;
}

void TavelinComObject::SetCaption(const QString& appCaption)
{
    state_.Caption = appCaption;
}

QString TavelinComObject::GetAppPath()
{
    return AppObjectText(state_, "Path");
}

QString TavelinComObject::GetAppExeName()
{
    return AppObjectText(state_, "EXEName");
}

} // namespace tavelin

// The factory the automation layer resolves when the program creates "TavelinCom10.TavelinCom".
extern "C" __attribute__((visibility("default"))) platform::automation::Dispatch*
AutomationCreateObject(const char* className)
{
    if (qstrcmp(className, "TavelinCom") == 0)
        return new tavelin::TavelinComObject();
    return nullptr;
}
