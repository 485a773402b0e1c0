// Port discovery and regkey against the system registry. The fixture keys are written by the
// system's own regedit from a .reg file (independently of our registry code), and removed again
// afterwards. Our device keys are named to enumerate after any the system already has, so the
// records they add follow the records found before the import.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/regkey.h"
#include "link/port_discovery.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

struct handle_owner {
    HANDLE h = nullptr;
    ~handle_owner() {
        if (h)
            CloseHandle(h);
    }
};

// A system-wide named mutex, held while it lives.
struct named_lock {
    explicit named_lock(const wchar_t* name) : h(CreateMutexW(nullptr, FALSE, name)) {
        held = h && WaitForSingleObject(h, 300000) != WAIT_TIMEOUT;
    }
    ~named_lock() {
        if (held)
            ReleaseMutex(h);
        if (h)
            CloseHandle(h);
    }
    named_lock(const named_lock&) = delete;
    named_lock& operator=(const named_lock&) = delete;
    HANDLE h;
    bool held = false;
};

// Runs a program of the system and waits for it; true when it ran and exited with 0.
bool run(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return false;
    handle_owner process{pi.hProcess}, thread{pi.hThread};
    if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0)
        return false;
    DWORD code = 1;
    return GetExitCodeProcess(pi.hProcess, &code) && code == 0;
}

