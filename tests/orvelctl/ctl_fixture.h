#pragma once
// Runs the orvelctl program against a simulated phone that serves a scratch folder.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/orvelctl/run_program.h"
#include "tests/support/file_bytes.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

inline std::string utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // text output ends lines with CR LF on Windows
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

// A failure report: exit 1, nothing on standard output beyond what is given, one stderr line.
#define EXPECT_ONE_LINE_FAILURE(r)                                                                 \
    do {                                                                                           \
        EXPECT_EQ((r).code, 1);                                                                    \
        EXPECT_EQ(lines_of((r).err).size(), 1u) << (r).err;                                        \
        EXPECT_EQ((r).err.rfind("orvelctl: ", 0), 0u) << (r).err;                                  \
    } while (0)

class CtlTest : public ::testing::Test {
protected:
    void startPhone(const std::vector<std::string>& faults = {}) {
        if (!std::getenv("ORVEL_PHONESIM"))
            GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
        ASSERT_TRUE(phone_root.ok() && pc_root.ok());
        ASSERT_TRUE(phone.start(phone_root.simulator_path(), faults));
    }
    // orvelctl with the arguments, told to use the phone's port.
    run_result ctl(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", phone.port()});
        return run_program(ORVEL_ORVELCTL, args);
    }
    std::string pc(const std::string& rel) { return utf8(pc_root.file(rel)); }

    phone_folder phone_root{fs::path()};
    phone_folder pc_root{fs::path()};
    sim_process phone;
};
