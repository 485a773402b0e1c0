#include "tools/phonesim/frame.h"

#include <array>

namespace phonesim {

namespace {

std::array<std::uint16_t, 256> make_table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
        table[i] = crc;
    }
    return table;
}

} // namespace

std::uint16_t crc16_cms(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint16_t, 256> table = make_table();
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i)
        crc = static_cast<std::uint16_t>(table[((crc >> 8) ^ data[i]) & 0xFF] ^ (crc << 8));
    return crc;
}

void put_u16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint16_t value) {
    if (out.size() < offset + 2)
        out.resize(offset + 2);
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put_u32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    if (out.size() < offset + 4)
        out.resize(offset + 4);
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t get_u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t get_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::vector<std::uint8_t> build_frame(const std::vector<std::uint8_t>& payload) {
    const std::size_t length = payload.size() + 2;
    std::vector<std::uint8_t> frame;
    frame.reserve(length + 5);
    frame.push_back(frame_start);
    frame.push_back(static_cast<std::uint8_t>(length));
    frame.push_back(static_cast<std::uint8_t>(length >> 8));
    frame.push_back(frame_type);
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t crc = crc16_cms(payload.data(), payload.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
    frame.push_back(frame_end);
    return frame;
}

std::vector<std::uint8_t> ack_frame() {
    return {0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E};
}

void FrameReader::begin() {
    bytes_.assign(1, frame_start);
    length_ = 0;
    state_ = State::collecting;
}

FrameReader::State FrameReader::feed(std::uint8_t byte) {
    if (state_ != State::collecting)
        return state_;
    bytes_.push_back(byte);
    const std::size_t have = bytes_.size();
    if (have == 3) {
        length_ = get_u16(&bytes_[1]);
        if (length_ == 0 || length_ > max_frame_length)
            state_ = State::bad;
    } else if (have == 4 && byte != frame_type) {
        state_ = State::bad;
    } else if (have == length_ + 5) {
        state_ = check();
    }
    return state_;
}

FrameReader::State FrameReader::check() const {
    if (bytes_.back() != frame_end)
        return State::bad;
    if (length_ == 1)
        return bytes_[4] == 0x01 ? State::ack : State::bad;
    // A request holds at least a command code and a body length.
    if (length_ < 6)
        return State::bad;
    const std::uint16_t crc = crc16_cms(&bytes_[4], length_ - 2);
    const std::uint16_t sent =
        static_cast<std::uint16_t>(bytes_[length_ + 2] << 8 | bytes_[length_ + 3]);
    if (crc != sent)
        return State::bad;
    // The body length must agree with the frame length.
    if (get_u16(&bytes_[6]) != length_ - 6)
        return State::bad;
    return State::frame;
}

std::vector<std::uint8_t> FrameReader::payload() const {
    if (state_ != State::frame)
        return {};
    return std::vector<std::uint8_t>(bytes_.begin() + 4, bytes_.begin() + 4 + (length_ - 2));
}

} // namespace phonesim
