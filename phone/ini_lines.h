#pragma once
// A phone settings file in line form: its whole lines, to be edited and written back byte for
// byte. Each byte is one character of the same code (0x01-0xFF); a zero byte is dropped. A line
// feed ends a line and is not part of it, while a carriage return stays in the line's text, so CR
// LF files come back with CR LF. A last line without a line feed is kept and written back without
// one.
//
// A file that starts with the UTF-16LE byte-order mark (FF FE) is read as 16-bit little-endian
// code units instead, each one character, with the same line rules; it is written back in that
// form, mark included, so that it round-trips byte for byte too.

#include <cstdint>

#include "core/alist.h"
#include "core/str.h"
#include "core/stream.h"

class ini_lines {
public:
    enum class text_form : std::uint8_t {
        bytes,   // one byte per character
        utf16le, // the mark FF FE, then 16-bit little-endian code units
    };

    ini_lines() = default;
    ini_lines(const ini_lines&) = delete;
    ini_lines& operator=(const ini_lines&) = delete;

    // Replaces the lines with those of the whole stream, read from its start. A read error ends
    // the data; the lines before it stay. Always true.
    bool read(iostore& stream);
    // Writes every line and its line feed (none after an open last line) at the stream's
    // position. Characters above U+00FF are written as "?". False when a write fails.
    bool write(iobase& out) const;

    unsigned count() const { return lines_.count(); }
    str* operator[](unsigned index) const { return lines_.get(index); }
    // Appends a copy of the text as a new line; false when out of memory.
    bool append(const str& text);
    void clear();

    // Whether the last line had no line feed in the file; writing keeps it that way.
    bool last_line_open() const { return last_open_; }
    void set_last_line_open(bool open) { last_open_ = open; }
    // The form the file came in; writing uses it.
    text_form form() const { return form_; }
    void set_form(text_form form) { form_ = form; }

    // A section line begins with "#".
    static bool is_section_line(const str& line) { return line.length() > 0 && line[0] == u'#'; }
    // Whether every character can be written as one byte (none above U+00FF).
    static bool fits(const str& text);
    // One line's bytes (8-bit form), followed by a line feed when `line_feed` is set.
    static bool write_line(iobase& out, const str& line, bool line_feed = true);

private:
    alist<str> lines_{64, true};
    bool last_open_ = false;
    text_form form_ = text_form::bytes;
};
