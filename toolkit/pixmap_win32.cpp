// vPixmap: the DIB section, its memory context and direct pixel work.

#include "toolkit/pixmap.h"


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

// GDI drawing queued for the bitmap lands first.
void vPixmap::flushDrawing() const {
    GdiFlush();
}

// The section's rows are bottom-up.
std::uint32_t* vPixmap::rowAt(int y) const {
    return pixels_ + static_cast<std::size_t>(pixHeight_ - 1 - y) * pixWidth_;
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

} // namespace vwin
