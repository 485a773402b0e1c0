#pragma once
// Test helper: a fresh folder under the system temporary folder, removed with its contents when
// the helper goes out of scope.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/str.h"

inline str to_str(const std::filesystem::path& p) {
    return str(p.u16string().c_str());
}

inline std::filesystem::path to_path(const str& s) {
    return std::filesystem::path(std::u16string(s.c_str()));
}

class scratch_dir {
public:
    scratch_dir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::temp_directory_path(ec);
        std::mt19937_64 rng(static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count()));
        for (int i = 0; i < 100; ++i) {
            path_ = base / ("orvel-core-test-" + std::to_string(rng() % 1000000000ULL));
            if (fs::create_directory(path_, ec))
                return;
        }
        path_.clear();
    }
    ~scratch_dir() {
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(path_, ec);
        }
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path path(const char* name) const { return path_ / name; }
    // The folder, or a name inside it, as a str.
    str s() const { return to_str(path_); }
    str s(const char* name) const { return to_str(path_ / name); }

private:
    std::filesystem::path path_;
};

inline std::string read_all(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_all(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
