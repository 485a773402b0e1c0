// Each fault of the simulated phone, seen from the line.

#include <algorithm>
#include <thread>

#include "tests/phonesim/phone_fixture.h"

namespace {

const bytes open_registry = path_request(8, "/Registry");
const std::string cgmm_answer = "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n";

} // namespace

TEST_F(PhoneTest, NoiseGoesBeforeEveryReplyFrame) {
    phonesim::Faults faults;
    faults.noise = true;
    start_with(faults);
    for (int i = 0; i < 4; ++i) {
        const Reply reply = line->exchange(open_registry);
        ASSERT_TRUE(reply.received);
        EXPECT_TRUE(reply.crc_ok);
        EXPECT_FALSE(reply.skipped.empty());
        EXPECT_EQ(std::count(reply.skipped.begin(), reply.skipped.end(), 0x7F), 0);
        EXPECT_NE(reply.u32(8), all_bits);
    }
    // AT answers stay clean.
    EXPECT_EQ(line->at("AT+CGMM"), cgmm_answer);
}

TEST_F(PhoneTest, WrongCrcOnlyOnTheChosenReply) {
    phonesim::Faults faults;
    faults.badcrc = 2;
    start_with(faults);
    std::vector<bool> crc_ok;
    for (int i = 0; i < 3; ++i) {
        const Reply reply = line->exchange(open_registry);
        ASSERT_TRUE(reply.received);
        crc_ok.push_back(reply.crc_ok);
        EXPECT_NE(reply.u32(8), all_bits); // the content itself is right
    }
    EXPECT_EQ(crc_ok, (std::vector<bool>{true, false, true}));
}

TEST_F(PhoneTest, LostReplyIsNeverSent) {
    phonesim::Faults faults;
    faults.lost = 2;
    start_with(faults);
    EXPECT_TRUE(line->exchange(open_registry).received);
    ASSERT_TRUE(line->send(open_registry));
    EXPECT_TRUE(line->drain(300).empty());
    const Reply third = line->exchange(open_registry);
    ASSERT_TRUE(third.received);
    EXPECT_TRUE(third.crc_ok);
    const phonesim::Counters counters = phone.counters();
    EXPECT_EQ(counters.replies, 3u);
    EXPECT_EQ(counters.frames, 3u);
    EXPECT_EQ(counters.open_handles, 3u); // the request was carried out, only its reply is lost
}

TEST_F(PhoneTest, AcknowledgementComesBeforeEveryReply) {
    phonesim::Faults faults;
    faults.ack = true;
    start_with(faults);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(line->send(open_registry));
        const Reply ack = line->read_frame();
        EXPECT_TRUE(ack.is_ack());
        const Reply reply = line->read_frame();
        ASSERT_TRUE(reply.received);
        EXPECT_FALSE(reply.is_ack());
        EXPECT_TRUE(reply.crc_ok);
        EXPECT_NE(reply.u32(8), all_bits);
        line->send_ack();
    }
}

TEST_F(PhoneTest, SilenceFromTheChosenRequestOnCoversAtAndFrames) {
    phonesim::Faults faults;
    faults.silent = 3;
    start_with(faults);
    EXPECT_EQ(line->at("AT+CGMM"), cgmm_answer);
    EXPECT_TRUE(line->exchange(open_registry).received);
    ASSERT_TRUE(line->send(std::string("AT+CGMM\r")));
    EXPECT_TRUE(line->drain(300).empty()); // not even the echo
    ASSERT_TRUE(line->send(open_registry));
    EXPECT_TRUE(line->drain(300).empty());
    const phonesim::Counters counters = phone.counters();
    EXPECT_EQ(counters.requests, 4u);
    EXPECT_EQ(counters.replies, 1u);
}

TEST_F(PhoneTest, OversizeLengthFieldOnTheChosenReply) {
    phonesim::Faults faults;
    faults.oversize = 1;
    start_with(faults);
    ASSERT_TRUE(line->send(open_registry));
    const bytes first = line->drain(300);
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0], 0x7F);
    EXPECT_EQ(first[1], 0xFF);
    EXPECT_EQ(first[2], 0xFF);
    EXPECT_LT(first.size(), 0xFFFFu + 5); // far fewer bytes follow than the field claims
    const Reply second = line->exchange(open_registry);
    ASSERT_TRUE(second.received);
    EXPECT_EQ(second.length(), second.frame.size() - 5);
    EXPECT_TRUE(second.crc_ok);
}

