#pragma once

// The canvas-colour dialog: the background colour of every canvas, from the colour list or the
// configured default.

#include "app/dialogs/TrayDialog.h"

#include <QString>

class QComboBox;
class QLabel;

namespace vellumora {

class CanvasColor : public TrayDialog {
    Q_OBJECT
public:
    explicit CanvasColor(QWidget* parent = nullptr);
    ~CanvasColor() override;

    QString TrayCanvasColor;
    QString TrayCaption;

    QLabel* lblColor = nullptr;
    QComboBox* cmbColor = nullptr;

    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    // The list starts with the default entry only when the ini file names a default colour.
    bool defaultListed_ = false;
};

// Shows the dialog for the Format menu; false when it was cancelled.
bool CanvasColorShow(const QString& caption, QString& canvasColor);

} // namespace vellumora
