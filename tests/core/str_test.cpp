// Tests of str: construction, editing, searching, comparing, conversions and safe limits.

#include <gtest/gtest.h>

#include <string>

#include "core/str.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

} // namespace

TEST(StrConstruct, CapacitiesAndCopies) {
    str empty;
    EXPECT_EQ(empty.length(), 0);
    EXPECT_EQ(empty.capacity(), 64);
    EXPECT_EQ(empty.c_str()[0], u'\0');

    str sized(128, str_growable | str_narrow);
    EXPECT_EQ(sized.capacity(), 128);
    EXPECT_EQ(sized.footprint(), 128u * 2 + 128u);

    str hello(u"hello");
    EXPECT_EQ(text(hello), u"hello");
    EXPECT_GE(hello.capacity(), 6);
    EXPECT_EQ(hello.footprint(), static_cast<std::size_t>(hello.capacity()) * 2);

    str absent(static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(absent.length(), 0);
    EXPECT_GE(absent.capacity(), 8);

    str big_min(u"x", 1024);
    EXPECT_EQ(big_min.capacity(), 1024);

    str copy(sized);
    EXPECT_EQ(copy.capacity(), 128);
    copy.assign(u"abc");
    str copy2(copy);
    EXPECT_EQ(text(copy2), u"abc");
    EXPECT_EQ(text(copy), u"abc");
}

TEST(StrConstruct, MoveLeavesUsableEmptySource) {
    str a(u"moving text");
    str b(std::move(a));
    EXPECT_EQ(text(b), u"moving text");
    EXPECT_EQ(a.length(), 0); // NOLINT(bugprone-use-after-move)
    EXPECT_NE(a.c_str(), nullptr);
    EXPECT_STREQ(a.narrow(), "");
    a.append(u"again"); // the moved-from string grows a new buffer
    EXPECT_EQ(text(a), u"again");
    str c;
    c = std::move(b);
    EXPECT_EQ(text(c), u"moving text");
    b.assign(u"x");
    EXPECT_EQ(text(b), u"x");
}

TEST(StrConstruct, LimitsAreRefusedSafely) {
    // A requested capacity above 65,535 is limited.
    str huge_cap(1 << 24);
    EXPECT_EQ(huge_cap.capacity(), 65535);
    // A text above 65,535 characters is still copied whole: the capacity grows with it.
    std::u16string long_text(70000, u'a');
    long_text[69999] = u'z';
    str long_str(long_text.c_str());
    EXPECT_EQ(long_str.length(), 70000);
    EXPECT_GT(long_str.capacity(), 70000);
    EXPECT_EQ(long_str[69999], u'z');
    str limited_min(u"ab", 1 << 24);
    EXPECT_EQ(limited_min.capacity(), 65535);
}

TEST(StrNarrow, EightBitConstructionIsCurrentThenStale) {
    str at("AT");
    EXPECT_EQ(at.length(), 2);
    EXPECT_EQ(text(at), u"AT");
    const char* n1 = at.narrow();
    EXPECT_STREQ(n1, "AT");
    at.append(u'+');
    EXPECT_STREQ(at.narrow(), "AT+");
    at.assign(u"ATZ");
    EXPECT_STREQ(at.narrow(), "ATZ");
}

TEST(StrNarrow, Latin1RoundTripsEveryByte) {
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        bytes += static_cast<char>(b);
    str s(bytes.c_str());
    ASSERT_EQ(s.length(), 255);
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(s[i], static_cast<char16_t>(i + 1));
    s.append(u'x'); // make the copy stale so narrow() rebuilds it from the wide text
    EXPECT_EQ(std::string(s.narrow()), bytes + "x");
    str wide(u"a\u0100b\u20ACc");
    EXPECT_STREQ(wide.narrow(), "a?b?c");
}

TEST(StrNarrow, Assign8AndAppend8) {
    str s(0, str_growable | str_narrow);
    s.assign8("\xE9t\xE9", 2);
    EXPECT_EQ(text(s), u"\u00E9t");
    EXPECT_STREQ(s.narrow(), "\xE9t");
    s.append8('\xFF');
    s.append8("!?", 1);
    EXPECT_EQ(text(s), u"\u00E9t\u00FF!");
    s.assign8(nullptr);
    EXPECT_TRUE(s.empty());
}

TEST(StrNarrow, DirectWritesAndSync) {
    str s(16);
    int room = s.reserve(40, true);
    EXPECT_EQ(room, 40);
    ASSERT_GE(s.capacity(), 41);
    char16_t* b = s.buffer();
    b[0] = u'o';
    b[1] = u'k';
    b[2] = 0;
    s.sync_from_wide();
    EXPECT_EQ(text(s), u"ok");
    EXPECT_STREQ(s.narrow(), "ok");

    char* n = s.narrow_buffer();
    ASSERT_NE(n, nullptr);
    std::snprintf(n, static_cast<std::size_t>(s.capacity()), "COM%d\xB0", 12);
    s.sync_from_narrow();
    EXPECT_EQ(text(s), u"COM12\u00B0");
    EXPECT_STREQ(s.narrow(), "COM12\xB0");
}

TEST(StrNarrow, OverrunFoundWhenSyncingIsCut) {
    str s(8);
    int cap = s.capacity();
    for (int i = 0; i < cap; ++i) // fill the whole buffer, no terminator
        s.buffer()[i] = u'q';
    s.sync_from_wide();
    EXPECT_EQ(s.length(), cap - 1);
    EXPECT_EQ(s.c_str()[cap - 1], u'\0');

    char* n = s.narrow_buffer();
    for (int i = 0; i < cap; ++i)
        n[i] = 'w';
    s.sync_from_narrow();
    EXPECT_EQ(s.length(), cap - 1);
    EXPECT_EQ(s[0], u'w');
    EXPECT_EQ(s.c_str()[cap - 1], u'\0');
}

TEST(StrEdit, AssignAppendInsert) {
    str s;
    s.assign(u"abcdef", 3);
    EXPECT_EQ(text(s), u"abc");
    s.assign(u"xyz", 0);
    EXPECT_TRUE(s.empty());
    s.assign(u"path");
    s.append(u"/name.ini");
    EXPECT_EQ(text(s), u"path/name.ini");
    s.append(static_cast<const char16_t*>(nullptr));
    s.append(u"");
    EXPECT_EQ(text(s), u"path/name.ini");
    s.insert(4, u"XX", 1);
    EXPECT_EQ(text(s), u"pathX/name.ini");
    s.insert(-5, u"<");
    s.insert(1000, u">");
    EXPECT_EQ(text(s), u"<pathX/name.ini>");
    str other(u"12345");
    s.assign(other, 2);
    EXPECT_EQ(text(s), u"12");
    s.append(other, str_all);
    EXPECT_EQ(text(s), u"1212345");
    s.clear();
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.c_str()[0], u'\0');
}

