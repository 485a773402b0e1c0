#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/phone_folder.h"

namespace {

// Wine's own translation of a Windows path; absent on Windows itself.
using unix_name_fn = char*(CDECL*)(const WCHAR*);

} // namespace

std::string host_unix_path(const std::filesystem::path& path) {
    const std::wstring absolute = std::filesystem::absolute(path).wstring();
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto translate = kernel ? reinterpret_cast<unix_name_fn>(reinterpret_cast<void*>(
                                        GetProcAddress(kernel, "wine_get_unix_file_name")))
                                  : nullptr;
    if (translate) {
        if (char* name = translate(absolute.c_str())) {
            std::string result = name;
            HeapFree(GetProcessHeap(), 0, name);
            return result;
        }
    }
    // Without Wine's help: a "Z:" path is the Linux root.
    std::string text = path.generic_string();
    if (text.size() >= 2 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':')
        text.erase(0, 2);
    return text;
}
