// The serial port against the phone simulator, on every platform (natively over the
// pseudo-terminal, under Wine through the COM port mapped to it): time-outs that end reads with
// what arrived, and closing the port from another thread while a call or a transfer is pending.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "link/samsung_protocol.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

namespace {

class connection_log : public vObject {
public:
    explicit connection_log(OrvelCom& port) : port_(port) {
        connect(&port, u"connected", this, &connection_log::connected);
        connect(&port, u"disconnected", this, &connection_log::disconnected);
    }
    std::vector<std::string> events;

private:
    void connected(vObject* o) { events.push_back(o == &port_ ? "connected" : "?"); }
    void disconnected(vObject* o) { events.push_back(o == &port_ ? "disconnected" : "?"); }
    OrvelCom& port_;
};

class SerialSim : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(sim.start(folder.simulator_path()));
        name = str::from_utf8(sim.port().c_str());
    }

    phone_folder folder;
    sim_process sim;
    str name;
    OrvelCom port;
};

TEST_F(SerialSim, ReadsEndWithWhatArrived) {
    connection_log log(port);
    ASSERT_TRUE(port.openPort(name));
    EXPECT_TRUE(port.isOpen());

    // Nothing arrives: the read ends by its time-out, successfully and empty.
    std::uint8_t b[64];
    std::uint32_t n = 77;
    ASSERT_TRUE(port.readBytes(b, 1, &n));
    EXPECT_EQ(n, 0u);

    // An AT line answered: a read of more than arrived ends after the gap with all of it.
    const std::string cmd = "AT\r";
    ASSERT_TRUE(port.writeBytes(cmd.data(), 3, &n));
    EXPECT_EQ(n, 3u);
    ASSERT_TRUE(port.readBytes(b, sizeof b, &n));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), n).find("OK\r\n") != std::string::npos, true)
        << std::string(reinterpret_cast<char*>(b), n);

    port.closePort();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.readBytes(b, 1, &n));
    EXPECT_EQ(log.events, (std::vector<std::string>{"connected", "disconnected"}));

    // The line can be opened again after a close.
    ASSERT_TRUE(port.openPort(name));
    str reply;
    EXPECT_TRUE(port.sendAT(str(u"AT+CGMM\r"), reply));
    EXPECT_EQ(reply.to_utf8(), "GT-S8500");
}

TEST_F(SerialSim, CloseFromAnotherThreadEndsAPendingRead) {
    ASSERT_TRUE(port.openPort(name));
    // 10,000 bytes would take 25 minutes to time out.
    std::vector<std::uint8_t> big(10000);
    auto reader = std::async(std::launch::async, [&] {
        std::uint32_t n = 0;
        return port.readBytes(big.data(), 10000, &n);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    port.closePort();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialSim, CloseDuringATransferFailsItCleanly) {
    // A megabyte at 115,200 baud takes a minute and a half; the port is closed while it runs.
    ASSERT_TRUE(sim.start(folder.simulator_path(), {}, 115200));
    name = str::from_utf8(sim.port().c_str());
    std::string data(1 << 20, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 31 + i / 4093);
    {
        std::ofstream out(folder.file("/big.bin"), std::ios::binary);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    fs::path pc = folder.path().parent_path() / (folder.path().filename().string() + "-pc");
    fs::create_directories(pc);
    {
        std::ofstream out(pc / "big.bin", std::ios::binary);
        out << "previous";
    }

    ASSERT_TRUE(port.openPort(name));
    SamsungProtocol proto(&port);
    auto transfer = std::async(std::launch::async, [&] {
        return proto.getFile(str(u"/big.bin"), str((pc / "big.bin").u16string().c_str()));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    port.closePort();
    ASSERT_EQ(transfer.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(transfer.get());
    // The previous file is untouched, and no partial file stays behind.
    std::ifstream in(pc / "big.bin", std::ios::binary);
    std::string now((std::istreambuf_iterator<char>(in)), {});
    in.close();
    EXPECT_EQ(now, "previous");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(pc))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"big.bin"});
    fs::remove_all(pc);
}

} // namespace
