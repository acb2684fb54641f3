#include "app/canvas/CopyAndPaste.h"

namespace vellumora {

void ClipboardInitialize() {}
void ClipboardReset() {}
bool ClipboardExist() { return CopyAndPaste.ClipboardExistFlag; }

} // namespace vellumora
