#include "core/stream.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/core/scratch_dir.h"

namespace {

const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

TEST(FileWin32, ReadOnlyFileOpensReadOnly) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    const str name = dir.s("ro.txt");
    write_all(dir.path("ro.txt"), "locked");
    ASSERT_TRUE(SetFileAttributesW(wide(name), FILE_ATTRIBUTE_READONLY));
    // Wine keeps the attribute in the permission bits, which do not stop root: when a plain
    // writing open still succeeds, the attribute is not enforced here and the case cannot run.
    HANDLE probe = CreateFileW(wide(name), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        SetFileAttributesW(wide(name), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "the read-only attribute is not enforced for this user";
    }

    file f(name.c_str(), open_always);
    ASSERT_TRUE(f.open()); // falls back to reading
    EXPECT_FALSE(f.write("x", 1));
    char out[6];
    std::uint32_t n = 0;
    ASSERT_TRUE(f.read(out, 6, &n));
    EXPECT_EQ(std::string(out, n), "locked");
    f.close();
    EXPECT_EQ(read_all(dir.path("ro.txt")), "locked");

    // Replacing clears the read-only attribute and empties the file.
    file r(name.c_str(), create_always);
    ASSERT_TRUE(r.open());
    EXPECT_EQ(r.size(), 0u);
    EXPECT_TRUE(r.write("new", 3));
    r.close();
    EXPECT_EQ(read_all(dir.path("ro.txt")), "new");
    EXPECT_EQ(GetFileAttributesW(wide(name)) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(FileWin32, OverlappedFileReadsAndWritesAtThePosition) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    file f(dir.s("ov.bin").c_str(), create_always, true);
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(f.write("0123456789", 10));
    EXPECT_EQ(f.position(), 10u);
    ASSERT_TRUE(f.seek(4));
    ASSERT_TRUE(f.write("ab", 2));
    ASSERT_TRUE(f.seek(3));
    char out[4] = {};
    std::uint32_t n = 0;
    ASSERT_TRUE(f.read(out, 4, &n));
    EXPECT_EQ(std::string(out, n), "3ab6");
    ASSERT_TRUE(f.seek(10));
    EXPECT_FALSE(f.read(out, 4, &n)); // the end
    EXPECT_EQ(n, 0u);
    f.close();
    EXPECT_EQ(read_all(dir.path("ov.bin")), "0123ab6789");
}

TEST(FileWin32, CreationTimeIsTheFileSystemsOne) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    file f(dir.s("t.bin").c_str());
    ASSERT_TRUE(f.open());
    timestamp t;
    ASSERT_TRUE(f.creation_time(t));
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t utc =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    EXPECT_LE(t.filetime, utc + 10000000ULL);           // kept in UTC, not shifted
    EXPECT_GT(t.filetime, utc - 3600ULL * 10000000ULL); // made just now
}

TEST(PathsWin32, TempPathUsesTheSystemTemporaryFolder) {
    wchar_t buffer[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, buffer), 0u);
    str want(reinterpret_cast<const char16_t*>(buffer));
    normalise_dir(want);
    want.append(u"n.bin");
    EXPECT_EQ(temp_path(u"n.bin"), want);
}

} // namespace
