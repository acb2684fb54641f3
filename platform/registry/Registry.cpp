#include "platform/registry/Registry.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/msgbox/MsgBox.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::registry {

namespace {

const QString kFolderName = QStringLiteral("tavelin");
const QString kStoreName = QStringLiteral("registry.json");
const QString kLockName = QStringLiteral("registry.lock");
const QString kFormat = QStringLiteral("tavelin-registry 1");

struct Value {
    QString name;
    std::int32_t type = ValueType::String;
    QString data;
};

struct Key {
    QString path;            // parts joined by "\", letter case as first created; "" is the root
    bool isVolatile = false;
    QList<Value> values;
    // Folded value name -> place in values, made when first asked for (see FindValue).
    mutable QHash<QString, qsizetype> names;
    mutable bool named = false;
};

// Key paths and value names compare without regard to case.
QString Fold(const QString& text) { return text.toCaseFolded(); }

bool IsBelow(const QString& foldedPath, const QString& foldedAncestor)
{
    if (foldedAncestor.isEmpty())
        return !foldedPath.isEmpty();
    return foldedPath.size() > foldedAncestor.size() && foldedPath.startsWith(foldedAncestor)
        && foldedPath.at(foldedAncestor.size()) == QLatin1Char('\\');
}

QString ParentPath(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : path.left(cut);
}

QString JoinPath(const QString& base, const QString& sub)
{
    if (base.isEmpty())
        return sub;
    if (sub.isEmpty())
        return base;
    return base + QLatin1Char('\\') + sub;
}

// A sub key path: parts separated by "\", one trailing "\" tolerated, no empty part.
bool NormalizeSubKey(const QString& subKey, QString& out)
{
    out.clear();
    if (subKey.isEmpty())
        return true;
    QString s = subKey;
    if (s.endsWith(QLatin1Char('\\')))
        s.chop(1);
    if (s.isEmpty())
        return false;
    for (const QString& part : s.split(QLatin1Char('\\')))
        if (part.isEmpty())
            return false;
    out = s;
    return true;
}

// ---- the two store files -------------------------------------------------------------

QString ConfigFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.config");
    return base + QLatin1Char('/') + kFolderName;
}

QString VolatileFolder()
{
    return filesystem::UserFolder(kFolderName);
}

// One holder of the cross-process lock: an exclusive flock on a lock file beside the store,
// released by the kernel even when the process dies.
class StoreLock {
public:
    StoreLock()
    {
        const QString folder = ConfigFolder();
        QDir().mkpath(folder);
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + kLockName);
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the flock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// What identifies one version of a store file: a write puts a new file in place.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp Of(const QString& path)
    {
        FileStamp stamp;
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return stamp;
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
        stamp.changed = st.st_ctim;
        return stamp;
    }
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size
            && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec
            && changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

bool ParseStore(const QByteArray& bytes, bool isVolatile, QList<Key>& keys, QString& journal)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat || !root.value(QStringLiteral("keys")).isArray())
        return false;
    journal = root.value(QStringLiteral("journal")).toString();
    for (const QJsonValue& k : root.value(QStringLiteral("keys")).toArray()) {
        if (!k.isObject())
            return false;
        const QJsonObject ko = k.toObject();
        if (!ko.value(QStringLiteral("path")).isString() || !ko.value(QStringLiteral("values")).isArray())
            return false;
        Key key;
        key.path = ko.value(QStringLiteral("path")).toString();
        key.isVolatile = isVolatile;
        for (const QJsonValue& v : ko.value(QStringLiteral("values")).toArray()) {
            const QJsonObject vo = v.toObject();
            if (!v.isObject() || !vo.value(QStringLiteral("name")).isString() || !vo.value(QStringLiteral("data")).isString())
                return false;
            Value value;
            value.name = vo.value(QStringLiteral("name")).toString();
            value.type = vo.value(QStringLiteral("type")).toInt(ValueType::String);
            value.data = vo.value(QStringLiteral("data")).toString();
            key.values.append(value);
        }
        keys.append(key);
    }
    return true;
}

