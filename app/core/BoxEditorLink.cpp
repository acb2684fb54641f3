#include "app/core/BoxEditorLink.h"

namespace vellumora {

namespace {
BoxEditorLink* boxEditorLink = nullptr;
}

void SetBoxEditorLink(BoxEditorLink* link) { boxEditorLink = link; }
BoxEditorLink* BoxEditorWindows() { return boxEditorLink; }

} // namespace vellumora
