#include "platform/filesystem/FileSystem.h"

#include "platform/codepage/CodePage.h"
#include "platform/filesystem/HostError.h"
#include "platform/vbrt/Error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::filesystem {

namespace {

namespace E = vbrt::ErrorNumber;

QByteArray N(const QString& path) { return QFile::encodeName(path); }

std::function<int(const QString&)>& ReadOpenFault()
{
    static std::function<int(const QString&)> fault;
    return fault;
}

// Opens a file to read it, as the host would or as the testing seam says; -1 and errno on refusal.
int OpenToRead(const QString& path, int flags)
{
    if (ReadOpenFault()) {
        if (const int err = ReadOpenFault()(path)) {
            errno = err;
            return -1;
        }
    }
    return ::open(N(path).constData(), flags | O_CLOEXEC);
}

// An empty path names nothing (errno ENOENT), never the current folder.
bool Stat(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        errno = ENOENT;
    return !path.isEmpty() && ::stat(N(path).constData(), &st) == 0;
}
bool LStat(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        errno = ENOENT;
    return !path.isEmpty() && ::lstat(N(path).constData(), &st) == 0;
}

// A read-only entry is one nobody may write: the old platform's read-only attribute.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

QString WithoutTrailingSlashes(const QString& path)
{
    QString t = path;
    while (t.size() > 1 && t.endsWith(QLatin1Char('/')))
        t.chop(1);
    return t;
}

// "dir/" names the folder to put the source into, under the source's own name.
QString IntoFolder(const QString& source, const QString& destination)
{
    return destination.endsWith(QLatin1Char('/')) ? destination + GetFileName(source) : destination;
}

QString ParentOrCurrent(const QString& path)
{
    const QString parent = GetParentFolderName(path);
    return parent.isEmpty() ? QStringLiteral(".") : parent;
}

int WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

mode_t CreationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

const QLatin1String HiddenNameEnd(".saving");

// The one hidden name a target's file takes beside it before the rename onto the target. It is
// fixed per target, so a process killed before the rename leaves at most this one file, and the
// next write of the target removes it first.
QString HiddenNameBeside(const QString& target)
{
    const QString name = GetFileName(target);
    QString hidden = QStringLiteral(".") + name + HiddenNameEnd;
    if (N(hidden).size() > NAME_MAX) {
        const QByteArray digest = QCryptographicHash::hash(N(name), QCryptographicHash::Sha1).toHex().left(16);
        hidden = QStringLiteral(".") + name.left(100) + QLatin1Char('.') + QString::fromLatin1(digest) + HiddenNameEnd;
    }
    return ParentOrCurrent(target) + QLatin1Char('/') + hidden;
}

// A hidden file beside the target, to be renamed onto it once complete.
int OpenNamedTempBeside(const QString& target, QString& tempPath)
{
    const QString name = HiddenNameBeside(target);
    ::unlink(N(name).constData());
    const int fd = ::open(N(name).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        tempPath = name;
    return fd;
}

bool& UnnamedFilesDisabled()
{
    static bool disabled = false;
    return disabled;
}

std::function<void(const QString&, qint64)>& AtomicWriteHook()
{
    static std::function<void(const QString&, qint64)> hook;
    return hook;
}

// The file a target is written to before it takes the target's place: an unnamed file in the
// target's folder, so that a process killed while writing leaves nothing behind; where the file
// system has no unnamed files, a hidden named one (tempPath set).
int OpenTempBeside(const QString& target, QString& tempPath)
{
    tempPath.clear();
#ifdef O_TMPFILE
    if (!UnnamedFilesDisabled()) {
        const int fd = ::open(N(ParentOrCurrent(target)).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
    }
#endif
    return OpenNamedTempBeside(target, tempPath);
}

// Gives an unnamed file the target's hidden name; the name exists only until the rename that
// follows. What a killed write left under that name goes first.
int LinkUnnamed(int fd, const QString& target, QString& linked)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const QByteArray name = N(HiddenNameBeside(target));
    // Another copy writing the same target at the same moment may take the name in between.
    for (int attempt = 0; attempt < 100; ++attempt) {
        ::unlink(name.constData());
        int err = 0;
        if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) != 0) {
            err = errno;
            // Without /proc, the file's own descriptor (needs the right to read any file).
            if (err != EEXIST)
                err = ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
        }
        if (err == 0) {
            linked = QFile::decodeName(name);
            return 0;
        }
        if (err != EEXIST)
            return err;
    }
    return EEXIST;
}

