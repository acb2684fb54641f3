#pragma once

// The print-settings dialog: paper, margins, the body frame and spaces, header and footer bands
// with their six content slots and fonts, the five free texts and the two date formats. Update
// writes them into the report settings as one undoable change of the document.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QKeyEvent;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vellumora {

class PrintSetting : public QDialog {
    Q_OBJECT
public:
    explicit PrintSetting(QWidget* parent = nullptr);
    ~PrintSetting() override;

    // The caption of the command that opened the dialog.
    QString TrayCaption;
    // False only when the dialog was closed by 更新.
    bool TrayCancel = false;

    QTabWidget* sstReportPageSetting = nullptr;
    QComboBox* cmbPageStyle = nullptr;
    // Fields 0-3 margins, 4-7 spaces (left, right, top, bottom), 8 header height, 9 footer height.
    std::array<QLineEdit*, 10> txtMarginSpace{};
    std::array<std::array<QToolButton*, 2>, 10> updMarginSpace{};  // [i][0] up, [i][1] down
    std::array<QCheckBox*, 3> chkFrame{};                         // body, header, footer
    std::array<QComboBox*, 6> cmbExplain{};
    std::array<QPushButton*, 6> cmdExplainFont{};
    std::array<QPlainTextEdit*, 5> txtText{};
    std::array<QPushButton*, 5> cmdZoom{};
    std::array<QLabel*, 5> lblText{};
    std::array<QComboBox*, 2> cmbDateFormat{};                    // update date, current date
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Shows the dialog modal; returns when it has closed.
    void ShowModal();

    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdZoom_Click(int index);
    void cmdExplainFont_Click(int index);
    void updMarginSpace_Click(int index, bool up);
    // Checks a length field as it is left; false (after the message) when it holds a bad value.
    bool txtMarginSpace_Validate(int index);
    // Up or Down arrow in a length field.
    void txtMarginSpace_Step(int index, bool up);

    // Twips shown as centimetres with one decimal, and centimetres stored as twips.
    static QString TwipsText(std::int32_t twips);
    static std::int32_t CentimetreTwips(double centimetres);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls of one tab page each, after the length fields that several pages share.
    void createLengthFields();
    // A length field in a row of grid: its caption, the field, its arrows and "cm".
    void lengthRowAdd(QGridLayout* grid, int row, const QString& caption, std::size_t field);
    void createPaperPage();
    void createCanvasPage();
    void createBandPages();
    void createTextPage();
    QLayout* createButtons();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void ExplainComboSet(QComboBox* combo, const QString& description);
    void DateFormatComboSet(QComboBox* combo, const QString& format);
    void TabEnable(int tab);

    bool firstActivation = true;
    bool dateFormatsPending = true;
    QStringList dateFormatList;
    std::array<QString, 6> slotCaption;
    std::array<QString, 6> slotFontName;
    std::array<QString, 6> slotFontSize;
    std::array<QString, 6> slotColor;
    std::array<bool, 6> slotFontBold{};
    std::array<bool, 6> slotFontItalic{};
    std::array<bool, 6> slotFontStrikethru{};
    std::array<bool, 6> slotFontUnderLine{};
    std::array<QWidget*, 5> tabPages{};
    bool loaded_ = false;
    bool closed_ = false;
};

} // namespace vellumora
