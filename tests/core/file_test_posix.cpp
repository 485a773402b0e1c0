#include "core/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/core/scratch_dir.h"

namespace {

constexpr int cannot_drop = 77;

// Permission bits do not stop root, so under root the body runs in a child process that first
// becomes the unprivileged user "nobody" (65534). The body answers 0 when every check held, or
// the number of the first check that failed. Answers cannot_drop when no such user could be taken.
int run_unprivileged(const std::filesystem::path& folder, const std::function<int()>& body) {
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child < 0)
        return cannot_drop;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0 ||
            ::access(folder.c_str(), W_OK | X_OK) != 0)
            ::_exit(cannot_drop);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(FilePosix, ReadOnlyFileOpensReadOnly) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    ::chmod(dir.path().c_str(), 0777);
    const str name = dir.s("ro.txt");
    const int result = run_unprivileged(dir.path(), [&]() -> int {
        write_all(to_path(name), "locked");
        if (::chmod(name.to_utf8().c_str(), 0444) != 0)
            return 1;
        file f(name.c_str(), open_always);
        if (!f.open() || !f.is_open())
            return 2; // falls back to reading
        char c = 'x';
        if (f.write(&c, 1))
            return 3; // writes fail
        char out[6];
        std::uint32_t n = 0;
        if (!f.read(out, 6, &n) || n != 6 || std::string(out, 6) != "locked")
            return 4;
        if (f.truncate())
            return 5;
        f.close();
        if (read_all(to_path(name)) != "locked")
            return 6;
        // Replacing a write-protected file of one's own makes it writable, as on Windows.
        file r(name.c_str(), create_always);
        if (!r.open() || r.size() != 0 || !r.write("new", 3))
            return 7;
        r.close();
        if (read_all(to_path(name)) != "new")
            return 8;
        return 0;
    });
    if (result == cannot_drop)
        GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(result, 0) << "check " << result << " failed";
}

TEST(FilePosix, ReplacingAFileOfAnotherUserFallsBackToReading) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file that belongs to another user";
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    ::chmod(dir.path().c_str(), 0777);
    const str name = dir.s("foreign.txt");
    write_all(dir.path("foreign.txt"), "root's");
    ASSERT_EQ(::chmod(name.to_utf8().c_str(), 0444), 0);
    const int result = run_unprivileged(dir.path(), [&]() -> int {
        file f(name.c_str(), create_always);
        if (!f.open())
            return 1;
        if (f.size() != 6 || f.write("x", 1))
            return 2;
        return 0;
    });
    if (result == cannot_drop)
        GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(result, 0) << "check " << result << " failed";
    EXPECT_EQ(read_all(dir.path("foreign.txt")), "root's");
    struct stat st {};
    ASSERT_EQ(::stat(name.to_utf8().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u); // permissions left as they were
}

TEST(FilePosix, NamesAreUtf8OnDisk) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    str name = dir.s("");
    name.append(u"caf\u00e9.txt");
    file f(name.c_str());
    ASSERT_TRUE(f.open());
    f.close();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "caf\xC3\xA9.txt"));
}

} // namespace
