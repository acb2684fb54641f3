#pragma once

// The print dialog: which canvases to output (all, all visible, the front-most, or chosen in a
// list), then a preview, a print or a PDF file of them; the print settings are one button away.

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vellumora {

class PrintCanvas : public QDialog {
    Q_OBJECT
public:
    explicit PrintCanvas(QWidget* parent = nullptr);
    ~PrintCanvas() override;

    // The caption of the menu entry that opened the dialog.
    QString TrayCaption;
    // "/P" prints and "/V" previews at the first activation; anything else runs nothing.
    QString TrayCommandOperation;

    QLabel* lblPrintRange = nullptr;
    QGroupBox* frmPrintRange = nullptr;
    std::array<QRadioButton*, 4> optPrintRange{};
    QGroupBox* frmCanvasSelect = nullptr;
    // Rows in display order: 0 the mark, 1 the caption, 2 the canvas index, 3 "1" when shown.
    QTableWidget* sprCaption = nullptr;
    QPushButton* cmdAllSelect = nullptr;
    QPushButton* cmdAllRelease = nullptr;
    QPushButton* cmdPreview = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdPDF = nullptr;
    QPushButton* cmdPrintSetting = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Shows the dialog modal; returns when it has closed.
    void ShowModal();

    // The canvases of the chosen range; empty, after the message, when none is chosen.
    std::vector<std::int16_t> SelectCanvasGet();
    // Asks for the PDF file and remembers it; true when the user cancelled.
    bool PDFFileSelect();

    void optPrintRange_Click(int index);
    void cmdPreview_Click();
    void cmdPrint_Click();
    void cmdPDF_Click();
    void cmdPrintSetting_Click();
    void cmdAllSelect_Click();
    void cmdAllRelease_Click();
    void cmdCancel_Click();

    // Whether a row's mark is set.
    bool RowMarked(int row) const;
    void RowMarkSet(int row, bool marked);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OutputRun(std::int32_t mode, QPushButton* button);
    void RowShow(int row);
    void sprCaption_GotFocus(Qt::FocusReason reason);

    std::vector<std::int16_t> listedCanvases;
    int rangeOption = 0;
    bool commandPending = false;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool closed_ = false;
    bool reshown_ = false;
    // The mouse press that gave the list the focus landed on a row.
    bool rowPressed_ = false;
};

} // namespace vellumora
