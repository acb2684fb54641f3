// The box editor's menu bar: the main window's commands, reachable from the editor, and its own.

#include "app/dialogs/BoxEditor.h"

#include "app/core/AddOnHooks.h"

#include "app/core/ApplicationGlobals.h"

#include "app/core/CanvasSurface.h"

#include "app/core/MainMenuLink.h"


#include "app/core/Processing.h"

#include "app/core/Utilities.h"

#include <QMenu>

#include <QMenuBar>

namespace vellumora {

void BoxEditor::createMenus()
{
    // An item runs the main window's handler of its own name.
    auto forward = [](QMenu* menu, const QString& caption, const QString& handler, int index = -1,
                      const QString& key = {}) {
        QAction* action = menu->addAction(key.isEmpty() ? caption : caption + QLatin1Char('\t') + key);
        QObject::connect(action, &QAction::triggered, menu, [handler, index] {
            if (MainMenuLink* main = MainMenu())
                main->MenuRun(handler, index);
        });
        return action;
    };
    auto own = [this](QMenu* menu, const QString& caption, const std::function<void()>& run, const QString& key = {}) {
        QAction* action = menu->addAction(key.isEmpty() ? caption : caption + QLatin1Char('\t') + key);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    auto hiddenArray = [&](QMenu* menu, auto& items, const QString& handler, const QString& firstKey = {}) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            items[i] = forward(menu, QString(), handler, static_cast<int>(i), i == 0 ? firstKey : QString());
            items[i]->setVisible(false);
        }
    };
    // The main window's shortcuts run the same handlers: the keys are only shown here.
    Menu_File = menuBar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    connect(Menu_File, &QMenu::aboutToShow, this, &BoxEditor::Menu_File_Click);
    Menu_FileNewFile = Menu_File->addMenu(QStringLiteral("新規追加(&N)"));
    hiddenArray(Menu_FileNewFile, Menu_FileNewFileObstinate, QStringLiteral("Menu_FileNewFileObstinate_Click"));
    Menu_FileOpen = forward(Menu_File, QStringLiteral("ﾌｧｲﾙを開く(&O)"), QStringLiteral("Menu_FileOpen_Click"), -1,
                            QStringLiteral("Ctrl+O"));
    Menu_FileSaveOverWrite = forward(Menu_File, QStringLiteral("上書き保存(&S)"),
                                     QStringLiteral("Menu_FileSaveOverWrite_Click"), -1, QStringLiteral("Ctrl+S"));
    Menu_FileSaveNamed = forward(Menu_File, QStringLiteral("名前を付けて保存(&A)"), QStringLiteral("Menu_FileSaveNamed_Click"));
    Menu_FileAddInput = forward(Menu_File, QStringLiteral("読込み(&I)"), QStringLiteral("Menu_FileAddInput_Click"));
    hiddenArray(Menu_File, Menu_FileAddOn, QStringLiteral("Menu_FileAddOn_Click"));
    Menu_FileRefresh = forward(Menu_File, QStringLiteral("再表示(&R)"), QStringLiteral("Menu_FileRefresh_Click"));
    Menu_FilePrintSetting = forward(Menu_File, QStringLiteral("印刷設定(&U)"), QStringLiteral("Menu_FilePrintSetting_Click"));
    Menu_FilePrint = forward(Menu_File, QStringLiteral("印刷(&P)"), QStringLiteral("Menu_FilePrint_Click"), -1,
                             QStringLiteral("Ctrl+P"));
    Menu_FileClose = forward(Menu_File, ExitMenuCaption(), QStringLiteral("Menu_FileClose_Click"));

    Menu_Edit = menuBar->addMenu(QStringLiteral("編集(&E)"));
    connect(Menu_Edit, &QMenu::aboutToShow, this, [] { CanvasTimersStop(); });
    forward(Menu_Edit, QStringLiteral("検索(&F)"), QStringLiteral("Menu_EditSearch_Click"), -1, QStringLiteral("Ctrl+F"));
    forward(Menu_Edit, QStringLiteral("次を検索"), QStringLiteral("Menu_EditSearchNext_Click"), -1, QStringLiteral("F3"));
    forward(Menu_Edit, QStringLiteral("置換(&E)"), QStringLiteral("Menu_EditReplace_Click"), -1, QStringLiteral("Ctrl+H"));

