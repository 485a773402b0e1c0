// Tests of the separator-set and command-line tokenizers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tokenizers.h"

namespace {

std::vector<std::u16string> tokens(const strtokens& t) {
    std::vector<std::u16string> out;
    for (int i = 0; i < t.count(); ++i) {
        text_view v = t.item(i);
        out.emplace_back(v.ptr, v.len);
    }
    return out;
}

using list = std::vector<std::u16string>;

} // namespace

TEST(TokensVar, SplitsAtAnySeparatorAndKeepsEmptyTokens) {
    strtokens_var t(u":;");
    str numbers(u"12:345;6");
    EXPECT_EQ(t.tokenize(numbers), 3);
    EXPECT_EQ(tokens(t), (list{u"12", u"345", u"6"}));

    str gaps(u"a::b;");
    EXPECT_EQ(t.tokenize(gaps), 4);
    EXPECT_EQ(tokens(t), (list{u"a", u"", u"b", u""}));

    str empty(u"");
    EXPECT_EQ(t.tokenize(empty), 1);
    EXPECT_EQ(tokens(t), (list{u""}));

    const str only(u";");
    EXPECT_EQ(t.tokenize(only), 2);
    EXPECT_EQ(tokens(t), (list{u"", u""}));
}

TEST(TokensVar, TokensPointIntoTheText) {
    strtokens_var bars(u"|");
    str s(u"one|two|three");
    ASSERT_EQ(bars.tokenize(s), 3);
    EXPECT_EQ(bars.item(1).ptr, s.c_str() + 4);
    EXPECT_EQ(bars.item(1).len, 3);
    // Out of range: an empty view, never a stale slot.
    EXPECT_EQ(bars.item(3).ptr, nullptr);
    EXPECT_EQ(bars.item(3).len, 0);
    EXPECT_EQ(bars.item(-1).len, 0);
    bars.clear();
    EXPECT_EQ(bars.count(), 0);
    EXPECT_EQ(bars.item(0).len, 0);

    strtokens_var none(u"");
    str whole(u"a|b");
    EXPECT_EQ(none.tokenize(whole), 1);
    EXPECT_EQ(tokens(none), (list{u"a|b"}));
}

TEST(TokensVar, ManyTokensGrowTheArray) {
    strtokens_var t(u",");
    str many;
    for (int i = 0; i < 600; ++i) {
        if (i)
            many.append(u',');
        many.append(static_cast<char16_t>(u'a' + i % 26));
    }
    ASSERT_EQ(t.tokenize(many), 600);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(t.item(i).len, 1);
        EXPECT_EQ(t.item(i).ptr[0], static_cast<char16_t>(u'a' + i % 26));
    }
    str two(u"x,y");
    EXPECT_EQ(t.tokenize(two), 2); // re-tokenizing starts afresh
    EXPECT_EQ(tokens(t), (list{u"x", u"y"}));
}

TEST(TokensBase, HasNoRuleOfItsOwn) {
    strtokens t;
    str s(u"a b");
    EXPECT_EQ(t.tokenize(s), 0);
    EXPECT_EQ(t.count(), 0);
}

TEST(TokensCpp, SplitsCommandLines) {
    str line(u"orvel.exe \"C:\\Program Files\\Orvel\\x.ini\" -v");
    strtokens_cpp t(line);
    EXPECT_EQ(tokens(t), (list{u"orvel.exe", u"C:\\Program Files\\Orvel\\x.ini", u"-v"}));

    str spaced(u"  a  b\t\tc \r\n");
    strtokens_cpp t2(spaced);
    EXPECT_EQ(tokens(t2), (list{u"a", u"b", u"c"}));

    str none(u"   ");
    strtokens_cpp t3(none);
    EXPECT_EQ(t3.count(), 0);
}

TEST(TokensCpp, QuotesDoubledEmptyAndUnterminated) {
    str doubled(u"say \"he said \"\"hi\"\"\" end");
    strtokens_cpp t(doubled);
    EXPECT_EQ(tokens(t), (list{u"say", u"he said \"hi\"", u"end"}));
    // One quote of each pair was erased from the text itself; the closing quote stays.
    EXPECT_TRUE(doubled == u"say \"he said \"hi\"\" end");

    str empty_arg(u"a \"\" b");
    strtokens_cpp t2(empty_arg);
    EXPECT_EQ(tokens(t2), (list{u"a", u"", u"b"}));

    str empty_at_end(u"a \"\"");
    strtokens_cpp t3(empty_at_end);
    EXPECT_EQ(tokens(t3), (list{u"a", u""}));

    str unterminated(u"a \"b c");
    strtokens_cpp t4(unterminated);
    EXPECT_EQ(tokens(t4), (list{u"a", u"b c"}));

    str glued(u"pre\"quoted part\"post");
    strtokens_cpp t5(glued);
    EXPECT_EQ(tokens(t5), (list{u"pre", u"quoted part", u"post"}));

    str just_quote(u"\"");
    strtokens_cpp t6(just_quote);
    EXPECT_EQ(t6.count(), 0);

    str quote_pair_only(u"\"\"\"\"");
    strtokens_cpp t7(quote_pair_only);
    EXPECT_EQ(tokens(t7), (list{u"\""}));
}
