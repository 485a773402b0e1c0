#include "core/stream.h"

#include <memory>
#include <new>

iobase::iobase() {
    stamp_.set_now();
}

iobase::~iobase() = default;

bool iobase::open(const char16_t* name) {
    close();
    if (name)
        name_.assign(name);
    return true;
}

bool iobase::truncate() {
    return false;
}

bool iobase::copy_to(iobase& dest) {
    constexpr std::uint32_t chunk = 65536;
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[chunk]);
    if (!block)
        return false;
    for (;;) {
        std::uint32_t got = 0;
        if (!read(block.get(), chunk, &got) || got == 0)
            return true;
        std::uint32_t put = 0;
        // A short write would lose the rest of the chunk: that is a failure too.
        if (!dest.write(block.get(), got, &put) || put != got)
            return false;
    }
}

std::uint64_t iostore::remaining() {
    return size_ > position_ ? size_ - position_ : 0;
}

bool iostore::copy_to(iobase& dest) {
    return seek(0) && iobase::copy_to(dest);
}

void iostore::advance(std::uint64_t count) {
    position_ += count;
    if (position_ > size_)
        size_ = position_;
}

void iostore::slashes() {
    char16_t* p = name_.buffer();
    for (int i = 0; i < name_.length(); ++i)
        if (p[i] == u'\\')
            p[i] = u'/';
    name_.sync_from_wide();
}
