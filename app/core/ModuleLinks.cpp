#include "app/core/ModuleLinks.h"

namespace vellumora {

ModuleLinks& Links()
{
    static ModuleLinks links;
    return links;
}

} // namespace vellumora
