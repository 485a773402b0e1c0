#pragma once
// A link connected to a simulated phone that serves a scratch folder, and a scratch PC folder.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "link/samsung_comm.h"
#include "tests/link/signal_log.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

inline str pc_str(const fs::path& p) {
    return str(p.u16string().c_str());
}

inline void write_bytes(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

inline std::string read_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that differ from position to position, so a shifted or repeated chunk shows.
inline std::string pattern(std::size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    unsigned x = seed;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

// Every file and folder below the root, as generic relative paths, sorted.
inline std::vector<std::string> tree_of(const fs::path& root) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        out.push_back(fs::relative(it->path(), root).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

class PhoneTest : public ::testing::Test {
protected:
    // Starts the phone (with fault words) and opens its port on the link.
    void connectPhone(const std::vector<std::string>& faults = {}) {
        if (!std::getenv("ORVEL_PHONESIM"))
            GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
        ASSERT_TRUE(phone_root.ok() && pc_root.ok());
        ASSERT_TRUE(phone.start(phone_root.simulator_path(), faults));
        ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    }

    phone_folder phone_root{fs::path()}; // the phone's file system
    phone_folder pc_root{fs::path()};    // scratch folder on the PC side
    sim_process phone;
    SamsungComm link;
};
