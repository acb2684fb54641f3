#include "app/print/DrawWorkFile.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/print/PrintLayout.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"
#include "platform/vbrt/Value.h"

#include <QDateTime>

#include <charconv>
#include <limits>
#include <map>
#include <set>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

const QString kCrLf = QStringLiteral("\r\n");
// The end of a record. Records are UTF-8, which holds every character of a chart, and the
// renderer reads them back the same way.
constexpr char kRecordEnd[] = "\r\n";

// Block flag: the block's draw work file has been opened.
constexpr std::int16_t kBlockFileOpen = 0x8;
// Pen style of the frames of note boxes: dash-dot-dot.
constexpr std::int16_t kNoteFrameStyle = 4;
// Header and footer items keep half a centimetre from the printable area's sides.
constexpr std::int32_t kItemInset = 283;

// An open draw work file: its lines are kept until it is closed, so that a canvas of many blocks
// never holds as many files open at once.
struct OpenDrawFile {
    QString path;
    QByteArray bytes;
};
std::map<std::int16_t, OpenDrawFile> gOpenFiles;
// A new file takes the lowest free number. The free numbers are those closed below the next
// unused one: a canvas keeps every block file open until its walk ends, and a search of the open
// files for each new one would grow with the square of the blocks.
std::set<std::int16_t> gClosedNumbers;
std::int32_t gNextNumber = 1;

void NumberFree(std::int16_t fileNo)
{
    if (gOpenFiles.empty()) {
        gClosedNumbers.clear();
        gNextNumber = 1;
    } else {
        gClosedNumbers.insert(fileNo);
    }
}

OpenDrawFile& FileOf(std::int16_t fileNo, const char* source)
{
    const auto found = gOpenFiles.find(fileNo);
    if (found == gOpenFiles.end())
        vbrt::RaiseNumber(vbrt::ErrorNumber::BadFileNameOrNumber, QString::fromLatin1(source));
    return found->second;
}

QString Number(std::int64_t value)
{
    return QString::number(value);
}

// The fields of a TEXT record are cut at commas up to the text, which alone may hold them. A comma
// in a font name becomes the full-width one, which the font substitution reads as the same name.
QString FontNameField(const QString& name)
{
    QString field = name;
    field.replace(QLatin1Char(','), QChar(0xFF0C));
    return field;
}

// The pen of the printer: frame colour, drawing style and drawing width.
struct Pen {
    std::int64_t color = CurrentFontColorState.drawColor;
    std::int64_t style = platform::printer::SystemPrinter().DrawStyle();
    std::int64_t width = platform::printer::SystemPrinter().DrawWidth();
};

// One record put together where its file's lines are kept: the kind, then each field after a
// comma, and the line end when it is done. Numbers and texts go straight into the file's bytes.
class Record {
public:
    Record(std::int16_t fileNo, const char* kind) : bytes_(FileOf(fileNo, "DrawRecordPut").bytes) { bytes_ += kind; }
    ~Record() { bytes_ += kRecordEnd; }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    Record& operator<<(std::int64_t value)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return Field(buffer, result.ptr - buffer);
    }
    // A single-precision number in its shortest decimal form ("10.5", "9").
    Record& operator<<(float value)
    {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return Field(buffer, result.ptr - buffer);
    }
    // Flags are "1" (on) or "0" (off).
    Record& operator<<(bool on) { return Field(on ? "1" : "0", 1); }
    Record& operator<<(const QString& text)
    {
        bytes_ += ',';
        bytes_ += text.toUtf8();
        return *this;
    }
    Record& operator<<(const Pen& pen) { return *this << pen.color << pen.style << pen.width; }

private:
    Record& Field(const char* text, qsizetype size)
    {
        bytes_ += ',';
        bytes_.append(text, size);
        return *this;
    }
    QByteArray& bytes_;
};

std::int32_t Difference(std::int32_t a, std::int32_t b)
{
    return Twips(std::int64_t(a) - b, "DrawRecordFigure");
}

