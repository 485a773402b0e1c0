// The file-transfer requests through the pseudo-terminal, with the reply layouts checked at their
// offsets from the start of the reply frame.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "tests/phonesim/phone_fixture.h"

namespace {

enum : std::uint16_t {
    open_read = 0,
    close_file = 1,
    read_chunk = 2,
    write_chunk = 3,
    open_write = 4,
    delete_file = 5,
    open_dir = 8,
    close_dir = 9,
    read_entry = 10,
    make_dir = 11,
};

// Start byte, type byte, end byte, CRC, the command code echoed and a body length that fits L.
void expect_well_formed(const Reply& reply, std::uint16_t code) {
    ASSERT_TRUE(reply.received);
    ASSERT_EQ(reply.frame.size(), reply.length() + 5u);
    EXPECT_EQ(reply.frame[0], 0x7F);
    EXPECT_EQ(reply.frame[3], 0x42);
    EXPECT_EQ(reply.frame.back(), 0x7E);
    EXPECT_TRUE(reply.crc_ok);
    EXPECT_EQ(reply.u16(4), code);
    EXPECT_EQ(reply.u16(6), reply.length() - 6u);
}

struct Entry {
    std::string name;
    std::uint32_t size;
    std::uint32_t attributes;
    std::uint32_t stamp;
    std::uint32_t extra;
};

} // namespace

class FileRequestTest : public PhoneTest {
protected:
    void SetUp() override { start(); }

    std::uint32_t open(std::uint16_t code, std::uint32_t mode, const std::string& path) {
        const Reply reply = line->exchange(handle_request(code, mode, with_path(path)));
        expect_well_formed(reply, code);
        return reply.u32(8);
    }

    bytes read_all(std::uint32_t handle) {
        bytes data;
        for (int guard = 0; guard < 10000; ++guard) {
            const Reply reply = line->exchange(handle_request(read_chunk, handle, u32_bytes(620)));
            expect_well_formed(reply, read_chunk);
            const std::uint32_t count = reply.u32(12);
            EXPECT_EQ(reply.u16(6), 8u + count);
            if (reply.u32(8) == 0) {
                EXPECT_EQ(count, 0u); // the end carries no data
                break;
            }
            EXPECT_GE(count, 1u);
            EXPECT_LE(count, 620u);
            data.insert(data.end(), reply.frame.begin() + 16, reply.frame.begin() + 16 + count);
        }
        return data;
    }

    std::uint32_t status(const bytes& request, std::uint16_t code) {
        const Reply reply = line->exchange(request);
        expect_well_formed(reply, code);
        return reply.u32(8);
    }

    std::vector<Entry> list(const std::string& path) {
        std::vector<Entry> entries;
        const Reply opened = line->exchange(path_request(open_dir, path));
        expect_well_formed(opened, open_dir);
        const std::uint32_t handle = opened.u32(8);
        if (handle == all_bits)
            return entries;
        for (int guard = 0; guard < 5000; ++guard) {
            const Reply reply = line->exchange(handle_request(read_entry, handle));
            expect_well_formed(reply, read_entry);
            EXPECT_GE(reply.length(), 336u - 4u); // the extra value at 332 is inside the frame
            if (reply.u32(8) == 0)
                break;
            entries.push_back(
                {reply.text(48), reply.u32(16), reply.u32(20), reply.u32(24), reply.u32(332)});
        }
        EXPECT_EQ(status(handle_request(close_dir, handle), close_dir), 0u);
        return entries;
    }
};

TEST_F(FileRequestTest, FileIsReadInChunksAndClosed) {
    const bytes expected = host_file("/My Files/Sounds/ring tone.wav");
    ASSERT_GT(expected.size(), 3 * 620u);
    const std::uint32_t handle = open(open_read, 2, "/My Files/Sounds/ring tone.wav");
    ASSERT_NE(handle, all_bits);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(phone.counters().open_handles, 1u);
    EXPECT_EQ(read_all(handle), expected);
    EXPECT_EQ(status(handle_request(close_file, handle), close_file), 0u);
    EXPECT_EQ(phone.counters().open_handles, 0u);
    // A closed handle is gone: reading it reports the end, closing it again fails.
    const Reply late = line->exchange(handle_request(read_chunk, handle, u32_bytes(620)));
    expect_well_formed(late, read_chunk);
    EXPECT_EQ(late.u32(8), 0u);
    EXPECT_EQ(status(handle_request(close_file, handle), close_file), all_bits);
}

