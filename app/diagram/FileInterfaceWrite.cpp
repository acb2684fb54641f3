// Writing tagged text: the one output, the record and box-list writers, and the output put in place.

#include "app/diagram/FileInterface.h"

#include "app/diagram/FileInterfaceFiles.h"
#include "app/diagram/FileInterfaceLines.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/PadUtilities.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/codepage/CodePage.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QByteArray>
#include <QStringList>

#include <utility>

namespace vellumora {

using padfile::ContentLineWrite;
using padfile::IsWorkFile;
using padfile::kCrLf;
using padfile::RaiseNotOpen;
using padfile::SplitLines;
using padfile::TabsKept;
using padfile::TagLineName;
using padfile::WritePadArchive;

namespace {

namespace vbrt = platform::vbrt;
namespace fs = platform::filesystem;

// The one output: the encoded text, put in place whole by PadFileFinish.
struct PadOutput {
    bool open = false;
    QString target;    // absolute path of the file to write
    bool pad = false;  // the target is a ".pad" archive
    QByteArray bytes;
};

PadOutput PadOutputFile;

// A line is written whole or not at all: a line break inside it would end it early, and the
// reader would take what follows for a line of its own, a tag or a comment among them.
void Emit(const QString& line, const char* source)
{
    if (!PadOutputFile.open)
        RaiseNotOpen(source);
    if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
        vbrt::Raise(QString::fromLatin1(source), QStringLiteral("改行を含む行は書き込めません。"));
    PadOutputFile.bytes += platform::codepage::ToShiftJis(line, QString::fromLatin1(source));
    PadOutputFile.bytes += "\r\n";
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Writing

void PadLineWrite(const QString& line)
{
    Emit(line, "PadLineWrite");
}

namespace {

// A section's text is split into lines by the reader's own rule, each line written in the form
// the reader takes back as it was.
void SectionWrite(std::int32_t subTagId, const QString& text, bool keepTabs)
{
    if (text.isEmpty())
        return;
    if (subTagId > 0)
        Emit(TagTableGet(subTagId).mnemonic, "PadSectionWrite");
    for (const QString& line : SplitLines(text))
        Emit(ContentLineWrite(line, keepTabs), "PadSectionWrite");
}

} // namespace

void PadSectionWrite(std::int32_t subTagId, const QString& text)
{
    SectionWrite(subTagId, text, false);
}

void PadInfoWrite(const PadInfoRecord& record)
{
    QString tagLine = TagTableGet(record.tagId).mnemonic + QLatin1Char(':')
                      + (record.number > 0 ? QString::number(record.number) : QString()) + QLatin1Char(':')
                      + TagLineName(record.name);
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
    // Written without blanks at their ends, nor TABs there, which the reader would take for blanks.
    PadSectionWrite(TagId::Obstinate, vbrt::TrimBlanksAndTabs(record.obstinate));
    PadSectionWrite(TagId::Color, vbrt::TrimBlanksAndTabs(record.color));
    PadSectionWrite(TagId::Font, vbrt::TrimBlanksAndTabs(record.font));
    PadSectionWrite(TagId::Name, vbrt::TrimBlanksAndTabs(record.nameText));
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
    SectionWrite(TagId::Text, record.text, TabsKept(record.tagId == TagId::Document, true));
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
// The output

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
    if (output.pad) {
        WritePadArchive(output.target, output.bytes);
    } else if (IsWorkFile(output.target)) {
        try {
            fs::WriteWorkFile(output.target, output.bytes);
        } catch (const vbrt::Error& e) {
            RaiseWorkFileFailure(output.target, e);
        }
    } else {
        fs::WriteFileAtomically(output.target, output.bytes);
    }
}

void PadFileAbandon()
{
    PadOutputFile = PadOutput{};
    FileInterface.SaveTargetFile.clear();
}

} // namespace vellumora
