// Fuzz target: the conversions of str. UTF-8 in and out (valid UTF-8 comes back unchanged, any
// text survives the way back), the Latin-1 narrow copy (every byte 0x01-0xFF round-trips, wider
// characters become "?") and to_int against the C library's strtoll.

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/check.h"

namespace {

// Whether the bytes are well-formed UTF-8: shortest forms only, no surrogates, at most U+10FFFF.
bool valid_utf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size())
            return false;
        char32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < shortest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

// The units with every surrogate that is not part of a pair replaced by U+FFFD.
std::u16string pair_surrogates(const std::u16string& units) {
    std::u16string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            out.push_back(u);
            out.push_back(units[++i]);
        } else {
            out.push_back(high || low ? u'\xFFFD' : u);
        }
    }
    return out;
}

void check_utf8(const std::uint8_t* data, std::size_t size) {
    // The bytes up to the first zero byte, as from_utf8 reads them.
    const std::string bytes(reinterpret_cast<const char*>(data),
                            strnlen(reinterpret_cast<const char*>(data), size));
    const str text = str::from_utf8(bytes.c_str(), size > 0 ? data[0] : 0);
    FUZZ_CHECK(wide_length(text.c_str()) == text.length());
    const std::string back = text.to_utf8();
    FUZZ_CHECK(valid_utf8(back));
    if (valid_utf8(bytes))
        FUZZ_CHECK(back == bytes);
    FUZZ_CHECK(units_of(str::from_utf8(back.c_str())) == units_of(text));

    // Any UTF-16 text: valid UTF-8 out, and back as the same text with lone surrogates as U+FFFD.
    const std::u16string units = utf16_units(data, size);
    const std::string utf8 = make_str(units).to_utf8();
    FUZZ_CHECK(valid_utf8(utf8));
    FUZZ_CHECK(units_of(str::from_utf8(utf8.c_str())) == pair_surrogates(units));
}

void check_narrow(const std::uint8_t* data, std::size_t size) {
    // Every byte 0x01-0xFF becomes the character of that code and comes back unchanged.
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            bytes.push_back(static_cast<char>(data[i]));
    const str text(bytes.c_str());
    FUZZ_CHECK(text.length() == static_cast<int>(bytes.size()));
    for (int i = 0; i < text.length(); ++i)
        FUZZ_CHECK(text[i] == static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]));
    FUZZ_CHECK(bytes == text.narrow());

    str assigned(u"x");
    assigned.assign8(bytes.c_str(), static_cast<int>(bytes.size()));
    FUZZ_CHECK(units_of(assigned) == units_of(text) && bytes == assigned.narrow());

    // Direct writes into the narrow buffer, then syncing, give the same text.
    str direct;
    const int room = direct.reserve(static_cast<int>(bytes.size()), true);
    FUZZ_CHECK(room >= static_cast<int>(bytes.size()));
    char* raw = direct.narrow_buffer();
    FUZZ_CHECK(raw != nullptr);
    std::memcpy(raw, bytes.c_str(), bytes.size() + 1);
    direct.sync_from_narrow();
    FUZZ_CHECK(units_of(direct) == units_of(text));

    // Wider characters narrow to "?", one byte per character.
    const std::u16string units = utf16_units(data, size);
    std::string expected;
    for (char16_t u : units)
        expected.push_back(u > 0xFF ? '?' : static_cast<char>(u));
    str wide = make_str(units);
    FUZZ_CHECK(expected == wide.narrow());
    // The copy is rebuilt after a change.
    wide.append(u'\x263A');
    FUZZ_CHECK(expected + "?" == wide.narrow());
}

// to_int's rule: "0x"/"0X" at the very start reads unsigned hexadecimal digits, saturating at
// LLONG_MAX; anything else is what strtoll reads in base 10 (white space, sign, digits, saturated).
long long expected_int(const str& text, int& stop) {
    const std::string n = text.narrow(); // wider characters become "?", which no rule accepts
    if (n.size() >= 2 && n[0] == '0' && (n[1] == 'x' || n[1] == 'X')) {
        unsigned __int128 value = 0;
        std::size_t i = 2;
        for (; i < n.size() && std::isxdigit(static_cast<unsigned char>(n[i])); ++i) {
            const char c = n[i];
            const int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            value = value * 16 + d;
            if (value > LLONG_MAX)
                value = LLONG_MAX;
        }
        stop = static_cast<int>(i);
        return static_cast<long long>(value);
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(n.c_str(), &end, 10);
    stop = static_cast<int>(end - n.c_str());
    return value;
}

void check_to_int(const std::uint8_t* data, std::size_t size) {
    for (const std::u16string& units : {latin1_units(data, size), utf16_units(data, size)}) {
        const str text = make_str(units);
        int stop = -1;
        const long long value = text.to_int(&stop);
        int expected_stop = -1;
        FUZZ_CHECK(value == expected_int(text, expected_stop));
        FUZZ_CHECK(stop == expected_stop);
        FUZZ_CHECK(text.to_int() == value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_utf8(data, size);
    check_narrow(data, size);
    check_to_int(data, size);
    return 0;
}
