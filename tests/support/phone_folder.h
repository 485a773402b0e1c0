#pragma once
// A scratch copy of the sample phone content (tests/data/phone) for a simulator to serve, so that
// tests may write to the phone without touching the repository. Removed when destroyed.

#include <filesystem>
#include <string>

class phone_folder {
public:
    // A copy of `sample` (a folder of this program); an empty path makes an empty phone.
    explicit phone_folder(const std::filesystem::path& sample);
#ifdef ORVEL_TEST_DATA
    // A copy of the sample phone content.
    phone_folder() : phone_folder(std::filesystem::path(ORVEL_TEST_DATA) / "phone") {}
#endif
    ~phone_folder();
    phone_folder(const phone_folder&) = delete;
    phone_folder& operator=(const phone_folder&) = delete;

    bool ok() const {
        return ok_;
    }
    // The folder as this test program reaches it.
    const std::filesystem::path& path() const {
        return path_;
    }
    // The phone path ("/Registry/x.ini") as a path of this test program.
    std::filesystem::path file(const std::string& phone_path) const;
    // The folder as the (Linux) simulator reaches it.
    std::string simulator_path() const;

private:
    std::filesystem::path path_;
    bool ok_ = false;
};

// The Linux path of a path of this program: itself natively, translated under Wine.
std::string host_unix_path(const std::filesystem::path& path);
