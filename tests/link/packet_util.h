#pragma once
// Frame helpers for the link tests, written independently of the code under test: a bit-by-bit
// CRC-16/CMS, whole frames around payloads, and field access by frame offset.

#include <cstddef>
#include <cstdint>
#include <vector>

using bytes = std::vector<std::uint8_t>;

// Bit-by-bit CRC-16/CMS (polynomial 0x8005, initial 0xFFFF, no reflection, no final XOR).
inline std::uint16_t reference_crc(const std::uint8_t* data, std::size_t count) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    return crc;
}

// A whole frame around a payload (command code onwards); a wrong CRC when asked.
inline bytes frame_of(const bytes& payload, bool good_crc = true) {
    std::uint32_t length = static_cast<std::uint32_t>(payload.size()) + 2;
    bytes f = {0x7F, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
               0x42};
    f.insert(f.end(), payload.begin(), payload.end());
    std::uint16_t crc = reference_crc(payload.data(), payload.size());
    if (!good_crc)
        crc ^= 0x0101;
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc));
    f.push_back(0x7E);
    return f;
}

// A reply payload reaching frame offset `frame_end` (exclusive), zero-filled, with the command code
// and body length in place; fields are set with put_at.
inline bytes reply_payload(std::uint16_t code, std::uint32_t frame_end) {
    bytes p(frame_end - 4, 0);
    p[0] = static_cast<std::uint8_t>(code);
    p[1] = static_cast<std::uint8_t>(code >> 8);
    std::uint32_t body = frame_end - 8;
    p[2] = static_cast<std::uint8_t>(body);
    p[3] = static_cast<std::uint8_t>(body >> 8);
    return p;
}

// A little-endian u32 at a frame offset of a payload.
inline void put_at(bytes& payload, std::uint32_t frame_offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        payload[frame_offset - 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A little-endian u32 at a frame offset of a whole frame (0 when the frame is shorter).
inline std::uint32_t u32_of(const bytes& frame, std::uint32_t o) {
    if (frame.size() < o + 4)
        return 0;
    return frame[o] | frame[o + 1] << 8 | frame[o + 2] << 16 |
           static_cast<std::uint32_t>(frame[o + 3]) << 24;
}

// The command code of a request frame.
inline std::uint16_t code_of(const bytes& frame) {
    return frame.size() < 6 ? 0xFFFF : static_cast<std::uint16_t>(frame[4] | frame[5] << 8);
}
