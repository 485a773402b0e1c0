// The POSIX serial port against a scripted pseudo-terminal peer: opening and closing with their
// signals, reads under the time-outs, cancelling from another thread, the probe and the AT
// exchange.

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "link/orvel_com.h"
#include "tests/link/serial_peer_posix.h"

namespace {

bytes text(const std::string& s) {
    return bytes(s.begin(), s.end());
}

// Records "connected"/"disconnected" of a port, checking the argument word.
class port_log : public vObject {
public:
    explicit port_log(OrvelCom& port) : port_(port) {
        connect(&port, u"connected", this, &port_log::connected);
        connect(&port, u"disconnected", this, &port_log::disconnected);
    }
    std::vector<std::string> events;

private:
    void connected(vObject* o) { events.push_back(o == &port_ ? "connected" : "connected?"); }
    void disconnected(vObject* o) {
        events.push_back(o == &port_ ? "disconnected" : "disconnected?");
        // The port is still open while the handlers run.
        if (!port_.isOpen())
            events.push_back("closed too early");
    }
    OrvelCom& port_;
};

TEST(SerialPort, OpenAndCloseSignalInOrder) {
    serial_peer a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    OrvelCom port;
    port_log log(port);

    EXPECT_FALSE(port.isOpen());
    port.closePort();
    EXPECT_TRUE(log.events.empty()) << "closing a closed port emits nothing";

    ASSERT_TRUE(port.openPort(str::from_utf8(a.path().c_str())));
    EXPECT_TRUE(port.isOpen());
    // Re-opening closes the old port first.
    ASSERT_TRUE(port.openPort(str::from_utf8(b.path().c_str())));
    EXPECT_EQ(log.events, (std::vector<std::string>{"connected", "disconnected", "connected"}));

    // A port that cannot be opened: the old one is closed, nothing else is emitted.
    EXPECT_FALSE(port.openPort(str(u"/dev/orvel-no-such-port")));
    EXPECT_FALSE(port.isOpen());
    ASSERT_TRUE(port.openPort(str::from_utf8(a.path().c_str())));
    // An empty name closes and fails.
    EXPECT_FALSE(port.openPort(str()));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(log.events, (std::vector<std::string>{"connected", "disconnected", "connected",
                                                    "disconnected", "connected", "disconnected"}));

    // The port was freed again: it can be opened once more.
    EXPECT_TRUE(port.openPort(str::from_utf8(a.path().c_str())));
}

TEST(SerialPort, ClosedPortRefusesIoAndLeavesCountUntouched) {
    OrvelCom port;
    std::uint8_t b[4];
    std::uint32_t n = 1234;
    EXPECT_FALSE(port.readBytes(b, 4, &n));
    EXPECT_FALSE(port.writeBytes(b, 4, &n));
    EXPECT_EQ(n, 1234u);
    EXPECT_EQ(port.bytesWaiting(), 0u);
    str reply(u"old");
    EXPECT_FALSE(port.sendAT(str(u"AT\r"), reply));
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(OrvelCom::deviceName(str(u"/dev/ttyACM0")), str(u"/dev/ttyACM0"));
}

TEST(SerialPort, ReadsReturnWhatArrivedUnderTheTimeOuts) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    OrvelCom port;
    ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));

    // All 256 byte values pass unchanged, both ways.
    bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    std::uint32_t n = 0;
    ASSERT_TRUE(port.writeBytes(all.data(), 256, &n));
    EXPECT_EQ(n, 256u);
    peer.send(all);
    bytes in(256);
    ASSERT_TRUE(port.readBytes(in.data(), 256, &n));
    EXPECT_EQ(n, 256u);
    EXPECT_EQ(in, all);
    for (int i = 0; i < 100 && peer.received().size() < 256; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(peer.received(), all);

    // Fewer bytes than asked, then a pause: a success with what arrived.
    peer.send(text("abc"));
    for (int i = 0; i < 100 && port.bytesWaiting() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(port.bytesWaiting(), 3u);
    ASSERT_TRUE(port.readBytes(in.data(), 10, &n));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(in.begin(), in.begin() + 3), "abc");

    // Nothing at all: a success with nothing.
    n = 99;
    ASSERT_TRUE(port.readBytes(in.data(), 1, &n));
    EXPECT_EQ(n, 0u);
}

