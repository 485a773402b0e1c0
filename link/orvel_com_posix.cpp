// The serial port on POSIX systems: termios, with reads and writes that keep the Windows comm
// time-outs (see orvel_com.h) by waiting with poll. A self-pipe per open port lets closePort on
// another thread make a pending call fail at once.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "link/orvel_com.h"
#include "link/port_guard.h"

namespace {

using clock_type = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Owns a descriptor.
class fd_holder {
public:
    explicit fd_holder(int fd = -1) : fd_(fd) {}
    ~fd_holder() { reset(); }
    fd_holder(const fd_holder&) = delete;
    fd_holder& operator=(const fd_holder&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

enum class wait_result { ready, timeout, cancelled, failed };

// Waits until fd is ready for `events`, the cancel descriptor (if any) becomes readable, or the
// deadline passes.
wait_result wait_for(int fd, short events, int cancel_fd, clock_type::time_point deadline) {
    for (;;) {
        auto left = std::chrono::ceil<milliseconds>(deadline - clock_type::now()).count();
        if (left < 0)
            left = 0;
        pollfd fds[2] = {{fd, events, 0}, {cancel_fd, POLLIN, 0}};
        int n = ::poll(fds, cancel_fd >= 0 ? 2 : 1,
                       static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return wait_result::failed;
        }
        if (cancel_fd >= 0 && (fds[1].revents & POLLIN))
            return wait_result::cancelled;
        if (fds[0].revents & events)
            return wait_result::ready;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return wait_result::failed;
        if (n == 0 && left == 0)
            return wait_result::timeout;
    }
}

speed_t speed_of(std::uint32_t rate) {
    switch (rate) {
    case 115200:
        return B115200;
    case 230400:
        return B230400;
#ifdef B460800
    case 460800:
        return B460800;
#endif
#ifdef B921600
    case 921600:
        return B921600;
#endif
    default:
        return B115200;
    }
}

// A pseudo-terminal has no modem lines; it counts as answering.
bool is_pseudo_terminal(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    unsigned major_number = major(st.st_rdev);
    return major_number >= 136 && major_number <= 143; // Unix98 pty slaves
}

// Reads with the comm time-outs: done at count bytes, 150 ms after the last byte, or at the
// total deadline. A cancel or a line failure is a failure; a time-out is not. On failure `error`
// is the errno of the failing call (EIO when the device hung up), or 0 for a cancel.
bool timed_read(int fd, int cancel_fd, std::uint8_t* into, std::uint32_t count,
                clock_type::time_point total_deadline, std::uint32_t& got, bool& timed_out,
                int& error) {
    got = 0;
    timed_out = false;
    error = 0;
    clock_type::time_point last{};
    while (got < count) {
        auto deadline =
            got == 0 ? total_deadline
                     : std::min(total_deadline, last + milliseconds(OrvelCom::read_interval_ms));
        if (clock_type::now() >= deadline) {
            timed_out = true;
            return true;
        }
        wait_result w = wait_for(fd, POLLIN, cancel_fd, deadline);
        if (w == wait_result::cancelled)
            return false;
        if (w == wait_result::failed) {
            error = errno != 0 ? errno : EIO;
            return false;
        }
        if (w == wait_result::timeout)
            continue; // the loop head sees the deadline passed
        ssize_t n = ::read(fd, into + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            last = clock_type::now();
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        } else {
            error = n < 0 ? errno : EIO; // end of file or a line error: the device went away
            return false;
        }
    }
    return true;
}

bool timed_write(int fd, int cancel_fd, const std::uint8_t* from, std::uint32_t count,
                 clock_type::time_point deadline, std::uint32_t& sent, int& error) {
    sent = 0;
    error = 0;
    while (sent < count) {
        ssize_t n = ::write(fd, from + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            error = errno;
            return false;
        }
        wait_result w = wait_for(fd, POLLOUT, cancel_fd, deadline);
        if (w == wait_result::timeout)
            return true; // like a comm write time-out: success with what went out
        if (w == wait_result::failed)
            error = errno != 0 ? errno : EIO;
        if (w != wait_result::ready)
            return false;
    }
    return true;
}

// Text of an errno value.
str error_text(int error) {
    errno = error;
    return last_system_error_text();
}

clock_type::time_point read_deadline(clock_type::time_point start, std::uint32_t count) {
    return start + milliseconds(std::uint64_t{OrvelCom::read_constant_ms} +
                                std::uint64_t{OrvelCom::read_per_byte_ms} * count);
}

} // namespace

struct OrvelCom::impl {
    port_guard guard;
    std::recursive_mutex state; // serialises openPort and closePort
    // Self-pipe of the open port: a byte written to cancel_write fails pending calls.
    fd_holder cancel_read;
    fd_holder cancel_write;
};

OrvelCom::OrvelCom() : impl_(std::make_unique<impl>()) {}

OrvelCom::~OrvelCom() {
    closePort();
}

str OrvelCom::deviceName(const str& name) {
    return name;
}

bool OrvelCom::isOpen() const {
    return impl_->guard.isOpen();
}

bool OrvelCom::configurePort(comm_handle handle, int multiplier) {
    int fd = static_cast<int>(handle);
    if (handle < 0 || fd != handle)
        return false;
    bool state_ok = false;
    termios tio;
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        speed_t speed = speed_of(base_rate * static_cast<std::uint32_t>(multiplier));
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        state_ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    // RTS and DTR on; a pseudo-terminal has no such lines.
    int lines = TIOCM_RTS | TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &lines);
    // The time-outs live in the read and write calls and always apply.
    return state_ok;
}

bool OrvelCom::openPort(const str& name) {
    std::lock_guard<std::recursive_mutex> hold(impl_->state);
    closePort();
    noteOpened();
    if (name.empty()) {
        setFailure(link_error::open_failed, str(u"no port named"));
        return false;
    }
    std::string path = deviceName(name).to_utf8();
    fd_holder fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        // EBUSY: another program opened the line exclusively.
        if (errno == EBUSY)
            setFailure(link_error::port_busy);
        else
            setFailure(link_error::open_failed, last_system_error_text());
        return false;
    }
    // Only a terminal device is a serial port; nothing is written to anything else.
    termios probe;
    if (::tcgetattr(fd.get(), &probe) != 0) {
        setFailure(link_error::not_a_port);
        return false;
    }
    // No sharing: nobody else may use the line while we hold it. TIOCEXCL does not stop root, so
    // an exclusive lock is taken as well, which every program that locks the port respects.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            setFailure(link_error::port_busy);
        else
            setFailure(link_error::open_failed, last_system_error_text());
        return false;
    }
    ::ioctl(fd.get(), TIOCEXCL);
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        setFailure(link_error::open_failed, last_system_error_text());
        return false;
    }
    impl_->cancel_read.reset(pipe_fds[0]);
    impl_->cancel_write.reset(pipe_fds[1]);
    configurePort(fd.get(), 1); // the port counts as open even when a setting is refused
    impl_->guard.attach(fd.release());
    emit(this, u"connected", static_cast<vObject*>(this));
    return true;
}

