#pragma once

// What the shell's routines need of the main window. The main window registers itself
// with SetMainWindowLink when it loads and unregisters when it unloads; while none is
// registered those steps are skipped.

#include <QString>

class QMdiSubWindow;
class QWidget;

namespace vellumora {

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // The main window itself (kind tag "B").
    virtual QWidget* window() = 0;
    // The front child window (a canvas window or a box editor), or none.
    virtual QWidget* activeChild() = 0;
    // Hourglass (true) or the default pointer (false) over the main window.
    virtual void setBusyPointer(bool busy) = 0;
    // Stops or starts the main window's timer timBaseForm.
    virtual void setTimerRunning(bool running) = 0;
    // Arranges the workspace scroll bars.
    virtual void ScrollBarArrange() = 0;
    // The caption shown while a dialog is open ("" restores the plain caption).
    virtual void CaptionSet(const QString& text) = 0;
    // The text of the status-bar panel with that key.
    virtual void setStatusPanelText(const QString& key, const QString& text) = 0;
    // The search and replace dialog has closed: the main window takes the lead back and, with
    // redraw (something was replaced), lays out every canvas again.
    virtual void searchReplaceClosed(bool redraw) {}
    // Puts a child window (a canvas window, a box editor) into the workspace; its frame.
    virtual QMdiSubWindow* placeInWorkspace(QWidget* child) = 0;
    // The tool-bar buttons and font controls as the active window's selection allows.
    virtual void ToolBarArrange() {}
};

void SetMainWindowLink(MainWindowLink* link);
MainWindowLink* MainWindow();

} // namespace vellumora
