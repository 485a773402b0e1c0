#include "app/folder_listing_model.h"

#include <unordered_set>
#include <utility>

#include "app/folder_view_paths.h"

void OrvelListingInbox::begin(const char16_t* path) {
    std::lock_guard<std::mutex> hold(lock_);
    open_ = true;
    collecting_.path = str(path ? path : u"");
    collecting_.entries.clear();
}

void OrvelListingInbox::entry(const char16_t* path, const char16_t* name, std::uint32_t attributes,
                              std::uint32_t extra, std::uint32_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!open_ || !collecting_.path.equals(path ? path : u""))
        return;
    collecting_.entries.push_back({str(name ? name : u""), attributes, extra, size});
}

bool OrvelListingInbox::end(const char16_t* path) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!open_ || !collecting_.path.equals(path ? path : u""))
        return false; // a failed listing: nothing began
    open_ = false;
    ready_.push_back(std::move(collecting_));
    collecting_ = folder_listing();
    return true;
}

std::vector<folder_listing> OrvelListingInbox::take() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<folder_listing> out(std::make_move_iterator(ready_.begin()),
                                    std::make_move_iterator(ready_.end()));
    ready_.clear();
    return out;
}

bool oneComponent(const str& name) {
    if (name.empty())
        return false;
    for (int i = 0; i < name.length(); ++i)
        if (name[i] == u'/' || name[i] == u'\\')
            return false;
    return true;
}

bool isFileRow(const folder_entry& entry) {
    return !(entry.attributes & phone_folder_bit) && oneComponent(entry.name);
}

bool isFolderRow(const folder_entry& entry) {
    return (entry.attributes & phone_folder_bit) && oneComponent(entry.name) &&
           entry.name[0] != u'.';
}

folder_merge mergeFolders(const std::vector<str>& shown, const std::vector<folder_entry>& entries) {
    std::unordered_set<std::u16string> listed, present;
    for (const folder_entry& e : entries)
        if (isFolderRow(e))
            listed.emplace(e.name.c_str(), e.name.length());
    folder_merge merge;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        std::u16string name(shown[i].c_str(), shown[i].length());
        if (!listed.count(name) || !present.insert(name).second)
            merge.removed.push_back(i); // gone, or a second row of one name
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!isFolderRow(entries[i]))
            continue;
        std::u16string name(entries[i].name.c_str(), entries[i].name.length());
        if (present.insert(std::move(name)).second)
            merge.added.push_back(i);
    }
    return merge;
}
