// How quickly the window answers while a large phone folder is listed: another thread posts a
// stamped message to the GUI thread every 5 ms, from "cd" until the panes show the folder, and
// the delay of each answer is measured. The worst delay is the longest the user waits for a tab
// switch, a scroll or a click to be taken up.
//
//     bench_responsive [--repeat N] [--entries N]
//
// The simulator is $ORVEL_PHONESIM (a Linux program, run from under Wine).

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/folder_view.h"
#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace {

using clock_type = std::chrono::steady_clock;

std::int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               clock_type::now().time_since_epoch())
        .count();
}

constexpr UINT stamp_message = 7;

// Answers the stamped messages and keeps the worst delay.
class host_window : public vwin::vWidget {
public:
    host_window() : vWidget(nullptr, u"bench") {}
    ~host_window() override { destroyWindow(); }
    bool userMessage(UINT number, WPARAM, LPARAM stamp) override {
        if (number != stamp_message)
            return false;
        worst = std::max<std::int64_t>(worst, now_us() - static_cast<std::int64_t>(stamp));
        ++answered;
        return true;
    }
    std::int64_t worst = 0;
    int answered = 0;
};

} // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    int entries = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc)
            entries = std::max(1, std::atoi(argv[++i]));
    }
    if (!std::getenv("ORVEL_PHONESIM")) {
        std::fprintf(stderr, "bench_responsive: needs ORVEL_PHONESIM\n");
        return 2;
    }
    phone_folder root{std::filesystem::path()};
    sim_process phone;
    if (!root.ok() || !phone.start(root.simulator_path(), {"bigdir=" + std::to_string(entries)})) {
        std::fprintf(stderr, "bench_responsive: the phone simulator did not start\n");
        return 1;
    }
    std::printf("Listing /big/ (%d files) while the GUI thread is asked every 5 ms\n", entries);
    std::vector<double> worst;
    for (int r = 0; r < repeat; ++r) {
        SamsungComm link;
        host_window host;
        host.setGeometry(0, 0, 800, 600);
        OrvelFolderView view(&host, link);
        view.setGeometry(0, 0, 800, 600);
        host.showNormal();
        if (!link.openPort(str::from_utf8(phone.port().c_str())))
            return 1;
        std::atomic<bool> listing{true};
        const HWND target = host.window();
        std::thread asker([&] {
            while (listing.load()) {
                PostMessageW(target, WM_USER + stamp_message, 0, static_cast<LPARAM>(now_us()));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        const auto start = clock_type::now();
        emit(view.folderPane(), u"cd", u"/big/");
        const bool shown = pump_until([&] { return view.filePane()->count() == entries; }, 120000);
        const double seconds = std::chrono::duration<double>(clock_type::now() - start).count();
        listing = false;
        asker.join();
        pump_pending();
        link.closePort();
        if (!shown) {
            std::fprintf(stderr, "bench_responsive: the view shows %d rows\n",
                         view.filePane()->count());
            return 1;
        }
        worst.push_back(static_cast<double>(host.worst) / 1000.0);
        std::printf("  run %d: listed in %.2f s, %d answers, worst delay %.1f ms\n", r + 1, seconds,
                    host.answered, worst.back());
    }
    std::sort(worst.begin(), worst.end());
    std::printf("worst delay, median of %zu runs: %.1f ms (goal < 100 ms)\n", worst.size(),
                worst[worst.size() / 2]);
    return 0;
}
