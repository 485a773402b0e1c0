// The AT command exchange, common to every platform's serial port.

#include "link/orvel_com.h"

namespace {

// How long the answer may take to begin.
constexpr std::uint32_t answer_start_ms = 200;
// Consecutive reads that bring nothing before the exchange gives up on a silent port.
constexpr int max_empty_reads = 2;
// Answers are a few lines long; a port that keeps sending without a result line is given up
// once this many characters have come.
constexpr int max_answer_chars = 4096;

bool is_result_line(const str& line) {
    return line.equals(u"OK", false) || line.equals(u"ERROR", false) || line.equals(u"BUSY", false);
}

// The phone echoes the command; its line starts with "AT".
bool is_echo(const str& line) {
    return line.length() >= 2 && (line[0] | 0x20) == u'a' && (line[1] | 0x20) == u't';
}

} // namespace

bool OrvelCom::sendAT(const str& command, str& reply) {
    reply.clear();
    // A late answer to an earlier command must not pass for this one's.
    std::uint8_t stale[64];
    for (int round = 0; round < 64; ++round) {
        std::uint32_t waiting = bytesWaiting(), got = 0;
        if (waiting == 0 ||
            !readBytes(stale, waiting < sizeof stale ? waiting : sizeof stale, &got))
            break;
    }
    std::uint32_t count = static_cast<std::uint32_t>(command.length());
    std::uint32_t sent = 0;
    if (!writeBytes(command.narrow(), count, &sent) || sent != count)
        return false;
    if (!waitForInput(answer_start_ms))
        return false;

    str line;
    int empty = 0;
    for (;;) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        if (!readBytes(&byte, 1, &got))
            return false;
        if (got == 0) {
            if (++empty >= max_empty_reads)
                return false;
            continue;
        }
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
            return false;
    }
}
