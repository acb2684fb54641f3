#pragma once

// The box editor: a modeless child window of the main window in which one box is edited (its
// kind, text, font and colour, the loop-test side, the cases of a branch, the frame of a
// free-style box). It reads the box from its session's put file and hands the result back through
// the get file; every way of closing it hands its session back exactly once.

#include "app/core/BoxEditorTray.h"
#include "app/core/DiagramRecords.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace platform::grid {
class Grid;
class GridModel;
} // namespace platform::grid

namespace vellumora {

// Columns of the case grid.
namespace CaseColumn {
constexpr int Text = 1;      // the case text
constexpr int Zoom = 2;      // button "ｽﾞｰﾑ"
constexpr int Operation = 3; // drop-down "更新", "削除", "上へ", "下へ"
constexpr int Shown = 4;     // the case number, "追" for a new case
constexpr int Number = 5;    // the number that names the case in the get file (hidden)
constexpr int Deleted = 6;   // "1" marked for deletion (hidden)
constexpr int Added = 7;     // "1" added in this editing (hidden)
} // namespace CaseColumn

// The case grid's rules, on its cells alone.
void CaseGridSetup(platform::grid::GridModel& grid);
// A new last row: empty text, "更新", shown "追", numbered with the new row count.
void CaseRowAdd(platform::grid::GridModel& grid, std::int32_t buttonColor);
// The drop-down choice of a row: keep, mark for deletion, move up, move down. Returns the row
// that is current afterwards.
int CaseRowOperation(platform::grid::GridModel& grid, int row);
// Exchanges one column between two rows: the drop-down choice for the operation column, else the text.
void CaseRowSwap(platform::grid::GridModel& grid, int col, int rowA, int rowB);
// The case records of the get file, elements 1.. of records (element 0 stays): one per row,
// "delete" winning over "insert" over "update"; an empty grid gives one new empty case 1.
void CaseRecordsMake(const platform::grid::GridModel& grid, std::vector<PadInfoRecord>& records);

// The preview of a free-style frame: named elements, each shown or hidden.
class FreeStylePreview : public QWidget {
public:
    explicit FreeStylePreview(QWidget* parent = nullptr);

    struct Element {
        QString tag;       // attribute name and value name ("LeftLineOn"); empty for the guides
        bool visible = false;
        bool shape = false; // a corner shape (square or arc) rather than a line
        int kind = 0;       // shapes: 0 square, 1 arc quarter (corner 0..3 in arc)
        int corner = 0;
        QLine line;
    };
    std::map<QString, Element> elements;

    void SetVisible(const QString& name, bool visible);
    bool IsVisible(const QString& name) const;
    // Every element to its state at load: all hidden but the guides and the corner Off shapes.
    void Reset();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The Tray members are set by the session before the window is shown.
class BoxEditor : public QWidget, public BoxEditorTray {
    Q_OBJECT
public:
    explicit BoxEditor(QWidget* parent = nullptr);
    ~BoxEditor() override;

    // Shows the window in the main window's workspace (top-level without one): loads it and runs
    // its first activation.
    void Show();
    // Closes the window for good; the session is handed back as cancelled unless it was already.
    // A second call does nothing. The window is destroyed when control returns to the event loop.
    void Unload();
    QString Caption() const;

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void cmbBoxType_Click();
    void cmbFontName_Click();
    void cmbFontSize_Click();
    void cmbColor_Click();
    void chkFont_Click();
    void cmdZoom_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdInsert_Click();
    void cmdFreeStyle_Click(int Index);
    void sprCase_ButtonClicked(int col, int row);
    void sprCase_ComboSelChange(int col, int row);
    void sprCase_GotFocus();
    void sprCase_LeaveCell(int col, int row, int newCol, int newRow);
    void sprCase_Advance(bool forward);