void OrvelCom::closePort() {
    std::lock_guard<std::recursive_mutex> hold(impl_->state);
    if (!impl_->guard.isOpen())
        return;
    emit(this, u"disconnected", static_cast<vObject*>(this));
    port_guard::handle_type handle = -1;
    int cancel = impl_->cancel_write.get();
    impl_->guard.detach(handle, [cancel](port_guard::handle_type) {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(cancel, &byte, 1);
    });
    int fd = static_cast<int>(handle);
    ::tcflush(fd, TCIOFLUSH);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    impl_->cancel_read.reset();
    impl_->cancel_write.reset();
}

bool OrvelCom::readBytes(void* buffer, std::uint32_t count, std::uint32_t* transferred) {
    port_use use(impl_->guard);
    if (!use) {
        setFailure(link_error::no_port);
        return false;
    }
    std::uint32_t got = 0;
    bool timed_out = false;
    int error = 0;
    bool ok = timed_read(static_cast<int>(use.handle()), impl_->cancel_read.get(),
                         static_cast<std::uint8_t*>(buffer), count,
                         read_deadline(clock_type::now(), count), got, timed_out, error);
    if (got > 0)
        noteInput();
    if (!ok)
        setFailure(error == 0 ? link_error::no_port : link_error::port_failed,
                   error == 0 ? str() : error_text(error));
    if (transferred)
        *transferred = got;
    return ok;
}

