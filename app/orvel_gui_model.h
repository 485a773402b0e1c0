#pragma once
// The main window's numbers that need no window: the progress state fed by the link's progress
// signals, the title and bar derived from it, and the geometry of the main window's children.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "core/str.h"

// Progress of the link's transfers. The handlers of the progress signals run on whichever thread
// emits them (the link worker, or the thread that queues a job); the main window's timer and paint
// read the state on the GUI thread. The two numbers are plain words (a momentarily inconsistent
// pair only affects one displayed frame); the text is copied in and out under a small lock.
class OrvelProgress {
public:
    explicit OrvelProgress(const char16_t* text = u"");

    // "setprogressinfo": the caption becomes a copy of the text (null: empty).
    void setInfo(const char16_t* text);
    // "setprogressmax": value 0, max = the low 32 bits of the 64-bit total.
    void setMax(std::uint32_t low, std::uint32_t high);
    // "addprogressmax": max += amount.
    void addMax(std::uint32_t amount);
    // "setprogress": value 0.
    void reset();
    // "addprogress": value += amount.
    void add(std::uint32_t amount);

    std::uint32_t max() const { return max_.load(std::memory_order_relaxed); }
    std::uint32_t value() const { return value_.load(std::memory_order_relaxed); }
    str text() const;

    // One consistent reading of the state, for one timer tick or one paint.
    struct snapshot {
        std::uint32_t value = 0;
        std::uint32_t max = 0;
        str text;
        // A transfer is shown: value below max (so max above 0) and a caption.
        bool running() const { return value < max && !text.empty(); }
    };
    snapshot read() const;

    // Whole percent of value / max, the product taken in 64 bits; 0 when max is 0.
    static int percent(std::uint32_t value, std::uint32_t max);
    // The width of the bar in a strip `width` pixels wide; 0 when max is 0.
    static int barWidth(std::uint32_t value, std::uint32_t max, int width);
    // The window title for a state: "Orvel %2d%%" while running, else the base title.
    static str title(const snapshot& state, const str& base);

private:
    std::atomic<std::uint32_t> max_{0};
    std::atomic<std::uint32_t> value_{0};
    mutable std::mutex text_lock_;
    str text_; // guarded by text_lock_
};

// The progress caption in the user's language, from the link's text ("kopiere <name>" while a
// file is copied); any other text as it came.
str progressCaption(const char16_t* linkText);

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
