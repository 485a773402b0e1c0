// Tests of what the Specials page makes of the phone's settings files: the files and their read
// order, the profiles and touch lines, and the colours of the menu lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/stream.h"
#include "phone/ini_file.h"
#include "phone/orvel_special_files.h"

namespace {

std::vector<std::string> utf8(const std::vector<str>& lines) {
    std::vector<std::string> out;
    for (const str& l : lines)
        out.push_back(l.to_utf8());
    return out;
}

void load(SamsungINIFile& ini, const std::string& bytes) {
    buf b;
    b.open();
    if (!bytes.empty())
        b.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(ini.read(b));
}

TEST(SpecialFiles, FivePathsInReadOrder) {
    const char16_t* expected[] = {u"/Registry/ProtoAccount.ini", u"/Registry/DevWlanProfile.ini",
                                  u"/Registry/PshSetAccessPoint.ini",
                                  u"/Settings/Default/NV/nv_default.ini",
                                  u"/Registry/MainMenu_reg.ini"};
    for (int i = 0; i < special_file_count; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(specialFilePath(specialFileAt(i)), nullptr);
        EXPECT_TRUE(str(specialFilePath(specialFileAt(i))).equals(expected[i]));
        EXPECT_EQ(specialFileOf(expected[i]), specialFileAt(i));
    }
    EXPECT_EQ(specialFileAt(5), special_file::none);
    EXPECT_EQ(specialFilePath(special_file::none), nullptr);
}

TEST(SpecialFiles, PathsMatchIgnoringLetterCaseOnly) {
    struct {
        const char16_t* path;
        special_file file;
    } cases[] = {
        {u"/registry/mainmenu_REG.INI", special_file::main_menu},
        {u"/SETTINGS/default/nv/NV_DEFAULT.ini", special_file::nv_defaults},
        {u"/Registry/MainMenu_reg.ini ", special_file::none},
        {u"Registry/MainMenu_reg.ini", special_file::none},
        {u"/Registry/Other.ini", special_file::none},
        {u"", special_file::none},
        {nullptr, special_file::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(specialFileOf(c.path), c.file) << (c.path ? str(c.path).to_utf8() : "null");
}

TEST(SpecialFiles, TouchLinesTakeCaseSensitiveTouchKeysOfNvId) {
    struct {
        std::string file;
        std::vector<std::string> lines;
    } cases[] = {
        {"#NvId\nTOUCH_X=100\ntouch_y=5\n", {"TOUCH_X = 100"}},
        {"#nvid\nA_TOUCH_B = 7\n", {"A_TOUCH_B  =  7"}},
        {"#Other\nTOUCH_X=1\n", {}},
        {"#NvId\nTOUCH_A=1\n#NvId\nTOUCH_B=2\n", {"TOUCH_A = 1"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SamsungINIFile nv;
        load(nv, c.file);
        EXPECT_EQ(utf8(touchLines(nv)), c.lines) << c.file;
    }
}

TEST(SpecialFiles, ProfileNamesPreferAccountsThenWlanThenTheHandle) {
    SamsungINIFile accounts, wlan, access;
    load(accounts, "#A0\nAccountHandle=3\nAccountName=Internet\n"
                   "#A1\nAccountHandle=6\n");
    load(wlan, "#W0\nProtoHandle=3\nSSID=Home\n#W1\nProtoHandle=4\nSSID=Cafe\n"
               "#W2\nProtoHandle=6\nSSID=Hidden\n");
    load(access, "#AccountHandle\nBrowser=3\nWidgets=4\nSync=9\nMMS=6\nSpaced= 3\n");
    EXPECT_EQ(utf8(profileLines(access, accounts, wlan)),
              (std::vector<std::string>{"Browser = Internet", "Widgets = Cafe", "Sync = 9",
                                        // an account without a name keeps the handle, even
                                        // though a WLAN profile has it
                                        "MMS = 6", "Spaced =  3"}));
}

TEST(SpecialFiles, NoAccessPointSectionNoProfiles) {
    SamsungINIFile accounts, wlan, access;
    load(access, "#Version\nMajor=1\n");
    EXPECT_TRUE(profileLines(access, accounts, wlan).empty());
}

// The colour index of each line, for a file given as its lines.
std::vector<int> colourIndices(const std::vector<std::u16string>& lines) {
    menu_colouring colouring;
    std::vector<int> out;
    for (const std::u16string& l : lines) {
        const std::uint32_t colour = colouring.next(str(l.c_str()));
        int index = -1;
        for (int i = 0; i < 6; ++i)
            if (menu_section_colours[i] == colour)
                index = i;
        out.push_back(index);
    }
    return out;
}

TEST(SpecialFiles, MenuColoursCountSectionLines) {
    EXPECT_EQ(colourIndices({u"; head", u"x=1", u"#A", u"a=1", u"#B", u"#C", u"c=1"}),
              (std::vector<int>{0, 0, 1, 1, 2, 3, 3}));
    // The sixth section wraps to the first colour, the seventh to the second.
    EXPECT_EQ(colourIndices({u"#1", u"#2", u"#3", u"#4", u"#5", u"#6", u"six", u"#7"}),
              (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 1}));
    // Only a "#" in the first place makes a section line.
    EXPECT_EQ(colourIndices({u" #A", u"a#", u"", u"#"}), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(menu_section_colours[0], 0xFFFFF0u);
    EXPECT_EQ(menu_section_colours[5], 0xF0FFF0u);
}

TEST(SpecialFiles, MenuLineEditKeepsTheLineEnd) {
    struct {
        std::u16string old;
        std::u16string shown;
        std::u16string edited;
        bool stored;
        std::u16string line;
    } cases[] = {
        {u"Item2=Games\r", u"Item2=Games", u"Item2=Chess", true, u"Item2=Chess\r"},
        {u"Item2=Games", u"Item2=Games", u"Item2=Chess", true, u"Item2=Chess"},
        {u"Item2=Games\r", u"Item2=Games", u"Item2=Games", true, u"Item2=Games\r"},
        {u"\r", u"", u"", true, u"\r"},
        {u"a\rb", u"a\rb", u"a\rb", true, u"a\rb"},
        {u"x=1\r", u"x=1", u"x=\u00e9\u00ff", true, u"x=\u00e9\u00ff\r"},
        {u"x=1\r", u"x=1", u"x=\u0100", false, u""},
        {u"x=1", u"x=1", u"x=\u20ac", false, u""},
        {u"x=1", u"x=1", u"x=1\ny=2", false, u""},
    };
    for (const auto& c : cases) {
        const str old(c.old.c_str());
        EXPECT_EQ(std::u16string(menuLineEditText(old).c_str()), c.shown);
        str line(u"untouched");
        EXPECT_EQ(menuLineFromEdit(old, str(c.edited.c_str()), line), c.stored);
        EXPECT_EQ(std::u16string(line.c_str()), c.stored ? c.line : u"untouched");
    }
}

} // namespace