bool OrvelCom::writeBytes(const void* buffer, std::uint32_t count, std::uint32_t* transferred) {
    port_use use(impl_->guard);
    if (!use) {
        setFailure(link_error::no_port);
        return false;
    }
    std::uint32_t sent = 0;
    int error = 0;
    bool ok = timed_write(static_cast<int>(use.handle()), impl_->cancel_read.get(),
                          static_cast<const std::uint8_t*>(buffer), count,
                          read_deadline(clock_type::now(), count), sent, error);
    if (!ok)
        setFailure(error == 0 ? link_error::no_port : link_error::port_failed,
                   error == 0 ? str() : error_text(error));
    if (transferred)
        *transferred = sent;
    return ok;
}

std::uint32_t OrvelCom::bytesWaiting() {
    port_use use(impl_->guard);
    int waiting = 0;
    if (!use || ::ioctl(static_cast<int>(use.handle()), FIONREAD, &waiting) != 0 || waiting < 0)
        return 0;
    return static_cast<std::uint32_t>(waiting);
}

bool OrvelCom::waitForInput(std::uint32_t ms) {
    port_use use(impl_->guard);
    if (!use)
        return false;
    return wait_for(static_cast<int>(use.handle()), POLLIN, impl_->cancel_read.get(),
                    clock_type::now() + milliseconds(ms)) == wait_result::ready;
}

bool OrvelCom::probePort(const str& name) {
    if (name.empty())
        return false;
    std::string path = deviceName(name).to_utf8();
    fd_holder fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    int status = 0;
    termios tio;
    if (::tcgetattr(fd.get(), &tio) != 0 ||
        (::ioctl(fd.get(), TIOCMGET, &status) != 0 && !is_pseudo_terminal(fd.get())))
        return false; // no modem port
    // A port that another program holds is not disturbed by the question.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    bool result = true;
    configurePort(fd.get(), probe_multiplier);

    // Ask for the serial number; each step may take up to a second. A modem port that says
    // nothing in that time counts as a phone.
    static const char request[] = "AT+CGSN\r";
    std::uint32_t sent = 0;
    auto start = clock_type::now();
    int error = 0;
    if (timed_write(fd.get(), -1, reinterpret_cast<const std::uint8_t*>(request), 8,
                    start + milliseconds(1000), sent, error) &&
        sent == 8) {
        std::uint8_t answer[256] = {};
        std::uint32_t got = 0;
        bool timed_out = false;
        auto read_start = clock_type::now();
        auto limit = read_start + milliseconds(1000);
        bool ok = timed_read(fd.get(), -1, answer, sizeof answer,
                             std::min(limit, read_deadline(read_start, sizeof answer)), got,
                             timed_out, error);
        // The read finished within the second when it filled up, failed, or its 150 ms gap
        // after a byte ended it before the second was over.
        bool finished = !ok || !timed_out || clock_type::now() < limit;
        if (finished) {
            if (!ok || got < 2)
                result = false;
            std::printf(" - %.*s - ", static_cast<int>(got), reinterpret_cast<char*>(answer));
            std::fflush(stdout);
        }
    }
    ::tcflush(fd.get(), TCIOFLUSH);
    fd.reset();
    std::this_thread::sleep_for(milliseconds(10));
    return result;
}
