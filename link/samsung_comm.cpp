#include "link/samsung_comm.h"

#include "core/vobject.h"

namespace {
// Holds the queue's semaphore for a scope.
class queue_lock {
public:
    explicit queue_lock(semaphore& s) : s_(s) { s_.wait(-1); }
    ~queue_lock() { s_.release(); }
    queue_lock(const queue_lock&) = delete;
    queue_lock& operator=(const queue_lock&) = delete;

private:
    semaphore& s_;
};
} // namespace

SamsungComm::SamsungComm() : protocol_(this) {
    start();
}

SamsungComm::~SamsungComm() {
    clear();
    // The worker must be gone before the protocol and the queue it uses are destroyed. With the
    // port closed a running job fails at its next exchange, so this wait is short.
    stop(120);
}

bool SamsungComm::addJob(SamsungJob* job) {
    if (!job)
        return false;
    queue_lock guard(lock_);
    if (!jobs_.insert(job, 0)) {
        delete job;
        return false;
    }
    total_ += job->weight();
    queued_.set();
    const std::uint64_t total = static_cast<std::uint64_t>(total_);
    emit(static_cast<vObject*>(this), u"setprogressmax", static_cast<std::uint32_t>(total),
         static_cast<std::uint32_t>(total >> 32));
    return true;
}

std::uint32_t SamsungComm::run() {
    thread_event* events[] = {&queued_, &stop_event()};
    for (;;) {
        if (thread_event::wait_any(events, 2) != 0)
            return 0;
        SamsungJob* job;
        {
            queue_lock guard(lock_);
            job = jobs_.pop();
            if (!job)
                total_ = 0; // the queue is drained
            else
                protocol_.resetCancel(); // a cancel from here on is this job's
        }
        if (!job)
            continue;
        try {
            job->execute(*this);
        } catch (...) {
            // A job that throws ends like a failed one; the worker goes on.
        }
        delete job;
        {
            queue_lock guard(lock_);
            protocol_.resetCancel(); // a cancel ends one job, not the link
        }
        queued_.set(); // look for a further job
    }
}

void SamsungComm::cancel() {
    queue_lock guard(lock_);
    jobs_.clear();
    total_ = 0;
    protocol_.requestCancel();
}

void SamsungComm::clear() {
    queue_lock guard(lock_);
    jobs_.clear();
    closePort();
}

std::int64_t SamsungComm::progressTotal() {
    queue_lock guard(lock_);
    return total_;
}

unsigned SamsungComm::pending() {
    queue_lock guard(lock_);
    return jobs_.count();
}
