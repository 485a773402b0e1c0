// Tests of the sysfs port discovery on fixture trees laid out as Linux lays out sysfs: terminals
// in class/tty are links into devices/, and each terminal's "device" link points at its USB
// interface (ACM) or at its USB-serial port (below the interface).

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/port_discovery.h"
#include "link/port_discovery_posix.h"

namespace fs = std::filesystem;

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

class SysfsDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvel-sysfs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "class" / "tty");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    static void write(const fs::path& file, const std::string& content) {
        std::ofstream out(file, std::ios::binary);
        out << content;
    }
    static void link(const fs::path& target, const fs::path& at) {
        fs::create_directory_symlink(fs::relative(target, at.parent_path()), at);
    }

    // A USB device with its attributes; an empty text leaves the attribute out.
    fs::path usb_device(const std::string& bus_path, const std::string& vendor,
                        const std::string& maker, const std::string& product) {
        fs::path dev = root / "devices" / "pci0000:00" / "0000:00:14.0" / bus_path;
        fs::create_directories(dev);
        write(dev / "idProduct", "6860\n");
        if (!vendor.empty())
            write(dev / "idVendor", vendor + "\n");
        if (!maker.empty())
            write(dev / "manufacturer", maker + "\n");
        if (!product.empty())
            write(dev / "product", product + "\n");
        return dev;
    }

    // An ACM terminal: <interface>/tty/<name>, device -> the interface.
    void acm(const fs::path& device, const std::string& interface, const std::string& name) {
        fs::path iface = device / interface;
        fs::path tty = iface / "tty" / name;
        fs::create_directories(tty);
        link(iface, tty / "device");
        link(tty, root / "class" / "tty" / name);
    }

    // A USB-serial terminal: <interface>/<name>/tty/<name>, device -> the port below the interface.
    void usb_serial(const fs::path& device, const std::string& interface, const std::string& name) {
        fs::path port = device / interface / name;
        fs::path tty = port / "tty" / name;
        fs::create_directories(tty);
        link(port, tty / "device");
        link(tty, root / "class" / "tty" / name);
    }

    // A bound RFCOMM terminal (a virtual device with address and channel attributes).
    void rfcomm(const std::string& name, const std::string& address, const std::string& channel) {
        fs::path tty = root / "devices" / "virtual" / "tty" / name;
        fs::create_directories(tty);
        if (!address.empty())
            write(tty / "address", address + "\n");
        if (!channel.empty())
            write(tty / "channel", channel + "\n");
        link(tty, root / "class" / "tty" / name);
    }

    // A terminal without a USB device: a platform serial port.
    void platform_serial(const std::string& name) {
        fs::path dev = root / "devices" / "platform" / "serial8250";
        fs::path tty = dev / "tty" / name;
        fs::create_directories(tty);
        link(dev, tty / "device");
        link(tty, root / "class" / "tty" / name);
    }

    fs::path root;
};

TEST_F(SysfsDiscoveryTest, SamsungAcmAndSerialPortsInNumberOrder) {
    fs::path phone = usb_device("usb1/1-2", "04e8", "SAMSUNG", "SAMSUNG_Android");
    acm(phone, "1-2:1.0", "ttyACM10");
    acm(phone, "1-2:1.2", "ttyACM2");
    fs::path other = usb_device("usb1/1-3", "2341", "Arduino (www.arduino.cc)", "Uno");
    acm(other, "1-3:1.0", "ttyACM0");
    // Known by its vendor id alone (in capitals), no maker text.
    fs::path bare = usb_device("usb2/2-1", "04E8", "", "Modem");
    usb_serial(bare, "2-1:1.0", "ttyUSB0");
    // Another maker's id, but "samsung" in the product name.
    fs::path named = usb_device("usb2/2-2", "1234", "", "Galaxy by samsung");
    usb_serial(named, "2-2:1.0", "ttyUSB1");
    platform_serial("ttyS0");

    str list(u"Earlier:COM1;");
    EXPECT_TRUE(findUsbPortsInSysfs(root.c_str(), list));
    EXPECT_EQ(text(list), u"Earlier:COM1;"
                          u"SAMSUNG SAMSUNG_Android:/dev/ttyACM2;"
                          u"SAMSUNG SAMSUNG_Android:/dev/ttyACM10;"
                          u"Modem:/dev/ttyUSB0;"
                          u"Galaxy by samsung:/dev/ttyUSB1;");
}

