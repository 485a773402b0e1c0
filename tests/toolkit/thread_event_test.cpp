// Manual- and auto-reset events and waiting for several at once.

#include <gtest/gtest.h>
#include <thread>

#include "toolkit/thread_event.h"

TEST(ThreadEvent, ManualResetStaysSetUntilReset) {
    thread_event e(true);
    EXPECT_FALSE(e.is_set());
    EXPECT_FALSE(e.wait(0));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(0)) << "a manual-reset event is not consumed";
    e.reset();
    EXPECT_FALSE(e.wait(0));
}

TEST(ThreadEvent, AutoResetIsConsumedByOneWait) {
    thread_event e(false, true);
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.wait(0));
    e.set();
    e.set(); // setting twice still wakes one waiter only
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.is_set());
}

TEST(ThreadEvent, WaitAnyAnswersTheFirstSetEventInListOrder) {
    thread_event a(false), b(true), c(false);
    thread_event* list[] = {&a, &b, &c};
    EXPECT_EQ(thread_event::wait_any(list, 3, 0), -1);
    c.set();
    b.set();
    EXPECT_EQ(thread_event::wait_any(list, 3, 0), 1);
    EXPECT_EQ(thread_event::wait_any(list, 3, 0), 1) << "b is manual-reset";
    b.reset();
    EXPECT_EQ(thread_event::wait_any(list, 3, 0), 2);
    EXPECT_EQ(thread_event::wait_any(list, 3, 0), -1) << "c was auto-reset";
}

TEST(ThreadEvent, WaitForeverWakesWhenAnotherThreadSets) {
    thread_event a(false), b(false);
    thread_event* list[] = {&a, &b};
    std::thread setter([&] { b.set(); });
    EXPECT_EQ(thread_event::wait_any(list, 2), 1);
    setter.join();
    EXPECT_FALSE(b.is_set());
}
