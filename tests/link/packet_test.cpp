// Frame building, CRC and reply field access.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "link/samsung_protocol.h"
#include "tests/link/packet_util.h"

namespace {

bytes frame_bytes(const SamsungPacket& p) {
    return bytes(p.data(), p.data() + p.frameLength());
}

// Copies a whole frame into a packet as if it had been received.
void load(SamsungPacket& p, const bytes& frame) {
    std::memcpy(p.data(), frame.data(), frame.size());
    p.setFrameLength(static_cast<std::uint32_t>(frame.size()));
}

TEST(PacketCrc, KnownValuesAndAgreementWithBitwiseCrc) {
    EXPECT_EQ(crc16_cms("123456789", 9), 0xAEE7);
    EXPECT_EQ(crc16_cms("", 0), 0xFFFF);
    const std::uint8_t del[] = {0x05, 0x00, 0x03, 0x00, 0x2F, 0x61, 0x00};
    EXPECT_EQ(crc16_cms(del, sizeof del), 0x1991);
    // Continuing over a split gives the same as one pass.
    EXPECT_EQ(crc16_cms("6789", 4, crc16_cms("12345", 5)), 0xAEE7);

    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        bytes data(rng() % 700);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        ASSERT_EQ(crc16_cms(data.data(), data.size()), reference_crc(data.data(), data.size()));
    }
}

TEST(PacketBuild, RequestsAreByteExact) {
    SamsungPacket p;
    ASSERT_TRUE(SamsungProtocol::buildPathRequest(p, SamsungProtocol::cmd_delete, str(u"/a")));
    EXPECT_EQ(frame_bytes(p), (bytes{0x7F, 0x09, 0x00, 0x42, 0x05, 0x00, 0x03, 0x00, 0x2F, 0x61,
                                     0x00, 0x19, 0x91, 0x7E}));

    ASSERT_TRUE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_close_file, 1));
    EXPECT_EQ(frame_bytes(p), (bytes{0x7F, 0x0A, 0x00, 0x42, 0x01, 0x00, 0x04, 0x00, 0x01, 0x00,
                                     0x00, 0x00, 0x66, 0xD3, 0x7E}));

    // Handle form with data: read chunk of handle 7 asking for 620 bytes.
    const std::uint8_t want[] = {0x6C, 0x02, 0x00, 0x00};
    ASSERT_TRUE(
        SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_read_chunk, 7, want, 4));
    bytes payload = {0x02, 0x00, 0x08, 0x00, 0x07, 0x00, 0x00, 0x00, 0x6C, 0x02, 0x00, 0x00};
    EXPECT_EQ(frame_bytes(p), frame_of(payload));

    // Handle form with a path: open for reading in mode 2.
    ASSERT_TRUE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_open_read, 2,
                                                    str(u"/Other/x.jar")));
    payload = {0x00, 0x00, 17, 0x00, 0x02, 0x00, 0x00, 0x00};
    for (char c : std::string("/Other/x.jar"))
        payload.push_back(static_cast<std::uint8_t>(c));
    payload.push_back(0);
    EXPECT_EQ(frame_bytes(p), frame_of(payload));

    // A full write chunk is the largest request: L = 634, 639 bytes.
    std::uint8_t chunk[624] = {};
    ASSERT_TRUE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_write_chunk, 3, chunk,
                                                    sizeof chunk));
    EXPECT_EQ(p.lengthField(), 634u);
    EXPECT_EQ(p.frameLength(), 639u);
    EXPECT_EQ(p.data()[638], 0x7E);
}

