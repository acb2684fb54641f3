// Box-editor sessions and the copy exchange between instances come with their own modules; until
// then a double click opens no editor, closing a canvas has no editor to close, and no other
// instance's copy is ever there.
#include "app/canvas/BoxEditing.h"
#include "app/canvas/CopyAndPaste.h"

namespace vellumora {

void BoxEditModify(std::int16_t, std::int16_t) {}
void BoxEditBefore(std::int16_t, std::int16_t) {}
void BoxEditAfter(std::int16_t, std::int16_t) {}
void BoxEditUpper(std::int16_t, std::int16_t) {}
void BoxEditLower(std::int16_t, std::int16_t) {}
void BoxEditorCloseAll(std::int16_t) {}

bool ClipboardTaskExist()
{
    return false;
}

} // namespace vellumora
