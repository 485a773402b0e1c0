#include "core/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string contents(const buf& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), static_cast<std::size_t>(b.size()));
}

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>((i * 131 + i / 251) & 0xFF);
    return v;
}

TEST(Buf, ClosedBufferRefusesReadsAndSeeks) {
    buf b;
    EXPECT_FALSE(b.is_open());
    char c = 0;
    std::uint32_t n = 99;
    EXPECT_FALSE(b.read(&c, 1, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(b.seek(0));
    EXPECT_FALSE(b.is_text_marked());
    EXPECT_FALSE(b.truncate());
}

TEST(Buf, WriteReadPositionAndSize) {
    buf b(16);
    ASSERT_TRUE(b.is_open());
    std::uint32_t n = 0;
    ASSERT_TRUE(b.write("hello world", 11, &n));
    EXPECT_EQ(n, 11u);
    EXPECT_EQ(b.size(), 11u);
    EXPECT_EQ(b.position(), 11u);
    EXPECT_EQ(b.remaining(), 0u);

    ASSERT_TRUE(b.seek(6));
    EXPECT_EQ(b.remaining(), 5u);
    char out[16] = {};
    ASSERT_TRUE(b.read(out, sizeof out, &n)); // asks for more than is left
    EXPECT_EQ(n, 5u);
    EXPECT_STREQ(out, "world");
    // At the end a read still answers true, with nothing moved.
    EXPECT_TRUE(b.read(out, 4, &n));
    EXPECT_EQ(n, 0u);

    // Overwriting inside keeps the size; writing past the end grows it.
    ASSERT_TRUE(b.seek(0));
    ASSERT_TRUE(b.write("J", 1));
    EXPECT_EQ(b.size(), 11u);
    ASSERT_TRUE(b.seek(11));
    ASSERT_TRUE(b.write("!", 1));
    EXPECT_EQ(contents(b), "Jello world!");
}

TEST(Buf, ZeroCountWriteIsRefused) {
    buf b(8);
    std::uint32_t n = 5;
    EXPECT_FALSE(b.write("x", 0, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(b.size(), 0u);
}

TEST(Buf, SeekBeyondTheSizeLandsAtTheSize) {
    buf b(8);
    ASSERT_TRUE(b.write("abc", 3));
    EXPECT_TRUE(b.seek(1000));
    EXPECT_EQ(b.position(), 3u);
    EXPECT_EQ(b.size(), 3u);
}

TEST(Buf, GrowingKeepsEveryByte) {
    buf b(1);
    const auto data = pattern(300000);
    // Uneven pieces cross many doublings of the allocation.
    std::size_t at = 0;
    for (std::uint32_t piece = 1; at < data.size(); piece = piece * 3 % 7919 + 1) {
        const std::uint32_t n =
            static_cast<std::uint32_t>(std::min<std::size_t>(piece, data.size() - at));
        ASSERT_TRUE(b.write(data.data() + at, n));
        at += n;
    }
    ASSERT_EQ(b.size(), data.size());
    EXPECT_EQ(std::memcmp(b.data(), data.data(), data.size()), 0);
}

TEST(Buf, ReserveEmptyCloseAndReopen) {
    buf b(4);
    ASSERT_TRUE(b.write("abcd", 4));
    ASSERT_TRUE(b.reserve(100000));
    EXPECT_EQ(contents(b), "abcd"); // contents survive the new block
    b.empty();
    EXPECT_EQ(b.size(), 0u);
    EXPECT_EQ(b.position(), 0u);
    EXPECT_TRUE(b.is_open());
    b.close();
    EXPECT_FALSE(b.is_open());
    EXPECT_EQ(b.size(), 0u);
    ASSERT_TRUE(b.open(u"again"));
    EXPECT_TRUE(b.is_open());
    EXPECT_EQ(b.name(), str(u"again"));
    ASSERT_TRUE(b.write("z", 1));
    EXPECT_EQ(contents(b), "z");
}

TEST(Buf, WritingToAClosedBufferAllocatesIt) {
    buf b;
    ASSERT_TRUE(b.write("abc", 3));
    EXPECT_TRUE(b.is_open());
    EXPECT_EQ(contents(b), "abc");
}

TEST(Buf, SlashesTurnsBackslashesOfTheName) {
    buf b;
    b.open(u"C:\\Temp\\x.bin");
    b.slashes();
    EXPECT_EQ(b.name(), str(u"C:/Temp/x.bin"));
}

TEST(Buf, CopyToFromTheStartInChunks) {
    const auto data = pattern(200001); // more than three 64 KiB chunks
    buf src(1024);
    ASSERT_TRUE(src.write(data.data(), static_cast<std::uint32_t>(data.size())));
    // The store copies everything, wherever its position stands.
    buf dest(16);
    ASSERT_TRUE(src.copy_to(dest));
    ASSERT_EQ(dest.size(), data.size());
    EXPECT_EQ(std::memcmp(dest.data(), data.data(), data.size()), 0);

    // The plain stream copy starts at the current position.
    ASSERT_TRUE(src.seek(200000));
    buf tail(16);
    ASSERT_TRUE(src.iobase::copy_to(tail));
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail.data()[0], data[200000]);
}

// A destination that takes only part of what it is given.
class short_writer : public buf {
public:
    bool write(const void* bytes, std::uint32_t count, std::uint32_t* done) override {
        return buf::write(bytes, count > 10 ? count - 10 : count, done);
    }
};

// A destination that refuses everything.
class refusing : public buf {
public:
    bool write(const void*, std::uint32_t, std::uint32_t* done) override {
        if (done)
            *done = 0;
        return false;
    }
};

TEST(Buf, CopyToFailsWhenTheDestinationFails) {
    buf src(64);
    ASSERT_TRUE(src.write("some bytes to copy", 18));
    refusing r;
    EXPECT_FALSE(src.copy_to(r));
    short_writer s;
    EXPECT_FALSE(src.copy_to(s)); // a short write loses data: not a success
    // An empty source copies nothing and succeeds.
    buf empty(8);
    buf dest(8);
    EXPECT_TRUE(empty.copy_to(dest));
    EXPECT_EQ(dest.size(), 0u);
}

TEST(Buf, StampIsTheConstructionTime) {
    buf b;
    timestamp now;
    now.set_now();
    // Taken moments apart; both forms are filled.
    EXPECT_LE(b.stamp().filetime, now.filetime);
    EXPECT_GT(b.stamp().filetime, now.filetime - 600ULL * 10000000ULL);
    EXPECT_GE(b.stamp().year, 2024);
    EXPECT_GE(b.stamp().month, 1);
    EXPECT_LE(b.stamp().month, 12);
}

} // namespace
