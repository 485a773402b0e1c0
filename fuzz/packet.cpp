// Fuzz target: the pure parts of the reply frame handling. The receive itself only runs on an
// open serial port, so the packet is fed directly: arbitrary frame bytes for the field access
// and CRC test (a field is read only when it lies wholly inside the payload; the CRC is checked
// against a bit-by-bit CRC-16/CMS), and requests sealed from arbitrary bodies, which must carry
// the frame layout, a matching CRC, and fail the CRC once any payload byte changes.
//
// Input: bytes 0-7 pick the parameters (odd byte 0: the frame length a receive sets for the
// length field; the command, word and position of the changed byte); all bytes also serve as
// frame bytes and the body (its first 2 KiB, which keeps runs quick). Body lengths at the limit
// are checked once at start-up.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/check.h"
#include "link/samsung_protocol.h"

namespace {

// The reference is not a fuzzing target: no coverage hooks in its bit loop, which keeps runs quick.
__attribute__((noinline, no_sanitize("coverage"))) std::uint16_t
bitwise_crc(const std::uint8_t* p, std::size_t n, std::uint16_t crc = 0xFFFF) {
    for (std::size_t i = 0; i < n; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ p[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x8005 : crc << 1);
    }
    return crc;
}

bool empty_header(const SamsungPacket& p) {
    const std::uint8_t* d = p.data();
    return p.frameLength() == 0 && d[0] == 0x7F && d[1] == 0 && d[2] == 0 && d[3] == 0x42;
}

// Arbitrary bytes as a received frame of the given frame length.
void check_fields(const std::uint8_t* data, std::size_t size, std::uint32_t frame_length) {
    SamsungPacket packet;
    std::memcpy(packet.data(), data,
                size < SamsungPacket::capacity ? size : SamsungPacket::capacity);
    packet.setFrameLength(frame_length);
    const std::uint8_t* d = packet.data();
    const std::uint32_t length = get_u16le(d + 1);
    FUZZ_CHECK(packet.lengthField() == length);
    const std::uint32_t end = length < 2 ? 4 : length + 2;
    FUZZ_CHECK(packet.payloadEnd() == end);
    FUZZ_CHECK(packet.isAck() == (frame_length > 4 && length == 1 && d[4] == 1));

    bool crc_ok = true;
    if (length > SamsungPacket::max_length)
        crc_ok = false;
    else if (length > 2)
        crc_ok = bitwise_crc(d + 4, length - 2) == (d[length + 2] << 8 | d[length + 3]);
    FUZZ_CHECK(packet.crcMatches() == crc_ok);

    // The offsets around the start and end of the payload, the end of the packet, and far out.
    const std::uint32_t bases[] = {0, end - 8, SamsungPacket::capacity - 8, 0xFFFFFFF0u};
    for (std::uint32_t base : bases) {
        for (std::uint32_t offset = base; offset - base < 16; ++offset) {
            const bool inside = frame_length != 0 && offset >= 4 &&
                                end <= SamsungPacket::capacity && offset <= end - 4;
            FUZZ_CHECK(packet.holds(offset, 4) == inside);
            std::uint32_t value = 0xA5A5A5A5u;
            FUZZ_CHECK(packet.u32At(offset, value) == inside);
            FUZZ_CHECK(value == (inside ? get_u32le(d + offset) : 0xA5A5A5A5u));
        }
    }
    FUZZ_CHECK(!packet.holds(4, 0xFFFFFFFFu));
    packet.reset();
    FUZZ_CHECK(empty_header(packet) && !packet.holds(4, 0));
}

// A sealed request: header, command, body length, body, CRC, end byte; any single changed byte
// of the payload or CRC is noticed.
void check_sealed(SamsungPacket& packet, std::uint16_t command, const std::uint8_t* body,
                  std::uint32_t body_length, std::uint32_t flip) {
    const std::uint8_t* d = packet.data();
    const std::uint32_t length = 4 + body_length + 2;
    FUZZ_CHECK(d[0] == 0x7F && d[3] == 0x42);
    FUZZ_CHECK(packet.lengthField() == length);
    FUZZ_CHECK(packet.frameLength() == length + 5 &&
               packet.frameLength() <= SamsungPacket::capacity);
    FUZZ_CHECK(get_u16le(d + 4) == command && get_u16le(d + 6) == body_length);
    FUZZ_CHECK(body_length == 0 || std::memcmp(d + 8, body, body_length) == 0);
    FUZZ_CHECK((d[length + 2] << 8 | d[length + 3]) == bitwise_crc(d + 4, length - 2));
    FUZZ_CHECK(d[length + 4] == 0x7E);
    FUZZ_CHECK(packet.crcMatches());
    // The acknowledgement test looks at the low byte of L only, so a request of L = 0x101 whose
    // command's low byte is 1 has its shape too.
    FUZZ_CHECK(packet.isAck() == (length == 1 && d[4] == 1));
    FUZZ_CHECK(packet.holds(8, body_length) && !packet.holds(8, body_length + 1));

    const std::uint32_t at = 4 + flip % length; // payload and both CRC bytes
    packet.data()[at] ^= static_cast<std::uint8_t>(1 + flip % 255);
    FUZZ_CHECK(!packet.crcMatches());
}

// Requests with a body of n bytes: the input repeated.
void check_requests(const std::uint8_t* data, std::size_t size, std::uint32_t n) {
    std::uint8_t head[8] = {};
    std::memcpy(head, data, size < sizeof head ? size : sizeof head);
    const auto command = static_cast<std::uint16_t>(head[2]);
    const std::uint32_t word = get_u32le(head + 3);
    const std::uint32_t flip = get_u16le(head + 6);
    std::vector<std::uint8_t> body(n + 4);
    for (std::uint32_t i = 0; i < n; ++i)
        body[i + 4] = size ? data[i % size] : 0;

    // Frame bytes: start, length, type, command, body length, [word,] body, CRC, end.
    SamsungPacket packet;
    const bool path_fits = n + 11 <= SamsungPacket::capacity;
    FUZZ_CHECK(SamsungProtocol::buildPathRequest(packet, command, body.data() + 4, n) == path_fits);
    if (path_fits)
        check_sealed(packet, command, body.data() + 4, n, flip);
    else
        FUZZ_CHECK(empty_header(packet));

    put_u32le(body.data(), word);
    const bool handle_fits = n + 15 <= SamsungPacket::capacity;
    FUZZ_CHECK(SamsungProtocol::buildHandleRequest(packet, command, word, body.data() + 4, n) ==
               handle_fits);
    if (handle_fits)
        check_sealed(packet, command, body.data(), n + 4, flip);
    else
        FUZZ_CHECK(empty_header(packet));

    // A path goes out as its 8-bit copy and a zero byte; a character above U+00FF refuses it.
    std::string bytes;
    for (std::uint32_t i = 0; i < n; ++i)
        if (body[i + 4] != 0)
            bytes.push_back(static_cast<char>(body[i + 4]));
    str path(bytes.c_str());
    const bool fits = bytes.size() + 1 + 11 <= SamsungPacket::capacity;
    FUZZ_CHECK(SamsungProtocol::buildPathRequest(packet, command, path) == fits);
    if (fits)
        check_sealed(packet, command, reinterpret_cast<const std::uint8_t*>(bytes.c_str()),
                     static_cast<std::uint32_t>(bytes.size()) + 1, flip);
    path.append(u'\x20AC');
    FUZZ_CHECK(!SamsungProtocol::buildHandleRequest(packet, command, word, path));
    FUZZ_CHECK(empty_header(packet));
}

void check_crc(const std::uint8_t* data, std::size_t size) {
    const std::uint16_t whole = crc16_cms(data, size);
    FUZZ_CHECK(whole == bitwise_crc(data, size));
    // Continuing from a previous result equals one pass over the whole.
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    FUZZ_CHECK(crc16_cms(data + cut, size - cut, crc16_cms(data, cut)) == whole);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reference CRC itself: the published check value of CRC-16/CMS.
    FUZZ_CHECK(bitwise_crc(reinterpret_cast<const std::uint8_t*>("123456789"), 9) == 0xAEE7);
    // Body lengths around the largest that fits a packet, once: they are slow to fuzz.
    const std::uint8_t pattern[] = {0x7F, 0x10, 0x00, 0x42, 0xFF, 0x00, 0x7E, 0x01};
    for (std::uint32_t n = SamsungPacket::capacity - 32; n <= SamsungPacket::capacity + 1; ++n)
        check_requests(pattern, sizeof pattern, n);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_crc(data, size);
    // The frame length as held: the one a receive sets for this length field, or the input's.
    const std::uint32_t length = size >= 3 ? get_u16le(data + 1) : 0;
    check_fields(data, size,
                 size > 0 && (data[0] & 1) ? length + 5 : static_cast<std::uint32_t>(size));
    check_requests(data, size, static_cast<std::uint32_t>(size < 2048 ? size : 2048));
    return 0;
}
