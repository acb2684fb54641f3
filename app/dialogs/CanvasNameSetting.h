#pragma once

// The canvas-name dialog: one line of at most 50 characters, with the zoom editor at hand.

#include "app/dialogs/TrayDialog.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellumora {

class CanvasNameSetting : public TrayDialog {
    Q_OBJECT
public:
    explicit CanvasNameSetting(QWidget* parent = nullptr);
    ~CanvasNameSetting() override;

    QString TrayCanvasName;

    QLabel* lblType = nullptr;
    QLineEdit* txtCanvasName = nullptr;
    QPushButton* cmdZoom = nullptr;

    void cmdZoom_Click();
    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Shows the dialog for the Format menu; false when it was cancelled.
bool CanvasNameSettingShow(QString& canvasName);

} // namespace vellumora
