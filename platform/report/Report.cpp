#include "platform/report/Report.h"

#include "platform/graphics/DrawingTarget.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

#include <malloc.h>

namespace platform::report {

namespace {

std::function<void(Delivery, const Report&)> gRecorder;
QString gPrintToFile;
std::function<QString()> gPrinterLookup;

// A paper the printer does not know is laid out as A4.
QPageSize::PageSizeId PageSizeIdOf(std::int16_t paperSize)
{
    const QPageSize::PageSizeId id = printer::PaperPageSizeId(paperSize);
    return id == QPageSize::Custom ? QPageSize::A4 : id;
}

QPageLayout LayoutOf(const PageSetup& setup)
{
    const auto orientation =
        setup.orientation == printer::Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    return QPageLayout(QPageSize(PageSizeIdOf(setup.paperSize)), orientation, QMarginsF(0, 0, 0, 0));
}

Qt::PenStyle PenStyleOf(std::int16_t style)
{
    switch (style) {
    case LineStyle::Transparent: return Qt::NoPen;
    case LineStyle::Dash: return Qt::DashLine;
    case LineStyle::Dot: return Qt::DotLine;
    case LineStyle::DashDot: return Qt::DashDotLine;
    case LineStyle::DashDotDot: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

QPen PenOf(const Control& c)
{
    QPen pen(graphics::ToQColor(c.lineColor), std::max(0.0, c.lineWeight) * TwipsPerLineWeight);
    pen.setStyle(PenStyleOf(c.lineStyle));
    return pen;
}

int AlignmentOf(const Control& c)
{
    const int horizontal = c.alignment == 1 ? Qt::AlignRight : c.alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    const int vertical =
        c.verticalAlignment == 1 ? Qt::AlignVCenter : c.verticalAlignment == 2 ? Qt::AlignBottom : Qt::AlignTop;
    return horizontal | vertical;
}

void PaintControl(QPainter& painter, const Control& c)
{
    switch (c.kind) {
    case ControlKind::Line:
        if (c.lineStyle == LineStyle::Transparent)
            return;
        painter.setPen(PenOf(c));
        painter.drawLine(QPointF(c.x1, c.y1), QPointF(c.x2, c.y2));
        return;
    case ControlKind::Shape: {
        if (c.lineStyle == LineStyle::Transparent)
            return;
        painter.setPen(PenOf(c));
        painter.setBrush(Qt::NoBrush);
        const QRectF rect(c.left, c.top, c.width, c.height);
        if (c.shape == 1)
            painter.drawEllipse(rect);
        else
            painter.drawRect(rect);
        return;
    }
    case ControlKind::Field: {
        const QRectF rect(c.left, c.top, c.width, c.height);
        if (c.backStyle == 1)
            painter.fillRect(rect, graphics::ToQColor(c.backColor));
        if (c.text.isEmpty())
            return;
        // The painter works in twips: a point is 20 of them.
        painter.setFont(textmeasure::MakeQFont(c.font, 20.0));
        painter.setPen(graphics::ToQColor(c.foreColor));
        // A field that cannot grow shows only what fits inside it.
        painter.drawText(rect, AlignmentOf(c) | (c.canGrow ? Qt::TextDontClip : 0), c.text);
        return;
    }
    }
}

// The PDF writer compresses every page through buffers of a few hundred kilobytes that it takes
// and frees again. By default the C library hands such blocks back to the system at once and
// faults them in anew for the next page, which costs more than the compression itself: keep them.
void PageBuffersKeep()
{
    static const bool kept = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
        return true;
    }();
    (void)kept;
}

void Offset(Control& c, double dx, double dy)
{
    c.x1 += dx;
    c.x2 += dx;
    c.y1 += dy;
    c.y2 += dy;
    c.left += dx;
    c.top += dy;
}

// The preview window: the pages painted by the page routine on a preview printer, a tool bar to
// move between pages and to zoom, and no page set-up.
class PreviewDialog : public QDialog {
public:
    PreviewDialog(const Report& book, QWidget* parent) : QDialog(parent), pages_(book.Pages())
    {
        setWindowTitle(book.title);
        printer_.setFullPage(true);
        printer_.setDocName(book.title);
        if (!pages_.empty())
            printer_.setPageLayout(LayoutOf(pages_.front().setup));

        view_ = new QPrintPreviewWidget(&printer_, this);
        view_->setObjectName(QStringLiteral("preview"));
        view_->setViewMode(QPrintPreviewWidget::SinglePageView);
        view_->setZoomMode(QPrintPreviewWidget::FitInView);
        QObject::connect(view_, &QPrintPreviewWidget::paintRequested, view_, [this](QPrinter* printer) {
            // Nothing may escape into the window's event handling: keep the error for the caller.
            try {
                PaintPages(*printer, pages_, QStringLiteral("Preview"));
            } catch (...) {
                error_ = std::current_exception();
            }
        });

        auto* bar = new QToolBar(this);
        pageLabel_ = new QLabel(this);
        bar->addAction(QStringLiteral("前ﾍﾟｰｼﾞ"), view_, [this] { view_->setCurrentPage(view_->currentPage() - 1); })
            ->setObjectName(QStringLiteral("previous"));
        bar->addAction(QStringLiteral("次ﾍﾟｰｼﾞ"), view_, [this] { view_->setCurrentPage(view_->currentPage() + 1); })
            ->setObjectName(QStringLiteral("next"));
        bar->addWidget(pageLabel_);
        bar->addSeparator();
        bar->addAction(QStringLiteral("全体表示"), view_, [this] { view_->fitInView(); })
            ->setObjectName(QStringLiteral("fit"));
        bar->addAction(QStringLiteral("100%"), view_, [this] {
               view_->setZoomMode(QPrintPreviewWidget::CustomZoom);
               view_->setZoomFactor(1.0);
           })->setObjectName(QStringLiteral("actual"));
        bar->addSeparator();
        bar->addAction(QStringLiteral("閉じる"), this, &QDialog::reject)->setObjectName(QStringLiteral("close"));
        QObject::connect(view_, &QPrintPreviewWidget::previewChanged, this, [this] { PageLabelUpdate(); });

        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bar);
        layout->addWidget(view_);
        resize(800, 1000);
    }

    std::exception_ptr Error() const { return error_; }

private:
    void PageLabelUpdate()
    {
        if (error_) {
            reject();
            return;
        }
        pageLabel_->setText(QStringLiteral(" %1 / %2 ").arg(view_->currentPage()).arg(view_->pageCount()));
    }

    QPrinter printer_{QPrinter::ScreenResolution};
    const std::vector<Page>& pages_;
    QPrintPreviewWidget* view_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    std::exception_ptr error_;
};

} // namespace

Control& ControlList::Add(ControlKind kind, const QString& name)
{
    Control& c = items_.emplace_back();
    c.kind = kind;
    c.name = name;
    return c;
}

void ControlList::ZOrder(const QString& name, int position)
{
    // The control named is nearly always the one added last: look from the front.
    const auto found = std::find_if(items_.rbegin(), items_.rend(), [&](const Control& c) { return c.name == name; });
    if (found == items_.rend())
        return;
    const auto at = std::prev(found.base());
    if (position == 0)
        std::rotate(at, std::next(at), items_.end());
    else
        std::rotate(items_.begin(), at, std::next(at));
}

void Report::Run()
{
    Page page;
    page.setup = setup;
    const double left = setup.margin[0];
    const double top = setup.margin[2];
    page.clip = QRectF(left, top, printWidth, detailHeight).toAlignedRect();
    page.controls = detail.Items();
    for (Control& c : page.controls)
        Offset(c, left, top);
    pages_.push_back(std::move(page));
}

QSize PaperTwips(const PageSetup& setup)
{
    const QSize portrait = printer::PaperSizeTwips(setup.paperSize);
    const QSize paper = portrait.isEmpty() ? printer::PaperSizeTwips(printer::PaperSize::A4) : portrait;
    return setup.orientation == printer::Orientation::Landscape ? paper.transposed() : paper;
}

void PaintPage(QPainter& painter, const Page& page)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (!page.clip.isNull())
        painter.setClipRect(page.clip);
    for (const Control& c : page.controls)
        PaintControl(painter, c);
    painter.restore();
}

