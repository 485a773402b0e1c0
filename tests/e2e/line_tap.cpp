// orvel-linetap: sits on a serial line between a program and a phone and records what passes.
//
//   orvel-linetap --device PHONE_TTY --record FILE
//
// Opens PHONE_TTY (the phone simulator's pseudo-terminal), makes a new pseudo-terminal, prints the
// path of its device end on the first line of standard output and relays bytes both ways until the
// phone's end goes away or SIGTERM, SIGINT or SIGHUP arrives. The program under test opens the
// printed device instead of the phone's.
//
// The record is a text file, written as traffic passes:
//   > AT+CGMI            a command line the program sent (without its carriage return)
//   < +CBC: 0,80         a non-empty text line the phone answered
//   > [12 bytes]         binary data (protocol frames), by size only
//   < [40 bytes]
// The tap holds its own device end open, so a program may close and reopen the port at will.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

bool make_raw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = write(fd, data, size);
        if (put < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
            continue;
        }
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool printable_text(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c != '\r' && c != '\n' && c != '\t' && (c < 0x20 || c > 0x7e))
            return false;
    }
    return true;
}

// One direction of the record: text is collected into lines, binary chunks are noted by size.
class Recorder {
public:
    Recorder(std::FILE* out, const char* mark) : out_(out), mark_(mark) {}

    void add(const char* data, std::size_t size) {
        if (!printable_text(data, size)) {
            flush_line();
            std::fprintf(out_, "%s [%zu bytes]\n", mark_, size);
            std::fflush(out_);
            return;
        }
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\r' || data[i] == '\n')
                flush_line();
            else
                line_ += data[i];
        }
        std::fflush(out_);
    }

    void flush_line() {
        if (!line_.empty())
            std::fprintf(out_, "%s %s\n", mark_, line_.c_str());
        line_.clear();
    }

private:
    std::FILE* out_;
    const char* mark_;
    std::string line_;
};

int usage() {
    std::fprintf(stderr, "usage: orvel-linetap --device PHONE_TTY --record FILE\n");
    return 2;
}

int fail(const char* what) {
    std::fprintf(stderr, "orvel-linetap: %s: %s\n", what, std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string device, record;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--device") == 0)
            device = argv[i + 1];
        else if (std::strcmp(argv[i], "--record") == 0)
            record = argv[i + 1];
        else
            return usage();
    }
    if (device.empty() || record.empty() || argc % 2 == 0)
        return usage();

    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    Fd signals(signalfd(-1, &stop_signals, SFD_CLOEXEC));
    if (!signals.valid())
        return fail("signalfd");

    Fd phone(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!phone.valid() || !make_raw(phone.get()))
        return fail(device.c_str());

    Fd master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master.valid() || grantpt(master.get()) != 0 || unlockpt(master.get()) != 0)
        return fail("pseudo-terminal");
    const char* name = ptsname(master.get());
    if (!name)
        return fail("ptsname");
    const std::string program_end = name;
    // Our own open of the device end keeps the line up while the program has it closed.
    Fd keep(open(program_end.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!keep.valid() || !make_raw(keep.get()))
        return fail(program_end.c_str());

    std::FILE* out = std::fopen(record.c_str(), "w");
    if (!out)
        return fail(record.c_str());
    Recorder sent(out, ">"), answered(out, "<");

    std::printf("%s\n", program_end.c_str());
    std::fflush(stdout);

    char buffer[4096];
    for (;;) {
        pollfd fds[3] = {
            {master.get(), POLLIN, 0}, {phone.get(), POLLIN, 0}, {signals.get(), POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[2].revents)
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t got = read(master.get(), buffer, sizeof buffer);
            if (got > 0) {
                sent.add(buffer, static_cast<std::size_t>(got));
                if (!write_all(phone.get(), buffer, static_cast<std::size_t>(got)))
                    break;
            }
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t got = read(phone.get(), buffer, sizeof buffer);
            if (got > 0) {
                answered.add(buffer, static_cast<std::size_t>(got));
                if (!write_all(master.get(), buffer, static_cast<std::size_t>(got)))
                    break;
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                break; // the phone is gone
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            break;
        }
    }
    sent.flush_line();
    answered.flush_line();
    std::fclose(out);
    return 0;
}