// A JSON string: UTF-8, with the quote, the backslash and the control characters escaped.
void AppendJsonString(QByteArray& out, const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// Written by hand rather than through a JSON document: a write of a value rewrites the whole
// store, and building the document cost more than everything else of the write.
QByteArray SerializeStore(const QList<Key>& keys, bool isVolatile, const QString& journal)
{
    QByteArray out;
    out.reserve(4096);
    out += "{\n    \"format\": ";
    AppendJsonString(out, kFormat);
    out += ",\n    \"journal\": ";
    AppendJsonString(out, journal);
    out += ",\n    \"keys\": [";
    bool firstKey = true;
    for (const Key& key : keys) {
        if (key.isVolatile != isVolatile)
            continue;
        out += firstKey ? "\n        {\n            \"path\": " : ",\n        {\n            \"path\": ";
        firstKey = false;
        AppendJsonString(out, key.path);
        out += ",\n            \"values\": [";
        bool firstValue = true;
        for (const Value& value : key.values) {
            out += firstValue ? "\n                { \"name\": " : ",\n                { \"name\": ";
            firstValue = false;
            AppendJsonString(out, value.name);
            out += ", \"type\": ";
            out += QByteArray::number(value.type);
            out += ", \"data\": ";
            AppendJsonString(out, value.data);
            out += " }";
        }
        out += firstValue ? "]\n        }" : "\n            ]\n        }";
    }
    out += firstKey ? "]\n}\n" : "\n    ]\n}\n";
    return out;
}

// Stores kept aside since the last call finished, each as (store, where it was kept); the user
// is told once the call has let go of the store's lock.
QList<std::pair<QString, QString>>& KeptAside()
{
    static QList<std::pair<QString, QString>> kept;
    return kept;
}

// A store file that cannot be parsed is kept under another name and the store starts empty. The
// journals beside it held changes to that store: read on top of the new one they would bring
// back pieces of the old one, so they go.
void MoveAside(const QString& filePath)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = filePath + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(filePath, target))
        return;
    const QFileInfo store(filePath);
    const QDir folder = store.dir();
    for (const QString& journal : folder.entryList({store.fileName() + QStringLiteral("*.journal")}, QDir::Files))
        QFile::remove(folder.filePath(journal));
    KeptAside().append({filePath, target});
}

// Tells the user, in the program's own way, that the settings were started anew and where the
// old ones are. Without a window system (a helper process) the notice goes to standard error.
void KeptAsideNoticesShow()
{
    if (KeptAside().isEmpty())
        return;
    const QList<std::pair<QString, QString>> kept = std::exchange(KeptAside(), {});
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    const bool windows = app && QThread::currentThread() == app->thread();
    for (const auto& [store, aside] : kept) {
        const QString text = QStringLiteral("設定ファイル %1 を読めなかったため、設定を初期状態に戻しました。"
                                            "元のファイルは %2 に残してあります。")
                                 .arg(store, aside);
        if (windows)
            msgbox::MsgBox(text, msgbox::Style::Exclamation, QGuiApplication::applicationDisplayName());
        else
            qWarning("%s", qUtf8Printable(text));
    }
}

bool LoadFile(const QString& filePath, bool isVolatile, bool locked, QList<Key>& keys, QString& journal)
{
    journal.clear();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return true; // a missing store is an empty one
    const QByteArray bytes = file.readAll();
    file.close();
    QList<Key> loaded;
    if (ParseStore(bytes, isVolatile, loaded, journal)) {
        keys.append(loaded);
        return true;
    }
    if (locked)
        MoveAside(filePath);
    return false;
}

std::function<void(qint64, qint64)>& WriteProgressHook()
{
    static std::function<void(qint64, qint64)> hook;
    return hook;
}

