#pragma once

// The frame-colour dialog: box frames in the font colour or in one named colour.

#include "app/dialogs/TrayDialog.h"

#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace vellumora {

class FrameSetting : public TrayDialog {
    Q_OBJECT
public:
    explicit FrameSetting(QWidget* parent = nullptr);
    ~FrameSetting() override;

    bool TrayFrameSameText = true;
    QString TrayFrameColor;
    QString TrayCaption;

    QLabel* lblFrameSameText = nullptr;
    QGroupBox* frmFrameSameText = nullptr;
    QRadioButton* optFrameSameText[2] = {nullptr, nullptr};
    QGroupBox* frmColor = nullptr;
    QLabel* lblColor = nullptr;
    QComboBox* cmbColor = nullptr;

    void optFrameSameText_Click(int Index);
    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void showEvent(QShowEvent* event) override;
};

// Shows the dialog for the Format menu; false when it was cancelled.
bool FrameSettingShow(const QString& caption, bool& sameText, QString& frameColor);

} // namespace vellumora
