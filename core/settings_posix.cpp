#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"

namespace {

// $XDG_CONFIG_HOME/orvel, else ~/.config/orvel; empty without a home.
std::string settings_dir() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/orvel";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::string();
    return std::string(home) + "/.config/orvel";
}

std::vector<std::string> read_lines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The value of a line "name=value" (a name holds no "=" and a value no line end).
bool value_of(const std::string& line, const std::string& name, std::string& value) {
    if (line.size() <= name.size() || line.compare(0, name.size(), name) != 0 ||
        line[name.size()] != '=')
        return false;
    value = line.substr(name.size() + 1);
    return true;
}

bool make_dirs(const std::string& dir) {
    for (std::size_t at = 1; at <= dir.size(); ++at) {
        if (at < dir.size() && dir[at] != '/')
            continue;
        const std::string part = dir.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0) {
            struct stat info {};
            if (stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
                return false;
        }
    }
    return true;
}

} // namespace

str readSetting(const char16_t* name) {
    const std::string dir = settings_dir();
    if (dir.empty())
        return str();
    const std::string key = str(name).to_utf8();
    std::string value;
    for (const std::string& line : read_lines(dir + "/settings"))
        if (value_of(line, key, value))
            return str::from_utf8(value.c_str());
    return str();
}

bool keepSetting(const char16_t* name, const str& value) {
    const std::string dir = settings_dir();
    const std::string key = str(name).to_utf8();
    const std::string text = value.to_utf8();
    if (dir.empty() || key.empty() || key.find('=') != std::string::npos ||
        key.find('\n') != std::string::npos || text.find('\n') != std::string::npos ||
        !make_dirs(dir))
        return false;
    const std::string file = dir + "/settings";
    std::ostringstream out;
    std::string old;
    for (const std::string& line : read_lines(file))
        if (!value_of(line, key, old))
            out << line << '\n';
    out << key << '=' << text << '\n';
    // Written beside the file and renamed over it, so a crash never leaves half a file.
    const std::string temporary = file + ".new";
    {
        std::ofstream written(temporary, std::ios::trunc);
        written << out.str();
        if (!written.flush())
            return false;
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
