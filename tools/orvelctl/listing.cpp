#include "tools/orvelctl/listing.h"

#include <mutex>

#include "core/vobject.h"

namespace {
// Collects the entries that a browse job reports, on the worker thread.
class entry_collector : public vObject {
public:
    explicit entry_collector(SamsungComm& link) {
        connect(static_cast<vObject*>(&link), u"BrowseEntry", this, &entry_collector::entry);
    }
    std::vector<phone_entry> take() {
        std::lock_guard<std::mutex> g(m_);
        return std::move(entries_);
    }

private:
    void entry(const char16_t*, const char16_t* name, std::uint32_t attributes, std::uint32_t,
               std::uint32_t size) {
        phone_entry e;
        e.name = str(name ? name : u"");
        e.attributes = attributes;
        e.size = size;
        std::lock_guard<std::mutex> g(m_);
        entries_.push_back(std::move(e));
    }

    std::mutex m_;
    std::vector<phone_entry> entries_;
};
} // namespace

const phone_entry* phone_listing::find(const str& name) const {
    for (const phone_entry& e : entries)
        if (e.name == name)
            return &e;
    for (const phone_entry& e : entries)
        if (e.name.compare(name.c_str(), false) == 0)
            return &e;
    return nullptr;
}

phone_listing list_phone_dir(ctl_session& s, const str& dir) {
    entry_collector collector(s.link());
    phone_listing listing;
    listing.ok = s.run<BrowseCommand>(dir);
    listing.failure = s.lastFailure();
    listing.entries = collector.take();
    return listing;
}

std::string printable_name(const str& name) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < name.length(); ++i) {
        const char16_t c = name[i];
        if (c == u'\\') {
            out += "\\\\";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c > 0xFF) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(c >> shift) & 0xF];
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            out += "\\x";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
