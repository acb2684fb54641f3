#include "app/core/EditState.h"

#include "app/core/ApplicationGlobals.h"

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
