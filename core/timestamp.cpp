#include "core/timestamp.h"

namespace {

constexpr std::uint64_t ticks_per_second = 10'000'000;
constexpr std::int64_t unix_epoch_seconds = 11'644'473'600; // 1601-01-01 to 1970-01-01

} // namespace

void timestamp::fill_fields() {
    const std::uint64_t secs = filetime / ticks_per_second;
    milliseconds = static_cast<std::uint16_t>(filetime / 10'000 % 1000);
    const std::uint64_t days = secs / 86400;
    const std::uint64_t in_day = secs % 86400;
    hour = static_cast<std::uint16_t>(in_day / 3600);
    minute = static_cast<std::uint16_t>(in_day / 60 % 60);
    second = static_cast<std::uint16_t>(in_day % 60);
    day_of_week = static_cast<std::uint16_t>((days + 1) % 7); // 1601-01-01 was a Monday

    // Civil date from a day count, on 400-year cycles of the Gregorian calendar counted from
    // 1600-03-01 (so that the leap day ends each cycle year).
    const std::uint64_t from_march = days + 306; // 1600-03-01 .. 1601-01-01
    const std::uint64_t era = from_march / 146097;
    const std::uint64_t doe = from_march % 146097;
    const std::uint64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::uint64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::uint64_t mp = (5 * doy + 2) / 153;
    day = static_cast<std::uint16_t>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<std::uint16_t>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<std::uint16_t>(1600 + era * 400 + yoe + (month <= 2 ? 1 : 0));
}

void timestamp::set_unix(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -unix_epoch_seconds) {
        filetime = 0;
    } else {
        filetime = static_cast<std::uint64_t>(seconds + unix_epoch_seconds) * ticks_per_second +
                   nanoseconds / 100;
    }
    fill_fields();
}
