#include "phone/ini_lines.h"

#include <new>
#include <string>

namespace {

// Writes bytes in one call; an empty run writes nothing and succeeds.
bool write_all(iobase& out, const std::string& bytes) {
    if (bytes.empty())
        return true;
    std::uint32_t done = 0;
    return out.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &done) &&
           done == bytes.size();
}

void append_bytes(std::string& bytes, const str& line) {
    const char16_t* text = line.c_str();
    for (int i = 0; i < line.length(); ++i)
        bytes.push_back(text[i] > 0xFF ? '?' : static_cast<char>(text[i]));
}

void append_unit(std::string& bytes, char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
}

void append_text(std::string& bytes, const str& line, ini_lines::text_form form) {
    if (form == ini_lines::text_form::bytes)
        return append_bytes(bytes, line);
    const char16_t* text = line.c_str();
    for (int i = 0; i < line.length(); ++i)
        append_unit(bytes, text[i]);
}

void append_line_feed(std::string& bytes, ini_lines::text_form form) {
    if (form == ini_lines::text_form::bytes)
        bytes.push_back('\n');
    else
        append_unit(bytes, u'\n');
}

} // namespace

bool ini_lines::append(const str& text) {
    try {
        auto* line = new str(text);
        if (lines_.push(line))
            return true;
        delete line;
    } catch (const std::bad_alloc&) {
    }
    return false;
}

void ini_lines::clear() {
    lines_.clear();
    last_open_ = false;
    form_ = text_form::bytes;
}

bool ini_lines::read(iostore& stream) {
    clear();
    if (!stream.seek(0))
        return true;
    str line;
    std::uint8_t chunk[4096];
    bool first = true;
    int low = -1; // the first byte of a 16-bit unit, while its second is awaited
    for (;;) {
        std::uint32_t got = 0;
        if (!stream.read(chunk, sizeof chunk, &got) || got == 0 || got > sizeof chunk)
            break;
        std::uint32_t i = 0;
        if (first && got >= 2 && chunk[0] == 0xFF && chunk[1] == 0xFE) {
            form_ = text_form::utf16le;
            i = 2;
        }
        first = false;
        for (; i < got; ++i) {
            char16_t c = chunk[i];
            if (form_ == text_form::utf16le) {
                if (low < 0) {
                    low = chunk[i];
                    continue;
                }
                c = static_cast<char16_t>(low | chunk[i] << 8);
                low = -1;
            }
            if (c == 0x0A) {
                append(line);
                line.clear();
            } else if (c != 0) {
                line.append(c);
            }
        }
    }
    if (!line.empty() && append(line))
        last_open_ = true;
    return true;
}

bool ini_lines::fits(const str& text) {
    for (int i = 0; i < text.length(); ++i)
        if (text[i] > 0xFF)
            return false;
    return true;
}

bool ini_lines::write_line(iobase& out, const str& line, bool line_feed) {
    std::string bytes;
    append_bytes(bytes, line);
    if (line_feed)
        bytes.push_back('\n');
    return write_all(out, bytes);
}

bool ini_lines::write(iobase& out) const {
    std::string bytes;
    if (form_ == text_form::utf16le)
        bytes = "\xFF\xFE";
    for (unsigned i = 0; i < lines_.count(); ++i) {
        if (const str* line = lines_.get(i))
            append_text(bytes, *line, form_);
        if (!(last_open_ && i + 1 == lines_.count()))
            append_line_feed(bytes, form_);
        if (bytes.size() >= 0x10000) {
            if (!write_all(out, bytes))
                return false;
            bytes.clear();
        }
    }
    return write_all(out, bytes);
}
