#include "tools/orvelctl/progress.h"

#include <cstdio>

namespace {
constexpr auto redraw_interval = std::chrono::milliseconds(100);
}

progress_line::progress_line(SamsungComm& link, bool enabled, std::uint64_t total)
    : enabled_(enabled), total_(total), start_(std::chrono::steady_clock::now()), last_(start_) {
    if (!enabled_)
        return;
    vObject* sender = &link;
    connect(sender, u"addprogress", this, &progress_line::addProgress);
    connect(sender, u"addprogressmax", this, &progress_line::addProgressMax);
    connect(sender, u"setprogressinfo", this, &progress_line::progressInfo);
}

progress_line::~progress_line() {
    finish();
}

std::string progress_line::format(const std::string& name, std::uint64_t done, std::uint64_t total,
                                  double seconds) {
    // Progress comes in whole chunks; the last one may be shorter than announced.
    if (total != 0 && done > total)
        done = total;
    std::string line = name.empty() ? std::string() : name + "  ";
    line += std::to_string(done) + " bytes";
    if (total != 0)
        line += "  " + std::to_string(done * 100 / total) + "%";
    const std::uint64_t rate = seconds > 0 ? static_cast<std::uint64_t>(done / seconds) : 0;
    line += "  " + std::to_string(rate) + " bytes/s";
    return line;
}

void progress_line::addProgress(std::uint32_t bytes) {
    std::lock_guard<std::mutex> g(m_);
    done_ += bytes;
    if (!finished_)
        show(false);
}

void progress_line::addProgressMax(std::uint32_t bytes) {
    std::lock_guard<std::mutex> g(m_);
    total_ += bytes;
}

void progress_line::progressInfo(const char16_t* text) {
    // "kopiere NAME" while a file moves; empty at its end.
    std::lock_guard<std::mutex> g(m_);
    str info(text ? text : u"");
    const char16_t prefix[] = u"kopiere ";
    if (info.compare(prefix, true, 8) == 0)
        info.erase(0, 8);
    if (!info.empty())
        name_ = info.narrow();
}

void progress_line::show(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - last_ < redraw_interval)
        return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::string line = format(name_, done_, total_, seconds);
    const std::size_t length = line.size();
    // Blanks cover what is left of a longer previous line (no terminal escapes needed).
    if (line.size() < shown_length_)
        line.append(shown_length_ - line.size(), ' ');
    shown_length_ = length;
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void progress_line::finish() {
    std::lock_guard<std::mutex> g(m_);
    if (!enabled_ || finished_)
        return;
    finished_ = true;
    if (done_ == 0 && !shown_)
        return;
    show(true);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
