#include "tools/phonesim/phone_fs.h"

#include "tools/phonesim/phonesim.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace phonesim {

namespace {

std::vector<std::string> split_path(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool same_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// The names in a host folder, sorted by their bytes; "." and ".." left out.
std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    DirPtr handle(opendir(dir.c_str()));
    if (!handle)
        return names;
    while (dirent* entry = readdir(handle.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The name under which `wanted` exists in `dir`: itself, else the first case-insensitive match.
bool find_name(const std::string& dir, const std::string& wanted, std::string& found) {
    struct stat info {};
    if (lstat((dir + "/" + wanted).c_str(), &info) == 0) {
        found = wanted;
        return true;
    }
    for (const std::string& name : names_in(dir)) {
        if (same_name(name, wanted)) {
            found = name;
            return true;
        }
    }
    return false;
}

std::uint32_t fat_stamp(std::time_t when) {
    std::tm t{};
    if (!gmtime_r(&when, &t) || t.tm_year < 80)
        return 0;
    const std::uint32_t date =
        static_cast<std::uint32_t>((t.tm_year - 80) << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
    const std::uint32_t time =
        static_cast<std::uint32_t>(t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec / 2);
    return date << 16 | time;
}

DirEntry entry_of(const std::string& name, const struct stat& info) {
    DirEntry entry;
    entry.name = name;
    entry.stamp = fat_stamp(info.st_mtime);
    if (S_ISDIR(info.st_mode)) {
        entry.attributes = attr_directory;
    } else {
        entry.size =
            info.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(info.st_size);
        entry.attributes = attr_archive | ((info.st_mode & S_IWUSR) ? 0 : attr_read_only);
    }
    return entry;
}

DirEntry dir_entry(const std::string& name) {
    DirEntry entry;
    entry.name = name;
    entry.attributes = attr_directory;
    return entry;
}

} // namespace

const char* twin_content(const std::string& name) {
    if (name == twin_name_mixed)
        return "the twin of mixed case";
    if (name == twin_name_upper)
        return "THE TWIN IN CAPITALS";
    return nullptr;
}

std::string big_file_name(unsigned index) {
    char name[32];
    std::snprintf(name, sizeof name, "file%05u.dat", index);
    return name;
}

std::string big_file_content(unsigned index) {
    return "generated file " + std::to_string(index) + "\n";
}

PhoneFs::PhoneFs(std::string root, unsigned bigdir, bool hostile)
    : root_(std::move(root)), bigdir_(bigdir), hostile_(hostile) {
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
}

PhoneFs::Target PhoneFs::resolve(const std::string& path) const {
    Target target;
    const std::vector<std::string> parts = split_path(path);
    for (const std::string& part : parts) {
        if (part == "." || part == "..")
            return target;
    }
    target.kind = Kind::dir;
    target.host = root_;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (target.kind == Kind::big_dir) {
            target.kind = Kind::missing;
            for (unsigned k = 1; k <= bigdir_ && i + 1 == parts.size(); ++k) {
                if (same_name(part, big_file_name(k))) {
                    target.kind = Kind::big_file;
                    target.big_index = k;
                }
            }
            continue;
        }
        if (target.kind != Kind::dir) {
            // Below a missing entry, a file or the generated files: nothing exists.
            target.kind = Kind::missing;
            if (!target.host.empty())
                target.host += "/" + part;
            continue;
        }
        std::string name;
        const bool found = find_name(target.host, part, name);
        if (i == 0 && bigdir_ > 0 && same_name(part, "big") && !found) {
            target.kind = Kind::big_dir;
            target.host.clear();
            continue;
        }
        if (!found) {
            target.kind = Kind::missing;
            target.host += "/" + part;
            continue;
        }
        target.host += "/" + name;
        struct stat info {};
        if (lstat(target.host.c_str(), &info) != 0)
            return Target{};
        if (S_ISDIR(info.st_mode))
            target.kind = Kind::dir;
        else if (S_ISREG(info.st_mode))
            target.kind = Kind::file;
        else
            return Target{}; // symbolic links and devices are never followed
    }
    target.valid = true;
    return target;
}

std::vector<DirEntry> PhoneFs::list(const Target& target) const {
    std::vector<DirEntry> entries{dir_entry("."), dir_entry("..")};
    if (target.kind == Kind::big_dir) {
        for (unsigned k = 1; k <= bigdir_; ++k) {
            DirEntry entry;
            entry.name = big_file_name(k);
            entry.size = static_cast<std::uint32_t>(big_file_content(k).size());
            entry.attributes = attr_archive | attr_read_only;
            entries.push_back(entry);
        }
    } else {
        struct stat self {};
        if (lstat(target.host.c_str(), &self) == 0)
            entries[0].stamp = entries[1].stamp = fat_stamp(self.st_mtime);
        std::vector<DirEntry> found;
        bool has_big = false;
        for (const std::string& name : names_in(target.host)) {
            struct stat info {};
            if (lstat((target.host + "/" + name).c_str(), &info) != 0)
                continue;
            if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
                continue;
            has_big = has_big || same_name(name, "big");
            found.push_back(entry_of(name, info));
        }
        if (target.host == root_ && bigdir_ > 0 && !has_big) {
            found.push_back(dir_entry("big"));
            std::sort(found.begin(), found.end(),
                      [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        }
        entries.insert(entries.end(), found.begin(), found.end());
    }
    if (hostile_) {
        entries.push_back(dir_entry("../x"));
        entries.push_back(dir_entry("a/b"));
        for (const char* name : {"C:x", "back\\slash", "ctl\x01name", ""}) {
            DirEntry entry;
            entry.name = name;
            entry.size = 1;
            entry.attributes = attr_archive;
            entries.push_back(entry);
        }
    }
    if (twins_) {
        for (const char* name : {twin_name_mixed, twin_name_upper}) {
            DirEntry entry;
            entry.name = name;
            entry.size = static_cast<std::uint32_t>(std::strlen(twin_content(name)));
            entry.attributes = attr_archive;
            entries.push_back(entry);
        }
    }
    if (linebreak_) {
        DirEntry entry;
        entry.name = linebreak_name;
        entry.size = 1;
        entry.attributes = attr_archive;
        entries.push_back(entry);
    }
    return entries;
}

std::uint32_t PhoneFs::add_handle(Handle handle) {
    if (handles_.size() >= max_handles)
        handles_.erase(handles_.begin());
    while (next_handle_ == 0 || next_handle_ == refused || handles_.count(next_handle_))
        ++next_handle_;
    const std::uint32_t number = next_handle_++;
    handles_.emplace(number, std::move(handle));
    return number;
}

PhoneFs::Handle* PhoneFs::find(std::uint32_t handle, bool dir) {
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.is_dir != dir)
        return nullptr;
    return &it->second;
}

std::uint32_t PhoneFs::open_read(const std::string& path) {
    const Target target = resolve(path);
    const std::vector<std::string> parts = split_path(path);
    Handle handle;
    if (twins_ && !parts.empty() && twin_content(parts.back()) != nullptr) {
        handle.content = twin_content(parts.back());
        return add_handle(std::move(handle));
    }
    if (!target.valid)
        return refused;
    if (target.kind == Kind::big_file) {
        handle.content = big_file_content(target.big_index);
    } else if (target.kind == Kind::file) {
        handle.fd.reset(::open(target.host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!handle.fd.valid())
            return refused;
    } else {
        return refused;
    }
    return add_handle(std::move(handle));
}

std::uint32_t PhoneFs::open_write(const std::string& path) {
    const Target target = resolve(path);
    if (!target.valid || target.host.empty() ||
        (target.kind != Kind::file && target.kind != Kind::missing))
        return refused;
    Handle handle;
    handle.fd.reset(
        ::open(target.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!handle.fd.valid())
        return refused;
    return add_handle(std::move(handle));
}

bool PhoneFs::read(std::uint32_t number, std::size_t max, std::vector<std::uint8_t>& out) {
    out.clear();
    Handle* handle = find(number, false);
    if (!handle)
        return false;
    const bool ok = read_some(*handle, max, out);
    if (!ok || !endless_ || !out.empty())
        return ok;
    // Past the end the phone keeps going with generated data.
    out.resize(max);
    for (std::size_t i = 0; i < max; ++i)
        out[i] = static_cast<std::uint8_t>('a' + (handle->generated + i) % 26);
    handle->generated += max;
    return true;
}

bool PhoneFs::read_some(Handle& file, std::size_t max, std::vector<std::uint8_t>& out) {
    out.clear();
    Handle* handle = &file;
    if (!handle->fd.valid()) {
        const std::size_t count = std::min(max, handle->content.size() - handle->offset);
        out.assign(handle->content.begin() + handle->offset,
                   handle->content.begin() + handle->offset + count);
        handle->offset += count;
        return true;
    }
    out.resize(max);
    std::size_t have = 0;
    while (have < max) {
        const ssize_t got = ::read(handle->fd.get(), out.data() + have, max - have);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            out.clear();
            return false;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    out.resize(have);
    return true;
}

bool PhoneFs::write(std::uint32_t number, const std::uint8_t* data, std::size_t size) {
    Handle* handle = find(number, false);
    if (!handle || !handle->fd.valid())
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(handle->fd.get(), data + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool PhoneFs::close_file(std::uint32_t number) {
    if (!find(number, false))
        return false;
    handles_.erase(number);
    return true;
}

bool PhoneFs::remove(const std::string& path) {
    const Target target = resolve(path);
    return target.valid && target.kind == Kind::file && ::unlink(target.host.c_str()) == 0;
}

bool PhoneFs::make_dir(const std::string& path) {
    const Target target = resolve(path);
    return target.valid && target.kind == Kind::missing && !target.host.empty() &&
           ::mkdir(target.host.c_str(), 0755) == 0;
}

std::uint32_t PhoneFs::open_dir(const std::string& path) {
    const Target target = resolve(path);
    const std::vector<std::string> parts = split_path(path);
    const bool made_up = fractal_ && !parts.empty() &&
                         (parts.back() == fractal_name_a || parts.back() == fractal_name_b);
    Handle handle;
    handle.is_dir = true;
    if (target.valid && (target.kind == Kind::dir || target.kind == Kind::big_dir))
        handle.entries = list(target);
    else if (made_up)
        handle.entries = {dir_entry("."), dir_entry("..")};
    else
        return refused;
    if (fractal_) {
        handle.entries.push_back(dir_entry(fractal_name_a));
        handle.entries.push_back(dir_entry(fractal_name_b));
    }
    return add_handle(std::move(handle));
}

bool PhoneFs::next_entry(std::uint32_t number, DirEntry& entry, std::uint32_t& index) {
    Handle* handle = find(number, true);
    if (!handle || handle->next >= handle->entries.size())
        return false;
    index = static_cast<std::uint32_t>(handle->next);
    entry = handle->entries[handle->next++];
    return true;
}

bool PhoneFs::close_dir(std::uint32_t number) {
    if (!find(number, true))
        return false;
    handles_.erase(number);
    return true;
}

} // namespace phonesim