void PaintPages(QPagedPaintDevice& device, const std::vector<Page>& pages, const QString& source)
{
    PageBuffersKeep();
    if (!pages.empty())
        device.setPageLayout(LayoutOf(pages.front().setup));
    QPainter painter;
    if (!painter.begin(&device))
        vbrt::Raise(source, QStringLiteral("印刷を開始できません。"));
    const double scaleX = device.logicalDpiX() / 1440.0;
    const double scaleY = device.logicalDpiY() / 1440.0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            vbrt::Raise(source, QStringLiteral("印刷を続けられません。"));
        }
        painter.resetTransform();
        painter.scale(scaleX, scaleY);
        PaintPage(painter, pages[i]);
    }
    if (!painter.end())
        vbrt::Raise(source, QStringLiteral("印刷を完了できません。"));
}

void Print(const Report& book)
{
    if (gRecorder) {
        gRecorder(Delivery::Print, book);
        return;
    }
    const QString source = QStringLiteral("Print");
    QPrinter printer(QPrinter::HighResolution);
    if (!gPrintToFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(gPrintToFile);
    } else {
        // Without a printer Qt would quietly write a PDF with no name; that prints nothing.
        const QString name = gPrinterLookup ? gPrinterLookup() : QPrinterInfo::defaultPrinterName();
        if (name.isEmpty())
            vbrt::Raise(source, QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません。"));
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
        if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat)
            vbrt::Raise(source, QStringLiteral("ﾌﾟﾘﾝﾀｰ %1 を使用できません。").arg(name));
    }
    printer.setFullPage(true);
    printer.setDocName(book.title);
    PaintPages(printer, book.Pages(), source);
}

