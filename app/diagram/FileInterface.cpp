#include "app/diagram/FileInterface.h"

#include "app/diagram/PadDraw.h"

#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadUtilities.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/codepage/CodePage.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"
#include "platform/zipfolder/ZipFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;
namespace fs = platform::filesystem;
namespace zf = platform::zipfolder;

const QString kCrLf = QStringLiteral("\r\n");

// The one input: the lines of the file as read, decoded once when it is opened.
struct PadInput {
    bool open = false;
    QStringList lines;
    qsizetype next = 0;
    QString path;               // absolute
    bool documentReady = false; // opened by PadDocumentOpen, its header waiting unread
    qsizetype recordLine = 0;   // the line (from 1) of the tag line of the record last read
};

// The one output: the encoded text, put in place whole by PadFileFinish.
struct PadOutput {
    bool open = false;
    QString target;    // absolute path of the file to write
    bool pad = false;  // the target is a ".pad" archive
    QByteArray bytes;
};

PadInput PadInputFile;
PadOutput PadOutputFile;

QString PendingTagLine;
qsizetype PendingTagLineNumber = 0;
bool PushBackFlag = false;
bool ReaderResetFlag = false;
PadInfoRecord LastPadInfo;

[[noreturn]] void RaiseNotOpen(const char* source)
{
    throw vbrt::Error(vbrt::ErrorNumber::BadFileNameOrNumber, QString::fromLatin1(source),
                      QStringLiteral("ファイルが開かれていません。"));
}

// Lines end at CR or at CR LF; a lone LF stays inside its line. The one rule for the bytes of a
// file (CR and LF are never part of a Shift_JIS character) and for its decoded text: the line
// that begins at `start` ends before `end`, and the result is where the next line begins; -1
// when no CR follows, so the line runs to the end of what is there (and may not be whole yet).
template <typename Text>
qsizetype LineBreakFind(const Text& text, qsizetype start, qsizetype& end)
{
    end = text.indexOf('\r', start);
    if (end < 0) {
        end = text.size();
        return -1;
    }
    qsizetype next = end + 1;
    if (next < text.size() && text.at(next) == '\n')
        ++next;
    return next;
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = 0;
        const qsizetype next = LineBreakFind(text, start, end);
        lines << text.mid(start, end - start);
        if (next < 0)
            break;
        start = next;
    }
    return lines;
}

bool NextLine(QString& line)
{
    if (PadInputFile.next >= PadInputFile.lines.size())
        return false;
    line = PadInputFile.lines[PadInputFile.next++];
    return true;
}

// Where in a document a format error stands, as the user looks for it: the file's name and the line.
QString LineLocation(const QString& absolute, qsizetype line)
{
    return QStringLiteral("(%1 の %2 行目)").arg(fs::GetFileName(absolute)).arg(line);
}

[[noreturn]] void RaiseAtLine(const vbrt::Error& e, const QString& absolute, qsizetype line)
{
    throw vbrt::Error(e.number(), e.source(), e.description() + kCrLf + LineLocation(absolute, line));
}

// TAB, CR and LF become blanks; keepTabs leaves TABs as they are (the settings text carries
// its multi-line values with TABs for line breaks). Then blanks at both ends go.
QString Normalize(const QString& line, bool keepTabs)
{
    QString out = line;
    for (QChar& c : out) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || (c == QLatin1Char('\t') && !keepTabs))
            c = QLatin1Char(' ');
    }
    return vbrt::Trim(out);
}