TEST_F(FileRequestTest, ReadChunkNeverExceedsTheCountAsked) {
    const std::uint32_t handle = open(open_read, 2, "/Registry/ProtoAccount.ini");
    const Reply reply = line->exchange(handle_request(read_chunk, handle, u32_bytes(7)));
    expect_well_formed(reply, read_chunk);
    EXPECT_EQ(reply.u32(8), 1u);
    ASSERT_EQ(reply.u32(12), 7u);
    const bytes file = host_file("/Registry/ProtoAccount.ini");
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 7, reply.frame.begin() + 16));
}

TEST_F(FileRequestTest, WrittenFileArrivesWholeAndReplacesTheOldContent) {
    bytes data(1500);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] =
            static_cast<std::uint8_t>(i * 7 + (i >> 8)); // every byte value, 0x7F and 0x7E too
    for (int round = 0; round < 2; ++round) {
        const std::uint32_t handle = open(open_write, 5, "/My Files/upload.bin");
        ASSERT_NE(handle, all_bits);
        const std::size_t total = round == 0 ? data.size() : 621;
        for (std::size_t at = 0; at < total; at += 620) {
            const std::size_t count = std::min<std::size_t>(620, total - at);
            bytes body = u32_bytes(static_cast<std::uint32_t>(count));
            body.insert(body.end(), data.begin() + at, data.begin() + at + count);
            const Reply reply = line->exchange(handle_request(write_chunk, handle, body));
            expect_well_formed(reply, write_chunk);
            EXPECT_EQ(reply.u32(8), 0u);
            EXPECT_EQ(reply.u32(12), count);
        }
        EXPECT_EQ(status(handle_request(close_file, handle), close_file), 0u);
        EXPECT_EQ(host_file("/My Files/upload.bin"), bytes(data.begin(), data.begin() + total));
    }
}

TEST_F(FileRequestTest, WriteChunkWithACountBeyondItsDataFails) {
    const std::uint32_t handle = open(open_write, 5, "/My Files/short.bin");
    bytes body = u32_bytes(10);
    body.insert(body.end(), {1, 2, 3});
    const Reply reply = line->exchange(handle_request(write_chunk, handle, body));
    expect_well_formed(reply, write_chunk);
    EXPECT_EQ(reply.u32(8), all_bits);
    EXPECT_EQ(status(handle_request(close_file, handle), close_file), 0u);
    EXPECT_TRUE(host_file("/My Files/short.bin").empty());
}

TEST_F(FileRequestTest, OpenModeMustMatchTheRequest) {
    EXPECT_EQ(open(open_read, 5, "/Registry/ProtoAccount.ini"), all_bits);
    EXPECT_EQ(open(open_write, 2, "/Registry/ProtoAccount.ini"), all_bits);
    EXPECT_FALSE(host_file("/Registry/ProtoAccount.ini").empty()); // not emptied by the refusal
    EXPECT_EQ(phone.counters().open_handles, 0u);
}

TEST_F(FileRequestTest, OpensOfWhatCannotBeOpenedAreRefused) {
    EXPECT_EQ(open(open_read, 2, "/Registry/missing.ini"), all_bits);
    EXPECT_EQ(open(open_read, 2, "/Registry"), all_bits);
    EXPECT_EQ(open(open_read, 2, "/"), all_bits);
    EXPECT_EQ(open(open_write, 5, "/No Such Folder/x.txt"), all_bits);
    EXPECT_EQ(open(open_write, 5, "/Registry"), all_bits);
    EXPECT_EQ(open(open_write, 5, "/Registry/ProtoAccount.ini/x"), all_bits);
    EXPECT_FALSE(std::filesystem::exists(folder.file("/No Such Folder")));
    EXPECT_EQ(phone.counters().open_handles, 0u);
}

