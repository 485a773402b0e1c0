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

bool pc_device_name(const str& name) {
    // The device is named by the part before the first ".", trailing blanks dropped.
    int end = name.find(u'.');
    if (end < 0)
        end = name.length();
    while (end > 0 && name[end - 1] == u' ')
        --end;
    auto upper = [&](int i) {
        char16_t c = name[i];
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    };
    auto starts = [&](const char16_t* word, int length) {
        for (int i = 0; i < length; ++i)
            if (i >= end || upper(i) != word[i])
                return false;
        return true;
    };
    auto is = [&](const char16_t* word, int length) {
        return end == length && starts(word, length);
    };
    if (is(u"CON", 3) || is(u"PRN", 3) || is(u"AUX", 3) || is(u"NUL", 3) || is(u"CONIN$", 6) ||
        is(u"CONOUT$", 7))
        return true;
    if (end != 4 || !(starts(u"COM", 3) || starts(u"LPT", 3)))
        return false;
    const char16_t digit = name[3];
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00b9' || digit == u'\u00b2' ||
           digit == u'\u00b3';
}

bool pc_name_altered(const str& name) {
    const char16_t last = name.empty() ? u'\0' : name[name.length() - 1];
    return last == u'.' || last == u' ';
}
