// Lower-casing of UTF-16 units by fixed tables, the same on every platform and locale.

#include "core/str.h"

namespace {

// Ranges where upper and lower case alternate: an even (or odd) unit is the capital of the next.
struct paired_range {
    char16_t first; // first capital
    char16_t last;  // last unit of the range
};

constexpr paired_range paired[] = {
    {0x0100, 0x012F}, {0x0132, 0x0137}, {0x0139, 0x0148}, {0x014A, 0x0177}, {0x0179, 0x017E},
    {0x01DE, 0x01EF}, {0x01F8, 0x021F}, {0x0222, 0x0233}, {0x03D8, 0x03EF}, {0x0460, 0x0481},
    {0x048A, 0x04BF}, {0x04C1, 0x04CE}, {0x04D0, 0x052F}, {0x1E00, 0x1E95}, {0x1EA0, 0x1EFF},
};

} // namespace

char16_t to_lower_char(char16_t ch) {
    if (ch < 0x80)
        return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch;
    if (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7) // Latin-1 capitals
        return static_cast<char16_t>(ch + 32);
    if (ch < 0x100)
        return ch;
    if (ch == 0x0130) // capital I with dot above
        return u'i';
    if (ch == 0x0178) // capital Y with diaeresis
        return 0xFF;
    for (const auto& r : paired)
        if (ch >= r.first && ch <= r.last)
            return ((ch - r.first) & 1) == 0 ? static_cast<char16_t>(ch + 1) : ch;
    if (ch >= 0x0391 && ch <= 0x03AB && ch != 0x03A2) // Greek capitals
        return static_cast<char16_t>(ch + 32);
    if (ch == 0x0386)
        return 0x03AC;
    if (ch >= 0x0388 && ch <= 0x038A)
        return static_cast<char16_t>(ch + 37);
    if (ch == 0x038C)
        return 0x03CC;
    if (ch == 0x038E || ch == 0x038F)
        return static_cast<char16_t>(ch + 63);
    if (ch >= 0x0400 && ch <= 0x040F) // Cyrillic capitals with marks
        return static_cast<char16_t>(ch + 80);
    if (ch >= 0x0410 && ch <= 0x042F) // basic Cyrillic capitals
        return static_cast<char16_t>(ch + 32);
    if (ch == 0x04C0)
        return 0x04CF;
    if (ch >= 0x0531 && ch <= 0x0556) // Armenian
        return static_cast<char16_t>(ch + 48);
    if (ch >= 0xFF21 && ch <= 0xFF3A) // full-width Latin
        return static_cast<char16_t>(ch + 32);
    return ch;
}
