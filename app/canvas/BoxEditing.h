#pragma once

// Box-editor sessions on the canvases.

#include "app/core/EditState.h"

namespace vellumora {

} // namespace vellumora
