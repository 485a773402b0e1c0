#include "core/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/core/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

class File : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }
    scratch_dir dir;
};

bool write_text(file& f, const std::string& s) {
    std::uint32_t n = 0;
    return f.write(s.data(), static_cast<std::uint32_t>(s.size()), &n) && n == s.size();
}

std::string read_rest(file& f) {
    std::string out;
    char chunk[7]; // small, to run the read loop several times
    std::uint32_t n = 0;
    while (f.read(chunk, sizeof chunk, &n))
        out.append(chunk, n);
    return out;
}

TEST_F(File, OpenAlwaysCreatesAMissingFile) {
    const str name = dir.s("new.txt");
    file f(name.c_str());
    EXPECT_FALSE(f.exists());
    ASSERT_TRUE(f.open());
    EXPECT_TRUE(f.is_open());
    EXPECT_TRUE(f.exists());
    EXPECT_EQ(f.size(), 0u);
    EXPECT_FALSE(f.is_text_marked());
    ASSERT_TRUE(write_text(f, "line one\nline two\n"));
    EXPECT_EQ(f.size(), 18u);
    EXPECT_EQ(f.position(), 18u);
    f.close();
    EXPECT_FALSE(f.is_open());
    EXPECT_EQ(read_all(dir.path("new.txt")), "line one\nline two\n");
}

TEST_F(File, OpenExistingOnAMissingFileFailsAndCreatesNothing) {
    file f(dir.s("missing.bin").c_str(), open_existing);
    EXPECT_FALSE(f.open());
    EXPECT_FALSE(f.is_open());
    EXPECT_FALSE(fs::exists(dir.path("missing.bin")));
    // A missing folder on the way fails for every creation word.
    for (std::uint32_t creation : {create_new, create_always, open_existing, open_always}) {
        file g(dir.s("no/such/folder.bin").c_str(), creation);
        EXPECT_FALSE(g.open()) << creation;
    }
}

TEST_F(File, CreationWords) {
    write_all(dir.path("old.txt"), "previous contents");
    // create_new refuses an existing file and leaves it alone.
    file a(dir.s("old.txt").c_str(), create_new);
    EXPECT_FALSE(a.open());
    EXPECT_EQ(read_all(dir.path("old.txt")), "previous contents");
    // ... and creates a missing one.
    file b(dir.s("fresh.txt").c_str(), create_new);
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(write_text(b, "x"));
    b.close();
    EXPECT_EQ(read_all(dir.path("fresh.txt")), "x");
    // open_existing keeps the contents.
    file c(dir.s("old.txt").c_str(), open_existing);
    ASSERT_TRUE(c.open());
    EXPECT_EQ(c.size(), 17u);
    EXPECT_EQ(read_rest(c), "previous contents");
    c.close();
    // An unknown creation word opens nothing.
    for (std::uint32_t creation : {0u, 6u, 7u}) {
        file u(dir.s("old.txt").c_str(), creation);
        EXPECT_FALSE(u.open()) << creation;
    }
    // create_always empties an existing file.
    file d(dir.s("old.txt").c_str(), create_always);
    ASSERT_TRUE(d.open());
    EXPECT_EQ(d.size(), 0u);
    d.close();
    EXPECT_EQ(read_all(dir.path("old.txt")), "");
}

TEST_F(File, OpenReplacingEmptiesOrCreates) {
    write_all(dir.path("target.bin"), "0123456789");
    file f;
    EXPECT_EQ(f.creation(), static_cast<std::uint32_t>(open_always));
    ASSERT_TRUE(f.open_replacing(dir.s("target.bin").c_str()));
    EXPECT_EQ(f.creation(), static_cast<std::uint32_t>(create_always));
    EXPECT_EQ(f.size(), 0u);
    ASSERT_TRUE(write_text(f, "ab"));
    f.close();
    EXPECT_EQ(read_all(dir.path("target.bin")), "ab");
    file g;
    ASSERT_TRUE(g.open_replacing(dir.s("other.bin").c_str()));
    EXPECT_TRUE(fs::exists(dir.path("other.bin")));
}

