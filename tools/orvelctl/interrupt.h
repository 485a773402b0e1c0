#pragma once
// Ctrl-C and termination requests (SIGINT, SIGTERM; on Windows the console's Ctrl-C, Ctrl-Break
// and close) while a command runs. The first one closes the link's port and drops its waiting
// jobs, so the running job ends at its next port call the way a failed one does: a fetch removes
// its temporary file, a tree copy stops. The command then reports "interrupted". A second request
// ends the program at once, as if no guard were there.

#include <atomic>

#include "link/samsung_comm.h"

class interrupt_guard {
public:
    explicit interrupt_guard(SamsungComm& link);
    ~interrupt_guard();
    interrupt_guard(const interrupt_guard&) = delete;
    interrupt_guard& operator=(const interrupt_guard&) = delete;

    struct impl;

private:
    impl* impl_;
};

// Whether an interrupt came while a guard was in place.
bool ctl_interrupted();
