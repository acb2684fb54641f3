#include "TavelinRegistry.h"

#include "platform/registry/Registry.h"
#include "platform/vbrt/Value.h"

namespace tavelin {

namespace reg = platform::registry;

namespace {

const QString kRootPath = QStringLiteral("Software\\Tavelin");

// Names and texts are trimmed of blanks only.
QString TrimBlanks(const QString& text) { return platform::vbrt::Trim(text); }

} // namespace

QString AppName(const TavelinComState& state)
{
    if (!state.ForcibleName.isEmpty())
        return state.ForcibleName;
    if (!state.RegistryName.isEmpty())
        return state.RegistryName;
    return AppObjectText(state, "EXEName");
}

std::int32_t SubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile)
{
    reg::Handle result = -1;
    return reg::CreateKey(handle, subKey, isVolatile, result) == reg::Status::Success ? result : -1;
}

std::int32_t SubKeyOpen(std::int32_t handle, const QString& subKey)
{
    reg::Handle result = -1;
    return reg::OpenKey(handle, subKey, result) == reg::Status::Success ? result : -1;
}

std::int32_t SubKeyClose(std::int32_t handle)
{
    if (handle > 0)
        reg::CloseKey(handle);
    return 0;
}

// A key that still has sub keys stays, and nothing is reported.
std::int32_t SubKeyDelete(std::int32_t handle, const QString& subKey)
{
    if (handle > 0)
        reg::DeleteKey(handle, subKey);
    return 0;
}

std::int32_t RegValueSet(std::int32_t handle, const QString& valueName, const QString& data)
{
    return reg::SetValue(handle, valueName, data) == reg::Status::Success ? 0 : -1;
}

// The whole text, whatever its length; anything but a string value reads as empty.
QString RegValueGet(std::int32_t handle, const QString& valueName)
{
    std::int32_t type = reg::ValueType::None;
    QString data;
    if (reg::QueryValue(handle, valueName, type, data) != reg::Status::Success || type != reg::ValueType::String)
        return {};
    return data;
}

// One line per string value, "name=data", joined by CR LF; values of other types are left out.
QString RegValueListGet(std::int32_t handle)
{
    QString result;
    for (std::int32_t index = 0; index < 1000; ++index) {
        QString name;
        QString data;
        std::int32_t type = reg::ValueType::None;
        const std::int32_t status = reg::EnumValue(handle, index, name, type, data);
        if (status == reg::Status::NoMoreItems)
            break;
        if (status != reg::Status::Success)
            return {};
        if (type != reg::ValueType::String)
            continue;
        if (!result.isEmpty())
            result += QStringLiteral("\r\n");
        result += name + QLatin1Char('=') + data;
    }
    return result;
}

std::int32_t RegValueDelete(std::int32_t handle, const QString& valueName)
{
    const std::int32_t status = reg::DeleteValue(handle, valueName);
    return status == reg::Status::Success || status == reg::Status::FileNotFound ? 0 : -1;
}

// Only opens: a missing application key gives -1.
std::int32_t AppKeyOpen(const TavelinComState& state)
{
    return SubKeyOpen(reg::CurrentUser, kRootPath + QLatin1Char('\\') + AppName(state));
}

std::int32_t AppKeyClose(std::int32_t handle) { return SubKeyClose(handle); }

void AppKeyCreate(TavelinComState& state)
{
    const QString appName = AppName(state);
    const std::int32_t h1 = SubKeyCreate(reg::CurrentUser, kRootPath, false);
    if (h1 > 0)
        SubKeyClose(SubKeyCreate(h1, appName, false));
    SubKeyClose(h1);
}

void ForcibleNameSet(TavelinComState& state, const QString& registryName)
{
    state.ForcibleName = TrimBlanks(registryName);
    if (state.ForcibleName.isEmpty())
        return;
    const std::int32_t h = SectionKeyOpen(state, QString());
    if (h > 0)
        SubKeyClose(h);
}

// Names are compared exactly: "Clipboard" and "clipboard" are two entries.
void VolatileSectionCatalog(TavelinComState& state, const QString& section)
{
    const QString s = TrimBlanks(section);
    if (s.isEmpty() || state.VolatileSections.contains(s, Qt::CaseSensitive))
        return;
    state.VolatileSections.append(s);
}

