#include "app/print/ImagePrint.h"

#include "app/core/MainWindowLink.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/core/WorkFileNames.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;
namespace report = platform::report;
using report::Control;
using report::ControlKind;

constexpr std::int32_t kWhite = 16777215;
// A field starts this far left of its text's position and is wider than the text measured.
constexpr std::int32_t kFieldLeftShift = 30;
constexpr std::int32_t kFieldExtraWidth = 50;

// Where the printing library keeps a print job until the print system has taken it: a folder in
// the run folder, named as a work file, so that a job cut off by the end of the program goes with
// the run's other work files.
QString PrintSpoolFolder()
{
    return TemporaryFileName(QString(PrintSpoolPart), QString(PrintSpoolSubPart));
}

ImageReport& PageReport()
{
    if (!ImagePage)
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectVariableNotSet, QStringLiteral("ImageFileDraw"));
    return *ImagePage;
}

std::unique_ptr<ImageReport> ReportMake(const QString& id)
{
    auto made = std::make_unique<ImageReport>();
    made->ImageReportID = id;
    made->setup.paperSize = RS.paperSize;
    made->setup.orientation = RS.orientation;
    for (std::size_t side = 0; side < 4; ++side)
        made->setup.margin[side] = float(RS.margin[side]);
    made->printWidth = float(RS.printWidth);
    return made;
}

Control& ControlAdd(ControlKind kind)
{
    ++ImageObjectCount;
    return PageReport().detail.Add(kind, QStringLiteral("Object") + QString::number(ImageObjectCount));
}

void ZOrder(const Control& control, int position)
{
    PageReport().detail.ZOrder(control.name, position);
}

// Work-file pen styles 0 to 4 are solid to dash-dot-dot, 5 none and 6 inside frame (solid); any
// other leaves the control's own style.
void LineLook(Control& c, std::int32_t color, std::int32_t style, std::int32_t width)
{
    c.lineColor = color;
    if (style >= 0 && style <= 4)
        c.lineStyle = std::int16_t(style + 1);
    else if (style == 5)
        c.lineStyle = report::LineStyle::Transparent;
    else if (style == 6)
        c.lineStyle = report::LineStyle::Solid;
    c.lineWeight = width;
}

void LineAdd(double x1, double y1, double x2, double y2, std::int32_t color, std::int32_t style, std::int32_t width)
{
    Control& c = ControlAdd(ControlKind::Line);
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    LineLook(c, color, style, width);
    ZOrder(c, 0);
}

void MaskAdd(double left, double top, double width, double height)
{
    Control& c = ControlAdd(ControlKind::Field);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.text.clear();
    c.backStyle = 1;
    c.backColor = kWhite;
    ZOrder(c, 1);
}

// The fields of one work-file line as they lie in the file's UTF-8 bytes.
using FieldViews = std::array<QByteArrayView, 16>;
using FieldNumbers = std::array<std::int32_t, 16>;

// A whole-number field: 0 when it is no number or has ten characters or more. A field of ten
// bytes or more that is shorter in characters holds a character beyond ASCII and is no number
// either way.
std::int32_t NumericField(QByteArrayView field)
{
    if (field.size() >= 10)
        return 0;
    const std::optional<double> number = vbrt::Numeric(field);
    return number ? vbrt::CLng(*number) : 0;
}

// Cuts a line into the fields 0 to last at its commas; the last field is the rest of the line,
// commas and all, and field 0 the whole line. Every field before the last must end at a comma.
void FieldsSplit(QByteArrayView line, std::int16_t last, FieldViews& fields, FieldNumbers& numbers)
{
    fields.fill(QByteArrayView());
    numbers.fill(0);
    fields[0] = line;
    qsizetype p = -1; // the comma before the field, -1 before field 1
    for (std::int16_t i = 0; i < last; ++i) {
        const qsizetype c = line.indexOf(',', p + 1);
        if (c < 0)
            vbrt::RaiseNumber(vbrt::ErrorNumber::InvalidProcedureCall, QStringLiteral("ImageLineSplit"));
        if (i >= 1) {
            fields[std::size_t(i)] = line.sliced(p + 1, c - p - 1);
            numbers[std::size_t(i)] = NumericField(fields[std::size_t(i)]);
        }
        p = c;
    }
    fields[std::size_t(last)] = line.sliced(p + 1);
    numbers[std::size_t(last)] = NumericField(fields[std::size_t(last)]);
}

