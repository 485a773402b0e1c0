// The program entry: the message loop's exit status and its tolerance of failing handlers, and
// orvel.exe itself: a window program whose Auto Connect lines reach a handed-over standard
// output, and which ends with status 0 when its window is closed.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/program.h"
#include "core/lang.h"
#include "orvel_version.h"
#include "tests/app/window_probe_win32.h"
#include "tests/support/gui_pump.h"
#include "toolkit/widget.h"

using namespace vwin;

namespace {

// A window whose first timer tick throws; the second closes it.
class failing_window : public vWidget {
public:
    failing_window() : vWidget(nullptr, u"failing") {}
    void timer(int id) override {
        if (++ticks == 1)
            throw std::runtime_error("a handler failed");
        killTimer(id);
        postMessage(WM_CLOSE, 0, 0);
    }
    int ticks = 0;
};

TEST(OrvelMessageLoop, NoWindowNoLoop) {
    EXPECT_EQ(orvelMessageLoop(nullptr), 1);
    HWND gone = nullptr;
    {
        vWidget w(nullptr, u"gone");
        gone = w.window();
    }
    EXPECT_EQ(orvelMessageLoop(gone), 1);
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST(OrvelMessageLoop, ClosingTheWindowEndsItWithStatusZero) {
    vWidget w(nullptr, u"main");
    w.postMessage(WM_CLOSE, 0, 0);
    EXPECT_EQ(orvelMessageLoop(w.window()), 0);
    EXPECT_FALSE(w.isWindow());
    EXPECT_EQ(mainWindow(), nullptr) << "the slot is cleared after the loop";
}

TEST(OrvelMessageLoop, StatusIsTheQuitWord) {
    vWidget w(nullptr, u"main");
    PostQuitMessage(7);
    EXPECT_EQ(orvelMessageLoop(w.window()), 7);
    EXPECT_TRUE(w.isWindow());
    w.destroyWindow(); // no longer the main window: nothing is posted
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(OrvelMessageLoop, AFailingHandlerCostsOnlyItsMessage) {
    failing_window w;
    w.setTimer(1, 10);
    EXPECT_EQ(orvelMessageLoop(w.window()), 0);
    EXPECT_EQ(w.ticks, 2);
}

// ---- orvel.exe ----

struct handle_owner {
    HANDLE h = nullptr;
    ~handle_owner() {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// Serialises the tests that put fixtures into the registry (port discovery reads it).
struct registry_lock {
    registry_lock() : h(CreateMutexW(nullptr, FALSE, L"OrvelDiscoveryRegistryFixture")) {
        held = h && WaitForSingleObject(h, 300000) != WAIT_TIMEOUT;
    }
    ~registry_lock() {
        if (held)
            ReleaseMutex(h);
        if (h)
            CloseHandle(h);
    }
    registry_lock(const registry_lock&) = delete;
    registry_lock& operator=(const registry_lock&) = delete;
    HANDLE h;
    bool held = false;
};

constexpr const wchar_t* toshiba_key = L"Software\\Toshiba";
constexpr const wchar_t* entry_key =
    L"Software\\Toshiba\\BluetoothStack\\V1.0\\EZC\\DATA\\ZZOrvelProgramTest";

bool setString(const std::wstring& key, const wchar_t* name, const wchar_t* value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                  static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

// A Bluetooth serial entry of the Toshiba stack naming a port that does not exist; removed again
// (with the stack's key when it was not there before).
class bluetooth_fixture {
public:
    bluetooth_fixture() {
        HKEY k = nullptr;
        hadToshiba_ = RegOpenKeyExW(HKEY_CURRENT_USER, toshiba_key, 0, KEY_READ, &k) == 0;
        if (k)
            RegCloseKey(k);
        ok_ = setString(entry_key, L"SERVICENAME", L"Serial Port") &&
              setString(entry_key, L"ENTRYNAME", L"Program test port") &&
              setString(std::wstring(entry_key) + L"\\SCORIGINAL", L"PORTNAME", L"COM250");
    }
    ~bluetooth_fixture() {
        RegDeleteTreeW(HKEY_CURRENT_USER, hadToshiba_ ? entry_key : toshiba_key);
        if (!hadToshiba_)
            RegDeleteKeyW(HKEY_CURRENT_USER, toshiba_key);
    }
    bool ok() const { return ok_; }

private:
    bool hadToshiba_ = false;
    bool ok_ = false;
};

std::filesystem::path besideThisProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / name;
}

struct find_request {
    DWORD process;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM data) {
    auto* r = reinterpret_cast<find_request*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (pid == r->process && IsWindowVisible(window) && wcscmp(title, r->title) == 0) {
        r->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findChild(HWND window, LPARAM data) {
    auto* r = reinterpret_cast<find_request*>(data);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (wcscmp(title, r->title) == 0) {
        r->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The visible main window of the started program, or null (the program is then ended) when it
// does not appear within 20 s.
HWND waitForMainWindow(const PROCESS_INFORMATION& pi) {
    find_request main{pi.dwProcessId, L"Orvel " ORVEL_VERSION, nullptr};
    const bool appeared = pump_until(
        [&] {
            EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&main));
            return main.found != nullptr;
        },
        20000);
    if (!appeared)
        TerminateProcess(pi.hProcess, 99);
    return main.found;
}

// Asks the window to close, as a person would; true when the program ended within 20 s (else it
// is ended by force).
bool closeAndWait(const PROCESS_INFORMATION& pi, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended =
        pump_until([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    if (!ended)
        TerminateProcess(pi.hProcess, 99);
    return ended;
}

TEST(OrvelProgram, AutoConnectReportsOnHandedOverOutputAndCloseEndsWithZero) {
    const std::filesystem::path program = besideThisProgram(L"orvel.exe");
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    registry_lock lock;
    ASSERT_TRUE(lock.held);
    bluetooth_fixture ports;
    ASSERT_TRUE(ports.ok());

    const std::filesystem::path output =
        std::filesystem::temp_directory_path() / "orvel_program_test.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    handle_owner out{CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    ASSERT_NE(out.h, INVALID_HANDLE_VALUE);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out.h;
    si.hStdError = out.h;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + program.wstring() + L"\" ignored \"quoted argument\"";
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &si, &pi));
    handle_owner process{pi.hProcess}, thread{pi.hThread};
    CloseHandle(out.h);
    out.h = nullptr;

    const HWND programWindow = waitForMainWindow(pi);
    ASSERT_NE(programWindow, nullptr) << "the main window appears";

    find_request button{pi.dwProcessId, L"Auto Connect", nullptr};
    EnumChildWindows(programWindow, findChild, reinterpret_cast<LPARAM>(&button));
    ASSERT_NE(button.found, nullptr);
    PostMessageW(button.found, WM_LBUTTONDOWN, MK_LBUTTON, app_test::at(10, 10));
    PostMessageW(button.found, WM_LBUTTONUP, 0, app_test::at(10, 10));
    // One line per attempt (text mode ends it with CR LF).
    EXPECT_TRUE(pump_until(
        [&] {
            const std::string lines = contents(output);
            return lines.find("COM250 no\r\n") != std::string::npos ||
                   lines.find("COM250 no\n") != std::string::npos;
        },
        20000))
        << contents(output);

    ASSERT_TRUE(closeAndWait(pi, programWindow)) << "closing the window ends the program";
    DWORD status = 259;
    GetExitCodeProcess(pi.hProcess, &status);
    EXPECT_EQ(status, 0u);
    std::filesystem::remove(output);
}

// The language of the user's locale as this process's environment names it (the first of
// LC_ALL, LC_MESSAGES and LANG that is set): under Wine the program's language follows it.
int environmentLanguage() {
    for (const wchar_t* name : {L"LC_ALL", L"LC_MESSAGES", L"LANG"}) {
        wchar_t value[128] = {};
        const DWORD n = GetEnvironmentVariableW(name, value, 128);
        if (n > 0 && n < 128)
            return language_of_locale(std::filesystem::path(value).string().c_str());
    }
    return 0;
}

// orvel.exe shows the Devices texts of the user's language, read by the program itself (no test
// hook). The test runs once as discovered and once more with a German locale (see CMakeLists).
TEST(OrvelProgram, TextsFollowTheUsersLanguage) {
    const std::filesystem::path program = besideThisProgram(L"orvel.exe");
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    const bool german = environmentLanguage() == lang_german;
    SCOPED_TRACE(german ? "German" : "English");
    const wchar_t* tabText = german ? L"Ger\u00e4te" : L"Devices";
    const wchar_t* headingText = german ? L"Ger\u00e4te:" : L"Devices:";

    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + program.wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    handle_owner process{pi.hProcess}, thread{pi.hThread};
    const HWND programWindow = waitForMainWindow(pi);
    ASSERT_NE(programWindow, nullptr) << "the main window appears";

    find_request tab{pi.dwProcessId, tabText, nullptr};
    EnumChildWindows(programWindow, findChild, reinterpret_cast<LPARAM>(&tab));
    find_request heading{pi.dwProcessId, headingText, nullptr};
    EnumChildWindows(programWindow, findChild, reinterpret_cast<LPARAM>(&heading));
    EXPECT_NE(tab.found, nullptr) << "the Devices tab button";
    EXPECT_NE(heading.found, nullptr) << "the Devices view's heading";

    ASSERT_TRUE(closeAndWait(pi, programWindow)) << "closing the window ends the program";
}

} // namespace
