#pragma once
// The toolkit's thread object: a subclass supplies the body as `run`; the object starts, stops and,
// when a body does not stop in time, ends one system thread per object.
//
// A subclass must call stop() in its own destructor: once it is destroyed the body can no longer
// run as the subclass.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "toolkit/thread_event.h"

class winthread {
public:
    winthread();
    winthread(const winthread&) = delete;
    winthread& operator=(const winthread&) = delete;
    // stop(120).
    virtual ~winthread();

    // The thread body. It should return soon after the stop event is set.
    virtual std::uint32_t run() = 0;

    // Stops a running thread first (100 ms of grace), resets both events and starts a new thread.
    void start();
    // Sets the stop event; with a non-zero time-out waits up to that long for the body to return
    // and ends the thread with terminate() when it does not. A time-out of 0 only asks.
    void stop(std::uint32_t timeout_ms);
    // Sets the stop event and ends the thread now: on Windows the thread is killed; elsewhere,
    // where a thread cannot be killed safely, this waits until the body has returned.
    void terminate();

    // A thread was started and has not been stopped, ended or returned from its body.
    bool running() const { return alive_.load() && !done_.is_set(); }
    // The done event: set once the body has returned or the thread was ended.
    bool finished() const { return done_.is_set(); }

protected:
    // The stop event, for bodies that wait for it together with events of their own.
    thread_event& stop_event() { return stop_; }
    // Waits up to the time-out for the stop event; true when it is set.
    bool wait_stop(std::uint32_t timeout_ms) { return stop_.wait(timeout_ms); }

private:
    static void entry(winthread* self);
    // Ends the thread without waiting for its body, where the platform allows; false otherwise.
    static bool kill_thread(std::thread& thread);
    // Per-thread set-up before the body runs (component object model on Windows).
    static void begin_thread();
    void finish_thread(); // joins or detaches the ended thread; control lock held

    thread_event stop_{true};
    thread_event done_{true};
    std::thread thread_;
    std::atomic<bool> alive_{false}; // a started thread that was not yet joined or ended
    mutable std::recursive_mutex control_;
};