// The frame colour of the printer at the start of a block: the text colour while frames follow
// it, else the document's frame colour.
void BlockColorsReset()
{
    DrawStateReset(0);
    ForeColorSet(-1, 0);
    DrawColorSet(ApplicationGlobals.FrameSameText ? -1 : ColorModify(ApplicationGlobals.FrameColor), 0);
}

void BlockFixedContentWrite(std::int16_t fileNo, const BlockRecord& block)
{
    // The continuation numbers were measured in the document's default font; draw them in it too,
    // whatever the box written last selected.
    FontSelect(0, 0);
    for (const ConnectorRecord& mark : block.connector) {
        DrawRecordText(fileNo, mark.xy, mark.label);
        for (const FigureData& figure : mark.draw)
            DrawRecordFigure(fileNo, mark.xy, figure);
    }
    for (const FigureData& figure : block.draw)
        DrawRecordFigure(fileNo, Point{}, figure);
}

void ChildAdd(std::int16_t block, std::int16_t child)
{
    if (child != block)
        ElementAt(RW.BlockList, block, "BlockDrawFileWrite").children.push_back(child);
}

void BoxFrameWrite(std::int16_t fileNo, const BoxRecord& b)
{
    if (b.tagAttr & TagAttribute::Frame) {
        DrawRecordBox(fileNo, b.xy, Point{}, b.sizeP);
    } else if (b.tagType == TagId::Note && !ApplicationGlobals.NoteNotFrame) {
        platform::printer::Printer& printer = platform::printer::SystemPrinter();
        printer.SetDrawStyle(kNoteFrameStyle);
        DrawRecordBox(fileNo, b.xy, Point{}, b.sizeP);
        printer.SetDrawStyle(0);
    }
}

void SubLinesWrite(std::int16_t fileNo, std::int16_t block, std::int16_t box)
{
    CanvasRecord& slot = B[0];
    for (std::int16_t sub = BoxAt(slot, box, "BlockDrawFileWrite").subIndex; sub >= 1;) {
        const BoxRecord& b = slot.BoxList[std::size_t(box)];
        SubRecord& s = SubAt(slot, sub, "BlockDrawFileWrite");
        const std::int32_t w = s.sizeP.xw;
        const std::int32_t h = s.sizeP.yh;
        const std::int32_t n = Twips(std::int64_t(w) - s.branchDepth, "BlockDrawFileWrite");
        s.xy[1] = Point{s.xy[0].xw, Twips(std::int64_t(s.xy[0].yh) + h, "BlockDrawFileWrite")};
        ForeColorSet(b.colorCode, 0);
        FontSelect(b.fontCode, 0);
        if (s.flags & SubFlag::CaseTextShown) {
            DrawRecordText(fileNo, s.xy[0], s.text);
            DrawRecordText(fileNo, s.xy[1], s.text2);
            if (b.tagType == TagId::Branch) {
                const auto middle = static_cast<std::int32_t>(vbrt::Int(h / 2.0));
                s.draw.push_back(LineFigureMake(w, 0, n, middle));
                s.draw.push_back(LineFigureMake(w, h, n, middle));
            }
        }
        for (const FigureData& figure : s.draw)
            DrawRecordFigure(fileNo, s.xy[0], figure);
        if (s.boxIndex >= 1)
            ChildAdd(block, BlockDrawFileWrite(s.boxIndex));
        sub = slot.SubList[std::size_t(sub)].after;
    }
}

