// Tests of regkey over the in-memory registry: walking by path and index, the depth limit,
// reading values of every type, and that every opened key is closed again.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/memory_registry.h"
#include "core/regkey.h"

namespace {

constexpr reg_root hklm = reg_root::local_machine;
constexpr reg_root hkcu = reg_root::current_user;

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// The registry of a small machine: the Enum key below SYSTEM\CurrentControlSet, with a marker
// value in each key so that a test can tell which key is current.
class RegkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg.set_string(hklm, u"SYSTEM", u"Marker", u"system");
        reg.set_string(hklm, u"SYSTEM\\CurrentControlSet", u"Marker", u"ccs");
        reg.set_string(hklm, u"SYSTEM\\CurrentControlSet\\Enum", u"Marker", u"enum");
        reg.set_string(hklm, u"SYSTEM\\CurrentControlSet\\Enum\\USB", u"Marker", u"usb");
        reg.set_string(hklm, u"SOFTWARE\\Vendor", u"Marker", u"vendor");
        reg.set_string(hkcu, u"Software\\Orvel", u"Marker", u"user");
    }

    // The marker of the current key, or "-" when it has none.
    std::u16string marker(regkey& key) {
        str m;
        return key.read_string(u"Marker", m, u"-") ? text(m) : u"-";
    }

    memory_registry reg;
};

TEST_F(RegkeyTest, OpenByPathFromAnyState) {
    regkey key(reg, hklm);
    EXPECT_EQ(key.depth(), 0);
    ASSERT_TRUE(key.open(u"HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Enum"));
    EXPECT_EQ(key.depth(), 3);
    EXPECT_EQ(marker(key), u"enum");

    // From deep below another root the root name restarts the walk.
    regkey user(reg, hkcu);
    ASSERT_TRUE(user.open(u"Software/Orvel"));
    EXPECT_EQ(user.depth(), 2);
    ASSERT_TRUE(user.open(u"HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Enum"));
    EXPECT_EQ(user.depth(), 3);
    EXPECT_EQ(marker(user), u"enum");
    EXPECT_EQ(reg.open_handles(), 6);

    // A root name alone closes everything and makes that root current.
    ASSERT_TRUE(user.open(u"HKEY_CURRENT_USER"));
    EXPECT_EQ(user.depth(), 0);
    EXPECT_EQ(reg.open_handles(), 3);
    ASSERT_TRUE(user.open(u"Software\\Orvel"));
    EXPECT_EQ(marker(user), u"user");
}

TEST_F(RegkeyTest, SeparatorsAndTrailingSeparator) {
    regkey back(reg, hklm);
    ASSERT_TRUE(back.open(u"SYSTEM\\CurrentControlSet"));
    EXPECT_EQ(back.depth(), 2);
    EXPECT_EQ(marker(back), u"ccs");

    regkey mixed(reg, hklm);
    ASSERT_TRUE(mixed.open(u"SYSTEM\\CurrentControlSet/Enum\\USB"));
    EXPECT_EQ(mixed.depth(), 4);
    EXPECT_EQ(marker(mixed), u"usb");

    regkey trailing(reg, hklm);
    ASSERT_TRUE(trailing.open(u"SYSTEM/"));
    EXPECT_EQ(trailing.depth(), 1);
    EXPECT_EQ(marker(trailing), u"system");

    // Relative to the current key, level by level.
    ASSERT_TRUE(trailing.open(u"CurrentControlSet"));
    ASSERT_TRUE(trailing.open(u"Enum"));
    EXPECT_EQ(trailing.depth(), 3);
    EXPECT_EQ(marker(trailing), u"enum");
}

