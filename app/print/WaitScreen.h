#pragma once

// The progress dialog of a print job: its activation runs the layout half of the job, showing
// the canvas being laid out and how far the job has come; its Cancel button stops the job at the
// next progress call.

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <array>
#include <cstdint>
#include <exception>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vellumora {

class WaitScreen : public QDialog {
    Q_OBJECT
public:
    explicit WaitScreen(QWidget* parent = nullptr);
    ~WaitScreen() override;

    QLabel* lblCanvasTitle = nullptr;
    QLabel* lblProgressMessage = nullptr;
    QProgressBar* prbWaitScreen = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Prepares the progress of the canvases, runs the layout half while the dialog shows and
    // returns true when the job stopped early (cancelled or refused by the layout). An error the
    // job raised is raised again here, once the dialog has closed and the job's work is gone.
    bool WaitScreenStart(const std::vector<std::int16_t>& canvasNo);

    // Progress calls; each answers whether the user asked to stop.
    void ProgressCaption(const QString& canvasTitle);
    bool BoxProgress(std::int16_t boxNo);
    bool OtherBoxProgress(std::int16_t otherBoxStep);
    bool AfterProgress();
    // Between two progress calls: lets a press of Cancel through now and then.
    bool ProgressYield();

    void cmdCancel_Click();

    // Readable for tests: the progress reached and its text.
    std::int32_t ProgressPosition() const { return progressPosition; }
    std::int32_t ProgressMaximum() const { return progressMaximum; }
    const QString& ProgressMessage() const { return progressMessage; }
    // The start position of each listed canvas.
    const std::vector<std::int32_t>& ProgressStarts() const { return progressRange[1]; }

    // Prepares the progress ranges without showing the dialog (the first step of WaitScreenStart).
    void ProgressPrepare(const std::vector<std::int16_t>& canvasNo);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Activate();
    // Runs the window events at every stage of a canvas and, between them, when the last run is
    // long enough ago; shows the progress when it was last shown long enough ago.
    void ProgressShow(bool stage);
    // Puts the progress into the label and the bar.
    void ProgressDisplay();
    static bool Due(const QElapsedTimer& since);
    void EventsRun();
    // Progress within the canvas being laid out: a box's number, or a stage after all its boxes.
    bool CanvasProgress(bool boxesDone, std::int16_t step);
    // The list position of the canvas being laid out, or -1.
    int currentIndex() const;

    std::vector<std::int16_t> progressCanvas;
    std::array<std::vector<std::int32_t>, 2> progressRange;  // 0 box counts, 1 start positions
    std::int32_t progressMaximum = 0;
    std::int32_t progressPosition = 0;
    QString progressMessage;
    bool cancelRequested = false;
    bool running_ = false;
    std::exception_ptr failure_;
    QElapsedTimer sinceEvents_;
    QElapsedTimer sinceShown_;
};

} // namespace vellumora
