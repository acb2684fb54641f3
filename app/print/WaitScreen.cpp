#include "app/print/WaitScreen.h"

#include "app/core/DebugLog.h"
#include "app/core/FirstFailure.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/print/PrintJob.h"
#include "app/print/PrintLayout.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace vellumora {

namespace {

// The bar of the progress control counts to 32767 at most; longer jobs are scaled into it.
constexpr std::int32_t BarLimit = 32767;

// How long the job may run before a press of Cancel is let through and the dialog shows how far
// it has come. Showing every box would cost more than the layout itself: a label's text and a
// repaint each time.
constexpr qint64 YieldMilliseconds = 20;

} // namespace

WaitScreen::WaitScreen(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("印刷処理実行中"));
    setModal(true);
    lblCanvasTitle = new QLabel(this);
    lblProgressMessage = new QLabel(this);
    prbWaitScreen = new QProgressBar(this);
    prbWaitScreen->setTextVisible(false);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCanvasTitle);
    layout->addWidget(prbWaitScreen);
    layout->addWidget(lblProgressMessage);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    resize(360, 140);
    connect(cmdCancel, &QPushButton::clicked, this, &WaitScreen::cmdCancel_Click);
}

WaitScreen::~WaitScreen() = default;

void WaitScreen::ProgressPrepare(const std::vector<std::int16_t>& canvasNo)
{
    progressCanvas = canvasNo;
    progressRange[0].assign(canvasNo.size(), 0);
    progressRange[1].assign(canvasNo.size(), 0);
    std::int64_t start = 0;
    for (std::size_t i = 0; i < canvasNo.size(); ++i) {
        if (i > 0)
            start += progressRange[0][i - 1] + 5;
        progressRange[0][i] = CanvasDataGet(canvasNo[i]).boxCount;
        progressRange[1][i] = static_cast<std::int32_t>(start);
    }
    const std::int64_t maximum = canvasNo.empty() ? 6 : start + progressRange[0].back() + 6;
    progressMaximum = static_cast<std::int32_t>(std::min<std::int64_t>(maximum, INT32_MAX));
    progressPosition = 0;
    progressMessage.clear();
    cancelRequested = false;
    // The first progress of a job is shown at once.
    sinceEvents_.invalidate();
    sinceShown_.invalidate();
    prbWaitScreen->setRange(0, std::max(1, std::min(progressMaximum, BarLimit)));
    prbWaitScreen->setValue(0);
}

bool WaitScreen::WaitScreenStart(const std::vector<std::int16_t>& canvasNo)
{
    ProgressPrepare(canvasNo);
    failure_ = nullptr;
    exec();
    const bool stopped = cancelRequested;
    progressCanvas.clear();
    progressRange[0].clear();
    progressRange[1].clear();
    // What the job raised reaches the caller once this dialog has closed, so that the caller
    // reports it as its own command's error, with its own caption back.
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return stopped;
}

void WaitScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The job runs once the dialog is on the screen and the event loop has it.
    if (!running_) {
        running_ = true;
        QTimer::singleShot(0, this, &WaitScreen::Form_Activate);
    }
}

void WaitScreen::Form_Activate()
{
    repaint();
    setCursor(Qt::WaitCursor);
    lblCanvasTitle->clear();
    lblProgressMessage->clear();
    cmdCancel->setEnabled(true);

    PrintProgressSet({[this](const QString& caption) { ProgressCaption(caption); },
                      [this](std::int16_t no) { return BoxProgress(no); },
                      [this](std::int16_t step) { return OtherBoxProgress(step); }, [this] { return AfterProgress(); },
                      [this] { return ProgressYield(); }});
    sinceEvents_.start();
    // Whatever the job raises ends it: its work goes, the dialog closes, and WaitScreenStart
    // passes the error on to the print dialog.
    try {
        cancelRequested = PadPrintRun(progressCanvas);
    } catch (...) {
        failure_ = std::current_exception();
        cancelRequested = true;
    }
    PrintProgressSet({});
    ProgressDisplay();
    unsetCursor();
    // A job that stopped, failed or was cancelled leaves nothing behind: no work record and no
    // draw work file.
    if (cancelRequested)
        Guarded([] { PrintJobAbandon(); });
    running_ = false;
    accept();
}

int WaitScreen::currentIndex() const
{
    const auto it = std::find(progressCanvas.begin(), progressCanvas.end(), RW.canvas);
    return it == progressCanvas.end() ? -1 : static_cast<int>(it - progressCanvas.begin());
}

void WaitScreen::ProgressCaption(const QString& canvasTitle)
{
    lblCanvasTitle->setText(canvasTitle);
    lblCanvasTitle->repaint();
}

bool WaitScreen::CanvasProgress(bool boxesDone, std::int16_t step)
{
    const int i = currentIndex();
    if (i >= 0) {
        const std::size_t c = static_cast<std::size_t>(i);
        const std::int32_t at = progressRange[1][c] + (boxesDone ? progressRange[0][c] : 0) + step;
        progressPosition = std::max(progressPosition, at);
        progressMessage = QString::number(at) + QStringLiteral(" / ") + QString::number(progressMaximum);
    }
    ProgressShow(boxesDone);
    return cancelRequested;
}

bool WaitScreen::BoxProgress(std::int16_t boxNo) { return CanvasProgress(false, boxNo); }

bool WaitScreen::OtherBoxProgress(std::int16_t otherBoxStep) { return CanvasProgress(true, otherBoxStep); }

bool WaitScreen::ProgressYield()
{
    if (Due(sinceEvents_))
        EventsRun();
    return cancelRequested;
}

bool WaitScreen::Due(const QElapsedTimer& since)
{
    return !since.isValid() || since.elapsed() >= YieldMilliseconds;
}

void WaitScreen::EventsRun()
{
    // The dialog repaints and a press of Cancel is seen: the job runs on this thread.
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

bool WaitScreen::AfterProgress()
{
    progressPosition = progressMaximum;
    progressMessage.clear();
    ProgressShow(true);
    return cancelRequested;
}

void WaitScreen::ProgressShow(bool stage)
{
    if (!stage && !Due(sinceEvents_))
        return;
    if (Due(sinceShown_)) {
        ProgressDisplay();
        sinceShown_.start();
    }
    EventsRun();
}

void WaitScreen::ProgressDisplay()
{
    lblProgressMessage->setText(progressMessage);
    if (progressMaximum <= BarLimit)
        prbWaitScreen->setValue(progressPosition);
    else
        prbWaitScreen->setValue(platform::vbrt::CInt(double(BarLimit) / progressMaximum * progressPosition));
}

void WaitScreen::cmdCancel_Click()
{
    InformationMessageBox(QStringLiteral("印刷処理を取消ました。"));
    cancelRequested = true;
}

void WaitScreen::reject()
{
    // The close box and Esc cancel the job like the Cancel button; the dialog closes when the job
    // has stopped.
    if (running_) {
        if (!cancelRequested)
            cmdCancel_Click();
        return;
    }
    QDialog::reject();
}

void WaitScreen::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    DebugKeyCheck(key, static_cast<int>(event->modifiers()), this);
    if (key != 0)
        QDialog::keyPressEvent(event);
}

} // namespace vellumora
