// Reading tagged text: the one input, its lines, the records with their sections and push-back,
// and the judging of a document's first record.

#include "app/diagram/FileInterface.h"

#include "app/diagram/FileInterfaceFiles.h"
#include "app/diagram/FileInterfaceLines.h"
#include "app/diagram/TagTable.h"
#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QByteArray>
#include <QStringList>

#include <array>
#include <limits>
#include <utility>
#include <vector>

namespace vellumora {

using padfile::HeadCheck;
using padfile::IsComment;
using padfile::kCrLf;
using padfile::LineBreakFind;
using padfile::Normalize;
using padfile::RaiseNotOpen;
using padfile::ReadDocumentFile;
using padfile::ReadPadMember;
using padfile::SplitLines;
using padfile::TabsKept;
using padfile::Unescape;

namespace {

namespace vbrt = platform::vbrt;
namespace fs = platform::filesystem;

// The one input: the lines of the file as read, decoded once when it is opened.
struct PadInput {
    bool open = false;
    QStringList lines;
    qsizetype next = 0;
    QString path;               // absolute
    bool documentReady = false; // opened by PadDocumentOpen, its header waiting unread
    qsizetype recordLine = 0;   // the line (from 1) of the tag line of the record last read
    std::vector<qsizetype> recordTextLines; // the line of each line of that record's text section
};

PadInput PadInputFile;

QString PendingTagLine;
qsizetype PendingTagLineNumber = 0;
bool PushBackFlag = false;
bool ReaderResetFlag = false;
PadInfoRecord LastPadInfo;

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

enum Section { TextSection, ColorSection, FontSection, NameSection, StyleSection, ObstinateSection, Discard, SectionCount };

struct SectionBuffers {
    std::array<QString, SectionCount> text;
    std::array<std::vector<qsizetype>, SectionCount> lines; // the line each part was read from
    bool before = false;
    bool after = false;
    bool lowerPage = false;
    bool rightPage = false;
    Section current = TextSection;

    void open(Section s)
    {
        current = s;
        text[s].clear();
        lines[s].clear();
    }
    void append(const QString& line, qsizetype lineNumber)
    {
        QString& t = text[current];
        if (!t.isEmpty())
            t += kCrLf;
        t += line;
        lines[current].push_back(lineNumber);
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
        if (IsComment(raw))
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
        const bool keepTabs = TabsKept(documentRecord, s.current == TextSection);
        s.append(Unescape(keepTabs ? Normalize(raw, true) : line), PadInputFile.next);
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
        PadInputFile.recordTextLines.clear();
        LastPadInfo = PadInfoRecord::Default;
        return LastPadInfo;
    }
    PadInputFile.recordLine = tagLineNumber;

    const QStringList fields = tagLine.split(QLatin1Char(':'));
    const QString& tag = fields[0];
    if (fields.size() > 1 && vbrt::IsNumeric(fields[1])) {
        try {
            result.number = vbrt::CInt(vbrt::CDbl(fields[1]));
        } catch (const vbrt::Error& e) {
            throw vbrt::Error(e.number(), QStringLiteral("GetPadInfo"),
                              QStringLiteral("ﾀｸﾞの番号 %1 が範囲 (%2～%3) を外れています。")
                                  .arg(vbrt::Trim(fields[1]))
                                  .arg(std::numeric_limits<std::int16_t>::min())
                                  .arg(std::numeric_limits<std::int16_t>::max()));
        }
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
    PadInputFile.recordTextLines = std::move(s.lines[TextSection]);
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
// The input

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
// that is neither a comment nor blank) must be the document header's, and a file whose tag line
// is another known tag is refused at once. Whatever looks like damage (a NUL, bytes that are not
// Shift_JIS, a line that is no known tag) is left to the whole read, which reports damage the
// same wherever it stands: a ".pad" member by its checksum, any file by its bytes. Undecided
// until that line is whole; past the first megabyte the whole read decides.
HeadCheck DocumentHeadCheck(const QString& absolute)
{
    return [absolute](const QByteArray& soFar) {
        for (qsizetype start = 0;;) {
            qsizetype end = 0;
            const qsizetype next = LineBreakFind(soFar, start, end);
            if (next < 0)
                return soFar.size() > 1024 * 1024;
            const QByteArray raw = soFar.mid(start, end - start);
            start = next;
            if (raw.startsWith('#'))
                continue;
            if (raw.contains('\0') || !platform::codepage::IsValidShiftJis(raw))
                return true;
            const QString line = Normalize(platform::codepage::FromShiftJis(raw, QStringLiteral("PadFileOpen")), false);
            if (line.isEmpty())
                continue;
            const QString tag = TagOf(line);
            if (tag != TagTableGet(TagId::Document).mnemonic && TagRowOf(tag))
                RaiseNoDocumentHeader(absolute);
            return true;
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
        if (IsComment(raw))
            continue;
        const QString line = Normalize(raw, false);
        if (!line.startsWith(QLatin1String("&&")) || line.startsWith(QLatin1String("&&extra")) || SubTag(line, scratch))
            continue;
        take(TagOf(line));
    }
    return count;
}

void PadInputErrorRaise(const platform::vbrt::Error& e, qsizetype textLine)
{
    if (!PadInputFile.open)
        throw e;
    const std::vector<qsizetype>& lines = PadInputFile.recordTextLines;
    const bool inText = textLine >= 0 && static_cast<std::size_t>(textLine) < lines.size();
    RaiseAtLine(e, PadInputFile.path, inText ? lines[static_cast<std::size_t>(textLine)] : PadInputFile.recordLine);
}

void PadFileClose()
{
    PadInputFile = PadInput{};
    PendingTagLine.clear();
    PushBackFlag = false;
}

} // namespace vellumora
