#include "platform/registry/Registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <algorithm>
#include <map>
#include <mutex>

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
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return runtime + QLatin1Char('/') + kFolderName;
    return QDir::tempPath() + QLatin1Char('/') + kFolderName + QLatin1Char('-') + QString::number(::getuid());
}

// The volatile folder may sit in a shared temporary folder: use it only when it is our own
// private directory, never a link or someone else's folder.
bool PrivateFolderReady(const QString& folder, bool create)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
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

bool ParseStore(const QByteArray& bytes, bool isVolatile, QList<Key>& keys)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat || !root.value(QStringLiteral("keys")).isArray())
        return false;
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

QByteArray SerializeStore(const QList<Key>& keys, bool isVolatile)
{
    QJsonArray array;
    for (const Key& key : keys) {
        if (key.isVolatile != isVolatile)
            continue;
        QJsonArray values;
        for (const Value& value : key.values) {
            QJsonObject vo;
            vo.insert(QStringLiteral("name"), value.name);
            vo.insert(QStringLiteral("type"), value.type);
            vo.insert(QStringLiteral("data"), value.data);
            values.append(vo);
        }
        QJsonObject ko;
        ko.insert(QStringLiteral("path"), key.path);
        ko.insert(QStringLiteral("values"), values);
        array.append(ko);
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("keys"), array);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// A store file that cannot be parsed is kept under another name and the store starts empty.
void MoveAside(const QString& filePath)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = filePath + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(filePath, target))
        qWarning("The per-user store %s could not be read; it was kept as %s and the store starts empty.",
                 qUtf8Printable(filePath), qUtf8Printable(target));
}

void LoadFile(const QString& filePath, bool isVolatile, bool locked, QList<Key>& keys)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return; // a missing store is an empty one
    const QByteArray bytes = file.readAll();
    file.close();
    QList<Key> loaded;
    if (ParseStore(bytes, isVolatile, loaded)) {
        keys.append(loaded);
        return;
    }
    if (locked)
        MoveAside(filePath);
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

// The whole hive as read at one moment: persistent keys, then volatile ones.
class Hive {
public:
    explicit Hive(bool locked)
    {
        LoadFile(StoreFilePath(), false, locked, keys_);
        if (PrivateFolderReady(VolatileFolder(), false))
            LoadFile(VolatileStoreFilePath(), true, locked, keys_);
        // Keys missing between a key and the root are taken as existing and persistent: every
        // key a store file holds is listed in it, so a missing one was a persistent key whose
        // store was lost. Taking it as volatile would refuse every persistent key below it.
        for (qsizetype i = 0; i < keys_.size(); ++i) {
            const QString parent = ParentPath(keys_[i].path);
            if (!parent.isEmpty() && Find(parent) < 0)
                keys_.append(Key{parent, false, {}});
        }
    }

    qsizetype Find(const QString& path) const
    {
        if (path.isEmpty())
            return -2; // the root always exists and holds no values here
        const QString folded = Fold(path);
        for (qsizetype i = 0; i < keys_.size(); ++i)
            if (Fold(keys_[i].path) == folded)
                return i;
        return -1;
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
        for (const Key& key : keys_)
            if (IsBelow(Fold(key.path), folded))
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
            keys_.append(Key{next, parentVolatile || (last && isVolatile), {}});
            (keys_.back().isVolatile ? volatileChanged_ : persistentChanged_) = true;
            current = next;
        }
        actualPath = current;
        return Status::Success;
    }

    void Remove(const QString& path)
    {
        const qsizetype i = Find(path);
        (keys_[i].isVolatile ? volatileChanged_ : persistentChanged_) = true;
        keys_.removeAt(i);
    }

    Key* KeyAt(const QString& path)
    {
        const qsizetype i = Find(path);
        return i >= 0 ? &keys_[i] : nullptr;
    }

    void Touch(const Key& key) { (key.isVolatile ? volatileChanged_ : persistentChanged_) = true; }

    std::int32_t Save() const
    {
        if (persistentChanged_) {
            QDir().mkpath(ConfigFolder());
            if (!SaveFile(StoreFilePath(), SerializeStore(keys_, false)))
                return Status::WriteFault;
        }
        if (volatileChanged_) {
            if (!PrivateFolderReady(VolatileFolder(), true)
                || !SaveFile(VolatileStoreFilePath(), SerializeStore(keys_, true)))
                return Status::WriteFault;
        }
        return Status::Success;
    }

private:
    QList<Key> keys_;
    bool persistentChanged_ = false;
    bool volatileChanged_ = false;
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
    const std::lock_guard<std::recursive_mutex> guard(Guard());
    StoreLock lock;
    Hive hive(lock.held());
    QString path;
    const std::int32_t status = ResolveKey(hive, handle, path);
    return status == Status::Success ? body(hive, path, lock.held()) : status;
}

// The index of a value of the key, names compared without regard to case; -1 when absent.
qsizetype FindValue(const Key& key, const QString& name)
{
    const QString folded = Fold(name);
    for (qsizetype i = 0; i < key.values.size(); ++i)
        if (Fold(key.values[i].name) == folded)
            return i;
    return -1;
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
            k->values.append(Value{name, ValueType::String, data});
        hive.Touch(*k);
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
        k->values.removeAt(i);
        hive.Touch(*k);
        return hive.Save();
    });
}

} // namespace platform::registry