TEST_F(File, ReadReportsTheEndWithFalse) {
    write_all(dir.path("data.bin"), "abcdefghij");
    file f(dir.s("data.bin").c_str(), open_existing);
    ASSERT_TRUE(f.open());
    char out[4];
    std::uint32_t n = 0;
    ASSERT_TRUE(f.read(out, 4, &n));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(f.remaining(), 6u);
    EXPECT_EQ(read_rest(f), "efghij");
    n = 77;
    EXPECT_FALSE(f.read(out, 4, &n)); // nothing left
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(f.position(), 10u);
}

TEST_F(File, SeekBeyondTheSizeIsAllowedAndWritingThereFillsTheGap) {
    file f(dir.s("gap.bin").c_str());
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(write_text(f, "ab"));
    ASSERT_TRUE(f.seek(10));
    EXPECT_EQ(f.position(), 10u);
    EXPECT_EQ(f.size(), 2u); // no clamp, no growth until written
    EXPECT_EQ(f.remaining(), 0u);
    char c;
    EXPECT_FALSE(f.read(&c, 1)); // beyond the end
    ASSERT_TRUE(write_text(f, "Z"));
    EXPECT_EQ(f.size(), 11u);
    ASSERT_TRUE(f.seek(0));
    EXPECT_EQ(read_rest(f), std::string("ab\0\0\0\0\0\0\0\0Z", 11));
}

TEST_F(File, TruncateAtThePosition) {
    write_all(dir.path("cut.bin"), "keep|drop");
    file f(dir.s("cut.bin").c_str(), open_existing);
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(f.seek(4));
    ASSERT_TRUE(f.truncate());
    EXPECT_EQ(f.size(), 4u);
    ASSERT_TRUE(f.refresh_size());
    EXPECT_EQ(f.size(), 4u);
    f.close();
    EXPECT_EQ(read_all(dir.path("cut.bin")), "keep");
}

TEST_F(File, TextMarkIsWrittenAndRecognised) {
    // A new file asked for with the text mark starts with 0xFEFF.
    file f(dir.s("text.txt").c_str(), create_always | creation_text_mark);
    ASSERT_TRUE(f.open());
    EXPECT_TRUE(f.is_text_marked());
    EXPECT_EQ(f.size(), 2u);
    EXPECT_EQ(f.position(), 2u);
    const char16_t text[] = u"Hi";
    ASSERT_TRUE(f.write(text, 4));
    f.close();
    EXPECT_EQ(read_all(dir.path("text.txt")), std::string("\xFF\xFEH\0i\0", 6));

    // Opening again finds the mark and starts reading after it.
    file g(dir.s("text.txt").c_str(), open_existing);
    ASSERT_TRUE(g.open());
    EXPECT_TRUE(g.is_text_marked());
    EXPECT_EQ(g.position(), 2u);
    EXPECT_EQ(read_rest(g), std::string("H\0i\0", 4));
    // Copying a store copies it all, mark included.
    buf all(8);
    ASSERT_TRUE(g.copy_to(all));
    EXPECT_EQ(all.size(), 6u);

    // A file without the mark reads from 0; an empty file opened with open_always gets no mark.
    write_all(dir.path("plain.txt"), "\xFEplain");
    file h(dir.s("plain.txt").c_str());
    ASSERT_TRUE(h.open());
    EXPECT_FALSE(h.is_text_marked());
    EXPECT_EQ(h.position(), 0u);
    file e(dir.s("empty.txt").c_str(), open_always | creation_text_mark);
    ASSERT_TRUE(e.open());
    EXPECT_EQ(e.size(), 0u);
    EXPECT_FALSE(e.is_text_marked());
}

TEST_F(File, SizesAbove4GiB) {
    const std::uint64_t far = (std::uint64_t{1} << 32) + 10;
    {
        file f(dir.s("big.bin").c_str());
        ASSERT_TRUE(f.open());
        ASSERT_TRUE(f.seek(far));
        ASSERT_TRUE(write_text(f, "end"));
        EXPECT_EQ(f.size(), far + 3);
        ASSERT_TRUE(f.seek(far + 1));
        EXPECT_EQ(read_rest(f), "nd");
    }
    file g(dir.s("big.bin").c_str(), open_existing);
    ASSERT_TRUE(g.open());
    EXPECT_EQ(g.size(), far + 3);
    EXPECT_EQ(g.remaining(), far + 3);
    ASSERT_TRUE(g.seek(far));
    EXPECT_EQ(read_rest(g), "end");
}

