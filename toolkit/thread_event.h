#pragma once
// A waitable event for threads: manual-reset (stays set until reset) or auto-reset (one waiter
// consumes it). Several events can be waited for together with wait_any. On Windows these are
// system events, so a thread killed while it waits leaves them intact; elsewhere they are built
// on a mutex and a condition variable.

#include <cstdint>
#include <memory>

// A time-out that never ends.
inline constexpr std::uint32_t wait_forever = 0xFFFFFFFFu;

class thread_event {
public:
    explicit thread_event(bool manual_reset, bool initially_set = false);
    ~thread_event();
    thread_event(const thread_event&) = delete;
    thread_event& operator=(const thread_event&) = delete;

    void set();
    void reset();
    bool is_set() const;
    // True when the event was (or became) set within the time-out; an auto-reset event is consumed.
    bool wait(std::uint32_t timeout_ms = wait_forever);

    // Waits until one of the events is set; answers its index (the first set one in list order,
    // consumed when auto-reset), or -1 when the time-out passed first. At most 64 events.
    static int wait_any(thread_event* const* events, int count,
                        std::uint32_t timeout_ms = wait_forever);

    struct impl;

private:
    std::unique_ptr<impl> impl_;
};
