#include "platform/zipfolder/ZipFolder.h"

#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/filesystem/HostError.h"
#include "platform/vbrt/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace platform::zipfolder {

QString MemberNameRefusal(const QString& name)
{
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/')); // some old tools store backslashes
    const bool drive = path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter() &&
                       path.at(0).unicode() < 128;
    if (path.startsWith(QLatin1Char('/')) || drive)
        return QStringLiteral("絶対パスの項目は展開できません。");
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part == QLatin1String(".."))
            return QStringLiteral("\"..\" を含む項目は展開できません。");
    return {};
}

namespace {

namespace E = vbrt::ErrorNumber;
using filesystem::Missing;
using filesystem::RaiseHostError;
using filesystem::RaiseNumber;

QByteArray N(const QString& path) { return QFile::encodeName(path); }

[[noreturn]] void Refuse(const QString& procedure, const QString& path, const QString& why)
{
    vbrt::Raise(procedure, QStringLiteral("%1 (%2)").arg(why, path));
}

// libzip's error, said once in the program's own words: its English text never reaches the user.
QString LibzipReason(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP: return QStringLiteral("zip 書庫ではありません。");
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
    case ZIP_ER_SEEK:
    case ZIP_ER_READ:
    case ZIP_ER_TELL: return QStringLiteral("zip 書庫が壊れています。");
    case ZIP_ER_CRC:
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA: return QStringLiteral("項目のデータが壊れています。");
    case ZIP_ER_MULTIDISK: return QStringLiteral("複数に分割された zip 書庫は扱えません。");
    case ZIP_ER_COMPNOTSUPP: return QStringLiteral("この圧縮方式の項目は扱えません。");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD: return QStringLiteral("暗号化された項目は扱えません。");
    case ZIP_ER_EXISTS: return QStringLiteral("同じ名前の項目が既にあります。");
    case ZIP_ER_MEMORY: return QStringLiteral("メモリが足りません。");
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
    case ZIP_ER_RENAME:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_REMOVE: return QStringLiteral("ファイルに書き込めません。");
    case ZIP_ER_RDONLY: return QStringLiteral("読み取り専用の zip 書庫です。");
    default: return QStringLiteral("zip 書庫を扱えません (予期しないエラー %1)。").arg(code);
    }
}

QString LibzipReason(zip_error_t* error)
{
    return LibzipReason(zip_error_code_zip(error));
}

std::function<int(const QString&)>& OpenFault()
{
    static std::function<int(const QString&)> fault;
    return fault;
}

// An open archive, discarded (left as it was) unless Close writes it.
class Archive {
public:
    Archive(const QString& path, int flags, const QString& procedure) : path_(path), procedure_(procedure)
    {
        // An archive opened only to be read that the host will not open was refused reading.
        const vbrt::Refused refused = (flags & ZIP_RDONLY) ? vbrt::Refused::Reading : vbrt::Refused::Writing;
        if (OpenFault()) {
            if (const int err = OpenFault()(path))
                RaiseHostError(err, procedure, path, Missing::Path, refused);
        }
        int code = 0;
        za_ = zip_open(N(path).constData(), flags, &code);
        if (za_)
            return;
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const int system = zip_error_code_system(&error);
        const QString reason = LibzipReason(code);
        zip_error_fini(&error);
        if (code == ZIP_ER_NOENT)
            RaiseNumber(E::PathNotFound, procedure, path);
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ)
            RaiseHostError(system ? system : EIO, procedure, path, Missing::Path, refused);
        Refuse(procedure, path, reason);
    }
    ~Archive()
    {
        if (za_)
            zip_discard(za_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    zip_t* get() const { return za_; }
    const QString& path() const { return path_; }
    const QString& procedure() const { return procedure_; }

    // Writes the archive (libzip writes beside it and renames). An archive left without members
    // is not written: libzip would delete the file instead.
    void Close()
    {
        if (zip_get_num_entries(za_, 0) <= 0)
            return;
        if (zip_close(za_) != 0)
            Refuse(procedure_, path_,
                   QStringLiteral("zip 書庫に書き込めません。") + LibzipReason(zip_get_error(za_)));
        za_ = nullptr;
    }

private:
    zip_t* za_ = nullptr;
    QString path_;
    QString procedure_;
};

// Names stored without the UTF-8 flag come from tools that wrote the system code page: on the
// old platform that is Shift_JIS, elsewhere the zip format's own code page 437.
QString MemberName(zip_t* za, zip_uint64_t index)
{
    const char* raw = zip_get_name(za, index, ZIP_FL_ENC_RAW);
    if (!raw)
        return {};
    const QByteArray bytes(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8;
    if (codepage::IsValidShiftJis(bytes))
        return codepage::FromShiftJis(bytes);
    return QString::fromUtf8(zip_get_name(za, index, ZIP_FL_ENC_GUESS));
}

QString TooLarge(std::int64_t maxSize)
{
    return QStringLiteral("%1 MB より大きい項目は展開できません。").arg(maxSize / (1024 * 1024));
}

struct Member {
    zip_uint64_t index = 0;
    QStringList parts; // the relative path, component by component
    bool folder = false;
    time_t modified = 0;
};

// Checks one entry and gives its safe relative path, or refuses the archive.
Member CheckMember(const Archive& archive, zip_uint64_t index, std::int64_t maxSize = MaxMemberSize)
{
    const QString name = MemberName(archive.get(), index);
    const QString shown = name.isEmpty() ? QStringLiteral("#%1").arg(index) : name;
    const QString where = archive.path() + QStringLiteral(" : ") + shown;
    auto refuse = [&](const QString& why) { Refuse(archive.procedure(), where, why); };

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), index, 0, &st) != 0)
        refuse(QStringLiteral("zip 書庫が壊れています。"));

    const QString refusal = MemberNameRefusal(name);
    if (!refusal.isEmpty())
        refuse(refusal);
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/')); // some old tools store backslashes
    Member member;
    member.index = index;
    member.folder = path.endsWith(QLatin1Char('/'));
    member.modified = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part != QLatin1String("."))
            member.parts.append(part);
    if (member.parts.isEmpty())
        refuse(QStringLiteral("名前のない項目は展開できません。"));

    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive.get(), index, 0, &system, &attributes) == 0 &&
        system == ZIP_OPSYS_UNIX) {
        const mode_t mode = static_cast<mode_t>(attributes >> 16);
        if (S_ISLNK(mode))
            refuse(QStringLiteral("リンクの項目は展開できません。"));
        if ((mode & S_IFMT) == S_IFDIR)
            member.folder = true;
    }
    if (member.folder)
        return member;
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        refuse(QStringLiteral("暗号化された項目は展開できません。"));
    if ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))
        refuse(QStringLiteral("この圧縮方式の項目は展開できません。"));
    if ((st.valid & ZIP_STAT_SIZE) && st.size > static_cast<zip_uint64_t>(maxSize))
        refuse(TooLarge(maxSize));
    return member;
}

