#include "platform/profile/Profile.h"

#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Value.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::profile {

namespace {

using platform::vbrt::TrimBlanksAndTabs;

std::function<int(const QString&)> gOpenFault;

struct Entry {
    QString key;    // the text before "=", trimmed; a line without "=" is all key
    QString value;  // the text after "=", trimmed
    bool hasValue = false;
};

struct SectionLines {
    QString name;
    QList<Entry> entries;
};

// UTF-8 when the bytes are valid UTF-8 (a byte-order mark is dropped), else Shift_JIS. A file
// with NUL bytes, or valid as neither, is no profile file.
bool DecodeFile(const QByteArray& bytes, QString& text)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return true;
    }
    if (!codepage::IsValidShiftJis(bytes))
        return false;
    text = codepage::FromShiftJis(bytes);
    return true;
}

// The longest start of the text that takes at most limit Shift_JIS bytes, whole characters only.
QString CutToBytes(const QString& text, int limit)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int width = codepage::ByteWidth(text.mid(i, step));
        if (used + width > limit)
            break;
        used += width;
        i += step;
    }
    return text.left(i);
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The sections and entries of a profile text, lines ended by CR LF, LF or CR.
void Parse(QString text, QList<SectionLines>& sections)
{
    SectionLines* current = nullptr;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = TrimBlanksAndTabs(raw);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                sections.append(SectionLines{TrimBlanksAndTabs(line.mid(1, close - 1)), {}});
                current = &sections.back();
                continue;
            }
        }
        if (!current)
            continue; // entries before the first section belong to none
        Entry entry;
        const qsizetype eq = line.startsWith(QLatin1Char(';')) ? -1 : line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            entry.key = line;
        } else {
            entry.key = TrimBlanksAndTabs(line.left(eq));
            entry.value = TrimBlanksAndTabs(line.mid(eq + 1));
            entry.hasValue = true;
        }
        current->entries.append(entry);
    }
}

} // namespace

struct ProfileFile::Data {
    FileState state = FileState::Missing;
    QList<SectionLines> sections;

    const SectionLines* Find(const QString& name) const
    {
        const QString wanted = TrimBlanksAndTabs(name);
        for (const SectionLines& s : sections)
            if (SameName(s.name, wanted))
                return &s;
        return nullptr;
    }
};

namespace {

// What makes a file read earlier still the same file with the same text.
struct Stamp {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;

    bool operator==(const Stamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct Parsed {
    Stamp stamp;
    std::shared_ptr<const ProfileFile::Data> data;
};

// Files parsed earlier, by path. A program asks its ini file for one value at a time, often a
// hundred times at start-up: the text is parsed again only when the file changed.
struct ParsedFiles {
    QMutex mutex;
    QHash<QString, Parsed> files;
};

ParsedFiles& Cache()
{
    static ParsedFiles cache;
    return cache;
}

constexpr qsizetype kCachedFilesLimit = 64;

// A file written within the last seconds may be written again within the same tick of the file
// system's clock, size and all, and look unchanged: such a file is parsed at every read.
bool Settled(const Stamp& stamp)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    constexpr time_t kSettleSeconds = 2;
    return stamp.modified.tv_sec + kSettleSeconds < now.tv_sec;
}

// A regular file of at most FileByteLimit bytes, open for reading. Opened without waiting, so a
// FIFO named by mistake cannot hold the program, and refused before a byte is read when it is a
// FIFO, a device or a folder; a file that grows past the limit while it is read is refused too.
class SmallRegularFile {
public:
    explicit SmallRegularFile(const QString& filePath)
    {
        if (filePath.isEmpty())
            return;
        const int fault = gOpenFault ? gOpenFault(filePath) : 0;
        if (fault != 0)
            errno = fault;
        else
            fd_ = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            state_ = errno == ENOENT || errno == ENOTDIR ? FileState::Missing : FileState::Unreadable;
            return;
        }
        struct stat st;
        if (::fstat(fd_, &st) != 0)
            state_ = FileState::Unreadable;
        else if (!S_ISREG(st.st_mode))
            state_ = FileState::NotAFile;
        else if (st.st_size > FileByteLimit)
            state_ = FileState::TooLarge;
        else
            state_ = FileState::Read;
        stamp_ = Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    ~SmallRegularFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SmallRegularFile(const SmallRegularFile&) = delete;
    SmallRegularFile& operator=(const SmallRegularFile&) = delete;

