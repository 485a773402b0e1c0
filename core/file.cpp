#include "core/stream.h"

// The portable part of file; the platform part lives in file_posix.cpp / file_win32.cpp.

bool file::open_replacing(const char16_t* name) {
    creation_ = create_always;
    return open(name);
}

bool file::open_or_refresh() {
    return is_open() ? refresh_size() : open();
}
