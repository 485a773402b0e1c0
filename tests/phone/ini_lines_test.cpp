// Tests of the line form: reading whole lines and writing them back byte for byte, including
// every sample file of the simulated phone.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/stream.h"
#include "phone/ini_lines.h"

namespace fs = std::filesystem;

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

void fill(buf& b, const std::string& bytes) {
    b.open();
    if (!bytes.empty())
        b.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::string contents(const buf& b) {
    return b.data() ? std::string(reinterpret_cast<const char*>(b.data()), b.size()) : "";
}

// Reads the bytes in line form and writes them back into a fresh buffer, as the Specials page
// does before sending the file to the phone.
std::string round_trip(const std::string& bytes, ini_lines* keep = nullptr) {
    buf in;
    fill(in, bytes);
    ini_lines local;
    ini_lines& lines = keep ? *keep : local;
    EXPECT_TRUE(lines.read(in));
    buf out(0x10000);
    EXPECT_TRUE(lines.write(out));
    return contents(out);
}

TEST(IniLines, CrLfLinesComeBackByteForByte) {
    const std::string nine = "#A\r\nx=1\r\n";
    ASSERT_EQ(nine.size(), 9u);
    ini_lines lines;
    EXPECT_EQ(round_trip(nine, &lines), nine);
    ASSERT_EQ(lines.count(), 2u);
    EXPECT_EQ(text(*lines[0]), u"#A\r");
    EXPECT_EQ(text(*lines[1]), u"x=1\r");
    EXPECT_TRUE(ini_lines::is_section_line(*lines[0]));
    EXPECT_FALSE(ini_lines::is_section_line(*lines[1]));
    EXPECT_FALSE(lines.last_line_open());
}

TEST(IniLines, LastLineWithoutLineFeedIsKept) {
    ini_lines lines;
    EXPECT_EQ(round_trip("a\nlast", &lines), "a\nlast");
    ASSERT_EQ(lines.count(), 2u);
    EXPECT_EQ(text(*lines[1]), u"last");
    EXPECT_TRUE(lines.last_line_open());

    EXPECT_EQ(round_trip("only"), "only");
    EXPECT_EQ(round_trip("a\r\nb\r"), "a\r\nb\r");
}

TEST(IniLines, EmptyLinesAndEmptyFiles) {
    ini_lines lines;
    EXPECT_EQ(round_trip("", &lines), "");
    EXPECT_EQ(lines.count(), 0u);
    EXPECT_EQ(round_trip("\n\n", &lines), "\n\n");
    EXPECT_EQ(lines.count(), 2u);
    EXPECT_EQ(round_trip("x\n\ny\n\n"), "x\n\ny\n\n");
}

TEST(IniLines, EveryByteButZeroSurvives) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += "\n";
    ini_lines lines;
    EXPECT_EQ(round_trip(all, &lines), all);
    // 0x0A splits the run in two lines; the characters equal the byte values.
    ASSERT_EQ(lines.count(), 2u);
    EXPECT_EQ((*lines[0])[0], 0x01);
    EXPECT_EQ((*lines[1])[0], 0x0B);
    EXPECT_EQ((*lines[1])[lines[1]->length() - 1], 0xFF);

    // Zero bytes are dropped; the bytes around them close up.
    EXPECT_EQ(round_trip(std::string("a\0b\n\0", 5)), "ab\n");
}

TEST(IniLines, EditedLinesAndWideCharacters) {
    ini_lines lines;
    round_trip("#Menu\r\nItem=1\r\nOther=2\r\n", &lines);
    lines[1]->assign(u"Item=\u00e9\u20ac\r");
    EXPECT_FALSE(ini_lines::fits(*lines[1]));
    EXPECT_TRUE(ini_lines::fits(*lines[0]));
    buf out(0x10000);
    ASSERT_TRUE(lines.write(out));
    EXPECT_EQ(contents(out), "#Menu\r\nItem=\xe9?\r\nOther=2\r\n");

    buf single(16);
    EXPECT_TRUE(ini_lines::write_line(single, str(u"k=\u0100"), false));
    EXPECT_TRUE(ini_lines::write_line(single, str(u"")));
    EXPECT_EQ(contents(single), "k=?\n");
}

TEST(IniLines, ReadingAgainReplacesAndAppendedLines) {
    ini_lines lines;
    round_trip("a\nb", &lines);
    round_trip("c\n", &lines);
    ASSERT_EQ(lines.count(), 1u);
    EXPECT_FALSE(lines.last_line_open());
    EXPECT_TRUE(lines.append(str(u"d")));
    buf out(0x10000);
    lines.write(out);
    EXPECT_EQ(contents(out), "c\nd\n");
    lines.clear();
    EXPECT_EQ(lines.count(), 0u);
}

TEST(IniLines, LargeFileAcrossChunks) {
    std::string big;
    for (int i = 0; big.size() < 200000; ++i)
        big += (i % 7 ? "key" + std::to_string(i) + "=value\r\n"
                      : "#Section" + std::to_string(i) + "\n");
    big += std::string(70000, 'z'); // one long open last line
    ini_lines lines;
    EXPECT_EQ(round_trip(big, &lines), big);
    EXPECT_TRUE(lines.last_line_open());
}

TEST(IniLines, WriteFailureIsReported) {
    ini_lines lines;
    round_trip("a\n", &lines);
    // A stream that refuses writes: a file that is not open.
    file nowhere;
    EXPECT_FALSE(lines.write(nowhere));
}

// Every sample file of the simulated phone comes back as it was, zero bytes aside (the line form
// drops them, so binary files come back without their zeros).
TEST(IniLines, SamplePhoneFilesRoundTrip) {
    fs::path folder = fs::path(ORVEL_TEST_DATA) / "phone";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no sample phone files at " << folder.string();
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file())
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string expected;
        for (char c : bytes)
            if (c != 0)
                expected.push_back(c);
        EXPECT_EQ(round_trip(bytes), expected) << item.path().string();
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace

TEST(IniLines, Utf16FilesWithTheirMarkComeBackByteForByte) {
    // "#Menu\r\n", a line with a character above U+00FF, a long line across read chunks and an
    // open last line, as 16-bit little-endian units.
    std::u16string source = u"#Menu\r\nTitle=Gal\u00e9rie \u4e2d\r\n";
    source += u"Long=" + std::u16string(2100, u'x') + u"\r\nend";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : source) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    ini_lines lines;
    EXPECT_EQ(round_trip(bytes, &lines), bytes);
    EXPECT_EQ(lines.form(), ini_lines::text_form::utf16le);
    ASSERT_EQ(lines.count(), 4u);
    EXPECT_EQ(text(*lines[1]), u"Title=Gal\u00e9rie \u4e2d\r");
    EXPECT_TRUE(lines.last_line_open());
    // The same lines read again from an 8-bit file are written in 8 bits.
    EXPECT_EQ(round_trip("#Menu\n", &lines), "#Menu\n");
    EXPECT_EQ(lines.form(), ini_lines::text_form::bytes);
}