TEST(StrEdit, AppendGrowsGeometricallyAndKeepsText) {
    str s(u"");
    int reallocations = 0;
    int last_cap = s.capacity();
    std::u16string expect;
    for (int i = 0; i < 5000; ++i) {
        char16_t ch = static_cast<char16_t>(u'a' + i % 26);
        s.append(ch);
        expect += ch;
        if (s.capacity() != last_cap) {
            EXPECT_EQ(s.capacity(), last_cap * 2);
            last_cap = s.capacity();
            ++reallocations;
        }
    }
    EXPECT_EQ(text(s), expect);
    EXPECT_LE(reallocations, 11);
}

TEST(StrEdit, SelfReferencingEdits) {
    str s(u"abc");
    s.append(s.c_str()); // source inside the buffer that is reallocated
    EXPECT_EQ(text(s), u"abcabc");
    s.append(s);
    EXPECT_EQ(text(s), u"abcabcabcabc");
    s.insert(1, s.c_str(), 3);
    EXPECT_EQ(text(s), u"aabcbcabcabcabc");
    s.assign(s.substr(2, 3));
    EXPECT_EQ(text(s), u"bcb");
    s = s;
    EXPECT_EQ(text(s), u"bcb");

    // Bytes taken from the string's own narrow copy survive the reallocation it causes.
    str full(u"1234567", 8, str_growable | str_narrow); // length = capacity - 1
    full.append8(full.narrow());
    EXPECT_EQ(text(full), u"12345671234567");
    str again(u"abcdefg", 8, str_growable | str_narrow);
    again.assign8(again.narrow() + 1, 3);
    EXPECT_EQ(text(again), u"bcd");
}

TEST(StrEdit, Erase) {
    str s(u"abcdefgh");
    s.erase(3, str_all);
    EXPECT_EQ(text(s), u"abc");
    s.assign(u"abcdefgh");
    s.erase(2, 3);
    EXPECT_EQ(text(s), u"abfgh");
    s.erase(10, 1);
    s.erase(1, 0);
    EXPECT_EQ(text(s), u"abfgh");
    s.erase(-2, 3); // shortened by the negative part: removes one character at 0
    EXPECT_EQ(text(s), u"bfgh");
    s.erase(-5, 3);
    EXPECT_EQ(text(s), u"bfgh");
    s.erase(1, 0x7fffffff);
    EXPECT_EQ(text(s), u"b");
}

