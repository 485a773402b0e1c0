#include "tests/support/phone_folder.h"

#include <atomic>
#include <chrono>
#include <system_error>

phone_folder::phone_folder(const std::filesystem::path& sample) {
    static std::atomic<unsigned> serial{0};
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error)
        return;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = base / ("orvel-phone-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    if (!std::filesystem::create_directories(path_, error))
        return;
    if (!sample.empty())
        std::filesystem::copy(sample, path_, std::filesystem::copy_options::recursive, error);
    ok_ = !error;
}

phone_folder::~phone_folder() {
    std::error_code error;
    if (!path_.empty())
        std::filesystem::remove_all(path_, error);
}

std::filesystem::path phone_folder::file(const std::string& phone_path) const {
    std::filesystem::path result = path_;
    std::string part;
    for (char c : phone_path + "/") {
        if (c == '/' || c == '\\') {
            if (!part.empty())
                result /= part;
            part.clear();
        } else {
            part += c;
        }
    }
    return result;
}

std::string phone_folder::simulator_path() const {
    return host_unix_path(path_);
}
