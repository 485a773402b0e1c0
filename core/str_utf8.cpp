// str: UTF-8 forms. Bytes that do not form valid UTF-8 are taken as Latin-1 characters, one
// character per byte, so legacy 8-bit names stay readable; lone surrogates become U+FFFD.

#include "core/str.h"

namespace {

void put_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool is_high(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool is_low(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Decodes one UTF-8 sequence at s; returns its length, or 0 when it is not valid UTF-8
// (overlong forms, encoded surrogates and values above U+10FFFF are not valid).
int decode_utf8(const unsigned char* s, char32_t& cp) {
    unsigned char b = s[0];
    int n;
    char32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        cp = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        cp = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        cp = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < n; ++i) {
        if ((s[i] & 0xC0) != 0x80) // also stops at the terminator
            return 0;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

std::string str::to_utf8() const {
    std::string out;
    out.reserve(static_cast<std::size_t>(length_));
    for (int i = 0; i < length_; ++i) {
        char16_t u = text_[i];
        if (is_high(u) && i + 1 < length_ && is_low(text_[i + 1])) {
            put_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text_[i + 1] - 0xDC00));
            ++i;
        } else if (is_high(u) || is_low(u)) {
            put_utf8(out, 0xFFFD);
        } else {
            put_utf8(out, u);
        }
    }
    return out;
}

str str::from_utf8(const char* text, int min_capacity) {
    str out(u"", min_capacity);
    if (!text)
        return out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        char32_t cp;
        int n = decode_utf8(s, cp);
        if (n == 0) {
            out.append(static_cast<char16_t>(*s)); // not UTF-8: the byte as Latin-1
            ++s;
            continue;
        }
        s += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.append(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.append(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.append(static_cast<char16_t>(cp));
        }
    }
    return out;
}