// Writes beside the target and renames over it: a crash at any moment leaves the old file or the new one.
bool SaveFile(const QString& filePath, const QByteArray& bytes)
{
    constexpr qsizetype kChunk = 64 * 1024;
    const QString temp = filePath + QStringLiteral(".new");
    const QByteArray tempName = QFile::encodeName(temp);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qsizetype chunk = std::min(kChunk, bytes.size() - done);
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(chunk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(tempName.constData());
            return false;
        }
        done += n;
        if (WriteProgressHook())
            WriteProgressHook()(done, bytes.size());
    }
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced
        || ::rename(tempName.constData(), QFile::encodeName(filePath).constData()) != 0) {
        ::unlink(tempName.constData());
        return false;
    }
    return true;
}

// The index of a value of the key, names compared without regard to case; -1 when absent.
qsizetype FindValue(const Key& key, const QString& name)
{
    if (!key.named) {
        key.names.clear();
        for (qsizetype i = key.values.size(); i-- > 0;)
            key.names.insert(Fold(key.values[i].name), i); // of two spellings the first is found
        key.named = true;
    }
    return key.names.value(Fold(name), -1);
}

// A value whose name the key does not hold yet.
void AddValue(Key& key, const Value& value)
{
    key.values.append(value);
    if (key.named)
        key.names.insert(Fold(value.name), key.values.size() - 1);
}

void RemoveValue(Key& key, qsizetype i)
{
    key.values.removeAt(i);
    key.named = false;
}

// ---- the journal beside each store file --------------------------------------------------
//
// A value written or deleted is appended to the journal as one line; the store file itself is
// rewritten (and the journal emptied) only when keys come or go, or once the journal has grown
// past the store. A copy that read the store before reads only what was appended since. A line
// cut short by a kill has no line end: readers ignore it, and the next writer cuts it off.
// Lines: "S", key path, value name, data (set) or "D", key path, value name (delete), separated
// by TABs; backslash, TAB, CR and LF in the fields are escaped.

// Each version of a store file names its own journal: a journal left by a copy killed between
// writing the store and removing the old journal is never read on top of the new store.
QString JournalPath(const QString& storePath, const QString& journal)
{
    return journal.isEmpty() ? storePath + QStringLiteral(".journal")
                             : storePath + QLatin1Char('.') + journal + QStringLiteral(".journal");
}

QString NewJournalName()
{
    return QString::number(QRandomGenerator::global()->generate64(), 36);
}

void AppendJournalField(QByteArray& out, const QString& text)
{
    out += '\t';
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

QString JournalField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\' || i + 1 == field.size()) {
            out += c;
            continue;
        }
        switch (field[++i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: out += field[i];
        }
    }
    return QString::fromUtf8(out);
}

QByteArray JournalSet(const QString& path, const QString& name, const QString& data)
{
    QByteArray line("S");
    AppendJournalField(line, path);
    AppendJournalField(line, name);
    AppendJournalField(line, data);
    return line + '\n';
}

QByteArray JournalDelete(const QString& path, const QString& name)
{
    QByteArray line("D");
    AppendJournalField(line, path);
    AppendJournalField(line, name);
    return line + '\n';
}

