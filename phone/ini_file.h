#pragma once
// The phone's INI-style settings files as sections and entries. A section header is a line that
// begins with "#"; ";" begins a comment; every other line inside a section is an entry
// "key=value" (a line without "=" is key and value at once). Only bytes 0x20-0x7F are kept.
// The model is read and searched, never written back.

#include "core/alist.h"
#include "core/str.h"
#include "core/stream.h"

class SamsungINIFile {
public:
    // One entry: the str is its key.
    class entry : public str {
    public:
        entry() = default;
        virtual ~entry() = default;
        str value;
    };

    // One section: the str is its name, the list its entries in file order.
    class section : public str, public alist<entry> {
    public:
        section();
        virtual ~section();
        using alist<entry>::operator[]; // index access means entries
        const str& name() const { return *this; }
        // The first entry whose key equals `key` and, when `value` is not null, whose value
        // equals `value`; letters A-Z match either case. Null when there is none.
        entry* findEntry(const char16_t* key, const char16_t* value = nullptr) const;
    };

    SamsungINIFile();
    SamsungINIFile(const SamsungINIFile&) = delete;
    SamsungINIFile& operator=(const SamsungINIFile&) = delete;

    // Replaces the contents with the sections of the whole stream (read from its start). A last
    // line without a line feed is not parsed. A read error ends the data. Always true.
    bool read(iostore& stream);
    // The first section with this name (letters A-Z in either case); null when there is none.
    section* findSection(const char16_t* name) const;
    // The first section holding an entry that findEntry(key, value) finds.
    section* findSectionWith(const char16_t* key, const char16_t* value) const;

    unsigned count() const { return sections_.count(); }
    section* operator[](unsigned index) const { return sections_.get(index); }
    const alist<section>& sections() const { return sections_; }
    void clear() { sections_.clear(); }

private:
    void process_line(const str& line, section*& current);

    alist<section> sections_{64, true};
};

// Equality that ignores the case of the letters A-Z only; a null text is the empty text.
bool ini_names_equal(const char16_t* a, const char16_t* b);
