// The worker thread object: start, stop, restart and the events that report them.

#include <atomic>
#include <gtest/gtest.h>

#include "toolkit/winthread.h"

namespace {

// A body that waits for the stop event, optionally held back by a gate the test opens.
class waiting_thread : public winthread {
public:
    explicit waiting_thread(bool hold = false) : gate_(true, !hold) {}
    ~waiting_thread() override { stop(5000); }

    std::uint32_t run() override {
        int now = ++active;
        if (now > most_active)
            most_active = now;
        ++runs;
        stop_event().wait();
        gate_.wait();
        returned = true;
        --active;
        return 0;
    }

    void open_gate() { gate_.set(); }
    bool stop_is_set() { return stop_event().is_set(); }
    bool wait_stop_for(std::uint32_t ms) { return wait_stop(ms); }

    std::atomic<int> active{0};
    std::atomic<int> most_active{0};
    std::atomic<int> runs{0};
    std::atomic<bool> returned{false};

private:
    thread_event gate_;
};

// A body that returns on its own at once.
class short_thread : public winthread {
public:
    ~short_thread() override { stop(5000); }
    std::uint32_t run() override {
        ++runs;
        return 7;
    }
    std::atomic<int> runs{0};
};

// A body that waits for the stop event and reports its return to a flag outside the object.
class reporting_thread : public winthread {
public:
    explicit reporting_thread(std::atomic<bool>& returned) : returned_(returned) {}
    ~reporting_thread() override { stop(5000); }
    std::uint32_t run() override {
        stop_event().wait();
        returned_ = true;
        return 0;
    }

private:
    std::atomic<bool>& returned_;
};

} // namespace

TEST(Winthread, IdleObjectIgnoresStopAndTerminate) {
    waiting_thread t;
    EXPECT_FALSE(t.running());
    t.stop(120);
    t.terminate();
    // Nothing ran, so nothing was asked or reported.
    EXPECT_FALSE(t.stop_is_set());
    EXPECT_FALSE(t.finished());
    EXPECT_FALSE(t.running());
    EXPECT_EQ(t.runs, 0);
}

TEST(Winthread, StopEndsACooperativeBodyWithoutForce) {
    waiting_thread t;
    t.start();
    EXPECT_TRUE(t.running());
    EXPECT_FALSE(t.finished());
    t.stop(5000);
    EXPECT_TRUE(t.returned) << "the body returned by itself";
    EXPECT_TRUE(t.finished());
    EXPECT_FALSE(t.running());
    // Stopping again does nothing more.
    t.stop(120);
    EXPECT_FALSE(t.running());
}

TEST(Winthread, StopWithZeroOnlyAsks) {
    waiting_thread t(/*hold=*/true);
    t.start();
    t.stop(0);
    EXPECT_TRUE(t.stop_is_set());
    EXPECT_TRUE(t.running()) << "the body is still held by its gate";
    EXPECT_FALSE(t.returned);
    t.open_gate();
    t.stop(5000);
    EXPECT_TRUE(t.returned);
    EXPECT_TRUE(t.finished());
    EXPECT_FALSE(t.running());
}

TEST(Winthread, StartTwiceEndsTheFirstThreadBeforeTheSecond) {
    waiting_thread t;
    t.start();
    t.start();
    t.stop(5000);
    EXPECT_EQ(t.runs, 2);
    EXPECT_EQ(t.most_active, 1) << "the two bodies never ran at the same time";
    EXPECT_TRUE(t.finished());
    EXPECT_FALSE(t.running());
}

TEST(Winthread, EachStartResetsBothEvents) {
    waiting_thread t;
    t.start();
    t.stop(5000);
    ASSERT_TRUE(t.finished());
    ASSERT_TRUE(t.stop_is_set());
    t.returned = false;
    t.start();
    EXPECT_FALSE(t.wait_stop_for(0)) << "a new thread begins with the stop event reset";
    EXPECT_TRUE(t.running());
    t.stop(5000);
    EXPECT_TRUE(t.returned);
    EXPECT_EQ(t.runs, 2);
}

TEST(Winthread, BodyThatReturnsByItselfIsReportedFinished) {
    short_thread t;
    t.start();
    // The done event is the body's completion report.
    thread_event never(true);
    while (!t.finished())
        never.wait(1);
    EXPECT_FALSE(t.running());
    // Starting again runs a fresh body; the ended thread is collected first.
    t.start();
    t.stop(5000);
    EXPECT_EQ(t.runs, 2);
    EXPECT_FALSE(t.running());
}

TEST(Winthread, DestructionStopsARunningBody) {
    std::atomic<bool> returned{false};
    {
        reporting_thread t(returned);
        t.start();
        EXPECT_FALSE(returned);
    } // the destructor asks the body to stop and waits for it
    EXPECT_TRUE(returned);
}