TEST_F(FileRequestTest, PathsAreFoundWhateverTheirCaseAndSeparators) {
    const bytes expected = host_file("/Registry/ProtoAccount.ini");
    for (const char* path : {"/registry/protoaccount.INI", "\\Registry\\ProtoAccount.ini",
                             "//Registry//ProtoAccount.ini"}) {
        const std::uint32_t handle = open(open_read, 2, path);
        ASSERT_NE(handle, all_bits) << path;
        EXPECT_EQ(read_all(handle), expected) << path;
        EXPECT_EQ(status(handle_request(close_file, handle), close_file), 0u);
    }
    // Writing by another case replaces the existing file instead of adding a second one.
    const std::uint32_t handle = open(open_write, 5, "/REGISTRY/protoaccount.ini");
    ASSERT_NE(handle, all_bits);
    EXPECT_EQ(status(handle_request(close_file, handle), close_file), 0u);
    EXPECT_TRUE(host_file("/Registry/ProtoAccount.ini").empty());
    EXPECT_FALSE(std::filesystem::exists(folder.file("/Registry/protoaccount.ini")));
}

TEST_F(FileRequestTest, DeleteRemovesFilesOnly) {
    EXPECT_EQ(status(path_request(delete_file, "/User/Mass/Java/Games/Snake/appdb/settings.bin"),
                     delete_file),
              0u);
    EXPECT_FALSE(
        std::filesystem::exists(folder.file("/User/Mass/Java/Games/Snake/appdb/settings.bin")));
    EXPECT_EQ(status(path_request(delete_file, "/User/Mass/Java/Games/Snake/appdb/settings.bin"),
                     delete_file),
              all_bits);
    EXPECT_EQ(status(path_request(delete_file, "/User/Mass/Java/Games/Snake/appdb"), delete_file),
              all_bits);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("/User/Mass/Java/Games/Snake/appdb")));
    EXPECT_EQ(status(path_request(delete_file, "/"), delete_file), all_bits);
}

TEST_F(FileRequestTest, MakeDirCreatesOneFolder) {
    EXPECT_EQ(status(path_request(make_dir, "/User/Mass/Java/Games/Tetris/"), make_dir), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("/User/Mass/Java/Games/Tetris")));
    EXPECT_EQ(status(path_request(make_dir, "/User/Mass/Java/Games/Tetris"), make_dir), all_bits);
    EXPECT_EQ(status(path_request(make_dir, "/Nowhere/Deeper"), make_dir), all_bits);
    EXPECT_FALSE(std::filesystem::exists(folder.file("/Nowhere")));
    EXPECT_EQ(status(path_request(make_dir, "/Registry/ProtoAccount.ini"), make_dir), all_bits);
}

