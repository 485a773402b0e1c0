#include "core/paths_sys.h"
#include "core/stream.h"

namespace {

bool is_sep(char16_t c) {
    return c == u'/' || c == u'\\';
}

// Position of the last separator at or before `from`, or -1.
int last_sep(const str& s, int from) {
    for (int i = from; i >= 0; --i)
        if (is_sep(s[i]))
            return i;
    return -1;
}

bool has_drive_prefix(const str& s) {
    const char16_t d = s.length() >= 3 ? s[0] : 0;
    return ((d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z')) && s[1] == u':' && is_sep(s[2]);
}

void to_slashes(str& path) {
    char16_t* p = path.buffer();
    for (int i = 0; i < path.length(); ++i)
        if (p[i] == u'\\')
            p[i] = u'/';
    path.sync_from_wide();
}

} // namespace

void normalise_dir(str& path) {
    if (path.empty())
        return;
    if (path == u"." || path == u"..") {
        str cwd = paths_sys::current_dir();
        if (!cwd.empty()) {
            if (path == u"..") {
                // The parent: cut at the last separator, not counting one at the very end.
                const int cut = last_sep(cwd, cwd.length() - 2);
                if (cut >= 0)
                    cwd.erase(cut);
            }
            path = std::move(cwd);
        }
    }
    to_slashes(path);
    if (path.empty() || !is_sep(path[path.length() - 1]))
        path.append(u'/');
}

void split_path(const str& path, str* dir, str* name, str* ext, str* stem) {
    const int n = path.length();
    const int sep = last_sep(path, n - 1);
    int dot = -1;
    for (int i = n - 1; i > sep; --i) {
        if (path[i] == u'.') {
            dot = i;
            break;
        }
    }
    if (dir)
        dir->assign(path.substr(0, sep > 0 ? sep : 0));
    if (name)
        name->assign(path.substr(sep + 1));
    if (ext)
        ext->assign(path.substr(dot >= 0 ? dot + 1 : n));
    if (stem)
        stem->assign(path.substr(sep + 1, (dot >= 0 ? dot : n) - (sep + 1)));
}

str dir_of(const str& path) {
    str dir;
    split_path(path, &dir, nullptr, nullptr, nullptr);
    return dir;
}

bool make_dir_chain(const str& given) {
    if (given.empty())
        return false;
    // Both separators count; "/" is understood by every platform.
    str path(given);
    to_slashes(path);
    // Only a real drive prefix ("C:/") is skipped; any other first component is created.
    const int start = has_drive_prefix(path) ? 3 : 1;
    for (int i = start; i < path.length(); ++i) {
        if (path[i] != u'/' || path[i - 1] == u'/')
            continue;
        const str prefix(path.substr(0, i));
        if (!paths_sys::is_dir(prefix) && !paths_sys::make_dir(prefix))
            return false;
    }
    return paths_sys::make_dir(path);
}

str temp_path(const char16_t* name) {
    str dir = paths_sys::temp_dir();
    if (dir.empty())
        return str();
    if (!name)
        return paths_sys::unique_temp_file(dir);
    normalise_dir(dir);
    dir.append(name);
    return dir;
}
