#include "core/stream.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/core/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

str normalised(const char16_t* text) {
    str s(text);
    normalise_dir(s);
    return s;
}

// The generic form ("/" separators) of a folder, with one trailing "/".
str folder_text(const fs::path& p) {
    str s(p.generic_u16string().c_str());
    if (s.empty() || s[s.length() - 1] != u'/')
        s.append(u'/');
    return s;
}

// Runs the test body in another working directory and restores the old one.
class cwd_guard {
public:
    explicit cwd_guard(const fs::path& to) : old_(fs::current_path()) { fs::current_path(to); }
    ~cwd_guard() {
        std::error_code ec;
        fs::current_path(old_, ec);
    }

private:
    fs::path old_;
};

TEST(Paths, NormaliseDir) {
    EXPECT_EQ(normalised(u""), str(u""));
    EXPECT_EQ(normalised(u"C:\\Temp"), str(u"C:/Temp/"));
    EXPECT_EQ(normalised(u"C:/Temp/"), str(u"C:/Temp/"));
    EXPECT_EQ(normalised(u"C:\\Temp\\"), str(u"C:/Temp/"));
    EXPECT_EQ(normalised(u"/Java/Games"), str(u"/Java/Games/"));
    EXPECT_EQ(normalised(u"a\\b/c"), str(u"a/b/c/"));
    EXPECT_EQ(normalised(u"/"), str(u"/"));
    EXPECT_EQ(normalised(u"name"), str(u"name/"));
}

TEST(Paths, NormaliseDotAndDotDotUseTheWorkingDirectory) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    fs::create_directories(dir.path("outer") / "inner");
    cwd_guard here(dir.path("outer") / "inner");
    const fs::path cwd = fs::current_path();
    EXPECT_EQ(normalised(u"."), folder_text(cwd));
    EXPECT_EQ(normalised(u".."), folder_text(cwd.parent_path()));
    // Only the whole text counts as "." or "..".
    EXPECT_EQ(normalised(u"./x"), str(u"./x/"));
    EXPECT_EQ(normalised(u"..."), str(u".../"));
}

TEST(Paths, SplitPath) {
    str dir, name, ext, stem;
    split_path(str(u"/Java/Games/game.jar"), &dir, &name, &ext, &stem);
    EXPECT_EQ(dir, str(u"/Java/Games"));
    EXPECT_EQ(name, str(u"game.jar"));
    EXPECT_EQ(ext, str(u"jar"));
    EXPECT_EQ(stem, str(u"game"));

    split_path(str(u"/game.jar"), &dir, &name, &ext, &stem);
    EXPECT_EQ(dir, str(u""));
    EXPECT_EQ(name, str(u"game.jar"));
    EXPECT_EQ(stem, str(u"game"));

    split_path(str(u"C:\\pc\\archive.tar.gz"), &dir, &name, &ext, &stem);
    EXPECT_EQ(dir, str(u"C:\\pc"));
    EXPECT_EQ(name, str(u"archive.tar.gz"));
    EXPECT_EQ(ext, str(u"gz"));
    EXPECT_EQ(stem, str(u"archive.tar"));

    // A dot in a folder name is no extension; no separator at all gives the whole text as name.
    split_path(str(u"a.d/readme"), &dir, &name, &ext, &stem);
    EXPECT_EQ(dir, str(u"a.d"));
    EXPECT_EQ(name, str(u"readme"));
    EXPECT_EQ(ext, str(u""));
    EXPECT_EQ(stem, str(u"readme"));
    split_path(str(u"plain.txt"), &dir, &name, &ext, &stem);
    EXPECT_EQ(dir, str(u""));
    EXPECT_EQ(name, str(u"plain.txt"));
    EXPECT_EQ(ext, str(u"txt"));

    // Mixed separators: the last one of either kind splits; outputs may be left out.
    split_path(str(u"x/y\\z.ini"), &dir, nullptr, nullptr, nullptr);
    EXPECT_EQ(dir, str(u"x/y"));
    split_path(str(u"folder/"), nullptr, &name, &ext, nullptr);
    EXPECT_EQ(name, str(u""));
    EXPECT_EQ(ext, str(u""));
}

TEST(Paths, DirOf) {
    EXPECT_EQ(dir_of(str(u"/Registry/ProtoAccount.ini")), str(u"/Registry"));
    EXPECT_EQ(dir_of(str(u"C:\\a\\b.txt")), str(u"C:\\a"));
    EXPECT_EQ(dir_of(str(u"/top")), str(u""));
    EXPECT_EQ(dir_of(str(u"bare")), str(u""));
}

TEST(Paths, MakeDirChainCreatesEveryLevel) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    str chain = dir.s();
    chain.append(u"/a/b/c/");
    ASSERT_TRUE(make_dir_chain(chain));
    EXPECT_TRUE(fs::is_directory(dir.path("a")));
    EXPECT_TRUE(fs::is_directory(dir.path("a") / "b"));
    EXPECT_TRUE(fs::is_directory(dir.path("a") / "b" / "c"));
    EXPECT_TRUE(make_dir_chain(chain)); // all there: no error

    // Backslashes separate too, on every platform.
    str back = dir.s();
    back.append(u"\\x\\y");
    ASSERT_TRUE(make_dir_chain(back));
    EXPECT_TRUE(fs::is_directory(dir.path("x") / "y"));

    EXPECT_FALSE(make_dir_chain(str(u"")));
}

TEST(Paths, MakeDirChainStopsAtAFile) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    write_all(dir.path("f"), "not a folder");
    str below = dir.s();
    below.append(u"/f/g");
    EXPECT_FALSE(make_dir_chain(below));
    // A file where the last folder should be is no success either.
    EXPECT_FALSE(make_dir_chain(dir.s("f")));
    EXPECT_EQ(read_all(dir.path("f")), "not a folder");
}

TEST(Paths, MakeDirChainRelativeWithShortFirstFolder) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    cwd_guard here(dir.path());
    ASSERT_TRUE(make_dir_chain(str(u"r/s")));
    ASSERT_TRUE(make_dir_chain(str(u"ab\\cd/e")));
    EXPECT_TRUE(fs::is_directory(dir.path("r") / "s"));
    EXPECT_TRUE(fs::is_directory(dir.path("ab") / "cd" / "e"));
}

TEST(Paths, TempPathWithAName) {
    const str p = temp_path(u"orvel-probe.bin");
    ASSERT_FALSE(p.empty());
    str dir, name;
    split_path(p, &dir, &name, nullptr, nullptr);
    EXPECT_EQ(name, str(u"orvel-probe.bin"));
    EXPECT_LT(p.find(u'\\'), 0); // the folder part is normalised
    EXPECT_TRUE(fs::is_directory(to_path(dir)));
    EXPECT_FALSE(fs::exists(to_path(p))); // only a name, nothing created
}

TEST(Paths, TempPathWithoutANameMakesAFreshFile) {
    const str a = temp_path();
    const str b = temp_path();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_FALSE(a == b);
    for (const str* p : {&a, &b}) {
        const fs::path path = to_path(*p);
        EXPECT_TRUE(fs::is_regular_file(path));
        EXPECT_EQ(fs::file_size(path), 0u);
        str name;
        split_path(*p, nullptr, &name, nullptr, nullptr);
        EXPECT_EQ(name.compare(u"TEM", true, 3), 0);
        std::error_code ec;
        fs::remove(path, ec);
    }
}

} // namespace
