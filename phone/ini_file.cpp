#include "phone/ini_file.h"

#include <cstdint>
#include <new>

namespace {

char16_t fold_ascii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

} // namespace

bool ini_names_equal(const char16_t* a, const char16_t* b) {
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b) {
        if (fold_ascii(*a) != fold_ascii(*b))
            return false;
        if (*a == 0)
            return true;
    }
}

SamsungINIFile::section::section() : str(), alist<entry>(64, true) {}

SamsungINIFile::section::~section() = default;

SamsungINIFile::entry* SamsungINIFile::section::findEntry(const char16_t* key,
                                                          const char16_t* value) const {
    for (unsigned i = 0; i < count(); ++i) {
        entry* e = get(i);
        if (e && ini_names_equal(e->c_str(), key) &&
            (!value || ini_names_equal(e->value.c_str(), value)))
            return e;
    }
    return nullptr;
}

SamsungINIFile::SamsungINIFile() = default;

SamsungINIFile::section* SamsungINIFile::findSection(const char16_t* name) const {
    for (unsigned i = 0; i < sections_.count(); ++i) {
        section* s = sections_.get(i);
        if (s && ini_names_equal(s->c_str(), name))
            return s;
    }
    return nullptr;
}

SamsungINIFile::section* SamsungINIFile::findSectionWith(const char16_t* key,
                                                         const char16_t* value) const {
    for (unsigned i = 0; i < sections_.count(); ++i) {
        section* s = sections_.get(i);
        if (s && s->findEntry(key, value))
            return s;
    }
    return nullptr;
}

// A section or entry that cannot be allocated is left out; parsing goes on.
void SamsungINIFile::process_line(const str& line, section*& current) {
    try {
        if (line.length() > 0 && line[0] == u'#') {
            auto* s = new section;
            s->assign(line.c_str() + 1);
            if (!sections_.push(s)) {
                delete s;
                return;
            }
            current = s;
            return;
        }
        if ((line.length() > 0 && line[0] == u';') || !current)
            return;
        auto* e = new entry;
        int eq = line.find(u'=');
        if (eq >= 0) {
            e->assign(line.c_str(), eq);
            e->value.assign(line.c_str() + eq + 1);
        } else {
            e->assign(line);
            e->value.assign(line);
        }
        if (!current->push(e))
            delete e;
    } catch (const std::bad_alloc&) {
    }
}

bool SamsungINIFile::read(iostore& stream) {
    sections_.clear();
    section* current = nullptr;
    str line;
    if (!stream.seek(0))
        return true;
    std::uint8_t chunk[4096];
    for (;;) {
        std::uint32_t got = 0;
        if (!stream.read(chunk, sizeof chunk, &got) || got == 0 || got > sizeof chunk)
            break; // what stands in the line buffer now is dropped
        for (std::uint32_t i = 0; i < got; ++i) {
            std::uint8_t byte = chunk[i];
            if (byte == 0x0A) {
                process_line(line, current);
                line.clear();
            } else if (byte >= 0x20 && byte <= 0x7F) {
                line.append(static_cast<char16_t>(byte));
            }
        }
    }
    return true;
}
