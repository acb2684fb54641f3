#include "platform/system/EndedCopies.h"

#include "platform/filesystem/FileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platform::system {

namespace {

// The process id of "<programName>.<digits>.<rest>", the digits as a process id is written (no
// leading zero), and the rest; 0 for any other name.
pid_t ProcessIdOf(const QString& entry, const QString& programName, QStringView* rest = nullptr)
{
    const QString prefix = programName + QLatin1Char('.');
    if (!entry.startsWith(prefix))
        return 0;
    const qsizetype dot = entry.indexOf(QLatin1Char('.'), prefix.size());
    if (dot <= prefix.size() || dot + 1 >= entry.size() || entry.at(prefix.size()) == QLatin1Char('0'))
        return 0;
    const QStringView digits = QStringView(entry).mid(prefix.size(), dot - prefix.size());
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    bool ok = false;
    const qlonglong id = digits.toLongLong(&ok);
    if (!ok || id <= 0 || id > 0x7fffffff)
        return 0;
    if (rest)
        *rest = QStringView(entry).mid(dot + 1);
    return static_cast<pid_t>(id);
}

// A process id no process runs under now. A process of another user answers EPERM: it runs.
bool Ended(pid_t id)
{
    return ::kill(id, 0) != 0 && errno == ESRCH;
}

bool EndedCopy(pid_t id)
{
    return id != ::getpid() && Ended(id);
}

std::optional<uid_t>& WorkFileOwner()
{
    static std::optional<uid_t> owner;
    return owner;
}

bool Own(uid_t owner)
{
    return owner == WorkFileOwner().value_or(::getuid());
}

bool Own(const struct stat& st)
{
    return Own(st.st_uid);
}

// A real folder (no link) of this user's at name in the folder open at parent (AT_FDCWD: name is
// a path), as MadeFolder knows it; with its mode.
std::optional<std::pair<MadeFolder, mode_t>> FolderAt(int parent, const QByteArray& name)
{
    struct statx st {};
    constexpr unsigned wanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_BTIME;
    if (::statx(parent, name.constData(), AT_SYMLINK_NOFOLLOW, wanted, &st) != 0 || !S_ISDIR(st.stx_mode) ||
        !Own(st.stx_uid))
        return std::nullopt;
    MadeFolder folder;
    folder.device = ::makedev(st.stx_dev_major, st.stx_dev_minor);
    folder.inode = st.stx_ino;
    if (st.stx_mask & STATX_BTIME)
        folder.born = std::int64_t(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
    return std::pair{folder, mode_t(st.stx_mode)};
}

// Whether two looks at a folder saw the same one. An inode number freed by a removal is soon given
// to the next folder made; where the file system tells when a folder was made, that tells them apart.
bool SameFolder(const MadeFolder& a, const MadeFolder& b)
{
    return a.device == b.device && a.inode == b.inode && (a.born < 0 || b.born < 0 || a.born == b.born);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// An entry of a folder as itself: a link is the link, never what it leads to. The name's bytes
// are kept for the calls, a name that is no valid text in the system's encoding included.
struct Entry {
    QByteArray bytes;
    QString name;
    struct stat st {};
};

// The names in an open folder with their inode numbers, "." and ".." left out; none when the
// folder cannot be read. Read whole before anything is done with them, so that the folder is not
// changed while it is read.
std::optional<std::vector<std::pair<ino_t, QByteArray>>> NamesIn(int folder)
{
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::pair<ino_t, QByteArray>> names;
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0)
            names.emplace_back(item->d_ino, QByteArray(item->d_name));
    }
    ::closedir(dir);
    return names;
}

// The entries of an open folder that are wanted, by name; one gone before it could be looked at
// is left out.
template <typename Wanted>
std::vector<Entry> EntriesOf(int folder, Wanted wanted)
{
    std::vector<Entry> entries;
    for (auto& [inode, bytes] : NamesIn(folder).value_or(std::vector<std::pair<ino_t, QByteArray>>{})) {
        Entry entry;
        entry.bytes = std::move(bytes);
        entry.name = QFile::decodeName(entry.bytes);
        if (wanted(entry.name) && ::fstatat(folder, entry.bytes.constData(), &entry.st, AT_SYMLINK_NOFOLLOW) == 0)
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<Entry> EntriesOf(int folder)
{
    return EntriesOf(folder, [](const QString&) { return true; });
}

// The folder an entry is, opened without following a link and only while it is still the folder
// that was looked at.
int OpenFolderAsSeen(int parent, const Entry& entry)
{
    const int fd = ::openat(parent, entry.bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_dev != entry.st.st_dev || st.st_ino != entry.st.st_ino)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A folder found to hold nothing but what the program makes, with what it holds.
struct Tree {
    QByteArray name;  // of a folder inside another
    std::vector<QByteArray> files;
    std::vector<Tree> folders;
};

// Removes what was found in the folder and then the folder, which goes only when nothing else came
// into it meanwhile.
bool RemoveTree(int parent, const QByteArray& name, const Tree& tree)
{
    {
        const Descriptor fd(::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.get() < 0)
            return false;
        for (const Tree& inside : tree.folders)
            RemoveTree(fd.get(), inside.name, inside);
        for (const QByteArray& file : tree.files)
            ::unlinkat(fd.get(), file.constData(), 0);
    }
    return ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
}

// The shapes, each expression made to match a whole name.
class Shapes {
public:
    explicit Shapes(const WorkFileShapes& shapes)
        : program_(shapes.program), file_(Whole(shapes.file)), folder_(Whole(shapes.folder)),
          folderFile_(Whole(shapes.folderFile))
    {
    }

    // The process id of a work file's name, or of the hidden name its writer gives it; else 0.
    pid_t WorkFile(const QString& name) const
    {
        const QString target = filesystem::HiddenNameTarget(name);
        QStringView rest;
        const pid_t id = ProcessIdOf(target.isEmpty() ? name : target, program_, &rest);
        return id != 0 && Matches(file_, rest) ? id : 0;
    }
    pid_t WorkFolder(const QString& name) const
    {
        QStringView rest;
        const pid_t id = ProcessIdOf(name, program_, &rest);
        return id != 0 && Matches(folder_, rest) ? id : 0;
    }
    bool WorkFolderFile(const QString& name) const
    {
        const QString target = filesystem::HiddenNameTarget(name);
        return Matches(folderFile_, target.isEmpty() ? name : target);
    }
    pid_t RunFolder(const QString& name) const
    {
        const pid_t id = ProcessIdOf(name, program_);
        const QString prefix = program_ + QLatin1Char('.') + QString::number(id) + QLatin1Char('.');
        return id != 0 && filesystem::IsPrivateFolderName(name, prefix) ? id : 0;
    }

private:
    static QRegularExpression Whole(const QRegularExpression& e)
    {
        return QRegularExpression(QRegularExpression::anchoredPattern(e.pattern()), e.patternOptions());
    }
    static bool Matches(const QRegularExpression& e, QStringView text)
    {
        return e.match(text).hasMatch();
    }

    QString program_;
    QRegularExpression file_, folder_, folderFile_;
};

// A work folder's files, when it holds nothing else.
bool WorkFolderTree(int parent, const Entry& folder, const Shapes& shapes, Tree& tree)
{
    const Descriptor fd(OpenFolderAsSeen(parent, folder));
    if (fd.get() < 0)
        return false;
    for (const Entry& entry : EntriesOf(fd.get())) {
        if (!S_ISREG(entry.st.st_mode) || !Own(entry.st) || !shapes.WorkFolderFile(entry.name))
            return false;
        tree.files.push_back(entry.bytes);
    }
    return true;
}

// What the run folder of copy id holds, when it holds nothing but that copy's work files and work
// folders.
bool RunFolderTree(int parent, const Entry& run, pid_t id, const Shapes& shapes, Tree& tree)
{
    if ((run.st.st_mode & 07777) != 0700)
        return false;
    const Descriptor fd(OpenFolderAsSeen(parent, run));
    if (fd.get() < 0)
        return false;
    for (const Entry& entry : EntriesOf(fd.get())) {
        if (!Own(entry.st))
            return false;
        if (S_ISREG(entry.st.st_mode) && shapes.WorkFile(entry.name) == id) {
            tree.files.push_back(entry.bytes);
            continue;
        }
        Tree inside;
        if (!S_ISDIR(entry.st.st_mode) || shapes.WorkFolder(entry.name) != id ||
            !WorkFolderTree(fd.get(), entry, shapes, inside))
            return false;
        inside.name = entry.bytes;
        tree.folders.push_back(std::move(inside));
    }
    return true;
}

enum class Sweep { TemporaryFolder, ExchangeFolder };

int RemoveLeftOvers(const QString& folder, const WorkFileShapes& given, Sweep sweep)
{
    if (folder.isEmpty() || given.program.isEmpty())
        return 0;
    const Shapes shapes(given);
    const Descriptor fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return 0;
    // A shared temporary folder may hold many entries: only those of the program's names are looked at.
    const QString named = given.program + QLatin1Char('.');
    const QString hidden = QLatin1Char('.') + named;
    const auto wanted = [&](const QString& name) { return name.startsWith(named) || name.startsWith(hidden); };
    int removed = 0;
    for (const Entry& entry : EntriesOf(fd.get(), wanted)) {
        if (!Own(entry.st))
            continue;
        if (sweep == Sweep::ExchangeFolder) {
            const pid_t id = S_ISREG(entry.st.st_mode) ? shapes.WorkFile(entry.name) : 0;
            if (id != 0 && EndedCopy(id) && ::unlinkat(fd.get(), entry.bytes.constData(), 0) == 0)
                ++removed;
            continue;
        }
        // The program makes nothing at the top of the temporary folder but its run folders: a
        // file or folder there that earlier versions made under a work file's name is left, for
        // it may as well be the user's.
        Tree tree;
        const pid_t id = S_ISDIR(entry.st.st_mode) ? shapes.RunFolder(entry.name) : 0;
        if (id != 0 && EndedCopy(id) && RunFolderTree(fd.get(), entry, id, shapes, tree) &&
            RemoveTree(fd.get(), entry.bytes, tree))
            ++removed;
    }
    return removed;
}

// The six characters mkdtemp puts at the end of a run folder's name.
constexpr std::size_t kUniqueLength = 6;
// Deeper than any folder of the program's own: what lies further down is left.
constexpr int kDepthLimit = 64;
// An entry made while its folder is being emptied keeps it from going; it is emptied again.
constexpr int kEmptyingPasses = 3;

// A folder's name with fresh characters in place of the six mkdtemp gave it; empty for a name
// that does not end in them.
std::string AsideName(const std::string& name)
{
    if (name.size() <= kUniqueLength || name[name.size() - kUniqueLength - 1] != '.')
        return {};
    static constexpr char kCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string aside = name.substr(0, name.size() - kUniqueLength);
    for (std::size_t i = 0; i < kUniqueLength; ++i)
        aside += kCharacters[random() % (sizeof kCharacters - 1)];
    return aside;
}

bool RemoveEntryAt(int parent, const char* name, int depth);

// Removes every entry of the folder open at folder, in the order of their inodes: a disk file
// system removes the thousands of files of a long print faster so than in the order the folder
// lists them.
bool EmptyFolderAt(int folder, int depth)
{
    std::optional<std::vector<std::pair<ino_t, QByteArray>>> names = NamesIn(folder);
    if (!names)
        return false;
    std::sort(names->begin(), names->end());
    bool emptied = true;
    for (const auto& [inode, name] : *names)
        emptied = RemoveEntryAt(folder, name.constData(), depth + 1) && emptied;
    return emptied;
}

// Removes the entry name of the folder open at parent, a folder with everything in it.
bool RemoveEntryAt(int parent, const char* name, int depth)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    if ((errno != EISDIR && errno != EPERM) || depth > kDepthLimit)
        return false;
    // Opened without following a link: one put at the name is removed as itself.
    const Descriptor folder(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
        return errno == ENOENT;
    }
    // A folder its owner may not change is opened up first, as a deletion by hand would.
    struct stat st {};
    if (::fstat(folder.get(), &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.get(), (st.st_mode & 07777) | S_IRWXU);
    bool removed = false;
    for (int pass = 0; pass < kEmptyingPasses && !removed; ++pass) {
        if (!EmptyFolderAt(folder.get(), depth))
            break;
        removed = ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
        if (!removed && errno != ENOTEMPTY && errno != EEXIST)
            break;
    }
    return removed;
}

// RemoveMadeFolder, beside the removal of entries it ends with.
bool RemoveFolder(const MadeFolder& made)
{
    const QString& folder = made.path;
    const QFileInfo info(folder);
    const QByteArray parentPath = QFile::encodeName(info.path());
    const std::string name = QFile::encodeName(info.fileName()).toStdString();
    if (folder.isEmpty() || name.empty() || name == "." || name == "..")
        return false;
    const Descriptor opened(::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int parent = opened.get();
    if (parent < 0)
        return errno == ENOENT;
    // Whatever else stands at the name now is not this copy's; a folder given to another user is
    // not its to remove either.
    if (const auto now = FolderAt(parent, QByteArray::fromStdString(name)); !now || !SameFolder(now->first, made))
        return true;
    std::string removing = name;
    // Out of its name first: a name already taken by another folder aside is tried again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string aside = AsideName(name);
        if (aside.empty())
            break;
        if (::renameat2(parent, name.c_str(), parent, aside.c_str(), RENAME_NOREPLACE) == 0) {
            removing = aside;
            break;
        }
        if (errno == ENOENT)
            return true;
        // A file system that cannot rename without replacing: the folder goes where it stands.
        if (errno != EEXIST)
            break;
    }
    return RemoveEntryAt(parent, removing.c_str(), 0);
}

// What this copy made for its work, by path.
struct ThisCopysWork {
    std::mutex mutex;
    std::vector<MadeFolder> folders;
    std::set<std::string> files;
};

ThisCopysWork& Work()
{
    static ThisCopysWork work;
    return work;
}

} // namespace

int RemoveWorkFilesOfEndedCopies(const QString& folder, const WorkFileShapes& shapes)
{
    return RemoveLeftOvers(folder, shapes, Sweep::TemporaryFolder);
}

int RemoveExchangeFilesOfEndedCopies(const QString& folder, const WorkFileShapes& shapes)
{
    return RemoveLeftOvers(folder, shapes, Sweep::ExchangeFolder);
}

void SetWorkFileOwner(std::optional<uid_t> owner)
{
    WorkFileOwner() = owner;
}

std::optional<MadeFolder> MadeFolderAt(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    std::optional<std::pair<MadeFolder, mode_t>> now = FolderAt(AT_FDCWD, QFile::encodeName(path));
    if (!now)
        return std::nullopt;
    now->first.path = path;
    return now->first;
}

bool IsPrivateFolderAsMade(const MadeFolder& folder)
{
    const auto now = folder.path.isEmpty() ? std::nullopt : FolderAt(AT_FDCWD, QFile::encodeName(folder.path));
    return now && (now->second & 077) == 0 && SameFolder(now->first, folder);
}

bool RemoveMadeFolder(const MadeFolder& folder)
{
    return RemoveFolder(folder);
}

std::optional<MadeFolder> WorkFolderMade(const QString& path)
{
    const std::optional<MadeFolder> made = MadeFolderAt(path);
    if (made) {
        ThisCopysWork& work = Work();
        const std::lock_guard lock(work.mutex);
        work.folders.push_back(*made);
    }
    return made;
}

void SharedFileNamed(const QString& path)
{
    ThisCopysWork& work = Work();
    const std::lock_guard lock(work.mutex);
    work.files.insert(QFile::encodeName(path).toStdString());
}

void SharedFileGone(const QString& path)
{
    ThisCopysWork& work = Work();
    const std::lock_guard lock(work.mutex);
    work.files.erase(QFile::encodeName(path).toStdString());
}

void RemoveWorkOfThisCopy()
{
    ThisCopysWork& work = Work();
    // A thread that goes on working meanwhile may make a run folder again or name another file:
    // what came since is taken up too, a few times over. What comes after the last time is left
    // to the start of a later copy.
    for (int pass = 0; pass < kEmptyingPasses; ++pass) {
        std::vector<MadeFolder> folders;
        std::set<std::string> files;
        {
            const std::lock_guard lock(work.mutex);
            folders.swap(work.folders);
            files.swap(work.files);
        }
        if (folders.empty() && files.empty())
            return;
        for (const MadeFolder& folder : folders)
            RemoveMadeFolder(folder);
        // A link at a file's name goes as itself; a folder is never removed for a file's name.
        for (const std::string& file : files)
            ::unlink(file.c_str());
    }
}

} // namespace platform::system
