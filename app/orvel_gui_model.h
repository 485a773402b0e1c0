#pragma once
// The main window's numbers that need no window: the progress state fed by the link's progress
// signals, the title and bar derived from it, and the geometry of the main window's children.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "core/str.h"

// Progress of the link's transfers. The handlers of the progress signals run on whichever thread
// emits them (the link worker, or the thread that queues a job); the main window's timer and paint
// read the state on the GUI thread. The numbers are plain words (a momentarily inconsistent set
// only affects one displayed frame); the text is copied in and out under a small lock.
//
// The total is the link's (the weights of the jobs queued since it was idle) plus what tree
// copies added while they ran; a job queued while others run raises the total and keeps what
// was done. Only the start of new work ("setprogress") counts from zero again.
class OrvelProgress {
public:
    explicit OrvelProgress(const char16_t* text = u"");

    // "setprogressinfo": the caption becomes a copy of the text (null: empty).
    void setInfo(const char16_t* text);
    // "setprogressmax": the link's total (64 bits in two words).
    void setMax(std::uint32_t low, std::uint32_t high);
    // "addprogressmax": the total grows by amount.
    void addMax(std::uint32_t amount);
    // "setprogress": new work: done and total are 0.
    void reset();
    // "addprogress": done += amount.
    void add(std::uint32_t amount);

    std::uint64_t max() const {
        return linkTotal_.load(std::memory_order_relaxed) + added_.load(std::memory_order_relaxed);
    }
    std::uint64_t value() const { return value_.load(std::memory_order_relaxed); }
    str text() const;

    // One consistent reading of the state, for one timer tick or one paint.
    struct snapshot {
        std::uint64_t value = 0;
        std::uint64_t max = 0;
        str text;
    };
    snapshot read() const;

    // Whole percent of value / max (at most 100); 0 when max is 0.
    static int percent(std::uint64_t value, std::uint64_t max);
    // The width of the bar in a strip `width` pixels wide (at most the width); 0 when max is 0.
    static int barWidth(std::uint64_t value, std::uint64_t max, int width);
    // The window title: "Orvel %2d%%" while work runs, else the base title.
    static str title(const snapshot& state, bool running, const str& base);

private:
    std::atomic<std::uint64_t> linkTotal_{0};
    std::atomic<std::uint64_t> added_{0};
    std::atomic<std::uint64_t> value_{0};
    mutable std::mutex text_lock_;
    str text_; // guarded by text_lock_
};

// The name of the file being copied, from the link's text ("kopiere <name>"); any other text as
// it came.
str progressName(const char16_t* linkText);

// A rectangle in client coordinates.
struct OrvelRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const OrvelRect&) const = default;
};

// A screen position.
struct OrvelPoint {
    int x = 0, y = 0;
    bool operator==(const OrvelPoint&) const = default;
};

namespace orvel_layout {

inline constexpr int tab_count = 4;
inline constexpr int client_width = 640;
inline constexpr int client_height = 520;
inline constexpr int strip_height = 20;
// The smallest client area in which no tab, list or button is cut or overlapped.
inline constexpr int min_client_width = 560;
inline constexpr int min_client_height = 440;

// Tab button i (0..3) of the main window.
OrvelRect tabButton(int index);
// Each view of a main window with the client size w x h.
OrvelRect view(int w, int h);
// The progress strip along the bottom of the client area.
OrvelRect progressStrip(int w, int h);
// The client origin of the main window at start-up, from the pointer's screen position.
OrvelPoint placement(OrvelPoint pointer);

} // namespace orvel_layout
