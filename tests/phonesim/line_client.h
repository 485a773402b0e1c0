#pragma once
// A minimal PC side for testing the simulator: opens the terminal end raw and speaks AT lines and
// frames with its own CRC and framing code, written apart from the simulator's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;

std::uint16_t reference_crc(const std::uint8_t* data, std::size_t size);
bytes handle_request(std::uint16_t code, std::uint32_t word, const bytes& data = {});
bytes path_request(std::uint16_t code, const std::string& path);
bytes with_path(const std::string& path); // the path's bytes and a zero byte
bytes u32_bytes(std::uint32_t value);

struct Reply {
    bool received = false;
    bytes skipped; // bytes before the start byte
    bytes frame;   // start byte to end byte
    bool crc_ok = false;

    std::uint16_t length() const;
    std::uint32_t u32(std::size_t offset) const;
    std::uint16_t u16(std::size_t offset) const;
    std::string text(std::size_t offset) const; // zero-terminated text at offset
    bool is_ack() const;
};

class LineClient {
public:
    explicit LineClient(const std::string& path);
    ~LineClient();
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool ok() const { return fd_ >= 0; }
    void close();
    bool send(const bytes& data);
    bool send(const std::string& text);
    // Whatever arrives until the line has been quiet for `quiet_ms`.
    bytes drain(int quiet_ms);
    // The bytes of each read() until the line is quiet for `quiet_ms` (to see how output was
    // spread).
    std::vector<bytes> drain_reads(int quiet_ms);
    // The next `count` bytes, each within timeout_ms (fewer when the line falls quiet).
    bytes read_count(std::size_t count, int timeout_ms = 3000);
    // Sends "line\r" and collects the answer up to its result line ("OK", "ERROR"); empty on
    // time-out.
    std::string at(const std::string& line, int timeout_ms = 3000);
    // Reads one frame: skips to the start byte, then takes the length and the rest of the frame.
    Reply read_frame(int timeout_ms = 3000);
    // Sends a request frame and reads the reply (skipping nothing), then acknowledges it.
    Reply exchange(const bytes& request, bool acknowledge = true);
    bool send_ack();

private:
    bool read_byte(std::uint8_t& byte, int timeout_ms);
    int fd_ = -1;
};