// Reads the journal from an offset; gives the offset after its last whole line.
qint64 ReadJournal(const QString& journalPath, qint64 from, QByteArray& lines)
{
    lines.clear();
    QFile file(journalPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    if (from > 0 && !file.seek(from))
        return from;
    lines = file.readAll();
    const qsizetype end = lines.lastIndexOf('\n') + 1;
    lines.truncate(end);
    return from + end;
}

bool AppendJournal(const QString& journalPath, const QByteArray& records, qint64 wholeLength)
{
    const QByteArray name = QFile::encodeName(journalPath);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // A line cut short by a kill goes before anything is appended.
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && (st.st_size == wholeLength || ::ftruncate(fd, wholeLength) == 0)
           && ::lseek(fd, wholeLength, SEEK_SET) == wholeLength;
    qsizetype done = 0;
    while (ok && done < records.size()) {
        const ssize_t n = ::write(fd, records.constData() + done, static_cast<size_t>(records.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += n;
    }
    if (!ok && done > 0)
        ::ftruncate(fd, wholeLength); // never a half record
    return ::close(fd) == 0 && ok;
}

struct Store {
    bool isVolatile = false;
    FileStamp stamp;        // the store file as read
    FileStamp journalStamp; // the journal as read (its size changes with every append)
    qint64 journalRead = 0; // the length of its whole lines read
    QString journal;        // the journal the store file names
};

// The hive as this process read or wrote it last. Only used under the store's lock, and only
// while each store file is the one read then and its journal the same file: what other copies
// appended since is read on top.
struct HiveSnapshot {
    bool valid = false;
    bool volatileReady = false;
    Store stores[2];
    QList<Key> keys;
    QHash<QString, qsizetype> index;
};

HiveSnapshot& Snapshot()
{
    static HiveSnapshot snapshot;
    return snapshot;
}

bool SameFile(const FileStamp& a, const FileStamp& b)
{
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode;
}

// The whole hive as read at one moment: persistent keys, then volatile ones.
class Hive {
public:
    explicit Hive(const StoreLock& lock) : lock_(lock)
    {
        const bool locked = lock.held();
        const bool volatileReady = filesystem::PrivateFolderReady(VolatileFolder(), false);
        stores_[1].isVolatile = true;
        for (int v = 0; v < 2; ++v) {
            if (v == 1 && !volatileReady)
                continue;
            stores_[v].stamp = FileStamp::Of(StorePath(v));
        }
        HiveSnapshot& snapshot = Snapshot();
        // An unchanged store file names the journal it named before.
        for (int v = 0; v < 2; ++v) {
            if (snapshot.valid && snapshot.stores[v].stamp == stores_[v].stamp && stores_[v].stamp.exists) {
                stores_[v].journal = snapshot.stores[v].journal;
                stores_[v].journalStamp = FileStamp::Of(JournalPath(StorePath(v), stores_[v].journal));
            }
        }
        if (locked && snapshot.valid && snapshot.volatileReady == volatileReady
            && SnapshotStillHolds(snapshot)) {
            keys_ = snapshot.keys;
            index_ = snapshot.index;
            for (int v = 0; v < 2; ++v) {
                stores_[v].journalRead = snapshot.stores[v].journalRead;
                if (stores_[v].journalStamp.size != stores_[v].journalRead)
                    ReplayJournal(v);
            }
            Remember(volatileReady);
            return;
        }
        snapshot.valid = false;
        for (int v = 0; v < 2; ++v) {
            if (v == 1 && !volatileReady)
                continue;
            if (!LoadFile(StorePath(v), v == 1, locked, keys_, stores_[v].journal))
                stores_[v].stamp = FileStamp::Of(StorePath(v)); // moved aside
            stores_[v].journalRead = 0;
            stores_[v].journalStamp = FileStamp::Of(JournalPath(StorePath(v), stores_[v].journal));
            Reindex();
            ReplayJournal(v);
        }
        // Keys missing between a key and the root are taken as existing and persistent: every
        // key a store file holds is listed in it, so a missing one was a persistent key whose
        // store was lost. Taking it as volatile would refuse every persistent key below it.
        for (qsizetype i = 0; i < keys_.size(); ++i) {
            const QString parent = ParentPath(keys_[i].path);
            if (!parent.isEmpty() && Find(parent) < 0)
                Append(Key{parent, false, {}, {}, false});
        }
        Remember(volatileReady);
    }

    qsizetype Find(const QString& path) const
    {
        if (path.isEmpty())
            return -2; // the root always exists and holds no values here
        return index_.value(Fold(path), -1);
    }

    bool Exists(const QString& path) const { return path.isEmpty() || Find(path) >= 0; }
    bool IsVolatile(const QString& path) const
    {
        const qsizetype i = Find(path);
        return i >= 0 && keys_[i].isVolatile;
    }

    bool HasSubKeys(const QString& path) const
    {
        const QString folded = Fold(path);
        for (auto it = index_.cbegin(); it != index_.cend(); ++it)
            if (IsBelow(it.key(), folded))
                return true;
        return false;
    }

    // Creates the missing keys down to path. Keys created on the way are persistent unless
    // their parent is volatile, so that a persistent key can still be made beside a volatile one.
    std::int32_t Create(const QString& path, bool isVolatile, QString& actualPath)
    {
        const QStringList parts = path.split(QLatin1Char('\\'));
        QString current;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString next = JoinPath(current, parts[i]);
            const qsizetype found = Find(next);
            if (found >= 0) {
                current = keys_[found].path;
                continue;
            }
            const bool parentVolatile = IsVolatile(current);
            const bool last = i == parts.size() - 1;
            if (parentVolatile && last && !isVolatile)
                return Status::ChildMustBeVolatile;
            Append(Key{next, parentVolatile || (last && isVolatile), {}, {}, false});
            rewrite_[keys_.back().isVolatile ? 1 : 0] = true;
            current = next;
        }
        actualPath = current;
        return Status::Success;
    }

    void Remove(const QString& path)
    {
        const qsizetype i = Find(path);
        rewrite_[keys_[i].isVolatile ? 1 : 0] = true;
        keys_.removeAt(i);
        Reindex();
    }

    Key* KeyAt(const QString& path)
    {
        const qsizetype i = Find(path);
        return i >= 0 ? &keys_[i] : nullptr;
    }

    // A value of the key was set or deleted: the record that says so.
    void Changed(const Key& key, const QByteArray& record) { records_[key.isVolatile ? 1 : 0] += record; }

    std::int32_t Save()
    {
        bool volatileReady = filesystem::PrivateFolderReady(VolatileFolder(), false);
        for (int v = 0; v < 2; ++v) {
            if (!rewrite_[v] && records_[v].isEmpty())
                continue;
            // From here the store changes: what this copy remembered is stale until written.
            Snapshot().valid = false;
            if (v == 0)
                QDir().mkpath(ConfigFolder());
            else if (!(volatileReady = filesystem::PrivateFolderReady(VolatileFolder(), true)))
                return Status::WriteFault;
            const QString storePath = StorePath(v);
            Store& store = stores_[v];
            const QString journalPath = JournalPath(storePath, store.journal);
            // The journal never grows much past the store: then the store is written anew.
            const qint64 limit = std::max<qint64>(64 * 1024, store.stamp.size);
            if (!rewrite_[v] && store.stamp.exists && store.journalRead + records_[v].size() <= limit) {
                if (!AppendJournal(journalPath, records_[v], store.journalRead))
                    return Status::WriteFault;
                store.journalRead += records_[v].size();
            } else {
                const QString journal = NewJournalName();
                if (!SaveFile(storePath, SerializeStore(keys_, v == 1, journal)))
                    return Status::WriteFault;
                // The new store names a journal of its own: the old one is done with.
                ::unlink(QFile::encodeName(journalPath).constData());
                ::unlink(QFile::encodeName(JournalPath(storePath, journal)).constData());
                store.journal = journal;
                store.journalRead = 0;
                store.stamp = FileStamp::Of(storePath);
            }
            store.journalStamp = FileStamp::Of(JournalPath(storePath, store.journal));
        }
        Remember(volatileReady);
        return Status::Success;
    }

private:
    static QString StorePath(int v) { return v == 0 ? StoreFilePath() : VolatileStoreFilePath(); }

    bool SnapshotStillHolds(const HiveSnapshot& snapshot) const
    {
        for (int v = 0; v < 2; ++v) {
            const Store& was = snapshot.stores[v];
            const Store& now = stores_[v];
            if (!(was.stamp == now.stamp) || !SameFile(was.journalStamp, now.journalStamp)
                || now.journalStamp.size < was.journalRead)
                return false;
        }
        return true;
    }

    void ReplayJournal(int v)
    {
        QByteArray lines;
        stores_[v].journalRead =
            ReadJournal(JournalPath(StorePath(v), stores_[v].journal), stores_[v].journalRead, lines);
        for (const QByteArray& line : lines.split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 3 || (fields[0] != "S" && fields[0] != "D") || (fields[0] == "S" && fields.size() < 4))
                continue;
            Key* key = KeyAt(JournalField(fields[1]));
            if (!key || key->isVolatile != (v == 1))
                continue;
            const QString name = JournalField(fields[2]);
            const qsizetype i = FindValue(*key, name);
            if (fields[0] == "D") {
                if (i >= 0)
                    RemoveValue(*key, i);
            } else if (i >= 0) {
                key->values[i] = Value{key->values[i].name, ValueType::String, JournalField(fields[3])};
            } else {
                AddValue(*key, Value{name, ValueType::String, JournalField(fields[3])});
            }
        }
    }

    void Append(const Key& key)
    {
        index_.insert(Fold(key.path), keys_.size());
        keys_.append(key);
    }
    void Reindex()
    {
        index_.clear();
        for (qsizetype i = keys_.size(); i-- > 0;)
            index_.insert(Fold(keys_[i].path), i); // of two spellings the first is found, as before
    }
    void Remember(bool volatileReady) const
    {
        if (!lock_.held())
            return;
        HiveSnapshot& snapshot = Snapshot();
        snapshot.volatileReady = volatileReady;
        snapshot.stores[0] = stores_[0];
        snapshot.stores[1] = stores_[1];
        snapshot.keys = keys_;
        snapshot.index = index_;
        snapshot.valid = true;
    }

    const StoreLock& lock_;
    QList<Key> keys_;
    QHash<QString, qsizetype> index_; // folded path -> place in keys_
    Store stores_[2];                 // persistent, volatile
    bool rewrite_[2] = {false, false};
    QByteArray records_[2];
};

// Serializes the calls of this process; the store's lock serializes the running copies.
std::recursive_mutex& Guard()
{
    static std::recursive_mutex guard;
    return guard;
}

// Open handles: each names a key by its path. Handles start at 1 and are never reused.
std::map<Handle, QString>& Handles()
{
    static std::map<Handle, QString> handles;
    return handles;
}

Handle NewHandle(const QString& path)
{
    static Handle next = 1;
    const Handle h = next++;
    Handles().emplace(h, path);
    return h;
}

// The key path behind a handle; false for a handle that is not open.
bool HandlePath(Handle handle, QString& path)
{
    if (handle == CurrentUser) {
        path.clear();
        return true;
    }
    const auto it = Handles().find(handle);
    if (it == Handles().end())
        return false;
    path = it->second;
    return true;
}

// The key of an open handle, checked to still exist.
std::int32_t ResolveKey(const Hive& hive, Handle handle, QString& path)
{
    if (!HandlePath(handle, path))
        return Status::InvalidHandle;
    return hive.Exists(path) ? Status::Success : Status::KeyDeleted;
}

// One call on the hive: under the process's guard and the store's lock, with the hive as it is
// now and the path of the handle's key; the body is told whether it may write.
template <typename Body>
std::int32_t OnKey(Handle handle, Body body)
{
    std::int32_t status = Status::Success;
    {
        const std::lock_guard<std::recursive_mutex> guard(Guard());
        StoreLock lock;
        Hive hive(lock);
        QString path;
        status = ResolveKey(hive, handle, path);
        if (status == Status::Success)
            status = body(hive, path, lock.held());
    }
    KeptAsideNoticesShow();
    return status;
}

} // namespace

