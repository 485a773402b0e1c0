#include "toolkit/thread_event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
// One lock and one wake-up for every event, so that a waiter can watch several events at once.
// Built on first use, which also makes it outlive static objects that hold events.
struct event_hub {
    std::mutex lock;
    std::condition_variable changed;
};

event_hub& hub() {
    static event_hub instance;
    return instance;
}
} // namespace

thread_event::thread_event(bool manual_reset, bool initially_set)
    : manual_(manual_reset), set_(initially_set) {
    hub(); // the hub must exist before any event, so it is destroyed after them
}

void thread_event::set() {
    event_hub& h = hub();
    {
        std::lock_guard<std::mutex> guard(h.lock);
        set_ = true;
    }
    h.changed.notify_all();
}

void thread_event::reset() {
    std::lock_guard<std::mutex> guard(hub().lock);
    set_ = false;
}

bool thread_event::is_set() const {
    std::lock_guard<std::mutex> guard(hub().lock);
    return set_;
}

bool thread_event::wait(std::uint32_t timeout_ms) {
    thread_event* self = this;
    return wait_any(&self, 1, timeout_ms) == 0;
}

int thread_event::wait_any(thread_event* const* events, int count, std::uint32_t timeout_ms) {
    event_hub& h = hub();
    std::unique_lock<std::mutex> guard(h.lock);
    int found = -1;
    auto ready = [&] {
        for (int i = 0; i < count; ++i) {
            if (events[i] && events[i]->set_) {
                found = i;
                return true;
            }
        }
        return false;
    };
    if (timeout_ms == wait_forever)
        h.changed.wait(guard, ready);
    else if (!h.changed.wait_for(guard, std::chrono::milliseconds(timeout_ms), ready))
        return -1;
    if (!events[found]->manual_)
        events[found]->set_ = false;
    return found;
}
