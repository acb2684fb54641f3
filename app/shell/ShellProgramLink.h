#pragma once

// The program's own implementation of the link through which the lower floors reach the dialogs,
// the box editor and the canvas sessions that stand beside or above them.

#include "app/core/ProgramLink.h"

namespace vellumora {

// The implementation the program installs at start-up (SetProgramLink); a test of the whole
// program path installs it the same way.
ProgramLink& ShellProgramLink();

} // namespace vellumora
