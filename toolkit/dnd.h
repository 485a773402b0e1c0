#pragma once
// Drag and drop: the driver's form of the same API (vDropEvent for the widgets' drag handlers,
// item drags inside the program). The Win32 driver's is built on the platform's OLE interfaces,
// the Qt driver's on Qt's drag events and QDrag.

#ifdef _WIN32
#include "toolkit/dnd_win32.h"
#else
#include "toolkit/dnd_qt.h"
#endif