[[noreturn]] void RaiseBadLine(const QString& path, QByteArrayView line)
{
    vbrt::Raise(QStringLiteral("ImageFileDraw"),
                QStringLiteral("描画ﾌｧｲﾙの形式が不良です。\r\n%1\r\n%2").arg(path, QString::fromUtf8(line).left(80)));
}

// The last field of every kind of line that is drawn; 0 for a line that is not drawn.
std::int16_t LastField(QByteArrayView kind)
{
    if (kind == "LINE" || kind == "BOX" || kind == "CIRCLE")
        return 9;
    if (kind == "TEXT")
        return 14;
    return 0;
}

void ItemDraw(const QString& path, QByteArrayView line)
{
    const qsizetype comma = line.indexOf(',');
    const QByteArrayView kind = comma < 0 ? line : line.first(comma);
    const std::int16_t last = LastField(kind);
    // A line of any other kind (or with no comma at all) is not drawn.
    if (last == 0)
        return;
    if (line.count(',') < last)
        RaiseBadLine(path, line);
    FieldViews s;
    FieldNumbers n;
    FieldsSplit(line, last, s, n);
    const std::int32_t x0 = Twips(std::int64_t(n[1]) + ImageOriginX, "ImageFileDraw");
    const std::int32_t y0 = Twips(std::int64_t(n[2]) + ImageOriginY, "ImageFileDraw");
    if (kind == "LINE") {
        ImageLineDraw(x0, y0, n[3], n[4], n[5], n[6], n[7], n[8], n[9]);
    } else if (kind == "BOX") {
        ImageBoxDraw(x0, y0, n[3], n[4], n[5], n[6], n[7], n[8], n[9]);
    } else if (kind == "CIRCLE") {
        const std::optional<double> radius = vbrt::Numeric(s[5]);
        if (!radius)
            RaiseBadLine(path, line);
        ImageCircleDraw(x0, y0, n[3], n[4], *radius, n[6], n[7], n[8], n[9]);
    } else {
        // A size keeps its fraction.
        ImageTextDraw(x0, y0, n[3], n[4], QString::fromUtf8(s[5]), n[6], n[7], vbrt::Numeric(s[8]).value_or(0.0),
                      n[9], n[10], n[11], n[12], n[13], QString::fromUtf8(s[14]));
    }
}

} // namespace

void ImageBookStart()
{
    ImageBook = ReportMake(QStringLiteral("Book"));
    ImageBook->title = DocumentFileName(false);
    ImageOriginX = 0;
    ImageOriginY = 0;
    ImageObjectCount = 0;
}

void ImageBookStream(std::int32_t mode)
{
    if (!ImageBook)
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectVariableNotSet, QStringLiteral("ImageBookStream"));
    if (mode == ImageOutput::Pdf)
        ImageBook->StreamTo(report::PdfStream(RS.pdfPath, ImageBook->title));
    else if (mode == ImageOutput::Print)
        ImageBook->StreamTo(report::PrintStream(ImageBook->title, PrintSpoolFolder()));
}

void ImagePageStart(std::int16_t page)
{
    ImagePage = ReportMake(QStringLiteral("Page") + QString::number(page));
    ImagePage->detailHeight = float(RS.printHeight);
}

void ImageLineSplit(std::array<QString, 16>& strings, std::array<std::int32_t, 16>& numbers, std::int16_t last)
{
    const QByteArray line = strings[0].toUtf8();
    FieldViews fields;
    FieldsSplit(line, last, fields, numbers);
    for (std::size_t i = 1; i < strings.size(); ++i)
        strings[i] = i <= std::size_t(last) ? QString::fromUtf8(fields[i]) : QString();
}

void ImageFileDraw(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        vbrt::RaiseNumber(vbrt::ErrorNumber::FileNotFound, QStringLiteral("ImageFileDraw"), path);
    const QByteArray bytes = file.readAll();
    file.close();

    const QByteArrayView all(bytes);
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0)
            end = all.size();
        QByteArrayView line = all.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            ItemDraw(path, line);
    }
}

void ImageLineDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                   std::int32_t color, std::int32_t style, std::int32_t width)
{
    const double ax = double(x) + x0;
    const double ay = double(y) + y0;
    LineAdd(ax, ay, ax + dx, ay + dy, color, style, width);
}

void ImageBoxDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                  std::int32_t color, std::int32_t style, std::int32_t width)
{
    const double left = double(x) + x0;
    const double top = double(y) + y0;
    const double right = left + dx;
    const double bottom = top + dy;
    LineAdd(left, top, right, top, color, style, width);
    LineAdd(left, bottom, right, bottom, color, style, width);
    LineAdd(left, top, left, bottom, color, style, width);
    LineAdd(right, top, right, bottom, color, style, width);
}

void ImageCircleDraw(std::int32_t x0, std::int32_t y0, std::int32_t cx, std::int32_t cy, double radius,
                     std::int32_t color, std::int32_t style, std::int32_t width, std::int32_t kind)
{
    if (kind < 1 || kind > 9)
        return;
    const double d = vbrt::RoundHalfEven(2.0 * radius);
    const double e = vbrt::Int(d / 2.0);
    const double x = double(cx) + x0;
    const double y = double(cy) + y0;

    const auto right = [&] { MaskAdd(x, y - e, e, d); };
    const auto left = [&] { MaskAdd(x - e - 10, y - e, e + 10, d); };
    const auto upper = [&] { MaskAdd(x - e, y - e, 2 * e, d / 2); };
    const auto lower = [&] { MaskAdd(x - e, y, 2 * e, d / 2); };
    switch (kind) {
    case 2: right(); break;
    case 3: left(); break;
    case 4: upper(); break;
    case 5: lower(); break;
    case 6: right(); lower(); break;
    case 7: left(); MaskAdd(x - e - 10, y, 2 * e + 10, d / 2); break;
    case 8: right(); upper(); break;
    case 9: left(); MaskAdd(x - e - 10, y - e, 2 * e + 10, d / 2); break;
    default: break;
    }

    Control& c = ControlAdd(ControlKind::Shape);
    c.left = x - e;
    c.top = y - e;
    c.height = d;
    c.width = 2 * e;
    c.shape = 1;
    LineLook(c, color, style, width);
    ZOrder(c, 1);
}

void ImageTextDraw(std::int32_t x0, std::int32_t y0, std::int32_t x, std::int32_t y, const QString& fontName,
                   std::int32_t italic, std::int32_t bold, double size, std::int32_t color, std::int32_t strikethrough,
                   std::int32_t underline, std::int32_t width, std::int32_t height, const QString& text)
{
    Control& c = ControlAdd(ControlKind::Field);
    c.left = double(x) + x0 - kFieldLeftShift;
    c.top = double(y) + y0;
    c.height = height;
    c.width = std::max(vbrt::Int(double(width) * 1.1), double(width) + kFieldExtraWidth);
    c.text = text;
    c.alignment = 0;
    c.verticalAlignment = 0;
    c.font.name = fontName;
    c.font.italic = italic != 0;
    c.font.bold = bold != 0;
    c.font.size = float(size);
    c.foreColor = color;
    c.font.strikethru = strikethrough != 0;
    c.font.underline = underline != 0;
    c.canGrow = false;
    ZOrder(c, 0);
}

void ImagePageAppend()
{
    ImageReport& page = PageReport();
    page.Run();
    if (!ImageBook)
        vbrt::RaiseNumber(vbrt::ErrorNumber::ObjectVariableNotSet, QStringLiteral("ImagePageAppend"));
    for (report::Page& finished : page.Pages())
        ImageBook->PageAdd(std::move(finished));
    ImagePage.reset();
}

void ImageBookOutput(std::int32_t mode)
{
    // The book is released however the output ends.
    struct Release {
        ~Release() { ImageBook.reset(); }
    } release;

    if (!ImageBook || ImageBook->PageCount() == 0) {
        InformationMessageBox(QStringLiteral("出力する情報がありません。"));
        return;
    }
    switch (mode) {
    case ImageOutput::Preview:
        ModalWindowShow(QStringLiteral("[印刷] ﾌﾟﾚﾋﾞｭｰ中"));
        report::Preview(*ImageBook, MainWindow() ? MainWindow()->window() : nullptr);
        break;
    case ImageOutput::Print:
        if (ImageBook->Streaming())
            ImageBook->StreamFinish();
        else
            report::Print(*ImageBook, PrintSpoolFolder());
        break;
    case ImageOutput::Pdf:
        if (ImageBook->Streaming())
            ImageBook->StreamFinish();
        else
            report::ExportPdf(*ImageBook, RS.pdfPath);
        break;
    default:
        break;
    }
}

} // namespace vellumora
