#pragma once

// Start-up and shutdown of the floors up to the document: the records, the work files, the
// fonts, the tags, the search and the undo history. The floors above take these steps in this
// order and put their own in between, by the name of the step they follow, so the order lives
// here once.

#include <QString>

#include <functional>
#include <vector>

namespace vellumora {

// One step of start-up or shutdown, named after the routine it runs.
struct LifecycleStep {
    QString name;
    std::function<void()> run;
};

std::vector<LifecycleStep> DocumentStartupSteps();
std::vector<LifecycleStep> DocumentShutdownSteps();

// Puts step in right after the step named after; a name no step has is a fault of the caller.
void LifecycleStepInsert(std::vector<LifecycleStep>& steps, const QString& after, LifecycleStep step);

} // namespace vellumora