// Copies what was written to an unnamed file that cannot be linked into a named file beside the target.
int CopyToNamed(int fd, const QString& target, QString& tempPath)
{
    const int out = OpenNamedTempBeside(target, tempPath);
    if (out < 0)
        return errno;
    struct stat st;
    if (::fstat(fd, &st) == 0)
        ::fchmod(out, st.st_mode & 07777);
    char buffer[65536];
    off_t offset = 0;
    int err = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            break;
        }
        if (n == 0)
            break;
        if ((err = WriteAll(out, buffer, n)) != 0)
            break;
        offset += n;
    }
    if (err == 0 && ::fsync(out) != 0)
        err = errno;
    if (::close(out) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(N(tempPath).constData());
        tempPath.clear();
    }
    return err;
}

// Copies a regular file's bytes, mode and modification time; the destination is replaced whole
// or not at all.
void CopyContents(const QString& source, const struct stat& sourceStat, const QString& destination,
                  const QString& procedure)
{
    const int in = OpenToRead(source, O_RDONLY);
    if (in < 0)
        RaiseHostError(errno, procedure, source, Missing::File, vbrt::Refused::Reading);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    AtomicWriter out(destination, procedure);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RaiseHostError(errno, procedure, source, Missing::File, vbrt::Refused::Reading);
        if (n == 0)
            break;
        out.Write(buffer, n);
    }
    out.SetPermissions(sourceStat.st_mode & 07777);
    out.SetModificationTime(sourceStat.st_mtim.tv_sec, sourceStat.st_mtim.tv_nsec);
    out.Commit();
}

void CopyFileChecked(const QString& source, const QString& destination, bool overwrite, const QString& procedure)
{
    struct stat ss;
    if (!Stat(source, ss))
        RaiseHostError(errno, procedure, source, Missing::File);
    if (S_ISDIR(ss.st_mode))
        RaiseNumber(E::FileNotFound, procedure, source);
    struct stat ds;
    if (Stat(destination, ds)) {
        if (S_ISDIR(ds.st_mode) || (ds.st_dev == ss.st_dev && ds.st_ino == ss.st_ino) || IsReadOnly(ds))
            RaiseNumber(E::PermissionDenied, procedure, destination);
        if (!overwrite)
            RaiseNumber(E::FileAlreadyExists, procedure, destination);
    }
    CopyContents(source, ss, destination, procedure);
}

