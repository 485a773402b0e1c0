// Tests of the INI file model: sections and entries as the phone writes them, the bytes that are
// dropped, and the case rules of the lookups.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/stream.h"
#include "phone/ini_file.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// A memory stream holding the bytes, positioned at its end (read must seek to the start).
void fill(buf& b, const std::string& bytes) {
    b.open();
    if (!bytes.empty())
        b.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// "name{key=value|key=value}" per section, for compact comparisons.
std::u16string dump(const SamsungINIFile& ini) {
    std::u16string out;
    for (unsigned i = 0; i < ini.count(); ++i) {
        SamsungINIFile::section* s = ini[i];
        out += text(*s) + u"{";
        for (unsigned j = 0; j < s->count(); ++j) {
            SamsungINIFile::entry* e = (*s)[j];
            out += (j ? u"|" : u"") + text(*e) + u"=" + text(e->value);
        }
        out += u"}";
    }
    return out;
}

std::u16string parse(const std::string& bytes) {
    buf b;
    fill(b, bytes);
    SamsungINIFile ini;
    EXPECT_TRUE(ini.read(b));
    return dump(ini);
}

TEST(IniFile, EmptyAndClosedStreams) {
    EXPECT_EQ(parse(""), u"");
    buf closed;
    SamsungINIFile ini;
    EXPECT_TRUE(ini.read(closed));
    EXPECT_EQ(ini.count(), 0u);
}

TEST(IniFile, HeadersCommentsAndLinesBeforeTheFirstSection) {
    EXPECT_EQ(parse("Before=1\n;comment\n#First\nA=1\n;B=2\n#\n# Spaced \nC=3\n"),
              u"First{A=1}{}"
              u" Spaced {C=3}");
    EXPECT_EQ(parse(";only comments\nx=y\n"), u"");
}

TEST(IniFile, KeysAndValuesAreSplitAtTheFirstEqualsSign) {
    EXPECT_EQ(parse("#S\na=b=c\n=x\nName = x\nnoequals\n\nk=\n"),
              u"S{a=b=c|=x|Name = x|noequals=noequals|=|k=}");
    buf b;
    fill(b, "#S\nName = x\nnoequals\n");
    SamsungINIFile ini;
    ini.read(b);
    SamsungINIFile::entry* e = ini.findSection(u"S")->findEntry(u"Name ");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text(e->value), u" x");
    EXPECT_EQ(ini.findSection(u"S")->findEntry(u"Name"), nullptr); // no trimming
    e = ini.findSection(u"S")->findEntry(u"noequals");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text(e->value), u"noequals");
}

TEST(IniFile, DroppedBytes) {
    // Carriage returns, tabs and bytes 0x80-0xFF vanish; 0x7F stays.
    EXPECT_EQ(parse("#Sec\r\nKey=Val\r\n"), u"Sec{Key=Val}");
    EXPECT_EQ(parse("#S\nK=a\x80\xff"
                    "b\tc\x7f\x01\n"),
              u"S{K=abc\x7f}");
    // A zero byte is dropped too and does not end the line.
    EXPECT_EQ(parse(std::string("#S\nK=a\0b\n", 9)), u"S{K=ab}");
    // The last line without a line feed is not parsed.
    EXPECT_EQ(parse("#S\nA=1\nB=2"), u"S{A=1}");
    EXPECT_EQ(parse("#Unfinished"), u"");
}

TEST(IniFile, DuplicatesStayInFileOrder) {
    EXPECT_EQ(parse("#S\nk=1\nk=2\n#S\nk=3\n"), u"S{k=1|k=2}S{k=3}");
}

TEST(IniFile, FindSectionIgnoresCaseOfAsciiLetters) {
    buf b;
    fill(b, "#Other\nNvId=0\n#NvId\nTOUCH_X=100\n#NVID\nTOUCH_X=200\n");
    SamsungINIFile ini;
    ini.read(b);
    for (const char16_t* name : {u"NvId", u"nvid", u"NVID", u"nViD"}) {
        SamsungINIFile::section* s = ini.findSection(name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s, ini[1]);
    }
    EXPECT_EQ(ini.findSection(u"NvId "), nullptr);
    EXPECT_EQ(ini.findSection(u"Missing"), nullptr);
    EXPECT_EQ(ini.findSection(nullptr), nullptr); // no section with an empty name here

    EXPECT_TRUE(ini_names_equal(u"TOUCH_x", u"touch_X"));
    EXPECT_FALSE(ini_names_equal(u"\u00c4", u"\u00e4")); // only A-Z ignore case
    EXPECT_FALSE(ini_names_equal(u"[", u"{"));           // 0x5B and 0x7B differ by 0x20 too
    EXPECT_TRUE(ini_names_equal(nullptr, u""));
    EXPECT_FALSE(ini_names_equal(u"ab", u"abc"));
}

