#pragma once
// The link object: the serial port, a worker thread, the file-transfer protocol and a queue of
// jobs. Jobs queued from any thread run one at a time on the worker, in queue order; they report
// through signals emitted from this object's vObject.
//
// "setprogressmax"(low 32 bits, high 32 bits of the total) is emitted by addJob on the calling
// thread while the queue lock is held, after "setprogress"(0) when the link was idle (new work
// counts from zero): their handlers must not queue jobs or call clear.

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "core/alist.h"
#include "core/sync.h"
#include "link/jobs.h"
#include "link/orvel_com.h"
#include "link/samsung_protocol.h"
#include "toolkit/thread_event.h"
#include "toolkit/winthread.h"

class SamsungComm : public OrvelCom, public winthread {
public:
    static constexpr unsigned job_capacity = 256;

    // Starts the worker thread.
    SamsungComm();
    // Drops waiting jobs, closes the port and stops the worker.
    ~SamsungComm() override;

    // The worker's body: runs queued jobs until the stop event is seen with the queue drained.
    std::uint32_t run() override;
    // Destroys every waiting job and closes the port; a running job fails at its next exchange.
    virtual void clear();
    // Destroys every waiting job and asks the running one to stop after its current exchange
    // (it ends with the failure cancelled); the port stays open. Each dropped job is reported
    // as cancelled.
    void cancel();

    // The reports of the jobs that ended since the last call, oldest first. A window reads them
    // on its own thread; the queue keeps the newest max_reports.
    static constexpr unsigned max_reports = 4096;
    std::vector<job_report> takeReports();
    // Whether a job is running or waiting.
    bool busy();

    // Queues a job (owned by the link from here on), adds its weight to the progress total and
    // emits "setprogressmax". False only for a null job or when the queue cannot grow (the job is
    // then destroyed).
    bool addJob(SamsungJob* job);

    // The protocol on this object's port, for the jobs.
    SamsungProtocol& protocol() { return protocol_; }
    // The sum of the weights queued since the queue was last found empty.
    std::int64_t progressTotal();
    // Jobs waiting (not counting a running one).
    unsigned pending();

private:
    void keepReport(job_report report);

    SamsungProtocol protocol_;
    thread_event queued_{false};
    alist<SamsungJob> jobs_{job_capacity, true};
    semaphore lock_{1};
    std::int64_t total_ = 0; // guarded by lock_
    bool running_ = false;   // guarded by lock_
    std::mutex reports_lock_;
    std::deque<job_report> reports_; // guarded by reports_lock_
};
