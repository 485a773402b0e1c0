#pragma once
// A scripted phone on the master end of a pseudo-terminal, for tests of the serial port and the
// protocol: the port under test opens the terminal end (path()); the peer reads what it sends,
// splits it into frames (acknowledgements are counted, not answered) and carriage-return ended
// text lines, and writes back what the test's handler answers.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/link/packet_util.h"

class serial_peer {
public:
    // Bytes to write after a pause.
    struct piece {
        bytes data;
        unsigned pause_ms = 0;
    };
    using answer = std::vector<piece>;
    using frame_handler = std::function<answer(const bytes& frame)>;
    using line_handler = std::function<answer(const std::string& line)>;

    serial_peer();
    ~serial_peer();
    serial_peer(const serial_peer&) = delete;
    serial_peer& operator=(const serial_peer&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }

    void on_frame(frame_handler handler);
    void on_line(line_handler handler);
    // Writes bytes to the port at once.
    void send(const bytes& data);

    // Request frames received so far (acknowledgements excluded), in order.
    std::vector<bytes> frames();
    std::vector<std::uint16_t> codes();
    int acks();
    std::vector<std::string> lines();
    // Every byte received.
    bytes received();

private:
    void run();
    void handle(std::uint8_t byte);
    void write_answer(const answer& a);

    int master_ = -1;
    int slave_ = -1; // held open so the master never sees a hang-up between port opens
    std::string path_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    frame_handler on_frame_;
    line_handler on_line_;
    std::vector<bytes> frames_;
    std::vector<std::string> lines_;
    bytes received_;
    int acks_ = 0;
    bytes pending_; // frame or line being collected
    std::thread thread_;
};
