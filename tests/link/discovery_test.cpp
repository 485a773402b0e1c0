// Tests of port discovery over registry fixtures laid out as the Windows registry.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/memory_registry.h"
#include "link/port_discovery.h"

namespace {

constexpr reg_root hklm = reg_root::local_machine;
constexpr reg_root hkcu = reg_root::current_user;
constexpr const char16_t* ports_class = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
constexpr const char16_t* spp_service = u"{00001101-0000-1000-8000-00805f9b34fb}";

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// The list text split at ":" and ";".
std::vector<std::u16string> pieces(const str& list) {
    std::vector<std::u16string> out;
    std::u16string piece;
    for (char16_t c : text(list)) {
        if (c == u':' || c == u';') {
            out.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty())
        out.push_back(piece);
    return out;
}

std::u16string join(std::initializer_list<const char16_t*> parts) {
    std::u16string out;
    for (const char16_t* p : parts)
        out += p;
    return out;
}

class DiscoveryTest : public ::testing::Test {
protected:
    // A USB instance below Enum\USB\<device>\<instance>; a null port leaves out
    // "Device Parameters".
    void usb(const char16_t* device, const char16_t* instance, const char16_t* cls,
             const char16_t* friendly, const char16_t* port) {
        std::u16string key =
            join({u"SYSTEM\\CurrentControlSet\\Enum\\USB\\", device, u"\\", instance});
        reg.set_string(hklm, key.c_str(), u"Class", cls);
        reg.set_string(hklm, key.c_str(), u"FriendlyName", friendly);
        if (port)
            reg.set_string(hklm, (key + u"\\Device Parameters").c_str(), u"PortName", port);
    }

    // A Bluetooth instance below Enum\BTHENUM\<device>\<instance>.
    struct bt {
        const char16_t* class_guid = ports_class;
        bool control = true;
        bool parameters = true;
        const char16_t* port = u"COM9";
        const char16_t* unique_id = nullptr;
    };
    void bluetooth(const char16_t* device, const char16_t* instance, const bt& b) {
        std::u16string key =
            join({u"SYSTEM\\CurrentControlSet\\Enum\\BTHENUM\\", device, u"\\", instance});
        reg.add_key(hklm, key.c_str());
        if (b.class_guid)
            reg.set_string(hklm, key.c_str(), u"ClassGUID", b.class_guid);
        if (b.control)
            reg.add_key(hklm, (key + u"\\Control").c_str());
        if (b.parameters) {
            std::u16string params = key + u"\\Device Parameters";
            reg.add_key(hklm, params.c_str());
            if (b.port)
                reg.set_string(hklm, params.c_str(), u"PortName", b.port);
            if (b.unique_id)
                reg.set_string(hklm, params.c_str(), u"Bluetooth_UniqueID", b.unique_id);
        }
    }
    // The device name kept by the Bluetooth port driver, as bytes (as the system stores it).
    void device_name(const char16_t* address, const char* name) {
        std::u16string key =
            join({u"SYSTEM\\CurrentControlSet\\Services\\BTHPORT\\Parameters\\Devices\\", address});
        reg.set_binary(hklm, key.c_str(), u"Name", name,
                       static_cast<std::uint32_t>(std::strlen(name) + 1));
    }

    // A Toshiba stack entry; a null port leaves out "SCORIGINAL", an empty one "PORTNAME".
    void toshiba(const char16_t* entry, const char16_t* service, const char16_t* name,
                 const char16_t* port) {
        std::u16string key = join({u"Software\\Toshiba\\BluetoothStack\\V1.0\\EZC\\DATA\\", entry});
        reg.set_string(hkcu, key.c_str(), u"SERVICENAME", service);
        reg.set_string(hkcu, key.c_str(), u"ENTRYNAME", name);
        if (port) {
            std::u16string sc = key + u"\\SCORIGINAL";
            reg.add_key(hkcu, sc.c_str());
            if (*port)
                reg.set_string(hkcu, sc.c_str(), u"PORTNAME", port);
        }
    }

    void expect_all_closed() {
        EXPECT_EQ(reg.open_handles(), 0);
        EXPECT_EQ(reg.bad_closes(), 0);
    }

    memory_registry reg;
};

TEST_F(DiscoveryTest, UsbModemsOfThePhoneOnly) {
    usb(u"VID_04E8&PID_6601", u"6&1", u"modem", u"SAMSUNG Mobile USB Modem", u"COM5");
    usb(u"VID_04E8&PID_6601", u"6&2", u"MODEM", u"Generic USB Modem", u"COM6");
    usb(u"VID_04E8&PID_6601", u"6&3", u"Ports", u"Samsung Serial Port", u"COM7");
    usb(u"VID_04E8&PID_6601", u"6&4", u"Modem", u"Samsung modem without parameters", nullptr);
    usb(u"VID_1234&PID_0001", u"7&1", u"Modem ", u"samsung, but class with a blank", u"COM8");
    usb(u"VID_04E8&PID_6602", u"8&1", u"Modem", u"my SaMsUnG phone", u"COM11");

    str list;
    EXPECT_TRUE(findUsbPorts(reg, list));
    EXPECT_EQ(text(list), u"SAMSUNG Mobile USB Modem:COM5;my SaMsUnG phone:COM11;");
    expect_all_closed();
}

TEST_F(DiscoveryTest, UsbRecordsAppendInOrderWithoutSeparatorsInNames) {
    usb(u"VID_04E8&PID_6601", u"a", u"Modem", u"SAMSUNG: Modem; #1", u"COM3");
    usb(u"VID_04E8&PID_6601", u"b", u"Modem", u"Samsung Modem #2", u"COM4");

    str list(u"Earlier:COM1;");
    EXPECT_TRUE(findUsbPorts(reg, list));
    EXPECT_EQ(text(list), u"Earlier:COM1;SAMSUNG Modem #1:COM3;Samsung Modem #2:COM4;");
    std::vector<std::u16string> parts = pieces(list);
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[2], u"SAMSUNG Modem #1");
    EXPECT_EQ(parts[3], u"COM3");
    EXPECT_EQ(parts[4], u"Samsung Modem #2");
    EXPECT_EQ(parts[5], u"COM4");
    expect_all_closed();
}

TEST_F(DiscoveryTest, UsbFindsNothing) {
    str list(u"kept");
    EXPECT_FALSE(findUsbPorts(reg, list)); // no USB key at all
    EXPECT_EQ(text(list), u"kept");

    usb(u"VID_0000", u"1", u"Modem", u"Other maker", u"COM2");
    reg.add_key(hklm, u"SYSTEM\\CurrentControlSet\\Enum\\USB\\ROOT_HUB");
    EXPECT_FALSE(findUsbPorts(reg, list));
    EXPECT_EQ(text(list), u"kept");
    expect_all_closed();
}

TEST_F(DiscoveryTest, BluetoothSystemPorts) {
    bt phone;
    phone.unique_id = u"{00001101-0000-1000-8000-00805f9b34fb}#0016DBA1B2C3_C00000000";
    bluetooth(spp_service, u"7&aa&0&0016DBA1B2C3_C00000000", phone);
    device_name(u"0016dba1b2c3", "Wave: S8500;");

    bt other = phone;
    other.port = u"COM12";
    other.unique_id = u"{x}#001122334455";
    other.class_guid = u"{4D36E978-E325-11CE-BFC1-08002BE10318}"; // letter case does not matter
    bluetooth(spp_service, u"7&bb", other);
    reg.set_string(
        hklm, u"SYSTEM\\CurrentControlSet\\Services\\BTHPORT\\Parameters\\Devices\\001122334455",
        u"Name", u"Headset");

    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Wave S8500:COM9;Headset:COM12;");
    expect_all_closed();
}

TEST_F(DiscoveryTest, BluetoothInstancesThatYieldNothing) {
    bt unpaired;
    unpaired.unique_id = u"{svc}#000000000000_C00000000";
    unpaired.port = u"COM20";
    bluetooth(spp_service, u"1-unpaired", unpaired);
    device_name(u"000000000000", "Zero");

    bt no_params;
    no_params.parameters = false;
    bluetooth(spp_service, u"2-no-parameters", no_params);

    bt absent; // a device that is not present has no Control key
    absent.control = false;
    absent.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"3-absent", absent);