QFileInfoList Entries(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

void CopyTree(const QString& source, const QString& destination, bool overwrite, const QString& procedure)
{
    struct stat ss;
    if (!Stat(source, ss))
        RaiseHostError(errno, procedure, source, Missing::Path);
    struct stat ds;
    if (Stat(destination, ds)) {
        if (!S_ISDIR(ds.st_mode))
            RaiseNumber(E::FileAlreadyExists, procedure, destination);
    } else if (::mkdir(N(destination).constData(), (ss.st_mode & 07777) | 0700) != 0) {
        RaiseHostError(errno, procedure, destination, Missing::Path);
    }
    for (const QFileInfo& entry : Entries(source)) {
        const QString from = entry.filePath();
        const QString to = destination + QLatin1Char('/') + entry.fileName();
        if (entry.isSymLink()) {
            // A link is copied as a link: following it could copy a tree into itself.
            struct stat ls;
            if (LStat(to, ls)) {
                if (!overwrite)
                    RaiseNumber(E::FileAlreadyExists, procedure, to);
                if (S_ISDIR(ls.st_mode))
                    RaiseNumber(E::FileAlreadyExists, procedure, to);
                if (::unlink(N(to).constData()) != 0)
                    RaiseHostError(errno, procedure, to, Missing::Path);
            }
            char target[4096];
            const ssize_t n = ::readlink(N(from).constData(), target, sizeof target - 1);
            if (n < 0)
                RaiseHostError(errno, procedure, from, Missing::File);
            target[n] = '\0';
            if (::symlink(target, N(to).constData()) != 0)
                RaiseHostError(errno, procedure, to, Missing::Path);
        } else if (entry.isDir()) {
            CopyTree(from, to, overwrite, procedure);
        } else {
            CopyFileChecked(from, to, overwrite, procedure);
        }
    }
}

// Finds a read-only entry in a tree (links are not followed).
bool HasReadOnly(const QString& folder)
{
    struct stat st;
    if (LStat(folder, st) && IsReadOnly(st) && !S_ISLNK(st.st_mode))
        return true;
    for (const QFileInfo& entry : Entries(folder)) {
        if (!LStat(entry.filePath(), st))
            continue;
        if (S_ISLNK(st.st_mode))
            continue;
        if (IsReadOnly(st))
            return true;
        if (S_ISDIR(st.st_mode) && HasReadOnly(entry.filePath()))
            return true;
    }
    return false;
}

void RemoveTree(const QString& folder, const QString& procedure)
{
    struct stat st;
    if (LStat(folder, st) && (st.st_mode & S_IWUSR) == 0)
        ::chmod(N(folder).constData(), (st.st_mode & 07777) | S_IWUSR | S_IXUSR);
    for (const QFileInfo& entry : Entries(folder)) {
        const QString path = entry.filePath();
        if (!LStat(path, st))
            continue;
        if (S_ISDIR(st.st_mode)) {
            RemoveTree(path, procedure);
        } else if (::unlink(N(path).constData()) != 0 && errno != ENOENT) {
            RaiseHostError(errno, procedure, path, Missing::Path);
        }
    }
    if (::rmdir(N(folder).constData()) != 0 && errno != ENOENT)
        RaiseHostError(errno, procedure, folder, Missing::Path);
}

// Renames without replacing anything already at the destination.
int RenameNoReplace(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, N(from).constData(), AT_FDCWD, N(to).constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat st;
    if (LStat(to, st))
        return EEXIST;
    return ::rename(N(from).constData(), N(to).constData()) == 0 ? 0 : errno;
}

} // namespace

struct StreamOpener {
    static std::shared_ptr<TextStream> Open(const QString& path, IOMode mode, int flags, const QString& procedure);
    static std::shared_ptr<TextStream> Adopt(const QString& path, IOMode mode, int fd)
    {
        return std::shared_ptr<TextStream>(new TextStream(path, mode, fd));
    }
};

// ---- text streams

TextStream::TextStream(QString path, IOMode mode, int fd) : path_(std::move(path)), mode_(mode), fd_(fd) {}

TextStream::~TextStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TextStream::Require(IOMode mode, const char* what) const
{
    if (fd_ < 0)
        RaiseNumber(E::BadFileNameOrNumber, QString::fromLatin1(what), path_);
    const bool reading = mode_ == IOMode::ForReading;
    if (reading != (mode == IOMode::ForReading))
        RaiseNumber(E::BadFileMode, QString::fromLatin1(what), path_);
}

void TextStream::Write(const QString& text)
{
    Require(IOMode::ForWriting, "Write");
    WriteBytes(codepage::ToShiftJis(text, QStringLiteral("Write")));
}

void TextStream::WriteLine(const QString& text)
{
    Require(IOMode::ForWriting, "WriteLine");
    WriteBytes(codepage::ToShiftJis(text, QStringLiteral("WriteLine")) + QByteArrayLiteral("\r\n"));
}

void TextStream::WriteBytes(const QByteArray& bytes)
{
    Require(IOMode::ForWriting, "Write");
    if (const int err = WriteAll(fd_, bytes.constData(), bytes.size()))
        RaiseHostError(err, QStringLiteral("Write"), path_, Missing::Path);
}

// Appends the next bytes of the file to those read ahead; false once the file has no more.
bool TextStream::ReadMore(const char* what)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RaiseHostError(errno, QString::fromLatin1(what), path_, Missing::File, vbrt::Refused::Reading);
        if (n == 0) {
            eof_ = true;
            return false;
        }
        pending_.append(buffer, n);
        return true;
    }
}

bool TextStream::AtEndOfStream()
{
    Require(IOMode::ForReading, "AtEndOfStream");
    while (pending_.isEmpty() && !eof_)
        ReadMore("Read");
    return pending_.isEmpty() && eof_;
}

