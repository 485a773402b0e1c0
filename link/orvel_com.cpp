// The AT command exchange and the parts of the serial port common to every platform: failure
// reasons and keeping the line in step after a failed exchange.

#include "link/orvel_com.h"

#include <algorithm>
#include <chrono>

namespace {

// How long the answer may take to begin.
constexpr std::uint32_t answer_start_ms = 200;
// Consecutive reads that bring nothing before the exchange gives up on a silent port.
constexpr int max_empty_reads = 2;
// Answers are a few lines long; a port that keeps sending without a result line is given up
// once this many characters have come.
constexpr int max_answer_chars = 4096;

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           1; // never 0, which stands for "not set"
}

bool is_result_line(const str& line) {
    return line.equals(u"OK", false) || line.equals(u"ERROR", false) || line.equals(u"BUSY", false);
}

// The phone echoes the command; its line starts with "AT".
bool is_echo(const str& line) {
    return line.length() >= 2 && (line[0] | 0x20) == u'a' && (line[1] | 0x20) == u't';
}

} // namespace

link_failure OrvelCom::lastFailure() const {
    std::lock_guard<std::mutex> hold(failure_lock_);
    return failure_;
}

void OrvelCom::setFailure(link_error error, const str& detail) {
    std::lock_guard<std::mutex> hold(failure_lock_);
    failure_.error = error;
    failure_.detail = detail;
}

void OrvelCom::markOutOfStep() {
    out_of_step_since_.store(now_ms());
}

void OrvelCom::noteOpened() {
    out_of_step_since_.store(0);
    open_count_.fetch_add(1);
}

void OrvelCom::noteInput() {
    last_input_.store(now_ms());
}

bool OrvelCom::dropWaiting() {
    std::uint8_t sink[256];
    for (int round = 0; round < 64; ++round) {
        const std::uint32_t waiting = bytesWaiting();
        if (waiting == 0)
            return true;
        std::uint32_t got = 0;
        if (!readBytes(sink, std::min<std::uint32_t>(waiting, sizeof sink), &got))
            return false;
        if (got == 0)
            return true;
    }
    return true;
}

bool OrvelCom::settleInput() {
    if (!isOpen()) {
        setFailure(link_error::no_port);
        return false;
    }
    if (!outOfStep())
        return dropWaiting();
    const std::int64_t start = now_ms();
    for (;;) {
        const std::int64_t now = now_ms();
        const std::int64_t quiet_from = std::max(out_of_step_since_.load(), last_input_.load());
        const std::uint32_t waiting = bytesWaiting();
        if (waiting == 0 && now - quiet_from >= quiet_ms) {
            out_of_step_since_.store(0);
            return true;
        }
        if (now - start >= settle_limit_ms) {
            setFailure(link_error::incomplete, str(u"the line does not fall quiet"));
            return false;
        }
        if (waiting > 0) {
            if (!dropWaiting())
                return false;
        } else {
            const std::int64_t left = quiet_ms - (now - quiet_from);
            waitForInput(static_cast<std::uint32_t>(std::clamp<std::int64_t>(left, 1, quiet_ms)));
            if (!isOpen()) {
                setFailure(link_error::no_port);
                return false;
            }
        }
    }
}

bool OrvelCom::sendAT(const str& command, str& reply) {
    reply.clear();
    // A late answer to an earlier command must not pass for this one's.
    if (!settleInput())
        return false;
    std::uint32_t count = static_cast<std::uint32_t>(command.length());
    std::uint32_t sent = 0;
    const bool written = writeBytes(command.narrow(), count, &sent);
    if (!written || sent != count) {
        if (written)
            setFailure(link_error::port_failed, str(u"the command was not sent whole"));
        markOutOfStep();
        return false;
    }
    if (!waitForInput(answer_start_ms)) {
        setFailure(isOpen() ? link_error::no_answer : link_error::no_port);
        markOutOfStep();
        return false;
    }

    str line;
    int empty = 0;
    const std::int64_t deadline = now_ms() + answer_limit_ms;
    // Anything but the echo of the command counts as the start of an answer.
    auto unanswered = [&] { return reply.empty() && (line.empty() || is_echo(line)); };
    auto give_up = [&](link_error error) {
        setFailure(error);
        markOutOfStep();
        return false;
    };
    for (;;) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        if (!readBytes(&byte, 1, &got)) {
            markOutOfStep();
            return false;
        }
        if (got == 0) {
            if (++empty >= max_empty_reads)
                return give_up(unanswered() ? link_error::no_answer : link_error::incomplete);
        } else {
            empty = 0;
            if (byte == 0x0A) {
                if (is_result_line(line))
                    return true;
                if (!line.empty() && !is_echo(line)) {
                    if (!reply.empty())
                        reply.append(u'\n');
                    reply.append(line);
                }
                line.clear();
            } else if (byte != 0x0D) {
                line.append(static_cast<char16_t>(byte));
            }
            if (reply.length() + line.length() > max_answer_chars)
                return give_up(link_error::incomplete);
        }
        // Bytes that keep trickling in without a result line end the exchange all the same.
        if (now_ms() >= deadline)
            return give_up(unanswered() ? link_error::no_answer : link_error::incomplete);
    }
}
