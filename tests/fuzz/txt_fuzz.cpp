// Tagged text as it is opened: reader, parser, preparation, layout, placement and painting.
#include "FuzzProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::DocumentRun(QStringLiteral("fuzz.txt"), data, size);
    return 0;
}
