#include "tests/phonesim/line_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

std::uint16_t reference_crc(const std::uint8_t* data, std::size_t size) {
    // Bit by bit: polynomial 0x8005, start 0xFFFF, no reflection, no final XOR.
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    return crc;
}

namespace {

bytes seal(const bytes& payload) {
    const std::size_t length = payload.size() + 2;
    bytes frame{0x7F, static_cast<std::uint8_t>(length & 0xFF),
                static_cast<std::uint8_t>(length >> 8), 0x42};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t crc = reference_crc(payload.data(), payload.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(0x7E);
    return frame;
}

void append_u16(bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

bytes u32_bytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

bytes with_path(const std::string& path) {
    bytes data(path.begin(), path.end());
    data.push_back(0);
    return data;
}

bytes handle_request(std::uint16_t code, std::uint32_t word, const bytes& data) {
    bytes payload;
    append_u16(payload, code);
    append_u16(payload, static_cast<std::uint16_t>(data.size() + 4));
    const bytes w = u32_bytes(word);
    payload.insert(payload.end(), w.begin(), w.end());
    payload.insert(payload.end(), data.begin(), data.end());
    return seal(payload);
}

bytes path_request(std::uint16_t code, const std::string& path) {
    const bytes data = with_path(path);
    bytes payload;
    append_u16(payload, code);
    append_u16(payload, static_cast<std::uint16_t>(data.size()));
    payload.insert(payload.end(), data.begin(), data.end());
    return seal(payload);
}

std::uint16_t Reply::length() const {
    return frame.size() >= 3 ? u16(1) : 0;
}

std::uint16_t Reply::u16(std::size_t offset) const {
    if (frame.size() < offset + 2)
        return 0;
    return static_cast<std::uint16_t>(frame[offset] | frame[offset + 1] << 8);
}

std::uint32_t Reply::u32(std::size_t offset) const {
    if (frame.size() < offset + 4)
        return 0;
    return static_cast<std::uint32_t>(frame[offset]) |
           static_cast<std::uint32_t>(frame[offset + 1]) << 8 |
           static_cast<std::uint32_t>(frame[offset + 2]) << 16 |
           static_cast<std::uint32_t>(frame[offset + 3]) << 24;
}

std::string Reply::text(std::size_t offset) const {
    std::string out;
    for (std::size_t i = offset; i < frame.size() && frame[i] != 0; ++i)
        out += static_cast<char>(frame[i]);
    return out;
}

bool Reply::is_ack() const {
    return frame.size() == 6 && length() == 1 && frame[4] == 1;
}

LineClient::LineClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
}

LineClient::~LineClient() {
    close();
}

void LineClient::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LineClient::send(const bytes& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::write(fd_, data.data() + done, data.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool LineClient::send(const std::string& text) {
    return send(bytes(text.begin(), text.end()));
}

bool LineClient::read_byte(std::uint8_t& byte, int timeout_ms) {
    pollfd poller{fd_, POLLIN, 0};
    if (poll(&poller, 1, timeout_ms) <= 0)
        return false;
    return ::read(fd_, &byte, 1) == 1;
}

bytes LineClient::read_count(std::size_t count, int timeout_ms) {
    bytes out;
    std::uint8_t byte = 0;
    while (out.size() < count && read_byte(byte, timeout_ms))
        out.push_back(byte);
    return out;
}

std::vector<bytes> LineClient::drain_reads(int quiet_ms) {
    std::vector<bytes> reads;
    for (;;) {
        pollfd poller{fd_, POLLIN, 0};
        if (poll(&poller, 1, quiet_ms) <= 0)
            return reads;
        bytes chunk(4096);
        const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
        if (got <= 0)
            return reads;
        chunk.resize(static_cast<std::size_t>(got));
        reads.push_back(chunk);
    }
}

bytes LineClient::drain(int quiet_ms) {
    bytes all;
    for (const bytes& chunk : drain_reads(quiet_ms))
        all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
}

std::string LineClient::at(const std::string& line, int timeout_ms) {
    if (!send(line + "\r"))
        return {};
    std::string answer;
    std::string current;
    std::uint8_t byte = 0;
    while (read_byte(byte, timeout_ms)) {
        answer += static_cast<char>(byte);
        if (byte != '\n') {
            current += static_cast<char>(byte);
            continue;
        }
        if (current == "OK\r" || current == "ERROR\r")
            return answer;
        current.clear();
    }
    return {};
}

Reply LineClient::read_frame(int timeout_ms) {
    Reply reply;
    std::uint8_t byte = 0;
    for (;;) {
        if (!read_byte(byte, timeout_ms))
            return reply;
        if (byte == 0x7F)
            break;
        reply.skipped.push_back(byte);
    }
    reply.frame.push_back(byte);
    for (int i = 0; i < 3; ++i) {
        if (!read_byte(byte, timeout_ms))
            return reply;
        reply.frame.push_back(byte);
    }
    const std::size_t length = reply.length();
    for (std::size_t i = 0; i < length + 1; ++i) {
        if (!read_byte(byte, timeout_ms))
            return reply;
        reply.frame.push_back(byte);
    }
    reply.received = true;
    if (length > 2) {
        const std::uint16_t crc = reference_crc(&reply.frame[4], length - 2);
        reply.crc_ok =
            reply.frame[length + 2] == (crc >> 8) && reply.frame[length + 3] == (crc & 0xFF);
    }
    return reply;
}

bool LineClient::send_ack() {
    return send(bytes{0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E});
}

Reply LineClient::exchange(const bytes& request, bool acknowledge) {
    if (!send(request))
        return {};
    Reply reply = read_frame();
    if (acknowledge && reply.received)
        send_ack();
    return reply;
}
