#pragma once
// Keeps a port handle alive while calls use it, so that another thread can close the port
// safely: closing stops new calls from entering, cancels the pending ones until they have left,
// and only then hands the handle over to be closed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class port_guard {
public:
    using handle_type = std::intptr_t;

    bool isOpen() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return open_;
    }

    // Publishes a freshly opened handle.
    void attach(handle_type handle) {
        std::lock_guard<std::mutex> hold(mutex_);
        handle_ = handle;
        open_ = true;
    }

    // Begins a call on the handle; false when no port is open (or it is being closed).
    bool enter(handle_type& handle) {
        std::lock_guard<std::mutex> hold(mutex_);
        if (!open_)
            return false;
        ++users_;
        handle = handle_;
        return true;
    }

    void leave() {
        std::lock_guard<std::mutex> hold(mutex_);
        if (--users_ == 0)
            idle_.notify_all();
    }

    // Takes the handle away for closing. `cancel` is called (repeatedly, every 50 ms) while calls
    // are still inside; false when no port was open.
    template <class Cancel> bool detach(handle_type& handle, Cancel cancel) {
        std::unique_lock<std::mutex> hold(mutex_);
        if (!open_)
            return false;
        open_ = false;
        while (users_ > 0) {
            hold.unlock();
            cancel(handle_);
            hold.lock();
            idle_.wait_for(hold, std::chrono::milliseconds(50), [this] { return users_ == 0; });
        }
        handle = handle_;
        handle_ = 0;
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    handle_type handle_ = 0;
    bool open_ = false;
    int users_ = 0;
};

// Scope of one call inside the guard.
class port_use {
public:
    explicit port_use(port_guard& guard) : guard_(guard), inside_(guard.enter(handle_)) {}
    ~port_use() {
        if (inside_)
            guard_.leave();
    }
    port_use(const port_use&) = delete;
    port_use& operator=(const port_use&) = delete;

    explicit operator bool() const { return inside_; }
    port_guard::handle_type handle() const { return handle_; }

private:
    port_guard& guard_;
    port_guard::handle_type handle_ = 0;
    bool inside_;
};
