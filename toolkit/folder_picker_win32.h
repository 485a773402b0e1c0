#pragma once
// The Windows folder picker's hook for tests that drive it: their callback sees the picker's
// messages (BFFM_INITIALIZED and the rest) after the picker's own start-up. Null (the default)
// shows the plain picker.

#include <windows.h>

#include <shlobj.h>

namespace vwin {

void setFolderPickerHookForTests(BFFCALLBACK callback, LPARAM data);

} // namespace vwin
