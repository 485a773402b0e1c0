// str: printf-style formatting. The wide format is ASCII; it is narrowed and handed to vsnprintf,
// and the result is widened byte by byte (Latin-1). So %s takes an 8-bit text (e.g. narrow()).

#include "core/str.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Largest formatted text accepted; anything longer is cut.
constexpr int max_formatted = 1 << 20;

// Formats into out; false when the C library reported an error.
bool format_narrow(std::string& out, const char* fmt, std::va_list args) {
    std::size_t size = 256;
    for (;;) {
        out.assign(size, '\0');
        std::va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(out.data(), size, fmt, copy);
        va_end(copy);
        if (n >= 0 && static_cast<std::size_t>(n) < size) {
            out.resize(static_cast<std::size_t>(n));
            return true;
        }
        if (size >= static_cast<std::size_t>(max_formatted)) {
            if (n < 0)
                return false;
            out.resize(size - 1); // too long: cut
            return true;
        }
        // Some C libraries answer -1 when the buffer is too small: grow and retry.
        std::size_t want = n >= 0 ? static_cast<std::size_t>(n) + 1 : size * 2;
        size = want < static_cast<std::size_t>(max_formatted)
                   ? want
                   : static_cast<std::size_t>(max_formatted);
    }
}

} // namespace

void str::format(const char16_t* fmt, ...) {
    std::string fmt8;
    for (int i = 0, n = wide_length(fmt); i < n; ++i)
        fmt8 += fmt[i] < 0x80 ? static_cast<char>(fmt[i]) : '?';
    std::string text;
    std::va_list args;
    va_start(args, fmt);
    bool ok = format_narrow(text, fmt8.c_str(), args);
    va_end(args);
    if (!ok) {
        clear();
        return;
    }
    // Small buffers grow to 512 at once; larger texts get the room they need (contents discarded).
    // The text is cut only if growth fails.
    int want = static_cast<int>(text.size());
    int got = reserve(capacity_ < 64 && want < 256 ? 256 : want, true);
    if (!owns_buffer())
        return;
    if (got > want)
        got = want;
    for (int i = 0; i < got; ++i)
        text_[i] = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
    set_length(got);
}
