// Frame buffer and the CRC of the phone's file-transfer protocol.

#include "link/samsung_packet.h"

#include <array>

namespace {

// Entry i is the CRC of the single byte i shifted into the high position (polynomial 0x8005,
// most significant bit first).
constexpr std::array<std::uint16_t, 256> make_crc_table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x8000) ? (c << 1) ^ 0x8005 : c << 1;
        table[i] = static_cast<std::uint16_t>(c);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> crc_table = make_crc_table();

} // namespace

std::uint16_t crc16_cms(const void* data, std::size_t count, std::uint16_t crc) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < count; ++i)
        crc = static_cast<std::uint16_t>(crc_table[(crc >> 8) ^ p[i]] ^ ((crc & 0xFF) << 8));
    return crc;
}

SamsungPacket::SamsungPacket() : data_(new std::uint8_t[capacity]()) {
    reset();
}

SamsungPacket::~SamsungPacket() {
    delete[] data_;
}

void SamsungPacket::reset() {
    data_[0] = start_byte;
    put_u16le(data_ + 1, 0);
    data_[3] = type_byte;
    frame_length_ = 0;
}

std::uint32_t SamsungPacket::lengthField() const {
    return get_u16le(data_ + 1);
}

void SamsungPacket::setLengthField(std::uint32_t length) {
    put_u16le(data_ + 1, length);
}

bool SamsungPacket::isAck() const {
    return frame_length_ > header_size && lengthField() == 1 && data_[header_size] == 1;
}

std::uint32_t SamsungPacket::payloadEnd() const {
    std::uint32_t length = lengthField();
    return length < 2 ? header_size : length + 2;
}

bool SamsungPacket::crcMatches() const {
    std::uint32_t length = lengthField();
    if (length <= 2)
        return true;
    if (length > max_length)
        return false;
    std::uint16_t stored = static_cast<std::uint16_t>(data_[length + 2] << 8 | data_[length + 3]);
    return crc16_cms(data_ + header_size, length - 2) == stored;
}

bool SamsungPacket::holds(std::uint32_t offset, std::uint32_t count) const {
    if (frame_length_ == 0 || offset < header_size)
        return false;
    std::uint32_t end = payloadEnd();
    return end <= capacity && offset <= end && count <= end - offset;
}

bool SamsungPacket::u32At(std::uint32_t offset, std::uint32_t& out) const {
    if (!holds(offset, 4))
        return false;
    out = get_u32le(data_ + offset);
    return true;
}
