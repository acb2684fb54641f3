#pragma once

// The reporting component: a report with its page set-up and a Detail section of Line, Field and
// Shape controls, run into pages that are collected, previewed, printed or written as PDF. Every
// output paints its pages through one routine, so preview, paper and PDF show the same thing.

#include "platform/textmeasure/TextMeasure.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QDialog;
class QWidget;

namespace platform::report {

// Line styles of the component's controls.
namespace LineStyle {
constexpr std::int16_t Transparent = 0;
constexpr std::int16_t Solid = 1;
constexpr std::int16_t Dash = 2;
constexpr std::int16_t Dot = 3;
constexpr std::int16_t DashDot = 4;
constexpr std::int16_t DashDotDot = 5;
} // namespace LineStyle

// A line weight of 1 is one pixel at 96 dpi on every device.
constexpr double TwipsPerLineWeight = 15.0;

enum class ControlKind { Line, Field, Shape };

// One control. Lengths are twips from the top-left corner of the Detail section; colours are
// red + 256 x green + 65536 x blue.
struct Control {
    ControlKind kind = ControlKind::Line;
    QString name;

    // Line.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    // Field and Shape.
    double left = 0, top = 0, width = 0, height = 0;

    // Line and Shape.
    std::int32_t lineColor = 0;
    std::int16_t lineStyle = LineStyle::Solid;
    double lineWeight = 1;
    std::int16_t shape = 0;  // 0 rectangle, 1 ellipse

    // Field.
    QString text;
    std::int16_t alignment = 0;          // 0 left
    std::int16_t verticalAlignment = 0;  // 0 top
    textmeasure::FontSpec font;
    std::int32_t foreColor = 0;
    std::int16_t backStyle = 0;          // 0 transparent, 1 opaque
    std::int32_t backColor = 0xFFFFFF;
    bool canGrow = true;
};

// Controls back to front: the last is drawn last.
class ControlList {
public:
    Control& Add(ControlKind kind, const QString& name);
    // 0 brings the control to the front, 1 sends it to the back.
    void ZOrder(const QString& name, int position);

    const std::vector<Control>& Items() const { return items_; }
    std::size_t Count() const { return items_.size(); }
    void Clear() { items_.clear(); }

private:
    std::vector<Control> items_;
};

// Paper codes and orientation as the printer layer numbers them.
struct PageSetup {
    std::int16_t paperSize = 9;   // A4
    std::int16_t orientation = 1; // portrait
    std::array<double, 4> margin{}; // left, right, top, bottom
};

// A finished page: the paper and the controls in paper coordinates (twips from its top-left
// corner), clipped to the printable area they were laid out in.
struct Page {
    PageSetup setup;
    QRect clip;
    std::vector<Control> controls;
};

// Paints pages one by one on a PDF file or the printer as they are made, so that a long book is
// never held whole. The file or the printer is opened at the first page; Finish completes the
// output. A stream dropped before Finish leaves nothing: no file under the name, no print job.
class PageStream {
public:
    virtual ~PageStream() = default;
    // Raises when painting cannot begin or go on.
    virtual void Paint(const Page& page) = 0;
    virtual void Finish() = 0;
};

// A stream into the PDF file at path (1440 dpi, no margins, the title as the document title).
std::unique_ptr<PageStream> PdfStream(const QString& path, const QString& title);
// A stream to the system's default printer, full page, without a dialog; none while a delivery
// recorder is set, which is handed the book whole. The printing library keeps the job in a file
// of its own until the print system has taken it: in spoolFolder, made for the job and removed
// after it, when one is given (else in the temporary folder).
std::unique_ptr<PageStream> PrintStream(const QString& title, const QString& spoolFolder = {});

class Report {
public:
    PageSetup setup;
    double printWidth = 0;
    double detailHeight = 0;
    QString title;          // the document's name, shown by the preview and written into a PDF
    ControlList detail;

    // Lays the Detail section out on one page and appends it to the pages.
    void Run();
    std::vector<Page>& Pages() { return pages_; }
    const std::vector<Page>& Pages() const { return pages_; }

    // From now on the pages added are painted on the stream instead of being kept.
    void StreamTo(std::unique_ptr<PageStream> stream) { stream_.stream = std::move(stream); }
    bool Streaming() const { return stream_.stream != nullptr; }
    // Keeps the page, or paints it when the report streams.
    void PageAdd(Page page);
    // The pages kept and streamed.
    std::size_t PageCount() const { return pages_.size() + stream_.streamed; }
    // Completes the output of a streaming report.
    void StreamFinish();

private:
    // A copy of a report holds the pages kept, and neither the stream nor what went into it.
    struct StreamSlot {
        std::unique_ptr<PageStream> stream;
        std::size_t streamed = 0;
        StreamSlot() = default;
        StreamSlot(const StreamSlot&) {}
        StreamSlot& operator=(const StreamSlot&)
        {
            stream.reset();
            streamed = 0;
            return *this;
        }
        StreamSlot(StreamSlot&&) = default;
        StreamSlot& operator=(StreamSlot&&) = default;
    };

    std::vector<Page> pages_;
    StreamSlot stream_;
};

// Paper in twips as oriented.
QSize PaperTwips(const PageSetup& setup);

// The one page routine: the painter works in twips with (0, 0) at the paper's top-left corner.
void PaintPage(QPainter& painter, const Page& page);

// Paints the pages on a paged device, one device page each, scaled from twips to its resolution.
// Raises when painting cannot begin.
void PaintPages(QPagedPaintDevice& device, const std::vector<Page>& pages, const QString& source);

// The preview window of the pages, not yet shown; the book must outlive it.
std::unique_ptr<QDialog> CreatePreviewDialog(const Report& book, QWidget* parent = nullptr);
// Shows the pages in a modal preview (page navigation, fit and 100 %, close); returns when it closes.
void Preview(const Report& book, QWidget* parent = nullptr);
// Prints the pages on the system's default printer, full page, without a dialog, the job spooled
// as PrintStream says. Raises when no printer is installed or printing cannot begin.
void Print(const Report& book, const QString& spoolFolder = {});
// Writes the pages as a PDF file (1440 dpi, no margins, the title as the document title). Raises
// when the file cannot be written; the file under that name is then left as it was.
void ExportPdf(const Report& book, const QString& path);

// Test seams.
enum class Delivery { Preview, Print };
// When set, Preview and Print hand the book to the recorder and return at once.
void SetDeliveryRecorder(std::function<void(Delivery, const Report&)> recorder);
// When not empty, Print writes through the printer path into this PDF file instead of a printer.
void SetPrintToFile(const QString& path);
// Replaces the lookup of the default printer's name (empty: no printer is installed).
void SetDefaultPrinterLookup(std::function<QString()> lookup);

} // namespace platform::report
