// The portable parts of the fetch file: its temporary name and its failure text.

#include "link/pc_file.h"

str pc_fetch_file::tempNameIn(const str& folder, std::uint32_t seed) {
    static const char16_t letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    str name(folder);
    name.append(u".orvel-part-");
    std::uint32_t x = seed * 2654435761u + 0x9E3779B9u;
    for (int i = 0; i < 6; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        name.append(letters[x % 36]);
    }
    return name;
}

bool pc_fetch_file::read(void*, std::uint32_t, std::uint32_t* done) {
    if (done)
        *done = 0;
    return false;
}

bool pc_fetch_file::fail(const char16_t* doing, const str& name, const str& why) {
    str text(doing);
    if (!name.empty()) {
        text.append(u' ');
        text.append(name);
    }
    if (!why.empty()) {
        text.append(u": ");
        text.append(why);
    }
    failure_.error = link_error::pc_file;
    failure_.detail = text;
    return false;
}