void SetWriteProgressHook(std::function<void(qint64, qint64)> hook)
{
    const std::lock_guard<std::recursive_mutex> guard(Guard());
    WriteProgressHook() = std::move(hook);
}

QString StoreFilePath() { return ConfigFolder() + QLatin1Char('/') + kStoreName; }

QString VolatileStoreFilePath() { return VolatileFolder() + QLatin1Char('/') + kStoreName; }

std::int32_t CreateKey(Handle parent, const QString& subKey, bool isVolatile, Handle& result)
{
    return OnKey(parent, [&](Hive& hive, const QString& base, bool locked) {
        QString sub;
        if (!NormalizeSubKey(subKey, sub))
            return Status::BadPathname;
        QString path = base;
        if (!sub.isEmpty()) {
            if (!locked)
                return Status::WriteFault;
            std::int32_t status = hive.Create(JoinPath(base, sub), isVolatile, path);
            if (status == Status::Success)
                status = hive.Save();
            if (status != Status::Success)
                return status;
        }
        result = NewHandle(path);
        return Status::Success;
    });
}

std::int32_t OpenKey(Handle parent, const QString& subKey, Handle& result)
{
    return OnKey(parent, [&](Hive& hive, const QString& base, bool) {
        QString sub;
        if (!NormalizeSubKey(subKey, sub))
            return Status::BadPathname;
        const QString path = JoinPath(base, sub);
        if (!hive.Exists(path))
            return Status::FileNotFound;
        const Key* key = hive.KeyAt(path);
        result = NewHandle(key ? key->path : path);
        return Status::Success;
    });
}

