#pragma once
// A moment as calendar fields (local time) and as a 64-bit count of 100 ns intervals since
// 1601-01-01 (the Windows file time), holding the same moment.

#include <cstdint>

struct timestamp {
    std::uint16_t year = 0, month = 0, day_of_week = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    std::uint64_t filetime = 0;

    // Sets both forms to the current local time.
    void set_now();
    // Fills the calendar fields from `filetime` (day_of_week: 0 is Sunday).
    void fill_fields();
    // Sets both forms from a count of seconds and nanoseconds since 1970-01-01 (as given, no
    // time-zone shift). Moments before 1601 become 1601-01-01.
    void set_unix(std::int64_t seconds, std::uint32_t nanoseconds = 0);
};
