// A ".pad" archive as it is opened: the zip layer and its checks, then everything of a document.
#include "FuzzProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::DocumentRun(QStringLiteral("fuzz.pad"), data, size);
    return 0;
}
