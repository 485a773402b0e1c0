#include "core/paths_sys.h"

#include <windows.h>

namespace paths_sys {

namespace {
const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
const char16_t* narrow16(const wchar_t* s) {
    return reinterpret_cast<const char16_t*>(s);
}
} // namespace

str current_dir() {
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    if (need == 0)
        return str();
    str dir(static_cast<int>(need) + 1);
    const DWORD got = GetCurrentDirectoryW(need, reinterpret_cast<wchar_t*>(dir.buffer()));
    if (got == 0 || got >= need)
        return str();
    dir.sync_from_wide();
    return dir;
}

bool is_dir(const str& path) {
    const DWORD a = GetFileAttributesW(wide(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_dir(const str& path) {
    if (CreateDirectoryW(wide(path), nullptr))
        return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && is_dir(path); // a file is no directory
}

str temp_dir() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH)
        return str();
    return str(narrow16(buffer));
}

str unique_temp_file(const str& dir) {
    wchar_t buffer[MAX_PATH];
    if (!GetTempFileNameW(wide(dir), L"TEMP", 0, buffer))
        return str();
    return str(narrow16(buffer));
}

} // namespace paths_sys
