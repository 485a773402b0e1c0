// The scripted pseudo-terminal peer of the serial and protocol tests.

#include "tests/link/serial_peer_posix.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

serial_peer::serial_peer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    path_ = ::ptsname(master_);
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Raw from the start, so nothing is echoed or translated before the port configures it.
    termios tio;
    if (slave_ >= 0 && ::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    thread_ = std::thread([this] { run(); });
}

serial_peer::~serial_peer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

void serial_peer::on_frame(frame_handler handler) {
    std::lock_guard<std::mutex> hold(mutex_);
    on_frame_ = std::move(handler);
}

void serial_peer::on_line(line_handler handler) {
    std::lock_guard<std::mutex> hold(mutex_);
    on_line_ = std::move(handler);
}

void serial_peer::send(const bytes& data) {
    write_answer({{data, 0}});
}

std::vector<bytes> serial_peer::frames() {
    std::lock_guard<std::mutex> hold(mutex_);
    return frames_;
}

std::vector<std::uint16_t> serial_peer::codes() {
    std::vector<std::uint16_t> out;
    for (const bytes& f : frames())
        out.push_back(code_of(f));
    return out;
}

int serial_peer::acks() {
    std::lock_guard<std::mutex> hold(mutex_);
    return acks_;
}

std::vector<std::string> serial_peer::lines() {
    std::lock_guard<std::mutex> hold(mutex_);
    return lines_;
}

bytes serial_peer::received() {
    std::lock_guard<std::mutex> hold(mutex_);
    return received_;
}

void serial_peer::run() {
    while (!stop_) {
        pollfd p = {master_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
            continue;
        std::uint8_t chunk[4096];
        ssize_t n = ::read(master_, chunk, sizeof chunk);
        for (ssize_t i = 0; i < n; ++i)
            handle(chunk[i]);
    }
}

void serial_peer::handle(std::uint8_t byte) {
    answer reply;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        received_.push_back(byte);
        if (pending_.empty() && byte == '\n')
            return; // a stray line feed between lines
        pending_.push_back(byte);
        if (pending_[0] == 0x7F) {
            if (pending_.size() < 4)
                return;
            std::size_t length = pending_[1] | pending_[2] << 8;
            if (pending_.size() < length + 5)
                return;
            bytes frame;
            frame.swap(pending_);
            if (length == 1 && frame[4] == 1) {
                ++acks_;
                return;
            }
            frames_.push_back(frame);
            if (on_frame_)
                reply = on_frame_(frame);
        } else {
            if (byte != '\r')
                return;
            std::string line(pending_.begin(), pending_.end() - 1);
            pending_.clear();
            lines_.push_back(line);
            if (on_line_)
                reply = on_line_(line);
        }
    }
    write_answer(reply);
}

void serial_peer::write_answer(const answer& a) {
    for (const piece& p : a) {
        if (p.pause_ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(p.pause_ms));
        std::size_t done = 0;
        while (done < p.data.size()) {
            ssize_t n = ::write(master_, p.data.data() + done, p.data.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
        }
    }
}
