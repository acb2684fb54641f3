#include "platform/system/EndedCopies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {

namespace {

// The process id of "<programName>.<digits>.<more>"; 0 for any other name.
pid_t ProcessIdOf(const QString& entry, const QString& programName)
{
    const QString prefix = programName + QLatin1Char('.');
    if (!entry.startsWith(prefix))
        return 0;
    const qsizetype dot = entry.indexOf(QLatin1Char('.'), prefix.size());
    if (dot <= prefix.size() || dot + 1 >= entry.size())
        return 0;
    const QStringView digits = QStringView(entry).mid(prefix.size(), dot - prefix.size());
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    bool ok = false;
    const qlonglong id = digits.toLongLong(&ok);
    return ok && id > 0 && id <= 0x7fffffff ? static_cast<pid_t>(id) : 0;
}

// A process id no process runs under now. A process of another user answers EPERM: it runs.
bool Ended(pid_t id)
{
    return ::kill(id, 0) != 0 && errno == ESRCH;
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

int RemoveWorkFilesOfEndedCopies(const QString& folder, const QString& programName)
{
    const pid_t self = ::getpid();
    return RemoveWorkFilesOf(folder, programName, [self](pid_t id) { return id != self && Ended(id); });
}

int RemoveWorkFilesOfThisCopy(const QString& folder, const QString& programName)
{
    const pid_t self = ::getpid();
    return RemoveWorkFilesOf(folder, programName, [self](pid_t id) { return id == self; });
}

} // namespace platform::system
