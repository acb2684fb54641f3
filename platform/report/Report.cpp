#include "platform/report/Report.h"

#include "platform/filesystem/FileSystem.h"
#include "platform/graphics/DrawingTarget.h"
#include "platform/printer/Printer.h"
#include "platform/system/EndedCopies.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QGuiApplication>
#include <QScreen>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

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
        if (c.shape == 1) {
            // An ellipse's line lies inside its bounds: the white masks that cut a quarter or a
            // half from it end at those bounds, and a line centred on them would show beyond.
            const double half = painter.pen().widthF() / 2.0;
            painter.drawEllipse(rect.adjusted(half, half, -half, -half));
        } else {
            painter.drawRect(rect);
        }
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

// The printing library keeps a job in a spool file of its own until the print system has taken
// it, in the temporary folder that TMPDIR names when the job begins; a job cut off by the end of
// the program would leave it there for good. For that moment TMPDIR names the folder the job is
// given instead.
class SpoolFolderScope {
public:
    explicit SpoolFolderScope(const QString& folder)
    {
        if (folder.isEmpty())
            return;
        set_ = true;
        had_ = qEnvironmentVariableIsSet("TMPDIR");
        old_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~SpoolFolderScope()
    {
        if (set_ && had_)
            qputenv("TMPDIR", old_);
        else if (set_)
            qunsetenv("TMPDIR");
    }
    SpoolFolderScope(const SpoolFolderScope&) = delete;
    SpoolFolderScope& operator=(const SpoolFolderScope&) = delete;

private:
    bool set_ = false;
    bool had_ = false;
    QByteArray old_;
};

// Paints pages on a paged device, one device page each, scaled from twips to its resolution;
// painting begins at the first page, with a print job's spool file in spoolFolder when one is
// given.
class DevicePainter {
public:
    DevicePainter(QPagedPaintDevice& device, QString source, QString spoolFolder = {})
        : device_(device), source_(std::move(source)), spoolFolder_(std::move(spoolFolder))
    {
    }

    void Paint(const Page& page)
    {
        if (pages_ == 0) {
            PageBuffersKeep();
            device_.setPageLayout(LayoutOf(page.setup));
            Begin();
        } else if (!device_.newPage()) {
            painter_.end();
            vbrt::Raise(source_, QStringLiteral("印刷を続けられません。"));
        }
        ++pages_;
        painter_.resetTransform();
        painter_.scale(device_.logicalDpiX() / 1440.0, device_.logicalDpiY() / 1440.0);
        PaintPage(painter_, page);
    }

    // A device that was never begun is begun now, so that an empty output still ends as before.
    void Finish()
    {
        if (pages_ == 0)
            Begin();
        if (!painter_.end())
            vbrt::Raise(source_, QStringLiteral("印刷を完了できません。"));
    }

    bool Active() const { return painter_.isActive(); }

private:
    void Begin()
    {
        const SpoolFolderScope spool(spoolFolder_);
        if (!painter_.begin(&device_))
            vbrt::Raise(source_, QStringLiteral("印刷を開始できません。"));
    }

