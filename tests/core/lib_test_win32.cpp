// Tests of lib with system libraries of Windows (LoadLibraryW, GetProcAddress).

#include <gtest/gtest.h>

#include <windows.h>

#include "core/lib.h"

TEST(LibWin32, LoadLookUpAndCall) {
    lib l(u"kernel32.dll", true);
    ASSERT_TRUE(l.is_loaded());
    using get_id = DWORD(WINAPI*)();
    auto id = reinterpret_cast<get_id>(l.symbol(u"GetCurrentProcessId"));
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id(), GetCurrentProcessId());
    EXPECT_EQ(l.symbol(u"OrvelNotAFunction"), nullptr);
}

TEST(LibWin32, OrdinalsArePassedOnAndLargeOnesRefused) {
    lib l(u"kernel32.dll", true);
    ASSERT_TRUE(l.is_loaded());
    HMODULE module = GetModuleHandleW(L"kernel32.dll");
    ASSERT_NE(module, nullptr);
    for (unsigned n : {1u, 2u, 100u}) {
        auto expected = reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(n)));
        EXPECT_EQ(l.symbol(lib::ordinal(n)), expected) << n;
    }
    // Values above 16 bits are still ordinals by the rule, but the system cannot read them.
    EXPECT_EQ(l.symbol(lib::ordinal(0x10000)), nullptr);
    EXPECT_EQ(l.symbol(lib::ordinal(0x3ffff)), nullptr);
}

// Exported from the test program so that attach() to it can be checked by a name lookup.
extern "C" __declspec(dllexport) int orvel_lib_probe() {
    return 42;
}

TEST(LibWin32, AttachFindsTheModuleOfAnAddress) {
    static int marker = 0;
    lib attached;
    ASSERT_TRUE(attached.attach(&marker));
    auto probe = reinterpret_cast<int (*)()>(attached.symbol(u"orvel_lib_probe"));
    ASSERT_EQ(probe, &orvel_lib_probe);
    EXPECT_EQ(probe(), 42);
    attached.unload();
    EXPECT_EQ(attached.symbol(u"orvel_lib_probe"), nullptr);
}

TEST(LibWin32, OwnedLibraryIsReleasedAttachedIsNot) {
    lib l;
    ASSERT_TRUE(l.load(u"msimg32.dll", false));
    void* blend = l.symbol(u"AlphaBlend");
    EXPECT_NE(blend, nullptr);
    lib attached;
    ASSERT_TRUE(attached.attach(blend));
    attached.unload();
    EXPECT_NE(GetModuleHandleW(L"msimg32.dll"), nullptr); // attach does not own it
    l.unload();
    EXPECT_FALSE(l.is_loaded());
    EXPECT_EQ(l.symbol(u"AlphaBlend"), nullptr);
}
