#pragma once

// The program's start-up and shutdown for a test program, as far as its floors reach. A test
// program of the shell runs the program's own. One of a lower floor cannot link the shell: it
// runs the steps of the floors it links, in the program's order. Left out are the shell's own
// steps, the renewal of registry keys from the ini file and the split of the command line (the
// test program's options are no documents), which no lower floor reads.

#ifdef VELLUMORA_TESTS_LINK_SHELL
#include "app/shell/AppMain.h"
#elif defined(VELLUMORA_TESTS_LINK_CANVAS)
#include "app/canvas/CanvasLifecycle.h"
#include "app/core/FirstFailure.h"
#else
#include "app/core/FirstFailure.h"
#include "app/diagram/DocumentLifecycle.h"
#endif

namespace testsupport {

inline void FloorsStart()
{
    using namespace vellumora;
#ifdef VELLUMORA_TESTS_LINK_SHELL
    AppInitialize();
#elif defined(VELLUMORA_TESTS_LINK_CANVAS)
    for (const LifecycleStep& step : CanvasStartupSteps())
        step.run();
#else
    for (const LifecycleStep& step : DocumentStartupSteps())
        step.run();
#endif
}

inline void FloorsEnd()
{
    using namespace vellumora;
#ifdef VELLUMORA_TESTS_LINK_SHELL
    AppTerminate();
#else
    // Every step runs even when an earlier one fails, as in the program's shutdown.
    FirstFailure failure;
    for (const LifecycleStep& step : DocumentShutdownSteps())
        failure.Run(step.run);
    failure.Rethrow();
#endif
}

} // namespace testsupport
