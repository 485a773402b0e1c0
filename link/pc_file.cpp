// The portable parts of the PC files: the fetch file's temporary name and failure text, and
// what a file to send must be.

#include "link/pc_file.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr char16_t temp_prefix[] = u".orvel-part-";
constexpr int temp_prefix_length = 12;
constexpr int temp_suffix_length = 6;

// Whether a file name is one of our temporary names. Looked at in the system's own form, so that
// a name that has no conversion (not UTF-8 on POSIX) is simply no match.
template <class Name> bool is_temp_name(const Name& name) {
    if (name.size() != temp_prefix_length + temp_suffix_length)
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<char16_t>(name[i]);
        if (i < static_cast<std::size_t>(temp_prefix_length)
                ? c != temp_prefix[i]
                : !((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}
} // namespace

str pc_fetch_file::tempNameIn(const str& folder, std::uint32_t seed) {
    static const char16_t letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    str name(folder);
    name.append(temp_prefix);
    std::uint32_t x = seed * 2654435761u + 0x9E3779B9u;
    for (int i = 0; i < temp_suffix_length; ++i) {
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

void pc_fetch_file::removeStaleParts(const str& folder) {
    namespace fs = std::filesystem;
    try {
        std::error_code ec;
        const fs::path dir = folder.empty()
                                 ? fs::path(u".")
                                 : fs::path(std::u16string(folder.c_str(), folder.length()));
        fs::directory_iterator it(dir, ec), end;
        // A bounded look: a folder is not searched without end for leftovers.
        for (int seen = 0; !ec && it != end && seen < 100000; it.increment(ec), ++seen) {
            const auto name = it->path().filename().native();
            if (!is_temp_name(name) || !it->is_regular_file(ec))
                continue;
            str full(folder);
            for (const auto c : name)
                full.append(static_cast<char16_t>(c)); // our names are plain ASCII
            removeIfUnused(full);
        }
    } catch (const std::exception&) {
        // A folder name without a form for the file system: nothing to clean there.
    }
}

bool pc_regular_file_size(const str& name, std::uint64_t& size) {
    if (name.empty())
        return false;
    std::error_code ec;
    const std::filesystem::path path(std::u16string(name.c_str(), name.length()));
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    size = std::filesystem::file_size(path, ec);
    return !ec;
}

link_failure pc_not_regular(const str& name) {
    link_failure why{link_error::pc_file, str(u"cannot read PC file ")};
    why.detail.append(name);
    why.detail.append(u": it is no regular file");
    return why;
}
