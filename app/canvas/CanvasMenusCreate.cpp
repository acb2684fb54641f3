// The canvas window's menus made: the box, vertical-line, horizontal-line and canvas popups, and
// the Edit, Format, Show and Window menus that the main window's menu bar shows.

#include "app/canvas/CanvasForm.h"

#include "app/core/Processing.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

#include <memory>
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

CanvasForm::MenuItems& CanvasForm::Menus()
{
    if (!menus_) {
        menus_ = std::make_unique<MenuItems>();
        menusCreate();
        editMenusCreate();
    }
    return *menus_;
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
    MenuItems& m = *menus_;
    m.Menu_Box = MenuMake(this, "Menu_Box", QStringLiteral("BOXﾒﾆｭｰ"));
    m.Menu_BoxCut = menuItemAdd(m.Menu_Box, "Menu_BoxCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_BoxCut_Click);
    m.Menu_BoxCopy = menuItemAdd(m.Menu_Box, "Menu_BoxCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), &CanvasForm::Menu_BoxCopy_Click);
    m.Menu_BoxCopyTask = menuItemAdd(m.Menu_Box, "Menu_BoxCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                     &CanvasForm::Menu_BoxCopyTask_Click);
    m.Menu_Box->addSeparator();
    m.Menu_BoxDelete = menuItemAdd(m.Menu_Box, "Menu_BoxDelete", QStringLiteral("削除(&D)"), &CanvasForm::Menu_BoxDelete_Click);
    m.Menu_BoxDeleteLump = menuItemAdd(m.Menu_Box, "Menu_BoxDeleteLump", QStringLiteral("一括削除"),
                                       &CanvasForm::Menu_BoxDeleteLump_Click);
    m.Menu_Box->addSeparator();
    m.Menu_BoxEditor = menuItemAdd(m.Menu_Box, "Menu_BoxEditor", QStringLiteral("BOX編集(&E)"), &CanvasForm::Menu_BoxEditor_Click);
    m.Menu_BoxFontChange = menuItemAdd(m.Menu_Box, "Menu_BoxFontChange", QStringLiteral("ﾌｫﾝﾄ変更(&F)"),
                                       &CanvasForm::Menu_BoxFontChange_Click);
    m.Menu_BoxFontChangeLump = menuItemAdd(m.Menu_Box, "Menu_BoxFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                           &CanvasForm::Menu_BoxFontChangeLump_Click);
}

void CanvasForm::vLineMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_VLine = MenuMake(this, "Menu_VLine", QStringLiteral("縦線ﾒﾆｭｰ"));
    m.Menu_VLinePaste = menuItemAdd(m.Menu_VLine, "Menu_VLinePaste", QStringLiteral("貼り付け(&P)"),
                                    &CanvasForm::Menu_VLinePaste_Click);
    m.Menu_VLinePasteTask = menuItemAdd(m.Menu_VLine, "Menu_VLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                        &CanvasForm::Menu_VLinePasteTask_Click);
    m.Menu_VLine->addSeparator();
    m.Menu_VLineAdd = menuItemAdd(m.Menu_VLine, "Menu_VLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_VLineAdd_Click);
    m.Menu_VLineChink = menuItemAdd(m.Menu_VLine, "Menu_VLineChink", QStringLiteral("切断(&K)"),
                                    &CanvasForm::Menu_VLineChink_Click);
    m.Menu_VLineConnect = menuItemAdd(m.Menu_VLine, "Menu_VLineConnect", QStringLiteral("接続(&O)"),
                                      &CanvasForm::Menu_VLineConnect_Click);
    m.Menu_VLineNewPage = menuItemAdd(m.Menu_VLine, "Menu_VLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                      &CanvasForm::Menu_VLineNewPage_Click);
    m.Menu_VLineNewPage->setCheckable(true);
}

void CanvasForm::hLineMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_HLine = MenuMake(this, "Menu_HLine", QStringLiteral("横線ﾒﾆｭｰ"));
    m.Menu_HLineCut = menuItemAdd(m.Menu_HLine, "Menu_HLineCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_HLineCut_Click);
    m.Menu_HLineCopy = menuItemAdd(m.Menu_HLine, "Menu_HLineCopy", QStringLiteral("ｺﾋﾟｰ(&C)"),
                                   &CanvasForm::Menu_HLineCopy_Click);
    m.Menu_HLinePaste = menuItemAdd(m.Menu_HLine, "Menu_HLinePaste", QStringLiteral("貼り付け(&P)"),
                                    &CanvasForm::Menu_HLinePaste_Click);
    m.Menu_HLineCopyTask = menuItemAdd(m.Menu_HLine, "Menu_HLineCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                                       &CanvasForm::Menu_HLineCopyTask_Click);
    m.Menu_HLinePasteTask = menuItemAdd(m.Menu_HLine, "Menu_HLinePasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                                        &CanvasForm::Menu_HLinePasteTask_Click);
    m.Menu_HLine->addSeparator();
    m.Menu_HLineDeleteLump = menuItemAdd(m.Menu_HLine, "Menu_HLineDeleteLump", QStringLiteral("一括削除"),
                                         &CanvasForm::Menu_HLineDeleteLump_Click);
    m.Menu_HLine->addSeparator();
    m.Menu_HLineAdd = menuItemAdd(m.Menu_HLine, "Menu_HLineAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_HLineAdd_Click);
    m.Menu_HLineFontChangeLump = menuItemAdd(m.Menu_HLine, "Menu_HLineFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                                             &CanvasForm::Menu_HLineFontChangeLump_Click);
    m.Menu_HLineNewPage = menuItemAdd(m.Menu_HLine, "Menu_HLineNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                                      &CanvasForm::Menu_HLineNewPage_Click);
    m.Menu_HLineNewPage->setCheckable(true);
}

void CanvasForm::canvasMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_Canvas = MenuMake(this, "Menu_Canvas", QStringLiteral("ｷｬﾝﾊﾞｽ制御ﾒﾆｭｰ"));
    m.Menu_CanvasMinimized = menuItemAdd(m.Menu_Canvas, "Menu_CanvasMinimized", QStringLiteral("最小化(&N)"),
                                         &CanvasForm::Menu_CanvasMinimized_Click);
    m.Menu_CanvasNonIndication = menuItemAdd(m.Menu_Canvas, "Menu_CanvasNonIndication", QStringLiteral("非表示(&C)"),
                                             &CanvasForm::Menu_CanvasNonIndication_Click);
    m.Menu_CanvasReFresh = menuItemAdd(m.Menu_Canvas, "Menu_CanvasReFresh", QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"),
                                       &CanvasForm::Menu_CanvasReFresh_Click);
    m.Menu_Canvas->addSeparator();
    m.Menu_CanvasLeft = menuItemAdd(m.Menu_Canvas, "Menu_CanvasLeft", QStringLiteral("左へ移動(&L)"),
                                    &CanvasForm::Menu_CanvasLeft_Click);
    m.Menu_CanvasRight = menuItemAdd(m.Menu_Canvas, "Menu_CanvasRight", QStringLiteral("右へ移動(&R)"),
                                     &CanvasForm::Menu_CanvasRight_Click);
    m.Menu_CanvasUp = menuItemAdd(m.Menu_Canvas, "Menu_CanvasUp", QStringLiteral("上へ移動(&U)"), &CanvasForm::Menu_CanvasUp_Click);
    m.Menu_CanvasDown = menuItemAdd(m.Menu_Canvas, "Menu_CanvasDown", QStringLiteral("下へ移動(&D)"),
                                    &CanvasForm::Menu_CanvasDown_Click);
    m.Menu_CanvasLeft3 = menuItemAdd(m.Menu_Canvas, "Menu_CanvasLeft3", QStringLiteral("左へ移動3倍(&M)"),
                                     &CanvasForm::Menu_CanvasLeft3_Click);
    m.Menu_CanvasRight3 = menuItemAdd(m.Menu_Canvas, "Menu_CanvasRight3", QStringLiteral("右へ移動3倍(&S)"),
                                      &CanvasForm::Menu_CanvasRight3_Click);
    m.Menu_CanvasUp3 = menuItemAdd(m.Menu_Canvas, "Menu_CanvasUp3", QStringLiteral("上へ移動3倍(&V)"),
                                   &CanvasForm::Menu_CanvasUp3_Click);
    m.Menu_CanvasDown3 = menuItemAdd(m.Menu_Canvas, "Menu_CanvasDown3", QStringLiteral("下へ移動3倍(&E)"),
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
    MenuItems& m = *menus_;
    m.Menu_Edit = MenuMake(this, "Menu_Edit", QStringLiteral("編集(&E)"));
    connect(m.Menu_Edit, &QMenu::aboutToShow, this, [this] { Menu_Edit_Click(); });
    // Undo and redo keep their keys on the main window, which hands them to the canvas in front.
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditUndo, "Menu_EditUndo", QStringLiteral("元に戻す(&U)"),
                   &CanvasForm::Menu_EditUndo_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditRedo, "Menu_EditRedo", QStringLiteral("やり直し(&R)"),
                   &CanvasForm::Menu_EditRedo_Click);
    m.Menu_Edit->addSeparator();
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditCut, "Menu_EditCut", QStringLiteral("切り取り(&T)"), &CanvasForm::Menu_EditCut_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_X));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditCopy, "Menu_EditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"),
                   &CanvasForm::Menu_EditCopy_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_C));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditPaste, "Menu_EditPaste", QStringLiteral("貼り付け(&P)"),
                   &CanvasForm::Menu_EditPaste_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_V));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditALL, "Menu_EditALL", QStringLiteral("全て選択(&A)"), &CanvasForm::Menu_EditALL_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_A));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditCopyTask, "Menu_EditCopyTask", QStringLiteral("他ﾀｽｸへｺﾋﾟｰ"),
                   &CanvasForm::Menu_EditCopyTask_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditPasteTask, "Menu_EditPasteTask", QStringLiteral("他ﾀｽｸから貼り付け"),
                   &CanvasForm::Menu_EditPasteTask_Click);
    m.Menu_Edit->addSeparator();
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditDelete, "Menu_EditDelete", QStringLiteral("削除(&D)"),
                   &CanvasForm::Menu_EditDelete_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditDeleteLump, "Menu_EditDeleteLump", QStringLiteral("一括削除"),
                   &CanvasForm::Menu_EditDeleteLump_Click);
    m.Menu_Edit->addSeparator();
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditCanvasDelete, "Menu_EditCanvasDelete", QStringLiteral("ｷｬﾝﾊﾞｽ削除(&M)"),
                   &CanvasForm::Menu_EditCanvasDelete_Click);
    m.Menu_Edit->addSeparator();
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditEditor, "Menu_EditEditor", QStringLiteral("BOX編集(&E)"),
                   &CanvasForm::Menu_EditEditor_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_E));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditAdd, "Menu_EditAdd", QStringLiteral("追加(&I)"), &CanvasForm::Menu_EditAdd_Click,
                   QKeySequence(Qt::CTRL | Qt::Key_I));
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditFontChange, "Menu_EditFontChange", QStringLiteral("ﾌｫﾝﾄ変更(&F)"),
                   &CanvasForm::Menu_EditFontChange_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditFontChangeLump, "Menu_EditFontChangeLump", QStringLiteral("ﾌｫﾝﾄ一括変更(&L)"),
                   &CanvasForm::Menu_EditFontChangeLump_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditChink, "Menu_EditChink", QStringLiteral("切断(&K)"),
                   &CanvasForm::Menu_EditChink_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditConnect, "Menu_EditConnect", QStringLiteral("接続(&O)"),
                   &CanvasForm::Menu_EditConnect_Click);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditNewPage, "Menu_EditNewPage", QStringLiteral("改ﾍﾟｰｼﾞ(&G)"),
                   &CanvasForm::Menu_EditNewPage_Click);
    m.Menu_EditNewPage->setCheckable(true);
    menuBarItemAdd(m.Menu_Edit, m.Menu_EditNewPageReset, "Menu_EditNewPageReset", QStringLiteral("全改ﾍﾟｰｼﾞﾘｾｯﾄ"),
                   &CanvasForm::Menu_EditNewPageReset_Click);
}

