#include "core/stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/core/scratch_dir.h"

namespace {

// Sets TMPDIR for one test and puts the old value back.
class tmpdir_guard {
public:
    explicit tmpdir_guard(const char* value) {
        if (const char* old = std::getenv("TMPDIR"))
            old_ = old;
        if (value)
            ::setenv("TMPDIR", value, 1);
        else
            ::unsetenv("TMPDIR");
    }
    ~tmpdir_guard() {
        if (old_)
            ::setenv("TMPDIR", old_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> old_;
};

TEST(PathsPosix, TempPathFollowsTmpdir) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    {
        tmpdir_guard set(dir.path().c_str());
        str want = dir.s();
        want.append(u"/x.bin");
        EXPECT_EQ(temp_path(u"x.bin"), want);
        const str fresh = temp_path();
        ASSERT_FALSE(fresh.empty());
        EXPECT_EQ(dir_of(fresh), dir.s());
        EXPECT_TRUE(std::filesystem::is_regular_file(to_path(fresh)));
    }
    {
        tmpdir_guard unset(nullptr);
        EXPECT_EQ(temp_path(u"x.bin"), str(u"/tmp/x.bin"));
    }
    {
        tmpdir_guard empty("");
        EXPECT_EQ(temp_path(u"x.bin"), str(u"/tmp/x.bin"));
    }
}

TEST(PathsPosix, TempPathWithoutANameFailsInAMissingFolder) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    tmpdir_guard set(dir.path("missing").c_str());
    EXPECT_TRUE(temp_path().empty());
}

TEST(PathsPosix, RootDirectoryParent) {
    // ".." of "/" stays "/".
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path("/");
    str s(u"..");
    normalise_dir(s);
    str d(u".");
    normalise_dir(d);
    std::filesystem::current_path(old);
    EXPECT_EQ(s, str(u"/"));
    EXPECT_EQ(d, str(u"/"));
}

} // namespace
