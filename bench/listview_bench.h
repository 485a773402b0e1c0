#pragma once
// List view speed, the same over either driver: for 100, 10,000 and 100,000 rows, the time a
// second thread takes to append the rows one by one (while the GUI thread handles its events),
// and the time of one full paint of a 640 x 480 list scrolled to the middle (median of several):
// through the window (the view's pixmap and the copy to the window) and of the rows alone
// (paintContents into a pixmap), after three paints to warm up. A paint should cost the same for
// any number of rows: the ratio of the paint times for 100,000 and 100 rows is printed and should
// stay within 1.5.
//
//     bench_listview [repeats]         (Win32, default 15 paints per figure)
//     bench_listview_paint [repeats]   (Qt)
//
// The event pump is the test support's (tests/support/gui_pump.h); the including program calls
// listview_bench_main once its GUI is ready.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "tests/support/gui_pump.h"
#include "toolkit/listview.h"

using namespace vwin;

namespace {

using clock_type = std::chrono::steady_clock;

double msSince(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// The whole list invalidated and painted at once, through the window.
void paint_now(vListView& list) {
    list.invalidate();
    list.repaint();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct figures {
    int rows = 0;
    double appendMs = 0;
    double windowPaintMs = 0;
    double rowsPaintMs = 0;
    bool complete = false;
};

figures measure(vListView& list, int rows, int repeats) {
    figures f;
    f.rows = rows;
    list.clear();
    pump_pending();

    std::atomic<bool> done{false};
    double appendMs = 0;
    std::thread worker([&] {
        str text;
        const auto start = clock_type::now();
        for (int i = 0; i < rows; ++i) {
            text.format(u"row %d of the benchmark list", i);
            new vListViewItem(&list, text, 20);
        }
        appendMs = msSince(start);
        done = true;
    });
    pump_until([&] { return done.load(); }, 600000);
    worker.join();
    f.appendMs = appendMs;
    // The content height arrives with a message posted by the worker.
    f.complete = pump_until([&] { return list.contentsHeight() == 20 * rows; }, 10000) &&
                 list.count() == rows;

    list.scrollTo(0, (20 * rows - list.clientHeight()) / 2);
    pump_pending();
    std::vector<double> window, contents;
    vPixmap pixmap(list.clientWidth(), list.clientHeight());
    pixmap.setOrigin(-list.contentsX(), -list.contentsY());
    for (int i = 0; i < 3; ++i) { // warm-up: fonts and caches
        paint_now(list);
        list.paintContents(pixmap);
    }
    for (int i = 0; i < repeats; ++i) {
        auto start = clock_type::now();
        paint_now(list);
        window.push_back(msSince(start));
        start = clock_type::now();
        list.paintContents(pixmap);
        (void)pixmap.pixel(0, 0); // reading a pixel waits for queued drawing
        contents.push_back(msSince(start));
    }
    f.windowPaintMs = median(window);
    f.rowsPaintMs = median(contents);
    return f;
}

} // namespace

inline int listview_bench_main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    vWidget host(nullptr, u"list view benchmark", widget_toplevel_default);
    host.setGeometry(40, 40, 660, 500);
    host.showNormal();
    vListView list(&host, true, vListView::selection_single);
    list.setBackgroundColor(0xFFFFFF);
    list.setItemTextColor(0x157DCC);
    list.setSelectedBackground(0x157DCC);
    list.setFitWidth(true);
    list.setGeometry(0, 0, 640, 480);
    list.setVisible(true);
    pump_pending();

    std::printf("list view: %d x %d client, rows 20 px, %d paints per figure (median)\n",
                list.clientWidth(), list.clientHeight(), repeats);
    std::printf("%9s %16s %14s %18s %16s\n", "rows", "append (ms)", "per row (us)",
                "window paint (ms)", "rows paint (ms)");
    std::vector<figures> all;
    bool complete = true;
    for (int rows : {100, 10000, 100000}) {
        figures f = measure(list, rows, repeats);
        complete = complete && f.complete;
        std::printf("%9d %16.2f %14.3f %18.3f %16.3f%s\n", f.rows, f.appendMs,
                    1000.0 * f.appendMs / f.rows, f.windowPaintMs, f.rowsPaintMs,
                    f.complete ? "" : "   ROWS MISSING");
        all.push_back(f);
    }
    const figures& small = all.front();
    const figures& large = all.back();
    const double windowRatio = large.windowPaintMs / small.windowPaintMs;
    const double rowsRatio = large.rowsPaintMs / small.rowsPaintMs;
    std::printf("paint cost 100,000 vs 100 rows: window %.2fx, rows %.2fx (limit 1.5x): %s\n",
                windowRatio, rowsRatio, windowRatio <= 1.5 && rowsRatio <= 1.5 ? "ok" : "OVER");
    list.clear();
    return complete ? 0 : 1;
}
