#pragma once
// The phone's file system: phone paths (byte strings, "/" or "\" separated) mapped under a root
// folder of this machine, with the phone's numbered file and directory handles. A path never
// leaves the root: "." and ".." components and symbolic links are refused. Lookups fall back to a
// case-insensitive match, as on the phone's FAT file system.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/phonesim/unique_fd.h"

namespace phonesim {

struct DirEntry {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t attributes = 0;
    std::uint32_t stamp = 0; // FAT date (high word) and time (low word) of the last change
};

constexpr std::uint32_t attr_read_only = 0x001;
constexpr std::uint32_t attr_archive = 0x020;
constexpr std::uint32_t attr_directory = 0x200;

class PhoneFs {
public:
    static constexpr std::uint32_t refused = 0xFFFFFFFF;
    // Handles kept open at most; opening more recycles the oldest one.
    static constexpr std::size_t max_handles = 256;

    // `bigdir` > 0 adds a read-only folder "/big" of that many generated files; `hostile` adds
    // entries with unsafe names to every listing.
    PhoneFs(std::string root, unsigned bigdir, bool hostile);

    std::uint32_t open_read(const std::string& path);
    std::uint32_t open_write(const std::string& path);
    // Up to `max` bytes from the handle's position; false for an unknown handle or a read error.
    bool read(std::uint32_t handle, std::size_t max, std::vector<std::uint8_t>& out);
    bool write(std::uint32_t handle, const std::uint8_t* data, std::size_t size);
    bool close_file(std::uint32_t handle);
    bool remove(const std::string& path);
    bool make_dir(const std::string& path);
    std::uint32_t open_dir(const std::string& path);
    // The next entry of the listing and its 0-based number; false at its end or for an unknown
    // handle.
    bool next_entry(std::uint32_t handle, DirEntry& entry, std::uint32_t& number);
    bool close_dir(std::uint32_t handle);
    // `linebreak` adds an entry whose name holds a line break; `endless` makes every file read go
    // on past the file's end with generated data; `fractal` makes every folder list two more
    // folders (fractal_name_a/_b), which list two more in turn, without end.
    // `twins` adds to every listing two files whose names differ only in case
    // (twin_name_mixed, twin_name_upper), each with contents of its own.
    void set_extras(unsigned bigdir, bool hostile, bool linebreak = false, bool endless = false,
                    bool fractal = false, bool twins = false) {
        bigdir_ = bigdir;
        hostile_ = hostile;
        linebreak_ = linebreak;
        endless_ = endless;
        fractal_ = fractal;
        twins_ = twins;
    }
    std::uint32_t open_handles() const { return static_cast<std::uint32_t>(handles_.size()); }

private:
    enum class Kind { missing, file, dir, big_dir, big_file };
    struct Target {
        Kind kind = Kind::missing;
        bool valid = false; // false: the path is refused outright
        std::string host;   // host path (real entries and missing ones to be created)
        unsigned big_index = 0;
    };
    struct Handle {
        bool is_dir = false;
        UniqueFd fd;
        std::string content; // generated files of "/big"
        std::size_t offset = 0;
        std::size_t generated = 0; // bytes made up past the end (the `endless` fault)
        std::vector<DirEntry> entries;
        std::size_t next = 0;
    };

    Target resolve(const std::string& path) const;
    std::vector<DirEntry> list(const Target& target) const;
    std::uint32_t add_handle(Handle handle);
    Handle* find(std::uint32_t handle, bool dir);
    // The file's next bytes, up to max; empty at its end.
    bool read_some(Handle& handle, std::size_t max, std::vector<std::uint8_t>& out);

    std::string root_;
    unsigned bigdir_;
    bool hostile_;
    bool linebreak_ = false;
    bool endless_ = false;
    bool fractal_ = false;
    bool twins_ = false;
    std::map<std::uint32_t, Handle> handles_;
    std::uint32_t next_handle_ = 1;
};

// The folders that the `fractal` fault adds to every listing.
inline constexpr char fractal_name_a[] = "deeper-a";
inline constexpr char fractal_name_b[] = "deeper-b";

// The files that the `twins` fault adds to every listing, and their contents (null for any
// other name).
inline constexpr char twin_name_mixed[] = "Twin.txt";
inline constexpr char twin_name_upper[] = "TWIN.TXT";
const char* twin_content(const std::string& name);

// The generated content of file `index` (1-based) of "/big".
std::string big_file_name(unsigned index);
std::string big_file_content(unsigned index);

} // namespace phonesim
