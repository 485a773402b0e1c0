#pragma once
// Browsing speed of the file browser, the same over either driver: opening a phone folder of
// 1,000 files through the view (from "cd" until both panes are filled and sorted) against
// `orvelctl ls` of the same folder on the same simulated phone, and against the bare listing job
// with no window.
//
//     bench_browse [--repeat N] [--entries N]
//
// The simulator is $ORVEL_PHONESIM (a Linux program, run from under Wine for the Win32 build);
// orvelctl is the one beside this program. `orvelctl ls` is timed as a user meets it: start, open
// the port, list, print, end. Its fixed cost (start, open, the phone's answer to a nearly empty
// folder) is also measured and taken off for a second ratio, which compares the listing work
// alone.
//
// The including program defines run_quietly and orvelctl_path for its platform and calls
// browse_bench_main once its GUI is ready (the event pump is the test support's).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/folder_view.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

// Runs a program to its end with its output going nowhere; the exit status, or -1.
int run_quietly(const fs::path& program, const std::vector<std::string>& arguments);
// The orvelctl program beside this one.
fs::path orvelctl_path();

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

struct timings {
    std::vector<double> seconds;
    double median() const {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    double fastest() const {
        return seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end());
    }
};

// Notes the end of a listing; connected after the view, so it runs once the view has sorted.
class end_watch : public vObject {
public:
    explicit end_watch(SamsungComm& link) {
        connect(static_cast<vObject*>(&link), u"BrowseEntry", this, &end_watch::entry);
        connect(static_cast<vObject*>(&link), u"BrowseEnd", this, &end_watch::end);
    }
    ~end_watch() { disconnect_all(); }
    std::atomic<bool> ended{false};
    std::atomic<int> entries{0};

private:
    void entry() { ++entries; }
    void end() { ended = true; }
};

class host_window : public vwin::vWidget {
public:
    host_window() : vWidget(nullptr, u"bench") {}
    ~host_window() override { destroyWindow(); }
};

bool sorted_by_name(OrvelFolder* pane) {
    std::lock_guard hold(pane->listLock());
    for (int i = 1; i < pane->count(); ++i)
        if (pane->at(i - 1)->compare(pane->at(i), 0) > 0)
            return false;
    return true;
}

void report(const char* what, const timings& t) {
    std::printf("  %-44s %8.1f ms   (median of %zu; fastest %.1f ms)\n", what, t.median() * 1000,
                t.seconds.size(), t.fastest() * 1000);
}

} // namespace

static int browse_bench_main(int argc, char** argv) {
    int repeat = 5;
    int entries = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc)
            entries = std::max(1, std::atoi(argv[++i]));
    }
    const fs::path orvelctl = orvelctl_path();
    if (!std::getenv("ORVEL_PHONESIM") || !fs::exists(orvelctl)) {
        std::fprintf(stderr, "bench_browse: needs ORVEL_PHONESIM and %s\n",
                     orvelctl.string().c_str());
        return 2;
    }
    phone_folder root{fs::path()};
    sim_process phone;
    if (!root.ok() || !phone.start(root.simulator_path(), {"bigdir=" + std::to_string(entries)})) {
        std::fprintf(stderr, "bench_browse: the phone simulator did not start\n");
        return 1;
    }
    const str port = str::from_utf8(phone.port().c_str());
    std::printf("Browsing /big/ (%d files) on the simulated phone at %s\n", entries,
                phone.port().c_str());

    timings viewTimes, jobTimes, ctlTimes, ctlFixed;
    bool ok = true;
    for (int r = 0; r < repeat && ok; ++r) {
        // Through the view: "cd" from the folder pane until the panes are filled and sorted.
        {
            SamsungComm link;
            host_window host;
            host.setGeometry(0, 0, 800, 600);
            OrvelFolderView view(&host, link);
            view.setGeometry(0, 0, 800, 600);
            end_watch watch(link);
            ok = link.openPort(port);
            const auto start = clock_type::now();
            emit(view.folderPane(), u"cd", u"/big/");
            // The listing reaches the panes on this thread after its end.
            ok =
                ok && pump_until(
                          [&] { return watch.ended.load() && view.filePane()->count() == entries; },
                          60000);
            viewTimes.seconds.push_back(seconds_since(start));
            ok = ok && view.filePane()->count() == entries && sorted_by_name(view.filePane());
            if (!ok)
                std::fprintf(stderr, "bench_browse: the view shows %d rows\n",
                             view.filePane()->count());
            // The bare listing job, no window.
            end_watch bare(link);
            view.disconnect_all();
            const auto jobStart = clock_type::now();
            link.addJob(new BrowseCommand(str(u"/big/")));
            ok = ok && pump_until([&] { return bare.ended.load(); }, 60000);
            jobTimes.seconds.push_back(seconds_since(jobStart));
            ok = ok && bare.entries.load() == entries + 2; // with "." and ".."
            link.closePort();
        }
        // orvelctl: the folder, and a nearly empty folder for its fixed cost.
        auto start = clock_type::now();
        const int code = run_quietly(orvelctl, {"--port", phone.port(), "ls", "/big/"});
        ctlTimes.seconds.push_back(seconds_since(start));
        start = clock_type::now();
        const int fixedCode = run_quietly(orvelctl, {"--port", phone.port(), "ls", "/"});
        ctlFixed.seconds.push_back(seconds_since(start));
        if (code != 0 || fixedCode != 0) {
            std::fprintf(stderr, "bench_browse: orvelctl ended with %d / %d\n", code, fixedCode);
            ok = false;
        }
    }
    if (!ok)
        return 1;
    report("view: \"cd\" to panes filled and sorted", viewTimes);
    report("listing job alone (no window)", jobTimes);
    report("orvelctl ls /big/ (whole program)", ctlTimes);
    report("orvelctl ls / (its fixed cost)", ctlFixed);
    const double view = viewTimes.median();
    const double ctl = ctlTimes.median();
    const double ctlWork = ctl - ctlFixed.median();
    std::printf("view / orvelctl ls:                 %.2fx (goal <= 1.2x)\n", view / ctl);
    if (ctlWork > 0)
        std::printf("view / orvelctl ls less fixed cost: %.2fx\n", view / ctlWork);
    std::printf("view / listing job alone:           %.2fx\n", view / jobTimes.median());
    return 0;
}
