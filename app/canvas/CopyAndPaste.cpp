#include "app/canvas/CopyAndPaste.h"

#include "app/core/Utilities.h"

namespace vellumora {

void ClipboardInitialize()
{
    ClipboardReset();
}

void ClipboardReset()
{
    CopyAndPaste.ClipboardExistFlag = false;
    CopyAndPaste.ClipboardCanvasFlags = 0;
    TemporaryFileDelete(QStringLiteral("copy"));
    CopyAndPaste.ClipboardTaskFile.clear();
    TemporaryFileDelete(QStringLiteral("clipboard"), QStringLiteral("*"));
}

bool ClipboardExist()
{
    return CopyAndPaste.ClipboardExistFlag;
}

} // namespace vellumora
