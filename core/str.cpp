// str: construction, editing, searching and comparing.

#include "core/str.h"

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

// The buffer of strings that own none (moved-from, or an allocation failed). Never written:
// every writer checks owns_buffer() first.
char16_t g_empty[1] = {0};

// Capacity limit for construction from a count; texts longer than this still get room for all.
constexpr int max_construct_capacity = 65535;
// Hard limit of a string's length; growth beyond is refused and the text is cut.
constexpr int max_length = 0x3ffffff0;
// Smallest capacity of a string built from a text.
constexpr int min_text_capacity = 8;

int bounded_length(const char16_t* text, int max) {
    if (!text || max <= 0)
        return 0;
    int n = 0;
    while (n < max && text[n])
        ++n;
    return n;
}

int bounded_length8(const char* text, int max) {
    if (!text || max <= 0)
        return 0;
    int n = 0;
    while (n < max && text[n])
        ++n;
    return n;
}

bool in_set(char16_t ch, const char16_t* set) {
    for (; *set; ++set)
        if (*set == ch)
            return true;
    return false;
}

// A private copy of text that lies inside a buffer about to be reallocated.
template <class C> bool points_into(const C* p, const C* buffer, int size) {
    return buffer && std::greater_equal<const C*>()(p, buffer) &&
           std::less<const C*>()(p, buffer + size);
}

// The text an edit reads from: a private copy when the text lies inside a buffer that the edit
// may free or move, else the text itself. ok() is false only when a needed copy failed.
template <class C> class stable_source {
public:
    stable_source(const C* text, int n, const C* buffer, int size) : text_(text) {
        if (!text || !points_into(text, buffer, size))
            return;
        copy_ = static_cast<C*>(std::malloc(sizeof(C) * (n + 1)));
        if (copy_)
            std::memcpy(copy_, text, sizeof(C) * n);
        text_ = copy_;
        copied_ = true;
    }
    stable_source(const stable_source&) = delete;
    stable_source& operator=(const stable_source&) = delete;
    ~stable_source() { std::free(copy_); }
    bool ok() const { return !copied_ || copy_; }
    const C* get() const { return text_; }

private:
    const C* text_ = nullptr;
    C* copy_ = nullptr;
    bool copied_ = false;
};

} // namespace

int wide_length(const char16_t* text) {
    return bounded_length(text, max_length);
}

text_view::text_view(const char16_t* text, int count)
    : ptr(text), len(bounded_length(text, count)) {}

// --- construction ---------------------------------------------------------------------------

void str::init(int capacity, unsigned flags) {
    flags_ = (flags & (str_growable | str_narrow)) | str_stale;
    text_ = g_empty;
    length_ = 0;
    capacity_ = 0;
    narrow_ = nullptr;
    if (capacity > 0) {
        auto* p = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * capacity));
        if (p) {
            p[0] = 0;
            text_ = p;
            capacity_ = capacity;
        }
    }
    if (flags & str_narrow)
        ensure_narrow();
}