QString TextStream::ReadLine()
{
    if (AtEndOfStream())
        RaiseNumber(E::InputPastEndOfFile, QStringLiteral("ReadLine"), path_);
    // A Shift_JIS trail byte is never LF, so a line can be cut at the byte.
    qsizetype lf = pending_.indexOf('\n');
    while (lf < 0 && !eof_) {
        const qsizetype before = pending_.size();
        if (ReadMore("ReadLine"))
            lf = pending_.indexOf('\n', before);
    }
    QByteArray line;
    if (lf < 0) {
        line = pending_;
        pending_.clear();
    } else {
        line = pending_.left(lf);
        pending_.remove(0, lf + 1);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return codepage::FromShiftJis(line, QStringLiteral("ReadLine"));
}

QString TextStream::ReadAll()
{
    QByteArray all;
    while (!AtEndOfStream()) {
        all += pending_;
        pending_.clear();
    }
    return codepage::FromShiftJis(all, QStringLiteral("ReadAll"));
}

void TextStream::Close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        RaiseHostError(errno, QStringLiteral("Close"), path_, Missing::Path);
}

std::shared_ptr<TextStream> StreamOpener::Open(const QString& path, IOMode mode, int flags, const QString& procedure)
{
    const bool reading = mode == IOMode::ForReading;
    const int fd = path.isEmpty() ? (errno = ENOENT, -1)
                   : reading      ? OpenToRead(path, flags)
                                  : ::open(N(path).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        const bool parentThere = QFileInfo(ParentOrCurrent(path)).isDir();
        RaiseHostError(err, procedure, path, parentThere ? Missing::File : Missing::Path,
                       reading ? vbrt::Refused::Reading : vbrt::Refused::Writing);
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        RaiseNumber(E::PermissionDenied, procedure, path);
    }
    return StreamOpener::Adopt(path, mode, fd);
}

std::shared_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite)
{
    const QString procedure = QStringLiteral("CreateTextFile");
    struct stat st;
    if (Stat(path, st)) {
        if (S_ISDIR(st.st_mode) || IsReadOnly(st))
            RaiseNumber(E::PermissionDenied, procedure, path);
        if (!overwrite)
            RaiseNumber(E::FileAlreadyExists, procedure, path);
    }
    return StreamOpener::Open(path, IOMode::ForWriting, O_WRONLY | O_CREAT | O_TRUNC, procedure);
}

std::shared_ptr<TextStream> OpenLogFile(const QString& path)
{
    const QString procedure = QStringLiteral("OpenLogFile");
    // Not blocking: a pipe put at the name would hold the program in the open until a reader came.
    const int fd = path.isEmpty() ? (errno = ENOENT, -1)
                                  : ::open(N(path).constData(),
                                           O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP)
            RaiseNumber(E::PermissionDenied, procedure, path); // a link at the name is never followed
        RaiseHostError(err, procedure, path, QFileInfo(ParentOrCurrent(path)).isDir() ? Missing::File : Missing::Path);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) {
        ::close(fd);
        RaiseNumber(E::PermissionDenied, procedure, path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // A log written before it was kept private becomes private now.
    ::fchmod(fd, 0600);
    return StreamOpener::Adopt(path, IOMode::ForAppending, fd);
}

std::shared_ptr<TextStream> OpenTextFile(const QString& path, IOMode mode, bool create)
{
    const QString procedure = QStringLiteral("OpenTextFile");
    int flags = 0;
    switch (mode) {
    case IOMode::ForReading: flags = O_RDONLY; break;
    case IOMode::ForWriting: flags = O_WRONLY | O_TRUNC; break;
    case IOMode::ForAppending: flags = O_WRONLY | O_APPEND; break;
    default: RaiseNumber(E::InvalidProcedureCall, procedure, path);
    }
    if (create && mode != IOMode::ForReading)
        flags |= O_CREAT;
    return StreamOpener::Open(path, mode, flags, procedure);
}

namespace {

// The path a write through a symbolic link must replace: the file at the end of the links, or
// where a dangling link points. Renaming onto the link itself would turn it into a plain file
// and leave the file it names as it was.
QString FileBehindLinks(const QString& path, const QString& procedure)
{
    QString current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (!LStat(current, st) || !S_ISLNK(st.st_mode))
            return current;
        const QString link = QFile::symLinkTarget(current);
        if (link.isEmpty())
            return current;
        current = link;
    }
    RaiseHostError(ELOOP, procedure, path, Missing::Path);
}

std::function<int(const QString&)>& WriteAccessFault()
{
    static std::function<int(const QString&)> fault;
    return fault;
}

std::function<int(const QString&)>& AtomicOpenFault()
{
    static std::function<int(const QString&)> fault;
    return fault;
}

// Why the user may not write the file, as a host error number; 0 when they may. The rename that
// replaces a file needs only the folder's permission: the file's own is asked here, as the open
// of a write in place would ask it.
int WriteRefusal(const QString& path)
{
    if (WriteAccessFault()) {
        if (const int err = WriteAccessFault()(path))
            return err;
    }
    if (::faccessat(AT_FDCWD, N(path).constData(), W_OK, AT_EACCESS) == 0)
        return 0;
    const int err = errno;
    return err == EACCES || err == EPERM || err == EROFS || err == ETXTBSY ? err : 0;
}

} // namespace

