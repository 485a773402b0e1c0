// strtokens and its two variants: separator sets and command lines.

#include "core/tokenizers.h"

#include <new>

namespace {

constexpr int initial_capacity = 32;

bool is_space(char16_t ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r';
}

} // namespace

strtokens::strtokens() : items_(new (std::nothrow) text_view[initial_capacity]) {
    capacity_ = items_ ? initial_capacity : 0;
}

strtokens::~strtokens() = default;

int strtokens::tokenize(str& text) {
    return tokenize(static_cast<const str&>(text));
}

int strtokens::tokenize(const str&) {
    clear();
    return 0;
}

text_view strtokens::item(int index) const {
    if (index < 0 || index >= count_)
        return text_view();
    return items_[index];
}

void strtokens::clear() {
    for (int i = 0; i < count_; ++i)
        items_[i] = text_view();
    count_ = 0;
}

text_view* strtokens::add() {
    if (count_ >= capacity_) {
        long long cap = capacity_ == 0 ? initial_capacity : capacity_;
        while (cap <= count_)
            cap *= 4;
        if (cap > 0x7fffffff)
            return nullptr;
        std::unique_ptr<text_view[]> fresh(new (std::nothrow) text_view[cap]);
        if (!fresh)
            return nullptr;
        for (int i = 0; i < count_; ++i)
            fresh[i] = items_[i];
        items_ = std::move(fresh);
        capacity_ = static_cast<int>(cap);
    }
    return &items_[count_++];
}

void strtokens::add(const char16_t* start, int length) {
    if (text_view* slot = add()) {
        slot->ptr = start;
        slot->len = length;
    }
}

// --- separator sets -----------------------------------------------------------------------------

strtokens_var::strtokens_var(const char16_t* separators) : separators_(separators) {}

int strtokens_var::tokenize(const str& text) {
    clear();
    int start = 0;
    for (;;) {
        int sep = text.find_first_of(separators_.c_str(), start);
        int end = sep < 0 ? text.length() : sep;
        add(text.c_str() + start, end - start);
        if (sep < 0)
            break;
        start = sep + 1;
    }
    return count();
}

// --- command lines ------------------------------------------------------------------------------

strtokens_cpp::strtokens_cpp(str& text) {
    tokenize(text);
}

int strtokens_cpp::tokenize(str& text) {
    enum class state { outside, inside, after_quote };
    clear();
    state st = state::outside;
    int start = 0; // the pending token is [start, end)
    int end = 0;
    int i = 0;
    while (i < text.length()) {
        char16_t ch = text[i];
        switch (st) {
        case state::outside:
            if (ch == u'"' || is_space(ch)) {
                if (end > start)
                    add(text.c_str() + start, end - start);
                start = end = i + 1;
                if (ch == u'"')
                    st = state::inside;
            } else {
                end = i + 1;
            }
            ++i;
            break;
        case state::inside:
            if (ch == u'"')
                st = state::after_quote;
            else
                end = i + 1;
            ++i;
            break;
        case state::after_quote:
            if (ch == u'"') {
                // A doubled quote is one literal quote: drop the second, keep the first.
                text.erase(i, 1);
                end = i;
                st = state::inside;
            } else {
                add(text.c_str() + start, end - start); // kept even when empty
                st = state::outside;
                if (is_space(ch)) {
                    start = end = i + 1;
                } else {
                    start = i;
                    end = i + 1;
                }
                ++i;
            }
            break;
        }
    }
    if (st == state::after_quote || end > start)
        add(text.c_str() + start, end - start);
    return count();
}