TEST_F(RegkeyTest, RefusedPathsAndPartialFailure) {
    regkey key(reg, hklm);
    EXPECT_FALSE(key.open(nullptr));
    EXPECT_FALSE(key.open(u""));
    EXPECT_EQ(key.depth(), 0);

    // Names of the roots match exactly; in other letters they are ordinary (missing) keys.
    EXPECT_FALSE(key.open(u"hkey_local_machine/SYSTEM"));
    EXPECT_EQ(key.depth(), 0);

    // A failure part-way leaves the earlier levels open and current.
    EXPECT_FALSE(key.open(u"SYSTEM/CurrentControlSet/Missing/Enum"));
    EXPECT_EQ(key.depth(), 2);
    EXPECT_EQ(marker(key), u"ccs");
    key.close_all();

    // An empty level never opens the current key a second time.
    EXPECT_FALSE(key.open(u"SYSTEM//CurrentControlSet"));
    EXPECT_EQ(key.depth(), 1);
    key.close_all();
    EXPECT_FALSE(key.open(u"/SYSTEM"));
    EXPECT_EQ(key.depth(), 0);
    EXPECT_EQ(reg.open_handles(), 0);
    EXPECT_EQ(reg.bad_closes(), 0);
}

TEST_F(RegkeyTest, KeyNamesIgnoreLetterCase) {
    regkey key(reg, hklm);
    ASSERT_TRUE(key.open(u"system/currentcontrolset/ENUM"));
    EXPECT_EQ(marker(key), u"enum");
    str m;
    EXPECT_TRUE(key.read_string(u"MARKER", m));
    EXPECT_EQ(text(m), u"enum");
}

TEST_F(RegkeyTest, CreateMakesMissingKeysOnlyWhenAsked) {
    regkey key(reg, hkcu);
    EXPECT_FALSE(key.open(u"Software/New/Deeper"));
    EXPECT_EQ(key.depth(), 1);
    key.close_all();

    ASSERT_TRUE(key.open(u"Software/New/Deeper", true));
    EXPECT_EQ(key.depth(), 3);
    key.close_all();

    regkey again(reg, hkcu);
    EXPECT_TRUE(again.open(u"Software/New/Deeper"));
    // The existing key is opened, not replaced: its sibling is still there.
    EXPECT_TRUE(again.open(u"HKEY_CURRENT_USER/Software/Orvel"));
    EXPECT_EQ(marker(again), u"user");
}

TEST_F(RegkeyTest, UpAndCloseAll) {
    regkey key(reg, hklm);
    EXPECT_FALSE(key.up());
    EXPECT_EQ(key.depth(), 0);
    EXPECT_EQ(reg.open_handles(), 0);

    ASSERT_TRUE(key.open(u"SYSTEM/CurrentControlSet/Enum/USB"));
    EXPECT_TRUE(key.up());
    EXPECT_EQ(key.depth(), 3);
    EXPECT_EQ(marker(key), u"enum");
    EXPECT_TRUE(key.up());
    EXPECT_EQ(marker(key), u"ccs");
    EXPECT_EQ(reg.open_handles(), 2);

    key.close_all();
    EXPECT_EQ(key.depth(), 0);
    EXPECT_EQ(reg.open_handles(), 0);
    EXPECT_FALSE(key.up());

    {
        regkey scoped(reg, hklm);
        ASSERT_TRUE(scoped.open(u"SYSTEM/CurrentControlSet/Enum"));
        EXPECT_EQ(reg.open_handles(), 3);
    }
    EXPECT_EQ(reg.open_handles(), 0);
    EXPECT_EQ(reg.bad_closes(), 0);
}

TEST_F(RegkeyTest, EnterWalksSubkeysInOrder) {
    const char16_t* names[] = {u"Zeta", u"alpha", u"Mid"};
    for (const char16_t* n : names) {
        std::u16string path = u"SOFTWARE\\List\\";
        path += n;
        reg.set_string(hklm, path.c_str(), u"Marker", n);
    }
    regkey key(reg, hklm);
    ASSERT_TRUE(key.open(u"SOFTWARE/List"));
    std::u16string seen;
    std::uint32_t i = 0;
    for (; key.enter(i); ++i) {
        EXPECT_EQ(key.depth(), 3);
        seen += marker(key) + u",";
        EXPECT_TRUE(key.up());
    }
    EXPECT_EQ(i, 3u);
    EXPECT_EQ(seen, u"Zeta,alpha,Mid,");
    EXPECT_EQ(key.depth(), 2);
    EXPECT_FALSE(key.enter(1000));
    EXPECT_EQ(key.depth(), 2);
    key.close_all();
    EXPECT_EQ(reg.open_handles(), 0);
}

