#include "TavelinRegistry.h"

namespace tavelin {

QString AppName(const TavelinComState&) { return {}; }
std::int32_t SubKeyCreate(std::int32_t, const QString&, bool) { return -1; }
std::int32_t SubKeyOpen(std::int32_t, const QString&) { return -1; }
std::int32_t SubKeyClose(std::int32_t) { return 0; }
std::int32_t SubKeyDelete(std::int32_t, const QString&) { return 0; }
std::int32_t RegValueSet(std::int32_t, const QString&, const QString&) { return -1; }
QString RegValueGet(std::int32_t, const QString&) { return {}; }
QString RegValueListGet(std::int32_t) { return {}; }
std::int32_t RegValueDelete(std::int32_t, const QString&) { return -1; }
std::int32_t AppKeyOpen(const TavelinComState&) { return -1; }
std::int32_t AppKeyClose(std::int32_t) { return 0; }
void AppKeyCreate(TavelinComState&) {}
void ForcibleNameSet(TavelinComState&, const QString&) {}
void VolatileSectionCatalog(TavelinComState&, const QString&) {}
std::int32_t SectionKeyOpen(const TavelinComState&, const QString&) { return -1; }
void SectionValueSet(TavelinComState&, const QString&, const QString&, const QString&) {}
QString SectionValueGet(TavelinComState&, const QString&, const QString&) { return {}; }
QString SectionValueListGet(TavelinComState&, const QString&) { return {}; }
void SectionValueDelete(TavelinComState&, const QString&, const QString&) {}
void SectionDelete(TavelinComState&, const QString&) {}

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
