// Whose line it is on POSIX: a second program (or a second port object) is refused a line that is
// held, whatever its user, and a name that is no terminal device is refused without a byte
// written to it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/orvel_com.h"
#include "tests/link/serial_peer_posix.h"

namespace fs = std::filesystem;

namespace {

TEST(PortClaim, AHeldLineIsRefusedAsBusy) {
    serial_peer peer;
    ASSERT_TRUE(peer.ok());
    const str name = str::from_utf8(peer.path().c_str());
    OrvelCom first, second;
    ASSERT_TRUE(first.openPort(name));
    // As root the exclusive mode of the terminal lets anyone in; the lock does not.
    EXPECT_FALSE(second.openPort(name));
    EXPECT_EQ(second.lastFailure().error, link_error::port_busy);
    EXPECT_FALSE(second.isOpen());

    // Another program that holds the lock (without the port object) keeps us out too.
    first.closePort();
    const int other = ::open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(first.openPort(name));
    EXPECT_EQ(first.lastFailure().error, link_error::port_busy);
    ::close(other);

    // Once released, the line opens again.
    EXPECT_TRUE(second.openPort(name));
}

TEST(PortClaim, NamesThatAreNoTerminalAreRefusedUntouched) {
    const fs::path dir = fs::temp_directory_path() / ("orvel-claim-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path plain = dir / "plain.txt";
    std::ofstream(plain) << "contents";
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct named {
        fs::path path;
        link_error expected;
    };
    const named cases[] = {
        {plain, link_error::not_a_port},
        {fifo, link_error::not_a_port},
        {"/dev/null", link_error::not_a_port},
        {dir, link_error::open_failed},
        {dir / "missing", link_error::open_failed},
    };
    for (const named& c : cases) {
        OrvelCom port;
        EXPECT_FALSE(port.openPort(str::from_utf8(c.path.c_str()))) << c.path;
        EXPECT_EQ(port.lastFailure().error, c.expected) << c.path;
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_EQ(fs::file_size(plain), 8u) << "nothing was written to the file";
    fs::remove_all(dir);
}

} // namespace