TEST_F(RegkeyTest, DepthIsLimitedToThirtyTwoKeys) {
    std::u16string path = u"Deep";
    for (int level = 2; level <= regkey::max_depth + 2; ++level)
        path += u"\\L" + std::u16string(1, static_cast<char16_t>(u'A' + level % 26));
    ASSERT_TRUE(reg.add_key(hkcu, path.c_str()));

    std::u16string slashed = path;
    for (char16_t& c : slashed)
        if (c == u'\\')
            c = u'/';
    regkey key(reg, hkcu);
    // The path has 34 levels: the walk stops at 32 open keys.
    EXPECT_FALSE(key.open(slashed.c_str()));
    EXPECT_EQ(key.depth(), regkey::max_depth);
    EXPECT_FALSE(key.enter(0)); // the key below exists, but there is no room for it
    EXPECT_FALSE(key.open(u"LA", true));
    EXPECT_EQ(key.depth(), regkey::max_depth);
    EXPECT_EQ(reg.open_handles(), regkey::max_depth);
    EXPECT_TRUE(key.up());
    EXPECT_TRUE(key.enter(0));
    EXPECT_EQ(key.depth(), regkey::max_depth);
    key.close_all();
    EXPECT_EQ(reg.open_handles(), 0);
    EXPECT_EQ(reg.bad_closes(), 0);
}

TEST_F(RegkeyTest, ReadStringOfEveryTextType) {
    reg.set_string(hklm, u"SOFTWARE\\Vendor", u"Plain", u"COM5");
    reg.set_multi_string(hklm, u"SOFTWARE\\Vendor", u"Multi", {u"first", u"second"});
    const unsigned char bytes[] = {'G', 'a', 'l', 0xE9, 'x', 0xFF};
    reg.set_binary(hklm, u"SOFTWARE\\Vendor", u"Bytes", bytes, sizeof bytes); // no terminator
    const unsigned char cut[] = {'a', 'b', 0, 'c'};
    reg.set_binary(hklm, u"SOFTWARE\\Vendor", u"Cut", cut, sizeof cut);
    reg.set_string(hklm, u"SOFTWARE\\Vendor", u"Empty", u"");
    std::u16string long_text(5000, u'w');
    reg.set_string(hklm, u"SOFTWARE\\Vendor", u"Long", long_text.c_str());

    regkey key(reg, hklm);
    ASSERT_TRUE(key.open(u"SOFTWARE/Vendor"));
    str out(u"previous contents that are longer than the value");
    EXPECT_TRUE(key.read_string(u"Plain", out, u"default"));
    EXPECT_EQ(text(out), u"COM5");
    EXPECT_TRUE(key.read_string(u"Multi", out));
    EXPECT_EQ(text(out), u"first");
    EXPECT_TRUE(key.read_string(u"Bytes", out));
    EXPECT_EQ(text(out), u"Gal\u00e9x\u00ff");
    EXPECT_EQ(std::string(out.narrow()), std::string("Gal\xe9x\xff"));
    EXPECT_TRUE(key.read_string(u"Cut", out));
    EXPECT_EQ(text(out), u"ab");
    EXPECT_TRUE(key.read_string(u"Empty", out, u"default"));
    EXPECT_EQ(text(out), u"");
    EXPECT_TRUE(key.read_string(u"Long", out));
    EXPECT_EQ(text(out), long_text);
}