bool key_exists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring temp_file(const wchar_t* name) {
    wchar_t dir[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + name;
}

// Imports a REGEDIT4 text with the system's regedit.
bool import_reg(const std::string& body) {
    std::wstring path = temp_file(L"orvel_discovery_test.reg");
    {
        std::ofstream out(std::filesystem::path(path), std::ios::binary);
        out << "REGEDIT4\r\n\r\n" << body;
        if (!out)
            return false;
    }
    bool ok = run(L"regedit.exe /S \"" + path + L"\"");
    DeleteFileW(path.c_str());
    return ok;
}

const char* const usb = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB";
const char* const bthenum = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\BTHENUM";
const char* const bthport = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\BTHPORT";
const char* const toshiba = "HKEY_CURRENT_USER\\Software\\Toshiba";
const char* const own = "HKEY_CURRENT_USER\\Software\\ZZOrvelTest";
const char* const ports_class = "\"ClassGUID\"=\"{4d36e978-e325-11ce-bfc1-08002be10318}\"\r\n";

std::string key(const std::string& path) {
    return "[" + path + "]\r\n";
}

std::string fixture() {
    std::string u = usb, b = bthenum, t = toshiba;
    std::string s;
    // USB: the class in small letters and the maker in capitals, separators in the name; a modem
    // of another maker; a phone modem without "Device Parameters"; a second phone.
    s += key(u + "\\ZZORVEL_A\\1") + "\"Class\"=\"modem\"\r\n" +
         "\"FriendlyName\"=\"SAMSUNG Mobile: USB; Modem\"\r\n";
    s += key(u + "\\ZZORVEL_A\\1\\Device Parameters") + "\"PortName\"=\"COM41\"\r\n";
    s += key(u + "\\ZZORVEL_A\\2") + "\"Class\"=\"Modem\"\r\n\"FriendlyName\"=\"Other Modem\"\r\n";
    s += key(u + "\\ZZORVEL_A\\2\\Device Parameters") + "\"PortName\"=\"COM42\"\r\n";
    s += key(u + "\\ZZORVEL_A\\3") + "\"Class\"=\"Modem\"\r\n\"FriendlyName\"=\"samsung bare\"\r\n";
    s += key(u + "\\ZZORVEL_B\\1") +
         "\"Class\"=\"Modem\"\r\n\"FriendlyName\"=\"Samsung Second\"\r\n";
    s += key(u + "\\ZZORVEL_B\\1\\Device Parameters") + "\"PortName\"=\"COM43\"\r\n";

    // Bluetooth: no "DEVICE PARAMETERS"; the all-zero address; a paired phone whose name is
    // stored as bytes; another setup class.
    s += key(b + "\\ZZORVEL_BT\\1") + ports_class + key(b + "\\ZZORVEL_BT\\1\\Control");
    s += key(b + "\\ZZORVEL_BT\\2") + ports_class + key(b + "\\ZZORVEL_BT\\2\\Control");
    s += key(b + "\\ZZORVEL_BT\\2\\Device Parameters") + "\"PortName\"=\"COM51\"\r\n" +
         "\"Bluetooth_UniqueID\"=\"{svc}#000000000000_C00000000\"\r\n";
    s += key(b + "\\ZZORVEL_BT\\3") + ports_class + key(b + "\\ZZORVEL_BT\\3\\Control");
    s += key(b + "\\ZZORVEL_BT\\3\\Device Parameters") + "\"PortName\"=\"COM52\"\r\n" +
         "\"Bluetooth_UniqueID\"=\"{svc}#00AA0BB1C001_C00000000\"\r\n";
    s += key(std::string(bthport) + "\\Parameters\\Devices\\00aa0bb1c001") +
         "\"Name\"=hex:57,61,76,65,3a,20,70,68,6f,6e,65,3b,00\r\n"; // "Wave: phone;"
    s += key(b + "\\ZZORVEL_BT\\4") +
         "\"ClassGUID\"=\"{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}\"\r\n" +
         key(b + "\\ZZORVEL_BT\\4\\Control");
    s += key(b + "\\ZZORVEL_BT\\4\\Device Parameters") + "\"PortName\"=\"COM53\"\r\n" +
         "\"Bluetooth_UniqueID\"=\"{svc}#00AA0BB1C001_C00000000\"\r\n";

    // Toshiba stack: a serial entry and a dial-up entry.
    std::string data = t + "\\BluetoothStack\\V1.0\\EZC\\DATA";
    s += key(data + "\\0001") + "\"SERVICENAME\"=\"Bluetooth SERIAL Port\"\r\n" +
         "\"ENTRYNAME\"=\"Toshiba: Wave\"\r\n";
    s += key(data + "\\0001\\SCORIGINAL") + "\"PORTNAME\"=\"COM61\"\r\n";
    s += key(data + "\\0002") + "\"SERVICENAME\"=\"Dial-up Networking\"\r\n" +
         "\"ENTRYNAME\"=\"DUN\"\r\n";
    s += key(data + "\\0002\\SCORIGINAL") + "\"PORTNAME\"=\"COM62\"\r\n";

    // Values of every type for regkey (REGEDIT4 gives multi-string bytes in the 8-bit code page).
    s += key(own + std::string("\\Values")) + "\"Text\"=\"hello\"\r\n" +
         "\"Number\"=dword:00000007\r\n" + "\"Multi\"=hex(7):66,69,72,73,74,00,32,00,00\r\n" +
         "\"Bytes\"=hex:47,61,6c,e9\r\n";
    s += key(own + std::string("\\List\\b-first")) + key(own + std::string("\\List\\c-second"));
    return s;
}

class WineRegistryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // CTest runs each test as its own process, possibly several at once: one fixture at a time.
        fixture_lock = std::make_unique<named_lock>(L"OrvelDiscoveryRegistryFixture");
        had_usb = key_exists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\USB");
        had_bthenum = key_exists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\BTHENUM");
        had_bthport =
            key_exists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\BTHPORT");
        had_toshiba = key_exists(HKEY_CURRENT_USER, L"Software\\Toshiba");
        import_reg(removal()); // leftovers of an interrupted run
        str usb_list, bluetooth_list;
        findUsbPorts(usb_list);
        bluetooth_result_before = findBluetoothPorts(bluetooth_list);
        usb_before = text(usb_list);
        bluetooth_before = text(bluetooth_list);
        imported = import_reg(fixture());
    }
    static void TearDownTestSuite() {
        import_reg(removal());
        fixture_lock.reset();
    }

    // Deletes our keys, and the parents that did not exist before.
    static std::string removal() {
        std::string s;
        if (had_usb) {
            s += "[-" + std::string(usb) + "\\ZZORVEL_A]\r\n";
            s += "[-" + std::string(usb) + "\\ZZORVEL_B]\r\n";
        } else {
            s += "[-" + std::string(usb) + "]\r\n";
        }
        s += "[-" + std::string(bthenum) + (had_bthenum ? "\\ZZORVEL_BT]\r\n" : "]\r\n");
        s += "[-" + std::string(bthport) +
             (had_bthport ? "\\Parameters\\Devices\\00aa0bb1c001]\r\n" : "]\r\n");
        s += "[-" + std::string(toshiba) +
             (had_toshiba ? "\\BluetoothStack\\V1.0\\EZC\\DATA\\0001]\r\n" : "]\r\n");
        if (had_toshiba)
            s += "[-" + std::string(toshiba) + "\\BluetoothStack\\V1.0\\EZC\\DATA\\0002]\r\n";
        s += "[-" + std::string(own) + "]\r\n";
        return s;
    }

    void SetUp() override {
        ASSERT_TRUE(imported);
        ASSERT_TRUE(key_exists(HKEY_CURRENT_USER, L"Software\\ZZOrvelTest\\Values"));
    }

    static inline bool had_usb = false, had_bthenum = false, had_bthport = false,
                       had_toshiba = false;
    static inline bool imported = false;
    static inline std::unique_ptr<named_lock> fixture_lock;
    static inline std::u16string usb_before, bluetooth_before;
    static inline bool bluetooth_result_before = false;
};

