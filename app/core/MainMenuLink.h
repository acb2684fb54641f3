#pragma once

// The main window's menu commands as child windows reach them: a child window's copy of a menu
// item calls the main window's handler of the same name. The main window registers itself with
// SetMainMenuLink when it loads; while none is registered the items do nothing.

#include <QString>

class QMenu;
class QWidget;

namespace vellumora {

class MainMenuLink {
public:
    virtual ~MainMenuLink() = default;

    // Runs the main window's handler of that name ("Menu_FileOpen_Click"), with the index for the
    // items of an array; false when the main window has no such handler.
    virtual bool MenuRun(const QString& handler, int index) = 0;
    // The check mark of the main window's item of that name ("Menu_ShowToolBar").
    virtual bool MenuChecked(const QString& item) = 0;
    // 0 cascade, 1 tile top to bottom, 2 tile side by side, 3 line up the minimised windows.
    virtual void FormArrange(int arrangement) = 0;
    // The main window's activation: its menus rebuilt and its busy state ended.
    virtual void MDIForm_Activate() = 0;
};

void SetMainMenuLink(MainMenuLink* link);
MainMenuLink* MainMenu();

// Ends a child window's Window menu with the list of the windows shown in the workspace that
// holds the child, the front one checked; choosing one brings it to the front. The list made
// the last time is replaced.
void WindowListFill(QMenu* menu, QWidget* child);

} // namespace vellumora