void SetAtomicOpenFault(std::function<int(const QString& target)> fault)
{
    AtomicOpenFault() = std::move(fault);
}

void SetWriteAccessFault(std::function<int(const QString& path)> fault)
{
    WriteAccessFault() = std::move(fault);
}

void SetReadOpenFault(std::function<int(const QString& path)> fault)
{
    ReadOpenFault() = std::move(fault);
}

AtomicWriter::AtomicWriter(QString target, QString procedure, WriteTarget kind)
    : procedure_(std::move(procedure))
{
    const bool document = kind == WriteTarget::Document;
    // A work file's name is replaced as it is: a link there leads nowhere the program writes.
    target_ = document ? FileBehindLinks(target, procedure_) : std::move(target);
    struct stat st;
    const bool exists = document ? Stat(target_, st) : LStat(target_, st);
    if (exists && S_ISDIR(st.st_mode))
        RaiseNumber(E::PermissionDenied, procedure_, target_);
    if (document && exists) {
        // A rename would part the file from its other names, which would keep the old text;
        // writing in place could leave it half written. Such a file is not replaced.
        if (S_ISREG(st.st_mode) && st.st_nlink > 1)
            throw vbrt::Error(E::PermissionDenied, procedure_,
                              QStringLiteral("ほかの名前(ハードリンク)からも使われているファイルには上書きできません。"
                                             "別の名前で保存してください。 (%1)")
                                  .arg(target_));
        if (IsReadOnly(st))
            RaiseNumber(E::PermissionDenied, procedure_, target_);
        if (const int err = WriteRefusal(target_))
            RaiseHostError(err, procedure_, target_, Missing::File);
    }
    ::unlink(N(HiddenNameBeside(target_)).constData());
    if (AtomicOpenFault()) {
        if (const int err = AtomicOpenFault()(target_))
            RaiseHostError(err, procedure_, target_, Missing::Path);
    }
    fd_ = OpenTempBeside(target_, tempPath_);
    if (fd_ < 0)
        RaiseHostError(errno, procedure_, target_, Missing::Path);
    ::fchmod(fd_, !document ? 0600 : exists ? (st.st_mode & 07777) : CreationMode());
}

AtomicWriter::~AtomicWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
        if (!tempPath_.isEmpty())
            ::unlink(N(tempPath_).constData());
    }
}

namespace {

std::function<int(qint64, qint64)>& AtomicWriteFault()
{
    static std::function<int(qint64, qint64)> fault;
    return fault;
}

} // namespace

void SetAtomicWriteFault(std::function<int(qint64 written, qint64 size)> fault)
{
    AtomicWriteFault() = std::move(fault);
}

void AtomicWriter::Write(const char* data, qsizetype size)
{
    if (fd_ < 0)
        RaiseNumber(E::BadFileNameOrNumber, procedure_, target_);
    if (AtomicWriteFault()) {
        if (const int err = AtomicWriteFault()(written_, size)) {
            // Part of the piece lands first, as a write that fails on the way does.
            WriteAll(fd_, data, size / 2);
            RaiseHostError(err, procedure_, target_, Missing::Path);
        }
    }
    if (const int err = WriteAll(fd_, data, size))
        RaiseHostError(err, procedure_, target_, Missing::Path);
    written_ += size;
    if (AtomicWriteHook())
        AtomicWriteHook()(target_, written_);
}

