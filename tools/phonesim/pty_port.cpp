#include "tools/phonesim/pty_port.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <termios.h>

#include <climits>

namespace phonesim {

bool PtyPort::open() {
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        return false;
    master_.reset(master);
    UniqueFd terminal(slave);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    watch_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!watch_.valid() || inotify_add_watch(watch_.get(), name, IN_OPEN | IN_CLOSE) < 0) {
        master_.reset();
        watch_.reset();
        return false;
    }
    path_ = name;
    return true;
}

void PtyPort::close() {
    master_.reset();
    watch_.reset();
}

bool PtyPort::drain_watch() {
    alignas(inotify_event) char events[4096];
    bool closed = false;
    ssize_t size = 0;
    while ((size = ::read(watch_.get(), events, sizeof events)) > 0) {
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            closed = closed || (event->mask & IN_CLOSE) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return closed;
}

} // namespace phonesim
