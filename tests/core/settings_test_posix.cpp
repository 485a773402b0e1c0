// Settings on POSIX: lines of $XDG_CONFIG_HOME/orvel/settings, kept across calls.

#include "core/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/core/scratch_dir.h"

namespace {

TEST(Settings, KeptValuesReplaceTheirOldOnesAndLeaveTheOthers) {
    scratch_dir dir;
    const std::string config = (dir.path() / "config").string();
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
    EXPECT_TRUE(readSetting(u"LastFolder").empty()) << "nothing kept yet";
    EXPECT_TRUE(keepSetting(u"LastFolder", str(u"/home/a b/Pictures")));
    EXPECT_TRUE(keepSetting(u"Other", str(u"x=y")));
    EXPECT_TRUE(keepSetting(u"LastFolder", str(u"/tmp/\u00e4")));
    EXPECT_EQ(readSetting(u"LastFolder"), str(u"/tmp/\u00e4"));
    EXPECT_EQ(readSetting(u"Other"), str(u"x=y"));
    EXPECT_FALSE(keepSetting(u"Bad=Name", str(u"v"))) << "a name cannot hold the separator";
    EXPECT_FALSE(keepSetting(u"Two", str(u"line\nbreak")));
    EXPECT_FALSE(std::filesystem::exists(config + "/orvel/settings.new"));
    unsetenv("XDG_CONFIG_HOME");
}

} // namespace
