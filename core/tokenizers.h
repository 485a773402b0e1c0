#pragma once
// Splitting a str into tokens that point into it. The tokenized text must outlive the tokens and
// must not change while they are used.

#include <memory>

#include "core/str.h"

class strtokens {
public:
    strtokens();
    strtokens(const strtokens&) = delete;
    strtokens& operator=(const strtokens&) = delete;
    virtual ~strtokens();

    // Tokenizes with the variant's rule; the base class forwards to tokenize(const str&).
    virtual int tokenize(str& text);
    // The variant's own rule on a text it need not change; 0 tokens in the base class.
    virtual int tokenize(const str& text);
    // Tokens of a temporary would dangle.
    int tokenize(str&&) = delete;

    int count() const { return count_; }
    // The token at index; an empty view when index is out of range.
    text_view item(int index) const;
    // Count 0 and every slot empty; the array keeps its capacity.
    void clear();

protected:
    // The next free slot (the array grows when needed), counted; null only when memory ran out.
    text_view* add();
    void add(const char16_t* start, int length);

private:
    std::unique_ptr<text_view[]> items_;
    int count_ = 0;
    int capacity_ = 0;
};

// Splits at any character of a separator set. Empty tokens are kept: two separators in a row, a
// trailing separator and an empty text each give an empty token.
class strtokens_var : public strtokens {
public:
    explicit strtokens_var(const char16_t* separators);
    using strtokens::tokenize;
    int tokenize(const str& text) override;

private:
    str separators_;
};

// Splits a command line into arguments at white space (" \t\n\r"), honouring double quotes:
// quotes group a phrase, a pair of quotes inside quotes is one literal quote (the text itself is
// changed: one of the two is erased), and a quoted empty phrase is an empty argument.
class strtokens_cpp : public strtokens {
public:
    explicit strtokens_cpp(str& text);
    strtokens_cpp(str&&) = delete;
    using strtokens::tokenize;
    int tokenize(str& text) override;
};
