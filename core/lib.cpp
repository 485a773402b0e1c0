// The portable part of lib; loading and lookup live in lib_posix.cpp / lib_win32.cpp.

#include "core/lib.h"

lib::lib(const char16_t* name, bool keep_loaded) {
    load(name, keep_loaded);
}

lib::~lib() {
    unload();
}