void AtomicWriter::SetPermissions(unsigned mode)
{
    if (fd_ >= 0)
        ::fchmod(fd_, static_cast<mode_t>(mode & 07777));
}

void AtomicWriter::SetModificationTime(std::int64_t seconds, long nanoseconds)
{
    if (fd_ < 0)
        return;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = nanoseconds;
    ::futimens(fd_, times);
}

void AtomicWriter::AbandonOnForcedEnd()
{
    abandoned_.emplace(tempPath_);
    writing_.reset();
}

void AtomicWriter::Commit(bool sync)
{
    if (fd_ < 0)
        RaiseNumber(E::BadFileNameOrNumber, procedure_, target_);
    // A write that is dropped on a forced end is still put in place whole once its commit began.
    std::optional<platform::system::WriteInProgress> committing;
    if (!writing_)
        committing.emplace();
    abandoned_.reset();
    int err = !sync || ::fsync(fd_) == 0 ? 0 : errno;
    if (err == 0 && tempPath_.isEmpty()) {
        // The unnamed file gets a name only now, for the moment until the rename.
        err = LinkUnnamed(fd_, target_, tempPath_);
        if (err != 0 && err != ENOSPC && err != EDQUOT && err != EROFS)
            err = CopyToNamed(fd_, target_, tempPath_);
    }
    if (::close(fd_) != 0 && err == 0)
        err = errno;
    fd_ = -1;
    if (err == 0 && ::rename(N(tempPath_).constData(), N(target_).constData()) != 0)
        err = errno;
    if (err != 0) {
        if (!tempPath_.isEmpty())
            ::unlink(N(tempPath_).constData());
        RaiseHostError(err, procedure_, target_, Missing::Path);
    }
}

void SetUnnamedTemporaryFiles(bool enabled)
{
    UnnamedFilesDisabled() = !enabled;
}

void SetAtomicWriteHook(std::function<void(const QString& target, qint64 written)> hook)
{
    AtomicWriteHook() = std::move(hook);
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes, bool sync)
{
    AtomicWriter out(path, QStringLiteral("WriteFile"));
    out.Write(bytes);
    out.Commit(sync);
}

void WriteWorkFile(const QString& path, const QByteArray& bytes)
{
    AtomicWriter out(path, QStringLiteral("WriteFile"), WriteTarget::WorkFile);
    out.Write(bytes);
    out.Commit(false);
}

void RenameWorkFile(const QString& source, const QString& destination)
{
    if (::rename(N(source).constData(), N(destination).constData()) != 0)
        RaiseHostError(errno, QStringLiteral("MoveFile"), destination, Missing::Path);
}

// ---- copies, moves, creation and deletion

void CopyFile(const QString& source, const QString& destination, bool overwrite)
{
    CopyFileChecked(source, IntoFolder(source, destination), overwrite, QStringLiteral("CopyFile"));
}

void CopyFolder(const QString& source, const QString& destination, bool overwrite)
{
    const QString procedure = QStringLiteral("CopyFolder");
    if (!FolderExists(source))
        RaiseNumber(E::PathNotFound, procedure, source);
    const QString target = IntoFolder(WithoutTrailingSlashes(source), destination);
    const QString from = GetAbsolutePathName(source);
    const QString to = GetAbsolutePathName(target);
    if (to == from || to.startsWith(from + QLatin1Char('/')))
        RaiseNumber(E::PermissionDenied, procedure, target); // a folder never goes into itself
    CopyTree(source, target, overwrite, procedure);
}

void MoveFile(const QString& source, const QString& destination)
{
    const QString procedure = QStringLiteral("MoveFile");
    struct stat st;
    if (!LStat(source, st) || S_ISDIR(st.st_mode))
        RaiseNumber(E::FileNotFound, procedure, source);
    const QString target = IntoFolder(source, destination);
    const int err = RenameNoReplace(source, target);
    if (err == EXDEV) {
        CopyFile(source, target, false);
        if (::unlink(N(source).constData()) != 0)
            RaiseHostError(errno, procedure, source, Missing::File);
    } else if (err != 0) {
        RaiseHostError(err, procedure, target, Missing::Path);
    }
}

