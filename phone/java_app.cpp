#include "phone/java_app.h"

#include <new>

#include "core/tokenizers.h"
#include "link/samsung_protocol.h"

namespace {

constexpr std::uint32_t attribute_folder = SamsungDirEntry::directory_bit;

} // namespace

dropped_name splitDroppedName(const str& path) {
    dropped_name parts;
    const int slash = path.find_last_of(u"\\/");
    const int start = slash + 1;
    parts.folder.assign(path, start);
    parts.file.assign(path.substr(start));
    const int dot = path.find_last_of(u'.');
    if (dot >= start) {
        parts.stem.assign(path.substr(start, dot - start));
        parts.extension.assign(path.substr(dot + 1));
    } else {
        parts.stem = parts.file;
    }
    return parts;
}

bool isJarExtension(const str& extension) {
    return extension.equals(u"jar", false);
}

bool isJadExtension(const str& extension) {
    return extension.equals(u"jad", false);
}

bool usableGameName(const str& name) {
    return !name.empty() && !name.equals(u".") && !name.equals(u"..");
}

bool holdsJarFile(const str& names) {
    strtokens_var parts(u"|");
    const int n = parts.tokenize(names);
    for (int i = 0; i < n; ++i)
        if (isJarExtension(splitDroppedName(str(parts.item(i))).extension))
            return true;
    return false;
}

void pairDroppedFiles(const str& names, alist<javaApp>& apps) {
    strtokens_var parts(u"|");
    const int n = parts.tokenize(names);
    for (int i = 0; i < n; ++i) {
        const str path(parts.item(i));
        const dropped_name name = splitDroppedName(path);
        if (!isJarExtension(name.extension) || !usableGameName(name.stem))
            continue;
        bool known = false;
        for (unsigned j = 0; j < apps.count() && !known; ++j)
            known = apps[j] && apps[j]->equals(name.stem.c_str(), false);
        if (known)
            continue;
        try {
            auto* app = new javaApp(name.stem, path);
            if (!apps.push(app))
                delete app;
        } catch (const std::bad_alloc&) {
        }
    }
    for (int i = 0; i < n; ++i) {
        const str path(parts.item(i));
        const dropped_name name = splitDroppedName(path);
        if (!isJadExtension(name.extension))
            continue;
        for (unsigned j = 0; j < apps.count(); ++j) {
            if (apps[j] && apps[j]->equals(name.stem.c_str(), false)) {
                apps[j]->jadPath = path;
                break;
            }
        }
    }
}

java_entry classifyBrowseEntry(const char16_t* folder, const char16_t* name,
                               std::uint32_t attributes, str* path) {
    if (!folder)
        return java_entry::other_folder;
    const str dir(folder);
    if (!dir.equals(java_games_first, false) && !dir.equals(java_games_second, false))
        return java_entry::other_folder;
    if (!(attributes & attribute_folder) || !name || name[0] == 0 || name[0] == u'.')
        return java_entry::not_a_game;
    if (path) {
        *path = dir;
        path->append(name);
    }
    return java_entry::game;
}

str javaInstallFolder(const str& reported) {
    return reported.empty() ? str(java_games_first) : reported;
}