void CanvasForm::formatMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_Format = MenuMake(this, "Menu_Format", QStringLiteral("書式(&O)"));
    connect(m.Menu_Format, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Format_Click(); }); });
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatFont, "Menu_FormatFont", QStringLiteral("標準ﾌｫﾝﾄの指定(&F)"),
                   &CanvasForm::Menu_FormatFont_Click);
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatFrameColor, "Menu_FormatFrameColor", QStringLiteral("枠の色指定(&R)"),
                   &CanvasForm::Menu_FormatFrameColor_Click);
    m.Menu_Format->addSeparator();
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatCanvasName, "Menu_FormatCanvasName", QStringLiteral("ｷｬﾝﾊﾞｽ名称(&N)"),
                   &CanvasForm::Menu_FormatCanvasName_Click);
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatCanvasSequence, "Menu_FormatCanvasSequence", QStringLiteral("ｷｬﾝﾊﾞｽ順序変更(&S)"),
                   &CanvasForm::Menu_FormatCanvasSequence_Click);
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatCanvasColor, "Menu_FormatCanvasColor", QStringLiteral("ｷｬﾝﾊﾞｽの色指定"),
                   &CanvasForm::Menu_FormatCanvasColor_Click);
    m.Menu_Format->addSeparator();
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatNoteNotShow, "Menu_FormatNoteNotShow", QStringLiteral("ｺﾒﾝﾄを表示しない(&C)"),
                   &CanvasForm::Menu_FormatNoteNotShow_Click);
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatNoteNotFrame, "Menu_FormatNoteNotFrame", QStringLiteral("ｺﾒﾝﾄに枠を表示しない(&M)"),
                   &CanvasForm::Menu_FormatNoteNotFrame_Click);
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatReplaceJump, "Menu_FormatReplaceJump", QStringLiteral("分岐に置換(&J)"),
                   &CanvasForm::Menu_FormatReplaceJump_Click);
    m.Menu_Format->addSeparator();
    menuBarItemAdd(m.Menu_Format, m.Menu_FormatEditMode, "Menu_FormatEditMode", QStringLiteral("編集ﾓｰﾄﾞ(&E)"),
                   &CanvasForm::Menu_FormatEditMode_Click);
    for (QAction* toggle : {m.Menu_FormatNoteNotShow, m.Menu_FormatNoteNotFrame, m.Menu_FormatReplaceJump, m.Menu_FormatEditMode})
        toggle->setCheckable(true);
}

