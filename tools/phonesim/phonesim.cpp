#include "tools/phonesim/phonesim.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <thread>

#include "tools/phonesim/output.h"
#include "tools/phonesim/pty_port.h"
#include "tools/phonesim/session.h"

namespace phonesim {

namespace {

// A frame that stops arriving for this long is dropped.
constexpr int frame_timeout_ms = 1000;
// A babbling phone sends a byte this often (or at the slow fault's gap, when longer).
constexpr unsigned babble_gap_ms = 10;

} // namespace

struct Phone::Impl {
    Options options;
    SharedState shared;
    PtyPort pty;
    UniqueFd wake_read;
    UniqueFd wake_write;
    std::thread thread;
    std::atomic<bool> running{false};

    void run();
    Faults faults();
};

Faults Phone::Impl::faults() {
    std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.faults;
}

void Phone::Impl::run() {
    Session session(options, shared);
    Output output(pty.master(), wake_read.get());
    bool closed = false; // the terminal end is not open on the PC side
    std::uint8_t input[4096];
    std::vector<std::uint8_t> out;
    std::size_t babbled = 0; // bytes of babble_text sent so far
    for (;;) {
        pollfd fds[3] = {
            {wake_read.get(), POLLIN, 0}, {pty.watch(), POLLIN, 0}, {pty.master(), POLLIN, 0}};
        const bool babbling = !closed && session.babbling();
        const int gap = static_cast<int>(std::max(faults().slow_ms, babble_gap_ms));
        const int timeout = babbling                            ? gap
                            : !closed && session.inside_frame() ? frame_timeout_ms
                                                                : -1;
        const int ready = poll(fds, closed ? 2 : 3, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[0].revents)
            return;
        if (ready == 0 && babbling) {
            // One more byte of text that is never a frame or a result line.
            const auto byte =
                static_cast<std::uint8_t>(babble_text[babbled++ % (sizeof babble_text - 1)]);
            if (!output.send(&byte, 1, 0, 0))
                closed = true;
            continue;
        }
        if (ready == 0) {
            session.reset(); // a frame stopped arriving
            continue;
        }
        if (fds[1].revents) {
            // Opened or closed: input of a closed session is dropped before the next is read.
            if (pty.drain_watch())
                session.reset();
            closed = false;
            continue;
        }
        const ssize_t got = ::read(pty.master(), input, sizeof input);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0) {
            // EIO: nobody has the line open. Wait for the next open.
            session.reset();
            closed = true;
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.counters.bytes_received += static_cast<std::uint64_t>(got);
        }
        const Faults now = faults();
        out.clear();
        if (now.echo) // an echoing line returns every byte before the phone answers
            out.assign(input, input + got);
        session.receive(input, static_cast<std::size_t>(got), out);
        if (out.empty())
            continue;
        if (const unsigned delay = session.take_delay()) {
            // A late reply: the phone takes its time, the line stays open meanwhile.
            if (!output.pause(delay))
                return;
        }
        if (!output.send(out.data(), out.size(), options.baud, now.slow_ms)) {
            pollfd wake{wake_read.get(), POLLIN, 0};
            if (poll(&wake, 1, 0) > 0)
                return;
            session.reset();
            closed = true;
        }
    }
}

Phone::Phone() : impl_(std::make_unique<Impl>()) {}

Phone::~Phone() {
    stop();
}

std::string Phone::start(const Options& options) {
    if (impl_->running)
        return {};
    impl_ = std::make_unique<Impl>();
    impl_->options = options;
    impl_->shared.faults = options.faults;
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0)
        return {};
    impl_->wake_read.reset(pipe_fds[0]);
    impl_->wake_write.reset(pipe_fds[1]);
    if (!impl_->pty.open())
        return {};
    try {
        impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    } catch (const std::system_error&) {
        impl_->pty.close();
        return {};
    }
    impl_->running = true;
    return impl_->pty.path();
}

void Phone::stop() {
    if (!impl_->running)
        return;
    const char byte = 0;
    while (::write(impl_->wake_write.get(), &byte, 1) < 0 && errno == EINTR) {
    }
    impl_->thread.join();
    impl_->running = false;
    impl_->pty.close(); // the PC side sees the line hang up; the counters stay readable
}

bool Phone::running() const {
    return impl_->running;
}

std::string Phone::device_path() const {
    return impl_->running ? impl_->pty.path() : std::string();
}

void Phone::set_faults(const Faults& faults) {
    std::lock_guard<std::mutex> lock(impl_->shared.mutex);
    impl_->shared.faults = faults;
}

Counters Phone::counters() const {
    std::lock_guard<std::mutex> lock(impl_->shared.mutex);
    return impl_->shared.counters;
}

} // namespace phonesim
