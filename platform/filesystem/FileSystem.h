#pragma once

// The file-system object: files, folders and text streams, with the old component's answers and
// error numbers (53 file not found, 58 file already exists, 70 permission denied, 76 path not
// found, ...). Paths use "/"; a relative path is taken against the process's current folder.
// Text streams carry Shift_JIS ("ANSI") text and end lines with CR LF.

#include "platform/system/System.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace platform::filesystem {

enum class IOMode { ForReading = 1, ForWriting = 2, ForAppending = 8 };

// An open text file. The file closes at Close or when the last owner lets the stream go.
// Writing a character that has no Shift_JIS form raises instead of writing "?".
class TextStream {
public:
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    void Write(const QString& text);
    void WriteLine(const QString& text = {});
    // Raw bytes, written unchanged (for data that is not text).
    void WriteBytes(const QByteArray& bytes);

    // Reading: a line ends at LF or CR LF, neither of which is part of the line.
    bool AtEndOfStream();
    QString ReadLine();
    QString ReadAll();

    void Close();
    const QString& Path() const { return path_; }

private:
    friend struct StreamOpener;
    TextStream(QString path, IOMode mode, int fd);
    void Require(IOMode mode, const char* what) const;
    bool ReadMore(const char* what);

    QString path_;
    IOMode mode_;
    int fd_ = -1;
    QByteArray pending_; // bytes read ahead of the current line
    bool eof_ = false;
};

// A file as it is now: its answers are read from the disk at each call.
class File {
public:
    explicit File(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }
    QString Name() const;
    std::int64_t Size() const;
    QDateTime DateLastModified() const;
    // Raises 70 for a read-only file unless force is set.
    void Delete(bool force = false);

private:
    QString path_;
};

// A folder as it is now: its listings are read from the disk at each call.
class Folder {
public:
    explicit Folder(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }
    QString Name() const;
    // Names of the files and of the sub-folders, sorted by name.
    QStringList Files() const;
    QStringList SubFolders() const;
    // Deletes the folder with everything in it; read-only entries only when force is set.
    void Delete(bool force = false);

private:
    QString path_;
};

// A destination ending in "/" names the folder to copy or move into.
void CopyFile(const QString& source, const QString& destination, bool overwrite = true);
void CopyFolder(const QString& source, const QString& destination, bool overwrite = true);
void MoveFile(const QString& source, const QString& destination);
void MoveFolder(const QString& source, const QString& destination);
// Raises 58 when the folder exists, 76 when its parent does not.
void CreateFolder(const QString& path);
// Raises 53 when the file is absent.
void DeleteFile(const QString& path, bool force = false);
// Raises 76 when the folder is absent.
void DeleteFolder(const QString& path, bool force = false);

std::shared_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite = true);
std::shared_ptr<TextStream> OpenTextFile(const QString& path, IOMode mode = IOMode::ForReading, bool create = false);
// What an atomic writer replaces.
enum class WriteTarget {
    // A file of the user's: written where a symbolic link at its name leads, refused (70) when it
    // is read-only or the user may not write it, and it keeps its permissions.
    Document,
    // A work file of this process, in a folder of its own: whatever is at the name, a link too,
    // is replaced and never followed, and the file is readable and writable by its owner alone.
    WorkFile,
};

// A file written beside its target and put in place by Commit, so the target is replaced whole
// or not at all; without Commit the partial file goes away. The target keeps its permissions.
// While it is written the file has no name (an unnamed file in the target's folder), so a process
// killed meanwhile leaves nothing beside the target; it gets a hidden name only for the moment
// between Commit's link and its rename. A file system without unnamed files gets a hidden named
// file instead. The hidden name is one fixed name per target, so a killed write leaves at most
// one such file, and the next write of the target removes it.
// A document that is a symbolic link is written where the link leads; the link stays. A document
// that has further names (hard links) is refused rather than parted from them, and so is one that
// is read-only or that the user may not write, which the rename alone would not ask.
class AtomicWriter {
public:
    // Raises like the host refuses (76 for a missing folder, 70 for a folder in the way, a file
    // with several names or one the user may not write, ...).
    AtomicWriter(QString target, QString procedure, WriteTarget kind = WriteTarget::Document);
    ~AtomicWriter();
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;

    void Write(const char* data, qsizetype size);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }
    void SetPermissions(unsigned mode);
    void SetModificationTime(std::int64_t seconds, long nanoseconds = 0);
    // For output that can be made again (a PDF): from now on an end forced from outside does not
    // wait for this write but drops it, file and all; only Commit is still waited for.
    void AbandonOnForcedEnd();
    // Puts the file in place; with sync the data reaches the disk first (a file that only lives
    // as long as the process needs no more than the whole replacement).
    void Commit(bool sync = true);