TEST(PacketBuild, PathsAreSentAsLatin1AndRefusedWhenTheyCannotBe) {
    SamsungPacket p;
    // Every character up to U+00FF goes out as its byte.
    str latin(u"/\u00e9\u00ff");
    ASSERT_TRUE(SamsungProtocol::buildPathRequest(p, SamsungProtocol::cmd_make_dir, latin));
    EXPECT_EQ(frame_bytes(p), frame_of({0x0B, 0x00, 0x04, 0x00, '/', 0xE9, 0xFF, 0x00}));

    // A character without an 8-bit form cannot name a phone file.
    EXPECT_FALSE(
        SamsungProtocol::buildPathRequest(p, SamsungProtocol::cmd_delete, str(u"/a\u20ac")));
    EXPECT_EQ(p.frameLength(), 0u);
    EXPECT_FALSE(
        SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_open_read, 2, str(u"/\u4e2d")));
    EXPECT_EQ(p.frameLength(), 0u);
}

TEST(PacketBuild, RequestsThatWouldNotFitThePacketAreRefused) {
    SamsungPacket p;
    // Path form: data (characters + zero byte) + 11 bytes of frame = at most 16,384.
    str path(u"/");
    while (path.length() < 16372)
        path.append(u'a');
    ASSERT_TRUE(SamsungProtocol::buildPathRequest(p, SamsungProtocol::cmd_delete, path));
    EXPECT_EQ(p.frameLength(), SamsungPacket::capacity);
    EXPECT_EQ(p.data()[SamsungPacket::capacity - 1], 0x7E);
    path.append(u'a');
    EXPECT_FALSE(SamsungProtocol::buildPathRequest(p, SamsungProtocol::cmd_delete, path));
    EXPECT_EQ(p.frameLength(), 0u);

    // Handle form: four bytes more for the word.
    str open(u"/");
    while (open.length() < 16368)
        open.append(u'b');
    ASSERT_TRUE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_open_write, 5, open));
    EXPECT_EQ(p.frameLength(), SamsungPacket::capacity);
    open.append(u'b');
    EXPECT_FALSE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_open_write, 5, open));

    bytes huge(70000, 1);
    EXPECT_FALSE(SamsungProtocol::buildHandleRequest(p, SamsungProtocol::cmd_write_chunk, 1,
                                                     huge.data(), 70000));
}

TEST(PacketFields, ReadOnlyInsideTheReceivedPayload) {
    SamsungPacket p;
    std::uint32_t v = 99;
    EXPECT_FALSE(p.u32At(8, v)) << "an empty packet holds no fields";

    bytes payload = reply_payload(0, 16); // fields up to offset 16
    put_at(payload, 8, 0x11223344);
    put_at(payload, 12, 5);
    load(p, frame_of(payload));
    ASSERT_TRUE(p.u32At(8, v));
    EXPECT_EQ(v, 0x11223344u);
    ASSERT_TRUE(p.u32At(12, v));
    EXPECT_EQ(v, 5u);
    // Offset 16 is where the CRC lies: not a field.
    v = 7;
    EXPECT_FALSE(p.u32At(16, v));
    EXPECT_EQ(v, 7u);
    EXPECT_FALSE(p.u32At(14, v));
    EXPECT_TRUE(p.holds(12, 4));
    EXPECT_FALSE(p.holds(12, 5));
    EXPECT_FALSE(p.holds(0, 1)) << "the header is not payload";
    EXPECT_EQ(p.payloadEnd(), 16u);
    EXPECT_TRUE(p.crcMatches());
    EXPECT_FALSE(p.isAck());

    load(p, frame_of(payload, false));
    EXPECT_FALSE(p.crcMatches());

    load(p, {0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E});
    EXPECT_TRUE(p.isAck());
    EXPECT_TRUE(p.crcMatches()) << "an acknowledgement has no CRC to test";
    EXPECT_FALSE(p.u32At(4, v));

    // A reply of length 0x101 starting with command code 1 is a reply, not an acknowledgement.
    bytes long_reply = {0x7F, 0x01, 0x01, 0x42, 0x01};
    long_reply.resize(0x101 + 5, 0x00);
    load(p, long_reply);
    EXPECT_FALSE(p.isAck());

    p.reset();
    EXPECT_EQ(p.frameLength(), 0u);
    EXPECT_EQ(bytes(p.data(), p.data() + 4), (bytes{0x7F, 0x00, 0x00, 0x42}));
}

} // namespace
