#include "app/core/BoxEditorLink.h"

namespace vellumora {

BoxEditorLinks& BoxEditorLink()
{
    static BoxEditorLinks links;
    return links;
}

} // namespace vellumora
