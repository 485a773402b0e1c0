#include <windows.h>

#include "link/link_failure.h"

str last_system_error_text() {
    const DWORD code = GetLastError();
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, 512, nullptr);
    // The system's text ends with a line break and often a full stop.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L' ' || text[length - 1] == L'.'))
        --length;
    str line;
    if (length == 0) {
        line.format(u"system error %u", static_cast<unsigned>(code));
        return line;
    }
    line.assign(reinterpret_cast<const char16_t*>(text), static_cast<int>(length));
    return line;
}
