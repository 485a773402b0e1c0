#pragma once
// What the strip along the bottom of the main window says, without a window. While work runs:
// the file being copied, bytes of the total, the rate and the time left. When the work is over:
// its outcome, until the next work starts. Work is a batch: everything from the first job queued
// on an idle link until the link is idle again. All of it runs on the GUI thread.

#include <cstdint>
#include <deque>
#include <vector>

#include "core/str.h"
#include "link/job_report.h"

// The transfer rate over the last few seconds, from samples of the bytes done so far.
class OrvelRate {
public:
    static constexpr std::uint64_t window_ms = 5000;

    void restart();
    void sample(std::uint64_t nowMs, std::uint64_t done);
    // Bytes per second over the samples kept; 0 until they span a second.
    std::uint64_t bytesPerSecond() const;

private:
    struct point {
        std::uint64_t ms;
        std::uint64_t done;
    };
    std::deque<point> points_;
};

// The caption of running work: "Copying b.jpg — 340 KB of 1.0 MB, 11 KB/s, 1:02 left" ("kopiere
// b.jpg — 340 KB von 1,0 MB, 11 KB/s, noch 1:02"). Without a rate the rate and time are left
// out; without a name (no file on its way) the caption is empty.
str progressLine(const str& name, std::uint64_t done, std::uint64_t total,
                 std::uint64_t bytesPerSecond);

// A span of seconds as a clock reads: "0:07", "1:02", "1:02:03".
str clockText(std::uint64_t seconds);

class OrvelStrip {
public:
    enum class state { idle, running, done, failed, cancelled };

    // One tick of the window: the reports that arrived since the last one and whether the link
    // has work now. A batch begins when either shows work and ends, with its outcome, when
    // the link is idle again.
    void tick(std::vector<job_report> reports, bool busy, std::uint64_t nowMs);

    state shown() const { return state_; }
    bool running() const { return state_ == state::running; }
    // The outcome line (empty while none is shown), in the user's language.
    const str& outcome() const { return outcome_; }
    // The failed and skipped items behind the outcome ("phone path: reason").
    const std::vector<str>& problems() const { return problems_; }

private:
    void begin(std::uint64_t nowMs);
    void take(const job_report& report);
    void end(std::uint64_t nowMs);

    state state_ = state::idle;
    state before_ = state::idle; // what was shown when the batch began
    str outcome_;
    std::vector<str> problems_;
    // The batch under way.
    std::uint64_t startedMs_ = 0;
    std::vector<job_report> batch_;
};

// Whether a report is worth telling when it succeeded: listings, reads and identity questions
// are what the panes show, not news.
bool reportIsQuiet(const job_report& report);

// The outcome line of a batch of reports that took `elapsedMs`; empty when every report is quiet.
// The failure or cancel that came first is named; otherwise what was done.
str outcomeLine(const std::vector<job_report>& batch, std::uint64_t elapsedMs);

// The problems shown on a click on the strip, one per line: the first `shown`, then how many more.
str problemList(const std::vector<str>& problems, std::size_t shown);
