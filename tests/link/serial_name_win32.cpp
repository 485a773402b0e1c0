// Windows port names: the device prefix rule, and opening a simulated phone's COM port by both
// forms of its name.

#include <gtest/gtest.h>

#include "link/orvel_com.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace {

TEST(SerialName, DevicePrefixIsAddedOnce) {
    EXPECT_EQ(OrvelCom::deviceName(str(u"COM3")), str(u"\\\\.\\COM3"));
    EXPECT_EQ(OrvelCom::deviceName(str(u"COM12")), str(u"\\\\.\\COM12"));
    EXPECT_EQ(OrvelCom::deviceName(str(u"\\\\.\\COM12")), str(u"\\\\.\\COM12"));
    // Only the exact prefix counts.
    EXPECT_EQ(OrvelCom::deviceName(str(u"\\\\?\\COM1")), str(u"\\\\.\\\\\\?\\COM1"));
    EXPECT_EQ(OrvelCom::deviceName(str(u"\\\\.")), str(u"\\\\.\\\\\\."));
}

TEST(SerialName, OpensByPlainAndPrefixedName) {
    phone_folder folder;
    sim_process sim;
    ASSERT_TRUE(folder.ok() && sim.start(folder.simulator_path()));
    OrvelCom port;
    str plain = str::from_utf8(sim.port().c_str());
    ASSERT_TRUE(port.openPort(plain));
    str reply;
    EXPECT_TRUE(port.sendAT(str(u"AT+CGMI\r"), reply));
    str prefixed(u"\\\\.\\");
    prefixed.append(plain);
    ASSERT_TRUE(port.openPort(prefixed));
    EXPECT_TRUE(port.sendAT(str(u"AT+CGMI\r"), reply));
    EXPECT_EQ(reply.to_utf8(), "SAMSUNG");
    EXPECT_FALSE(port.openPort(str(u"COM250")));
    EXPECT_FALSE(port.isOpen());
}

} // namespace
