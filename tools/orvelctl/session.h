#pragma once
// orvelctl's use of the link: one SamsungComm worker, a connection to the phone, and jobs run to
// their end. Jobs are queued exactly as the window queues them; a thin wrapper records each job's
// outcome at the end of its execute and reports when the link has destroyed it.

#include <atomic>
#include <functional>
#include <string>
#include <utility>

#include "link/link_failure.h"
#include "link/samsung_comm.h"
#include "toolkit/thread_event.h"

// The outcome of one queued job.
struct job_result {
    thread_event gone{true};      // the link destroyed the job (after running it, or by clear)
    std::atomic<bool> ran{false}; // execute finished
    std::atomic<bool> ok{false};  // and the job reported success
    link_failure failure;         // why it failed; written before `ran`, read after `gone`
};

// A job of the link that records its outcome; `after` sees the job at the end of its execute.
template <class Job> class tracked final : public Job {
public:
    template <class... A>
    explicit tracked(job_result& result, A&&... args)
        : Job(std::forward<A>(args)...), result_(result) {}
    ~tracked() override { result_.gone.set(); }

    void execute(SamsungComm& link) override {
        Job::execute(link);
        if (after)
            after(*this);
        result_.failure = this->failure();
        result_.ok = this->ok();
        result_.ran = true;
    }

    std::function<void(Job&)> after;

private:
    job_result& result_;
};

class ctl_session {
public:
    ctl_session() = default;
    ctl_session(const ctl_session&) = delete;
    ctl_session& operator=(const ctl_session&) = delete;

    SamsungComm& link() { return link_; }

    // Opens the given port, or tries the discovered ports from the last to the first and takes
    // the first that opens and answers "AT". On failure `error` says why.
    bool connect(const str* port, std::string& error);

    // Queues the job and waits until the link has destroyed it; true when it ran and succeeded.
    // lastFailure() then holds the job's reason (also for a job dropped unrun).
    bool run(SamsungJob* job, job_result& result);
    template <class Job, class... A> bool run(A&&... args) {
        job_result result;
        return run(new tracked<Job>(result, std::forward<A>(args)...), result);
    }
    const link_failure& lastFailure() const { return failure_; }

    // The report of a failed operation from its reason: "the phone refused to <refusal>", "the
    // phone did not answer", a PC file error as it is, else "cannot <doing>: <reason>".
    static std::string failureText(const link_failure& failure, const std::string& refusal,
                                   const std::string& doing);
    std::string failureText(const std::string& refusal, const std::string& doing) const {
        return failureText(failure_, refusal, doing);
    }

private:
    SamsungComm link_;
    link_failure failure_; // of the last run; used on the main thread only
};
