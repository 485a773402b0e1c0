// Under Wine a Windows program can start a Linux program with CreateProcessW (Wine runs a native
// executable itself), but gets no process handle and no standard handles across. So the helper
// listens on a loopback TCP port and starts the simulator with "--connect PORT": the simulator
// connects back, reports its terminal and the COM port it claimed in the prefix's dosdevices
// folder, and ends as soon as that connection closes (also when this test program dies).

// Winsock's header must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>

#include "tests/support/sim_process.h"
#include "tests/support/sim_process_args.h"

struct sim_process::platform {
    SOCKET link = INVALID_SOCKET;
    bool winsock = false;
};

namespace {

std::wstring widen(const std::string& text) {
    if (text.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// One argument quoted for the command line, so that it is split back into exactly this text.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

// Waits until `socket` is readable; false after `ms` milliseconds.
bool readable(SOCKET socket, long ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

// The next line from `socket`, or an empty text after `ms` milliseconds.
std::string read_line(SOCKET socket, long ms) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const long left = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                deadline - std::chrono::steady_clock::now())
                                                .count());
        if (left <= 0 || !readable(socket, left))
            return {};
        char c = 0;
        if (recv(socket, &c, 1, 0) != 1)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
}

} // namespace

sim_process::sim_process() : platform_(new platform) {
    WSADATA data;
    platform_->winsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

sim_process::~sim_process() {
    stop();
    if (platform_->winsock)
        WSACleanup();
    delete platform_;
}

bool sim_process::start(const std::string& root, const std::vector<std::string>& faults,
                        unsigned baud) {
    stop();
    const std::string program = environment("ORVEL_PHONESIM");
    std::string prefix = environment("WINEPREFIX");
    if (prefix.empty() && !environment("HOME").empty())
        prefix = environment("HOME") + "/.wine";
    if (!platform_->winsock || program.empty() || prefix.empty())
        return false;

    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return false;
    }

    std::vector<std::string> args = sim_process_arguments(root, faults, baud);
    args.insert(args.end(), {"--com-dir", prefix + "/dosdevices", "--connect",
                             std::to_string(ntohs(address.sin_port))});
    std::wstring command = quoted(widen(program));
    for (const std::string& arg : args)
        command += L" " + quoted(widen(arg));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &info);
    // For a Linux program Wine fills the process information with stray values, not handles:
    // closing them would close handles of this program (such as the listening socket).
    (void)info;
    if (!started || !readable(listener, 10000)) {
        closesocket(listener);
        return false;
    }
    platform_->link = accept(listener, nullptr, nullptr);
    closesocket(listener);
    if (platform_->link == INVALID_SOCKET)
        return false;
    device_ = read_line(platform_->link, 10000);
    port_ = read_line(platform_->link, 10000);
    if (device_.empty() || port_.empty()) {
        stop();
        return false;
    }
    return true;
}

void sim_process::stop() {
    if (platform_->link != INVALID_SOCKET) {
        // The simulator ends when the connection closes; its end of it closes after its cleanup.
        shutdown(platform_->link, SD_SEND);
        char bytes[64];
        while (readable(platform_->link, 5000) &&
               recv(platform_->link, bytes, sizeof bytes, 0) > 0) {
        }
        closesocket(platform_->link);
    }
    platform_->link = INVALID_SOCKET;
    port_.clear();
    device_.clear();
}

bool sim_process::running() const {
    if (platform_->link == INVALID_SOCKET)
        return false;
    // The connection turns readable (end of stream) only when the simulator has gone.
    return !readable(platform_->link, 0);
}