TEST_F(PhoneTest, SlowPhoneSpreadsItsBytesOverTime) {
    phonesim::Faults faults;
    faults.slow_ms = 25;
    start_with(faults);
    ASSERT_TRUE(line->send(std::string("AT+CGMM\r")));
    const std::vector<bytes> reads = line->drain_reads(500);
    bytes all;
    for (const bytes& chunk : reads)
        all.insert(all.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(std::string(all.begin(), all.end()), cgmm_answer);
    // A gap after every byte: the answer cannot arrive in one piece.
    EXPECT_GT(reads.size(), cgmm_answer.size() / 2);
}

TEST_F(PhoneTest, BaudRatePacesTheOutput) {
    phonesim::Options options;
    options.baud = 1200; // about 8 ms per byte
    start(options);
    const Reply reply = [&] {
        EXPECT_TRUE(line->send(open_registry));
        return line->read_frame();
    }();
    ASSERT_TRUE(reply.received);
    EXPECT_TRUE(reply.crc_ok);
    ASSERT_TRUE(line->send(std::string("AT+CGMM\r")));
    const std::vector<bytes> reads = line->drain_reads(300);
    EXPECT_GT(reads.size(), 3u);
}

TEST_F(PhoneTest, StoppingCutsAPacedReplyShort) {
    phonesim::Faults faults;
    faults.slow_ms = 200;
    start_with(faults);
    ASSERT_TRUE(line->send(std::string("AT+CGMM\r")));
    const bytes first = line->drain(100); // quiet for less than one gap: the first bytes only
    ASSERT_FALSE(first.empty());
    phone.stop();
    const bytes rest = line->drain(300);
    EXPECT_LT(first.size() + rest.size(), cgmm_answer.size());
}

TEST_F(PhoneTest, BigFolderListsItsGeneratedFiles) {
    phonesim::Faults faults;
    faults.bigdir = 1500;
    start_with(faults);
    const std::uint32_t dir = line->exchange(path_request(8, "/big")).u32(8);
    ASSERT_NE(dir, all_bits);
    std::vector<std::string> names;
    for (;;) {
        const Reply entry = line->exchange(handle_request(10, dir));
        ASSERT_TRUE(entry.received);
        if (entry.u32(8) == 0)
            break;
        names.push_back(entry.text(48));
        if (names.size() > 2) {
            EXPECT_FALSE(entry.u32(20) & 0x200);
        }
    }
    ASSERT_EQ(names.size(), 1502u);
    EXPECT_EQ(names[2], "file00001.dat");
    EXPECT_EQ(names.back(), "file01500.dat");

    // The folder shows in the root listing and its files can be read, not written.
    const std::uint32_t root = line->exchange(path_request(8, "/")).u32(8);
    bool listed = false;
    for (;;) {
        const Reply entry = line->exchange(handle_request(10, root));
        if (!entry.received || entry.u32(8) == 0)
            break;
        listed = listed || (entry.text(48) == "big" && (entry.u32(20) & 0x200));
    }
    EXPECT_TRUE(listed);
    const std::uint32_t file =
        line->exchange(handle_request(0, 2, with_path("/big/file00007.dat"))).u32(8);
    ASSERT_NE(file, all_bits);
    const Reply chunk = line->exchange(handle_request(2, file, u32_bytes(620)));
    const std::string text(chunk.frame.begin() + 16, chunk.frame.begin() + 16 + chunk.u32(12));
    EXPECT_NE(text.find('7'), std::string::npos);
    EXPECT_EQ(line->exchange(handle_request(4, 5, with_path("/big/new.dat"))).u32(8), all_bits);
    EXPECT_EQ(line->exchange(path_request(11, "/big/sub")).u32(8), all_bits);
    EXPECT_EQ(line->exchange(path_request(5, "/big/file00007.dat")).u32(8), all_bits);
}

TEST_F(PhoneTest, HostileNamesJoinEveryListing) {
    phonesim::Faults faults;
    faults.hostile = true;
    start_with(faults);
    for (const char* path : {"/", "/Registry"}) {
        const std::uint32_t dir = line->exchange(path_request(8, path)).u32(8);
        ASSERT_NE(dir, all_bits);
        std::vector<std::string> names;
        for (;;) {
            const Reply entry = line->exchange(handle_request(10, dir));
            ASSERT_TRUE(entry.received);
            if (entry.u32(8) == 0)
                break;
            names.push_back(entry.text(48));
        }
        for (const std::string bad : {"../x", "a/b", "C:x", "back\\slash"})
            EXPECT_NE(std::find(names.begin(), names.end(), bad), names.end())
                << path << " " << bad;
        EXPECT_NE(std::find(names.begin(), names.end(), ""), names.end());
    }
    // Following such a name leads nowhere.
    EXPECT_EQ(line->exchange(path_request(8, "/Registry/../x")).u32(8), all_bits);
    EXPECT_EQ(line->exchange(handle_request(0, 2, with_path("/Registry/a/b"))).u32(8), all_bits);
}

TEST_F(PhoneTest, FaultsCanChangeWhileThePhoneRuns) {
    start();
    EXPECT_TRUE(line->exchange(open_registry).crc_ok);
    phonesim::Faults faults;
    faults.badcrc = 2; // counts from the start: the next reply is the second
    phone.set_faults(faults);
    EXPECT_FALSE(line->exchange(open_registry).crc_ok);
    phone.set_faults({});
    EXPECT_TRUE(line->exchange(open_registry).crc_ok);
}

TEST_F(PhoneTest, AnEchoingLineReturnsEveryByteBeforeTheAnswer) {
    phonesim::Faults faults;
    faults.echo = true;
    start_with(faults);
    ASSERT_TRUE(line->send(open_registry));
    const Reply echo = line->read_frame();
    ASSERT_TRUE(echo.received);
    EXPECT_EQ(echo.frame, open_registry);
    const Reply reply = line->read_frame();
    ASSERT_TRUE(reply.received);
    EXPECT_TRUE(reply.crc_ok);
    EXPECT_NE(reply.u32(8), all_bits);
}

TEST_F(PhoneTest, ABabblingPhoneAnswersNothingAndSendsTextWithoutEnd) {
    phonesim::Faults faults;
    faults.babble = 2;
    start_with(faults);
    EXPECT_EQ(line->at("AT+CGMM"), cgmm_answer);
    ASSERT_TRUE(line->send(open_registry));
    const bytes heard = line->read_count(200);
    ASSERT_EQ(heard.size(), 200u) << "it keeps talking";
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0x7F), 0) << "never a frame";
    const std::string text(heard.begin(), heard.end());
    EXPECT_NE(text.find("line noise"), std::string::npos);
    EXPECT_EQ(text.find("OK"), std::string::npos);
}

