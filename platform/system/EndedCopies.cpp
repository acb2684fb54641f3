#include "platform/system/EndedCopies.h"

#include "platform/filesystem/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
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

bool Own(const struct stat& st)
{
    return st.st_uid == WorkFileOwner().value_or(::getuid());
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

// The entries of an open folder that are wanted, by name; one gone before it could be looked at
// is left out.
template <typename Wanted>
std::vector<Entry> EntriesOf(int folder, Wanted wanted)
{
    std::vector<Entry> entries;
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return entries;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return entries;
    }
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0)
            continue;
        Entry entry;
        entry.bytes = QByteArray(item->d_name);
        entry.name = QFile::decodeName(entry.bytes);
        if (wanted(entry.name) && ::fstatat(folder, item->d_name, &entry.st, AT_SYMLINK_NOFOLLOW) == 0)
            entries.push_back(std::move(entry));
    }
    ::closedir(dir);
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
        if (S_ISREG(entry.st.st_mode)) {
            const pid_t id = shapes.WorkFile(entry.name);
            if (id != 0 && EndedCopy(id) && ::unlinkat(fd.get(), entry.bytes.constData(), 0) == 0)
                ++removed;
            continue;
        }
        if (sweep != Sweep::TemporaryFolder || !S_ISDIR(entry.st.st_mode))
            continue;
        Tree tree;
        if (const pid_t id = shapes.RunFolder(entry.name); id != 0) {
            if (EndedCopy(id) && RunFolderTree(fd.get(), entry, id, shapes, tree) &&
                RemoveTree(fd.get(), entry.bytes, tree))
                ++removed;
        } else if (const pid_t id = shapes.WorkFolder(entry.name); id != 0) {
            if (EndedCopy(id) && WorkFolderTree(fd.get(), entry, shapes, tree) &&
                RemoveTree(fd.get(), entry.bytes, tree))
                ++removed;
        }
    }
    return removed;
}

} // namespace

namespace {

// Removes the entries of folder named for a copy of the program whose process id passes the test.
template <typename Which>
int RemoveWorkFilesOf(const QString& folder, const QString& programName, Which which)
{
    if (folder.isEmpty() || programName.isEmpty())
        return 0;
    int removed = 0;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const pid_t id = ProcessIdOf(entry, programName);
        if (id == 0 || !which(id))
            continue;
        const QString path = folder + QLatin1Char('/') + entry;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || st.st_uid != ::getuid())
            continue;
        // A link goes as itself; only a real folder is emptied.
        const bool ok = S_ISDIR(st.st_mode) ? RemoveRunFolder(path) : ::unlink(QFile::encodeName(path).constData()) == 0;
        if (ok)
            ++removed;
    }
    return removed;
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

int RemoveWorkFilesOfThisCopy(const QString& folder, const QString& programName)
{
    const pid_t self = ::getpid();
    return RemoveWorkFilesOf(folder, programName, [self](pid_t id) { return id == self; });
}

} // namespace platform::system
