#pragma once

// The one translation of a host error (errno) into the program's error numbers, for the layers
// that touch files (filesystem, zipfolder).

#include "platform/vbrt/Error.h"

#include <QString>

#include <cstdint>

namespace platform::filesystem {

// What a missing path means to the caller: a file it wanted (53) or a folder or path (76).
enum class Missing { File, Path };

std::int32_t HostErrorNumber(int hostError, Missing missing);

// Raises platform::vbrt::Error with the number and the usual text for it, the path appended; a
// refusal of access says whether reading or writing was refused.
[[noreturn]] void RaiseHostError(int hostError, const QString& source, const QString& path, Missing missing,
                                 vbrt::Refused refused = vbrt::Refused::Writing);
// A numbered failure of a file operation: the usual text, the path after it.
using vbrt::RaiseNumber;

} // namespace platform::filesystem