TEST(StrEdit, RemoveCharsAndLower) {
    str s(u"a-b_c-d");
    s.remove_chars(u"-_");
    EXPECT_EQ(text(s), u"abcd");
    s.remove_chars(nullptr);
    EXPECT_EQ(text(s), u"abcd");
    str m(u"MiXeD \u00C4\u00D6\u00DC\u00D7 \u0100\u0179 \u0391\u03A3 \u0410\u042F\u0401 \uFF21 1!");
    m.to_lower();
    EXPECT_EQ(
        text(m),
        u"mixed \u00E4\u00F6\u00FC\u00D7 \u0101\u017A \u03B1\u03C3 \u0430\u044F\u0451 \uFF41 1!");
    EXPECT_EQ(to_lower_char(u'\u0178'), u'\u00FF');
    EXPECT_EQ(to_lower_char(u'\u00DF'), u'\u00DF');
    EXPECT_EQ(to_lower_char(u'\u0101'), u'\u0101');
}

TEST(StrSearch, FindVariants) {
    str s(u"/Settings/Default/NV/nv_default.ini");
    EXPECT_EQ(s.find_last_of(u"/\\", -1), 20);
    EXPECT_EQ(s.find_last_of(u"\\/"), 20);
    EXPECT_EQ(s.find_last_of(u'/', 19), 17);
    EXPECT_EQ(s.find_last_of(u'/', 1000), 20);
    EXPECT_EQ(s.find_last_of(u"#"), -1);
    EXPECT_EQ(s.find_last_of(u""), -1);
    EXPECT_EQ(s.find_last_of(static_cast<const char16_t*>(nullptr)), -1);
    EXPECT_EQ(str(u"").find_last_of(u"/"), -1);

    EXPECT_EQ(s.find(u'D'), 10);
    EXPECT_EQ(s.find(u'D', 11), -1);
    EXPECT_EQ(s.find(u'/', s.length()), -1);
    EXPECT_EQ(s.find(u'/', s.length() + 1), -1);
    EXPECT_EQ(s.find(u"default"), 24);
    EXPECT_EQ(s.find(u"Default", 11), -1);
    EXPECT_EQ(s.find(u"", 3), 3);
    EXPECT_EQ(s.find(static_cast<const char16_t*>(nullptr)), -1);
    EXPECT_EQ(s.find(u"ini", s.length() + 1), -1);
    EXPECT_EQ(s.find(u".ini", 30), 31);

    EXPECT_EQ(s.find_first_of(u"\\/", 1), 9);
    EXPECT_EQ(s.find_first_of(u"."), 31);
    EXPECT_EQ(s.find_first_of(u"", 0), -1);
    EXPECT_EQ(s.find_first_of(u"/", s.length()), -1);
}