std::int32_t CloseKey(Handle key)
{
    const std::lock_guard<std::recursive_mutex> guard(Guard());
    if (key == CurrentUser)
        return Status::Success;
    return Handles().erase(key) == 1 ? Status::Success : Status::InvalidHandle;
}

std::int32_t DeleteKey(Handle parent, const QString& subKey)
{
    return OnKey(parent, [&](Hive& hive, const QString& base, bool locked) {
        // Deleting needs a name: the empty one would remove the handle's own key.
        if (subKey.isEmpty())
            return Status::InvalidParameter;
        QString sub;
        if (!NormalizeSubKey(subKey, sub) || sub.isEmpty())
            return Status::BadPathname;
        const QString path = JoinPath(base, sub);
        if (!hive.Exists(path))
            return Status::FileNotFound;
        if (hive.HasSubKeys(path))
            return Status::AccessDenied;
        if (!locked)
            return Status::WriteFault;
        hive.Remove(path);
        return hive.Save();
    });
}

std::int32_t SetValue(Handle key, const QString& name, const QString& data)
{
    return OnKey(key, [&](Hive& hive, const QString& path, bool locked) {
        if (path.isEmpty())
            return Status::AccessDenied; // the root of the hive holds no values of ours
        if (!locked)
            return Status::WriteFault;
        Key* k = hive.KeyAt(path);
        const qsizetype i = FindValue(*k, name);
        if (i >= 0)
            k->values[i] = Value{k->values[i].name, ValueType::String, data};
        else
            AddValue(*k, Value{name, ValueType::String, data});
        hive.Changed(*k, JournalSet(k->path, name, data));
        return hive.Save();
    });
}

