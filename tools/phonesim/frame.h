#pragma once
// Frames of the file-transfer protocol as the phone sees them:
// 7F, u16 length L (payload + 2), 42, payload, CRC-16/CMS of the payload (high byte first), 7E.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace phonesim {

constexpr std::uint8_t frame_start = 0x7F;
constexpr std::uint8_t frame_type = 0x42;
constexpr std::uint8_t frame_end = 0x7E;
// Largest length field accepted: a frame must fit a 16,384-byte buffer.
constexpr std::size_t max_frame_length = 16379;

std::uint16_t crc16_cms(const std::uint8_t* data, std::size_t size);

// A complete frame around `payload`.
std::vector<std::uint8_t> build_frame(const std::vector<std::uint8_t>& payload);
// The 6-byte acknowledgement frame 7F 01 00 42 01 7E.
std::vector<std::uint8_t> ack_frame();

// Little-endian helpers for payload layouts.
void put_u16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint16_t value);
void put_u32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value);
std::uint16_t get_u16(const std::uint8_t* p);
std::uint32_t get_u32(const std::uint8_t* p);

// Collects one frame byte by byte, after its start byte has been seen.
class FrameReader {
public:
    enum class State { collecting, frame, ack, bad };

    // Starts a new frame; the start byte itself is not passed in.
    void begin();
    // Takes the next byte; collecting until the frame is complete or found bad.
    State feed(std::uint8_t byte);
    State state() const { return state_; }
    // The whole frame received so far, start byte included.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Payload of a complete frame (command code onwards, CRC excluded).
    std::vector<std::uint8_t> payload() const;

private:
    State check() const;

    std::vector<std::uint8_t> bytes_;
    std::size_t length_ = 0;
    State state_ = State::bad;
};

} // namespace phonesim
