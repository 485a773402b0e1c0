#pragma once
// The program's two cross-thread locks: a recursive mutex that knows its owner, and a counting
// semaphore used as a lock. Both are built on the C++ standard library, the same on every platform.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Recursive mutex. The owning thread may lock again and must unlock as often. Usable with
// std::lock_guard / std::unique_lock (lock() waits without a time limit).
class mutex {
public:
    mutex() = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    ~mutex(); // releases what the destroying thread still holds

    // Waits up to timeout_ms (negative: no limit, 0: just try). True when obtained.
    bool lock(int timeout_ms = -1);
    // Releases one level; false when the calling thread does not hold the mutex.
    bool unlock();

    // The holding thread, or a default id when nobody holds it.
    std::thread::id owner() const { return owner_.load(); }
    bool held_by_caller() const { return owner_.load() == std::this_thread::get_id(); }

private:
    std::recursive_timed_mutex m_;
    std::atomic<std::thread::id> owner_{};
    int depth_ = 0; // touched only by the holder
};

// Counting semaphore with an initial and maximum count both equal to the constructed count.
class semaphore {
public:
    // A count of 0 or less gives a closed semaphore. The name is accepted for compatibility and
    // ignored: semaphores are private to the process.
    explicit semaphore(int count, const char16_t* name = nullptr);
    semaphore(const semaphore&) = delete;
    semaphore& operator=(const semaphore&) = delete;
    ~semaphore(); // closes and waits until no thread is inside wait()

    // Waits up to timeout_ms (negative: no limit) for a unit. False on time-out or when closed.
    bool wait(int timeout_ms);
    // Gives one unit back; false when the count is already at its maximum or the semaphore closed.
    bool release();
    // Closes: waiting threads return false, later waits and releases fail.
    void close();
    bool is_open() const;

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    int count_ = 0;
    int max_ = 0;
    int waiters_ = 0;
    bool open_ = false;
};