TEST_F(FileRequestTest, ListingStartsWithDotEntriesThenNamesWithSizesAndAttributes) {
    const std::vector<Entry> entries = list("/My Files/Pictures");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_TRUE(entries[0].attributes & 0x200);
    EXPECT_TRUE(entries[1].attributes & 0x200);
    std::set<std::string> names;
    for (std::size_t i = 2; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        names.insert(entry.name);
        EXPECT_FALSE(entry.attributes & 0x200) << entry.name;
        EXPECT_EQ(entry.size,
                  std::filesystem::file_size(folder.file("/My Files/Pictures/" + entry.name)));
        EXPECT_NE(entry.stamp, 0u);
        EXPECT_EQ(entry.extra, entry.stamp);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Photo 001.png", "logo.bmp", "sunset.png"}));
}

TEST_F(FileRequestTest, ListingMarksFoldersWithBitNine) {
    const std::vector<Entry> entries = list("/User/Mass/Java/Games/");
    std::map<std::string, bool> is_dir;
    for (const Entry& entry : entries)
        is_dir[entry.name] = (entry.attributes & 0x200) != 0;
    EXPECT_TRUE(is_dir.at("Snake"));
    EXPECT_TRUE(is_dir.at("Zeta Racer"));
    EXPECT_TRUE(is_dir.at("asteroids"));
    EXPECT_TRUE(is_dir.at(".cache"));
    EXPECT_FALSE(is_dir.at("readme.txt"));
    EXPECT_EQ(is_dir.size(), entries.size()); // no name twice
}

TEST_F(FileRequestTest, EmptyFolderListsOnlyItsDotEntries) {
    std::filesystem::create_directory(folder.file("/Empty"));
    const std::vector<Entry> entries = list("/Empty");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_EQ(phone.counters().open_handles, 0u);
}

TEST_F(FileRequestTest, OpenDirectoryOfWhatIsNoFolderIsRefused) {
    EXPECT_EQ(status(path_request(open_dir, "/No Such Folder"), open_dir), all_bits);
    EXPECT_EQ(status(path_request(open_dir, "/Registry/ProtoAccount.ini"), open_dir), all_bits);
    EXPECT_EQ(phone.counters().open_handles, 0u);
}

TEST_F(FileRequestTest, FileAndDirectoryHandlesAreNotInterchangeable) {
    const std::uint32_t dir = status(path_request(open_dir, "/Registry"), open_dir);
    ASSERT_NE(dir, all_bits);
    const Reply chunk = line->exchange(handle_request(read_chunk, dir, u32_bytes(620)));
    expect_well_formed(chunk, read_chunk);
    EXPECT_EQ(chunk.u32(8), 0u);
    EXPECT_EQ(status(handle_request(close_file, dir), close_file), all_bits);
    const std::uint32_t file = open(open_read, 2, "/Registry/ProtoAccount.ini");
    const Reply entry = line->exchange(handle_request(read_entry, file));
    expect_well_formed(entry, read_entry);
    EXPECT_EQ(entry.u32(8), 0u);
    EXPECT_EQ(status(handle_request(close_dir, file), close_dir), all_bits);
    EXPECT_EQ(phone.counters().open_handles, 2u);
}

TEST_F(FileRequestTest, UnknownCommandIsAnsweredWithFailure) {
    EXPECT_EQ(status(handle_request(7, 1), 7), all_bits);
    EXPECT_EQ(status(path_request(12, "/Registry"), 12), all_bits);
}

TEST_F(FileRequestTest, AcknowledgementsAreTakenSilently) {
    ASSERT_TRUE(line->send_ack());
    ASSERT_TRUE(line->send_ack());
    EXPECT_TRUE(line->drain(200).empty());
    const phonesim::Counters counters = phone.counters();
    EXPECT_EQ(counters.acks, 2u);
    EXPECT_EQ(counters.requests, 0u);
}

TEST_F(FileRequestTest, BrokenRequestFramesAreDroppedAndTheNextOneIsServed) {
    bytes bad_crc = path_request(open_dir, "/Registry");
    bad_crc[bad_crc.size() - 2] ^= 0x01;
    bytes bad_end = path_request(open_dir, "/Registry");
    bad_end.back() = 0x00;
    bytes bad_body_length = path_request(open_dir, "/Registry");
    bad_body_length[6] += 1; // CRC recomputed below so only the body length is wrong
    const std::uint16_t crc = reference_crc(&bad_body_length[4], bad_body_length.size() - 7);
    bad_body_length[bad_body_length.size() - 3] = static_cast<std::uint8_t>(crc >> 8);
    bad_body_length[bad_body_length.size() - 2] = static_cast<std::uint8_t>(crc);
    for (const bytes& frame : {bad_crc, bad_end, bad_body_length}) {
        ASSERT_TRUE(line->send(frame));
        EXPECT_TRUE(line->drain(200).empty());
    }
    EXPECT_EQ(phone.counters().bad_frames, 3u);
    const std::uint32_t handle = status(path_request(open_dir, "/Registry"), open_dir);
    EXPECT_NE(handle, all_bits);
    EXPECT_EQ(phone.counters().frames, 1u);
}

TEST_F(FileRequestTest, FrameThatStopsArrivingIsDroppedAfterASecond) {
    const bytes frame = path_request(open_dir, "/Registry");
    ASSERT_TRUE(line->send(bytes(frame.begin(), frame.begin() + 6)));
    EXPECT_TRUE(line->drain(1500).empty());
    const std::uint32_t handle = status(frame, open_dir);
    EXPECT_NE(handle, all_bits);
}

TEST_F(FileRequestTest, RequestsAreCountedWithTheirCodes) {
    const std::vector<Entry> entries = list("/Registry");
    // Every reply was acknowledged; the last acknowledgement may still be on its way.
    EXPECT_TRUE(wait_for([](const phonesim::Counters& c) { return c.acks == c.frames; }));
    const phonesim::Counters counters = phone.counters();
    // Open, one read per entry and one for the end, close.
    ASSERT_EQ(counters.codes.size(), entries.size() + 3);
    EXPECT_EQ(counters.codes.front(), open_dir);
    EXPECT_EQ(counters.codes.back(), close_dir);
    EXPECT_EQ(counters.frames, counters.codes.size());
    EXPECT_EQ(counters.requests, counters.frames);
    EXPECT_EQ(counters.last_request, handle_request(close_dir, 1));
    EXPECT_EQ(counters.open_handles, 0u);
}
