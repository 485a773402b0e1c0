// str: the 8-bit (Latin-1) copy, syncing after direct writes, and reading numbers.

#include "core/str.h"

#include <climits>

namespace {

char latin1_byte(char16_t ch) {
    return ch <= 0xFF ? static_cast<char>(ch) : '?';
}

bool is_space(char16_t ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\v' || ch == u'\f';
}

int hex_digit(char16_t ch) {
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    return -1;
}

} // namespace

const char* str::narrow() const {
    if (!ensure_narrow())
        return "";
    if (flags_ & str_stale) {
        for (int i = 0; i < length_; ++i)
            narrow_[i] = latin1_byte(text_[i]);
        narrow_[length_] = 0;
        flags_ &= ~static_cast<unsigned>(str_stale);
    }
    return narrow_;
}

char* str::narrow_buffer() {
    if (!owns_buffer())
        reserve(0);
    if (!ensure_narrow())
        return nullptr;
    return narrow_;
}

void str::sync_from_wide() {
    if (!owns_buffer())
        return;
    int n = 0;
    while (n < capacity_ && text_[n])
        ++n;
    if (n == capacity_)
        n = capacity_ - 1; // no terminator inside the buffer: cut the text at its end
    set_length(n);
}

void str::sync_from_narrow() {
    if (!owns_buffer() || !narrow_)
        return;
    int n = 0;
    while (n < capacity_ && narrow_[n])
        ++n;
    if (n == capacity_)
        n = capacity_ - 1;
    narrow_[n] = 0;
    for (int i = 0; i < n; ++i)
        text_[i] = static_cast<unsigned char>(narrow_[i]);
    length_ = n;
    text_[n] = 0;
    flags_ &= ~static_cast<unsigned>(str_stale);
}

long long str::to_int(int* stop) const {
    int i = 0;
    long long value = 0;
    if (length_ >= 2 && text_[0] == u'0' && (text_[1] == u'x' || text_[1] == u'X')) {
        i = 2;
        for (int d; i < length_ && (d = hex_digit(text_[i])) >= 0; ++i)
            value = value > (LLONG_MAX >> 4) ? LLONG_MAX : value * 16 + d;
    } else {
        while (i < length_ && is_space(text_[i]))
            ++i;
        bool negative = false;
        if (i < length_ && (text_[i] == u'+' || text_[i] == u'-'))
            negative = text_[i++] == u'-';
        int first = i;
        // Accumulate negatively so that LLONG_MIN is reachable; saturate at the limits.
        for (; i < length_ && text_[i] >= u'0' && text_[i] <= u'9'; ++i) {
            int d = text_[i] - u'0';
            value = value < (LLONG_MIN + d) / 10 ? LLONG_MIN : value * 10 - d;
        }
        if (i == first) {
            i = 0; // no digits: nothing was converted
            value = 0;
        } else if (!negative) {
            value = value == LLONG_MIN ? LLONG_MAX : -value;
        }
    }
    if (stop)
        *stop = i;
    return value;
}
