// Tests of the recursive mutex and the counting semaphore.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "core/sync.h"

TEST(Mutex, RecursiveLockTracksOwner) {
    mutex m;
    EXPECT_EQ(m.owner(), std::thread::id());
    ASSERT_TRUE(m.lock(-1));
    ASSERT_TRUE(m.lock(0)); // the owner may lock again without waiting
    EXPECT_EQ(m.owner(), std::this_thread::get_id());
    EXPECT_TRUE(m.unlock());
    // Still held once: the owner stays recorded and other threads cannot get it.
    EXPECT_TRUE(m.held_by_caller());
    bool other_got = true;
    std::thread([&] { other_got = m.lock(0); }).join();
    EXPECT_FALSE(other_got);
    EXPECT_TRUE(m.unlock());
    EXPECT_EQ(m.owner(), std::thread::id());
    EXPECT_FALSE(m.unlock()); // not held any more
    std::thread([&] {
        other_got = m.lock(-1);
        m.unlock();
    }).join();
    EXPECT_TRUE(other_got);
}

TEST(Mutex, TimeoutAndForeignUnlock) {
    mutex m;
    std::atomic<bool> held{false};
    std::atomic<bool> done{false};
    std::thread holder([&] {
        m.lock();
        held = true;
        while (!done)
            std::this_thread::yield();
        m.unlock();
    });
    while (!held)
        std::this_thread::yield();
    EXPECT_FALSE(m.lock(20)); // gives up while another thread holds it
    EXPECT_FALSE(m.unlock()); // a thread that does not hold it cannot release it
    EXPECT_NE(m.owner(), std::this_thread::get_id());
    done = true;
    holder.join();
    EXPECT_TRUE(m.lock(-1));
    m.unlock();
}

TEST(Mutex, ExcludesOtherThreadsAndWorksWithLockGuard) {
    mutex m;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                std::lock_guard<mutex> outer(m);
                std::lock_guard<mutex> inner(m); // nested, as handlers do under a list lock
                long seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_EQ(m.owner(), std::thread::id());
}

TEST(Semaphore, CountsAndRefusesBeyondMaximum) {
    semaphore s(2);
    EXPECT_TRUE(s.is_open());
    EXPECT_TRUE(s.wait(0));
    EXPECT_TRUE(s.wait(-1));
    EXPECT_FALSE(s.wait(0));
    EXPECT_FALSE(s.wait(10));
    EXPECT_TRUE(s.release());
    EXPECT_TRUE(s.release());
    EXPECT_FALSE(s.release()); // already at the maximum
    EXPECT_TRUE(s.wait(0));

    semaphore none(0);
    EXPECT_FALSE(none.is_open());
    EXPECT_FALSE(none.wait(0));
    EXPECT_FALSE(none.release());
}

TEST(Semaphore, AsLockAcrossThreads) {
    semaphore lock(1, nullptr);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                ASSERT_TRUE(lock.wait(-1));
                long seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
                lock.release();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 20000);
}

TEST(Semaphore, ReleaseWakesWaiterAndCloseEndsWaits) {
    semaphore s(1);
    ASSERT_TRUE(s.wait(0));
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = s.wait(-1) ? 1 : 0; });
    EXPECT_TRUE(s.release());
    waiter.join();
    EXPECT_EQ(result, 1);

    std::thread blocked([&] { result = s.wait(-1) ? 1 : 0; });
    s.close();
    blocked.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(s.is_open());
    EXPECT_FALSE(s.wait(0));
    EXPECT_FALSE(s.release());
}