void str::release() {
    if (owns_buffer())
        std::free(text_);
    std::free(narrow_);
    text_ = g_empty;
    narrow_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

str::str(int capacity, unsigned flags) {
    if (capacity <= 0)
        capacity = 64;
    if (capacity > max_construct_capacity)
        capacity = max_construct_capacity;
    init(capacity, flags);
}

str::str(const char16_t* text, int min_capacity, unsigned flags) {
    int n = wide_length(text);
    int cap = min_capacity > max_construct_capacity ? max_construct_capacity : min_capacity;
    if (cap < n + 1)
        cap = n + 1;
    if (cap < min_text_capacity)
        cap = min_text_capacity;
    init(cap, flags);
    if (owns_buffer()) {
        if (n > 0)
            std::memcpy(text_, text, sizeof(char16_t) * n);
        set_length(n);
    }
}

str::str(const char* text8, int min_capacity, unsigned flags) {
    int n = bounded_length8(text8, max_length);
    int cap = min_capacity > max_construct_capacity ? max_construct_capacity : min_capacity;
    if (cap < n + 1)
        cap = n + 1;
    if (cap < min_text_capacity)
        cap = min_text_capacity;
    init(cap, flags | str_narrow);
    if (owns_buffer())
        assign8(text8, n);
}

str::str(text_view view) {
    int n = bounded_length(view.ptr, view.len);
    init(n + 1 < min_text_capacity ? min_text_capacity : n + 1, str_growable | str_narrow);
    if (owns_buffer()) {
        if (n > 0)
            std::memcpy(text_, view.ptr, sizeof(char16_t) * n);
        set_length(n);
    }
}

str::str(const str& other) {
    init(other.capacity_ > 0 ? other.capacity_ : 64,
         other.flags_ | (other.narrow_ ? unsigned{str_narrow} : 0u));
    if (owns_buffer()) {
        int n = other.length_ < capacity_ ? other.length_ : capacity_ - 1;
        std::memcpy(text_, other.text_, sizeof(char16_t) * n);
        set_length(n);
    }
}

str::str(str&& other) noexcept
    : text_(other.text_), length_(other.length_), capacity_(other.capacity_),
      narrow_(other.narrow_), flags_(other.flags_) {
    other.text_ = g_empty;
    other.narrow_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
    other.flags_ = str_growable | str_stale;
}

str& str::operator=(const str& other) {
    if (this != &other)
        assign(other);
    return *this;
}

str& str::operator=(str&& other) noexcept {
    if (this != &other) {
        release();
        text_ = other.text_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        narrow_ = other.narrow_;
        flags_ = other.flags_;
        other.text_ = g_empty;
        other.narrow_ = nullptr;
        other.length_ = 0;
        other.capacity_ = 0;
        other.flags_ = str_growable | str_stale;
    }
    return *this;
}

str& str::operator=(const char16_t* text) {
    assign(text);
    return *this;
}

str::~str() {
    release();
}

std::size_t str::footprint() const {
    auto cap = static_cast<std::size_t>(capacity_);
    return cap * sizeof(char16_t) + (narrow_ ? cap : 0);
}

// --- room -----------------------------------------------------------------------------------

int str::reserve(int n, bool discard) {
    if (n < 0)
        n = 0;
    if (owns_buffer() && n + 1 < capacity_)
        return n;
    int fallback = owns_buffer() ? capacity_ - 1 : 0;
    if (!(flags_ & str_growable) || n > max_length)
        return n < fallback ? n : fallback;
    long long cap = capacity_ == 0 ? 4 : capacity_;
    do
        cap *= 2;
    while (cap <= n);
    auto* fresh = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * cap));
    if (!fresh)
        return n < fallback ? n : fallback;
    if (discard || !owns_buffer()) {
        fresh[0] = 0;
        length_ = 0;
    } else {
        std::memcpy(fresh, text_, sizeof(char16_t) * (length_ + 1));
    }
    if (owns_buffer())
        std::free(text_);
    text_ = fresh;
    capacity_ = static_cast<int>(cap);
    if (narrow_) {
        std::free(narrow_);
        narrow_ = static_cast<char*>(std::malloc(static_cast<std::size_t>(cap)));
        if (narrow_)
            narrow_[0] = 0;
    }
    mark_stale();
    return n;
}

void str::set_length(int n) {
    length_ = n;
    text_[n] = 0;
    mark_stale();
}

bool str::ensure_narrow() const {
    if (narrow_)
        return true;
    if (!owns_buffer())
        return false;
    narrow_ = static_cast<char*>(std::malloc(static_cast<std::size_t>(capacity_)));
    if (!narrow_)
        return false;
    narrow_[0] = 0;
    mark_stale();
    return true;
}

// --- assignment and editing -----------------------------------------------------------------

void str::assign(const char16_t* text, int count) {
    int n = bounded_length(text, count);
    if (n == 0) {
        clear();
        return;
    }
    if (owns_buffer() && points_into(text, text_, capacity_)) {
        // A slice of this very string: it fits where it is.
        std::memmove(text_, text, sizeof(char16_t) * n);
        set_length(n);
        return;
    }
    n = reserve(n, true);
    if (!owns_buffer())
        return;
    std::memcpy(text_, text, sizeof(char16_t) * n);
    set_length(n);
}

void str::assign(const str& other, int count) {
    if (&other == this) {
        if (count >= 0 && count < length_)
            set_length(count);
        return;
    }
    assign(other.text_, count < other.length_ ? count : other.length_);
}

void str::assign(text_view view) {
    assign(view.ptr, view.len);
}

void str::assign8(const char* text8, int count) {
    int n = bounded_length8(text8, count);
    // Bytes from this string's own narrow copy would be freed by a reallocation.
    stable_source<char> source(text8, n, narrow_, capacity_);
    if (!source.ok())
        return;
    text8 = source.get();
    n = reserve(n, true);
    if (!owns_buffer())
        return;
    for (int i = 0; i < n; ++i)
        text_[i] = static_cast<unsigned char>(text8[i]);
    set_length(n);
    if (narrow_) {
        for (int i = 0; i < n; ++i)
            narrow_[i] = text8[i];
        narrow_[n] = 0;
        flags_ &= ~static_cast<unsigned>(str_stale);
    }
}

void str::clear() {
    if (owns_buffer())
        set_length(0);
    else
        mark_stale();
}

void str::append(const char16_t* text, int count) {
    insert(length_, text, count);
}

void str::append(const str& other, int count) {
    append(other.text_, count < other.length_ ? count : other.length_);
}

void str::append(char16_t ch) {
    if (ch == 0)
        return; // would end the text early
    int got = reserve(length_ + 1);
    if (owns_buffer() && got > length_) {
        text_[length_] = ch;
        set_length(length_ + 1);
    }
}

