#include "toolkit/winthread.h"

winthread::winthread() = default;

winthread::~winthread() {
    stop(120);
}

void winthread::entry(winthread* self) {
    if (!self)
        return;
    begin_thread();
    self->run();
    self->done_.set();
}

void winthread::start() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (thread_.joinable())
        stop(100);
    if (thread_.joinable())
        return; // asked from its own thread: the old body is still running
    stop_.reset();
    done_.reset();
    alive_ = true;
    try {
        thread_ = std::thread(entry, this);
    } catch (...) {
        alive_ = false; // no thread: the object stays idle
    }
}

void winthread::stop(std::uint32_t timeout_ms) {
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (!thread_.joinable())
        return;
    stop_.set();
    if (timeout_ms == 0 || thread_.get_id() == std::this_thread::get_id())
        return; // only asked (a body cannot wait for itself)
    if (done_.wait(timeout_ms))
        finish_thread();
    else
        terminate();
}

void winthread::terminate() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id())
        return;
    stop_.set();
    if (!done_.is_set() && kill_thread(thread_)) {
        alive_ = false;
        done_.set();
        return;
    }
    finish_thread();
    done_.set();
}

void winthread::finish_thread() {
    try {
        thread_.join();
    } catch (...) {
        thread_.detach();
    }
    alive_ = false;
}
