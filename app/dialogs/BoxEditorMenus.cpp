// The box editor's own menus, Show and Window, which the main window's menu bar shows while the
// editor is in front.

#include "app/dialogs/BoxEditor.h"

#include "app/core/CanvasSurface.h"
#include "app/core/MainMenuLink.h"
#include "app/core/Processing.h"

#include <QMenu>

namespace vellumora {

void BoxEditor::createMenus()
{
    auto own = [this](QMenu* menu, const QString& caption, const std::function<void()>& run, const QString& key = {}) {
        QAction* action = menu->addAction(key.isEmpty() ? caption : caption + QLatin1Char('\t') + key);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    Menu_Show = new QMenu(QStringLiteral("表示(&V)"), this);
    connect(Menu_Show, &QMenu::aboutToShow, this, [] { CanvasTimersStop(); });
    Menu_ShowMinimized = own(Menu_Show, QStringLiteral("最小化(&N)"), [this] { frame()->showMinimized(); });
    // Only shown: the key reaches the editor itself, which closes on it.
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

    Menu_Window = new QMenu(QStringLiteral("ｳｲﾝﾄﾞｳ(&W)"), this);
    connect(Menu_Window, &QMenu::aboutToShow, this, [this] {
        CanvasTimersStop();
        WindowMenuFill();
    });
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
}

} // namespace vellumora