TEST(IniFile, FindSectionWithAndFindEntry) {
    buf b;
    fill(b, "#Account1\nAccountHandle= 2\nAccountName=Blank\n"
            "#Account2\naccounthandle=2\nAccountName=Internet\n"
            "#Account3\nAccountHandle=2\nAccountName=Later\n");
    SamsungINIFile ini;
    ini.read(b);
    SamsungINIFile::section* s = ini.findSectionWith(u"AccountHandle", u"2");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(text(*s), u"Account2");
    SamsungINIFile::entry* name = s->findEntry(u"ACCOUNTNAME");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(text(name->value), u"Internet");

    EXPECT_EQ(ini.findSectionWith(u"AccountHandle", u" 2"), ini[0]);
    EXPECT_EQ(ini.findSectionWith(u"AccountHandle", u"3"), nullptr);
    EXPECT_EQ(ini.findSectionWith(u"AccountHandle", nullptr), ini[0]); // any value
    EXPECT_EQ(ini[2]->findEntry(u"AccountName", u"later"), (*ini[2])[1]);
    EXPECT_EQ(ini[2]->findEntry(u"AccountName", u"Internet"), nullptr);
}

TEST(IniFile, ReadingAgainReplacesTheContents) {
    buf b;
    fill(b, "#A\nx=1\n#B\ny=2\n");
    SamsungINIFile ini;
    ini.read(b);
    std::u16string once = dump(ini);
    ini.read(b);
    EXPECT_EQ(dump(ini), once);
    EXPECT_EQ(ini.count(), 2u);

    buf other;
    fill(other, "#C\n");
    ini.read(other);
    EXPECT_EQ(dump(ini), u"C{}");
}

TEST(IniFile, LongLinesAcrossReadChunks) {
    std::string value(10000, 'v');
    std::string data = "#S\n";
    for (int i = 0; i < 50; ++i)
        data += "k" + std::to_string(i) + "=" + std::to_string(i * i) + "\n";
    data += "long=" + value + "\n";
    buf b;
    fill(b, data);
    SamsungINIFile ini;
    ini.read(b);
    ASSERT_EQ(ini.count(), 1u);
    ASSERT_EQ(ini[0]->count(), 51u);
    EXPECT_EQ(text(ini[0]->findEntry(u"k49")->value), u"2401");
    EXPECT_EQ(ini[0]->findEntry(u"long")->value.length(), 10000);
}

TEST(IniFile, ReadsFromADiskFile) {
    str path = temp_path(u"orvel_ini_file_test.ini");
    std::remove(path.to_utf8().c_str());
    {
        file f(path.c_str(), create_always);
        ASSERT_TRUE(f.open());
        const char data[] = "#Net\r\nSSID=Home\r\nLast=1";
        ASSERT_TRUE(f.write(data, sizeof data - 1));
        SamsungINIFile ini;
        EXPECT_TRUE(ini.read(f));
        EXPECT_EQ(dump(ini), u"Net{SSID=Home}");
    }
    std::remove(path.to_utf8().c_str());
}

// Every sample INI file of the simulated phone: one section per "#" line, every entry line of a
// section in it, and each section found again by its name.
TEST(IniFile, SamplePhoneFiles) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(ORVEL_TEST_DATA) / "phone";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no sample phone files at " << folder.string();
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file() || item.path().extension() != ".ini")
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        unsigned headers = 0, entries = 0;
        bool in_section = false;
        for (std::size_t at = 0, end; (end = bytes.find('\n', at)) != std::string::npos;
             at = end + 1) {
            char first = end > at ? bytes[at] : '\n';
            if (first == '#') {
                ++headers;
                in_section = true;
            } else if (first != ';' && in_section) {
                ++entries;
            }
        }
        buf b;
        fill(b, bytes);
        SamsungINIFile ini;
        ASSERT_TRUE(ini.read(b));
        EXPECT_EQ(ini.count(), headers) << item.path().string();
        unsigned parsed = 0;
        for (unsigned i = 0; i < ini.count(); ++i) {
            parsed += ini[i]->count();
            SamsungINIFile::section* found = ini.findSection(ini[i]->c_str());
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(ini_names_equal(found->c_str(), ini[i]->c_str()));
            EXPECT_LE(static_cast<int>(ini.sections().index_of(found)), static_cast<int>(i));
        }
        EXPECT_EQ(parsed, entries) << item.path().string();
        EXPECT_GT(headers, 0u) << item.path().string();
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