    QPagedPaintDevice& device_;
    QString source_;
    QString spoolFolder_;
    QPainter painter_;
    std::size_t pages_ = 0;
};

// A stream whose device is opened by its first page, or by Finish when there was none.
class DevicePageStream : public PageStream {
public:
    void Paint(const Page& page) override { Painter().Paint(page); }

protected:
    virtual DevicePainter& Painter() = 0;
};

// The PDF writer's file. The writer takes no notice of a write that fails and goes on to the
// end, so the first failure is kept here for the stream to raise, and nothing is written after
// it: a file cut short is never put in place. The writer writes in pieces of a few bytes; they
// reach the file in larger ones.
class AtomicFileDevice : public QIODevice {
public:
    AtomicFileDevice(const QString& path, const QString& source) : file_(path, source)
    {
        // A PDF can be made again: an end forced from outside drops it rather than wait for it.
        file_.AbandonOnForcedEnd();
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    // Writes what is held and raises the first failed write.
    void Check()
    {
        Flush();
        if (failure_)
            std::rethrow_exception(failure_);
    }

    void Commit()
    {
        Check();
        file_.Commit();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        if (failure_)
            return -1;
        held_.append(data, static_cast<std::size_t>(size));
        if (held_.size() >= kPieceSize)
            Flush();
        return failure_ ? -1 : size;
    }

private:
    static constexpr std::size_t kPieceSize = 64 * 1024;

    void Flush()
    {
        if (failure_ || held_.empty())
            return;
        try {
            file_.Write(held_.data(), static_cast<qsizetype>(held_.size()));
        } catch (...) {
            failure_ = std::current_exception();
        }
        held_.clear();
    }

    filesystem::AtomicWriter file_;
    std::string held_;
    std::exception_ptr failure_;
};

// Written beside the target and put in place at the end: a failed output leaves no partial file
// under the name, and a file already there stays whole.
class PdfPageStream : public DevicePageStream {
public:
    PdfPageStream(const QString& path, const QString& title) : path_(path), title_(title) {}

    void Paint(const Page& page) override
    {
        Checked([&] { DevicePageStream::Paint(page); });
    }

    void Finish() override
    {
        Checked([&] { Painter().Finish(); });
        painter_.reset();
        writer_.reset();
        file_->Commit();
    }

private:
    static QString Source() { return QStringLiteral("ExportPdf"); }

    // A failed write is why painting could not go on: it is raised in place of what painting says.
    template <typename Step>
    void Checked(Step step)
    {
        try {
            step();
        } catch (...) {
            if (file_)
                file_->Check();
            throw;
        }
        file_->Check();
    }

    DevicePainter& Painter() override
    {
        if (painter_)
            return *painter_;
        file_ = std::make_unique<AtomicFileDevice>(path_, Source());
        writer_ = std::make_unique<QPdfWriter>(file_.get());
        writer_->setResolution(1440);
        writer_->setTitle(title_);
        writer_->setCreator(QStringLiteral("Vellumora"));
        painter_ = std::make_unique<DevicePainter>(*writer_, Source());
        return *painter_;
    }

    QString path_;
    QString title_;
    // Destroyed painter first, file last; a file never committed is discarded.
    std::unique_ptr<AtomicFileDevice> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<DevicePainter> painter_;
};

// A folder made for one print job and removed after it, with whatever the printing library left
// in it: the folder it was, never what may stand at its path by then.
class SpoolFolder {
public:
    // Made only where the folder it goes in is: never the folders above it on the way.
    explicit SpoolFolder(const QString& path)
    {
        if (!path.isEmpty() && filesystem::FolderExists(filesystem::GetParentFolderName(path)) &&
            filesystem::PrivateFolderReady(path, true))
            made_ = system::MadeFolderAt(path);
    }
    ~SpoolFolder()
    {
        if (made_)
            system::RemoveMadeFolder(*made_);
    }
    SpoolFolder(const SpoolFolder&) = delete;
    SpoolFolder& operator=(const SpoolFolder&) = delete;

    // "" when it could not be made: the job is spooled in the temporary folder then.
    QString Path() const { return made_ ? made_->path : QString(); }

private:
    std::optional<system::MadeFolder> made_;
};

class PrinterPageStream : public DevicePageStream {
public:
    PrinterPageStream(const QString& title, const QString& spoolFolder) : title_(title), spoolFolder_(spoolFolder) {}

    ~PrinterPageStream() override
    {
        // A job left unfinished is not sent to the printer.
        if (printer_ && painter_ && painter_->Active())
            printer_->abort();
    }

    void Finish() override { Painter().Finish(); }

private:
    static QString Source() { return QStringLiteral("Print"); }