std::vector<Member> CheckMembers(const Archive& archive)
{
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    std::vector<Member> members;
    for (zip_int64_t i = 0; i < count; ++i)
        members.push_back(CheckMember(archive, static_cast<zip_uint64_t>(i)));
    return members;
}

// Creates the folders of a member below the target; an existing link on the way is refused, so
// nothing is ever written outside the target.
// Unpacks a file member piece by piece into piece. A damaged archive is refused naming
// damagedAt, a member whose bytes pass maxBytes naming largeAt: the stored size may lie, so the
// bytes themselves are counted.
void Unpack(const Archive& archive, const Member& member, const QString& damagedAt, const QString& largeAt,
            std::int64_t maxBytes, const std::function<void(const char*, qsizetype)>& piece)
{
    zip_file_t* file = zip_fopen_index(archive.get(), member.index, 0);
    if (!file)
        Refuse(archive.procedure(), damagedAt,
               LibzipReason(zip_get_error(archive.get())));
    struct Closer {
        zip_file_t* f;
        ~Closer() { zip_fclose(f); }
    } closer{file};

    std::int64_t total = 0;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0)
            Refuse(archive.procedure(), damagedAt,
                   LibzipReason(zip_file_get_error(file)));
        if (n == 0)
            break;
        total += n;
        if (total > maxBytes)
            Refuse(archive.procedure(), largeAt, TooLarge(maxBytes));
        piece(buffer.data(), static_cast<qsizetype>(n));
    }
}

// The member of that name, checked, when it is a file; raises 53 when the archive holds no file
// of that name.
Member FileMember(const Archive& archive, const QString& memberName, std::int64_t maxSize)
{
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (MemberName(archive.get(), static_cast<zip_uint64_t>(i)) != memberName)
            continue;
        const Member member = CheckMember(archive, static_cast<zip_uint64_t>(i), maxSize);
        if (member.folder)
            break;
        return member;
    }
    RaiseNumber(E::FileNotFound, archive.procedure(), archive.path() + QStringLiteral(" : ") + memberName);
}

QString PrepareFolders(const Archive& archive, const QString& target, const QStringList& folders)
{
    QString current = target;
    for (const QString& part : folders) {
        current += QLatin1Char('/') + part;
        struct stat st;
        if (::lstat(N(current).constData(), &st) == 0) {
            if (S_ISLNK(st.st_mode))
                Refuse(archive.procedure(), current, QStringLiteral("展開先にリンクがあります。"));
            if (!S_ISDIR(st.st_mode))
                RaiseNumber(E::FileAlreadyExists, archive.procedure(), current);
        } else if (::mkdir(N(current).constData(), 0777) != 0) {
            RaiseHostError(errno, archive.procedure(), current, Missing::Path);
        }
    }
    return current;
}