// The head escapes: only one, only at the head, in this order.
QString Unescape(const QString& line)
{
    static const std::pair<QString, QString> escapes[] = {
        {QStringLiteral("&amp;"), QStringLiteral("&")},
        {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
        {QStringLiteral("&shap;"), QStringLiteral("#")},
    };
    for (const auto& [escaped, plain] : escapes) {
        if (line.startsWith(escaped))
            return plain + line.mid(escaped.size());
    }
    return line;
}

QString Escape(const QString& line)
{
    if (line.isEmpty())
        return line;
    switch (line[0].unicode()) {
    case '&': return QStringLiteral("&amp;") + line.mid(1);
    case ' ': return QStringLiteral("&nbsp;") + line.mid(1);
    case '#': return QStringLiteral("&shap;") + line.mid(1);
    default: return line;
    }
}

enum Section { TextSection, ColorSection, FontSection, NameSection, StyleSection, ObstinateSection, Discard, SectionCount };

struct SectionBuffers {
    std::array<QString, SectionCount> text;
    bool before = false;
    bool after = false;
    bool lowerPage = false;
    bool rightPage = false;
    Section current = TextSection;

    void open(Section s)
    {
        current = s;
        text[s].clear();
    }
    void append(const QString& line)
    {
        QString& t = text[current];
        if (!t.isEmpty())
            t += kCrLf;
        t += line;
    }
};

// The ten sub-tags: six open a section, four set a flag and throw the lines after them away.
enum class SubTagEffect { OpenSection, Before, After, LowerPage, RightPage };

struct SubTagRow {
    QLatin1String mnemonic;
    SubTagEffect effect;
    Section section;
};

const SubTagRow kSubTags[] = {
    {QLatin1String("&&text"), SubTagEffect::OpenSection, TextSection},
    {QLatin1String("&&color"), SubTagEffect::OpenSection, ColorSection},
    {QLatin1String("&&font"), SubTagEffect::OpenSection, FontSection},
    {QLatin1String("&&name"), SubTagEffect::OpenSection, NameSection},
    {QLatin1String("&&style"), SubTagEffect::OpenSection, StyleSection},
    {QLatin1String("&&obstinate"), SubTagEffect::OpenSection, ObstinateSection},
    {QLatin1String("&&before"), SubTagEffect::Before, Discard},
    {QLatin1String("&&after"), SubTagEffect::After, Discard},
    {QLatin1String("&&lowerPage"), SubTagEffect::LowerPage, Discard},
    {QLatin1String("&&rightPage"), SubTagEffect::RightPage, Discard},
};

// Applies a sub-tag line (the whole line, letter case counts); false when the line is none.
bool SubTag(const QString& line, SectionBuffers& s)
{
    for (const SubTagRow& row : kSubTags) {
        if (line != row.mnemonic)
            continue;
        switch (row.effect) {
        case SubTagEffect::Before: s.before = true; s.after = false; break;
        case SubTagEffect::After: s.before = false; s.after = true; break;
        case SubTagEffect::LowerPage: s.lowerPage = true; break;
        case SubTagEffect::RightPage: s.rightPage = true; break;
        case SubTagEffect::OpenSection: break;
        }
        s.open(row.section);
        return true;
    }
    return false;
}

QString TagOf(const QString& tagLine)
{
    const qsizetype colon = tagLine.indexOf(QLatin1Char(':'));
    return colon < 0 ? tagLine : tagLine.left(colon);
}

// The tag table's row of a tag (letter case counts); null for a tag the table does not know.
const TagTableRecord* TagRowOf(const QString& tag)
{
    for (const TagTableRecord& row : PR.TagTable)
        if (row.mnemonic == tag)
            return &row;
    return nullptr;
}

void Emit(const QString& line, const char* source)
{
    if (!PadOutputFile.open)
        RaiseNotOpen(source);
    PadOutputFile.bytes += platform::codepage::ToShiftJis(line, QString::fromLatin1(source));
    PadOutputFile.bytes += "\r\n";
}

// The document member of a ".pad" archive. Readers match it without regard to letter case.
const QString kMemberName = QStringLiteral("Vellumora.txt");

// The work folder and work archive of ".pad" files: those of the start routine, or, before it
// has run, a private folder of this process.
const QString& FallbackFolder()
{
    static QTemporaryDir dir(fs::TemporaryFolder() + QStringLiteral("/vellumora-zipwork-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

QString WorkFolder()
{
    const QString& folder = FileInterface.ZipWorkFolder;
    if (folder.isEmpty())
        return FallbackFolder();
    if (!fs::FolderExists(folder))
        fs::CreateFolder(folder);
    return folder;
}

QString MemberFile()
{
    const QString folder = WorkFolder();
    return FileInterface.ZipMemberFile.isEmpty() ? folder + QLatin1Char('/') + kMemberName : FileInterface.ZipMemberFile;
}

QString WorkArchive()
{
    return FileInterface.ZipWorkFile.isEmpty() ? FallbackFolder() + QStringLiteral("/zipwork.zip")
                                               : FileInterface.ZipWorkFile;
}

void RemoveQuietly(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

QByteArray ReadWholeFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("PadFileOpen"), path);
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw vbrt::Error(vbrt::ErrorNumber::IoError, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    return bytes;
}

// Called with the bytes read so far until it returns true; raises to refuse the document.
using HeadCheck = std::function<bool(const QByteArray& soFar)>;

[[noreturn]] void RaiseTooLarge(const QString& path)
{
    vbrt::Raise(QStringLiteral("PadFileOpen"),
                QStringLiteral("%1 は %2 MB より大きいため開けません。")
                    .arg(fs::GetFileName(path))
                    .arg(DocumentSizeLimit / (1024 * 1024)));
}

// A path that is no regular file (a folder, a device, a pipe) is refused before it is read.
void CheckRegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("PadFileOpen"), path);
    if (S_ISDIR(st.st_mode))
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    if (!S_ISREG(st.st_mode))
        vbrt::Raise(QStringLiteral("PadFileOpen"),
                    QStringLiteral("%1 は通常のファイルではないため開けません。").arg(fs::GetFileName(path)));
}

// A document file: a regular file of at most DocumentSizeLimit bytes, read once, piece by piece,
// with the head check after each piece until it has decided.
QByteArray ReadDocumentFile(const QString& path, const HeadCheck& head)
{
    CheckRegularFile(path);
    // Not blocking: what was checked may have been swapped for a pipe meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw vbrt::Error(vbrt::ErrorNumber::PermissionDenied, QStringLiteral("PadFileOpen"),
                          QStringLiteral("ファイル %1 を読めません。").arg(path));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        vbrt::Raise(QStringLiteral("PadFileOpen"),
                    QStringLiteral("%1 は通常のファイルではないため開けません。").arg(fs::GetFileName(path)));
    if (st.st_size > DocumentSizeLimit)
        RaiseTooLarge(path);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    bool judged = !head;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw vbrt::Error(vbrt::ErrorNumber::IoError, QStringLiteral("PadFileOpen"),
                              QStringLiteral("ファイル %1 を読めません。").arg(path));
        if (n == 0)
            break;
        // The file may grow while it is read: the bytes themselves are counted.
        if (bytes.size() + n > DocumentSizeLimit)
            RaiseTooLarge(path);
        bytes.append(buffer, n);
        if (!judged)
            judged = head(bytes);
    }
    return bytes;
}

