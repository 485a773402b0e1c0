#include "core/stream.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr std::uint32_t min_allocation = 32;
}

buf::buf(std::uint32_t initial_size) : growth_(initial_size) {
    if (initial_size != 0)
        open();
}

buf::~buf() {
    close();
}

bool buf::open(const char16_t* name) {
    iobase::open(name); // closes
    const std::uint32_t n = growth_ > min_allocation ? growth_ : min_allocation;
    data_ = static_cast<std::uint8_t*>(std::malloc(n));
    allocated_ = data_ ? n : 0;
    size_ = position_ = 0;
    return data_ != nullptr;
}

void buf::close() {
    std::free(data_);
    data_ = nullptr;
    allocated_ = 0;
    size_ = position_ = 0;
}

bool buf::read(void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (!data_)
        return false;
    const std::uint64_t left = remaining();
    const std::uint32_t n = left < count ? static_cast<std::uint32_t>(left) : count;
    if (n != 0)
        std::memcpy(bytes, data_ + position_, n);
    advance(n);
    if (done)
        *done = n;
    return true; // also at the end, with 0 bytes
}

bool buf::write(const void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (count == 0)
        return false;
    const std::uint64_t end = position_ + count;
    if (end > UINT32_MAX || !reserve(static_cast<std::uint32_t>(end)))
        return false;
    std::memcpy(data_ + position_, bytes, count);
    advance(count);
    if (done)
        *done = count;
    return true;
}

bool buf::seek(std::uint64_t position) {
    if (!data_)
        return false;
    position_ = position < size_ ? position : size_;
    return true;
}

bool buf::reserve(std::uint32_t n) {
    growth_ = n;
    if (data_ && allocated_ >= n)
        return true;
    std::uint64_t want = allocated_ == 0 ? n : allocated_;
    while (want < n)
        want *= 2;
    if (want > UINT32_MAX)
        want = n;
    if (want == 0)
        want = min_allocation;
    auto* fresh = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(want)));
    if (!fresh)
        return false;
    if (data_ && size_ != 0)
        std::memcpy(fresh, data_, static_cast<std::size_t>(size_));
    std::free(data_);
    data_ = fresh;
    allocated_ = static_cast<std::uint32_t>(want);
    return true;
}

void buf::empty() {
    size_ = position_ = 0;
}
