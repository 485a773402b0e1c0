#pragma once
// The progress line of a transfer on a terminal: bytes moved, percent and bytes per second,
// rewritten in place on standard error from the link's progress signals.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/vobject.h"
#include "link/samsung_comm.h"

class progress_line : public vObject {
public:
    // Shows nothing unless `enabled`. A total of 0 is unknown until "addprogressmax" brings one.
    progress_line(SamsungComm& link, bool enabled, std::uint64_t total = 0);
    // Ends the line (a final update and a line feed) when anything was shown.
    ~progress_line();

    // The line for the given counts, e.g. "photo.jpg  12400 bytes  50%  6200 bytes/s".
    static std::string format(const std::string& name, std::uint64_t done, std::uint64_t total,
                              double seconds);

    void finish();

private:
    void addProgress(std::uint32_t bytes);
    void addProgressMax(std::uint32_t bytes);
    void progressInfo(const char16_t* text);
    void show(bool force);

    bool enabled_;
    bool shown_ = false;
    std::size_t shown_length_ = 0;
    bool finished_ = false;
    std::mutex m_;
    std::uint64_t done_ = 0;
    std::uint64_t total_;
    std::string name_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};
