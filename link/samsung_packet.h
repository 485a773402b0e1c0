#pragma once
// Frames of the phone's file-transfer protocol.
//
//   offset 0      start byte 0x7F
//   offset 1      u16 L (little-endian): payload length + 2
//   offset 3      type byte 0x42
//   offset 4      payload: u16 command, u16 body length n, n body bytes
//   offset L + 2  CRC-16/CMS of the payload, high byte first
//   offset L + 4  end byte 0x7E
//
// The acknowledgement frame is 7F 01 00 42 01 7E (L = 1, one content byte, no CRC).

#include <cstddef>
#include <cstdint>

// CRC-16/CMS: polynomial 0x8005, initial 0xFFFF, no reflection, no final XOR. Pass a previous
// result as `crc` to continue over more bytes.
std::uint16_t crc16_cms(const void* data, std::size_t count, std::uint16_t crc = 0xFFFF);

class SamsungPacket {
public:
    static constexpr std::uint32_t capacity = 16384;
    static constexpr std::uint32_t header_size = 4;
    // Frame bytes beyond L: start byte, length, type byte, end byte.
    static constexpr std::uint32_t frame_overhead = 5;
    // The largest L whose frame fits the packet.
    static constexpr std::uint32_t max_length = capacity - frame_overhead;

    static constexpr std::uint8_t start_byte = 0x7F;
    static constexpr std::uint8_t type_byte = 0x42;
    static constexpr std::uint8_t end_byte = 0x7E;

    // Allocates the 16,384-byte block and writes the empty header (7F 00 00 42).
    SamsungPacket();
    SamsungPacket(const SamsungPacket&) = delete;
    SamsungPacket& operator=(const SamsungPacket&) = delete;
    ~SamsungPacket();

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    // Bytes of the frame held (a sealed request or a received reply); 0 for the empty packet.
    std::uint32_t frameLength() const { return frame_length_; }
    void setFrameLength(std::uint32_t n) { frame_length_ = n; }
    // The length field L at offset 1.
    std::uint32_t lengthField() const;
    void setLengthField(std::uint32_t length);

    // The acknowledgement shape: L is 1 and the only payload byte is 1. The whole length is
    // compared, so a long reply whose length has a low byte of 1 (a close reply of 257 bytes,
    // say) is never skipped as an acknowledgement.
    bool isAck() const;
    // True when the frame's CRC bytes match its payload (frames with L <= 2 have no CRC: true).
    bool crcMatches() const;

    // Reply field access by offset from the frame start. A field counts only when it lies wholly
    // inside the payload of the frame held; otherwise the read fails and `out` is untouched.
    bool u32At(std::uint32_t offset, std::uint32_t& out) const;
    // Whether count bytes from offset lie inside the payload.
    bool holds(std::uint32_t offset, std::uint32_t count) const;
    // End of the payload (offset of the CRC): L + 2; the header size when L < 2.
    std::uint32_t payloadEnd() const;

    // Puts the empty header back (7F 00 00 42) and forgets the frame.
    void reset();

private:
    std::uint8_t* data_;
    std::uint32_t frame_length_ = 0;
};

// Little-endian helpers shared by the framing code and its tests.
inline void put_u16le(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put_u32le(std::uint8_t* p, std::uint32_t v) {
    put_u16le(p, v);
    put_u16le(p + 2, v >> 16);
}
inline std::uint32_t get_u16le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}
inline std::uint32_t get_u32le(const std::uint8_t* p) {
    return get_u16le(p) | get_u16le(p + 2) << 16;
}
