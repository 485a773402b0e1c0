#pragma once
// The listings of the file browser on their way from the link worker to the panes, without
// windows. The worker collects a listing entry by entry without touching the panes; a whole
// listing is handed to the GUI thread in one piece, which changes the panes under one lock. A
// listing that failed (it ends without having begun) is never handed on, so it changes no row.

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "core/str.h"

struct folder_entry {
    str name;
    std::uint32_t attributes = 0;
    std::uint32_t extra = 0;
    std::uint32_t size = 0;
};

struct folder_listing {
    str path;
    std::vector<folder_entry> entries;
};

class OrvelListingInbox {
public:
    // "BrowseBegin", "BrowseEntry" and "BrowseEnd" (the link worker).
    void begin(const char16_t* path);
    void entry(const char16_t* path, const char16_t* name, std::uint32_t attributes,
               std::uint32_t extra, std::uint32_t size);
    // True when a whole listing was handed on: the GUI thread should take it.
    bool end(const char16_t* path);
    // The whole listings handed on since the last call, oldest first (GUI thread).
    std::vector<folder_listing> take();

private:
    std::mutex lock_;
    bool open_ = false;                // guarded by lock_
    folder_listing collecting_;        // guarded by lock_
    std::deque<folder_listing> ready_; // guarded by lock_
};

// An entry name that names exactly one entry of its folder. An empty name or one holding a
// separator would make a row whose phone path is another entry's (delete or copy the wrong one).
bool oneComponent(const str& name);
// Entries that are file rows: not folders, one component.
bool isFileRow(const folder_entry& entry);
// Entries that are folder rows: folders of one component not starting with "." (".", ".." and
// hidden folders).
bool isFolderRow(const folder_entry& entry);

// What a listing changes among the folder rows shown under its folder: the indexes of the
// shown names it no longer lists, and the indexes of the listed folders not yet shown. Rows
// that stay keep their own sub-folders and whether they are expanded.
struct folder_merge {
    std::vector<std::size_t> removed; // into the shown names
    std::vector<std::size_t> added;   // into the entries
};
folder_merge mergeFolders(const std::vector<str>& shown, const std::vector<folder_entry>& entries);
