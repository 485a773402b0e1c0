#include "core/paths_sys.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace paths_sys {

str current_dir() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return str::from_utf8(buffer.c_str());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return str();
        buffer.resize(buffer.size() * 2);
    }
}

bool is_dir(const str& path) {
    struct stat st {};
    return ::stat(path.to_utf8().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool make_dir(const str& path) {
    if (::mkdir(path.to_utf8().c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && is_dir(path); // a file of that name is no directory
}

str temp_dir() {
    const char* dir = std::getenv("TMPDIR");
    return str::from_utf8(dir && *dir ? dir : "/tmp");
}

str unique_temp_file(const str& dir) {
    std::string pattern = dir.to_utf8();
    if (pattern.empty() || pattern.back() != '/')
        pattern += '/';
    pattern += "TEMPXXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return str();
    ::close(fd);
    return str::from_utf8(pattern.c_str());
}

} // namespace paths_sys