    FileState State() const { return state_; }
    const Stamp& stamp() const { return stamp_; }

    FileState ReadAll(QByteArray& bytes)
    {
        bytes.resize(static_cast<qsizetype>(stamp_.size) + 1);
        qsizetype used = 0;
        for (;;) {
            if (used == bytes.size()) {
                if (used > FileByteLimit)
                    return FileState::TooLarge;
                bytes.resize(std::min<qsizetype>(2 * used, FileByteLimit + 1));
            }
            const ssize_t n = ::read(fd_, bytes.data() + used, static_cast<size_t>(bytes.size() - used));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return FileState::Unreadable;
            if (n == 0)
                break;
            used += n;
        }
        bytes.truncate(used);
        return FileState::Read;
    }

private:
    int fd_ = -1;
    FileState state_ = FileState::Missing;
    Stamp stamp_{};
};

} // namespace

ProfileFile ProfileFile::Load(const QString& filePath)
{
    ProfileFile result;
    const auto failed = [&](FileState state) {
        auto data = std::make_shared<Data>();
        data->state = state;
        result.data_ = data;
        return result;
    };
    SmallRegularFile file(filePath);
    if (file.State() != FileState::Read)
        return failed(file.State());
    ParsedFiles& cache = Cache();
    const bool settled = Settled(file.stamp());
    if (settled) {
        QMutexLocker lock(&cache.mutex);
        const auto it = cache.files.constFind(filePath);
        if (it != cache.files.constEnd() && it->stamp == file.stamp()) {
            result.data_ = it->data;
            return result;
        }
    }
    QByteArray bytes;
    if (const FileState read = file.ReadAll(bytes); read != FileState::Read)
        return failed(read);
    QString text;
    if (!DecodeFile(bytes, text))
        return failed(FileState::NotText);
    auto data = std::make_shared<Data>();
    data->state = FileState::Read;
    Parse(text, data->sections);
    result.data_ = data;
    if (!settled)
        return result;
    QMutexLocker lock(&cache.mutex);
    if (cache.files.size() >= kCachedFilesLimit)
        cache.files.clear();
    cache.files.insert(filePath, Parsed{file.stamp(), data});
    return result;
}

ProfileFile::ProfileFile() : data_(std::make_shared<Data>()) {}
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(const ProfileFile&) = default;
ProfileFile& ProfileFile::operator=(const ProfileFile&) = default;

bool ProfileFile::IsReadable() const { return data_->state == FileState::Read; }

FileState ProfileFile::State() const { return data_->state; }

QString ProfileFile::String(const QString& section, const QString& key, const QString& defaultText) const
{
    const SectionLines* s = data_->Find(section);
    if (!s)
        return defaultText;
    const QString wanted = TrimBlanksAndTabs(key);
    for (const Entry& e : s->entries) {
        if (!SameName(e.key, wanted))
            continue;
        QString value = e.value;
        // One pair of matching quotes around the whole value is not part of it.
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return CutToBytes(value, ValueByteLimit);
    }
    return defaultText;
}

QStringList ProfileFile::Section(const QString& section) const
{
    QStringList lines;
    const SectionLines* s = data_->Find(section);
    if (!s)
        return lines;
    int room = SectionByteLimit;
    for (const Entry& e : s->entries) {
        const QString line = e.hasValue ? e.key + QLatin1Char('=') + e.value : e.key;
        const int width = codepage::ByteWidth(line);
        if (width + 1 <= room) {
            lines.append(line);
            room -= width + 1;
            continue;
        }
        // The line that does not fit is cut, and nothing follows it.
        const QString cut = CutToBytes(line, room - 1);
        if (!cut.isEmpty())
            lines.append(cut);
        break;
    }
    return lines;
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultText, const QString& filePath)
{
    return ProfileFile::Load(filePath).String(section, key, defaultText);
}

QStringList GetProfileSection(const QString& section, const QString& filePath)
{
    return ProfileFile::Load(filePath).Section(section);
}

void SetOpenFault(std::function<int(const QString& path)> fault)
{
    gOpenFault = std::move(fault);
}

} // namespace platform::profile
