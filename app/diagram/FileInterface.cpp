#include "app/diagram/FileInterface.h"

#include "app/diagram/TagTable.h"
#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QByteArray>
#include <QStringList>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

const QString kCrLf = QStringLiteral("\r\n");

// The one input: the lines of the file as read, decoded once when it is opened.
struct PadInput {
    bool open = false;
    QStringList lines;
    qsizetype next = 0;
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
bool PushBackFlag = false;
bool ReaderResetFlag = false;
PadInfoRecord LastPadInfo;

[[noreturn]] void RaiseNotOpen(const char* source)
{
    throw vbrt::Error(vbrt::ErrorNumber::BadFileNameOrNumber, QString::fromLatin1(source),
                      QStringLiteral("ファイルが開かれていません。"));
}

// Lines end at CR or CR LF; a lone LF stays inside its line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype cr = text.indexOf(QLatin1Char('\r'), start);
        if (cr < 0) {
            lines << text.mid(start);
            break;
        }
        lines << text.mid(start, cr - start);
        start = cr + 1;
        if (start < size && text[start] == QLatin1Char('\n'))
            ++start;
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
        t = t.isEmpty() ? line : t + kCrLf + line;
    }
};

// Applies a sub-tag line; false when the line is none.
bool SubTag(const QString& line, SectionBuffers& s)
{
    static const std::pair<QString, int> subTags[] = {
        {QStringLiteral("&&text"), 0},      {QStringLiteral("&&color"), 1},    {QStringLiteral("&&font"), 2},
        {QStringLiteral("&&name"), 3},      {QStringLiteral("&&style"), 4},    {QStringLiteral("&&obstinate"), 5},
        {QStringLiteral("&&before"), 6},    {QStringLiteral("&&after"), 7},    {QStringLiteral("&&lowerPage"), 8},
        {QStringLiteral("&&rightPage"), 9},
    };
    for (const auto& [mnemonic, kind] : subTags) {
        if (line != mnemonic)
            continue;
        switch (kind) {
        case 0: s.open(TextSection); break;
        case 1: s.open(ColorSection); break;
        case 2: s.open(FontSection); break;
        case 3: s.open(NameSection); break;
        case 4: s.open(StyleSection); break;
        case 5: s.open(ObstinateSection); break;
        case 6: s.before = true; s.after = false; s.open(Discard); break;
        case 7: s.before = false; s.after = true; s.open(Discard); break;
        case 8: s.lowerPage = true; s.open(Discard); break;
        default: s.rightPage = true; s.open(Discard); break;
        }
        return true;
    }
    return false;
}

QString TagOf(const QString& tagLine)
{
    const qsizetype colon = tagLine.indexOf(QLatin1Char(':'));
    return colon < 0 ? tagLine : tagLine.left(colon);
}

void Emit(const QString& line, const char* source)
{
    if (!PadOutputFile.open)
        RaiseNotOpen(source);
    PadOutputFile.bytes += platform::codepage::ToShiftJis(line, QString::fromLatin1(source));
    PadOutputFile.bytes += "\r\n";
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

PadInfoRecord GetPadInfo()
{
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
    PendingTagLine.clear();
    SectionBuffers s;
    static const QString document = QStringLiteral("&&document");
    bool documentRecord = TagOf(tagLine) == document;

    QString raw;
    while (NextLine(raw)) {
        bool ended = false;
        while (raw.startsWith(QLatin1Char('#'))) {
            if (!NextLine(raw)) {
                ended = true;
                break;
            }
        }
        if (ended)
            break;
        const QString line = Normalize(raw, false);
        if (tagLine.isEmpty()) {
            tagLine = line;
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
        LastPadInfo = PadInfoRecord::Default;
        return LastPadInfo;
    }

    const QStringList fields = tagLine.split(QLatin1Char(':'));
    const QString& tag = fields[0];
    if (fields.size() > 1 && vbrt::IsNumeric(fields[1])) {
        result.number = vbrt::CInt(vbrt::CDbl(fields[1]));
        if (fields.size() > 2)
            result.name = vbrt::Trim(fields[2]);
    }

    for (const TagTableRecord& row : PR.TagTable) {
        if (row.mnemonic != tag)
            continue;
        result.tagId = row.id;
        result.flags = row.flags & ~TagAttribute::ObstinateMask;
        for (const TagAttributeRecord& attribute : PR.TagAttributeTable) {
            if ((attribute.value & TagAttribute::ObstinateMask) && attribute.name == result.obstinate) {
                result.flags |= attribute.value;
                break;
            }
        }
        if (row.flags & (TagAttribute::BlockEndTag | TagAttribute::SpecialTag)) {
            result = PadInfoRecord::Default;
            result.tagId = row.id;
            result.flags = row.flags;
        }
        break;
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
                      + vbrt::Trim(record.name);
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
}

void PadDocumentWrite(bool withCanvases, bool caseNumbers)
{
}

QString ObstinateNameGet(std::int16_t canvas)
{
    return {};
}

// ---------------------------------------------------------------------------------------------
// Files

void FileInterfaceInit()
{
}

void FileInterfaceTerm()
{
}

bool IsPadFile(const QString& path)
{
    return false;
}

void PadFileOpen(const QString& path)
{
}

void PadFileClose()
{
    PadInputFile = PadInput{};
}

void PadFileCreate(const QString& path)
{
}

void PadFileFinish()
{
}

void PadFileAbandon()
{
    PadOutputFile = PadOutput{};
}

void PadFileSave()
{
}

bool FileOpenDialog(platform::commondialog::CommonDialog& dialog, QString& path)
{
    return false;
}

bool FileSaveDialog(platform::commondialog::CommonDialog& dialog)
{
    return false;
}

} // namespace vellumora