    // Controls.
    QLabel* lblBoxType;
    QComboBox* cmbBoxType;
    QLabel* lblText;
    QPlainTextEdit* txtText;
    QPushButton* cmdZoom;
    QLabel* lblFont;
    QComboBox* cmbFontName;
    QLabel* lblSize;
    QComboBox* cmbFontSize;
    QCheckBox* chkFontBold;
    QCheckBox* chkFontItalic;
    QCheckBox* chkFontStrikethru;
    QCheckBox* chkFontUnderLine;
    QLabel* lblColor;
    QComboBox* cmbColor;
    QGroupBox* frmLoop;
    QLabel* lblLoop;
    std::array<QRadioButton*, 2> optLoop{};
    QLabel* lblCase;
    platform::grid::Grid* sprCase;
    QPushButton* cmdInsert;
    QGroupBox* frmFree;
    QLabel* lblFree;
    std::array<QPushButton*, 9> cmdFreeStyle{};
    FreeStylePreview* preview;
    QPushButton* cmdUpdate;
    QPushButton* cmdCancel;

    // The menus of its own, which the main window's menu bar shows while the editor is in front.
    // The File, Edit, Tool and Help commands are the main window's: its bar keeps those menus,
    // the Edit menu with the search items alone.
    QMenu* Menu_Show;
    QAction* Menu_ShowMinimized;
    QAction* Menu_ShowBoxClose;
    QAction* Menu_ShowReFresh;
    QAction* Menu_ShowToolBar;
    QAction* Menu_ShowStatusBar;
    QMenu* Menu_Window;

    // State, readable for tests.
    const std::vector<PadInfoRecord>& EditRecords() const { return editRecords_; }
    const TagTableRecord& SelectedKindRow() const { return selectedKindRow_; }
    const TagTableRecord& InitialKindRow() const { return initialKindRow_; }
    std::int16_t BoxTypeMode() const { return boxTypeMode_; }
    const std::vector<std::uint8_t>& StyleValues() const { return styleValues_; }
    bool EditFinished() const { return editFinished_; }
    // The box text as the session reads it, lines joined by CR LF.
    QString BoxText() const;
    void SetBoxText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    // One group of controls each, with its handlers connected; the caller places what it returns.
    QLayout* createFieldControls();
    QLayout* createCasePanel();
    QGroupBox* createLoopPanel();
    QGroupBox* createFreePanel();
    QLayout* createButtons();
    void tabOrderSet();
    void createMenus();
    // The cases of the loaded box into the grid, and the frame values of its style lines.
    void CaseGridLoad();
    void FreeStyleLoad(const QString& style);
    // The checks of Update, the loss of sub levels asked about; the text may gain its blank and
    // tagId is the kind to write.
    bool UpdateAccepted(QString& text, std::int32_t& tagId);
    // The box and its cases, as the controls hold them, into the records of the get file.
    void EditRecordsMake(const QString& text, std::int32_t tagId);
    void BoxTypeModeSet();
    // Whether the kind may be chosen for the box under the canvas's kinds and the editing mode.
    bool BoxTypeAllowed(std::int32_t tagId) const;
    // True when the kind of the list entry may be chosen now; else the refusal is shown.
    bool KindAccepted(int index);
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Enter presses Update (the window's default button) unless the text box, where it starts a
    // new line, or the case grid has the focus.
    bool EnterPressesUpdate() const;
    void SessionReturn(bool cancel);
    void MenusRefresh();
    void WindowMenuFill();
    // On closing: the canvas window of the edited box becomes the active window again.
    void CanvasWindowFront();
    void PanelsEnable();
    QWidget* frame() const;
    // Runs a handler as a command of this window (busy protocol, errors shown).
    void Command(const std::function<void()>& work);

    std::vector<PadInfoRecord> editRecords_;
    TagTableRecord selectedKindRow_;
    TagTableRecord initialKindRow_;
    std::int16_t boxTypeMode_ = 0;
    std::vector<std::uint8_t> styleValues_;
    bool editFinished_ = false;
    bool firstActivate_ = true;
    bool zoomReturn_ = false;
    QString lastButtonName_;
    bool unloaded_ = false;
    static const std::array<std::array<const char*, 2>, 4> FreeSegmentNames;
};

// A new editor for a session, given the tray and shown (the window step of BoxEditorLink).
QWidget* BoxEditorShow(const BoxEditorTray& tray);

} // namespace vellumora
