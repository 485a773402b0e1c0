#include <cerrno>
#include <cstring>
#include <type_traits>

#include "link/link_failure.h"

str last_system_error_text() {
    const int code = errno;
    char text[256] = {};
    // The GNU strerror_r answers its text (maybe a static one); the POSIX one fills the buffer.
    auto result = ::strerror_r(code, text, sizeof text);
    if constexpr (std::is_same_v<decltype(result), char*>)
        return str::from_utf8(result ? result : text);
    else
        return str::from_utf8(text);
}