void MoveFolder(const QString& source, const QString& destination)
{
    const QString procedure = QStringLiteral("MoveFolder");
    if (!FolderExists(source))
        RaiseNumber(E::PathNotFound, procedure, source);
    const QString target = IntoFolder(WithoutTrailingSlashes(source), destination);
    const int err = RenameNoReplace(WithoutTrailingSlashes(source), target);
    if (err == EXDEV) {
        struct stat st;
        if (LStat(target, st))
            RaiseNumber(E::FileAlreadyExists, procedure, target);
        CopyTree(source, target, false, procedure);
        RemoveTree(source, procedure);
    } else if (err != 0) {
        RaiseHostError(err, procedure, target, Missing::Path);
    }
}

void CreateFolder(const QString& path)
{
    if (path.isEmpty() || ::mkdir(N(path).constData(), 0777) != 0)
        RaiseHostError(path.isEmpty() ? ENOENT : errno, QStringLiteral("CreateFolder"), path, Missing::Path);
}

void DeleteFile(const QString& path, bool force)
{
    const QString procedure = QStringLiteral("DeleteFile");
    struct stat st;
    if (!LStat(path, st) || S_ISDIR(st.st_mode))
        RaiseNumber(E::FileNotFound, procedure, path);
    if (!force && !S_ISLNK(st.st_mode) && IsReadOnly(st))
        RaiseNumber(E::PermissionDenied, procedure, path);
    if (::unlink(N(path).constData()) != 0)
        RaiseHostError(errno, procedure, path, Missing::File);
}

void DeleteFolder(const QString& path, bool force)
{
    const QString procedure = QStringLiteral("DeleteFolder");
    const QString folder = WithoutTrailingSlashes(path);
    struct stat st;
    if (!Stat(folder, st) || !S_ISDIR(st.st_mode))
        RaiseNumber(E::PathNotFound, procedure, path);
    LStat(folder, st);
    if (S_ISLNK(st.st_mode)) {
        // A link to a folder goes, the folder it leads to stays.
        if (::unlink(N(folder).constData()) != 0)
            RaiseHostError(errno, procedure, path, Missing::Path);
        return;
    }
    // Nothing is deleted when a read-only entry would stop the deletion halfway.
    if (!force && HasReadOnly(folder))
        RaiseNumber(E::PermissionDenied, procedure, path);
    RemoveTree(folder, procedure);
}

void File::Delete(bool force) { DeleteFile(path_, force); }

void Folder::Delete(bool force) { DeleteFolder(path_, force); }

// ---- questions

