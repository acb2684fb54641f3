#pragma once

// A test of the whole program path installs the program's own link in its fixture; the reset
// before the next test takes it away again.

#include "app/shell/ShellProgramLink.h"

namespace testsupport {

inline void ShellProgramInstall()
{
    vellumora::SetProgramLink(&vellumora::ShellProgramLink());
}

} // namespace testsupport
