#pragma once

// The program's own icon, shown by every window of it and by the desktop's task list.

#include <QIcon>

namespace vellumora {

// A small chart on a sheet: a vertical spine with boxes hanging from it, drawn at the usual icon
// sizes.
QIcon ProgramIcon();

} // namespace vellumora
