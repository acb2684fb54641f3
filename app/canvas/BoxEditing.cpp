#include "app/canvas/BoxEditing.h"

#include "app/core/ApplicationGlobals.h"

namespace vellumora {

} // namespace vellumora
