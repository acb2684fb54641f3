#include "app/print/PrintCanvas.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/CanvasSurface.h"
#include "app/core/Utilities.h"
#include "app/diagram/PadDraw.h"
#include "app/print/ImagePrint.h"
#include "app/print/PrintJob.h"
#include "app/print/PrintSetting.h"
#include "app/diagram/ReportSetting.h"
#include "app/print/WaitScreen.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/vbrt/Error.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vellumora {

namespace {

constexpr int MarkColumn = 0;
constexpr int CaptionColumn = 1;
constexpr int IndexColumn = 2;
constexpr int ShownColumn = 3;

// The rows the grid counts as one view when it brings a row into sight.
constexpr int ViewRows = 10;

// The canvas "最前面のｷｬﾝﾊﾞｽ" means: the one whose window last had the focus, while it is
// listed and its window shown. A window closed since (closing hides it) is in front no more.
std::int16_t FrontCanvas(const std::vector<std::int16_t>& listed)
{
    const std::int16_t canvas = ApplicationGlobals.CurrentCanvasIndex;
    if (std::find(listed.begin(), listed.end(), canvas) == listed.end())
        return -1;
    const CanvasRecord& record = CanvasAt(canvas, "FrontCanvas");
    return record.form && record.form->Visible() ? canvas : std::int16_t(-1);
}

// Where the PDF dialog starts when no PDF was written yet: the user's documents, else home.
QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

PrintCanvas::PrintCanvas(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    lblPrintRange = new QLabel(QStringLiteral("印刷範囲"), this);
    frmPrintRange = new QGroupBox(this);
    auto* rangeLayout = new QVBoxLayout(frmPrintRange);
    const std::array<const char16_t*, 4> captions = {u"全ｷｬﾝﾊﾞｽ(&A)", u"非表示を除く全ｷｬﾝﾊﾞｽ(&N)", u"最前面のｷｬﾝﾊﾞｽ(&F)",
                                                     u"ｷｬﾝﾊﾞｽを選択(&C)"};
    for (int i = 0; i < 4; ++i) {
        optPrintRange[static_cast<std::size_t>(i)] = new QRadioButton(QString::fromUtf16(captions[static_cast<std::size_t>(i)]), frmPrintRange);
        rangeLayout->addWidget(optPrintRange[static_cast<std::size_t>(i)]);
        connect(optPrintRange[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            RunCommand(this, [&] { optPrintRange_Click(i); });
        });
    }

    frmCanvasSelect = new QGroupBox(this);
    sprCaption = new QTableWidget(0, 4, frmCanvasSelect);
    sprCaption->setColumnHidden(IndexColumn, true);
    sprCaption->setColumnHidden(ShownColumn, true);
    sprCaption->horizontalHeader()->hide();
    sprCaption->verticalHeader()->hide();
    sprCaption->horizontalHeader()->setStretchLastSection(true);
    sprCaption->setColumnWidth(MarkColumn, 28);
    sprCaption->setColumnWidth(CaptionColumn, 260);
    sprCaption->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprCaption->installEventFilter(this);
    sprCaption->viewport()->installEventFilter(this);
    cmdAllSelect = new QPushButton(QStringLiteral("全選択\n(&S)"), frmCanvasSelect);
    cmdAllRelease = new QPushButton(QStringLiteral("全解除\n(&R)"), frmCanvasSelect);
    auto* selectLayout = new QGridLayout(frmCanvasSelect);
    selectLayout->addWidget(sprCaption, 0, 0, 3, 1);
    selectLayout->addWidget(cmdAllSelect, 0, 1);
    selectLayout->addWidget(cmdAllRelease, 1, 1);

    cmdPreview = new QPushButton(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ(&V)"), this);
    cmdPrint = new QPushButton(QStringLiteral("印刷"), this);
    cmdPDF = new QPushButton(QStringLiteral("PDF出力(&P)"), this);
    cmdPrintSetting = new QPushButton(QStringLiteral("印刷設定\n(&T)"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdPrint->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdPreview, cmdPrint, cmdPDF, cmdPrintSetting, cmdCancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(lblPrintRange);
    left->addWidget(frmPrintRange);
    left->addWidget(frmCanvasSelect, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(520, 420);

    connect(cmdPreview, &QPushButton::clicked, this, &PrintCanvas::cmdPreview_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &PrintCanvas::cmdPrint_Click);
    connect(cmdPDF, &QPushButton::clicked, this, &PrintCanvas::cmdPDF_Click);
    connect(cmdPrintSetting, &QPushButton::clicked, this, &PrintCanvas::cmdPrintSetting_Click);
    connect(cmdAllSelect, &QPushButton::clicked, this, &PrintCanvas::cmdAllSelect_Click);
    connect(cmdAllRelease, &QPushButton::clicked, this, &PrintCanvas::cmdAllRelease_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &PrintCanvas::cmdCancel_Click);
    connect(sprCaption, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        // The caption shows its row's mark.
        if (item->column() == MarkColumn)
            if (QTableWidgetItem* caption = sprCaption->item(item->row(), CaptionColumn))
                caption->setData(Qt::UserRole, item->checkState() == Qt::Checked);
    });
}

PrintCanvas::~PrintCanvas() = default;

void PrintCanvas::ShowModal()
{
    Form_Load();
    // The output hides the dialog so that a preview stands alone, and hiding ends a modal showing:
    // after a failed output the dialog is shown again, modal as before.
    do {
        reshown_ = false;
        exec();
    } while (reshown_ && !closed_);
    Form_Unload();
}

void PrintCanvas::done(int result)
{
    closed_ = true;
    QDialog::done(result);
}

void PrintCanvas::Form_Load()
{
    FormControlsClear(this, true);
    rangeOption = 0;
    commandPending = true;
    loaded_ = true;
    unloaded_ = false;
    closed_ = false;

    sprCaption->setUpdatesEnabled(false);
    sprCaption->clearContents();
    sprCaption->setRowCount(0);
    // The sequence list counts from 1: its first entry is no canvas.
    const std::vector<std::int16_t> sequence = CanvasSequenceList();
    listedCanvases.assign(sequence.begin() + 1, sequence.end());
    sprCaption->setRowCount(static_cast<int>(listedCanvases.size()));
    for (int row = 0; row < static_cast<int>(listedCanvases.size()); ++row) {
        const std::int16_t canvas = listedCanvases[static_cast<std::size_t>(row)];
        const CanvasRecord& record = CanvasAt(canvas, "PrintCanvas");
        const bool shown = record.form && record.form->Visible();
        auto* mark = new QTableWidgetItem;
        mark->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        mark->setCheckState(Qt::Checked);
        sprCaption->setItem(row, MarkColumn, mark);
        auto* caption = new QTableWidgetItem(CanvasCaptionMake(canvas, record.header.name) +
                                             (shown ? QString() : QStringLiteral(":非表示")));
        caption->setData(Qt::UserRole, true);
        sprCaption->setItem(row, CaptionColumn, caption);
        sprCaption->setItem(row, IndexColumn, new QTableWidgetItem(QString::number(canvas)));
        sprCaption->setItem(row, ShownColumn, new QTableWidgetItem(shown ? QStringLiteral("1") : QStringLiteral("0")));
    }
    if (sprCaption->rowCount() > 0)
        sprCaption->setCurrentCell(0, MarkColumn);
    sprCaption->setUpdatesEnabled(true);

    const QString caption = MenuCaptionClean(TrayCaption);
    setWindowTitle(caption);
    ModalWindowShow(caption);
}

void PrintCanvas::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { Guarded([this] { Form_Activate(); }); });
}

void PrintCanvas::Form_Activate()
{
    optPrintRange[static_cast<std::size_t>(rangeOption)]->setChecked(true);
    optPrintRange_Click(rangeOption);
    ProcessingEnd(this);
    if (commandPending) {
        commandPending = false;
        if (TrayCommandOperation == QLatin1String("/P"))
            cmdPrint_Click();
        else if (TrayCommandOperation == QLatin1String("/V"))
            cmdPreview_Click();
    }
    TrayCommandOperation.clear();
}

bool PrintCanvas::RowMarked(int row) const
{
    const QTableWidgetItem* mark = sprCaption->item(row, MarkColumn);
    return mark && mark->checkState() == Qt::Checked;
}

void PrintCanvas::RowMarkSet(int row, bool marked)
{
    if (QTableWidgetItem* mark = sprCaption->item(row, MarkColumn))
        mark->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

void PrintCanvas::RowShow(int row)
{
    // The grid shows ten rows: a row above the view comes to its top, one far below to its middle.
    sprCaption->setUpdatesEnabled(false);
    const QModelIndex index = sprCaption->model()->index(row, MarkColumn);
    const int top = sprCaption->rowAt(0);
    if (row > top + ViewRows - 1)
        sprCaption->scrollTo(index, QAbstractItemView::PositionAtCenter);
    else
        sprCaption->scrollTo(index, QAbstractItemView::PositionAtTop);
    if (sprCaption->rowAt(0) + ViewRows - 1 > sprCaption->rowCount() - 1 && sprCaption->rowCount() > 0)
        sprCaption->scrollTo(sprCaption->model()->index(sprCaption->rowCount() - 1, MarkColumn),
                             QAbstractItemView::PositionAtBottom);
    sprCaption->setCurrentCell(row, MarkColumn);
    sprCaption->setUpdatesEnabled(true);
}

void PrintCanvas::optPrintRange_Click(int index)
{
    rangeOption = index;
    const int rows = sprCaption->rowCount();
    int shown = -1;
    switch (index) {
    case 0:
        frmCanvasSelect->setEnabled(false);
        for (int row = 0; row < rows; ++row)
            RowMarkSet(row, true);
        shown = rows > 0 ? 0 : -1;
        break;
    case 1:
        frmCanvasSelect->setEnabled(false);
        shown = rows - 1;
        for (int row = 0; row < rows; ++row) {
            const bool marked = sprCaption->item(row, ShownColumn)->text() == QLatin1String("1");
            RowMarkSet(row, marked);
            if (marked)
                shown = std::min(shown, row);
        }
        break;
    case 2: {
        frmCanvasSelect->setEnabled(false);
        const std::int16_t front = FrontCanvas(listedCanvases);
        for (int row = 0; row < rows; ++row) {
            const bool marked = sprCaption->item(row, IndexColumn)->text().toInt() == front;
            RowMarkSet(row, marked);
            if (marked)
                shown = row;
        }
        break;
    }
    default:
        frmCanvasSelect->setEnabled(true);
        sprCaption->setFocus();
        break;
    }
    if (shown >= 0)
        RowShow(shown);
    cmdAllSelect->setEnabled(frmCanvasSelect->isEnabled());
    cmdAllRelease->setEnabled(frmCanvasSelect->isEnabled());
}

std::vector<std::int16_t> PrintCanvas::SelectCanvasGet()
{
    std::vector<std::int16_t> list;
    switch (rangeOption) {
    case 0:
        list = listedCanvases;
        break;
    case 1:
        for (const std::int16_t canvas : listedCanvases) {
            const CanvasRecord& record = CanvasAt(canvas, "SelectCanvasGet");
            if (record.form && record.form->Visible())
                list.push_back(canvas);
        }
        break;
    case 2:
        if (const std::int16_t front = FrontCanvas(listedCanvases); front > 0)
            list.push_back(front);
        break;
    default:
        for (int row = 0; row < sprCaption->rowCount(); ++row)
            if (RowMarked(row))
                list.push_back(static_cast<std::int16_t>(sprCaption->item(row, IndexColumn)->text().toInt()));
        break;
    }
    if (list.empty())
        ErrorMessageBox(QStringLiteral("ｷｬﾝﾊﾞｽが選択されていません。\r\n一つ以上のｷｬﾝﾊﾞｽを選択して下さい。"), {});
    return list;
}

bool PrintCanvas::PDFFileSelect()
{
    QString folder = DocumentsFolder();
    QString file;
    RS.pdfPath = CommonServices ? CommonServices->GetRegistry(QStringLiteral("File"), QStringLiteral("PDFPath")) : QString();
    if (!RS.pdfPath.isEmpty()) {
        folder = CommonServices->GetParentFolderName(RS.pdfPath);
        file = CommonServices->GetBaseName(RS.pdfPath);
    }
    namespace cd = platform::commondialog;
    cd::CommonDialog dlgPrint;
    dlgPrint.Parent = this;
    dlgPrint.CancelError = true;
    dlgPrint.InitDir = folder;
    dlgPrint.FileName = file;
    dlgPrint.Flags = cd::Flags::OverwritePrompt | cd::Flags::HideReadOnly | cd::Flags::Explorer | cd::Flags::LongNames;
    dlgPrint.DefaultExt = QStringLiteral(".pdf");
    dlgPrint.Filter = QStringLiteral("PDFﾌｧｲﾙ(*.pdf)|*.pdf");
    dlgPrint.FilterIndex = 1;
    try {
        dlgPrint.ShowSave();
    } catch (const platform::vbrt::Error&) {
        return true;
    }
    RS.pdfPath = dlgPrint.FileName;
    if (CommonServices)
        CommonServices->SetRegistry(QStringLiteral("File"), QStringLiteral("PDFPath"), RS.pdfPath);
    return false;
}

void PrintCanvas::OutputRun(std::int32_t mode, QPushButton* button)
{
    button->setFocus();
    bool done = false;
    RunCommand(this, [&] {
        const std::vector<std::int16_t> list = SelectCanvasGet();
        if (list.empty())
            return;
        if (mode == ImageOutput::Pdf && PDFFileSelect())
            return;
        // Either half of the job clears the dialog caption when it ends. When this dialog stays
        // open (the job stopped, was refused or failed), the caption names it again, before the
        // error of a failure is shown.
        try {
            WaitScreen wait(this);
            if (wait.WaitScreenStart(list)) {
                ModalWindowShow(windowTitle());
                return;
            }
            setCursor(Qt::WaitCursor);
            done = PrintOutputExecute(mode, this) == 0;
            unsetCursor();
        } catch (...) {
            unsetCursor();
            // The output hides the dialog so that a preview stands alone.
            if (!isVisible()) {
                show();
                reshown_ = true;
            }
            ModalWindowShow(windowTitle());
            throw;
        }
    });
    if (done)
        accept();
}

void PrintCanvas::cmdPreview_Click() { OutputRun(ImageOutput::Preview, cmdPreview); }
void PrintCanvas::cmdPrint_Click() { OutputRun(ImageOutput::Print, cmdPrint); }
void PrintCanvas::cmdPDF_Click() { OutputRun(ImageOutput::Pdf, cmdPDF); }

void PrintCanvas::cmdPrintSetting_Click()
{
    RunCommand(this, [&] {
        PrintSetting dialog(this);
        // The button shows its access key on a second line; window titles and the undo caption
        // take the caption on one.
        dialog.TrayCaption = cmdPrintSetting->text().remove(QLatin1Char('\n'));
        dialog.ShowModal();
        if (!dialog.TrayCancel)
            ReportSettingApply();
        ModalWindowShow(windowTitle());
    });
}

void PrintCanvas::cmdAllSelect_Click()
{
    RunCommand(this, [&] {
        for (int row = 0; row < sprCaption->rowCount(); ++row)
            RowMarkSet(row, true);
    });
    sprCaption->setFocus();
}

void PrintCanvas::cmdAllRelease_Click()
{
    RunCommand(this, [&] {
        for (int row = 0; row < sprCaption->rowCount(); ++row)
            RowMarkSet(row, false);
    });
    sprCaption->setFocus();
}

void PrintCanvas::cmdCancel_Click()
{
    cmdCancel->setFocus();
    QDialog::reject();
}

void PrintCanvas::reject()
{
    cmdCancel_Click();
}

void PrintCanvas::Form_Unload()
{
    if (unloaded_ || !loaded_)
        return;
    unloaded_ = true;
    listedCanvases.clear();
    Guarded([] { ModalWindowShow(QString()); });
}

void PrintCanvas::keyPressEvent(QKeyEvent* event)
{
    if (!DialogKeyTaken(event, this))
        QDialog::keyPressEvent(event);
}

void PrintCanvas::sprCaption_GotFocus(Qt::FocusReason reason)
{
    // Enter stays in the list while it has the focus; elsewhere it prints.
    cmdPrint->setDefault(false);
    cmdPrint->setAutoDefault(false);
    // The dialog made active again, or a popup gone, is no move into the list: its cell stays.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    const auto firstCell = [this] {
        if (sprCaption->rowCount() > 0)
            sprCaption->setCurrentCell(0, MarkColumn);
    };
    if (reason != Qt::MouseFocusReason) {
        firstCell();
        return;
    }
    // The press that gave the focus reaches the list only after this. A press on a row makes that
    // row active, and must not find the list scrolled to its first row under the mouse; a press
    // anywhere else makes the first cell active.
    rowPressed_ = false;
    QTimer::singleShot(0, this, [this, firstCell] {
        if (!rowPressed_)
            firstCell();
    });
}

bool PrintCanvas::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sprCaption) {
        if (GridTabLeave(event, cmdPrintSetting, cmdAllRelease))
            return true;
        if (event->type() == QEvent::FocusIn)
            sprCaption_GotFocus(static_cast<QFocusEvent*>(event)->reason());
        else if (event->type() == QEvent::FocusOut)
            cmdPrint->setDefault(true);
    } else if (watched == sprCaption->viewport() && event->type() == QEvent::MouseButtonPress) {
        const QModelIndex pressed = sprCaption->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        rowPressed_ = pressed.isValid();
        // A press on a check box toggles it without making its cell current: the row clicked is
        // made the active one here, so that Space marks that row next, not the one active before.
        if (pressed.isValid() && pressed != sprCaption->currentIndex())
            sprCaption->setCurrentCell(pressed.row(), pressed.column());
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vellumora