void ExportPdf(const Report& book, const QString& path)
{
    const QString source = QStringLiteral("ExportPdf");
    // Written beside the target and put in place at the end: a failed output leaves no partial
    // file under the name, and a file already there stays whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const bool folderMissing = !QFileInfo(path).absoluteDir().exists();
        vbrt::RaiseNumber(folderMissing ? vbrt::ErrorNumber::PathNotFound : vbrt::ErrorNumber::PathFileAccessError,
                          source, path);
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(1440);
        writer.setTitle(book.title);
        writer.setCreator(QStringLiteral("Vellumora"));
        PaintPages(writer, book.Pages(), source);
    }
    if (!file.commit())
        vbrt::RaiseNumber(vbrt::ErrorNumber::PathFileAccessError, source, path);
}

std::unique_ptr<QDialog> CreatePreviewDialog(const Report& book, QWidget* parent)
{
    return std::make_unique<PreviewDialog>(book, parent);
}

void Preview(const Report& book, QWidget* parent)
{
    if (gRecorder) {
        gRecorder(Delivery::Preview, book);
        return;
    }
    PreviewDialog dialog(book, parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.exec();
    if (dialog.Error())
        std::rethrow_exception(dialog.Error());
}

void SetDeliveryRecorder(std::function<void(Delivery, const Report&)> recorder)
{
    gRecorder = std::move(recorder);
}

void SetPrintToFile(const QString& path)
{
    gPrintToFile = path;
}

void SetDefaultPrinterLookup(std::function<QString()> lookup)
{
    gPrinterLookup = std::move(lookup);
}


} // namespace platform::report
