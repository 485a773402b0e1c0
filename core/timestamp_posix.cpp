#include "core/timestamp.h"

#include <ctime>

void timestamp::set_now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    long offset = 0;
    if (localtime_r(&now.tv_sec, &local))
        offset = local.tm_gmtoff;
    set_unix(static_cast<std::int64_t>(now.tv_sec) + offset,
             static_cast<std::uint32_t>(now.tv_nsec));
}
