// The pixel operations of vPixmap that both drivers share: the pixels are 32-bit words in the
// memory of the bitmap; the drivers say where a row lies and let queued drawing land first.

#include <cstring>

#include "toolkit/pixmap.h"

namespace vwin {

vPixmap::~vPixmap() {
    release();
}

bool vPixmap::valid() const {
    return bitmap_ != nullptr;
}

bool vPixmap::ensureSize(int width, int height) {
    if (bitmap_ && width == pixWidth_ && height == pixHeight_)
        return true;
    return create(width, height, 32);
}

void vPixmap::fillRect(const RECT& rect, vColor color) {
    if (!pixels_)
        return;
    flushDrawing();
    int left = rect.left + originX_, right = rect.right + originX_;
    int top = rect.top + originY_, bottom = rect.bottom + originY_;
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    if (right > pixWidth_)
        right = pixWidth_;
    if (bottom > pixHeight_)
        bottom = pixHeight_;
    if (left >= right || top >= bottom)
        return;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = rowAt(y);
        for (int x = left; x < right; ++x)
            row[x] = color;
    }
}

void vPixmap::fill(vColor value) {
    if (!pixels_)
        return;
    flushDrawing();
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    for (std::size_t i = 0; i < n; ++i)
        pixels_[i] = value;
}

vColor vPixmap::pixel(int x, int y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return 0;
    flushDrawing();
    return rowAt(y)[x];
}

void vPixmap::setPixel(int x, int y, vColor value) {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return;
    flushDrawing();
    rowAt(y)[x] = value;
}

int vPixmap::replaceColor(vColor key, vColor replacement, vColor mask) {
    if (!pixels_)
        return 0;
    flushDrawing();
    int count = 0;
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    for (std::size_t i = 0; i < n; ++i) {
        if ((pixels_[i] & mask) == (key & mask)) {
            pixels_[i] = replacement;
            ++count;
        }
    }
    return count;
}

void vPixmap::setAlpha(std::uint8_t alpha) {
    if (!pixels_)
        return;
    flushDrawing();
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
    for (std::size_t i = 0; i < n; ++i)
        pixels_[i] = (pixels_[i] & 0x00FFFFFF) | a;
}

bool vPixmap::copyFrom(const vPixmap& other) {
    if (&other == this)
        return valid();
    if (!other.pixels_) {
        release();
        return false;
    }
    flushDrawing();
    if (!ensureSize(other.pixWidth_, other.pixHeight_))
        return false;
    std::memcpy(pixels_, other.pixels_,
                static_cast<std::size_t>(pixWidth_) * pixHeight_ * sizeof(std::uint32_t));
    flags_ = other.flags_;
    return true;
}

void vPixmap::takeFrom(vPixmap& other) {
    if (&other == this)
        return;
    release();
    dc_ = other.dc_;
    ownsDc_ = other.ownsDc_;
    bitmap_ = other.bitmap_;
    pixels_ = other.pixels_;
    pixWidth_ = other.pixWidth_;
    pixHeight_ = other.pixHeight_;
    width_ = other.width_;
    height_ = other.height_;
    info_ = other.info_;
    flags_ = other.flags_;
    previous_ = other.previous_;
    originX_ = other.originX_;
    originY_ = other.originY_;
    other.dc_ = nullptr;
    other.ownsDc_ = false;
    other.bitmap_ = nullptr;
    other.pixels_ = nullptr;
    other.pixWidth_ = other.pixHeight_ = 0;
    other.width_ = other.height_ = 0;
    other.previous_ = nullptr;
    other.originX_ = other.originY_ = 0;
}

bool vPixmap::adoptRows(const void* rows, int width, int height, int stride, bool topDown) {
    if (!rows || !create(width, height, 32))
        return false;
    const auto* base = static_cast<const unsigned char*>(rows);
    for (int y = 0; y < height; ++y) {
        // Source row y (top-down when topDown) goes to image row y from the top.
        const int srcRow = topDown ? y : height - 1 - y;
        std::memcpy(rowAt(y), base + static_cast<std::ptrdiff_t>(srcRow) * stride,
                    static_cast<std::size_t>(width) * 4);
    }
    flags_ = 0;
    return true;
}

} // namespace vwin