TEST_F(PhoneTest, EndlessFilesAndOversizeChunksAndLineBreaks) {
    phonesim::Faults faults;
    faults.endless = true;
    faults.bigchunk = 2;
    faults.linebreak = true;
    start_with(faults);
    const std::uint32_t file =
        line->exchange(handle_request(0, 2, with_path("/Registry/MainMenu_reg.ini"))).u32(8);
    ASSERT_NE(file, all_bits);
    // Chunk replies never report the end; the second holds 80 bytes more than asked for.
    std::vector<std::uint32_t> counts;
    for (int i = 0; i < 40; ++i) {
        const Reply chunk = line->exchange(handle_request(2, file, u32_bytes(620)));
        ASSERT_TRUE(chunk.received);
        EXPECT_EQ(chunk.u32(8), 1u) << i;
        counts.push_back(chunk.u32(12));
    }
    EXPECT_EQ(counts[1], 700u);
    EXPECT_EQ(counts.back(), 620u);

    const std::uint32_t dir = line->exchange(path_request(8, "/")).u32(8);
    bool found = false;
    for (int i = 0; i < 100; ++i) {
        const Reply entry = line->exchange(handle_request(10, dir));
        if (!entry.received || entry.u32(8) == 0)
            break;
        found = found || entry.text(48) == phonesim::linebreak_name;
    }
    EXPECT_TRUE(found);
}
