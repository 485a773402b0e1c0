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
    listing.entries = collector.take();
    return listing;
}
