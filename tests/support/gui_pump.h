#pragma once
// Event pumping for tests that drive windows, with either toolkit driver: wait for a condition
// with a bounded poll while the calling thread's messages are dispatched (never a fixed sleep).
// The Qt side also makes the program's one QApplication (off-screen unless QT_QPA_PLATFORM asks
// for a display) before the first test.

#include <functional>

// Dispatches the calling thread's messages and polls `done` until it holds (true) or timeout_ms
// passed (false). A WM_QUIT met on the way is put back and ends the wait early (false, unless
// `done` holds by then).
bool pump_until(const std::function<bool()>& done, int timeout_ms);

// Dispatches the messages that are waiting now (posted, sent and input), without blocking.
void pump_pending();

// Holds the desktop's pointer for one test: test programs running at the same time share the
// pointer and the top of the window stack, so a test that moves the real pointer or runs the
// platform's drag loop takes this lock (a mutex named for all processes) first. An abandoned lock
// (its holder died) is taken over. Off-screen (Qt) each program has a pointer of its own: the
// lock is held at once.
class desktop_lock {
public:
    desktop_lock();
    ~desktop_lock();
    desktop_lock(const desktop_lock&) = delete;
    desktop_lock& operator=(const desktop_lock&) = delete;
    bool held() const { return held_; }

private:
    void* mutex_ = nullptr;
    bool held_ = false;
};
