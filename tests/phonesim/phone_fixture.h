#pragma once
// A simulated phone on a scratch copy of the sample content, with a test client on its line.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>

#include "tests/phonesim/line_client.h"
#include "tests/support/phone_folder.h"
#include "tools/phonesim/phonesim.h"

class PhoneTest : public ::testing::Test {
protected:
    void start(phonesim::Options options = {}) {
        ASSERT_TRUE(folder.ok());
        options.root = folder.path().string();
        device = phone.start(options);
        ASSERT_FALSE(device.empty());
        line = std::make_unique<LineClient>(device);
        ASSERT_TRUE(line->ok());
    }
    void start_with(const phonesim::Faults& faults) {
        phonesim::Options options;
        options.faults = faults;
        start(options);
    }

    // Waits (up to 5 s) until the phone's counters satisfy `done`.
    bool wait_for(const std::function<bool(const phonesim::Counters&)>& done) {
        for (int i = 0; i < 500; ++i) {
            if (done(phone.counters()))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    bytes host_file(const std::string& phone_path) const {
        std::ifstream in(folder.file(phone_path), std::ios::binary);
        return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    phone_folder folder;
    phonesim::Phone phone;
    std::string device;
    std::unique_ptr<LineClient> line;
};

constexpr std::uint32_t all_bits = 0xFFFFFFFF;