    DevicePainter& Painter() override
    {
        if (painter_)
            return *painter_;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!gPrintToFile.isEmpty()) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(gPrintToFile);
        } else {
            // Without a printer Qt would quietly write a PDF with no name; that prints nothing.
            const QString name = gPrinterLookup ? gPrinterLookup() : QPrinterInfo::defaultPrinterName();
            if (name.isEmpty())
                vbrt::Raise(Source(), QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません。"));
            printer->setOutputFormat(QPrinter::NativeFormat);
            printer->setPrinterName(name);
            if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
                vbrt::Raise(Source(), QStringLiteral("ﾌﾟﾘﾝﾀｰ %1 を使用できません。").arg(name));
        }
        printer->setFullPage(true);
        printer->setDocName(title_);
        printer_ = std::move(printer);
        spool_ = std::make_unique<SpoolFolder>(spoolFolder_);
        painter_ = std::make_unique<DevicePainter>(*printer_, Source(), spool_->Path());
        return *painter_;
    }

    QString title_;
    QString spoolFolder_;
    // Destroyed painter first, spool folder last: the job's file goes before its folder.
    std::unique_ptr<SpoolFolder> spool_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<DevicePainter> painter_;
};

// Paints the kept pages of a book on the stream and completes it.
void Deliver(PageStream& stream, const Report& book)
{
    for (const Page& page : book.Pages())
        stream.Paint(page);
    stream.Finish();
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
        pageLabel_->setObjectName(QStringLiteral("pageLabel"));
        bar->addAction(QStringLiteral("前ﾍﾟｰｼﾞ"), view_, [this] { PageShow(view_->currentPage() - 1); })
            ->setObjectName(QStringLiteral("previous"));
        bar->addAction(QStringLiteral("次ﾍﾟｰｼﾞ"), view_, [this] { PageShow(view_->currentPage() + 1); })
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
        FitToScreen(parent);
    }

    std::exception_ptr Error() const { return error_; }

private:
    // A page's shape where the screen has room, never more than the screen it opens on (that of
    // the window it belongs to) can show, its title bar and frame included.
    void FitToScreen(QWidget* parent)
    {
        QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (!screen) {
            resize(800, 1000);
            return;
        }
        const QRect area = screen->availableGeometry();
        constexpr int FrameAllowance = 60;
        const QSize size(std::min(800, area.width() - FrameAllowance / 3),
                         std::min(1000, area.height() - FrameAllowance));
        resize(size);
        move(area.center() - QPoint(size.width() / 2, size.height() / 2 - FrameAllowance / 3));
    }

    // The preview reports a page reached by scrolling, but moves to a page it is sent to without
    // a word: the label is told here.
    void PageShow(int page)
    {
        view_->setCurrentPage(page);
        PageLabelUpdate();
    }

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
    DevicePainter painter(device, source);
    for (const Page& page : pages)
        painter.Paint(page);
    painter.Finish();
}

void Print(const Report& book, const QString& spoolFolder)
{
    if (gRecorder) {
        gRecorder(Delivery::Print, book);
        return;
    }
    Deliver(*PrintStream(book.title, spoolFolder), book);
}

void ExportPdf(const Report& book, const QString& path)
{
    Deliver(*PdfStream(path, book.title), book);
}

void Report::PageAdd(Page page)
{
    if (!stream_.stream) {
        pages_.push_back(std::move(page));
        return;
    }
    stream_.stream->Paint(page);
    ++stream_.streamed;
}

void Report::StreamFinish()
{
    if (stream_.stream)
        stream_.stream->Finish();
}

std::unique_ptr<PageStream> PdfStream(const QString& path, const QString& title)
{
    return std::make_unique<PdfPageStream>(path, title);
}

std::unique_ptr<PageStream> PrintStream(const QString& title, const QString& spoolFolder)
{
    if (gRecorder)
        return nullptr;
    return std::make_unique<PrinterPageStream>(title, spoolFolder);
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