std::int32_t QueryValue(Handle key, const QString& name, std::int32_t& type, QString& data)
{
    return OnKey(key, [&](Hive& hive, const QString& path, bool) {
        const Key* k = hive.KeyAt(path);
        const qsizetype i = k ? FindValue(*k, name) : -1;
        if (i < 0)
            return Status::FileNotFound;
        type = k->values[i].type;
        data = k->values[i].data;
        return Status::Success;
    });
}

std::int32_t EnumValue(Handle key, std::int32_t index, QString& name, std::int32_t& type, QString& data)
{
    return OnKey(key, [&](Hive& hive, const QString& path, bool) {
        if (index < 0)
            return Status::InvalidParameter;
        const Key* k = hive.KeyAt(path);
        if (!k || index >= k->values.size())
            return Status::NoMoreItems;
        const Value& v = k->values.at(index);
        name = v.name;
        type = v.type;
        data = v.data;
        return Status::Success;
    });
}

std::int32_t DeleteValue(Handle key, const QString& name)
{
    return OnKey(key, [&](Hive& hive, const QString& path, bool locked) {
        Key* k = hive.KeyAt(path);
        const qsizetype i = k ? FindValue(*k, name) : -1;
        if (i < 0)
            return Status::FileNotFound;
        if (!locked)
            return Status::WriteFault;
        const QString stored = k->values[i].name;
        RemoveValue(*k, i);
        hive.Changed(*k, JournalDelete(k->path, stored));
        return hive.Save();
    });
}

} // namespace platform::registry