private:
    QString target_;
    QString procedure_;
    QString tempPath_; // empty while the file has no name
    int fd_ = -1;
    qint64 written_ = 0;
    std::optional<platform::system::WriteInProgress> writing_{std::in_place};
    std::optional<platform::system::AbandonedOnEnd> abandoned_;
};

// The name of the target whose hidden file beside it (see AtomicWriter) is named name; empty for
// any other name. A target whose name is too long for the plain hidden name is not recognised.
QString HiddenNameTarget(const QString& name);

// Testing seams: unnamed files off (the hidden named file of file systems without them), and a
// call after each write of an AtomicWriter with its target and the bytes written so far.
void SetUnnamedTemporaryFiles(bool enabled);
void SetAtomicWriteHook(std::function<void(const QString& target, qint64 written)> hook);
// Asked before each write of an atomic writer with the bytes written so far and the size of the
// next piece; a non-zero host error number fails that write as the host would (a full disk, a
// lost device), whoever runs the test. An empty hook restores plain writing.
void SetAtomicWriteFault(std::function<int(qint64 written, qint64 size)> fault);
// Asked before an atomic writer opens its file beside the target; a non-zero host error number
// fails the opening as the host would (a folder the user may not write), whoever runs the test.
void SetAtomicOpenFault(std::function<int(const QString& target)> fault);

// Asked before a document is replaced, with the file's path: a non-zero host error number refuses
// it as the host's access check would (a file of another user's, a read-only mount), whoever runs
// the test. An empty hook restores the host's check.
void SetWriteAccessFault(std::function<int(const QString& path)> fault);
// Asked before a file is opened to be read (a text file, the source of a copy), with its path: a
// non-zero host error number refuses the opening as the host would (a file of another user's),
// whoever runs the test. An empty hook restores plain opening.
void SetReadOpenFault(std::function<int(const QString& path)> fault);

void WriteFileAtomically(const QString& path, const QByteArray& bytes, bool sync = true);
// A work file put in place whole (WriteTarget::WorkFile), not forced to the disk: it lives no
// longer than the process.
void WriteWorkFile(const QString& path, const QByteArray& bytes);
// Gives a finished work file another name in its folder in one step, replacing whatever stands at
// that name: a link there is replaced, never followed.
void RenameWorkFile(const QString& source, const QString& destination);

// A log appended to in a folder that others share: created readable and writable by its owner
// alone; refused (70) when the name is a link, no plain file, another user's or a file with
// further names, so that nobody can make the program write where they choose.
std::shared_ptr<TextStream> OpenLogFile(const QString& path);

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
// A drive is the root of a mounted file system ("/", "/home" when mounted apart, ...).
bool DriveExists(const QString& driveSpec);

// Path text: nothing here touches the disk except GetDrive.
QString GetAbsolutePathName(const QString& path);  // against the current folder, "." and ".." resolved
QString GetFileName(const QString& path);          // last component, a trailing "/" ignored
QString GetBaseName(const QString& path);          // last component without its extension
QString GetExtensionName(const QString& path);     // text after the last dot of the last component
QString GetParentFolderName(const QString& path);  // "" when there is none
QString GetDriveName(const QString& path);         // "/" for an absolute path, "" for a relative one
QString GetDrive(const QString& path);             // mount point of the file system holding the path

// Raise 53 (file) and 76 (folder) when absent.
std::shared_ptr<File> GetFile(const QString& path);
std::shared_ptr<Folder> GetFolder(const QString& path);

// The temporary folder ($TMPDIR, else /tmp), without a trailing "/". A $TMPDIR that names no
// folder still gives its name (made absolute), so that what fails there names the folder.
QString TemporaryFolder();

// A new folder in parent that only its owner may enter (0700), named namePrefix followed by six
// random characters. Raises like the host refuses.
QString CreatePrivateFolder(const QString& parent, const QString& namePrefix);
// Testing seam: asked before CreatePrivateFolder makes a folder in parent; a non-zero host error
// number refuses it as the host would (a folder the user may not write), whoever runs the test.
// An empty hook restores plain making.
void SetFolderCreateFault(std::function<int(const QString& parent)> fault);
// Whether name is one CreatePrivateFolder gives with namePrefix: the prefix, then six ASCII
// letters and digits.
bool IsPrivateFolderName(const QString& name, const QString& namePrefix);
// The folder of the current user's, named name, for what the user's running copies share: in
// $XDG_RUNTIME_DIR where the session has one, else "<temporary folder>/<name>-<user id>".
QString UserFolder(const QString& name);
// True when folder is a real folder (no link) of the current user's that nobody else may enter;
// when it is missing and create is set, it is made so first. A shared temporary folder may hold a
// folder of that name made by someone else: it is never used.
bool PrivateFolderReady(const QString& folder, bool create);

} // namespace platform::filesystem