void ExtractOne(const Archive& archive, const Member& member, const QString& target)
{
    if (member.folder) {
        PrepareFolders(archive, target, member.parts);
        return;
    }
    const QString folder = PrepareFolders(archive, target, member.parts.mid(0, member.parts.size() - 1));
    const QString path = folder + QLatin1Char('/') + member.parts.last();
    struct stat st;
    if (::lstat(N(path).constData(), &st) == 0 && S_ISDIR(st.st_mode))
        RaiseNumber(E::FileAlreadyExists, archive.procedure(), path);

    filesystem::AtomicWriter out(path, archive.procedure());
    Unpack(archive, member, archive.path(), path, MaxMemberSize,
           [&](const char* data, qsizetype size) { out.Write(data, size); });
    if (member.modified)
        out.SetModificationTime(member.modified);
    out.Commit();
}

void ExtractAll(const QString& archivePath, const QString& targetFolder, const QString& procedure)
{
    const Archive archive(archivePath, ZIP_RDONLY | ZIP_CHECKCONS, procedure);
    const std::vector<Member> members = CheckMembers(archive); // all checked before anything is written
    for (const Member& member : members)
        ExtractOne(archive, member, targetFolder);
}

QFileInfoList ItemsOf(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

void AddFile(Archive& archive, const QString& file, const QString& memberName)
{
    zip_source_t* source = zip_source_file(archive.get(), N(file).constData(), 0, -1);
    if (!source)
        RaiseHostError(zip_error_code_system(zip_get_error(archive.get())), archive.procedure(), file,
                       Missing::File);
    const QByteArray name = memberName.toUtf8();
    const zip_int64_t index =
        zip_file_add(archive.get(), name.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        Refuse(archive.procedure(), archive.path(),
               QStringLiteral("zip 書庫に追加できません。") + LibzipReason(zip_get_error(archive.get())));
    }
    struct stat st;
    if (::stat(N(file).constData(), &st) == 0) {
        zip_file_set_mtime(archive.get(), static_cast<zip_uint64_t>(index), st.st_mtim.tv_sec, 0);
        zip_file_set_external_attributes(archive.get(), static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                         static_cast<zip_uint32_t>(S_IFREG | (st.st_mode & 0777)) << 16);
    }
}

void AddFolder(Archive& archive, const QString& folder, const QString& memberName)
{
    const QByteArray name = (memberName + QLatin1Char('/')).toUtf8();
    if (zip_name_locate(archive.get(), name.constData(), 0) < 0 &&
        zip_dir_add(archive.get(), name.constData(), ZIP_FL_ENC_UTF_8) < 0)
        Refuse(archive.procedure(), archive.path(),
               QStringLiteral("zip 書庫に追加できません。") + LibzipReason(zip_get_error(archive.get())));
    for (const QFileInfo& entry : ItemsOf(folder)) {
        const QString child = memberName + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!entry.isSymLink()) // a linked folder could hold the archive's own tree
                AddFolder(archive, entry.filePath(), child);
        } else if (entry.exists()) {
            AddFile(archive, entry.filePath(), child);
        }
    }
}

void AddItem(Archive& archive, const QString& item)
{
    const QFileInfo info(item);
    const QString name = filesystem::GetFileName(item);
    if (info.isDir())
        AddFolder(archive, item, name);
    else
        AddFile(archive, item, name);
}

enum class Kind { Missing, Folder, File };

Kind KindOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(N(path).constData(), &st) != 0)
        return Kind::Missing;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

} // namespace

void SetOpenFault(std::function<int(const QString& path)> fault)
{
    OpenFault() = std::move(fault);
}

QByteArray EmptyArchive()
{
    QByteArray bytes(22, '\0');
    bytes[0] = 'P';
    bytes[1] = 'K';
    bytes[2] = 5;
    bytes[3] = 6;
    return bytes;
}

