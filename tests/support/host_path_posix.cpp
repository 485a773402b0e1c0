#include "tests/support/phone_folder.h"

std::string host_unix_path(const std::filesystem::path& path) {
    return path.string();
}
