#pragma once
// Listing a phone folder through BrowseCommand, for ls and for checking what an operation left.

#include <cstdint>
#include <vector>

#include "core/str.h"
#include "link/samsung_protocol.h"
#include "tools/orvelctl/session.h"

struct phone_entry {
    str name;
    std::uint32_t attributes = 0;
    std::uint32_t size = 0;
    bool isDirectory() const { return (attributes & SamsungDirEntry::directory_bit) != 0; }
};

struct phone_listing {
    bool ok = false;      // the listing was complete
    link_failure failure; // why not
    std::vector<phone_entry> entries;

    // The entry of that name (exact, else ignoring letter case), or null.
    const phone_entry* find(const str& name) const;
};

phone_listing list_phone_dir(ctl_session& s, const str& dir);

// A phone entry name for one output line: its bytes, except that a backslash is doubled and
// control characters (C0, DEL and the C1 range of the 8-bit names) are written as escapes
// (backslash-n, backslash-t, backslash-x01), so a name can never make a line of its own or
// steer a terminal.
std::string printable_name(const str& name);
