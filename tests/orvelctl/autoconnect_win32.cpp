// Without --port, orvelctl tries the discovered ports from the last to the first. The simulated
// phone is offered as a Bluetooth port of the registry, followed by one that does not open.

#include <windows.h>

#include "tests/orvelctl/ctl_fixture.h"

namespace {
const wchar_t bthenum[] = L"SYSTEM\\CurrentControlSet\\Enum\\BTHENUM";
const wchar_t names[] = L"SYSTEM\\CurrentControlSet\\Services\\BTHPORT\\Parameters\\Devices";
const wchar_t ports_class[] = L"{4d36e978-e325-11ce-bfc1-08002be10318}";

bool set_text(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

HKEY create(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// One paired Bluetooth serial device with the given port and display name; removed again when
// the object goes.
class bluetooth_port {
public:
    bluetooth_port(const std::wstring& device, const std::wstring& address,
                   const std::wstring& port, const std::wstring& name)
        : device_(std::wstring(bthenum) + L"\\" + device),
          name_key_(std::wstring(names) + L"\\" + address) {
        const std::wstring instance = device_ + L"\\1";
        HKEY k = create(instance);
        ok_ = k && set_text(k, L"ClassGUID", ports_class);
        if (k)
            RegCloseKey(k);
        k = create(instance + L"\\Control");
        ok_ = ok_ && k;
        if (k)
            RegCloseKey(k);
        k = create(instance + L"\\DEVICE PARAMETERS");
        ok_ = ok_ && k && set_text(k, L"PortName", port) &&
              set_text(k, L"Bluetooth_UniqueID", L"{00001101}#" + address + L"_C00000000");
        if (k)
            RegCloseKey(k);
        k = create(name_key_);
        ok_ = ok_ && k && set_text(k, L"Name", name);
        if (k)
            RegCloseKey(k);
    }
    ~bluetooth_port() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, device_.c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, name_key_.c_str());
    }
    bool ok() const { return ok_; }

private:
    std::wstring device_;
    std::wstring name_key_;
    bool ok_ = false;
};

std::wstring wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
} // namespace

TEST_F(CtlTest, WithoutAPortTheLastDiscoveredPortThatAnswersIsTaken) {
    write_bytes(phone_root.file("/first.txt"), "1");
    startPhone();
    phone_folder second_root{fs::path()};
    write_bytes(second_root.file("/second.txt"), "2");
    sim_process second;
    ASSERT_TRUE(second.start(second_root.simulator_path()));
    // Enumerated in name order: two phones, then a port that cannot be opened.
    bluetooth_port a(L"ORVELCTL_TEST_A", L"0011223344a1", wide(phone.port()), L"Phone one");
    bluetooth_port b(L"ORVELCTL_TEST_B", L"0011223344b2", wide(second.port()), L"Phone two");
    bluetooth_port c(L"ORVELCTL_TEST_C", L"0011223344c3", L"COM250", L"Dead port");
    ASSERT_TRUE(a.ok() && b.ok() && c.ok());

    run_result r = run_program(ORVEL_ORVELCTL, {"ports"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto one = at("Phone one\t" + phone.port());
    const auto two = at("Phone two\t" + second.port());
    const auto dead = at("Dead port\tCOM250");
    ASSERT_LT(dead, static_cast<long>(lines.size())) << r.out;
    EXPECT_LT(one, two);
    EXPECT_LT(two, dead);

    // The dead port is passed over, the second phone answers and is used.
    r = run_program(ORVEL_ORVELCTL, {"ls", "/"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(lines_of(r.out), (std::vector<std::string>{"-\t1\tsecond.txt"}));
}
