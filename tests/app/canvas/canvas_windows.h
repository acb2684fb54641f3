#pragma once

// The document tests of the canvas floor and above: an open makes the canvas windows after the
// read, as the main window's Open command does.

#include "app/canvas/PageSetting.h"
#include "app/diagram/paddraw_support.h"

namespace paddraw_test {

inline const bool kWindowsAfterRead = (WindowsAfterRead = vellumora::CanvasWindowsCreate, true);

} // namespace paddraw_test
