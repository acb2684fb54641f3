#pragma once

// The per-user store of the library's client: values addressed by section and key under
// Software\Tavelin\(application name), plus raw key and value operations on handles.

#include "TavelinComObject.h"

#include <QString>

#include <cstdint>

namespace tavelin {

// The application name: the forced name, else the ini RegistryName, else the client's EXEName.
// Raises when none is forced or read and the client's application object is not set yet.
QString AppName(const TavelinComState& state);

// Raw operations on handles; a handle not obtained is -1, close and delete act only on handles above 0.
std::int32_t SubKeyCreate(std::int32_t handle, const QString& subKey, bool isVolatile);
std::int32_t SubKeyOpen(std::int32_t handle, const QString& subKey);
std::int32_t SubKeyClose(std::int32_t handle);
std::int32_t SubKeyDelete(std::int32_t handle, const QString& subKey);
std::int32_t RegValueSet(std::int32_t handle, const QString& valueName, const QString& data);
QString RegValueGet(std::int32_t handle, const QString& valueName);
QString RegValueListGet(std::int32_t handle);
std::int32_t RegValueDelete(std::int32_t handle, const QString& valueName);

// The application key.
std::int32_t AppKeyOpen(const TavelinComState& state);
std::int32_t AppKeyClose(std::int32_t handle);
void AppKeyCreate(TavelinComState& state);

void ForcibleNameSet(TavelinComState& state, const QString& registryName);
void VolatileSectionCatalog(TavelinComState& state, const QString& section);

// Section operations: each opens (creating when missing) the section's key and closes it again.
std::int32_t SectionKeyOpen(const TavelinComState& state, const QString& section);
void SectionValueSet(TavelinComState& state, const QString& section, const QString& key, const QString& setting);
QString SectionValueGet(TavelinComState& state, const QString& section, const QString& key);
QString SectionValueListGet(TavelinComState& state, const QString& section);
void SectionValueDelete(TavelinComState& state, const QString& section, const QString& key);
void SectionDelete(TavelinComState& state, const QString& section);

} // namespace tavelin
