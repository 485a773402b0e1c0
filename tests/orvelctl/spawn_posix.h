#pragma once
// A program started in the background, for tests that act on it while it runs (signals), or that
// start it under limits. Its standard output and error are kept in memory files.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class spawned_program {
public:
    spawned_program() = default;
    ~spawned_program(); // kills a program still running
    spawned_program(const spawned_program&) = delete;
    spawned_program& operator=(const spawned_program&) = delete;

    // Starts `program` with the arguments; `in_child` runs in the child just before exec.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::function<void()>& in_child = {});
    pid_t pid() const { return pid_; }
    // Waits up to limit_ms for the end; true with the exit status (-1: killed by a signal).
    bool wait(int limit_ms, int& code);
    std::string out() const;
    std::string err() const;
    // Whether the running program has the named file open (looked up in /proc).
    bool has_open(const std::string& path) const;

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};
