// PC file moves on POSIX: rename(2) replaces the target atomically.

#include "link/pc_file.h"

#include <cstdio>
#include <unistd.h>

bool replace_pc_file(const str& from, const str& to) {
    return std::rename(from.to_utf8().c_str(), to.to_utf8().c_str()) == 0;
}

bool remove_pc_file(const str& name) {
    return ::unlink(name.to_utf8().c_str()) == 0;
}

// Every name is a file name here; device files live in their own folders.
bool pc_device_name(const str&) {
    return false;
}

// Names are stored exactly as given.
bool pc_name_altered(const str&) {
    return false;
}