// The text of a header or footer slot's item.
QString ItemString(const ReportDescription& item, std::int16_t page)
{
    const auto pageRecord = [&]() -> const PageRecord& {
        return ElementAt(RW.PageList, page, "HeaderFooterItemText");
    };
    switch (item.category1) {
    case 1:
        switch (item.category2) {
        case 1: return pageRecord().canvasName;
        case 2: return pageRecord().canvasName + QLatin1Char(':') + Number(pageRecord().canvasNumber);
        case 3: return DocumentFileName(false);
        case 4: return DocumentFileName(true);
        }
        break;
    case 2:
        if (item.category2 == 1)
            return DateFormatText(RW.fileDate, RS.updateDateFormat);
        if (item.category2 == 2)
            return DateFormatText(RW.printTime, RS.nowDateFormat);
        break;
    case 3:
        if (item.category2 >= 1 && item.category2 <= 5)
            return RS.extraText[std::size_t(item.category2 - 1)];
        break;
    case 4:
        if (item.category2 == 1)
            return Number(page);
        if (item.category2 == 2)
            return Number(page) + QLatin1Char('/') + Number(RW.pageCount);
        break;
    }
    return QString();
}

QString OnOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString OrStandard(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("標準") : value;
}

} // namespace

std::int16_t DrawFileCreate(const QString& path)
{
    std::int16_t fileNo = 0;
    if (!gClosedNumbers.empty()) {
        fileNo = *gClosedNumbers.begin();
        gClosedNumbers.erase(gClosedNumbers.begin());
    } else if (gNextNumber <= std::numeric_limits<std::int16_t>::max()) {
        fileNo = std::int16_t(gNextNumber++);
    } else {
        vbrt::RaiseNumber(vbrt::ErrorNumber::TooManyFiles, QStringLiteral("DrawFileCreate"), path);
    }
    gOpenFiles[fileNo] = OpenDrawFile{path, {}};
    return fileNo;
}

void DrawFileClose(std::int16_t fileNo)
{
    const OpenDrawFile file = FileOf(fileNo, "DrawFileClose");
    gOpenFiles.erase(fileNo);
    NumberFree(fileNo);
    // A work file of this process: written whole at once, private to its owner, never through a link.
    platform::filesystem::WriteWorkFile(file.path, file.bytes);
}

void DrawFilesAbandon()
{
    gOpenFiles.clear();
    NumberFree(0);
}

void DrawRecordPut(std::int16_t fileNo, const QString& line)
{
    QByteArray& bytes = FileOf(fileNo, "DrawRecordPut").bytes;
    bytes += line.toUtf8();
    bytes += kRecordEnd;
}

void DrawRecordBox(std::int16_t fileNo, const Point& origin, const Point& topLeft, const Point& bottomRight)
{
    Record(fileNo, "BOX") << std::int64_t(origin.xw) << std::int64_t(origin.yh) << std::int64_t(topLeft.xw)
                          << std::int64_t(topLeft.yh) << std::int64_t(bottomRight.xw) - topLeft.xw
                          << std::int64_t(bottomRight.yh) - topLeft.yh << Pen();
}

void DrawRecordFigure(std::int16_t fileNo, const Point& origin, const FigureData& figure)
{
    if (figure.kind == FigureKind::Line) {
        const std::int64_t dx = Difference(figure.e.xw, figure.s.xw);
        const std::int64_t dy = Difference(figure.e.yh, figure.s.yh);
        Record(fileNo, "LINE") << std::int64_t(origin.xw) << std::int64_t(origin.yh) << std::int64_t(figure.s.xw)
                               << std::int64_t(figure.s.yh) << dx << dy << Pen();
    } else if (figure.kind >= FigureKind::Circle && figure.kind <= FigureKind::LowerRight) {
        Record(fileNo, "CIRCLE") << std::int64_t(origin.xw) << std::int64_t(origin.yh) << std::int64_t(figure.s.xw)
                                 << std::int64_t(figure.s.yh) << std::int64_t(figure.radius) << Pen()
                                 << std::int64_t(figure.kind - 1);
    }
}