bool FileExists(const QString& path)
{
    struct stat st;
    return Stat(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExists(const QString& path)
{
    struct stat st;
    return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool DriveExists(const QString& driveSpec)
{
    if (driveSpec.isEmpty())
        return false;
    const QString spec = QDir::cleanPath(driveSpec);
    if (spec == QLatin1String("/"))
        return true;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.rootPath() == spec)
            return true;
    return false;
}

QString GetAbsolutePathName(const QString& path)
{
    if (path.isEmpty())
        return QDir::currentPath();
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString GetFileName(const QString& path)
{
    const QString t = WithoutTrailingSlashes(path);
    if (t == QLatin1String("/"))
        return {};
    return t.mid(t.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetBaseName(const QString& path)
{
    const QString name = GetFileName(path);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString GetExtensionName(const QString& path)
{
    const QString name = GetFileName(path);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetParentFolderName(const QString& path)
{
    const QString t = WithoutTrailingSlashes(path);
    if (t.isEmpty() || t == QLatin1String("/"))
        return {};
    const qsizetype slash = t.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    const QString parent = WithoutTrailingSlashes(t.left(slash));
    return parent.isEmpty() ? QStringLiteral("/") : parent;
}

QString GetDriveName(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
}

QString GetDrive(const QString& path)
{
    QString existing = GetAbsolutePathName(path);
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/"))
        existing = GetParentFolderName(existing);
    const QStorageInfo volume(existing);
    return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

std::shared_ptr<File> GetFile(const QString& path)
{
    if (!FileExists(path))
        RaiseNumber(E::FileNotFound, QStringLiteral("GetFile"), path);
    return std::make_shared<File>(path);
}

std::shared_ptr<Folder> GetFolder(const QString& path)
{
    if (!FolderExists(path))
        RaiseNumber(E::PathNotFound, QStringLiteral("GetFolder"), path);
    return std::make_shared<Folder>(WithoutTrailingSlashes(path));
}

QString TemporaryFolder()
{
    const QString existing = QDir::tempPath();
    if (!existing.isEmpty())
        return WithoutTrailingSlashes(existing);
    // Qt answers nothing for a $TMPDIR that names no folder; an empty name would put the work
    // files in the current folder or the root, and nobody could tell which folder is missing.
    const QString named = qEnvironmentVariable("TMPDIR");
    return named.isEmpty() ? QStringLiteral("/tmp") : GetAbsolutePathName(named);
}

namespace {

// What mkdtemp replaces by as many letters and digits.
const QLatin1String PrivateFolderTemplate("XXXXXX");

std::function<int(const QString&)>& FolderCreateFault()
{
    static std::function<int(const QString&)> fault;
    return fault;
}

} // namespace

void SetFolderCreateFault(std::function<int(const QString& parent)> fault)
{
    FolderCreateFault() = std::move(fault);
}

QString CreatePrivateFolder(const QString& parent, const QString& namePrefix)
{
    QByteArray name = N(WithoutTrailingSlashes(parent) + QLatin1Char('/') + namePrefix + PrivateFolderTemplate);
    if (parent.isEmpty())
        RaiseHostError(ENOENT, QStringLiteral("CreatePrivateFolder"), parent, Missing::Path);
    if (FolderCreateFault()) {
        if (const int err = FolderCreateFault()(parent))
            RaiseHostError(err, QStringLiteral("CreatePrivateFolder"), parent, Missing::Path);
    }
    if (::mkdtemp(name.data()) == nullptr)
        RaiseHostError(errno, QStringLiteral("CreatePrivateFolder"), parent, Missing::Path);
    return QFile::decodeName(name);
}

bool IsPrivateFolderName(const QString& name, const QString& namePrefix)
{
    if (name.size() != namePrefix.size() + PrivateFolderTemplate.size() || !name.startsWith(namePrefix))
        return false;
    for (const QChar c : QStringView(name).mid(namePrefix.size()))
        if (c.unicode() > 0x7f || !c.isLetterOrNumber())
            return false;
    return true;
}

QString HiddenNameTarget(const QString& name)
{
    if (!name.startsWith(QLatin1Char('.')) || !name.endsWith(HiddenNameEnd) ||
        name.size() <= 1 + HiddenNameEnd.size())
        return {};
    return name.mid(1, name.size() - 1 - HiddenNameEnd.size());
}

QString UserFolder(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return WithoutTrailingSlashes(runtime) + QLatin1Char('/') + name;
    return TemporaryFolder() + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(::getuid());
}

bool PrivateFolderReady(const QString& folder, bool create)
{
    const QByteArray path = N(folder);
    struct stat st {};
    if (folder.isEmpty())
        return false;
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return false;
        QDir().mkpath(QFileInfo(folder).absolutePath());
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (::lstat(path.constData(), &st) != 0)
            return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// ---- file and folder objects

QString File::Name() const { return GetFileName(path_); }

std::int64_t File::Size() const
{
    struct stat st;
    if (!Stat(path_, st))
        RaiseHostError(errno, QStringLiteral("Size"), path_, Missing::File);
    return static_cast<std::int64_t>(st.st_size);
}

QDateTime File::DateLastModified() const
{
    struct stat st;
    if (!Stat(path_, st))
        RaiseHostError(errno, QStringLiteral("DateLastModified"), path_, Missing::File);
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
}

QString Folder::Name() const { return GetFileName(path_); }

QStringList Folder::Files() const
{
    if (!FolderExists(path_))
        RaiseNumber(E::PathNotFound, QStringLiteral("Files"), path_);
    return QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList Folder::SubFolders() const
{
    if (!FolderExists(path_))
        RaiseNumber(E::PathNotFound, QStringLiteral("SubFolders"), path_);
    return QDir(path_).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace platform::filesystem
