#pragma once
// The phone's side of one serial line: received bytes become AT answers and reply frames, with the
// configured faults applied. Knows nothing of the terminal it runs on.

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tools/phonesim/at_service.h"
#include "tools/phonesim/file_service.h"
#include "tools/phonesim/frame.h"
#include "tools/phonesim/phone_fs.h"
#include "tools/phonesim/phonesim.h"

namespace phonesim {

// Counters and faults, shared between the phone's thread and its owner.
struct SharedState {
    mutable std::mutex mutex;
    Counters counters;
    Faults faults;
};

class Session {
public:
    Session(const Options& options, SharedState& shared);

    // Takes received bytes and appends what the phone sends back to `out`.
    void receive(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
    // Drops partly received input (the line was closed, or a frame stopped arriving).
    void reset();
    bool inside_frame() const { return in_frame_; }
    // Whether the phone has begun to babble (the `babble` fault): it then answers nothing and
    // its owner sends babble_text without end.
    bool babbling() const { return babbling_; }
    // The pause (ms) to keep before sending what the last receive produced; taken once.
    unsigned take_delay() { return std::exchange(delay_ms_, 0u); }

private:
    void take_frame(std::vector<std::uint8_t>& out);
    void take_line(std::vector<std::uint8_t>& out);
    // Counts a request; false when the phone has fallen silent.
    bool count_request(const std::vector<std::uint8_t>& bytes, bool frame, std::uint16_t code);

    SharedState& shared_;
    PhoneFs fs_;
    FileService files_;
    AtService at_;
    FrameReader reader_;
    bool in_frame_ = false;
    bool babbling_ = false;
    unsigned delay_ms_ = 0;
    std::uint64_t chunk_replies_ = 0;  // read-chunk requests answered
    std::uint64_t chunk_writes_ = 0;   // write-chunk requests taken
    std::vector<std::uint8_t> repeat_; // a reply to send again before the next one (`duplicate`)
    std::string line_;
};

} // namespace phonesim
