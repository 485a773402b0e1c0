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
#include "tests/support/file_bytes.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

inline str pc_str(const fs::path& p) {
    return str(p.u16string().c_str());
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