    bt wrong_class;
    wrong_class.class_guid = u"{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}";
    wrong_class.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"4-wrong-class", wrong_class);

    bt no_class;
    no_class.class_guid = nullptr;
    no_class.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"5-no-class", no_class);

    bt nameless; // no name is known for this address
    nameless.unique_id = u"{svc}#AABBCCDDEEFF_C0";
    bluetooth(spp_service, u"6-nameless", nameless);

    bt portless;
    portless.port = nullptr;
    portless.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"7-portless", portless);

    // The walk goes on after all of them, within the same device.
    bt good;
    good.port = u"COM30";
    good.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"8-good", good);
    device_name(u"0016DBA1B2C3", "Phone");

    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Phone:COM30;");
    expect_all_closed();
}

TEST_F(DiscoveryTest, BluetoothAddressFromUniqueId) {
    // Without "#" and "_" the whole id is the address; a "#" or "_" at the very start is no cut.
    bt plain;
    plain.port = u"COM40";
    plain.unique_id = u"112233445566";
    bluetooth(u"DevA", u"1", plain);
    device_name(u"112233445566", "Plain");

    bt leading;
    leading.port = u"COM41";
    leading.unique_id = u"_leading";
    bluetooth(u"DevB", u"1", leading);
    device_name(u"_leading", "Leading");

    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Plain:COM40;Leading:COM41;");
    expect_all_closed();
}

