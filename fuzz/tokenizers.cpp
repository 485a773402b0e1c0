// Fuzz target: strtokens_var and strtokens_cpp on arbitrary text, each checked against a plain
// model of its rule; every token must point into the tokenized text, in order.
//
// Input: byte 0 picks the form (bits 0-1: number of separator characters that follow, for
// strtokens_var; bit 2: the text is UTF-16LE pairs instead of one character per byte), then the
// separators, then the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/tokenizers.h"
#include "fuzz/check.h"

namespace {

using tokens = std::vector<std::u16string>;

bool is_space(char16_t ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r';
}

tokens model_var(const std::u16string& text, const std::u16string& separators) {
    tokens out(1);
    for (char16_t ch : text) {
        if (separators.find(ch) != std::u16string::npos)
            out.emplace_back();
        else
            out.back().push_back(ch);
    }
    return out;
}

// Command line: white space separates outside quotes; a quote opens a phrase (ending the pending
// argument); inside, a doubled quote is one literal quote; a closed phrase is an argument even
// when empty, and whatever follows it directly starts the next argument.
tokens model_cpp(const std::u16string& text) {
    enum { outside, inside, after_quote } state = outside;
    tokens out;
    std::u16string pending;
    for (char16_t ch : text) {
        switch (state) {
        case outside:
            if (ch == u'"' || is_space(ch)) {
                if (!pending.empty())
                    out.push_back(pending);
                pending.clear();
                if (ch == u'"')
                    state = inside;
            } else {
                pending.push_back(ch);
            }
            break;
        case inside:
            if (ch == u'"')
                state = after_quote;
            else
                pending.push_back(ch);
            break;
        case after_quote:
            if (ch == u'"') {
                pending.push_back(ch);
                state = inside;
            } else {
                out.push_back(pending);
                pending.clear();
                state = outside;
                if (!is_space(ch))
                    pending.push_back(ch);
            }
            break;
        }
    }
    if (state == after_quote || !pending.empty())
        out.push_back(pending);
    return out;
}

// The tokens equal the model's, lie inside the text and follow each other without overlap.
void check_tokens(const strtokens& tok, const str& text, const tokens& expected) {
    FUZZ_CHECK(tok.count() == static_cast<int>(expected.size()));
    const char16_t* begin = text.c_str();
    const char16_t* end = begin + text.length();
    const char16_t* previous_end = begin;
    for (int i = 0; i < tok.count(); ++i) {
        text_view item = tok.item(i);
        FUZZ_CHECK(item.ptr != nullptr && item.len >= 0);
        FUZZ_CHECK(item.ptr >= previous_end && item.ptr + item.len <= end);
        FUZZ_CHECK(std::u16string(item.ptr, static_cast<std::size_t>(item.len)) == expected[i]);
        previous_end = item.ptr + item.len;
    }
    FUZZ_CHECK(tok.item(-1).len == 0 && tok.item(tok.count()).len == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned form = data[0];
    std::size_t pos = 1;
    std::u16string separators;
    for (unsigned n = form & 3; n > 0 && pos < size; --n, ++pos)
        if (data[pos] != 0)
            separators.push_back(data[pos]);
    const std::u16string units =
        (form & 4) ? utf16_units(data + pos, size - pos) : latin1_units(data + pos, size - pos);

    {
        const str text = make_str(units);
        const str seps = make_str(separators);
        strtokens_var tok(seps.c_str());
        const tokens expected = model_var(units, separators);
        FUZZ_CHECK(tok.tokenize(text) == static_cast<int>(expected.size()));
        check_tokens(tok, text, expected);
        // Tokenizing again reuses the slots and gives the same answer.
        FUZZ_CHECK(tok.tokenize(text) == static_cast<int>(expected.size()));
        check_tokens(tok, text, expected);
        tok.clear();
        FUZZ_CHECK(tok.count() == 0 && tok.item(0).len == 0);
    }
    {
        str text = make_str(units);
        strtokens_cpp tok(text);
        check_tokens(tok, text, model_cpp(units));
    }
    return 0;
}
