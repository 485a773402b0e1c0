#include "link/pc_names.h"

#include <string>

namespace {
// "stem (n).ext": the number goes before the last dot, unless the name starts with it.
str numbered(const str& name, unsigned n) {
    const int dot = name.find_last_of(u".");
    const int cut = dot > 0 ? dot : name.length();
    str result(name.substr(0, cut));
    result.append(u" (");
    result.append(str(std::to_string(n).c_str()));
    result.append(u")");
    result.append(str(name.substr(cut)));
    return result;
}
} // namespace

bool pc_name_claims::taken(const str& path) const {
    pc_file_id id;
    if (!pc_file_identity(path, id))
        return false;
    return written_.count(id) != 0 || pc_name_is_alias(path);
}

str pc_name_claims::claim(const str& folder, const str& name) const {
    str candidate(name);
    for (unsigned n = 2; n < 10000; ++n) {
        str path(folder);
        path.append(candidate);
        if (!taken(path))
            return candidate;
        candidate = numbered(name, n);
    }
    return candidate;
}

void pc_name_claims::written(const str& path) {
    pc_file_id id;
    if (pc_file_identity(path, id))
        written_.insert(id);
}
