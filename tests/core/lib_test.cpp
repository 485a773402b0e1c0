// Tests of lib that hold on every platform: the unloaded state and refused names.

#include <gtest/gtest.h>

#include "core/lib.h"

TEST(Lib, NothingLoadedAnswersNull) {
    lib l;
    EXPECT_FALSE(l.is_loaded());
    EXPECT_EQ(l.symbol(u"anything"), nullptr);
    EXPECT_EQ(l.symbol(lib::ordinal(1)), nullptr);
    l.unload(); // harmless when nothing is loaded
    EXPECT_FALSE(l.is_loaded());
}

TEST(Lib, MissingLibraryIsRefusedSilently) {
    lib l(u"orvel-no-such-library-7f3a.dll", false);
    EXPECT_FALSE(l.is_loaded());
    EXPECT_FALSE(l.load(u"", false));
    EXPECT_FALSE(l.load(nullptr, true));
    EXPECT_FALSE(l.attach(nullptr));
    EXPECT_FALSE(l.is_loaded());
    EXPECT_EQ(l.symbol(u"main"), nullptr);
}

TEST(Lib, AttachToOwnCode) {
    lib l;
    static int marker = 0;
    ASSERT_TRUE(l.attach(&marker));
    EXPECT_TRUE(l.is_loaded());
    l.unload(); // not owned: the module stays, only the handle goes
    EXPECT_FALSE(l.is_loaded());
    EXPECT_EQ(marker, 0);
}