// The bytes of the document member of a ".pad", read straight from the archive: nothing of it
// is written to disk. Every refusal keeps the zip layer's own reason.
QByteArray ReadPadMember(const QString& path, const HeadCheck& head)
{
    const QString source = QStringLiteral("PadFileOpen");
    const QString name = fs::GetFileName(path);
    CheckRegularFile(path);
    QStringList names;
    try {
        names = zf::MemberNames(path);
    } catch (const vbrt::Error& e) {
        vbrt::Raise(source, QStringLiteral("%1 は .pad ファイルとして開けません。%2").arg(name, e.description()));
    }
    QString member;
    for (const QString& entry : names) {
        if (const QString refusal = zf::MemberNameRefusal(entry); !refusal.isEmpty())
            vbrt::Raise(source, QStringLiteral("%1 に安全でない項目 %2 があるため開けません。%3").arg(name, entry, refusal));
        if (entry.compare(kMemberName, Qt::CaseInsensitive) != 0)
            continue;
        // Archive order must not decide which of two documents opens.
        if (!member.isEmpty())
            vbrt::Raise(source, QStringLiteral("%1 には文書が %2 と %3 の二つあるため開けません。").arg(name, member, entry));
        member = entry;
    }
    if (member.isEmpty())
        vbrt::Raise(source, QStringLiteral("%1 に文書 %2 が入っていません。").arg(name, kMemberName));

    try {
        return zf::ReadMember(path, member, DocumentSizeLimit, head);
    } catch (const vbrt::Error& e) {
        if (e.source() != QLatin1String("ReadMember"))
            throw; // the head check's own refusal
        vbrt::Raise(source, QStringLiteral("%1 は読めません。%2").arg(name, e.description()));
    }
}

// Packs the text as the single member of a new archive and puts the archive in place whole.
void WritePadArchive(const QString& target, const QByteArray& bytes)
{
    const QString member = MemberFile();
    const QString archive = WorkArchive();
    struct Cleanup {
        QString member, archive;
        ~Cleanup()
        {
            RemoveQuietly(member);
            RemoveQuietly(archive);
        }
    } cleanup{member, archive};

    RemoveQuietly(member);
    RemoveQuietly(archive);
    // Scratch files, gone once the archive is in place: only the target waits for the disk.
    fs::WriteFileAtomically(member, bytes, false);
    fs::WriteFileAtomically(archive, zf::EmptyArchive(), false);
    zf::CopyItemHere(member, archive);
    // An archive that did not grow past the empty one, or lacks its member, never replaces a document.
    if (QFileInfo(archive).size() <= zf::EmptyArchive().size() || zf::MemberNames(archive) != QStringList{kMemberName})
        vbrt::Raise(QStringLiteral("PadFileFinish"),
                    QStringLiteral("%1 を作れませんでした。ファイルは保存されていません。").arg(fs::GetFileName(target)));
    fs::WriteFileAtomically(target, ReadWholeFile(archive));
}

// Per-process work files (undo snapshots, copy buffers, editor files) end with the process: they
// are replaced whole like every output, but not forced to the disk, which would cost every edit
// the wait.
bool IsWorkFile(const QString& target)
{
    const QString prefix = TemporaryFilePrefix();
    return !prefix.isEmpty() && target.startsWith(fs::GetAbsolutePathName(prefix) + QLatin1Char('.'));
}