TEST_F(DiscoveryTest, ToshibaStackEntries) {
    toshiba(u"0001", u"Bluetooth SERIAL Port", u"Wave; phone", u"COM15");
    toshiba(u"0002", u"Dial-up Networking", u"Modem entry", u"COM16");
    toshiba(u"0003", u"serial", u"No SCORIGINAL", nullptr);
    toshiba(u"0004", u"Serial", u"No port name", u"");
    toshiba(u"0005", u"serial port", u"Second", u"COM17");

    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Wave phone:COM15;Second:COM17;");
    expect_all_closed();
}

TEST_F(DiscoveryTest, ToshibaEmptyPortNameStillCounts) {
    toshiba(u"0001", u"SPP serial", u"Phone", u"");
    reg.set_string(hkcu, u"Software\\Toshiba\\BluetoothStack\\V1.0\\EZC\\DATA\\0001\\SCORIGINAL",
                   u"PORTNAME", u"");
    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Phone:;");
}

TEST_F(DiscoveryTest, SystemRecordsComeBeforeToshibaRecords) {
    toshiba(u"0001", u"serial", u"Toshiba", u"COM2");
    bt phone;
    phone.port = u"COM1";
    phone.unique_id = u"{svc}#0016DBA1B2C3_C0";
    bluetooth(spp_service, u"1", phone);
    device_name(u"0016DBA1B2C3", "System");

    str list;
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"System:COM1;Toshiba:COM2;");
}

TEST_F(DiscoveryTest, NoBluetoothInstalled) {
    usb(u"VID_04E8", u"1", u"Modem", u"SAMSUNG Modem", u"COM5");
    reg.add_key(hkcu, u"Software\\Toshiba\\BluetoothStack"); // stack key without its data
    str list(u"Previous:COM3;");
    EXPECT_TRUE(findBluetoothPorts(reg, list));
    EXPECT_EQ(text(list), u"Previous:COM3;");
    expect_all_closed();
}

} // namespace
