#pragma once
// Sends the phone's bytes to the master end of the terminal, paced like a serial line when asked:
// 10 bits per byte at the given rate, plus an optional gap after every byte. Every wait also
// watches a wake descriptor, so stopping the phone interrupts a slow reply at once.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace phonesim {

class Output {
public:
    Output(int master, int wake) : master_(master), wake_(wake) {}

    // False when the phone is being stopped or the terminal end is closed.
    bool send(const std::uint8_t* data, std::size_t size, unsigned baud, unsigned gap_ms);
    // Waits ms milliseconds; false when the phone is being stopped meanwhile.
    bool pause(unsigned ms) { return wait_until(clock::now() + std::chrono::milliseconds(ms)); }

private:
    using clock = std::chrono::steady_clock;
    bool write_all(const std::uint8_t* data, std::size_t size);
    // Waits until `when`; false when woken.
    bool wait_until(clock::time_point when);

    int master_;
    int wake_;
    clock::time_point next_slot_{};
};

} // namespace phonesim
