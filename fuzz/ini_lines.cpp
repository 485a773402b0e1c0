// Fuzz target: the line form. Reading arbitrary bytes and writing them back gives the same bytes
// except for the zero bytes, which are dropped; so an input without a zero byte comes back byte
// for byte, including a last line without a line feed. An input that starts with the UTF-16LE
// mark comes back the same way in 16-bit units (zero units and an odd last byte dropped). Also:
// lines appended from UTF-16 text are written with "?" for every character above U+00FF.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/check.h"
#include "phone/ini_lines.h"

namespace {

std::string bytes_of(const buf& stream) {
    if (stream.size() == 0)
        return {};
    return std::string(reinterpret_cast<const char*>(stream.data()),
                       static_cast<std::size_t>(stream.size()));
}

// An input with the UTF-16LE mark: units after the mark, read and written back.
void utf16_round_trip(const std::uint8_t* data, std::size_t size) {
    std::string expected = "\xFF\xFE";
    std::size_t feeds = 0;
    bool last_feed = true; // no unit yet: nothing open
    for (std::size_t i = 2; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0)
            continue;
        expected.push_back(static_cast<char>(data[i]));
        expected.push_back(static_cast<char>(data[i + 1]));
        feeds += unit == u'\n';
        last_feed = unit == u'\n';
    }
    buf in;
    fill(in, data, size);
    ini_lines lines;
    FUZZ_CHECK(lines.read(in));
    FUZZ_CHECK(lines.form() == ini_lines::text_form::utf16le);
    FUZZ_CHECK(lines.last_line_open() == !last_feed);
    FUZZ_CHECK(lines.count() == feeds + (last_feed ? 0 : 1));
    buf out;
    FUZZ_CHECK(out.open());
    FUZZ_CHECK(lines.write(out));
    FUZZ_CHECK(bytes_of(out) == expected);
}

void round_trip(const std::uint8_t* data, std::size_t size) {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return utf16_round_trip(data, size);
    std::string expected;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            expected.push_back(static_cast<char>(data[i]));

    buf in;
    fill(in, data, size);
    ini_lines lines;
    FUZZ_CHECK(lines.read(in));

    // One line per line feed, plus the open last line when text follows the last line feed.
    std::size_t feeds = 0;
    for (char ch : expected)
        feeds += ch == '\n';
    const bool open = !expected.empty() && expected.back() != '\n';
    FUZZ_CHECK(lines.last_line_open() == open);
    FUZZ_CHECK(lines.count() == feeds + (open ? 1 : 0));

    buf out;
    FUZZ_CHECK(out.open());
    FUZZ_CHECK(lines.write(out));
    FUZZ_CHECK(bytes_of(out) == expected);

    // Line by line through write_line gives the same bytes.
    buf single;
    FUZZ_CHECK(single.open());
    for (unsigned i = 0; i < lines.count(); ++i) {
        const bool feed = !(open && i + 1 == lines.count());
        FUZZ_CHECK(ini_lines::write_line(single, *lines[i], feed));
        FUZZ_CHECK(ini_lines::fits(*lines[i]));
    }
    FUZZ_CHECK(bytes_of(single) == expected);
}

void wide_lines(const std::uint8_t* data, std::size_t size) {
    const std::u16string units = utf16_units(data, size);
    ini_lines lines;
    std::string expected;
    std::u16string line;
    for (std::size_t i = 0; i <= units.size(); ++i) {
        if (i < units.size() && units[i] != u'\n') {
            line.push_back(units[i]);
            continue;
        }
        const str text = make_str(line);
        FUZZ_CHECK(lines.append(text));
        bool wide = false;
        for (char16_t ch : line) {
            wide = wide || ch > 0xFF;
            expected.push_back(ch > 0xFF ? '?' : static_cast<char>(ch));
        }
        FUZZ_CHECK(ini_lines::fits(text) == !wide);
        expected.push_back('\n');
        line.clear();
    }
    // The last line is written open: no line feed after it.
    lines.set_last_line_open(true);
    expected.pop_back();

    buf out;
    FUZZ_CHECK(out.open());
    FUZZ_CHECK(lines.write(out));
    FUZZ_CHECK(bytes_of(out) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    round_trip(data, size);
    wide_lines(data, size);
    return 0;
}