void CanvasForm::showMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_Show = MenuMake(this, "Menu_Show", QStringLiteral("表示(&V)"));
    connect(m.Menu_Show, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Show_Click(); }); });
    menuBarItemAdd(m.Menu_Show, m.Menu_ShowMinimized, "Menu_ShowMinimized", QStringLiteral("最小化(&N)"),
                   &CanvasForm::Menu_ShowMinimized_Click);
    menuBarItemAdd(m.Menu_Show, m.Menu_ShowNonIndication, "Menu_ShowNonIndication", QStringLiteral("非表示(&C)"),
                   &CanvasForm::Menu_ShowNonIndication_Click);
    // Only shown: the key is the window frame's own, which closes the window, and closing hides it.
    m.Menu_ShowNonIndication->setText(m.Menu_ShowNonIndication->text() + QLatin1Char('\t') +
                                    QKeySequence(Qt::CTRL | Qt::Key_F4).toString(QKeySequence::NativeText));
    menuBarItemAdd(m.Menu_Show, m.Menu_ShowReFresh, "Menu_ShowReFresh", QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"),
                   &CanvasForm::Menu_ShowReFresh_Click);
    m.Menu_Show->addSeparator();
    menuBarItemAdd(m.Menu_Show, m.Menu_ShowToolBar, "Menu_ShowToolBar", QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"),
                   &CanvasForm::Menu_ShowToolBar_Click);
    menuBarItemAdd(m.Menu_Show, m.Menu_ShowStatusBar, "Menu_ShowStatusBar", QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"),
                   &CanvasForm::Menu_ShowStatusBar_Click);
    for (QAction* bar : {m.Menu_ShowToolBar, m.Menu_ShowStatusBar}) {
        bar->setCheckable(true);
        bar->setChecked(true);
    }
}

void CanvasForm::windowMenuCreate()
{
    MenuItems& m = *menus_;
    m.Menu_Window = MenuMake(this, "Menu_Window", QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"));
    connect(m.Menu_Window, &QMenu::aboutToShow, this, [this] { EventBoundary([this] { Menu_Window_Click(); }); });
    menuBarItemAdd(m.Menu_Window, m.Menu_WindowTileHorizontal, "Menu_WindowTileHorizontal", QStringLiteral("上下に並べて表示(&V)"),
                   &CanvasForm::Menu_WindowTileHorizontal_Click);
    menuBarItemAdd(m.Menu_Window, m.Menu_WindowTileVertical, "Menu_WindowTileVertical", QStringLiteral("左右に並べて表示(&H)"),
                   &CanvasForm::Menu_WindowTileVertical_Click);
    menuBarItemAdd(m.Menu_Window, m.Menu_WindowCascade, "Menu_WindowCascade", QStringLiteral("重ねて表示(&C)"),
                   &CanvasForm::Menu_WindowCascade_Click);
    menuBarItemAdd(m.Menu_Window, m.Menu_WindowArrangeIcons, "Menu_WindowArrangeIcons", QStringLiteral("ｱｲｺﾝの整列(&A)"),
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
