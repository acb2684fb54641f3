#include "app/canvas/CanvasLifecycle.h"

#include "app/canvas/CopyAndPaste.h"

namespace vellumora {

std::vector<LifecycleStep> CanvasStartupSteps()
{
    std::vector<LifecycleStep> steps = DocumentStartupSteps();
    // The copy buffer names its work files: after the work folder is made, before the undo history.
    LifecycleStepInsert(steps, QStringLiteral("CanvasOrderInitialize"),
                        {QStringLiteral("ClipboardInitialize"), ClipboardInitialize});
    return steps;
}

} // namespace vellumora
