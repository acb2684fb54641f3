#pragma once

// Start-up of the floors up to the canvas windows: the document's steps with the copy buffer's.

#include "app/diagram/DocumentLifecycle.h"

namespace vellumora {

std::vector<LifecycleStep> CanvasStartupSteps();

} // namespace vellumora
