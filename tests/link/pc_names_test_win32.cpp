// Names that Windows stores as one file: a short alias reaches its long file, and another case
// reaches the same file. A fetch job gives such a name a free "name (2).ext" instead of writing
// through it.

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "link/pc_names.h"
#include "tests/core/scratch_dir.h"

namespace {

TEST(PcNameClaims, AnAliasOrAFileOfThisJobIsNeverWrittenThrough) {
    scratch_dir dir;
    ASSERT_TRUE(dir.ok());
    const std::filesystem::path long_file = dir.path() / "longfilename.txt";
    std::ofstream(long_file) << "long";
    wchar_t short_path[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(long_file.wstring().c_str(), short_path, MAX_PATH), 0u);
    const str alias = str(
        to_path(str(reinterpret_cast<const char16_t*>(short_path))).filename().u16string().c_str());
    if (alias.equals(u"longfilename.txt", false))
        GTEST_SKIP() << "this file system gives no short names";
    str folder = to_str(dir.path());
    folder.append(u"\\");

    pc_name_claims names;
    // The file was not written by this job: its own name in another case updates it.
    EXPECT_EQ(names.claim(folder, str(u"LONGFILENAME.TXT")).to_utf8(), "LONGFILENAME.TXT");
    // The alias reaches a file of another long name.
    const str instead = names.claim(folder, alias);
    EXPECT_FALSE(instead == alias) << instead.to_utf8();
    EXPECT_NE(instead.to_utf8().find(" (2)"), std::string::npos) << instead.to_utf8();

    // Once this job wrote it, another case of its name is another phone file.
    str written(folder);
    written.append(u"longfilename.txt");
    names.written(written);
    EXPECT_EQ(names.claim(folder, str(u"LONGFILENAME.TXT")).to_utf8(), "LONGFILENAME (2).TXT");
    EXPECT_EQ(names.claim(folder, str(u".profile")).to_utf8(), ".profile");
}

} // namespace
