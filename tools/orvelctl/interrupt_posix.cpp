// Interrupts on POSIX: the signal handler only writes a byte to a pipe (all it may do safely); a
// watcher thread reads it and closes the port.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "tools/orvelctl/interrupt.h"

namespace {

std::atomic<bool> interrupted{false};
int signal_pipe_write = -1; // the handler's end; set while a guard exists

void on_signal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signal_pipe_write, &byte, 1);
    errno = saved;
}

} // namespace

struct interrupt_guard::impl {
    int signals[2] = {-1, -1}; // written by the handler
    int stop[2] = {-1, -1};    // written by the guard's destructor
    struct sigaction old_int {};
    struct sigaction old_term {};
    std::thread watcher;
};

interrupt_guard::interrupt_guard(SamsungComm& link) : impl_(new impl) {
    if (::pipe2(impl_->signals, O_CLOEXEC | O_NONBLOCK) != 0 ||
        ::pipe2(impl_->stop, O_CLOEXEC) != 0)
        return;
    signal_pipe_write = impl_->signals[1];
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // The first request is handled here; the handler then falls back to the default, so a
    // second one ends the program.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, &impl_->old_int);
    ::sigaction(SIGTERM, &action, &impl_->old_term);
    impl* state = impl_;
    impl_->watcher = std::thread([state, &link] {
        pollfd fds[2] = {{state->signals[0], POLLIN, 0}, {state->stop[0], POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents)
                return;
            if (fds[0].revents) {
                interrupted = true;
                link.clear();
                return;
            }
        }
    });
}

interrupt_guard::~interrupt_guard() {
    if (impl_->watcher.joinable()) {
        const char byte = 0;
        [[maybe_unused]] ssize_t n = ::write(impl_->stop[1], &byte, 1);
        impl_->watcher.join();
        ::sigaction(SIGINT, &impl_->old_int, nullptr);
        ::sigaction(SIGTERM, &impl_->old_term, nullptr);
        signal_pipe_write = -1;
    }
    for (int fd : {impl_->signals[0], impl_->signals[1], impl_->stop[0], impl_->stop[1]})
        if (fd >= 0)
            ::close(fd);
    delete impl_;
}

bool ctl_interrupted() {
    return interrupted.load();
}
