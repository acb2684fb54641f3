#pragma once

// A bare main window with a workspace that takes the child windows the program shows, as the
// real main window does through its link; registered while it lives.

#include "app/core/MainWindowLink.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace testsupport {

class Workspace : public QMainWindow, public vellumora::MainWindowLink {
public:
    Workspace() : workspace(new QMdiArea)
    {
        setCentralWidget(workspace);
        vellumora::SetMainWindowLink(this);
    }
    ~Workspace() override
    {
        if (vellumora::MainWindow() == this)
            vellumora::SetMainWindowLink(nullptr);
    }

    QWidget* window() override { return this; }
    QWidget* activeChild() override
    {
        QMdiSubWindow* sub = workspace->currentSubWindow();
        return sub ? sub->widget() : nullptr;
    }
    void setBusyPointer(bool) override {}
    void setTimerRunning(bool) override {}
    void ScrollBarArrange() override {}
    void CaptionSet(const QString&) override {}
    void setStatusPanelText(const QString&, const QString&) override {}
    QMdiSubWindow* placeInWorkspace(QWidget* child) override { return workspace->addSubWindow(child); }

    QMdiArea* workspace;
};

} // namespace testsupport
