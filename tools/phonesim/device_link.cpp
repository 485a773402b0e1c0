#include "tools/phonesim/device_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace phonesim {

namespace {

bool is_symlink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string link_target(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t size = readlink(link.c_str(), buffer, sizeof buffer - 1);
    return size < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(size));
}

} // namespace

bool make_link(const std::string& target, const std::string& link) {
    if (symlink(target.c_str(), link.c_str()) == 0)
        return true;
    if (errno != EEXIST || !is_symlink(link))
        return false;
    // Replace atomically: a fresh link under a temporary name, renamed over the old one.
    const std::string temporary = link + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0)
        return false;
    if (rename(temporary.c_str(), link.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void remove_link(const std::string& target, const std::string& link) {
    if (!link.empty() && is_symlink(link) && link_target(link) == target)
        unlink(link.c_str());
}

std::string claim_com_port(const std::string& dosdevices, const std::string& target,
                           std::string& link) {
    for (int n = 10; n <= 255; ++n) {
        const std::string path = dosdevices + "/com" + std::to_string(n);
        if (symlink(target.c_str(), path.c_str()) != 0) {
            struct stat device {};
            // A stale link of a phone that is gone: take it over.
            if (errno != EEXIST || !is_symlink(path) || stat(path.c_str(), &device) == 0 ||
                !make_link(target, path))
                continue;
        }
        link = path;
        return "COM" + std::to_string(n);
    }
    link.clear();
    return {};
}

} // namespace phonesim
