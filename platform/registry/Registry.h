#pragma once

// The current user's registry hive: keys below a root handle, string values, volatile keys.
//
// Persistent keys live in one file under $XDG_CONFIG_HOME (default ~/.config), volatile keys in
// one under $XDG_RUNTIME_DIR (else a private folder in the temporary folder), so they vanish
// with the session. Every call works under a lock shared by the running copies of the program and
// sees the store as it is then, so they see each other's values at once: a value written is
// appended to a journal beside its store file, and the store file is rewritten whole (put in
// place atomically) when keys come or go or the journal has grown past it. A copy reads again
// only what changed since its last call. Texts are kept as
// UTF-8, whole, whatever their length. Key and value names match without regard to case.

#include <QString>

#include <cstdint>
#include <functional>

namespace platform::registry {

using Handle = std::int32_t;

// The root of the current user's hive. Never closed, never deleted.
constexpr Handle CurrentUser = static_cast<Handle>(0x80000001u);

// Outcomes of every call: 0 is success, the others are the hive's status codes.
namespace Status {
constexpr std::int32_t Success = 0;
constexpr std::int32_t FileNotFound = 2;        // no such key or value
constexpr std::int32_t AccessDenied = 5;        // deleting a key that still has sub keys
constexpr std::int32_t InvalidHandle = 6;
constexpr std::int32_t WriteFault = 29;         // the store could not be written
constexpr std::int32_t InvalidParameter = 87;
constexpr std::int32_t BadPathname = 161;       // a key path with an empty part
constexpr std::int32_t NoMoreItems = 259;
constexpr std::int32_t KeyDeleted = 1018;       // the handle's key was deleted meanwhile
constexpr std::int32_t ChildMustBeVolatile = 1021;
} // namespace Status

// Value types; the store writes only strings, a value of another type may be met in a store file.
namespace ValueType {
constexpr std::int32_t None = 0;
constexpr std::int32_t String = 1;
} // namespace ValueType

// Creates the key (and any missing keys above it) or opens it when it exists; an existing key keeps
// the kind it was created with. A sub key path separates its parts with "\"; the empty path names
// the key of the handle itself.
std::int32_t CreateKey(Handle parent, const QString& subKey, bool isVolatile, Handle& result);
// Opens an existing key.
std::int32_t OpenKey(Handle parent, const QString& subKey, Handle& result);
std::int32_t CloseKey(Handle key);
// Deletes a key that has no sub keys.
std::int32_t DeleteKey(Handle parent, const QString& subKey);

std::int32_t SetValue(Handle key, const QString& name, const QString& data);
std::int32_t QueryValue(Handle key, const QString& name, std::int32_t& type, QString& data);
// The value at an index, in the order the values were first written; NoMoreItems past the last.
std::int32_t EnumValue(Handle key, std::int32_t index, QString& name, std::int32_t& type, QString& data);
std::int32_t DeleteValue(Handle key, const QString& name);

// Where the two store files are (they need not exist).
QString StoreFilePath();
QString VolatileStoreFilePath();

// Testing seam: called after each chunk of a store file is written beside the store, before the
// new file takes the store's place. Tests use it to end the process in the middle of a write.
void SetWriteProgressHook(std::function<void(qint64 written, qint64 total)> hook);

} // namespace platform::registry