TEST_F(WineRegistryTest, NoBluetoothBeforeTheImport) {
    EXPECT_TRUE(bluetooth_result_before);
    if (!had_bthenum && !had_toshiba) {
        EXPECT_TRUE(bluetooth_before.empty());
    }
}

TEST_F(WineRegistryTest, UsbPortsOfThePhone) {
    str list(usb_before.c_str());
    EXPECT_TRUE(findUsbPorts(list));
    EXPECT_EQ(text(list), usb_before + u"SAMSUNG Mobile USB Modem:COM41;Samsung Second:COM43;");
}

TEST_F(WineRegistryTest, BluetoothPortsOfBothSources) {
    str list(bluetooth_before.c_str());
    EXPECT_TRUE(findBluetoothPorts(list));
    std::u16string ours_system = u"Wave phone:COM52;";
    std::u16string ours_toshiba = u"Toshiba Wave:COM61;";
    if (bluetooth_before.empty())
        EXPECT_EQ(text(list), ours_system + ours_toshiba);
    else
        EXPECT_NE(text(list).find(ours_system), std::u16string::npos);
}

TEST_F(WineRegistryTest, RegkeyWalksTheSystemRegistry) {
    regkey key(reg_root::current_user);
    ASSERT_TRUE(key.open(u"HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Enum"));
    EXPECT_EQ(key.depth(), 3);
    ASSERT_TRUE(key.open(u"USB\\ZZORVEL_A"));
    EXPECT_EQ(key.depth(), 5);
    str cls;
    ASSERT_TRUE(key.enter(0));
    EXPECT_TRUE(key.read_string(u"Class", cls));
    EXPECT_EQ(text(cls), u"modem");
    EXPECT_TRUE(key.open(u"DEVICE PARAMETERS")); // names ignore letter case
    key.close_all();
    EXPECT_EQ(key.depth(), 0);
    EXPECT_FALSE(key.up());

    regkey trailing(reg_root::local_machine);
    EXPECT_TRUE(trailing.open(u"SYSTEM/"));
    EXPECT_EQ(trailing.depth(), 1);
    EXPECT_FALSE(trailing.open(u"CurrentControlSet//Enum"));
    EXPECT_EQ(trailing.depth(), 2);

    regkey list(reg_root::current_user);
    ASSERT_TRUE(list.open(u"Software\\ZZOrvelTest\\List"));
    std::uint32_t n = 0;
    while (list.enter(n)) {
        ++n;
        list.up();
    }
    EXPECT_EQ(n, 2u);
}

TEST_F(WineRegistryTest, RegkeyReadsEveryValueType) {
    regkey key(reg_root::current_user);
    ASSERT_TRUE(key.open(u"Software/ZZOrvelTest/Values"));
    str out;
    EXPECT_TRUE(key.read_string(u"Text", out, u"x"));
    EXPECT_EQ(text(out), u"hello");
    EXPECT_TRUE(key.read_string(u"Multi", out));
    EXPECT_EQ(text(out), u"first");
    EXPECT_TRUE(key.read_string(u"Bytes", out));
    EXPECT_EQ(text(out), u"Gal\u00e9");
    EXPECT_FALSE(key.read_string(u"Number", out, u"default"));
    EXPECT_EQ(text(out), u"default");
    EXPECT_FALSE(key.read_string(u"Missing", out, u""));
    EXPECT_TRUE(out.empty());
    std::uint32_t type = 0, size = 0;
    ASSERT_TRUE(key.read_value(u"Number", nullptr, &size, &type));
    EXPECT_EQ(type, static_cast<std::uint32_t>(reg_dword));
    EXPECT_EQ(size, 4u);
}

TEST_F(WineRegistryTest, RegkeyCreatesKeysOnlyWhenAsked) {
    regkey key(reg_root::current_user);
    EXPECT_FALSE(key.open(u"Software/ZZOrvelTest/Made/Here"));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, L"Software\\ZZOrvelTest\\Made"));
    key.close_all();
    EXPECT_TRUE(key.open(u"Software/ZZOrvelTest/Made/Here", true));
    EXPECT_EQ(key.depth(), 4);
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, L"Software\\ZZOrvelTest\\Made\\Here"));
}

} // namespace