void DrawRecordText(std::int16_t fileNo, const Point& origin, const InternalCode& text)
{
    if (text.text.isEmpty())
        return;
    const platform::printer::Printer& printer = platform::printer::SystemPrinter();
    const double whole = TextHeightGet(text.text, 0, true);
    const QStringList lines = TabToNewLine(text.text).split(kCrLf);
    const double count = double(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const std::int64_t y = std::int64_t(vbrt::RoundHalfEven(whole * double(i) / count + double(text.xy.yh)));
        const std::int64_t width = TextWidthGet(line, 0);
        const std::int64_t height = TextHeightGet(line, 0, true);
        Record(fileNo, "TEXT") << std::int64_t(origin.xw) << std::int64_t(origin.yh) << std::int64_t(text.xy.xw) << y
                               << FontNameField(printer.FontName()) << printer.FontItalic() << printer.FontBold()
                               << printer.FontSize() << std::int64_t(printer.ForeColor())
                               << printer.FontStrikethru() << printer.FontUnderline() << width << height << line;
    }
}

std::int16_t BlockDrawFileWrite(std::int16_t box)
{
    // Set when the user stopped the job: the blocks not written yet are left as they are.
    static bool stopped = false;
    CanvasRecord& slot = CanvasAt(0, "BlockDrawFileWrite");
    if (box < 0) {
        stopped = false;
        box = slot.header.firstBox;
        platform::printer::SystemPrinter().SetDrawStyle(0);
        // A canvas without boxes has nothing to draw and no block tree.
        if (box < 1)
            return -1;
    }
    const std::int16_t block = BoxAt(slot, box, "BlockDrawFileWrite").blockIndex;
    // A large chart takes a while to write: a press of Cancel is seen between two blocks.
    if (stopped || ProgressYield()) {
        stopped = true;
        return block;
    }
    BlockColorsReset();

    std::int16_t fileNo = 0;
    {
        BlockRecord& record = ElementAt(RW.BlockList, block, "BlockDrawFileWrite");
        if (record.flags & kBlockFileOpen) {
            fileNo = record.fileNo;
        } else {
            record.fileName = TemporaryFileName(QStringLiteral("draw"), QStringLiteral("block"), record.canvas, block);
            fileNo = DrawFileCreate(record.fileName);
            record.fileNo = fileNo;
            record.flags = std::int16_t(record.flags | kBlockFileOpen);
            BlockFixedContentWrite(fileNo, record);
        }
    }

    while (box >= 1) {
        const BoxRecord& b = BoxAt(slot, box, "BlockDrawFileWrite");
        if (b.blockIndex != block) {
            // The rest of the chain belongs to the block that continues it.
            ChildAdd(block, BlockDrawFileWrite(box));
            break;
        }
        ForeColorSet(b.colorCode, 0);
        FontSelect(b.fontCode, 0);
        DrawRecordText(fileNo, b.xy, b.text);
        DrawRecordText(fileNo, b.xy, b.text2);
        BoxFrameWrite(fileNo, b);
        for (const FigureData& figure : b.draw)
            DrawRecordFigure(fileNo, b.xy, figure);
        SubLinesWrite(fileNo, block, box);
        box = slot.BoxList[std::size_t(box)].after;
    }
    return block;
}

void PageFilesWrite()
{
    RW.commonFileName = TemporaryFileName(QStringLiteral("draw"), QStringLiteral("common"), 0, 0);
    std::int16_t fileNo = DrawFileCreate(RW.commonFileName);
    PageHeaderFooterWrite(fileNo, 0);
    DrawFileClose(fileNo);
    for (int page = 1; page <= RW.pageCount; ++page) {
        if (ProgressYield())
            return;
        const QString name = TemporaryFileName(QStringLiteral("draw"), QStringLiteral("page"), page, 0);
        ElementAt(RW.PageList, page, "PageFilesWrite").fileName = name;
        fileNo = DrawFileCreate(name);
        PageHeaderFooterWrite(fileNo, page);
        DrawFileClose(fileNo);
    }
}

