#include "platform/system/EndedCopies.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {

namespace {

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

// Removes every entry of the folder open at folder. The names are read first and removed after,
// so that the folder is not changed while it is read, and in the order of their inodes: a disk
// file system removes the thousands of files of a long print faster so than in the order the
// folder lists them.
bool EmptyFolderAt(int folder, int depth)
{
    const int reading = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (reading < 0)
        return false;
    DIR* dir = ::fdopendir(reading);
    if (!dir) {
        ::close(reading);
        return false;
    }
    std::vector<std::pair<ino_t, std::string>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            entries.emplace_back(entry->d_ino, std::move(name));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    bool emptied = true;
    for (const auto& [inode, name] : entries)
        emptied = RemoveEntryAt(folder, name.c_str(), depth + 1) && emptied;
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
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
        return errno == ENOENT;
    }
    // A folder its owner may not change is opened up first, as a deletion by hand would.
    struct stat st {};
    if (::fstat(folder, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder, (st.st_mode & 07777) | S_IRWXU);
    bool removed = false;
    for (int pass = 0; pass < kEmptyingPasses && !removed; ++pass) {
        if (!EmptyFolderAt(folder, depth))
            break;
        removed = ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
        if (!removed && errno != ENOTEMPTY && errno != EEXIST)
            break;
    }
    ::close(folder);
    return removed;
}

} // namespace

bool RemoveRunFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QByteArray parentPath = QFile::encodeName(info.path());
    const std::string name = QFile::encodeName(info.fileName()).toStdString();
    if (folder.isEmpty() || name.empty() || name == "." || name == "..")
        return false;
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return errno == ENOENT;
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
        if (errno == ENOENT) {
            ::close(parent);
            return true;
        }
        // A file system that cannot rename without replacing: the folder goes where it stands.
        if (errno != EEXIST)
            break;
    }
    const bool removed = RemoveEntryAt(parent, removing.c_str(), 0);
    ::close(parent);
    return removed;
}

} // namespace platform::system