TEST_F(SysfsDiscoveryTest, NamesLoseSeparatorsAndFallBackToTheTerminal) {
    fs::path phone = usb_device("usb1/1-2", "04e8", "Samsung: Electronics; Co.", "GT-S8500");
    acm(phone, "1-2:1.0", "ttyACM0");
    fs::path silent = usb_device("usb1/1-4", "04e8", "", "");
    acm(silent, "1-4:1.0", "ttyACM1");

    str list;
    EXPECT_TRUE(findUsbPortsInSysfs(root.c_str(), list));
    EXPECT_EQ(text(list), u"Samsung Electronics Co. GT-S8500:/dev/ttyACM0;ttyACM1:/dev/ttyACM1;");
}

TEST_F(SysfsDiscoveryTest, NothingFound) {
    str list(u"kept");
    fs::path other = usb_device("usb1/1-3", "0403", "FTDI", "FT232R USB UART");
    usb_serial(other, "1-3:1.0", "ttyUSB0");
    platform_serial("ttyS0");
    // Names that only look like the terminals looked for.
    fs::create_directories(root / "class" / "tty" / "ttyACMx");
    fs::create_directories(root / "class" / "tty" / "ttyACM");
    EXPECT_FALSE(findUsbPortsInSysfs(root.c_str(), list));
    EXPECT_EQ(text(list), u"kept");

    EXPECT_FALSE(findUsbPortsInSysfs((root / "missing").c_str(), list));
    EXPECT_FALSE(findUsbPortsInSysfs("", list));
    EXPECT_EQ(text(list), u"kept");
}

TEST_F(SysfsDiscoveryTest, TerminalWhoseDeviceLinkLeadsOutOfTheTree) {
    // A vendor id above the tree must not count: the walk stays inside the sysfs root.
    fs::path outside = root.parent_path() / (root.filename().string() + "-outside");
    fs::create_directories(outside / "iface");
    write(outside / "idVendor", "04e8\n");
    fs::path tty = root / "devices" / "odd" / "ttyACM3";
    fs::create_directories(tty);
    fs::create_directory_symlink(outside / "iface", tty / "device");
    fs::create_directory_symlink(tty, root / "class" / "tty" / "ttyACM3");

    str list;
    EXPECT_FALSE(findUsbPortsInSysfs(root.c_str(), list));
    EXPECT_TRUE(list.empty());
    fs::remove_all(outside);
}

TEST_F(SysfsDiscoveryTest, BoundRfcommPorts) {
    rfcomm("rfcomm1", "00:16:DB:A1:B2:C3", "1");
    rfcomm("rfcomm0", "00:00:00:00:00:00", "1"); // bound to no device
    rfcomm("rfcomm2", "", "");
    fs::path phone = usb_device("usb1/1-2", "04e8", "SAMSUNG", "Modem");
    acm(phone, "1-2:1.0", "ttyACM0"); // not a Bluetooth port

    str list(u"Earlier:COM1;");
    EXPECT_TRUE(findBluetoothPortsInSysfs(root.c_str(), list));
    EXPECT_EQ(text(list), u"Earlier:COM1;"
                          u"Bluetooth 00-16-DB-A1-B2-C3 channel 1:/dev/rfcomm1;"
                          u"Bluetooth rfcomm2:/dev/rfcomm2;");
}

TEST_F(SysfsDiscoveryTest, NoBluetooth) {
    str list(u"Previous:COM3;");
    EXPECT_TRUE(findBluetoothPortsInSysfs(root.c_str(), list));
    EXPECT_TRUE(findBluetoothPortsInSysfs((root / "missing").c_str(), list));
    EXPECT_EQ(text(list), u"Previous:COM3;");
}

TEST(SysfsDiscovery, DefaultDiscoveryGivesWellFormedRecords) {
    // Whatever this machine has attached, the text is a sequence of name:/dev/...; records.
    str list;
    findUsbPorts(list);
    findBluetoothPorts(list);
    std::u16string all = text(list);
    std::size_t at = 0;
    while (at < all.size()) {
        std::size_t colon = all.find(u':', at);
        ASSERT_NE(colon, std::u16string::npos);
        std::size_t semi = all.find(u';', colon);
        ASSERT_NE(semi, std::u16string::npos);
        EXPECT_EQ(all.substr(colon + 1, 5), u"/dev/");
        EXPECT_EQ(all.substr(at, colon - at).find(u';'), std::u16string::npos);
        at = semi + 1;
    }
}

} // namespace
