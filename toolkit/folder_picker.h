#pragma once
// The folder picker: the user chooses a folder of the file system, starting in `start` (empty:
// the picker's own choice). True with the folder's path in `chosen`; false when cancelled.
// Each driver has its own: the shell's folder browser on Windows, QFileDialog under Qt.

#include "core/str.h"
#include "toolkit/platform_types.h"

namespace vwin {

bool pickFolder(HWND owner, const char16_t* title, const str& start, str& chosen);

} // namespace vwin
