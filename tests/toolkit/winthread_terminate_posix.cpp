// Where a thread cannot be killed, a body that ignores the stop request is waited for.

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "toolkit/winthread.h"

namespace {
class stubborn_thread : public winthread {
public:
    ~stubborn_thread() override { stop(120); }
    std::uint32_t run() override {
        for (int i = 0; i < 30; ++i) // about 300 ms, never looking at the stop event
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        completed = true;
        return 0;
    }
    std::atomic<bool> completed{false};
};
} // namespace

TEST(WinthreadPosix, StopPastItsTimeoutWaitsForTheBody) {
    stubborn_thread t;
    t.start();
    t.stop(120);
    EXPECT_TRUE(t.completed) << "the body was allowed to finish";
    EXPECT_TRUE(t.finished());
    EXPECT_FALSE(t.running());
}

TEST(WinthreadPosix, StartOverAStubbornBodyWaitsForIt) {
    stubborn_thread t;
    t.start();
    t.start(); // 100 ms of grace, then the old body is waited for
    EXPECT_TRUE(t.completed);
    EXPECT_TRUE(t.running());
    t.stop(120);
    EXPECT_FALSE(t.running());
}
