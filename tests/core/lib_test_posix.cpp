// Tests of lib with the system's shared libraries (dlopen).

#include <gtest/gtest.h>

#include <dlfcn.h>

#include "core/lib.h"

namespace {
using unary = double (*)(double);
constexpr const char16_t* libm = u"libm.so.6";
} // namespace

TEST(LibPosix, LoadLookUpAndCall) {
    lib l(libm, false);
    ASSERT_TRUE(l.is_loaded());
    auto cosine = reinterpret_cast<unary>(l.symbol(u"cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(l.symbol(u"orvel_not_a_symbol"), nullptr);
    EXPECT_EQ(l.symbol(lib::ordinal(3)), nullptr); // no ordinals on this platform
    l.unload();
    EXPECT_FALSE(l.is_loaded());
    EXPECT_EQ(l.symbol(u"cos"), nullptr);
}

TEST(LibPosix, LoadingAgainReplacesTheLibrary) {
    lib l;
    ASSERT_TRUE(l.load(libm, true));
    ASSERT_TRUE(l.load(u"libc.so.6", false));
    EXPECT_NE(l.symbol(u"strlen"), nullptr);
    EXPECT_FALSE(l.load(u"/nonexistent/libx.so", false));
    EXPECT_FALSE(l.is_loaded()); // the previous library was let go
}

TEST(LibPosix, AttachFindsTheModuleOfAnAddress) {
    lib loaded(libm, false);
    void* cosine = loaded.symbol(u"cos");
    ASSERT_NE(cosine, nullptr);
    lib attached;
    ASSERT_TRUE(attached.attach(cosine));
    void* sine = attached.symbol(u"sin");
    EXPECT_NE(sine, nullptr);
    EXPECT_EQ(sine, loaded.symbol(u"sin"));
    attached.unload();
    // The attached handle did not own the library: it is still usable through the first one.
    auto call = reinterpret_cast<unary>(loaded.symbol(u"cos"));
    ASSERT_NE(call, nullptr);
    EXPECT_DOUBLE_EQ(call(0.0), 1.0);
}

namespace {
bool in_memory(const char* name) {
    void* probe = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (probe)
        dlclose(probe);
    return probe != nullptr;
}
} // namespace

TEST(LibPosix, OwnedIsReleasedKeptStays) {
    // Small libraries that the test program does not load by itself.
    if (in_memory("libanl.so.1") || in_memory("libBrokenLocale.so.1"))
        GTEST_SKIP() << "library already loaded by the test program";
    {
        lib owned(u"libanl.so.1", false);
        ASSERT_TRUE(owned.is_loaded());
        EXPECT_TRUE(in_memory("libanl.so.1"));
    }
    EXPECT_FALSE(in_memory("libanl.so.1"));
    {
        lib kept(u"libBrokenLocale.so.1", true);
        ASSERT_TRUE(kept.is_loaded());
    }
    EXPECT_TRUE(in_memory("libBrokenLocale.so.1"));
}
