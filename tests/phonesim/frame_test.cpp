// The simulator's framing against the protocol's examples and the test client's own CRC.

#include <gtest/gtest.h>

#include "tests/phonesim/line_client.h"
#include "tools/phonesim/frame.h"

using phonesim::FrameReader;

namespace {

FrameReader::State feed_all(FrameReader& reader, const bytes& frame) {
    reader.begin();
    FrameReader::State state = FrameReader::State::collecting;
    for (std::size_t i = 1; i < frame.size() && state == FrameReader::State::collecting; ++i)
        state = reader.feed(frame[i]);
    return state;
}

} // namespace

TEST(Crc16Cms, MatchesTheCatalogueAndTheBitwiseForm) {
    const std::string check = "123456789";
    const auto* data = reinterpret_cast<const std::uint8_t*>(check.data());
    EXPECT_EQ(phonesim::crc16_cms(data, check.size()), 0xAEE7);
    bytes all(512);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i * 31 + 7);
    for (std::size_t size : {0u, 1u, 2u, 255u, 512u})
        EXPECT_EQ(phonesim::crc16_cms(all.data(), size), reference_crc(all.data(), size)) << size;
}

TEST(Frames, BuiltLikeTheProtocolExamples) {
    // Delete "/a": payload 05 00 03 00 2F 61 00, CRC 0x1991 high byte first.
    EXPECT_EQ(phonesim::build_frame({0x05, 0x00, 0x03, 0x00, 0x2F, 0x61, 0x00}),
              (bytes{0x7F, 0x09, 0x00, 0x42, 0x05, 0x00, 0x03, 0x00, 0x2F, 0x61, 0x00, 0x19, 0x91,
                     0x7E}));
    // Close file handle 1.
    EXPECT_EQ(phonesim::build_frame({0x01, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00}),
              (bytes{0x7F, 0x0A, 0x00, 0x42, 0x01, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x66,
                     0xD3, 0x7E}));
    EXPECT_EQ(phonesim::ack_frame(), (bytes{0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E}));
    // The test client's frames are the same bytes.
    EXPECT_EQ(path_request(5, "/a"),
              phonesim::build_frame({0x05, 0x00, 0x03, 0x00, 0x2F, 0x61, 0x00}));
}

TEST(Frames, ReaderTellsRequestsAcknowledgementsAndBrokenFrames) {
    FrameReader reader;
    const bytes request = handle_request(2, 7, u32_bytes(620));
    ASSERT_EQ(feed_all(reader, request), FrameReader::State::frame);
    EXPECT_EQ(reader.bytes(), request);
    EXPECT_EQ(reader.payload(), bytes(request.begin() + 4, request.end() - 3));

    EXPECT_EQ(feed_all(reader, phonesim::ack_frame()), FrameReader::State::ack);
    EXPECT_EQ(feed_all(reader, bytes{0x7F, 0x01, 0x00, 0x42, 0x02, 0x7E}), FrameReader::State::bad);

    bytes wrong_type = request;
    wrong_type[3] = 0x43;
    EXPECT_EQ(feed_all(reader, wrong_type), FrameReader::State::bad);
    EXPECT_EQ(reader.bytes().size(), 4u); // given up at the type byte, not after L bytes

    // A length that cannot fit a 16,384-byte frame buffer is refused at once.
    reader.begin();
    reader.feed(0xFC);
    EXPECT_EQ(reader.feed(0x3F), FrameReader::State::bad); // 16,380
    reader.begin();
    reader.feed(0x00);
    EXPECT_EQ(reader.feed(0x00), FrameReader::State::bad); // 0

    bytes short_payload = phonesim::build_frame({0x05, 0x00});
    EXPECT_EQ(feed_all(reader, short_payload), FrameReader::State::bad);
}
