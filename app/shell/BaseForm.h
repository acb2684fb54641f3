#pragma once

// The main window: the workspace that holds the canvas windows and box editors, with the menu
// bar of the document commands, the tool bar with its font controls, and the status bar.

#include "platform/commondialog/CommonDialog.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <span>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

namespace platform::statusbar {
class StatusPanels;
}

namespace vellumora {

class BoxEditor;
class CanvasForm;
class WorkspaceScroll;

class BaseForm : public QMainWindow {
    Q_OBJECT
public:
    explicit BaseForm(QWidget* parent = nullptr);
    ~BaseForm() override;

    // Arranges the child windows: 0 cascade, 1 tile horizontally, 2 tile vertically, 3 line up
    // the minimised ones.
    void FormArrange(int arrangement);
    // The title: "Vellumora", the document's file name in brackets, and the text of an open
    // dialog ("" for none).
    void CaptionSet(const QString& captionText);
    // Called by the search dialog as it closes: ends the busy state it left, activates the main
    // window again and, when asked, redisplays every canvas.
    void RegainLeadership(bool ReDrawIndicate);
    // The tool-bar buttons and font controls as the active window allows.
    void ToolBarArrange();
    // Recomputes the workspace geometry and sets up its scroll strips.
    void ScrollBarArrange();
    // Runs whenever the main window becomes the active window: rebuilds the menu entries that
    // come from the ini file, the chart kinds and the add-ons, acts on the command line the
    // first time, and ends the busy state.
    void MDIForm_Activate();

    // The document commands; the canvas windows and box editors forward their menus to these.
    void Menu_FileNewFileObstinate_Click(int Index);
    void Menu_FileOpen_Click();
    void Menu_FileSaveOverWrite_Click();
    void Menu_FileSaveNamed_Click();
    void Menu_FileAddInput_Click();
    void Menu_FileAddOn_Click(int Index);
    void Menu_FileRefresh_Click();
    void Menu_FilePrintSetting_Click();
    void Menu_FilePrint_Click();
    void Menu_FileClose_Click();
    void Menu_EditUndo_Click();
    void Menu_EditRedo_Click();
    void Menu_EditCanvasInsertObstinate_Click(int Index);
    void Menu_EditSearch_Click();
    void Menu_EditSearchNext_Click();
    void Menu_EditReplace_Click();
    void Menu_ShowToolBar_Click();
    void Menu_ShowStatusBar_Click();
    void Menu_ToolAddOn_Click(int Index);
    void Menu_HelpAdd_Click(int Index);
    void Menu_HelpVersion_Click();

    // The enabling rules, run whenever the File or the Edit menu opens and before a shortcut acts.
    void Menu_File_Click();
    void Menu_Edit_Click();
    // The menu bar follows the window in front: a canvas window adds its Edit items and its
    // Format and Window menus, and its Show menu takes the place of the main window's; a box
    // editor's Show and Window menus do the same, and its Edit menu holds the search items alone.
    void ChildMenusFollow();
    // The bar's menus in their order, those shown and no others, and their access keys.
    void MenuBarArrange();

    // True while the search and replace dialog is open (the dialog sets and clears it).
    bool SearchReplaceShow = false;

    // The front child window (canvas window or box editor), or none.
    QWidget* ActiveForm() const;
    // A status-bar panel's text by its key ("FocusCanvas", "EditMode", ...).
    QString StatusPanelText(const QString& key) const;
    // The tool-bar entry of a button key ("Open", "Bold", "FontName", ...); none for an unknown key.
    QAction* ToolButton(const QString& key) const;
    // A menu entry's caption, without the shortcut shown beside it.
    static QString MenuCaption(const QAction* entry);

