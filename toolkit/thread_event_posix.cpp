#include <chrono>
#include <condition_variable>
#include <mutex>

#include "toolkit/thread_event.h"

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

struct thread_event::impl {
    bool manual;
    bool set;
};

thread_event::thread_event(bool manual_reset, bool initially_set)
    : impl_(new impl{manual_reset, initially_set}) {
    hub(); // the hub must exist before any event, so it is destroyed after them
}

thread_event::~thread_event() = default;

void thread_event::set() {
    event_hub& h = hub();
    {
        std::lock_guard<std::mutex> guard(h.lock);
        impl_->set = true;
    }
    h.changed.notify_all();
}

void thread_event::reset() {
    std::lock_guard<std::mutex> guard(hub().lock);
    impl_->set = false;
}

bool thread_event::is_set() const {
    std::lock_guard<std::mutex> guard(hub().lock);
    return impl_->set;
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
            if (events[i] && events[i]->impl_->set) {
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
    if (!events[found]->impl_->manual)
        events[found]->impl_->set = false;
    return found;
}