void PageHeaderFooterWrite(std::int16_t fileNo, std::int16_t page)
{
    for (std::int16_t s = 0; s < 6; ++s) {
        InternalCode item;
        const auto& list = RS.descriptionList;
        for (std::size_t entry = 0; entry < list.size(); ++entry) {
            if (list[entry].description != RS.explain[std::size_t(s)])
                continue;
            DrawStateReset(0);
            ForeColorSet(-1, 0);
            if ((page == 0 && !list[entry].perPage) || (page > 0 && list[entry].perPage))
                HeaderFooterItemText(s, entry, page, item);
            break;
        }
        if (item.text.isEmpty())
            continue;

        const std::int64_t w = item.size.xw;
        const std::int64_t h = item.size.yh;
        std::int64_t x = kItemInset;
        if (s % 3 == 1)
            x = std::int64_t(vbrt::Int(double(RS.printWidth - w) / 2.0));
        else if (s % 3 == 2)
            x = RS.printWidth - (w + kItemInset);
        const bool header = s < 3;
        const std::int64_t bandTop = header ? 0 : std::int64_t(RS.printHeight) - RS.footerHeight;
        const std::int64_t bandHeight = header ? RS.headerHeight : RS.footerHeight;
        std::int64_t y = std::max<std::int64_t>(10, std::int64_t(vbrt::Int(double(bandHeight - h) / 2.0)) + bandTop);
        y += std::min<std::int64_t>(RS.printHeight - (h + y + 10), 0);
        DrawRecordText(fileNo, Point{Twips(x, "PageHeaderFooterWrite"), Twips(y, "PageHeaderFooterWrite")}, item);
    }

    if (page != 0)
        return;
    platform::printer::Printer& printer = platform::printer::SystemPrinter();
    printer.SetDrawWidth(2);
    printer.SetDrawStyle(0);
    const std::int32_t bodyBottom = Twips(std::int64_t(RS.printHeight) - RS.footerHeight, "PageHeaderFooterWrite");
    if (RS.frameShow[0])
        DrawRecordBox(fileNo, Point{}, Point{0, RS.headerHeight}, Point{RS.printWidth, bodyBottom});
    if (RS.frameShow[1])
        DrawRecordBox(fileNo, Point{}, Point{0, 0}, Point{RS.printWidth, RS.headerHeight});
    if (RS.frameShow[2])
        DrawRecordBox(fileNo, Point{}, Point{0, bodyBottom}, Point{RS.printWidth, RS.printHeight});
    printer.SetDrawWidth(1);
}

void HeaderFooterItemText(std::int16_t slot, std::size_t item, std::int16_t page, InternalCode& text)
{
    const std::size_t s = std::size_t(slot);
    const QString string = ItemString(ElementAt(RS.descriptionList, std::int16_t(item), "HeaderFooterItemText"), page);
    text = InternalCode::Default;
    if (vbrt::Trim(string).isEmpty())
        return;
    text.text = string;
    ForeColorSet(ColorModify(RS.color[s]), 0);
    const QStringList attributes = {
        QStringLiteral("fontname:") + OrStandard(RS.fontName[s]),
        QStringLiteral("fontsize:") + OrStandard(RS.fontSize[s]),
        QStringLiteral("fontbold:") + OnOff(RS.fontBold[s]),
        QStringLiteral("fontitalic:") + OnOff(RS.fontItalic[s]),
        QStringLiteral("fontstrikethru:") + OnOff(RS.fontStrikethru[s]),
        QStringLiteral("fontunderline:") + OnOff(RS.fontUnderLine[s]),
    };
    FontSelect(FontModifyChech(attributes.join(kCrLf)), 0);
    TextSizeMeasure(text, 0);
}

QString DateFormatText(const QString& date, const QString& format)
{
    if (vbrt::Trim(format).isEmpty())
        return QString();
    QDateTime value = QDateTime::fromString(date, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (!value.isValid())
        value = QDateTime(QDate::fromString(date, QStringLiteral("yyyy/MM/dd")), QTime(0, 0));
    if (!value.isValid())
        return QString();
    return vbrt::Format(value, format);
}

} // namespace vellumora
