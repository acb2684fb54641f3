// The main window's menu bar: its menus, their enabling rules, the menus of the child window in
// front joining it, and the Show, Tool and Help commands.

#include "app/shell/BaseForm.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/HistoryControl.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/dialogs/BoxEditor.h"
#include "app/shell/VersionInfo.h"
#include "platform/system/System.h"
#include "platform/vbrt/Value.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

// The text of a failure code of opening a Help file.
QString HelpOpenFailure(std::int32_t code)
{
    switch (code) {
    case 2: return QStringLiteral("PDFファイルが見つかりません。");
    case 3: return QStringLiteral("PDFファイルのパスが見つかりません");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 32: return QStringLiteral("DLL not found");
    default: return QStringLiteral("PDFファイルが開けません。");
    }
}

// The caption a menu of the bar was made with, access key included.
const char* const OwnCaptionProperty = "OwnCaption";

// The access keys that the controls of a window show: of its buttons, and of its labels that
// lead to a control.
QList<QKeySequence> ControlAccessKeys(const QWidget* form)
{
    QList<QKeySequence> keys;
    if (!form)
        return keys;
    for (const QLabel* label : form->findChildren<QLabel*>())
        if (label->buddy())
            keys << QKeySequence::mnemonic(label->text());
    for (const QAbstractButton* button : form->findChildren<QAbstractButton*>())
        keys << QKeySequence::mnemonic(button->text());
    keys.removeAll(QKeySequence());
    return keys;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Composition

void BaseForm::createMenus()
{
    createFileMenu();
    createEditMenu();
    createShowMenu();
    createToolMenu();
    createHelpMenu();
    MenuBarArrange();
}

// A shortcut is shown beside its entry but acts through ShortcutRun, which applies the
// entry's enabling rule first, whatever state the menu was last opened in.
QAction* BaseForm::menuEntry(QMenu* menu, const QString& caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    if (!shortcut.isEmpty()) {
        action->setText(caption + QLatin1Char('\t') + shortcut.toString(QKeySequence::NativeText));
        auto* key = new QShortcut(shortcut, this);
        connect(key, &QShortcut::activated, this, [this, action] { ShortcutRun(action); });
    }
    return action;
}

// An entry array: hidden entries "<prefix>0", "<prefix>1", ... whose clicks pass their index.
void BaseForm::menuEntryArray(QMenu* menu, const QString& prefix, std::span<QAction*> entries, bool firstEnabled,
                              void (BaseForm::*handler)(int), const QKeySequence& firstShortcut)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QAction* a = menuEntry(menu, prefix + QString::number(i), i == 0 ? firstShortcut : QKeySequence());
        a->setVisible(false);
        a->setEnabled(firstEnabled && i == 0);
        connect(a, &QAction::triggered, this, [this, handler, i] { (this->*handler)(static_cast<int>(i)); });
        entries[i] = a;
    }
}

