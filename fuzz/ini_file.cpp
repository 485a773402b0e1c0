// Fuzz target: SamsungINIFile::read on arbitrary bytes, compared with a plain model of the
// format, then the lookups (findSection, findEntry, findSectionWith) against the model's answers.
//
// The format: lines end at a line feed (a last line without one is not parsed); only bytes
// 0x20-0x7F are kept; "#name" starts a section, ";" a comment; any other line inside a section
// is "key=value", or key and value at once when it has no "=".

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/check.h"
#include "phone/ini_file.h"

namespace {

struct model_section {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> entries;
};

std::vector<model_section> model_read(const std::uint8_t* data, std::size_t size) {
    std::vector<model_section> out;
    std::u16string line;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte >= 0x20 && byte <= 0x7F) {
            line.push_back(byte);
            continue;
        }
        if (byte != 0x0A)
            continue;
        if (!line.empty() && line[0] == u'#') {
            out.push_back({line.substr(1), {}});
        } else if (!out.empty() && (line.empty() || line[0] != u';')) {
            const std::size_t eq = line.find(u'=');
            if (eq == std::u16string::npos)
                out.back().entries.emplace_back(line, line);
            else
                out.back().entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        }
        line.clear();
    }
    return out;
}

char16_t fold(char16_t ch) {
    return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch;
}

bool same_name(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

// Index of the first entry the lookup should find, or -1.
int model_find_entry(const model_section& s, const std::u16string& key,
                     const std::u16string* value) {
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (same_name(s.entries[i].first, key) &&
            (!value || same_name(s.entries[i].second, *value)))
            return static_cast<int>(i);
    return -1;
}

int model_find_section(const std::vector<model_section>& m, const std::u16string& name) {
    for (std::size_t i = 0; i < m.size(); ++i)
        if (same_name(m[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int model_find_section_with(const std::vector<model_section>& m, const std::u16string& key,
                            const std::u16string& value) {
    for (std::size_t i = 0; i < m.size(); ++i)
        if (model_find_entry(m[i], key, &value) >= 0)
            return static_cast<int>(i);
    return -1;
}

int index_of(const SamsungINIFile& ini, const SamsungINIFile::section* s) {
    for (unsigned i = 0; i < ini.count(); ++i)
        if (ini[i] == s)
            return static_cast<int>(i);
    return -1;
}

int index_of(const SamsungINIFile::section& s, const SamsungINIFile::entry* e) {
    for (unsigned i = 0; i < s.count(); ++i)
        if (s[i] == e)
            return static_cast<int>(i);
    return -1;
}

// Looks up a name in every way and compares with the model. Names hold no zero character.
void check_lookups(const SamsungINIFile& ini, const std::vector<model_section>& m,
                   const std::u16string& key, const std::u16string& value) {
    const str k = make_str(key);
    const str v = make_str(value);
    FUZZ_CHECK(index_of(ini, ini.findSection(k.c_str())) == model_find_section(m, key));
    FUZZ_CHECK(index_of(ini, ini.findSectionWith(k.c_str(), v.c_str())) ==
               model_find_section_with(m, key, value));
    FUZZ_CHECK(ini_names_equal(k.c_str(), v.c_str()) == same_name(key, value));
    // A few sections are searched entry by entry, with and without the value.
    for (unsigned i = 0; i < ini.count() && i < 8; ++i) {
        const SamsungINIFile::section& s = *ini[i];
        FUZZ_CHECK(index_of(s, s.findEntry(k.c_str(), v.c_str())) ==
                   model_find_entry(m[i], key, &value));
        FUZZ_CHECK(index_of(s, s.findEntry(k.c_str())) == model_find_entry(m[i], key, nullptr));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    buf stream;
    fill(stream, data, size);
    SamsungINIFile ini;
    FUZZ_CHECK(ini.read(stream));
    const std::vector<model_section> m = model_read(data, size);

    // The parsed model, section by section and entry by entry.
    FUZZ_CHECK(ini.count() == m.size());
    for (unsigned i = 0; i < ini.count(); ++i) {
        const SamsungINIFile::section* s = ini[i];
        FUZZ_CHECK(s != nullptr && units_of(s->name()) == m[i].name);
        FUZZ_CHECK(s->count() == m[i].entries.size());
        for (unsigned j = 0; j < s->count(); ++j) {
            const SamsungINIFile::entry* e = (*s)[j];
            FUZZ_CHECK(e != nullptr);
            FUZZ_CHECK(units_of(*e) == m[i].entries[j].first);
            FUZZ_CHECK(units_of(e->value) == m[i].entries[j].second);
        }
    }

    // Lookups by names that are in the file (a bounded number, so long files stay quick) ...
    unsigned budget = 32;
    for (unsigned i = 0; i < m.size() && budget > 0; ++i, --budget) {
        check_lookups(ini, m, m[i].name, m[i].name);
        if (!m[i].entries.empty()) {
            const auto& last = m[i].entries.back();
            check_lookups(ini, m, last.first, last.second);
        }
    }
    // ... and by names made of the input's first bytes, split at the first "=".
    std::u16string probe = latin1_units(data, size < 24 ? size : 24);
    const std::size_t eq = probe.find(u'=');
    if (eq == std::u16string::npos)
        check_lookups(ini, m, probe, probe);
    else
        check_lookups(ini, m, probe.substr(0, eq), probe.substr(eq + 1));

    // Reading again replaces the contents; a null name is the empty name.
    FUZZ_CHECK(ini.read(stream) && ini.count() == m.size());
    FUZZ_CHECK(index_of(ini, ini.findSection(nullptr)) == model_find_section(m, u""));
    ini.clear();
    FUZZ_CHECK(ini.count() == 0 && ini.findSection(u"") == nullptr);
    return 0;
}
