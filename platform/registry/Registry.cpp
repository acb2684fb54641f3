#include "platform/registry/Registry.h"

namespace platform::registry {

std::int32_t CreateKey(Handle, const QString&, bool, Handle& result) { result = 0; return Status::InvalidHandle; }
std::int32_t OpenKey(Handle, const QString&, Handle& result) { result = 0; return Status::InvalidHandle; }
std::int32_t CloseKey(Handle) { return Status::InvalidHandle; }
std::int32_t DeleteKey(Handle, const QString&) { return Status::InvalidHandle; }
std::int32_t SetValue(Handle, const QString&, const QString&) { return Status::InvalidHandle; }
std::int32_t QueryValue(Handle, const QString&, std::int32_t&, QString&) { return Status::InvalidHandle; }
std::int32_t EnumValue(Handle, std::int32_t, QString&, std::int32_t&, QString&) { return Status::InvalidHandle; }
std::int32_t DeleteValue(Handle, const QString&) { return Status::InvalidHandle; }
QString StoreFilePath() { return {}; }
QString VolatileStoreFilePath() { return {}; }

} // namespace platform::registry
