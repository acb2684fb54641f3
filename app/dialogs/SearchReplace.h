#pragma once

// The search and replace dialog: modeless over the main window, which stays disabled until the
// dialog closes and hands control back. It collects the search conditions, shows one match at a
// time, replaces the match shown or every match, keeps the histories of the texts used, and
// steps out of the way of each found box.

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vellumora {

class SearchReplace : public QDialog {
    Q_OBJECT
public:
    explicit SearchReplace(QWidget* parent = nullptr);

    // False opens the dialog for searching, true for replacing; Reset returns to it.
    bool TrayReplace = false;

    // Loads the controls from the search settings and shows the dialog modeless; returns at once.
    void ShowModeless();

    QLabel* lblSearchText = nullptr;
    QComboBox* cmbSearchText = nullptr;
    QLabel* lblReplaceText = nullptr;
    QComboBox* cmbReplaceText = nullptr;
    std::array<QPushButton*, 2> cmdZoom{}; // 0 the search text, 1 the replacement
    QLabel* lblSearchMode = nullptr;
    QCheckBox* chkMatchWord = nullptr;
    QCheckBox* chkLetterSize = nullptr;
    QCheckBox* chkPatternMatching = nullptr;
    QLabel* lblBoxType = nullptr;
    QComboBox* cmbBoxType = nullptr;
    QLabel* lblSearchRange = nullptr;
    QFrame* frmSearchRange = nullptr;
    std::array<QRadioButton*, 3> optSearchRange{};
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdSearch_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdReset_Click();
    void cmdZoom_Click(int index);
    void cmdCancel_Click();
    void optSearchRange_Click(int index);
    // Esc and the close box close the dialog as Cancel does.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void textListLostFocus(QComboBox* list);
    void replaceControlsEnable(bool on);
    void CaptionRefresh();
    bool ConditionCheck();
    void OptionStore();
    bool SearchTextCheck();
    bool ReplaceTextCheck();
    bool SavableTextCheck(QComboBox* list, QLabel* label);
    void DialogPlace();
    void DialogMove(const QPoint& target);
    void FocusAfter(QWidget* button);
    // The search has run out; shownCanvas showed its last match.
    void searchEnded(std::int16_t shownCanvas);

    bool replaced_ = false;
    std::int16_t chosenRange_ = 0;
    bool unloaded_ = false;
    // Where the slide under way ends, in twips on the screen; none while the dialog rests.
    std::optional<QPoint> slideTarget_;
    // The field whose text a check refused during the command that runs.
    QWidget* refusedField_ = nullptr;
};

// Where the dialog steps to so that it no longer covers the found box, in twips on the screen:
// none when the box lies more than 360 twips away; else the nearest place beside the box, else
// the nearest screen edge clear of it, else the corner farthest from it.
std::optional<QPoint> DialogPlaceTarget(const QRect& dialog, const QRect& box, const QSize& screen);
// The same on a screen anywhere on the desktop: its edges and corners are those of that screen.
std::optional<QPoint> DialogPlaceTarget(const QRect& dialog, const QRect& box, const QRect& screen);

} // namespace vellumora
