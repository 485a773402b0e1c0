#include "tools/phonesim/output.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace phonesim {

bool Output::send(const std::uint8_t* data, std::size_t size, unsigned baud, unsigned gap_ms) {
    using std::chrono::nanoseconds;
    const nanoseconds interval =
        (baud > 0 ? nanoseconds(10'000'000'000LL / baud) : nanoseconds(0)) +
        std::chrono::milliseconds(gap_ms);
    if (interval.count() == 0)
        return write_all(data, size);
    clock::time_point slot = std::max(next_slot_, clock::now());
    std::size_t sent = 0;
    while (sent < size) {
        clock::time_point now = clock::now();
        if (now < slot) {
            if (!wait_until(slot))
                return false;
            now = clock::now();
        }
        // Every byte whose slot has come goes out in one write.
        const std::size_t due = std::min<std::size_t>(size - sent, 1 + (now - slot) / interval);
        if (!write_all(data + sent, due))
            return false;
        sent += due;
        slot += interval * static_cast<long>(due);
    }
    next_slot_ = slot;
    return true;
}

bool Output::write_all(const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(master_, data + done, size - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN)
            return false; // EIO: the terminal end was closed
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents)
            return false;
        if (fds[0].revents & (POLLHUP | POLLERR))
            return false;
    }
    return true;
}

bool Output::wait_until(clock::time_point when) {
    for (;;) {
        const auto left = when - clock::now();
        if (left <= clock::duration::zero())
            return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                               static_cast<long>(ns % 1'000'000'000)};
        pollfd fd{wake_, POLLIN, 0};
        const int ready = ppoll(&fd, 1, &timeout, nullptr);
        if (ready > 0)
            return false;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace phonesim