void str::append8(char ch) {
    append(static_cast<char16_t>(static_cast<unsigned char>(ch)));
}

void str::append8(const char* text8, int count) {
    int n = bounded_length8(text8, count);
    if (n == 0)
        return;
    stable_source<char> source(text8, n, narrow_, capacity_);
    if (!source.ok())
        return;
    text8 = source.get();
    int got = reserve(length_ + n);
    if (!owns_buffer() || got <= length_)
        return;
    n = got - length_;
    for (int i = 0; i < n; ++i)
        text_[length_ + i] = static_cast<unsigned char>(text8[i]);
    set_length(got);
}

void str::insert(int pos, const char16_t* text, int count) {
    int n = bounded_length(text, count);
    if (n == 0)
        return;
    if (pos < 0)
        pos = 0;
    if (pos > length_)
        pos = length_;
    // Text from inside this buffer would be freed or shifted by the move: copy it first.
    stable_source<char16_t> source(text, n, owns_buffer() ? text_ : nullptr, capacity_);
    if (!source.ok())
        return;
    text = source.get();
    int got = reserve(length_ + n);
    if (!owns_buffer() || got <= length_)
        return;
    n = got - length_;
    std::memmove(text_ + pos + n, text_ + pos, sizeof(char16_t) * (length_ - pos));
    std::memcpy(text_ + pos, text, sizeof(char16_t) * n);
    set_length(got);
}

void str::erase(int pos, int count) {
    long long p = pos;
    long long c = count;
    if (c <= 0)
        return;
    if (p < 0) {
        c += p;
        p = 0;
        if (c <= 0)
            return;
    }
    if (p >= length_)
        return;
    if (p + c >= length_) {
        set_length(static_cast<int>(p));
        return;
    }
    std::memmove(text_ + p, text_ + p + c, sizeof(char16_t) * (length_ - p - c));
    set_length(static_cast<int>(length_ - c));
}

void str::remove_chars(const char16_t* set) {
    if (!set || !*set || length_ == 0)
        return;
    int out = 0;
    for (int i = 0; i < length_; ++i)
        if (!in_set(text_[i], set))
            text_[out++] = text_[i];
    set_length(out);
}

void str::to_lower() {
    for (int i = 0; i < length_; ++i)
        text_[i] = to_lower_char(text_[i]);
    mark_stale();
}

// --- searching ------------------------------------------------------------------------------

int str::find(char16_t ch, int start) const {
    if (start < 0 || start > length_ || ch == 0)
        return -1;
    for (int i = start; i < length_; ++i)
        if (text_[i] == ch)
            return i;
    return -1;
}

int str::find(const char16_t* sub, int start) const {
    if (!sub || start < 0 || start > length_)
        return -1;
    int n = wide_length(sub);
    for (int i = start; i + n <= length_; ++i)
        if (std::memcmp(text_ + i, sub, sizeof(char16_t) * n) == 0)
            return i;
    return -1;
}

int str::find_first_of(const char16_t* set, int start) const {
    if (!set || !*set || start < 0 || start > length_)
        return -1;
    for (int i = start; i < length_; ++i)
        if (in_set(text_[i], set))
            return i;
    return -1;
}

int str::find_last_of(const char16_t* set, int start) const {
    if (!set || !*set || length_ == 0)
        return -1;
    if (start < 0 || start >= length_)
        start = length_ - 1;
    for (int i = start; i >= 0; --i)
        if (in_set(text_[i], set))
            return i;
    return -1;
}

int str::find_last_of(char16_t ch, int start) const {
    const char16_t set[2] = {ch, 0};
    return find_last_of(set, start);
}

// --- comparing ------------------------------------------------------------------------------

bool str::equals(const char16_t* text) const {
    return compare(text) == 0;
}

bool str::equals(const char16_t* text, bool case_sensitive) const {
    return compare(text, case_sensitive) == 0;
}

int str::compare(const char16_t* text, bool case_sensitive, int count) const {
    if (!text)
        text = u"";
    for (int i = 0; i < count; ++i) {
        char16_t a = text_[i];
        char16_t b = text[i];
        if (!case_sensitive) {
            a = to_lower_char(a);
            b = to_lower_char(b);
        }
        if (a != b)
            return static_cast<int>(a) - static_cast<int>(b);
        if (a == 0)
            return 0;
    }
    return 0;
}

text_view str::substr(int pos, int count) const {
    long long p = pos;
    long long c = count;
    if (p < 0) {
        c += p;
        p = 0;
    }
    if (p > length_)
        p = length_;
    if (c > length_ - p)
        c = length_ - p;
    if (c < 0)
        c = 0;
    text_view v;
    v.ptr = text_ + p;
    v.len = static_cast<int>(c);
    return v;
}
