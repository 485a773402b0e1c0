#include "tests/orvelctl/spawn_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {
std::string contents(int fd) {
    std::string text;
    char chunk[4096];
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, chunk, sizeof chunk, at);
        if (got <= 0)
            return text;
        text.append(chunk, static_cast<std::size_t>(got));
        at += got;
    }
}
} // namespace

spawned_program::~spawned_program() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_, err_})
        if (fd >= 0)
            ::close(fd);
}

bool spawned_program::start(const std::string& program, const std::vector<std::string>& args,
                            const std::function<void()>& in_child) {
    out_ = ::memfd_create("orvel-out", MFD_CLOEXEC);
    err_ = ::memfd_create("orvel-err", MFD_CLOEXEC);
    if (out_ < 0 || err_ < 0)
        return false;
    std::vector<std::string> owned = args;
    owned.insert(owned.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null_in = ::open("/dev/null", O_RDONLY);
        ::dup2(null_in, STDIN_FILENO);
        ::dup2(out_, STDOUT_FILENO);
        ::dup2(err_, STDERR_FILENO);
        if (in_child)
            in_child();
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid_ > 0;
}

bool spawned_program::wait(int limit_ms, int& code) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string spawned_program::out() const {
    return contents(out_);
}

std::string spawned_program::err() const {
    return contents(err_);
}

bool spawned_program::has_open(const std::string& path) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path fds = "/proc/" + std::to_string(pid_) + "/fd";
    for (auto it = fs::directory_iterator(fds, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code link_ec;
        if (fs::read_symlink(it->path(), link_ec) == path)
            return true;
    }
    return false;
}
