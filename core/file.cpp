#include "core/stream.h"

// The portable part of file; the platform part lives in file_posix.cpp / file_win32.cpp.

namespace {
constexpr std::uint8_t text_mark[2] = {0xFF, 0xFE}; // 0xFEFF, little-endian
}

bool file::settle_text_mark() {
    if (!refresh_size()) {
        close();
        return false;
    }
    position_ = 0;
    text_marked_ = false;
    if (size_ != 0) {
        std::uint8_t head[2] = {};
        std::uint32_t got = 0;
        text_marked_ =
            read(head, 2, &got) && got == 2 && head[0] == text_mark[0] && head[1] == text_mark[1];
        seek(text_marked_ ? 2 : 0);
    } else if ((creation_ & creation_text_mark) && (creation_ & 3)) {
        std::uint32_t put = 0;
        if (write(text_mark, 2, &put) && put == 2)
            text_marked_ = true;
        else
            seek(0);
    }
    return true;
}

bool file::open_replacing(const char16_t* name) {
    creation_ = create_always;
    return open(name);
}

bool file::open_or_refresh() {
    return is_open() ? refresh_size() : open();
}
