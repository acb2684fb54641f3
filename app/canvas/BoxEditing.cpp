#include "app/canvas/BoxEditing.h"

#include "app/shell/ApplicationGlobals.h"

namespace vellumora {

void SetModifyFlag(bool value)
{
    ApplicationGlobals.ModifyFlag = value;
}

bool GetModifyFlag()
{
    return ApplicationGlobals.ModifyFlag;
}

} // namespace vellumora
