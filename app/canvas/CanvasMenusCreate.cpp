// The canvas window's menus made: the box, vertical-line, horizontal-line and canvas popups, and
// the Edit, Format, Show and Window menus that the main window's menu bar shows.

#include "app/canvas/CanvasForm.h"

#include "app/core/Processing.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

#include <utility>

namespace vellumora {

namespace {

QMenu* MenuMake(QWidget* owner, const char* name, const QString& caption)
{
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

CanvasForm::PopupRunner& PopupRunnerHook()
{
    static CanvasForm::PopupRunner runner;
    return runner;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The popups

QAction* CanvasForm::menuItemAdd(QMenu* menu, const char* name, const QString& caption, void (CanvasForm::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, [this, handler] { EventBoundary([this, handler] { (this->*handler)(); }); });
    return action;
}

void CanvasForm::menusCreate()
{
    boxMenuCreate();
    vLineMenuCreate();
    hLineMenuCreate();
    canvasMenuCreate();
}

void CanvasForm::boxMenuCreate()
{
    Menu_Box = MenuMake(this, "Menu_Box", QStringLiteral("BOXﾒﾆｭｰ"));
    Menu_BoxCut = menuItemAdd(Menu_Box, "Menu_BoxCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_BoxCut_Click);
    Menu_BoxCopy = menuItemAdd(Menu_Box, "Menu_BoxCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), &CanvasForm::Menu_BoxCopy_Click);
    Menu_BoxCopyTask = menuItemAdd(Menu_Box, "Menu_BoxCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                   &CanvasForm::Menu_BoxCopyTask_Click);
    Menu_Box->addSeparator();
    Menu_BoxDelete = menuItemAdd(Menu_Box, "Menu_BoxDelete", QStringLiteral("削除(&D)"), &CanvasForm::Menu_BoxDelete_Click);
    Menu_BoxDeleteLump = menuItemAdd(Menu_Box, "Menu_BoxDeleteLump", QStringLiteral("一括削除"),
                                     &CanvasForm::Menu_BoxDeleteLump_Click);
    Menu_Box->addSeparator();
    Menu_BoxEditor = menuItemAdd(Menu_Box, "Menu_BoxEditor", QStringLiteral("BOX編集(&E)"), &CanvasForm::Menu_BoxEditor_Click);
    Menu_BoxFontChange = menuItemAdd(Menu_Box, "Menu_BoxFontChange", QStringLiteral("ﾌｫﾝﾄ変更(&F)"),
                                     &CanvasForm::Menu_BoxFontChange_Click);
    Menu_BoxFontChangeLump = menuItemAdd(Menu_Box, "Menu_BoxFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                         &CanvasForm::Menu_BoxFontChangeLump_Click);
}

void CanvasForm::vLineMenuCreate()
{
    Menu_VLine = MenuMake(this, "Menu_VLine", QStringLiteral("縦線ﾒﾆｭｰ"));
    Menu_VLinePaste = menuItemAdd(Menu_VLine, "Menu_VLinePaste", QStringLiteral("貼り付け(&P)"),
                                  &CanvasForm::Menu_VLinePaste_Click);
    Menu_VLinePasteTask = menuItemAdd(Menu_VLine, "Menu_VLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                      &CanvasForm::Menu_VLinePasteTask_Click);
    Menu_VLine->addSeparator();
    Menu_VLineAdd = menuItemAdd(Menu_VLine, "Menu_VLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_VLineAdd_Click);
    Menu_VLineChink = menuItemAdd(Menu_VLine, "Menu_VLineChink", QStringLiteral("切断(&K)"),
                                  &CanvasForm::Menu_VLineChink_Click);
    Menu_VLineConnect = menuItemAdd(Menu_VLine, "Menu_VLineConnect", QStringLiteral("接続(&O)"),
                                    &CanvasForm::Menu_VLineConnect_Click);
    Menu_VLineNewPage = menuItemAdd(Menu_VLine, "Menu_VLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                    &CanvasForm::Menu_VLineNewPage_Click);
    Menu_VLineNewPage->setCheckable(true);
}

void CanvasForm::hLineMenuCreate()
{
    Menu_HLine = MenuMake(this, "Menu_HLine", QStringLiteral("横線ﾒﾆｭｰ"));
    Menu_HLineCut = menuItemAdd(Menu_HLine, "Menu_HLineCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_HLineCut_Click);
    Menu_HLineCopy = menuItemAdd(Menu_HLine, "Menu_HLineCopy", QStringLiteral("ｺﾋﾟｰ(&C)"),
                                 &CanvasForm::Menu_HLineCopy_Click);
    Menu_HLinePaste = menuItemAdd(Menu_HLine, "Menu_HLinePaste", QStringLiteral("貼り付け(&P)"),
                                  &CanvasForm::Menu_HLinePaste_Click);
    Menu_HLineCopyTask = menuItemAdd(Menu_HLine, "Menu_HLineCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                     &CanvasForm::Menu_HLineCopyTask_Click);
    Menu_HLinePasteTask = menuItemAdd(Menu_HLine, "Menu_HLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                      &CanvasForm::Menu_HLinePasteTask_Click);
    Menu_HLine->addSeparator();
    Menu_HLineDeleteLump = menuItemAdd(Menu_HLine, "Menu_HLineDeleteLump", QStringLiteral("一括削除"),
                                       &CanvasForm::Menu_HLineDeleteLump_Click);
    Menu_HLine->addSeparator();
    Menu_HLineAdd = menuItemAdd(Menu_HLine, "Menu_HLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_HLineAdd_Click);
    Menu_HLineFontChangeLump = menuItemAdd(Menu_HLine, "Menu_HLineFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                           &CanvasForm::Menu_HLineFontChangeLump_Click);
    Menu_HLineNewPage = menuItemAdd(Menu_HLine, "Menu_HLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                    &CanvasForm::Menu_HLineNewPage_Click);
    Menu_HLineNewPage->setCheckable(true);
}

void CanvasForm::canvasMenuCreate()
{
    Menu_Canvas = MenuMake(this, "Menu_Canvas", QStringLiteral("ｷｬﾝﾊﾞｽ制御ﾒﾆｭｰ"));
    Menu_CanvasMinimized = menuItemAdd(Menu_Canvas, "Menu_CanvasMinimized", QStringLiteral("最小化(&N)"),
                                       &CanvasForm::Menu_CanvasMinimized_Click);
    Menu_CanvasNonIndication = menuItemAdd(Menu_Canvas, "Menu_CanvasNonIndication", QStringLiteral("非表示(&C)"),
                                           &CanvasForm::Menu_CanvasNonIndication_Click);
    Menu_CanvasReFresh = menuItemAdd(Menu_Canvas, "Menu_CanvasReFresh", QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"),
                                     &CanvasForm::Menu_CanvasReFresh_Click);
    Menu_Canvas->addSeparator();
    Menu_CanvasLeft = menuItemAdd(Menu_Canvas, "Menu_CanvasLeft", QStringLiteral("左へ移動(&L)"),
                                  &CanvasForm::Menu_CanvasLeft_Click);
    Menu_CanvasRight = menuItemAdd(Menu_Canvas, "Menu_CanvasRight", QStringLiteral("右へ移動(&R)"),
                                   &CanvasForm::Menu_CanvasRight_Click);
    Menu_CanvasUp = menuItemAdd(Menu_Canvas, "Menu_CanvasUp", QStringLiteral("上へ移動(&U)"), &CanvasForm::Menu_CanvasUp_Click);
    Menu_CanvasDown = menuItemAdd(Menu_Canvas, "Menu_CanvasDown", QStringLiteral("下へ移動(&D)"),
                                  &CanvasForm::Menu_CanvasDown_Click);
    Menu_CanvasLeft3 = menuItemAdd(Menu_Canvas, "Menu_CanvasLeft3", QStringLiteral("左へ移動3倍(&M)"),
                                   &CanvasForm::Menu_CanvasLeft3_Click);
    Menu_CanvasRight3 = menuItemAdd(Menu_Canvas, "Menu_CanvasRight3", QStringLiteral("右へ移動3倍(&S)"),
                                    &CanvasForm::Menu_CanvasRight3_Click);
    Menu_CanvasUp3 = menuItemAdd(Menu_Canvas, "Menu_CanvasUp3", QStringLiteral("上へ移動3倍(&V)"),
                                 &CanvasForm::Menu_CanvasUp3_Click);
    Menu_CanvasDown3 = menuItemAdd(Menu_Canvas, "Menu_CanvasDown3", QStringLiteral("下へ移動3倍(&E)"),
                                   &CanvasForm::Menu_CanvasDown3_Click);
}

// ---------------------------------------------------------------------------------------------
// The menu-bar menus

void CanvasForm::menuBarItemAdd(QMenu* menu, QAction*& action, const char* name, const QString& caption,
                                void (CanvasForm::*handler)(), const QKeySequence& key)
{
    action = menuItemAdd(menu, name, caption, handler);
    if (!key.isEmpty()) {
        // Shown beside the item; the key itself acts through the item's enabling rule.
        action->setText(caption + QLatin1Char('\t') + key.toString(QKeySequence::NativeText));
        auto* shortcut = new QShortcut(key, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QAction* target = action;
        connect(shortcut, &QShortcut::activated, this, [this, target] { EditShortcutRun(target); });
    }
}

void CanvasForm::editMenusCreate()
{
    editMenuCreate();
    formatMenuCreate();
    showMenuCreate();
    windowMenuCreate();
}

void CanvasForm::editMenuCreate()
{
    Menu_Edit = MenuMake(this, "Menu_Edit", QStringLiteral("編集(&E)"));
    connect(Menu_Edit, &QMenu::aboutToShow, this, [this] { Menu_Edit_Click(); });
    // Undo and redo keep their keys on the main window, which hands them to the canvas in front.
    menuBarItemAdd(Menu_Edit, Menu_EditUndo, "Menu_EditUndo", QStringLiteral("元に戻す(&U)"),
                   &CanvasForm::Menu_EditUndo_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditRedo, "Menu_EditRedo", QStringLiteral("やり直し(&R)"),
                   &CanvasForm::Menu_EditRedo_Click);
    Menu_Edit->addSeparator();
    menuBarItemAdd(Menu_Edit, Menu_EditCut, "Menu_EditCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_EditCut_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_X));
    menuBarItemAdd(Menu_Edit, Menu_EditCopy, "Menu_EditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"),
                   &CanvasForm::Menu_EditCopy_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_C));
    menuBarItemAdd(Menu_Edit, Menu_EditPaste, "Menu_EditPaste", QStringLiteral("貼り付け(&P)"),
                   &CanvasForm::Menu_EditPaste_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_V));
    menuBarItemAdd(Menu_Edit, Menu_EditALL, "Menu_EditALL", QStringLiteral("全て選択(&A)"), &CanvasForm::Menu_EditALL_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_A));
    menuBarItemAdd(Menu_Edit, Menu_EditCopyTask, "Menu_EditCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                   &CanvasForm::Menu_EditCopyTask_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditPasteTask, "Menu_EditPasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                   &CanvasForm::Menu_EditPasteTask_Click);
    Menu_Edit->addSeparator();
    menuBarItemAdd(Menu_Edit, Menu_EditDelete, "Menu_EditDelete", QStringLiteral("削除(&D)"),
                   &CanvasForm::Menu_EditDelete_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditDeleteLump, "Menu_EditDeleteLump", QStringLiteral("一括削除"),
                   &CanvasForm::Menu_EditDeleteLump_Click);
    Menu_Edit->addSeparator();
    menuBarItemAdd(Menu_Edit, Menu_EditCanvasDelete, "Menu_EditCanvasDelete", QStringLiteral("ｷｬﾝﾊﾞｽ削除(&M)"),
                   &CanvasForm::Menu_EditCanvasDelete_Click);
    Menu_Edit->addSeparator();
    menuBarItemAdd(Menu_Edit, Menu_EditEditor, "Menu_EditEditor", QStringLiteral("BOX編集(&E)"),
                   &CanvasForm::Menu_EditEditor_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_E));
    menuBarItemAdd(Menu_Edit, Menu_EditAdd, "Menu_EditAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_EditAdd_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_I));
    menuBarItemAdd(Menu_Edit, Menu_EditFontChange, "Menu_EditFontChange", QStringLiteral("ﾌｫﾝﾄ変更(&F)"),
                   &CanvasForm::Menu_EditFontChange_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditFontChangeLump, "Menu_EditFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                   &CanvasForm::Menu_EditFontChangeLump_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditChink, "Menu_EditChink", QStringLiteral("切断(&K)"),
                   &CanvasForm::Menu_EditChink_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditConnect, "Menu_EditConnect", QStringLiteral("接続(&O)"),
                   &CanvasForm::Menu_EditConnect_Click);
    menuBarItemAdd(Menu_Edit, Menu_EditNewPage, "Menu_EditNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                   &CanvasForm::Menu_EditNewPage_Click);
    Menu_EditNewPage->setCheckable(true);
    menuBarItemAdd(Menu_Edit, Menu_EditNewPageReset, "Menu_EditNewPageReset", QStringLiteral("全改ﾍﾟｰｼﾞﾘｾｯﾄ"),
                   &CanvasForm::Menu_EditNewPageReset_Click);
}

void CanvasForm::formatMenuCreate()
{
    Menu_Format = MenuMake(this, "Menu_Format", QStringLiteral("書式(&O)"));
    connect(Menu_Format, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Format_Click(); }); });
    menuBarItemAdd(Menu_Format, Menu_FormatFont, "Menu_FormatFont", QStringLiteral("標準ﾌｫﾝﾄの指定(&F)"),
                   &CanvasForm::Menu_FormatFont_Click);
    menuBarItemAdd(Menu_Format, Menu_FormatFrameColor, "Menu_FormatFrameColor", QStringLiteral("枠の色指定(&R)"),
                   &CanvasForm::Menu_FormatFrameColor_Click);
    Menu_Format->addSeparator();
    menuBarItemAdd(Menu_Format, Menu_FormatCanvasName, "Menu_FormatCanvasName", QStringLiteral("ｷｬﾝﾊﾞｽ名称(&N)"),
                   &CanvasForm::Menu_FormatCanvasName_Click);
    menuBarItemAdd(Menu_Format, Menu_FormatCanvasSequence, "Menu_FormatCanvasSequence", QStringLiteral("ｷｬﾝﾊﾞｽ順序変更(&S)"),
                   &CanvasForm::Menu_FormatCanvasSequence_Click);
    menuBarItemAdd(Menu_Format, Menu_FormatCanvasColor, "Menu_FormatCanvasColor", QStringLiteral("ｷｬﾝﾊﾞｽの色指定"),
                   &CanvasForm::Menu_FormatCanvasColor_Click);
    Menu_Format->addSeparator();
    menuBarItemAdd(Menu_Format, Menu_FormatNoteNotShow, "Menu_FormatNoteNotShow", QStringLiteral("ｺﾒﾝﾄを表示しない(&C)"),
                   &CanvasForm::Menu_FormatNoteNotShow_Click);
    menuBarItemAdd(Menu_Format, Menu_FormatNoteNotFrame, "Menu_FormatNoteNotFrame", QStringLiteral("ｺﾒﾝﾄに枠を表示しない(&M)"),
                   &CanvasForm::Menu_FormatNoteNotFrame_Click);
    menuBarItemAdd(Menu_Format, Menu_FormatReplaceJump, "Menu_FormatReplaceJump", QStringLiteral("分岐に置換(&J)"),
                   &CanvasForm::Menu_FormatReplaceJump_Click);
    Menu_Format->addSeparator();
    menuBarItemAdd(Menu_Format, Menu_FormatEditMode, "Menu_FormatEditMode", QStringLiteral("編集ﾓｰﾄﾞ(&E)"),
                   &CanvasForm::Menu_FormatEditMode_Click);
    for (QAction* toggle : {Menu_FormatNoteNotShow, Menu_FormatNoteNotFrame, Menu_FormatReplaceJump, Menu_FormatEditMode})
        toggle->setCheckable(true);
}

void CanvasForm::showMenuCreate()
{
    Menu_Show = MenuMake(this, "Menu_Show", QStringLiteral("表示(&V)"));
    connect(Menu_Show, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Show_Click(); }); });
    menuBarItemAdd(Menu_Show, Menu_ShowMinimized, "Menu_ShowMinimized", QStringLiteral("最小化(&N)"),
                   &CanvasForm::Menu_ShowMinimized_Click);
    menuBarItemAdd(Menu_Show, Menu_ShowNonIndication, "Menu_ShowNonIndication", QStringLiteral("非表示(&C)"),
                   &CanvasForm::Menu_ShowNonIndication_Click);
    // Only shown: the key is the window frame's own, which closes the window, and closing hides it.
    Menu_ShowNonIndication->setText(Menu_ShowNonIndication->text() + QLatin1Char('\t') +
                                    QKeySequence(Qt::CTRL | Qt::Key_F4).toString(QKeySequence::NativeText));
    menuBarItemAdd(Menu_Show, Menu_ShowReFresh, "Menu_ShowReFresh", QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"),
                   &CanvasForm::Menu_ShowReFresh_Click);
    Menu_Show->addSeparator();
    menuBarItemAdd(Menu_Show, Menu_ShowToolBar, "Menu_ShowToolBar", QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"),
                   &CanvasForm::Menu_ShowToolBar_Click);
    menuBarItemAdd(Menu_Show, Menu_ShowStatusBar, "Menu_ShowStatusBar", QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"),
                   &CanvasForm::Menu_ShowStatusBar_Click);
    for (QAction* bar : {Menu_ShowToolBar, Menu_ShowStatusBar}) {
        bar->setCheckable(true);
        bar->setChecked(true);
    }
}

void CanvasForm::windowMenuCreate()
{
    Menu_Window = MenuMake(this, "Menu_Window", QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"));
    connect(Menu_Window, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Window_Click(); }); });
    menuBarItemAdd(Menu_Window, Menu_WindowTileHorizontal, "Menu_WindowTileHorizontal", QStringLiteral("上下に並べて表示(&V)"),
                   &CanvasForm::Menu_WindowTileHorizontal_Click);
    menuBarItemAdd(Menu_Window, Menu_WindowTileVertical, "Menu_WindowTileVertical", QStringLiteral("左右に並べて表示(&H)"),
                   &CanvasForm::Menu_WindowTileVertical_Click);
    menuBarItemAdd(Menu_Window, Menu_WindowCascade, "Menu_WindowCascade", QStringLiteral("重ねて表示(&C)"),
                   &CanvasForm::Menu_WindowCascade_Click);
    menuBarItemAdd(Menu_Window, Menu_WindowArrangeIcons, "Menu_WindowArrangeIcons", QStringLiteral("ｱｲｺﾝの整列(&A)"),
                   &CanvasForm::Menu_WindowArrangeIcons_Click);
}

// ---------------------------------------------------------------------------------------------
// Showing a popup

void CanvasForm::SetPopupRunner(PopupRunner runner)
{
    PopupRunnerHook() = std::move(runner);
}

void CanvasForm::popupShow(QMenu* menu)
{
    const QPoint at = QCursor::pos();
    if (PopupRunnerHook())
        PopupRunnerHook()(menu, at);
    else
        menu->exec(at);
}

} // namespace vellumora