bool IsArchive(const QString& path)
{
    if (KindOf(path) != Kind::File)
        return false;
    int code = 0;
    zip_t* za = zip_open(N(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!za)
        return false;
    zip_discard(za);
    return true;
}

void CopyHere(const QString& source, const QString& target)
{
    const QString procedure = QStringLiteral("CopyHere");
    const Kind from = KindOf(source);
    const Kind to = KindOf(target);
    if (from == Kind::Missing)
        RaiseNumber(E::PathNotFound, procedure, source);
    if (to == Kind::Missing)
        RaiseNumber(E::PathNotFound, procedure, target);

    if (from == Kind::File && to == Kind::Folder) {
        ExtractAll(source, target, procedure);
    } else if (from == Kind::File) {
        // Archive to archive goes through a folder of its own, so both checks apply.
        QTemporaryDir work(filesystem::TemporaryFolder() + QStringLiteral("/zipfolder-XXXXXX"));
        if (!work.isValid())
            RaiseNumber(E::PathNotFound, procedure, filesystem::TemporaryFolder());
        ExtractAll(source, work.path(), procedure);
        CopyHere(work.path(), target);
    } else if (to == Kind::Folder) {
        for (const QFileInfo& item : ItemsOf(source))
            CopyItemHere(item.filePath(), target);
    } else {
        Archive archive(target, 0, procedure);
        for (const QFileInfo& item : ItemsOf(source))
            AddItem(archive, item.filePath());
        archive.Close();
    }
}

void CopyItemHere(const QString& item, const QString& target)
{
    const QString procedure = QStringLiteral("CopyHere");
    const Kind what = KindOf(item);
    const Kind to = KindOf(target);
    if (what == Kind::Missing)
        RaiseNumber(E::FileNotFound, procedure, item);
    if (to == Kind::Missing)
        RaiseNumber(E::PathNotFound, procedure, target);
    if (to == Kind::Folder) {
        const QString into = target.endsWith(QLatin1Char('/')) ? target : target + QLatin1Char('/');
        if (what == Kind::Folder)
            filesystem::CopyFolder(item, into, true);
        else
            filesystem::CopyFile(item, into, true);
        return;
    }
    Archive archive(target, 0, procedure);
    AddItem(archive, item);
    archive.Close();
}

QStringList MemberNames(const QString& archivePath)
{
    const Archive archive(archivePath, ZIP_RDONLY | ZIP_CHECKCONS, QStringLiteral("MemberNames"));
    QStringList names;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        names.append(MemberName(archive.get(), static_cast<zip_uint64_t>(i)));
    return names;
}

void ExtractMember(const QString& archivePath, const QString& memberName, const QString& targetFolder)
{
    const QString procedure = QStringLiteral("ExtractMember");
    if (KindOf(targetFolder) != Kind::Folder)
        RaiseNumber(E::PathNotFound, procedure, targetFolder);
    const Archive archive(archivePath, ZIP_RDONLY | ZIP_CHECKCONS, procedure);
    ExtractOne(archive, FileMember(archive, memberName, MaxMemberSize), targetFolder);
}

struct ArchiveReader::Open {
    Archive archive;
};

ArchiveReader::ArchiveReader(const QString& archivePath)
    : open_(new Open{{archivePath, ZIP_RDONLY | ZIP_CHECKCONS, QStringLiteral("ReadMember")}})
{
}

ArchiveReader::~ArchiveReader() = default;

std::vector<ArchiveReader::Finding> ArchiveReader::Find(const QString& name) const
{
    zip_t* za = open_->archive.get();
    bool asciiName = true;
    for (const QChar c : name)
        asciiName = asciiName && c.unicode() < 128;
    const QByteArray wanted = name.toLatin1();
    std::vector<Finding> findings;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (!raw)
            continue;
        // A name of ASCII alone reads the same in every code page, and no other code page's
        // character holds "/", ":" or ".": such a name without them where a name turns unsafe is
        // safe, and matches a name looked for in ASCII by its bytes alone.
        bool plain = raw[0] != '/' && raw[0] != '\\' && !(raw[0] != '\0' && raw[1] == ':') && !std::strstr(raw, "..");
        for (const char* c = raw; plain && *c; ++c)
            plain = static_cast<unsigned char>(*c) < 128;
        if (plain && asciiName && qstricmp(raw, wanted.constData()) != 0)
            continue;
        const QString decoded = MemberName(za, static_cast<zip_uint64_t>(i));
        QString refusal = MemberNameRefusal(decoded);
        if (!refusal.isEmpty() || decoded.compare(name, Qt::CaseInsensitive) == 0)
            findings.push_back({i, decoded, std::move(refusal)});
    }
    return findings;
}

QByteArray ArchiveReader::Read(std::int64_t index, std::int64_t maxBytes,
                               const std::function<bool(const QByteArray&)>& head) const
{
    const Archive& archive = open_->archive;
    const Member member = CheckMember(archive, static_cast<zip_uint64_t>(index), maxBytes);
    const QString where = archive.path() + QStringLiteral(" : ") + MemberName(archive.get(), member.index);
    if (member.folder)
        RaiseNumber(E::FileNotFound, archive.procedure(), where);
    QByteArray bytes;
    bool judged = !head;
    Unpack(archive, member, where, where, maxBytes, [&](const char* data, qsizetype size) {
        bytes.append(data, size);
        if (!judged)
            judged = head(bytes);
    });
    return bytes;
}

} // namespace platform::zipfolder