void BaseForm::createFileMenu()
{
    Menu_File = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    connect(Menu_File, &QMenu::aboutToShow, this, &BaseForm::Menu_File_Click);
    Menu_FileNewFile = Menu_File->addMenu(QStringLiteral("新規追加(&N)"));
    menuEntryArray(Menu_FileNewFile, QStringLiteral("新規追加"), Menu_FileNewFileObstinate, true,
                   &BaseForm::Menu_FileNewFileObstinate_Click);
    Menu_FileOpen = menuEntry(Menu_File, QStringLiteral("ﾌｧｲﾙを開く(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(Menu_FileOpen, &QAction::triggered, this, &BaseForm::Menu_FileOpen_Click);
    Menu_FileSaveOverWrite = menuEntry(Menu_File, QStringLiteral("上書き保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(Menu_FileSaveOverWrite, &QAction::triggered, this, &BaseForm::Menu_FileSaveOverWrite_Click);
    Menu_FileSaveNamed = menuEntry(Menu_File, QStringLiteral("名前を付けて保存(&A)"));
    connect(Menu_FileSaveNamed, &QAction::triggered, this, &BaseForm::Menu_FileSaveNamed_Click);
    Menu_FileAddInput = menuEntry(Menu_File, QStringLiteral("読込み(&I)"));
    connect(Menu_FileAddInput, &QAction::triggered, this, &BaseForm::Menu_FileAddInput_Click);
    menuEntryArray(Menu_File, QStringLiteral("追加"), Menu_FileAddOn, false, &BaseForm::Menu_FileAddOn_Click);
    Menu_FileRefresh = menuEntry(Menu_File, QStringLiteral("再表示(&V)"));
    connect(Menu_FileRefresh, &QAction::triggered, this, &BaseForm::Menu_FileRefresh_Click);
    Menu_FilePrintSetting = menuEntry(Menu_File, QStringLiteral("印刷設定(&U)"));
    connect(Menu_FilePrintSetting, &QAction::triggered, this, &BaseForm::Menu_FilePrintSetting_Click);
    Menu_FilePrint = menuEntry(Menu_File, QStringLiteral("印刷(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(Menu_FilePrint, &QAction::triggered, this, &BaseForm::Menu_FilePrint_Click);
    Menu_FileClose = menuEntry(Menu_File, ExitMenuCaption());
    connect(Menu_FileClose, &QAction::triggered, this, &BaseForm::Menu_FileClose_Click);
}

void BaseForm::createEditMenu()
{
    Menu_Edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    connect(Menu_Edit, &QMenu::aboutToShow, this, &BaseForm::Menu_Edit_Click);
    Menu_EditUndo = menuEntry(Menu_Edit, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(Menu_EditUndo, &QAction::triggered, this, &BaseForm::Menu_EditUndo_Click);
    Menu_EditRedo = menuEntry(Menu_Edit, QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(Menu_EditRedo, &QAction::triggered, this, &BaseForm::Menu_EditRedo_Click);
    editSeparators_[0] = Menu_Edit->addSeparator();
    Menu_EditCanvasInsert = Menu_Edit->addMenu(QStringLiteral("ｷｬﾝﾊﾞｽ追加(&N)"));
    menuEntryArray(Menu_EditCanvasInsert, QStringLiteral("ｷｬﾝﾊﾞｽ追加"), Menu_EditCanvasInsertObstinate, true,
                   &BaseForm::Menu_EditCanvasInsertObstinate_Click);
    // Deleting a canvas is a command of the canvas window's own menu.
    Menu_EditCanvasDelete = menuEntry(Menu_Edit, QStringLiteral("ｷｬﾝﾊﾞｽ削除(&M)"));
    Menu_EditCanvasDelete->setVisible(false);
    editSeparators_[1] = Menu_Edit->addSeparator();
    Menu_EditSearch = menuEntry(Menu_Edit, QStringLiteral("検索(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Menu_EditSearch, &QAction::triggered, this, &BaseForm::Menu_EditSearch_Click);
    Menu_EditSearchNext = menuEntry(Menu_Edit, QStringLiteral("次を検索"), QKeySequence(Qt::Key_F3));
    connect(Menu_EditSearchNext, &QAction::triggered, this, &BaseForm::Menu_EditSearchNext_Click);
    Menu_EditReplace = menuEntry(Menu_Edit, QStringLiteral("置換(&E)"), QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(Menu_EditReplace, &QAction::triggered, this, &BaseForm::Menu_EditReplace_Click);
}

void BaseForm::createShowMenu()
{
    Menu_Show = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    Menu_ShowToolBar = menuEntry(Menu_Show, QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"));
    Menu_ShowToolBar->setCheckable(true);
    Menu_ShowToolBar->setChecked(true);
    connect(Menu_ShowToolBar, &QAction::triggered, this, &BaseForm::Menu_ShowToolBar_Click);
    Menu_ShowStatusBar = menuEntry(Menu_Show, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"));
    Menu_ShowStatusBar->setCheckable(true);
    Menu_ShowStatusBar->setChecked(true);
    connect(Menu_ShowStatusBar, &QAction::triggered, this, &BaseForm::Menu_ShowStatusBar_Click);
}

void BaseForm::createToolMenu()
{
    Menu_Tool = menuBar()->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    Menu_Tool->menuAction()->setVisible(false);
    Menu_Tool->menuAction()->setEnabled(false);
    menuEntryArray(Menu_Tool, QStringLiteral("追加"), Menu_ToolAddOn, true, &BaseForm::Menu_ToolAddOn_Click);
}

void BaseForm::createHelpMenu()
{
    Menu_Help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    menuEntryArray(Menu_Help, QStringLiteral("ﾍﾙﾌﾟ追加"), Menu_HelpAdd, false, &BaseForm::Menu_HelpAdd_Click,
                   QKeySequence(Qt::Key_F1));
    Menu_Help->addSeparator();
    Menu_HelpVersion = menuEntry(Menu_Help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    connect(Menu_HelpVersion, &QAction::triggered, this, &BaseForm::Menu_HelpVersion_Click);
}

QString BaseForm::MenuCaption(const QAction* entry)
{
    return entry->text().section(QLatin1Char('\t'), 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Menu enabling

void BaseForm::Menu_File_Click()
{
    // As a box editor's own menus do, its File menu stops the canvases' slides.
    if (AsEditor(ActiveForm()))
        CanvasTimersStop();
    const bool opened = DocumentOpened();
    Menu_FileNewFile->menuAction()->setEnabled(true);
    Menu_FileOpen->setEnabled(true);
    Menu_FileSaveOverWrite->setEnabled(!DocumentSavePath(CurrentDocument).isEmpty());
    for (QAction* a : {Menu_FileSaveNamed, Menu_FileAddInput, Menu_FileRefresh, Menu_FilePrintSetting, Menu_FilePrint})
        a->setEnabled(opened);
    Menu_FileClose->setText(ExitMenuCaption());
    const std::vector<AddOnMenuRecord> rows = AddOnMenuList(QStringLiteral("Menu_File"));
    for (std::size_t i = 0; i < rows.size() && i < Menu_FileAddOn.size(); ++i) {
        Menu_FileAddOn[i]->setText(rows[i].caption);
        const QString& action = rows[i].action;
        Menu_FileAddOn[i]->setEnabled(action == QLatin1String("Open") ||
                                      (action == QLatin1String("AddInput") && opened));
    }
}

void BaseForm::ChildMenusFollow()
{
    QWidget* front = ActiveForm();
    CanvasForm* canvas = AsCanvas(front);
    BoxEditor* editor = AsEditor(front);
    QWidget* child = canvas ? static_cast<QWidget*>(canvas) : editor;
    // A child window that went away took its menus with it, but the main window's own menus
    // stay as it left them until they are put back here.
    if (child == menuChild_.data() && (child || !childMenusShown_))
        return;
    if (!canvasSeparators_[0]) {
        for (QAction*& separator : canvasSeparators_) {
            separator = new QAction(this);
            separator->setSeparator(true);
        }
    }
    if (auto* previous = qobject_cast<CanvasForm*>(menuChild_.data())) {
        for (QAction* a : previous->Menus().Menu_Edit->actions())
            Menu_Edit->removeAction(a);
    }
    for (QAction* separator : canvasSeparators_)
        Menu_Edit->removeAction(separator);
    menuChild_ = child;
    childMenusShown_ = child != nullptr;
    // The child's Show menu stands in for the main window's, and its File menu gives Redisplay
    // another access key.
    Menu_Show->menuAction()->setVisible(!child);
    Menu_FileRefresh->setText(child ? QStringLiteral("再表示(&R)") : QStringLiteral("再表示(&V)"));
    // A box editor's Edit menu holds the search items alone; the keys of the items it leaves
    // out (undo, redo) do nothing while it is in front.
    for (QAction* a : {Menu_EditUndo, Menu_EditRedo, editSeparators_[0], Menu_EditCanvasInsert->menuAction(),
                       editSeparators_[1]})
        a->setVisible(!editor);
    MenuBarArrange();
    if (!canvas)
        return;
    // Undo and redo stay the main window's own items, which hand over to the canvas in front.
    const CanvasForm::MenuItems& items = canvas->Menus();
    Menu_Edit->insertActions(Menu_EditCanvasInsert->menuAction(),
                             {items.Menu_EditCut, items.Menu_EditCopy, items.Menu_EditPaste, items.Menu_EditALL,
                              items.Menu_EditCopyTask, items.Menu_EditPasteTask, canvasSeparators_[0],
                              items.Menu_EditDelete, items.Menu_EditDeleteLump, canvasSeparators_[1]});
    Menu_Edit->insertAction(Menu_EditCanvasDelete, items.Menu_EditCanvasDelete);
    Menu_Edit->addActions({canvasSeparators_[2], items.Menu_EditEditor, items.Menu_EditAdd,
                           items.Menu_EditFontChange, items.Menu_EditFontChangeLump, items.Menu_EditChink,
                           items.Menu_EditConnect, items.Menu_EditNewPage, items.Menu_EditNewPageReset});
}

void BaseForm::MenuBarArrange()
{
    QList<QAction*> menus{Menu_File->menuAction(), Menu_Edit->menuAction()};
    QMenu* childWindow = nullptr;
    if (CanvasForm* canvas = AsCanvas(menuChild_.data())) {
        const CanvasForm::MenuItems& items = canvas->Menus();
        menus << items.Menu_Format->menuAction() << items.Menu_Show->menuAction();
        childWindow = items.Menu_Window;
    } else if (BoxEditor* editor = AsEditor(menuChild_.data())) {
        menus << editor->Menu_Show->menuAction();
        childWindow = editor->Menu_Window;
    }
    menus << Menu_Show->menuAction() << Menu_Tool->menuAction();
    if (childWindow)
        menus << childWindow->menuAction();
    menus << Menu_Help->menuAction();
    // The bar holds the menus it shows and no others: Qt gives a hidden menu of the bar its
    // access key all the same, and a key with two holders goes to each in turn, one press to
    // the menu shown and the next to the hidden one.
    menus.removeIf([](const QAction* menu) { return !menu->isVisible(); });
    QMenuBar* bar = menuBar();
    for (QAction* a : bar->actions())
        if (!menus.contains(a))
            bar->removeAction(a);
    for (qsizetype i = 0; i < menus.size(); ++i)
        if (bar->actions().value(i) != menus.at(i))
            bar->insertAction(bar->actions().value(i), menus.at(i));

    // For the same reason a key is either the child window's or the bar's: where a control of
    // the child in front shows the same access key as a menu (the box editor's ﾌｫﾝﾄ(&F) and
    // ﾌｧｲﾙ(&F)), the control keeps it, as the user works in that window and sees its key
    // there; the menu shows no key meanwhile and opens by a click.
    const QList<QKeySequence> taken = ControlAccessKeys(menuChild_.data());
    for (QAction* menu : menus) {
        QVariant own = menu->property(OwnCaptionProperty);
        if (!own.isValid()) {
            own = menu->text();
            menu->setProperty(OwnCaptionProperty, own);
        }
        const QString caption = own.toString();
        menu->setText(taken.contains(QKeySequence::mnemonic(caption)) ? MenuCaptionClean(caption) : caption);
    }
}

void BaseForm::Menu_Edit_Click()
{
    ChildMenusFollow();
    if (CanvasForm* canvas = AsCanvas(menuChild_.data()))
        canvas->Menu_Edit_Click();
    else if (AsEditor(menuChild_.data()))
        CanvasTimersStop();
    const bool opened = DocumentOpened();
    Menu_EditUndo->setEnabled(HistoryCanUndo());
    Menu_EditRedo->setEnabled(HistoryCanRedo());
    Menu_EditCanvasInsert->menuAction()->setEnabled(opened);
    Menu_EditSearch->setEnabled(opened);
    Menu_EditReplace->setEnabled(opened);
    Menu_EditSearchNext->setEnabled(opened && !vbrt::Trim(ApplicationGlobals.SearchSettings.SearchText).isEmpty());
}

void BaseForm::ShortcutRun(QAction* entry)
{
    if (!FormEnabled(this))
        return;
    Menu_File_Click();
    Menu_Edit_Click();
    // An entry of a submenu or menu that is disabled is as unreachable as a disabled entry.
    bool reachable = entry->isEnabled() && entry->isVisible();
    for (QObject* p = entry->parent(); reachable && p; p = p->parent())
        if (auto* menu = qobject_cast<QMenu*>(p))
            reachable = menu->menuAction()->isEnabled() && menu->menuAction()->isVisible();
    if (reachable)
        entry->trigger();
}

// ---------------------------------------------------------------------------------------------
// Show, tool and help commands

void BaseForm::Menu_ShowToolBar_Click()
{
    Command(false, false, [&] {
        // The entry's check mark has already changed when it was triggered from the menu.
        if (sender() != Menu_ShowToolBar)
            Menu_ShowToolBar->setChecked(!Menu_ShowToolBar->isChecked());
        tlbBaseForm->setVisible(Menu_ShowToolBar->isChecked());
    });
}

void BaseForm::Menu_ShowStatusBar_Click()
{
    Command(false, false, [&] {
        if (sender() != Menu_ShowStatusBar)
            Menu_ShowStatusBar->setChecked(!Menu_ShowStatusBar->isChecked());
        stbBaseForm->setVisible(Menu_ShowStatusBar->isChecked());
    });
}

void BaseForm::Menu_ToolAddOn_Click(int Index)
{
    Command(
        false, false,
        [&] {
            if (AddOnMenuAction(QStringLiteral("Menu_Tool"), static_cast<std::int16_t>(Index)) == QLatin1String("Tool") &&
                !AddOnReport(QStringLiteral("Menu_Tool"), static_cast<std::int16_t>(Index)))
                CaptionSet(QString());
        },
        true);
}

void BaseForm::Menu_HelpAdd_Click(int Index)
{
    Command(false, false, [&] {
        const std::vector<HelpMenuEntry>& help = ApplicationGlobals.HelpMenuTable;
        if (Index < 0 || static_cast<std::size_t>(Index) >= help.size())
            return;
        const QString& file = help[static_cast<std::size_t>(Index)].file;
        if (file.isEmpty())
            return;
        const std::int32_t result = platform::system::OpenWithApplication(file, ApplicationObject().Path());
        if (result <= 32)
            ErrorMessageBox(HelpOpenFailure(result) + QLatin1Char('(') + QString::number(result) + QLatin1Char(')'),
                            QString());
    });
}

void BaseForm::Menu_HelpVersion_Click()
{
    Command(false, false, [&] { VersionInfoShow(this); });
}

} // namespace vellumora
