#pragma once

// The shared fake services object, a fixture that installs it, and a fake main window, for the
// tests of the shell and of the floors below it.

#include "app/core/ApplicationGlobals.h"
#include "app/core/MainWindowLink.h"

#include "support/FakeServices.h"
#include "support/TempFolder.h"

#include <QMap>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace shell_test {

using testsupport::FakeServices;

// A test with the fake services object as CommonServices, its temporary folder the test's own
// folder and the program named "vellumora".
class ServicesFolder : public testsupport::TempFolder {
protected:
    void SetUp() override
    {
        services_ = std::make_shared<FakeServices>();
        services_->temporaryFolder = path();
        vellumora::CommonServices = services_;
        vellumora::SetApplicationObject(path(), QStringLiteral("vellumora"));
    }
    void TearDown() override { vellumora::CommonServices.reset(); }

    std::shared_ptr<FakeServices> services_;
};

// The main window as the shell's routines see it: what they set is recorded.
class FakeMainWindow : public vellumora::MainWindowLink {
public:
    QWidget widget;
    QWidget* child = nullptr;
    QStringList events;              // pointer, timer and scroll-bar steps in order
    QMap<QString, QString> panels;   // status-bar panels by key
    QString caption;

    QWidget* window() override { return &widget; }
    QWidget* activeChild() override { return child; }
    void setBusyPointer(bool busy) override { events << (busy ? QStringLiteral("hourglass") : QStringLiteral("pointer")); }
    void setTimerRunning(bool running) override { events << (running ? QStringLiteral("timer on") : QStringLiteral("timer off")); }
    void ScrollBarArrange() override { events << QStringLiteral("scroll bars"); }
    void CaptionSet(const QString& text) override { caption = text; }
    void setStatusPanelText(const QString& key, const QString& text) override { panels[key] = text; }
    QMdiSubWindow* placeInWorkspace(QWidget*) override { return nullptr; }
};

} // namespace shell_test
