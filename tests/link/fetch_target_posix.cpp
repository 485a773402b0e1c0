// The PC end of a fetch on POSIX: what may be replaced (a regular file, through a link as cp
// does) and what never is (devices, pipes, folders, links to them); the replaced file's
// permission bits; long target names; the phone's handle closed after a failed transfer.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "tests/link/phone_fixture.h"
#include "tools/phonesim/phonesim.h"

namespace {

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

TEST_F(PhoneTest, OnlyRegularFilesAreReplacedByAFetch) {
    write_bytes(phone_root.file("/a.bin"), pattern(900, 3));
    connectPhone();
    const fs::path dir = pc_root.path();
    write_bytes(dir / "real.bin", "old");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directories(dir / "folder");
    fs::create_symlink(dir / "real.bin", dir / "to-real");
    fs::create_symlink(dir / "pipe", dir / "to-pipe");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    // A device node of our own (the null device's numbers); only root may make one.
    const bool have_device = ::mknod((dir / "device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    struct target_case {
        const char* name;
        bool fetched;
        mode_t kind_after; // what the name is afterwards
    };
    const target_case cases[] = {
        {"to-real", true, S_IFLNK}, // written through: the link stays, its file changes
        {"pipe", false, S_IFIFO},   {"to-pipe", false, S_IFLNK}, {"dangling", false, S_IFLNK},
        {"folder", false, S_IFDIR}, {"device", false, S_IFCHR},
    };
    for (const target_case& c : cases) {
        if (std::string(c.name) == "device" && !have_device)
            continue;
        SCOPED_TRACE(c.name);
        const bool fetched = link.protocol().getFile(str(u"/a.bin"), pc_str(dir / c.name));
        EXPECT_EQ(fetched, c.fetched);
        if (!fetched) {
            EXPECT_EQ(link.protocol().lastFailure().error, link_error::pc_file);
            EXPECT_NE(link.protocol().lastFailure().detail.to_utf8().find(c.name),
                      std::string::npos);
        }
        EXPECT_EQ(mode_of(dir / c.name) & S_IFMT, c.kind_after);
    }
    EXPECT_EQ(read_bytes(dir / "real.bin"), pattern(900, 3));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".orvel-part"), std::string::npos);
}

TEST_F(PhoneTest, AReplacedFileKeepsItsPermissionBits) {
    write_bytes(phone_root.file("/a.bin"), pattern(700, 5));
    connectPhone();
    const mode_t modes[] = {0600, 0640, 0444, 0755};
    for (const mode_t mode : modes) {
        const fs::path target = pc_root.file("/kept.bin");
        write_bytes(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        ASSERT_TRUE(link.protocol().getFile(str(u"/a.bin"), pc_str(target))) << std::oct << mode;
        EXPECT_EQ(mode_of(target) & 07777, mode) << std::oct << mode;
        EXPECT_EQ(read_bytes(target), pattern(700, 5));
        fs::remove(target);
    }
}

TEST_F(PhoneTest, ALongTargetNameIsFetchedWithAShortTemporaryName) {
    write_bytes(phone_root.file("/a.bin"), pattern(700, 6));
    connectPhone();
    const std::string name = std::string(246, 'n') + ".bin"; // 250 bytes, near the limit of 255
    ASSERT_TRUE(link.protocol().getFile(str(u"/a.bin"), pc_str(pc_root.path() / name)));
    EXPECT_EQ(read_bytes(pc_root.path() / name), pattern(700, 6));
    EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{name});
}

TEST(FetchHandles, AFailedTransferClosesThePhonesHandle) {
    phone_folder root{fs::path()};
    phone_folder pc{fs::path()};
    ASSERT_TRUE(root.ok() && pc.ok());
    write_bytes(root.file("/a.bin"), pattern(3000));
    phonesim::Options options;
    options.root = root.path().string();
    options.faults.bigchunk = 2; // the second chunk carries more than was asked for
    phonesim::Phone phone;
    const std::string device = phone.start(options);
    ASSERT_FALSE(device.empty());
    OrvelCom port;
    SamsungProtocol protocol(&port);
    ASSERT_TRUE(port.openPort(str::from_utf8(device.c_str())));
    EXPECT_FALSE(protocol.getFile(str(u"/a.bin"), pc_str(pc.file("/a.bin"))));
    EXPECT_EQ(protocol.lastFailure().error, link_error::bad_frame);
    for (int i = 0; i < 500 && phone.counters().open_handles != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(phone.counters().open_handles, 0u);
    EXPECT_EQ(phone.counters().codes.back(), SamsungProtocol::cmd_close_file);
}

TEST_F(PhoneTest, AFetchRemovesOnlyTheLeftoversNobodyHolds) {
    write_bytes(phone_root.file("/a.bin"), "new");
    connectPhone();
    const fs::path dir = pc_root.path();
    // Left by killed copies an hour ago; one of them still held by a running copy.
    const char* const names[] = {".orvel-part-abc123", ".orvel-part-held00", ".orvel-part-toolong1",
                                 "orvel-part-abc123"};
    for (const char* name : names) {
        write_bytes(dir / name, "partial");
        const struct timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), old, 0), 0);
    }
    const int held = ::open((dir / ".orvel-part-held00").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(link.protocol().getFile(str(u"/a.bin"), pc_str(dir / "a.bin")));
    ::close(held);
    EXPECT_EQ(tree_of(dir), (std::vector<std::string>{".orvel-part-held00", ".orvel-part-toolong1",
                                                      "a.bin", "orvel-part-abc123"}));
}
