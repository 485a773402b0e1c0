#pragma once
// Platform primitives behind the path helpers of core/stream.h (paths_posix.cpp, paths_win32.cpp).

#include "core/str.h"

namespace paths_sys {

// The working directory as the system gives it; empty on failure.
str current_dir();
bool is_dir(const str& path);
// Creates one directory; true when it was created or already is a directory.
bool make_dir(const str& path);
// The temporary directory as the system gives it; empty on failure.
str temp_dir();
// Creates a fresh empty file with the prefix "TEMP" in dir and answers its path; empty on failure.
str unique_temp_file(const str& dir);

} // namespace paths_sys