    Menu_Show = menuBar->addMenu(QStringLiteral("表示(&V)"));
    connect(Menu_Show, &QMenu::aboutToShow, this, [] { CanvasTimersStop(); });
    Menu_ShowMinimized = own(Menu_Show, QStringLiteral("最小化(&N)"), [this] { frame()->showMinimized(); });
    Menu_ShowBoxClose = own(Menu_Show, QStringLiteral("Box編集を閉じる(&C)"), [this] { Unload(); }, QStringLiteral("Ctrl+F4"));
    Menu_ShowReFresh = own(Menu_Show, QStringLiteral("ﾘﾌﾚｯｼｭ(&F)"), [this] { frame()->showNormal(); });
    Menu_Show->addSeparator();
    auto checkedForward = [&](const QString& caption, const QString& item) {
        QAction* action = Menu_Show->addAction(caption);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [action, item] {
            if (MainMenuLink* main = MainMenu()) {
                main->MenuRun(item + QStringLiteral("_Click"), -1);
                action->setChecked(main->MenuChecked(item));
            }
        });
        return action;
    };
    Menu_ShowToolBar = checkedForward(QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"), QStringLiteral("Menu_ShowToolBar"));
    Menu_ShowStatusBar = checkedForward(QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ表示(&S)"), QStringLiteral("Menu_ShowStatusBar"));

    Menu_Tool = menuBar->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    Menu_Tool->menuAction()->setVisible(false);
    hiddenArray(Menu_Tool, Menu_ToolAddOn, QStringLiteral("Menu_ToolAddOn_Click"));

    Menu_Window = menuBar->addMenu(QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"));
    connect(Menu_Window, &QMenu::aboutToShow, this, [this] {
        CanvasTimersStop();
        WindowMenuFill();
    });

    Menu_Help = menuBar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    hiddenArray(Menu_Help, Menu_HelpAdd, QStringLiteral("Menu_HelpAdd_Click"), QStringLiteral("F1"));
    Menu_Help->addSeparator();
    forward(Menu_Help, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), QStringLiteral("Menu_HelpVersion_Click"));
    WindowMenuFill();
}

void BoxEditor::WindowMenuFill()
{
    Menu_Window->clear();
    const std::pair<const char*, int> arrangements[] = {
        {"上下に並べて表示(&V)", 1}, {"左右に並べて表示(&H)", 2}, {"重ねて表示(&C)", 0}, {"ｱｲｺﾝの整列(&A)", 3}};
    for (const auto& [caption, arrangement] : arrangements) {
        QAction* action = Menu_Window->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, [this, arrangement = arrangement] {
            Command([arrangement] {
                if (MainMenuLink* main = MainMenu())
                    main->FormArrange(arrangement);
            });
        });
    }
    WindowListFill(Menu_Window, this);
}

void BoxEditor::MenusRefresh()
{
    if (MainMenuLink* main = MainMenu()) {
        Menu_ShowToolBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowToolBar")));
        Menu_ShowStatusBar->setChecked(main->MenuChecked(QStringLiteral("Menu_ShowStatusBar")));
    }
    FocusCanvasShow(Caption());
    const std::vector<AddOnMenuRecord> files = AddOnMenuList(QStringLiteral("Menu_File"));
    for (std::size_t i = 0; i < files.size() && i < Menu_FileAddOn.size(); ++i) {
        Menu_FileAddOn[i]->setText(files[i].caption);
        Menu_FileAddOn[i]->setVisible(true);
    }
    const std::vector<AddOnMenuRecord> tools = AddOnMenuList(QStringLiteral("Menu_Tool"));
    Menu_Tool->setEnabled(!tools.empty());
    Menu_Tool->menuAction()->setVisible(!tools.empty());
    for (std::size_t i = 0; i < tools.size() && i < Menu_ToolAddOn.size(); ++i) {
        Menu_ToolAddOn[i]->setText(tools[i].caption);
        Menu_ToolAddOn[i]->setEnabled(true);
        Menu_ToolAddOn[i]->setVisible(true);
    }
    for (std::size_t i = 0; i < Menu_FileNewFileObstinate.size(); ++i) {
        const QString caption = i < PR.ObstinateTable.size() ? PR.ObstinateTable[i][1] : QString();
        Menu_FileNewFileObstinate[i]->setText(caption);
        Menu_FileNewFileObstinate[i]->setEnabled(!caption.isEmpty());
        Menu_FileNewFileObstinate[i]->setVisible(!caption.isEmpty());
    }
}

void BoxEditor::Menu_File_Click()
{
    Command([this] {
        CanvasTimersStop();
        for (QAction* item : {Menu_FileNewFile->menuAction(), Menu_FileOpen, Menu_FileSaveNamed, Menu_FileAddInput})
            item->setEnabled(true);
        Menu_FileSaveOverWrite->setEnabled(!DocumentSavePath(CurrentDocument).isEmpty());
        Menu_FileClose->setText(ExitMenuCaption());
        const std::vector<AddOnMenuRecord> files = AddOnMenuList(QStringLiteral("Menu_File"));
        for (std::size_t i = 0; i < files.size() && i < Menu_FileAddOn.size(); ++i) {
            Menu_FileAddOn[i]->setText(files[i].caption);
            const QString& action = files[i].action;
            Menu_FileAddOn[i]->setEnabled(action == QLatin1String("Open")
                                          || (action == QLatin1String("AddInput") && DocumentOpened()));
        }
    });
}

} // namespace vellumora