TEST_F(File, AFolderCannotBeOpenedAsAFile) {
    fs::create_directory(dir.path("folder"));
    for (std::uint32_t creation : {create_new, create_always, open_existing, open_always}) {
        file f(dir.s("folder").c_str(), creation);
        EXPECT_FALSE(f.open()) << creation;
        EXPECT_FALSE(f.is_open());
        EXPECT_TRUE(f.exists()); // exists answers for folders too
    }
    EXPECT_TRUE(fs::is_directory(dir.path("folder")));
}

TEST_F(File, AClosedFileRefusesEverything) {
    file f(dir.s("never.bin").c_str());
    char c = 'x';
    std::uint32_t n = 5;
    EXPECT_FALSE(f.read(&c, 1, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(f.write(&c, 1, &n));
    EXPECT_FALSE(f.seek(0));
    EXPECT_FALSE(f.truncate());
    EXPECT_FALSE(f.flush());
    EXPECT_FALSE(f.refresh_size());
    timestamp t;
    EXPECT_FALSE(f.creation_time(t));
    buf dest(8);
    EXPECT_FALSE(f.copy_to(dest));
    EXPECT_FALSE(fs::exists(dir.path("never.bin")));
    // No name at all.
    file unnamed;
    EXPECT_FALSE(unnamed.open());
    EXPECT_FALSE(unnamed.exists());
}

TEST_F(File, OpenOrRefreshPicksUpGrowthFromElsewhere) {
    file f(dir.s("shared.log").c_str());
    ASSERT_TRUE(f.open_or_refresh()); // opens
    ASSERT_TRUE(write_text(f, "one"));
    {
        file other(dir.s("shared.log").c_str(), open_existing);
        ASSERT_TRUE(other.open());
        ASSERT_TRUE(other.seek(3));
        ASSERT_TRUE(write_text(other, "two"));
    }
    EXPECT_EQ(f.size(), 3u);
    ASSERT_TRUE(f.open_or_refresh()); // already open: only the size
    EXPECT_EQ(f.size(), 6u);
    EXPECT_EQ(f.position(), 3u);
    EXPECT_EQ(read_rest(f), "two");
    EXPECT_TRUE(f.flush());
}

TEST_F(File, FileToFileCopyAndCreationTime) {
    std::string data;
    for (int i = 0; i < 70000; ++i)
        data += static_cast<char>(i * 7);
    write_all(dir.path("src.bin"), data);
    file src(dir.s("src.bin").c_str(), open_existing);
    file dst(dir.s("dst.bin").c_str(), create_always);
    ASSERT_TRUE(src.open());
    ASSERT_TRUE(dst.open());
    ASSERT_TRUE(src.copy_to(dst));
    EXPECT_EQ(dst.size(), data.size());
    timestamp t;
    ASSERT_TRUE(dst.creation_time(t));
    EXPECT_GE(t.year, 2024);
    dst.close();
    EXPECT_EQ(read_all(dir.path("dst.bin")), data);
}

TEST_F(File, NamesBeyondAscii) {
    const str name = to_str(dir.path() / std::u16string(u"\u00dcbung \u2013 \u65e5\u672c.txt"));
    file f(name.c_str());
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(write_text(f, "u"));
    f.close();
    EXPECT_EQ(read_all(to_path(name)), "u");
}

TEST_F(File, ReopenWithAnotherName) {
    write_all(dir.path("one.txt"), "1");
    write_all(dir.path("two.txt"), "22");
    file f(dir.s("one.txt").c_str(), open_existing);
    ASSERT_TRUE(f.open());
    EXPECT_EQ(f.size(), 1u);
    ASSERT_TRUE(f.open(dir.s("two.txt").c_str())); // closes the first
    EXPECT_EQ(f.size(), 2u);
    EXPECT_EQ(f.name(), dir.s("two.txt"));
}

} // namespace