// The folder the file dialogs start in: the last one of this run, else the stored one, else the
// user's documents folder (the home folder when there is none). Never the program's folder: a
// chart saved there would land in the build tree.
void StartFolderSet()
{
    const QString stored =
        CommonServices ? CommonServices->GetRegistry(QStringLiteral("File"), QStringLiteral("Path")) : QString();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString user = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    ApplicationGlobals.LastFolder = StringDefault(StringDefault(ApplicationGlobals.LastFolder, stored), user);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

PadInfoRecord GetPadInfo()
{
    PadInputFile.documentReady = false;
    if (ReaderResetFlag) {
        ReaderResetFlag = false;
        PushBackFlag = false;
    }
    if (PushBackFlag) {
        PushBackFlag = false;
        return LastPadInfo;
    }
    if (!PadInputFile.open)
        RaiseNotOpen("GetPadInfo");

    QString tagLine = PendingTagLine;
    qsizetype tagLineNumber = PendingTagLineNumber;
    PendingTagLine.clear();
    SectionBuffers s;
    static const QString document = QStringLiteral("&&document");
    bool documentRecord = TagOf(tagLine) == document;

    QString raw;
    while (NextLine(raw)) {
        // A line that begins with "#" is a comment.
        if (raw.startsWith(QLatin1Char('#')))
            continue;
        const QString line = Normalize(raw, false);
        if (tagLine.isEmpty()) {
            tagLine = line;
            tagLineNumber = PadInputFile.next;
            documentRecord = TagOf(tagLine) == document;
            continue;
        }
        if (line.startsWith(QLatin1String("&&"))) {
            if (SubTag(line, s))
                continue;
            if (line.startsWith(QLatin1String("&&extra"))) {
                s.open(Discard);
                continue;
            }
            PendingTagLine = line;
            PendingTagLineNumber = PadInputFile.next;
            break;
        }
        if (line.isEmpty())
            continue;
        // The settings text of the header keeps its TABs: they stand for line breaks in its values.
        const bool keepTabs = documentRecord && s.current == TextSection;
        s.append(Unescape(keepTabs ? Normalize(raw, true) : line));
    }

    PadInfoRecord result = PadInfoRecord::Default;
    result.text = s.text[TextSection];
    result.color = s.text[ColorSection];
    result.font = s.text[FontSection];
    result.nameText = s.text[NameSection];
    result.style = s.text[StyleSection];
    result.obstinate = s.text[ObstinateSection];
    result.before = s.before;
    result.after = s.after;
    result.lowerPage = s.lowerPage;
    result.rightPage = s.rightPage;

    if (tagLine.isEmpty()) {
        PadInputFile.recordLine = PadInputFile.lines.size();
        LastPadInfo = PadInfoRecord::Default;
        return LastPadInfo;
    }
    PadInputFile.recordLine = tagLineNumber;

    const QStringList fields = tagLine.split(QLatin1Char(':'));
    const QString& tag = fields[0];
    if (fields.size() > 1 && vbrt::IsNumeric(fields[1])) {
        result.number = vbrt::CInt(vbrt::CDbl(fields[1]));
        if (fields.size() > 2)
            result.name = QString(fields[2]).remove(QLatin1Char(' '));
    }

    if (const TagTableRecord* row = TagRowOf(tag)) {
        result.tagId = row->id;
        result.flags = row->flags & ~TagAttribute::ObstinateMask;
        for (const TagAttributeRecord& attribute : PR.TagAttributeTable) {
            if ((attribute.value & TagAttribute::ObstinateMask) && attribute.name == result.obstinate) {
                result.flags |= attribute.value;
                break;
            }
        }
        if (row->flags & (TagAttribute::BlockEndTag | TagAttribute::SpecialTag)) {
            result = PadInfoRecord::Default;
            result.tagId = row->id;
            result.flags = row->flags;
        }
    }
    if (result.tagId < 1)
        vbrt::Raise(QStringLiteral("GetPadInfo"), QStringLiteral("定義されていないﾀｸﾞです。"));

    LastPadInfo = result;
    return result;
}

void UngetPadInfo()
{
    PushBackFlag = true;
}

bool PadLineRead(QString& line)
{
    if (!PadInputFile.open)
        RaiseNotOpen("PadLineRead");
    if (NextLine(line))
        return true;
    line.clear();
    return false;
}

// ---------------------------------------------------------------------------------------------
// Writing

void PadLineWrite(const QString& line)
{
    Emit(line, "PadLineWrite");
}

void PadSectionWrite(std::int32_t subTagId, const QString& text)
{
    if (text.isEmpty())
        return;
    if (subTagId > 0)
        Emit(TagTableGet(subTagId).mnemonic, "PadSectionWrite");
    for (const QString& part : text.split(kCrLf))
        Emit(Escape(part), "PadSectionWrite");
}

void PadInfoWrite(const PadInfoRecord& record)
{
    QString tagLine = TagTableGet(record.tagId).mnemonic + QLatin1Char(':')
                      + (record.number > 0 ? QString::number(record.number) : QString()) + QLatin1Char(':')
                      + QString(record.name).remove(QLatin1Char(' '));
    for (int i = 0; i < 2; ++i) {
        if (tagLine.endsWith(QLatin1Char(':')))
            tagLine.chop(1);
    }
    Emit(tagLine, "PadInfoWrite");

    if (record.tagId == TagId::Case) {
        if (record.rightPage)
            Emit(TagTableGet(TagId::RightPage).mnemonic, "PadInfoWrite");
        PadSectionWrite(TagId::Text, record.text);
        return;
    }
    PadSectionWrite(TagId::Obstinate, vbrt::Trim(record.obstinate));
    PadSectionWrite(TagId::Color, vbrt::Trim(record.color));
    PadSectionWrite(TagId::Font, vbrt::Trim(record.font));
    PadSectionWrite(TagId::Name, vbrt::Trim(record.nameText));
    if (record.tagId == TagId::Loop) {
        if (record.before)
            Emit(TagTableGet(TagId::Before).mnemonic, "PadInfoWrite");
        if (record.after)
            Emit(TagTableGet(TagId::After).mnemonic, "PadInfoWrite");
    }
    if (record.lowerPage)
        Emit(TagTableGet(TagId::LowerPage).mnemonic, "PadInfoWrite");
    if (record.rightPage
        && (record.tagId == TagId::Routine || record.tagId == TagId::Loop || record.tagId == TagId::Tree))
        Emit(TagTableGet(TagId::RightPage).mnemonic, "PadInfoWrite");
    if (record.tagId == TagId::FreeStyle)
        PadSectionWrite(TagId::Style, record.style);
    PadSectionWrite(TagId::Text, record.text);
}

void BoxListWrite(std::int16_t canvas, std::int16_t startBox, bool withSubs, bool caseNumbers, bool followNext,
                  bool withNames)
{
    CanvasRecord& c = CanvasAt(canvas, "BoxListWrite");
    std::int16_t box = startBox;
    bool frameOpened = false;
    if (startBox < 0) {
        box = c.header.firstBox;
        if (box < 0 || BoxAt(c, box, "BoxListWrite").tagType != TagId::Routine) {
            PadInfoRecord frame = PadInfoMake(TagId::Routine, QString());
            if (withNames)
                frame.nameText = c.header.name;
            frame.obstinate = ObstinateNameGet(canvas);
            PadInfoWrite(frame);
            frameOpened = true;
        }
    }
    while (box >= 0) {
        const BoxRecord& b = BoxAt(c, box, "BoxListWrite");
        // What the preparation pass made for display is not the document's: its temporary boxes
        // (the labels that jumps go to) and the jump texts it gave break and continue boxes. Written,
        // they would come back as real boxes, more of them after every save.
        if (b.flags & BoxFlag::Temporary) {
            box = followNext ? b.after : std::int16_t(-1);
            continue;
        }
        const bool generatedText =
            (b.tagType == TagId::Break || b.tagType == TagId::Continue) && (b.flags & BoxFlag::LabelReplaced);
        PadInfoRecord record = PadInfoMake(b.tagType, generatedText ? QString() : b.text.text);
        record.color = ColorName(b.colorCode);
        record.font = FontModifyText(b.fontCode);
        if (withNames && b.tagType == TagId::Routine)
            record.nameText = c.header.name;
        record.before = (b.flags & BoxFlag::TestBefore) != 0;
        record.after = !record.before;
        record.lowerPage = (b.flags & BoxFlag::LowerPage) != 0;
        if (b.tagType == TagId::Routine)
            record.obstinate = ObstinateNameGet(canvas);
        if ((record.flags & TagAttribute::SubLevel) && b.tagType != TagId::Branch && b.subIndex > 0)
            record.rightPage = (SubAt(c, b.subIndex, "BoxListWrite").flags & SubFlag::RightPage) != 0;
        if (b.tagType == TagId::FreeStyle) {
            QStringList lines;
            for (std::size_t row = 0; row < b.style.size() && row < PR.StyleAttributeTable.size(); ++row) {
                const StyleAttributeRecord& attribute = PR.StyleAttributeTable[row];
                const std::size_t value = b.style[row];
                lines << attribute.name + QLatin1Char(':')
                             + (value < attribute.values.size() ? attribute.values[value] : QString());
            }
            record.style = lines.join(kCrLf);
        }
        PadInfoWrite(record);

        for (std::int16_t sub = b.subIndex; sub >= 0;) {
            const SubRecord& line = SubAt(c, sub, "BoxListWrite");
            if (b.tagType == TagId::Branch) {
                PadInfoRecord caseRecord = PadInfoMake(TagId::Case, line.text.text);
                if (caseNumbers)
                    caseRecord.number = line.no;
                caseRecord.rightPage = (line.flags & SubFlag::RightPage) != 0;
                PadInfoWrite(caseRecord);
            }
            if (withSubs && line.boxIndex > 0)
                BoxListWrite(canvas, line.boxIndex, withSubs, caseNumbers, true, withNames);
            sub = line.after;
        }
        if (withSubs) {
            switch (b.tagType) {
            case TagId::Routine: PadInfoWrite(PadInfoMake(TagId::EndRoutine, QString())); break;
            case TagId::Branch: PadInfoWrite(PadInfoMake(TagId::EndBranch, QString())); break;
            case TagId::Loop: PadInfoWrite(PadInfoMake(TagId::EndLoop, QString())); break;
            case TagId::Tree: PadInfoWrite(PadInfoMake(TagId::EndTree, QString())); break;
            default: break;
            }
        }
        box = followNext ? b.after : std::int16_t(-1);
    }
    if (frameOpened)
        PadInfoWrite(PadInfoMake(TagId::EndRoutine, QString()));
}

void PadDocumentWrite(bool withCanvases, bool caseNumbers)
{
    const ApplicationGlobalsRecord& g = ApplicationGlobals;
    PadInfoRecord header = PadInfoMake(TagId::Document, DocumentSettingsText(true, QString()));
    header.color = g.DocumentColorName;
    header.font = QStringLiteral("fontname:") + g.DocumentFontName + kCrLf + QStringLiteral("fontsize:")
                  + g.DocumentFontSize;
    PadInfoWrite(header);
    if (!withCanvases)
        return;
    // Every open canvas once, in display order: a display number outside 1..n or one shared by two
    // canvases must neither drop a canvas from the file nor write one twice.
    const std::vector<std::int16_t> canvases = CanvasSequenceList();
    for (std::size_t i = 1; i < canvases.size(); ++i)
        BoxListWrite(canvases[i], -1, true, caseNumbers, true, true);
    PadInfoWrite(PadInfoMake(TagId::EndDocument, QString()));
}

QString ObstinateNameGet(std::int16_t canvas)
{
    const std::int32_t kind = CanvasAt(canvas, "ObstinateNameGet").header.kindFlags & TagAttribute::ObstinateMask;
    for (const TagAttributeRecord& attribute : PR.TagAttributeTable) {
        if (attribute.value == kind)
            return attribute.name;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Files

void FileInterfaceInit()
{
    FileInterface.FileFilterTable = {{{QStringLiteral("PADﾌｧｲﾙ(*.pad)|*.pad"), QStringLiteral("pad")},
                                      {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt"), QStringLiteral("txt")},
                                      {QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*"), QString()}}};
    FileInterface.FileFilter = FileInterface.FileFilterTable[0].filter + QLatin1Char('|') +
                               FileInterface.FileFilterTable[1].filter + QLatin1Char('|') +
                               FileInterface.FileFilterTable[2].filter;
    const QString work = TemporaryFileName(QStringLiteral("zipwork"));
    FileInterface.ZipWorkFile = work + QStringLiteral(".zip");
    FileInterface.ZipWorkFolder = work + QStringLiteral(".dir");
    FileInterface.ZipMemberFile = FileInterface.ZipWorkFolder + QLatin1Char('/') + kMemberName;
    FileInterface.SaveTargetFile.clear();
    CommonServices->CreateFolder(FileInterface.ZipWorkFolder);
}

void FileInterfaceTerm()
{
    // Empty names (a start-up that failed before they were made) must never reach a delete.
    if (!FileInterface.ZipWorkFolder.isEmpty())
        CommonServices->DeleteFolder(FileInterface.ZipWorkFolder);
    if (!FileInterface.ZipWorkFile.isEmpty())
        CommonServices->DeleteFile(FileInterface.ZipWorkFile);
    // Work folders this process left in the temporary folder: its prefix and a dot, so that
    // another process whose id begins with the same digits keeps its own.
    const QString prefix = TemporaryFilePrefix();
    if (!prefix.isEmpty()) {
        for (const QString& folder : CommonServices->GetSubFoldersPath(CommonServices->TemporaryFolder())) {
            if (folder.startsWith(prefix + QLatin1Char('.')))
                CommonServices->GetFolder(folder)->Delete(true);
        }
    }
    FileInterface.FileFilterTable = {};
    FileInterface.ZipWorkFile.clear();
    FileInterface.ZipWorkFolder.clear();
    FileInterface.ZipMemberFile.clear();
}

bool IsPadFile(const QString& path)
{
    return fs::GetExtensionName(path).compare(QLatin1String("pad"), Qt::CaseInsensitive) == 0;
}

namespace {

[[noreturn]] void RaiseNotText(const QString& absolute)
{
    vbrt::Raise(QStringLiteral("PadFileOpen"),
                QStringLiteral("%1 はテキストファイルではありません。").arg(fs::GetFileName(absolute)));
}

[[noreturn]] void RaiseNotShiftJis(const QString& absolute)
{
    vbrt::Raise(QStringLiteral("PadFileOpen"),
                QStringLiteral("%1 は Shift_JIS のテキストとして読めません。").arg(fs::GetFileName(absolute)));
}

[[noreturn]] void RaiseNoDocumentHeader(const QString& absolute)
{
    vbrt::Raise(QStringLiteral("PadDocumentOpen"),
                QStringLiteral("%1 は文書の先頭 (&&document) で始まっていません。").arg(fs::GetFileName(absolute)));
}

// Judges the first record of a document from the first bytes read: its tag line (the first line
// that is neither a comment nor blank) must be the document header's. Undecided until that line
// is whole; past the first megabyte the whole read decides.
HeadCheck DocumentHeadCheck(const QString& absolute)
{
    return [absolute](const QByteArray& soFar) {
        qsizetype start = 0;
        for (qsizetype lineNumber = 1;; ++lineNumber) {
            qsizetype end = 0;
            const qsizetype next = LineBreakFind(soFar, start, end);
            if (next < 0)
                return soFar.size() > 1024 * 1024;
            const QByteArray raw = soFar.mid(start, end - start);
            start = next;
            if (raw.startsWith('#'))
                continue;
            if (raw.contains('\0'))
                RaiseNotText(absolute);
            if (!platform::codepage::IsValidShiftJis(raw))
                RaiseNotShiftJis(absolute);
            const QString line = Normalize(platform::codepage::FromShiftJis(raw, QStringLiteral("PadFileOpen")), false);
            if (line.isEmpty())
                continue;
            const QString tag = TagOf(line);
            if (tag == TagTableGet(TagId::Document).mnemonic)
                return true;
            // A line that is no tag, or an unknown tag, gets the reader's own message; another
            // known tag means the document header is missing.
            if (tag.isEmpty() || !TagRowOf(tag))
                vbrt::Raise(QStringLiteral("GetPadInfo"),
                            QStringLiteral("定義されていないﾀｸﾞです。") + kCrLf + LineLocation(absolute, lineNumber));
            RaiseNoDocumentHeader(absolute);
        }
    };
}

void OpenInput(const QString& path, const HeadCheck& head)
{
    const QString absolute = fs::GetAbsolutePathName(path);
    const QByteArray bytes = IsPadFile(absolute) ? ReadPadMember(absolute, head) : ReadDocumentFile(absolute, head);
    if (bytes.contains('\0'))
        RaiseNotText(absolute);
    if (!platform::codepage::IsValidShiftJis(bytes))
        RaiseNotShiftJis(absolute);

    PadInputFile.lines = SplitLines(platform::codepage::FromShiftJis(bytes, QStringLiteral("PadFileOpen")));
    PadInputFile.next = 0;
    PadInputFile.path = absolute;
    PadInputFile.documentReady = false;
    PadInputFile.open = true;
    ReaderResetFlag = true;
    PushBackFlag = false;
    PendingTagLine.clear();
    PendingTagLineNumber = 0;
}

} // namespace

void PadFileOpen(const QString& path)
{
    OpenInput(path, {});
}

void PadDocumentOpen(const QString& path)
{
    PadInput previous = PadInputFile;
    const QString pending = PendingTagLine;
    const bool pushBack = PushBackFlag;
    const bool reset = ReaderResetFlag;
    const PadInfoRecord last = LastPadInfo;
    auto restore = [&] {
        PadInputFile = previous;
        PendingTagLine = pending;
        PushBackFlag = pushBack;
        ReaderResetFlag = reset;
        LastPadInfo = last;
    };
    const QString absolute = fs::GetAbsolutePathName(path);
    try {
        // The first record is judged before the rest is read and decoded.
        OpenInput(path, DocumentHeadCheck(absolute));
        PadInfoRecord first;
        try {
            first = GetPadInfo();
        } catch (const vbrt::Error& e) {
            PadInputErrorRaise(e);
        }
        // Comments and blank lines alone make an empty document; a file of no bytes at all is
        // more likely one whose writing failed, and is refused.
        if (first.tagId == 0 && PadInputFile.lines.isEmpty())
            vbrt::Raise(QStringLiteral("PadDocumentOpen"),
                        QStringLiteral("%1 には文書が入っていません。").arg(fs::GetFileName(absolute)));
        if (first.tagId != 0 && first.tagId != TagId::Document)
            RaiseNoDocumentHeader(absolute);
        UngetPadInfo();
        PadInputFile.documentReady = true;
    } catch (...) {
        // A first line that is no tag, or an unknown one, gets the reader's own message.
        restore();
        throw;
    }
}

bool PadDocumentReady(const QString& path)
{
    return PadInputFile.open && PadInputFile.documentReady && PushBackFlag
           && PadInputFile.path == fs::GetAbsolutePathName(path);
}

std::size_t PadCanvasCount()
{
    if (!PadInputFile.open)
        return 0;
    // The tag lines ahead: the one waiting, then the unread lines that are neither comments,
    // sub-tags nor extra sections.
    QStringList tags;
    if (PushBackFlag && !ReaderResetFlag)
        tags << TagTableGet(LastPadInfo.tagId).mnemonic;
    if (!PendingTagLine.isEmpty())
        tags << TagOf(PendingTagLine);
    SectionBuffers scratch;
    std::size_t count = 0;
    int depth = 0;
    bool inCanvas = false;
    auto take = [&](const QString& tag) {
        const TagTableRecord* row = TagRowOf(tag);
        const std::int32_t id = row ? row->id : 0;
        switch (id) {
        case TagId::Routine:
        case TagId::Note:
            // A top-level routine or note opens a canvas; records up to the end record that
            // closes the top level belong to it.
            if (depth == 0 && !inCanvas) {
                ++count;
                inCanvas = true;
            }
            if (id == TagId::Routine)
                ++depth;
            break;
        case TagId::Branch:
        case TagId::Loop:
        case TagId::Tree:
            ++depth;
            break;
        case TagId::EndRoutine:
        case TagId::EndBranch:
        case TagId::EndLoop:
        case TagId::EndTree:
            if (depth > 0)
                --depth;
            if (depth == 0 && id == TagId::EndRoutine)
                inCanvas = false;
            break;
        default:
            break;
        }
    };
    for (const QString& tag : tags)
        take(tag);
    for (qsizetype i = PadInputFile.next; i < PadInputFile.lines.size(); ++i) {
        const QString& raw = PadInputFile.lines[i];
        if (raw.startsWith(QLatin1Char('#')))
            continue;
        const QString line = Normalize(raw, false);
        if (!line.startsWith(QLatin1String("&&")) || line.startsWith(QLatin1String("&&extra")) || SubTag(line, scratch))
            continue;
        take(TagOf(line));
    }
    return count;
}

void PadInputErrorRaise(const platform::vbrt::Error& e)
{
    if (!PadInputFile.open)
        throw e;
    RaiseAtLine(e, PadInputFile.path, PadInputFile.recordLine);
}

void PadFileClose()
{
    PadInputFile = PadInput{};
    PendingTagLine.clear();
    PushBackFlag = false;
}

void PadFileCreate(const QString& path)
{
    const QString part = DocumentPathPart(path);
    if (part.isEmpty())
        throw vbrt::Error(vbrt::ErrorNumber::BadFileNameOrNumber, QStringLiteral("PadFileCreate"),
                          QStringLiteral("書き込むファイルの名前がありません。"));
    // An output left unfinished by a failed writer is dropped: its target was never touched.
    PadOutputFile = PadOutput{};
    PadOutputFile.target = fs::GetAbsolutePathName(part);
    PadOutputFile.pad = IsPadFile(PadOutputFile.target);
    PadOutputFile.open = true;
    FileInterface.SaveTargetFile = PadOutputFile.pad ? PadOutputFile.target : QString();
}

void PadFileFinish()
{
    if (!PadOutputFile.open)
        RaiseNotOpen("PadFileFinish");
    const PadOutput output = std::move(PadOutputFile);
    PadOutputFile = PadOutput{};
    FileInterface.SaveTargetFile.clear();
    if (output.pad)
        WritePadArchive(output.target, output.bytes);
    else
        fs::WriteFileAtomically(output.target, output.bytes, !IsWorkFile(output.target));
}

void PadFileAbandon()
{
    PadOutputFile = PadOutput{};
    FileInterface.SaveTargetFile.clear();
}

void PadFileSave()
{
    PadFileCreate(ApplicationGlobals.DocumentName);
    try {
        PadDocumentWrite(true, false);
        PadFileFinish();
    } catch (...) {
        PadFileAbandon();
        throw;
    }
    ApplicationGlobals.ModifyFlag = false;
}

bool FileOpenDialog(platform::commondialog::CommonDialog& dialog, QString& path)
{
    namespace cd = platform::commondialog;
    StartFolderSet();
    try {
        dialog.CancelError = true;
        dialog.InitDir = ApplicationGlobals.LastFolder;
        dialog.FileName.clear();
        dialog.Flags = cd::Flags::HideReadOnly | cd::Flags::FileMustExist | cd::Flags::Explorer | cd::Flags::LongNames;
        dialog.DefaultExt = QStringLiteral(".txt");
        dialog.Filter = FileInterface.FileFilter;
        dialog.FilterIndex = 1;
        dialog.ShowOpen();
        path = dialog.FileName;
        ApplicationGlobals.LastFolder = dialog.InitDir;
        return true;
    } catch (const vbrt::Error&) {
        return false;
    }
}

bool FileSaveDialog(platform::commondialog::CommonDialog& dialog)
{
    namespace cd = platform::commondialog;
    StartFolderSet();
    try {
        const QString savePath = DocumentSavePath(ApplicationGlobals.DocumentName);
        dialog.CancelError = true;
        dialog.InitDir = ApplicationGlobals.LastFolder;
        dialog.FileName = savePath.contains(QLatin1Char('/')) ? fs::GetBaseName(fs::GetFileName(savePath)) : QString();
        dialog.Flags = cd::Flags::OverwritePrompt | cd::Flags::HideReadOnly | cd::Flags::Explorer | cd::Flags::LongNames;
        dialog.DefaultExt = QLatin1Char('.') + FileInterface.FileFilterTable[0].extension;
        dialog.Filter = FileInterface.FileFilter;
        dialog.FilterIndex = 1;
        dialog.ShowSave();
        ApplicationGlobals.DocumentName = dialog.FileName;
        const qsizetype slash = dialog.FileName.lastIndexOf(QLatin1Char('/'));
        ApplicationGlobals.LastFolder = slash > 0 ? dialog.FileName.left(slash) : QStringLiteral("/");
        return true;
    } catch (const vbrt::Error&) {
        return false;
    }
}

} // namespace vellumora
