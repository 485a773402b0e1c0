// The file browser's names and order: phone folder paths, row order, drop destinations.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/folder_view_paths.h"

namespace {
std::string utf8(const str& s) {
    return s.to_utf8();
}
} // namespace

TEST(FolderViewPaths, PhoneDirEndsInOneSlashWithForwardSeparators) {
    const struct {
        const char16_t* in;
        const char* out;
    } cases[] = {
        {u"", ""},
        {u"/", "/"},
        {u"/Other", "/Other/"},
        {u"/Other/", "/Other/"},
        {u"\\Other\\Sounds", "/Other/Sounds/"},
        {u"/a\\b/", "/a/b/"},
        // Never the PC's working folder.
        {u".", "./"},
        {u"..", "../"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8(phone_dir(c.in)), c.out) << utf8(str(c.in));
}

TEST(FolderViewPaths, ChildDirIsParentNameAndSlash) {
    EXPECT_EQ(utf8(phone_child_dir(str(u"/Other/"), u"Sounds")), "/Other/Sounds/");
    EXPECT_EQ(utf8(phone_child_dir(str(u"/"), u"Music")), "/Music/");
}

TEST(FolderViewPaths, RowsOrderByAttributesThenNameIgnoringCase) {
    struct row {
        std::uint32_t attributes;
        str name;
    };
    std::vector<row> rows = {
        {0x20, str(u"c.txt")},       {0x20, str(u"b.txt")},      {0x20, str(u"A.txt")},
        {0x210, str(u"sounds")},     {0x210, str(u"Music")},     {0x01, str(u"z.sys")},
        {0x80000020, str(u"x.big")}, {0x20, str(u"\u00C4rger")}, {0x20, str(u"\u00E4b")},
    };
    std::stable_sort(rows.begin(), rows.end(), [](const row& a, const row& b) {
        return compare_rows(a.attributes, a.name, b.attributes, b.name) < 0;
    });
    std::vector<std::string> order;
    for (const row& r : rows)
        order.push_back(utf8(r.name));
    // A word with the top bit set is the largest, not a negative difference.
    const std::vector<std::string> expected = {"x.big",
                                               "Music",
                                               "sounds",
                                               "A.txt",
                                               "b.txt",
                                               "c.txt",
                                               "\xC3\xA4"
                                               "b",
                                               "\xC3\x84rger",
                                               "z.sys"};
    EXPECT_EQ(order, expected);
}

TEST(FolderViewPaths, DropDestinationIsFolderAndLastComponent) {
    const struct {
        const char16_t* dir;
        const char16_t* pc;
        const char* out;
    } cases[] = {
        {u"/Sounds/", u"C:\\Users\\x\\song.mp3", "/Sounds/song.mp3"},
        {u"/Sounds/", u"C:/Users/x/song.mp3", "/Sounds/song.mp3"},
        {u"/", u"song.mp3", "/song.mp3"},
        {u"/Pictures/", u"Z:\\tmp\\a dir\\photo 1.jpg", "/Pictures/photo 1.jpg"},
        {u"/Sounds/", u"C:\\Users\\x\\", ""}, // no last component
        {u"", u"C:\\Users\\x\\song.mp3", ""}, // no folder shown (not connected)
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8(drop_destination(str(c.dir), str(c.pc))), c.out) << utf8(str(c.pc));
}
