#pragma once
// The program's one string type: growable UTF-16 text with a cached 8-bit (Latin-1) copy.

#include <cstddef>
#include <cstdint>
#include <string>

// A count meaning "to the end, all of it".
inline constexpr int str_all = 0x3fffffff;

// Construction flags.
enum : unsigned {
    str_stale = 1,    // the narrow copy must be rebuilt before use
    str_growable = 2, // the buffer may be reallocated to grow
    str_narrow = 4,   // allocate the narrow copy at construction
};

// Zero-terminated length of a wide text; 0 for null.
int wide_length(const char16_t* text);

// Lower-case form of one UTF-16 unit: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, Armenian
// and the full-width Latin letters; every other unit is returned unchanged. Locale independent.
char16_t to_lower_char(char16_t ch);

// Non-owning slice of wide text. Building one clamps the length to the zero-terminated length
// of the text pointed to; a null pointer gives length 0.
struct text_view {
    const char16_t* ptr = nullptr;
    int len = 0;

    text_view() = default;
    text_view(const char16_t* text, int count = str_all);
};

// Capacities count characters, terminator included. A capacity requested at construction is
// limited to 65,535; a longer text still gets room for all of it. Growth that would pass about 2^30
// characters, or whose allocation fails, is refused: the text is cut, never written past the
// buffer. A moved-from string is empty with capacity 0 and grows again on the next change. The
// narrow copy is a cache: narrow() is not safe to call from two threads at once on the same string.
class str {
public:
    // Empty; capacity as given, 64 when 0.
    explicit str(int capacity = 0, unsigned flags = str_growable);
    // Capacity: the larger of length + 1, min_capacity and 8.
    str(const char16_t* text, int min_capacity = 0, unsigned flags = str_growable);
    // Each byte becomes one character (Latin-1); the narrow copy is allocated and current.
    str(const char* text8, int min_capacity = 0, unsigned flags = str_growable);
    str(text_view view);   // growable, narrow copy allocated
    str(const str& other); // the source's capacity and flags
    str(str&& other) noexcept;
    str& operator=(const str& other);
    str& operator=(str&& other) noexcept;
    str& operator=(const char16_t* text);
    virtual ~str();

    // Bytes held by the buffers.
    virtual std::size_t footprint() const;

    const char16_t* c_str() const { return text_; } // never null for a constructed string
    // For direct writes of up to reserve()'s answer; call sync_from_wide after.
    char16_t* buffer() { return text_; }
    int length() const { return length_; }
    int capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    char16_t operator[](int i) const { return text_[i]; }

    // Assignment; each leaves the narrow copy stale unless stated.
    void assign(const char16_t* text, int count = str_all);
    void assign(const str& other, int count = str_all);
    void assign(text_view view);
    // Latin-1 bytes; a present narrow copy receives the same bytes and becomes current.
    void assign8(const char* text8, int count = str_all);
    void clear();

    void append(const char16_t* text, int count = str_all);
    void append(const str& other, int count = str_all);
    void append(char16_t ch); // a 0 character is ignored: it would end the text early
    void append8(char ch);
    void append8(const char* text8, int count = str_all);
    void insert(int pos, const char16_t* text, int count = str_all);
    void erase(int pos, int count = str_all);
    void remove_chars(const char16_t* set); // remove every character that occurs in set
    void to_lower();

    // Searches answer a character position, or -1. find and find_first_of need a start within
    // 0..length; find_last_of starts at the last character when start is negative or too large.
    int find(char16_t ch, int start = 0) const;
    int find(const char16_t* sub, int start = 0) const;
    int find_first_of(const char16_t* set, int start = 0) const;
    int find_last_of(const char16_t* set, int start = -1) const;
    int find_last_of(char16_t ch, int start = -1) const;

    // Comparing; an absent (null) argument compares as the empty text.
    bool equals(const char16_t* text) const;
    bool equals(const char16_t* text, bool case_sensitive) const;
    int compare(const char16_t* text, bool case_sensitive = true, int count = str_all) const;
    bool operator==(const char16_t* text) const { return equals(text); }
    bool operator!=(const char16_t* text) const { return !equals(text); }
    bool operator==(const str& other) const { return equals(other.c_str()); }

    text_view substr(int pos, int count = str_all) const;

    // "0x…" is unsigned hexadecimal, else signed decimal; stops at the first unsuitable character.
    long long to_int(int* stop = nullptr) const;

    // The 8-bit copy (Latin-1; characters above U+00FF become '?'), rebuilt when stale. Valid until
    // the string changes size or is destroyed.
    const char* narrow() const;
    // Writable narrow buffer of capacity() bytes for direct writes; call sync_from_narrow after.
    char* narrow_buffer();

    // Makes room for a length of n characters; discard drops the contents. Returns the usable
    // length.
    int reserve(int n, bool discard = false);
    void sync_from_wide(); // length = zero-terminated length of the wide buffer; narrow copy stale
    void sync_from_narrow(); // length and text from the 8-bit buffer (byte by byte); narrow current

    // printf-style formatting (the format is ASCII; %s takes an 8-bit text, widened as Latin-1).
    // Replaces the contents; the buffer grows to hold the whole result.
    void format(const char16_t* fmt, ...);

    // UTF-8 forms, for file system paths and terminals on POSIX. Unpaired surrogates are written
    // as U+FFFD; bytes that are not valid UTF-8 are read as Latin-1 characters, one per byte.
    std::string to_utf8() const;
    static str from_utf8(const char* text, int min_capacity = 0);

private:
    void init(int capacity, unsigned flags);
    void release();
    void mark_stale() const { flags_ |= str_stale; }
    bool ensure_narrow() const;
    void set_length(int n);
    bool owns_buffer() const { return capacity_ > 0; }

    char16_t* text_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
    mutable char* narrow_ = nullptr;
    mutable unsigned flags_ = str_growable;
};
