// What the jobs put on the line, counted by an in-process simulated phone.

#include <atomic>
#include <gtest/gtest.h>

#include "link/jobs.h"
#include "tests/link/phone_fixture.h"
#include "tools/phonesim/phonesim.h"

namespace {
class PhoneTraffic : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(phone_root.ok() && pc_root.ok());
        phonesim::Options options;
        options.root = phone_root.path().string();
        const std::string device = phone.start(options);
        ASSERT_FALSE(device.empty());
        ASSERT_TRUE(link.openPort(str::from_utf8(device.c_str())));
    }
    phone_folder phone_root{fs::path()};
    phone_folder pc_root{fs::path()};
    phonesim::Phone phone;
    SamsungComm link;
};
} // namespace

TEST_F(PhoneTraffic, WriteFileOfAMissingFileOrAFolderSendsNoFrame) {
    fs::create_directories(pc_root.file("/folder"));
    std::atomic<int> missing{-1}, folder{-1};
    link.addJob(new recorded<WriteFileCommand>(&missing, pc_str(pc_root.file("/none.bin")),
                                               str(u"/a.bin")));
    link.addJob(
        new recorded<WriteFileCommand>(&folder, pc_str(pc_root.file("/folder")), str(u"/b.bin")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(phone.counters().requests, 0u);

    // The same link then sends an existing file: the counter does count.
    write_bytes(pc_root.file("/one.bin"), "1");
    std::atomic<int> one{-1};
    link.addJob(
        new recorded<WriteFileCommand>(&one, pc_str(pc_root.file("/one.bin")), str(u"/one.bin")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(one, 1);
    EXPECT_GT(phone.counters().frames, 0u);
}

TEST_F(PhoneTraffic, ReadDirNeverAsksForDotsOrHostileEntries) {
    phonesim::Faults faults;
    faults.hostile = true;
    phone.set_faults(faults);
    write_bytes(phone_root.file("/Sounds/a.mp3"), "abc");
    std::atomic<int> ok{-1};
    link.addJob(new recorded<ReadDirCommand>(&ok, str(u"/Sounds"), pc_str(pc_root.file("/copy"))));
    ASSERT_TRUE(wait_for_jobs(link));
    // One listing (open, entries, close) and one file fetch: no second open-directory request,
    // which a walk into ".", ".." or "../x" would make.
    const phonesim::Counters c = phone.counters();
    unsigned opens_dir = 0, opens_file = 0;
    for (std::uint16_t code : c.codes) {
        opens_dir += code == SamsungProtocol::cmd_open_dir;
        opens_file += code == SamsungProtocol::cmd_open_read;
    }
    EXPECT_EQ(opens_dir, 1u);
    EXPECT_EQ(opens_file, 1u);
    EXPECT_EQ(read_bytes(pc_root.file("/copy/a.mp3")), "abc");
    EXPECT_EQ(ok, 0) << "entries were skipped";
}
