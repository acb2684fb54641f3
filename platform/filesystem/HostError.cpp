#include "platform/filesystem/HostError.h"

#include "platform/vbrt/Error.h"

#include <cerrno>
#include <cstring>

namespace platform::filesystem {

namespace {

QString TextOf(std::int32_t number)
{
    namespace E = vbrt::ErrorNumber;
    switch (number) {
    case E::InvalidProcedureCall: return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case E::Overflow: return QStringLiteral("オーバーフローしました。");
    case E::BadFileNameOrNumber: return QStringLiteral("ファイル名または番号が不正です。");
    case E::FileNotFound: return QStringLiteral("ファイルが見つかりません。");
    case 54: return QStringLiteral("ファイルのモードが不正です。");
    case E::IoError: return QStringLiteral("デバイス I/O エラーです。");
    case E::FileAlreadyExists: return QStringLiteral("既に同名のファイルが存在しています。");
    case E::DiskFull: return QStringLiteral("ディスクの空き容量が不足しています。");
    case 62: return QStringLiteral("ファイルにこれ以上データがありません。");
    case E::PermissionDenied: return QStringLiteral("書き込みできません。");
    case E::PathFileAccessError: return QStringLiteral("パス名が無効です。");
    case E::PathNotFound: return QStringLiteral("パスが見つかりません。");
    default: return QStringLiteral("ファイルの操作に失敗しました。");
    }
}

} // namespace

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
    case ENFILE: return 67; // too many files
    case ENOMEM: return E::OutOfMemory;
    default: return E::IoError; // EIO and anything unexpected: the host's text goes along
    }
}

void RaiseNumber(std::int32_t number, const QString& source, const QString& path)
{
    throw vbrt::Error(number, source, QStringLiteral("%1 (%2)").arg(TextOf(number), path));
}

void RaiseHostError(int hostError, const QString& source, const QString& path, Missing missing)
{
    const std::int32_t number = HostErrorNumber(hostError, missing);
    QString text = TextOf(number);
    if (number == vbrt::ErrorNumber::IoError || number == 67)
        text += QStringLiteral(" %1").arg(QString::fromLocal8Bit(std::strerror(hostError)));
    throw vbrt::Error(number, source, QStringLiteral("%1 (%2)").arg(text, path));
}

} // namespace platform::filesystem