// The key is created when it is missing, also by the reading and deleting operations.
std::int32_t SectionKeyOpen(const TavelinComState& state, const QString& section)
{
    const QString s = TrimBlanks(section);
    const bool isVolatile = !s.isEmpty() && state.VolatileSections.contains(s, Qt::CaseSensitive);
    QString path = kRootPath + QLatin1Char('\\') + AppName(state);
    if (!s.isEmpty())
        path += QLatin1Char('\\') + s;
    return SubKeyCreate(reg::CurrentUser, path, isVolatile);
}

// A write the store refuses is lost without a report.
void SectionValueSet(TavelinComState& state, const QString& section, const QString& key, const QString& setting)
{
    const std::int32_t h = SectionKeyOpen(state, section);
    if (h < 1)
        return;
    RegValueSet(h, key, setting);
    SubKeyClose(h);
}

QString SectionValueGet(TavelinComState& state, const QString& section, const QString& key)
{
    QString result;
    const std::int32_t h = SectionKeyOpen(state, section);
    if (h > 0) {
        result = RegValueGet(h, key);
        SubKeyClose(h);
    }
    return result;
}

QString SectionValueListGet(TavelinComState& state, const QString& section)
{
    QString result;
    const std::int32_t h = SectionKeyOpen(state, section);
    if (h > 0) {
        result = RegValueListGet(h);
        SubKeyClose(h);
    }
    return result;
}

void SectionValueDelete(TavelinComState& state, const QString& section, const QString& key)
{
    const std::int32_t h = SectionKeyOpen(state, section);
    if (h < 1)
        return;
    RegValueDelete(h, key);
    SubKeyClose(h);
}

// The section's key is named exactly as passed here, not trimmed; one with sub keys of its own stays.
void SectionDelete(TavelinComState& state, const QString& section)
{
    const std::int32_t h = SectionKeyOpen(state, QString());
    if (h < 1)
        return;
    SubKeyDelete(h, section);
    SubKeyClose(h);
}

std::int32_t TavelinComObject::RegistrySubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile)
{
    return SubKeyCreate(handle, subKey, isVolatile);
}
std::int32_t TavelinComObject::RegistrySubKeyOpen(std::int32_t handle, const QString& subKey)
{
    return SubKeyOpen(handle, subKey);
}
std::int32_t TavelinComObject::RegistrySubKeyClose(std::int32_t handle) { return SubKeyClose(handle); }
std::int32_t TavelinComObject::RegistrySubKeyDelete(std::int32_t handle, const QString& subKey)
{
    return SubKeyDelete(handle, subKey);
}
std::int32_t TavelinComObject::RegistryOpen() { return AppKeyOpen(state_); }
std::int32_t TavelinComObject::RegistryClose(std::int32_t handle) { return AppKeyClose(handle); }
std::int32_t TavelinComObject::RegistrySetValue(std::int32_t handle, const QString& valueName, const QString& data)
{
    return RegValueSet(handle, valueName, data);
}
QString TavelinComObject::RegistryGetValue(std::int32_t handle, const QString& valueName)
{
    return RegValueGet(handle, valueName);
}
QString TavelinComObject::RegistryGetAllValues(std::int32_t handle) { return RegValueListGet(handle); }
std::int32_t TavelinComObject::RegistryDeleteValue(std::int32_t handle, const QString& valueName)
{
    return RegValueDelete(handle, valueName);
}
void TavelinComObject::SetForcibleName(const QString& registryName) { ForcibleNameSet(state_, registryName); }
void TavelinComObject::CatalogVolatileSection(const QString& section) { VolatileSectionCatalog(state_, section); }
void TavelinComObject::SetRegistry(const QString& section, const QString& key, const QString& setting)
{
    SectionValueSet(state_, section, key, setting);
}
QString TavelinComObject::GetRegistry(const QString& section, const QString& key)
{
    return SectionValueGet(state_, section, key);
}
QString TavelinComObject::GetRegistryAllValues(const QString& section) { return SectionValueListGet(state_, section); }
void TavelinComObject::DelKeyRegistry(const QString& section, const QString& key)
{
    SectionValueDelete(state_, section, key);
}
void TavelinComObject::DelSectionRegistry(const QString& section) { SectionDelete(state_, section); }

} // namespace tavelin