TEST_F(RegkeyTest, UnreadableStringsKeepTheDefault) {
    reg.set_dword(hklm, u"SOFTWARE\\Vendor", u"Number", 7);
    regkey key(reg, hklm);
    ASSERT_TRUE(key.open(u"SOFTWARE/Vendor"));

    str out(u"old");
    EXPECT_FALSE(key.read_string(u"Missing", out, u""));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(key.read_string(u"Number", out, u"fallback"));
    EXPECT_EQ(text(out), u"fallback");
    str untouched(u"kept");
    EXPECT_FALSE(key.read_string(u"Number", untouched));
    EXPECT_EQ(text(untouched), u"kept");
}

TEST_F(RegkeyTest, ReadValueReportsTypeAndSize) {
    reg.set_dword(hklm, u"SOFTWARE\\Vendor", u"Number", 0x01020304);
    regkey key(reg, hklm);
    ASSERT_TRUE(key.open(u"SOFTWARE/Vendor"));

    std::uint32_t type = 0, size = 0;
    ASSERT_TRUE(key.read_value(u"Number", nullptr, &size, &type));
    EXPECT_EQ(type, static_cast<std::uint32_t>(reg_dword));
    EXPECT_EQ(size, 4u);
    unsigned char data[4] = {};
    ASSERT_TRUE(key.read_value(u"Number", data, &size, &type));
    EXPECT_EQ(data[0], 0x04);
    EXPECT_EQ(data[3], 0x01);

    ASSERT_TRUE(key.read_value(u"Marker", nullptr, &size, &type));
    EXPECT_EQ(type, static_cast<std::uint32_t>(reg_sz));
    EXPECT_EQ(size, 7u * 2); // "vendor" and its terminator
    unsigned char small[4] = {};
    size = sizeof small;
    EXPECT_FALSE(key.read_value(u"Marker", small, &size, &type));
    EXPECT_EQ(size, 14u);

    EXPECT_FALSE(key.read_value(u"Missing", nullptr, &size, &type));
}

TEST(MemoryRegistry, HandlesAndValues) {
    memory_registry reg;
    reg_key root = reg.root(hklm);
    reg_key a = nullptr;
    EXPECT_FALSE(reg.open_key(root, u"A", a));
    ASSERT_TRUE(reg.create_key(root, u"A\\B", a));
    EXPECT_EQ(reg.open_handles(), 1);
    reg_key b = nullptr;
    ASSERT_TRUE(reg.open_key(root, u"a\\b", b));
    EXPECT_NE(a, b);
    EXPECT_FALSE(reg.open_key(root, u"A\\\\B", b)); // an empty level
    reg.close_key(a);
    reg.close_key(b);
    EXPECT_EQ(reg.open_handles(), 0);
    reg.close_key(a); // closed twice: noticed, never crashes
    EXPECT_EQ(reg.bad_closes(), 1);
    reg.close_key(root); // roots are never closed
    EXPECT_EQ(reg.bad_closes(), 1);
    char16_t name[8];
    EXPECT_FALSE(reg.enum_key(a, 0, name, 8)); // a closed handle is invalid

    // Setting a value again replaces it; names ignore letter case.
    reg.set_string(hklm, u"A", u"Value", u"one");
    reg.set_dword(hklm, u"A", u"VALUE", 2);
    ASSERT_TRUE(reg.open_key(root, u"A", a));
    std::uint32_t type = 0, size = 0;
    ASSERT_TRUE(reg.query_value(a, u"value", &type, nullptr, &size));
    EXPECT_EQ(type, static_cast<std::uint32_t>(reg_dword));
    EXPECT_TRUE(reg.enum_key(a, 0, name, 8));
    EXPECT_EQ(std::u16string(name), u"B");
    EXPECT_FALSE(reg.enum_key(a, 0, name, 1)); // no room for the name
    EXPECT_FALSE(reg.enum_key(a, 1, name, 8));
    reg.close_key(a);

    // Each root is its own tree.
    reg_key other = nullptr;
    EXPECT_FALSE(reg.open_key(reg.root(hkcu), u"A", other));
}

} // namespace
