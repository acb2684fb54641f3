#include "platform/filesystem/HostError.h"

#include "platform/vbrt/Error.h"

#include <cerrno>
#include <cstring>

namespace platform::filesystem {

std::int32_t HostErrorNumber(int hostError, Missing missing)
{
    namespace E = vbrt::ErrorNumber;
    switch (hostError) {
    case ENOENT: return missing == Missing::File ? E::FileNotFound : E::PathNotFound;
    case ENOTDIR: return E::PathNotFound;
    case EEXIST:
    case ENOTEMPTY: return E::FileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EISDIR: return E::PermissionDenied; // a folder in the way of a file, as the old platform answered
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return E::DiskFull;
    case ELOOP:
    case EINVAL:
    case EXDEV: return E::PathFileAccessError;
    case ENAMETOOLONG: return E::BadFileNameOrNumber;
    case EMFILE:
    case ENFILE: return E::TooManyFiles;
    case ENOMEM: return E::OutOfMemory;
    default: return E::IoError; // EIO and anything unexpected: the host's text goes along
    }
}

void RaiseHostError(int hostError, const QString& source, const QString& path, Missing missing, vbrt::Refused refused)
{
    namespace E = vbrt::ErrorNumber;
    const std::int32_t number = HostErrorNumber(hostError, missing);
    if (number == E::IoError || number == E::TooManyFiles) {
        // The usual text says too little here: the host's own words go along.
        throw vbrt::Error(number, source, QStringLiteral("%1 %2 (%3)")
                                              .arg(vbrt::ErrorDescription(number),
                                                   QString::fromLocal8Bit(std::strerror(hostError)), path));
    }
    vbrt::RaiseNumber(number, source, path, refused);
}

} // namespace platform::filesystem
