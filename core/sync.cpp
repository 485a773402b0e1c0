// mutex and semaphore on the C++ standard library.

#include "core/sync.h"

#include <chrono>

mutex::~mutex() {
    while (held_by_caller())
        unlock();
}

bool mutex::lock(int timeout_ms) {
    if (timeout_ms < 0)
        m_.lock();
    else if (timeout_ms == 0 ? !m_.try_lock()
                             : !m_.try_lock_for(std::chrono::milliseconds(timeout_ms)))
        return false;
    ++depth_;
    owner_.store(std::this_thread::get_id());
    return true;
}

bool mutex::unlock() {
    if (!held_by_caller())
        return false;
    if (--depth_ == 0)
        owner_.store(std::thread::id());
    m_.unlock();
    return true;
}

semaphore::semaphore(int count, const char16_t*) {
    if (count > 0) {
        count_ = count;
        max_ = count;
        open_ = true;
    }
}

semaphore::~semaphore() {
    std::unique_lock<std::mutex> lock(m_);
    open_ = false;
    cv_.notify_all();
    cv_.wait(lock, [this] { return waiters_ == 0; });
}

bool semaphore::wait(int timeout_ms) {
    std::unique_lock<std::mutex> lock(m_);
    ++waiters_;
    auto ready = [this] { return !open_ || count_ > 0; };
    if (timeout_ms < 0)
        cv_.wait(lock, ready);
    else
        cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready);
    --waiters_;
    bool got = open_ && count_ > 0;
    if (got)
        --count_;
    if (!open_)
        cv_.notify_all(); // a closing destructor may wait for the last waiter
    return got;
}

bool semaphore::release() {
    std::lock_guard<std::mutex> lock(m_);
    if (!open_ || count_ >= max_)
        return false;
    ++count_;
    cv_.notify_one();
    return true;
}

void semaphore::close() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = false;
    cv_.notify_all();
}

bool semaphore::is_open() const {
    std::lock_guard<std::mutex> lock(m_);
    return open_;
}
