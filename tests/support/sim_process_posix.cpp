#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "tests/support/sim_process.h"
#include "tests/support/sim_process_args.h"

struct sim_process::platform {
    pid_t pid = -1;
};

namespace {

// The first line the child writes to `fd`, waiting at most `ms` milliseconds.
std::string read_line(int fd, int ms) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd poller{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&poller, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
}

} // namespace

sim_process::sim_process() : platform_(new platform) {}

sim_process::~sim_process() {
    stop();
    delete platform_;
}

bool sim_process::start(const std::string& root, const std::vector<std::string>& faults,
                        unsigned baud) {
    stop();
    const char* program = std::getenv("ORVEL_PHONESIM");
    if (!program || !*program)
        return false;
    std::vector<std::string> args = sim_process_arguments(root, faults, baud);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execv(program, argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return false;
    }
    platform_->pid = pid;
    device_ = read_line(out[0], 10000);
    close(out[0]);
    if (device_.empty()) {
        stop();
        return false;
    }
    port_ = device_;
    return true;
}

void sim_process::stop() {
    if (platform_->pid > 0) {
        kill(platform_->pid, SIGTERM);
        // A simulator that does not end within 5 s is killed.
        bool ended = false;
        for (int i = 0; i < 500 && !ended; ++i) {
            ended = waitpid(platform_->pid, nullptr, WNOHANG) != 0;
            if (!ended)
                usleep(10000);
        }
        if (!ended) {
            kill(platform_->pid, SIGKILL);
            while (waitpid(platform_->pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    platform_->pid = -1;
    port_.clear();
    device_.clear();
}

bool sim_process::running() const {
    if (platform_->pid <= 0)
        return false;
    if (waitpid(platform_->pid, nullptr, WNOHANG) == 0)
        return true;
    platform_->pid = -1; // ended (and now reaped)
    return false;
}
