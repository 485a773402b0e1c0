#include "link/samsung_comm.h"

#include <chrono>

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
    // New work on an idle link counts from zero; work queued while jobs run adds to it.
    if (total_ == 0 && !running_)
        emit(static_cast<vObject*>(this), u"setprogress", 0u);
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
            running_ = job != nullptr;
        }
        if (!job)
            continue;
        const auto started = std::chrono::steady_clock::now();
        try {
            job->execute(*this);
        } catch (...) {
            // A job that throws ends like a failed one; the worker goes on.
        }
        job_report report = job->report();
        report.elapsedMs =
            static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count());
        delete job;
        keepReport(std::move(report));
        {
            queue_lock guard(lock_);
            protocol_.resetCancel(); // a cancel ends one job, not the link
            running_ = false;
        }
        queued_.set(); // look for a further job
    }
}

void SamsungComm::cancel() {
    std::vector<job_report> dropped;
    {
        queue_lock guard(lock_);
        // The queue pops from its end: the next job to run is the last.
        for (unsigned i = jobs_.count(); i-- > 0;)
            dropped.push_back(jobs_[i]->report(true));
        jobs_.clear();
        total_ = 0;
        protocol_.requestCancel();
    }
    for (job_report& report : dropped)
        keepReport(std::move(report));
}

void SamsungComm::keepReport(job_report report) {
    std::lock_guard<std::mutex> guard(reports_lock_);
    reports_.push_back(std::move(report));
    while (reports_.size() > max_reports)
        reports_.pop_front();
}

std::vector<job_report> SamsungComm::takeReports() {
    std::lock_guard<std::mutex> guard(reports_lock_);
    std::vector<job_report> out(std::make_move_iterator(reports_.begin()),
                                std::make_move_iterator(reports_.end()));
    reports_.clear();
    return out;
}

bool SamsungComm::busy() {
    queue_lock guard(lock_);
    return running_ || jobs_.count() > 0;
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
