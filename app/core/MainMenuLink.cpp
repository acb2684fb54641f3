#include "app/core/MainMenuLink.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace vellumora {

namespace {
MainMenuLink* mainMenuLink = nullptr;
}

void SetMainMenuLink(MainMenuLink* link) { mainMenuLink = link; }
MainMenuLink* MainMenu() { return mainMenuLink; }

void WindowListFill(QMenu* menu, QWidget* child)
{
    static const char* const listed = "vellumoraWindowList";
    for (QAction* action : menu->actions())
        if (action->property(listed).toBool())
            delete action;
    auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area)
        return;
    menu->addSeparator()->setProperty(listed, true);
    int n = 0;
    for (QMdiSubWindow* window : area->subWindowList()) {
        if (window->isHidden())
            continue;
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(++n).arg(window->widget()->windowTitle()));
        action->setProperty(listed, true);
        action->setCheckable(true);
        action->setChecked(window == area->currentSubWindow());
        QObject::connect(action, &QAction::triggered, area, [area, window = QPointer<QMdiSubWindow>(window)] {
            if (window)
                area->setActiveSubWindow(window);
        });
    }
}

} // namespace vellumora