TEST(StrCompare, EqualsAndThreeWay) {
    str empty(u"");
    EXPECT_TRUE(empty.equals(nullptr));
    EXPECT_TRUE(empty == static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(empty.compare(nullptr), 0);

    str s(u"Hello");
    EXPECT_TRUE(s == u"Hello");
    EXPECT_TRUE(s != u"hello");
    EXPECT_TRUE(s.equals(u"hELLO", false));
    EXPECT_FALSE(s.equals(u"hELLO", true));
    EXPECT_FALSE(s.equals(u"Hell"));
    EXPECT_FALSE(s.equals(u"Hello!"));
    EXPECT_EQ(s.compare(nullptr), u'H'); // an absent text: the first character
    EXPECT_LT(s.compare(u"Hellp"), 0);
    EXPECT_GT(s.compare(u"Hell"), 0);
    EXPECT_EQ(s.compare(u"Help", true, 3), 0);
    EXPECT_NE(s.compare(u"Help", true, 4), 0);
    EXPECT_EQ(s.compare(u"HELLO WORLD", false, 5), 0);
    EXPECT_EQ(s.compare(u"hello", false), 0);
    EXPECT_LT(str(u"\u00C4").compare(u"\u00E5", false), 0);

    str s2(u"Hello");
    EXPECT_TRUE(s == s2);
    EXPECT_FALSE(s != s2);
    EXPECT_TRUE(u"Hello" == s);
}

TEST(StrSubstr, ClampsPositionAndCount) {
    str s(u"abcdef");
    text_view v = s.substr(2, 3);
    EXPECT_EQ(std::u16string(v.ptr, v.len), u"cde");
    v = s.substr(-2, 4);
    EXPECT_EQ(std::u16string(v.ptr, v.len), u"ab");
    v = s.substr(4);
    EXPECT_EQ(std::u16string(v.ptr, v.len), u"ef");
    v = s.substr(10, 2);
    EXPECT_EQ(v.len, 0);
    EXPECT_EQ(v.ptr, s.c_str() + 6);
    str from_view(s.substr(1, 2));
    EXPECT_EQ(text(from_view), u"bc");
    EXPECT_STREQ(from_view.narrow(), "bc");

    text_view clamped(u"abc", 10);
    EXPECT_EQ(clamped.len, 3);
    text_view null_view(nullptr, 5);
    EXPECT_EQ(null_view.len, 0);
    EXPECT_EQ(wide_length(nullptr), 0);
    EXPECT_EQ(wide_length(u"four"), 4);
}

TEST(StrConvert, ToInt) {
    int stop = -1;
    EXPECT_EQ(str(u"0x1F").to_int(&stop), 31);
    EXPECT_EQ(stop, 4);
    EXPECT_EQ(str(u"0xffG").to_int(&stop), 255);
    EXPECT_EQ(stop, 4);
    EXPECT_EQ(str(u"123abc").to_int(&stop), 123);
    EXPECT_EQ(stop, 3);
    EXPECT_EQ(str(u"-42").to_int(&stop), -42);
    EXPECT_EQ(stop, 3);
    EXPECT_EQ(str(u"  +7,").to_int(&stop), 7);
    EXPECT_EQ(stop, 4);
    EXPECT_EQ(str(u"abc").to_int(&stop), 0);
    EXPECT_EQ(stop, 0);
    EXPECT_EQ(str(u"").to_int(&stop), 0);
    EXPECT_EQ(stop, 0);
    EXPECT_EQ(str(u"99999999999999999999999").to_int(), INT64_MAX);
    EXPECT_EQ(str(u"-9223372036854775808").to_int(), INT64_MIN);
    EXPECT_EQ(str(u"0xFFFFFFFFFFFFFFFFFF").to_int(), INT64_MAX);
    EXPECT_EQ(str(u"4294967295").to_int(), 4294967295LL);
}

TEST(StrConvert, Format) {
    str s(u"old contents");
    s.format(u"Language: %d", 7);
    EXPECT_EQ(text(s), u"Language: 7");
    s.format(u"Orvel %2d%%", 5);
    EXPECT_EQ(text(s), u"Orvel  5%");
    s.format(u"vWidget%08x:0x%08x", 0xABCu, 0x12345678u);
    EXPECT_EQ(text(s), u"vWidget00000abc:0x12345678");
    s.format(u"%s|%s", "caf\xE9", str(u"x").narrow());
    EXPECT_EQ(text(s), u"caf\u00E9|x");
    EXPECT_STREQ(s.narrow(), "caf\xE9|x");

    // Longer than the buffer: the buffer grows, nothing is cut or overrun.
    str small(8);
    std::string long_arg(3000, 'k');
    small.format(u"<%s>", long_arg.c_str());
    EXPECT_EQ(small.length(), 3002);
    EXPECT_GE(small.capacity(), 3003);
    EXPECT_EQ(small[0], u'<');
    EXPECT_EQ(small[3001], u'>');
}

TEST(StrConvert, Utf8BothWays) {
    str s(u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(s.to_utf8(), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    str back = str::from_utf8(s.to_utf8().c_str());
    EXPECT_TRUE(back == s);

    // Lone surrogates cannot be encoded: U+FFFD.
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
    EXPECT_EQ(str(lone).to_utf8(), "x\xEF\xBF\xBDy\xEF\xBF\xBD");

    // Invalid UTF-8 bytes are taken as Latin-1 characters.
    str bad = str::from_utf8("n\xE9w\xC3");
    EXPECT_EQ(text(bad), u"n\u00E9w\u00C3");
    str overlong = str::from_utf8("\xC0\xAF");
    EXPECT_EQ(text(overlong), u"\u00C0\u00AF");
    str surrogate = str::from_utf8("\xED\xA0\x80");
    EXPECT_EQ(text(surrogate), u"\u00ED\u00A0\u0080");
    EXPECT_TRUE(str::from_utf8(nullptr).empty());
    EXPECT_EQ(str::from_utf8("", 300).capacity(), 300);
}
