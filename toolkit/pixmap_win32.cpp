// vPixmap: the DIB section, its memory context and direct pixel work.

#include "toolkit/pixmap.h"

#include <cstring>

namespace vwin {

vPixmap::vPixmap() {
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;
    info_.bmiHeader.biCompression = BI_RGB;
    info_.bmiHeader.biWidth = -1;
    info_.bmiHeader.biHeight = -1;
}

vPixmap::vPixmap(int width, int height) : vPixmap() {
    create(width, height, 32);
}

vPixmap::vPixmap(HMODULE module, int id, int size) : vPixmap() {
    loadResource(module, id, size);
}

vPixmap::~vPixmap() {
    release();
}

bool vPixmap::valid() const {
    return bitmap_ != nullptr;
}

bool vPixmap::create(int width, int height, int bitsPerPixel) {
    (void)bitsPerPixel; // always 32 bits per pixel in use
    if (bitmap_ && width == pixWidth_ && height == pixHeight_)
        return true;
    release();
    if (width <= 0 || height <= 0)
        return false;
    if (!ensureMemoryContext())
        return false;
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = width;
    info_.bmiHeader.biHeight = height; // positive: bottom-up rows
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;
    info_.bmiHeader.biCompression = BI_RGB;
    info_.bmiHeader.biSizeImage = 0;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, &info_, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return false;
    }
    bitmap_ = bitmap;
    pixels_ = static_cast<std::uint32_t*>(bits);
    pixWidth_ = width;
    pixHeight_ = height;
    width_ = width;
    height_ = height;
    previous_ = SelectObject(dc_, bitmap_);
    flags_ = 0;
    return true;
}

bool vPixmap::ensureSize(int width, int height) {
    if (bitmap_ && width == pixWidth_ && height == pixHeight_)
        return true;
    return create(width, height, 32);
}

void vPixmap::release() {
    if (dc_ && previous_)
        SelectObject(dc_, previous_);
    previous_ = nullptr;
    if (bitmap_) {
        GdiFlush();
        DeleteObject(bitmap_);
    }
    bitmap_ = nullptr;
    pixels_ = nullptr;
    pixWidth_ = pixHeight_ = 0;
    width_ = height_ = 0;
    deleteMemoryContext();
}

void vPixmap::fillRect(const RECT& rect, vColor color) {
    if (!pixels_)
        return;
    GdiFlush(); // GDI drawing queued for the bitmap lands first
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
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(pixHeight_ - 1 - y) * pixWidth_;
        for (int x = left; x < right; ++x)
            row[x] = color;
    }
}

void vPixmap::fill(vColor value) {
    if (!pixels_)
        return;
    GdiFlush();
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    for (std::size_t i = 0; i < n; ++i)
        pixels_[i] = value;
}

vColor vPixmap::pixel(int x, int y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return 0;
    GdiFlush();
    return pixels_[static_cast<std::size_t>(pixHeight_ - 1 - y) * pixWidth_ + x];
}

void vPixmap::setPixel(int x, int y, vColor value) {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return;
    GdiFlush();
    pixels_[static_cast<std::size_t>(pixHeight_ - 1 - y) * pixWidth_ + x] = value;
}

int vPixmap::replaceColor(vColor key, vColor replacement, vColor mask) {
    if (!pixels_)
        return 0;
    GdiFlush();
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
    GdiFlush();
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
    for (std::size_t i = 0; i < n; ++i)
        pixels_[i] = (pixels_[i] & 0x00FFFFFF) | a;
}

bool vPixmap::adoptRows(const void* rows, int width, int height, int stride, bool topDown) {
    if (!rows || !create(width, height, 32))
        return false;
    const auto* base = static_cast<const unsigned char*>(rows);
    for (int y = 0; y < height; ++y) {
        // Source row y (top-down when topDown) goes to image row y from the top.
        const int srcRow = topDown ? y : height - 1 - y;
        std::memcpy(pixels_ + static_cast<std::size_t>(height - 1 - y) * width,
                    base + static_cast<std::ptrdiff_t>(srcRow) * stride,
                    static_cast<std::size_t>(width) * 4);
    }
    flags_ = 0;
    return true;
}

bool vPixmap::copyFrom(const vPixmap& other) {
    if (&other == this)
        return valid();
    if (!other.pixels_) {
        release();
        return false;
    }
    GdiFlush();
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

} // namespace vwin