    // The window's parts.
    QMdiArea* workspace;
    // The same workspace with its scroll strips.
    WorkspaceScroll* workspaceScroll;
    QMenu* Menu_File;
    QMenu* Menu_FileNewFile;
    std::array<QAction*, 5> Menu_FileNewFileObstinate{};
    QAction* Menu_FileOpen;
    QAction* Menu_FileSaveOverWrite;
    QAction* Menu_FileSaveNamed;
    QAction* Menu_FileAddInput;
    std::array<QAction*, 10> Menu_FileAddOn{};
    QAction* Menu_FileRefresh;
    QAction* Menu_FilePrintSetting;
    QAction* Menu_FilePrint;
    QAction* Menu_FileClose;
    QMenu* Menu_Edit;
    QAction* Menu_EditUndo;
    QAction* Menu_EditRedo;
    QMenu* Menu_EditCanvasInsert;
    std::array<QAction*, 5> Menu_EditCanvasInsertObstinate{};
    QAction* Menu_EditCanvasDelete;
    QAction* Menu_EditSearch;
    QAction* Menu_EditSearchNext;
    QAction* Menu_EditReplace;
    QMenu* Menu_Show;
    QAction* Menu_ShowToolBar;
    QAction* Menu_ShowStatusBar;
    QMenu* Menu_Tool;
    std::array<QAction*, 10> Menu_ToolAddOn{};
    QMenu* Menu_Help;
    std::array<QAction*, 10> Menu_HelpAdd{};
    QAction* Menu_HelpVersion;
    QToolBar* tlbBaseForm;
    QComboBox* cmbFontName;
    QComboBox* cmbFontSize;
    QComboBox* cmbColor;
    QStatusBar* stbBaseForm;
    QTimer* timBaseForm;
    QTimer* timBaseFormSlide;
    platform::commondialog::CommonDialog dlgPrint;

signals:
    // The close went ahead: the program ends.
    void Unloaded();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Link;

    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createShowMenu();
    void createToolMenu();
    void createHelpMenu();
    QAction* menuEntry(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {});
    void menuEntryArray(QMenu* menu, const QString& prefix, std::span<QAction*> entries, bool firstEnabled,
                        void (BaseForm::*handler)(int), const QKeySequence& firstShortcut = {});
    void createToolBar();
    void createStatusBar();
    // A panel's text; while panel texts are held, it is shown when the last hold ends.
    void PanelTextSet(const QString& key, const QString& text);
    // While one lives, the panels show no new text: each text shown lays out every panel again,
    // measuring every text. They nest.
    class PanelTextsHeld {
    public:
        explicit PanelTextsHeld(BaseForm* form);
        ~PanelTextsHeld();
        PanelTextsHeld(const PanelTextsHeld&) = delete;
        PanelTextsHeld& operator=(const PanelTextsHeld&) = delete;

    private:
        BaseForm* form_;
    };
    void Form_Load();
    bool QueryUnload();
    void CommandLineOpen();
    // The first activation, from the event loop, unless the window has been activated by then.
    void FirstActivationLater();

    // Runs a command between ProcessingStart and ProcessingEnd: the search highlight removed
    // first when asked, the box editors checked when asked, and any error shown by the error
    // rule of the file commands.
    void Command(bool hideHighlight, bool checkEditors, const std::function<void()>& work, bool force = false);
    // Undo (true) or redo (false), of the canvas window in front or of the whole document.
    void HistoryStep(bool undo);
    // ProcessingEnd on the main window; an error of its own is shown.
    void CommandEnd(bool force = false);
    void SearchDialogShow(bool replace);
    bool SavePrompt();
    // The save-as dialog, then the save; false when the dialog was declined. A failed save keeps
    // the document's old name.
    bool SaveUnderNewName();
    void DocumentOpen(const QString& path);
    void DocumentAppend(const QString& path, const QString& caption);
    void DocumentDrop();

    void ShortcutRun(QAction* entry);
    void tlbBaseForm_ButtonClick(const QString& key);
    void StyleButtonClick(const QString& key, bool pressed);
    void ComboClick(QComboBox* combo);
    bool ComboKeyDown(QComboBox* combo, int keyCode);
    void ComboLostFocus(QComboBox* combo);
    QString& ComboVariable(QComboBox* combo);
    // The canvas window the font controls describe, while it is still the one to apply to.
    CanvasForm* FontTarget() const;
    void FocusActiveForm();
    // The status bar, the menus and the tool bar follow the child window in front.
    void ActiveChildFollow();
    // The child in front was hidden: the one before it comes to the front, or none.
    void FrontWindowHidden();
    // The "FocusCanvas" panel names the child window in front and follows its caption.
    void FocusCaptionFollow();
    void Form_Resize();

    static int Pixels(int twips);
    // The child window as a canvas window; none for a box editor and for no window.
    static CanvasForm* AsCanvas(QWidget* form);
    // The child window as a box editor; none for a canvas window and for no window.
    static BoxEditor* AsEditor(QWidget* form);

    std::unique_ptr<Link> link_;
    std::map<QString, QAction*> toolButtons_;
    platform::statusbar::StatusPanels* panels_ = nullptr;
    QMetaObject::Connection focusCaption_;
    QPointer<CanvasForm> fontCanvas_;
    // The child window whose menus the menu bar shows (none once it has gone), whether the bar
    // still shows a child's menus, and the separators between a canvas window's Edit items.
    QPointer<QWidget> menuChild_;
    bool childMenusShown_ = false;
    std::array<QAction*, 3> canvasSeparators_{};
    // The separators of the main window's own Edit menu, which a box editor's leaves out.
    std::array<QAction*, 2> editSeparators_{};
    QTimer* clock_ = nullptr;
    // Panel texts not yet shown, by key, and the number of holds.
    std::map<QString, QString> panelsPending_;
    int panelsHeld_ = 0;
    bool FirstActivation = true;
    bool ComboEventSkip = false;
    bool activating_ = false;
};

// The main window while it exists.
BaseForm* BaseFormWindow();

// Shows the main window and runs the program's events until it has closed.
int BaseFormRun();

} // namespace vellumora