TEST(SerialPort, CloseFromAnotherThreadEndsAPendingRead) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    OrvelCom port;
    ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));
    // A read of 10,000 bytes would wait 25 minutes for its time-out.
    std::vector<std::uint8_t> big(10000);
    auto reader = std::async(std::launch::async, [&] {
        std::uint32_t n = 0;
        return port.readBytes(big.data(), 10000, &n);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.closePort();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(port.isOpen());

    // The same while sendAT waits for its answer lines.
    ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));
    peer.on_line([](const std::string&) {
        return serial_peer::answer{{text("AT\r\r\nrev 1"), 0}};
    });
    auto at = std::async(std::launch::async, [&] {
        str reply;
        bool ok = port.sendAT(str(u"AT+CGMR\r"), reply);
        return std::make_pair(ok, reply.to_utf8());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.closePort();
    ASSERT_EQ(at.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(at.get().first);
}

TEST(SerialAt, AnswerLinesAreCollectedUpToTheResultLine) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    OrvelCom port;
    ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));
    str reply;

    peer.on_line([](const std::string& line) {
        if (line == "AT+CGMI")
            return serial_peer::answer{{text("AT+CGMI\r\r\n\r\nSAMSUNG\r\n\r\nOK\r\n"), 0}};
        if (line == "AT+CGMM")
            return serial_peer::answer{{text("\r\nGT-S8500\r\nRev B\r\nOK\r\n"), 0}};
        if (line == "AT+CGSN")
            return serial_peer::answer{{text("\r\n3520\r\n"), 0}, {text("error\r\n"), 50}};
        if (line == "AT+BUSY")
            return serial_peer::answer{{text("at echo\r\nBuSy\r\n"), 0}};
        return serial_peer::answer{};
    });
    ASSERT_TRUE(port.sendAT(str(u"AT+CGMI\r"), reply));
    EXPECT_EQ(reply, str(u"SAMSUNG")) << "the echo and empty lines are dropped";
    ASSERT_TRUE(port.sendAT(str(u"AT+CGMM\r"), reply));
    EXPECT_EQ(reply, str(u"GT-S8500\nRev B"));
    ASSERT_TRUE(port.sendAT(str(u"AT+CGSN\r"), reply)) << "ERROR in any case ends like OK";
    EXPECT_EQ(reply, str(u"3520"));
    ASSERT_TRUE(port.sendAT(str(u"AT+BUSY\r"), reply));
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(peer.lines(), (std::vector<std::string>{"AT+CGMI", "AT+CGMM", "AT+CGSN", "AT+BUSY"}));

    // Bytes above 0x7F become one character each.
    peer.on_line([](const std::string&) {
        return serial_peer::answer{{{0xE9, 'x', '\r', '\n', 'O', 'K', '\n'}, 0}};
    });
    ASSERT_TRUE(port.sendAT(str(u"AT+X\r"), reply));
    EXPECT_EQ(reply, str(u"\u00e9x"));
}

TEST(SerialAt, SilentOrUnfinishedAnswersFail) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    OrvelCom port;
    ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));
    str reply(u"stale");

    // Nothing within the first 200 ms.
    peer.on_line([](const std::string&) { return serial_peer::answer{}; });
    EXPECT_FALSE(port.sendAT(str(u"AT+CGMI\r"), reply));
    EXPECT_TRUE(reply.empty());

    // An answer that begins too late counts as none, and is not taken for the next one's.
    peer.on_line([](const std::string&) {
        return serial_peer::answer{{text("LATE\r\nOK\r\n"), 600}};
    });
    EXPECT_FALSE(port.sendAT(str(u"AT+CGMI\r"), reply));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    // A phone that starts to answer but never sends a result line: false, with what came.
    peer.on_line([](const std::string&) {
        return serial_peer::answer{{text("\r\nline one\r\npart"), 0}};
    });
    EXPECT_FALSE(port.sendAT(str(u"AT+CGMR\r"), reply));
    EXPECT_EQ(reply, str(u"line one"));

    // A port that keeps sending lines without a result line is given up after a bounded answer.
    peer.on_line([](const std::string&) {
        std::string chatter;
        // More than the bound, yet small enough for the pseudo-terminal's buffers.
        for (int i = 0; i < 350; ++i)
            chatter += "+CHATTER: " + std::to_string(i) + "\r\n";
        return serial_peer::answer{{text(chatter), 0}};
    });
    EXPECT_FALSE(port.sendAT(str(u"AT+CGMR\r"), reply));
    EXPECT_LE(reply.length(), 4096);
}

TEST(SerialProbe, PseudoTerminalAnswersCountAsAPhone) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    OrvelCom port;
    port_log log(port);
    str name = str::from_utf8(peer.path().c_str());

    peer.on_line([](const std::string&) {
        return serial_peer::answer{{text("\r\n3520981\r\n\r\nOK\r\n"), 0}};
    });
    testing::internal::CaptureStdout();
    EXPECT_TRUE(port.probePort(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " - \r\n3520981\r\n\r\nOK\r\n - ");
    EXPECT_EQ(peer.lines().back(), "AT+CGSN");

    // Fewer than two bytes in reply: no phone.
    peer.on_line([](const std::string&) { return serial_peer::answer{{text("x"), 0}}; });
    testing::internal::CaptureStdout();
    EXPECT_FALSE(port.probePort(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " - x - ");

    // Nothing within a second: a modem that keeps quiet counts as a phone, and prints nothing.
    peer.on_line([](const std::string&) { return serial_peer::answer{}; });
    testing::internal::CaptureStdout();
    EXPECT_TRUE(port.probePort(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_FALSE(port.probePort(str()));
    EXPECT_FALSE(port.probePort(str(u"/dev/orvel-no-such-port")));
    // A device that is no modem port at all.
    EXPECT_FALSE(port.probePort(str(u"/dev/null")));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(log.events.empty()) << "a probe emits nothing";

    // The probe leaves an open port alone.
    serial_peer other;
    ASSERT_TRUE(port.openPort(str::from_utf8(other.path().c_str())));
    peer.on_line([](const std::string&) { return serial_peer::answer{{text("OK\r\n"), 0}}; });
    testing::internal::CaptureStdout();
    EXPECT_TRUE(port.probePort(name));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(port.isOpen());
}

} // namespace
