// PC file moves on Windows.

#include "link/pc_file.h"

#include <windows.h>

namespace {
const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
} // namespace

bool replace_pc_file(const str& from, const str& to) {
    return MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

bool remove_pc_file(const str& name) {
    return DeleteFileW(wide(name)) != FALSE;
}
