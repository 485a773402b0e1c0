#include "app/folder_view_paths.h"

namespace {
bool is_separator(char16_t c) {
    return c == u'/' || c == u'\\';
}
} // namespace

str phone_dir(const char16_t* path) {
    str dir(path);
    if (dir.empty())
        return dir;
    char16_t* text = dir.buffer();
    for (int i = 0; i < dir.length(); ++i)
        if (text[i] == u'\\')
            text[i] = u'/';
    dir.sync_from_wide();
    if (dir[dir.length() - 1] != u'/')
        dir.append(u'/');
    return dir;
}

str phone_child_dir(const str& dir, const char16_t* name) {
    str path(dir);
    path.append(name);
    return phone_dir(path.c_str());
}

int compare_rows(std::uint32_t attributesA, const str& nameA, std::uint32_t attributesB,
                 const str& nameB) {
    if (attributesA != attributesB)
        return attributesB > attributesA ? 1 : -1;
    return nameA.compare(nameB.c_str(), false);
}

str last_component(const str& pcName) {
    int cut = -1;
    for (int i = 0; i < pcName.length(); ++i)
        if (is_separator(pcName[i]))
            cut = i;
    return str(pcName.substr(cut + 1));
}

str drop_destination(const str& dir, const str& pcName) {
    const str name = last_component(pcName);
    if (dir.empty() || name.empty())
        return str();
    str path(dir);
    path.append(name);
    return path;
}
