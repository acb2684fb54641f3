#pragma once

// The canvas-order dialog: the open canvases in display order, moved up and down in a grid; its
// 更新 stores the new order as one undo step.

#include "app/dialogs/TrayDialog.h"

#include <QString>

class QLabel;
class QPushButton;

namespace platform::grid {
class Grid;
}

namespace vellumora {

class CanvasSequence : public TrayDialog {
    Q_OBJECT
public:
    explicit CanvasSequence(QWidget* parent = nullptr);
    ~CanvasSequence() override;

    QString TrayCaption;

    QLabel* lblCaption = nullptr;
    // Column 1 the caption shown, column 2 the canvas's slot.
    platform::grid::Grid* sprCaption = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;

    void cmdUp_Click();
    void cmdDown_Click();
    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Exchanges the active row with the one at step (-1 up, 1 down) and keeps it active.
    void rowMove(int step);
};

// Shows the dialog for the Format menu; false when it was cancelled.
bool CanvasSequenceShow(const QString& caption);

} // namespace vellumora
