// vPixmap over QImage: a 32-bit image (Format_RGB32, the pixel word is the toolkit colour) whose
// memory is written directly; its rows are top-down. The image is the target of the pixmap's own
// memory context, so the painter's operations draw on it.

#include <QtCore/QBuffer>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>
#include <QtWidgets/QWidget>

#include <cstdlib>
#include <cstring>
#include <span>

#include "toolkit/embedded_resources.h"
#include "toolkit/pixmap.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

vPixmap::vPixmap() {
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;
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

bool vPixmap::create(int width, int height, int) {
    if (bitmap_ && width == pixWidth_ && height == pixHeight_)
        return true;
    release();
    if (width <= 0 || height <= 0)
        return false;
    if (!ensureMemoryContext())
        return false;
    auto* bitmap = new HBITMAP__{QImage(width, height, QImage::Format_RGB32)};
    if (bitmap->image.isNull()) {
        delete bitmap;
        return false;
    }
    bitmap->image.fill(0u);
    bitmap_ = bitmap;
    pixels_ = reinterpret_cast<std::uint32_t*>(bitmap->image.bits());
    pixWidth_ = width;
    pixHeight_ = height;
    width_ = width;
    height_ = height;
    info_.bmiHeader.biWidth = width;
    info_.bmiHeader.biHeight = -height; // top-down rows
    dc_->image = &bitmap->image;
    flags_ = 0;
    return true;
}

bool vPixmap::ensureSize(int width, int height) {
    if (bitmap_ && width == pixWidth_ && height == pixHeight_)
        return true;
    return create(width, height, 32);
}

void vPixmap::release() {
    if (dc_)
        dc_->image = nullptr;
    delete bitmap_;
    bitmap_ = nullptr;
    pixels_ = nullptr;
    pixWidth_ = pixHeight_ = 0;
    width_ = height_ = 0;
    deleteMemoryContext();
}

void vPixmap::fillRect(const RECT& rect, vColor color) {
    if (!pixels_)
        return;
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
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(y) * pixWidth_;
        for (int x = left; x < right; ++x)
            row[x] = color;
    }
}

void vPixmap::fill(vColor value) {
    if (!pixels_)
        return;
    const std::size_t n = static_cast<std::size_t>(pixWidth_) * pixHeight_;
    for (std::size_t i = 0; i < n; ++i)
        pixels_[i] = value;
}

vColor vPixmap::pixel(int x, int y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return 0;
    return pixels_[static_cast<std::size_t>(y) * pixWidth_ + x];
}

void vPixmap::setPixel(int x, int y, vColor value) {
    if (!pixels_ || x < 0 || y < 0 || x >= pixWidth_ || y >= pixHeight_)
        return;
    pixels_[static_cast<std::size_t>(y) * pixWidth_ + x] = value;
}

int vPixmap::replaceColor(vColor key, vColor replacement, vColor mask) {
    if (!pixels_)
        return 0;
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
        const int srcRow = topDown ? y : height - 1 - y;
        std::memcpy(pixels_ + static_cast<std::size_t>(y) * width,
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
    originX_ = other.originX_;
    originY_ = other.originY_;
    other.dc_ = nullptr;
    other.ownsDc_ = false;
    other.bitmap_ = nullptr;
    other.pixels_ = nullptr;
    other.pixWidth_ = other.pixHeight_ = 0;
    other.width_ = other.height_ = 0;
    other.originX_ = other.originY_ = 0;
}

// A packed DIB: 32-bit rows as they are, 24-bit rows widened; other depths are refused.
bool vPixmap::fromPackedDib(const BITMAPINFO* header, const void* bits) {
    if (!header || !bits)
        return false;
    const BITMAPINFOHEADER& h = header->bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (width <= 0 || height <= 0 || h.biCompression != 0)
        return false;
    const bool topDown = h.biHeight < 0;
    if (h.biBitCount == 32)
        return adoptRows(bits, width, height, width * 4, topDown);
    if (h.biBitCount != 24 || !create(width, height, 32))
        return false;
    const int stride = (width * 3 + 3) & ~3;
    const auto* base = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height; ++y) {
        const unsigned char* src =
            base + static_cast<std::ptrdiff_t>(topDown ? y : height - 1 - y) * stride;
        for (int x = 0; x < width; ++x)
            setPixel(x, y,
                     (std::uint32_t(src[3 * x + 2]) << 16) | (std::uint32_t(src[3 * x + 1]) << 8) |
                         src[3 * x]);
    }
    return true;
}

bool vPixmap::fromBitmap(HBITMAP bitmap) {
    if (!bitmap || bitmap->image.isNull())
        return false;
    const QImage image = bitmap->image.convertToFormat(QImage::Format_RGB32);
    return adoptRows(image.constBits(), image.width(), image.height(),
                     static_cast<int>(image.bytesPerLine()), true);
}

// The window's picture as its widgets paint it (QWidget::grab).
bool vPixmap::grabWindow(HWND window, bool, int width, int height, int x, int y, double opacity,
                         int border, int margin) {
    if (!window)
        return false;
    qt::host* h = qt::host_of(window);
    if (width <= 0)
        width = h->clientWidth();
    if (height <= 0)
        height = h->clientHeight();
    if (width <= 0 || height <= 0 || !create(width + 2 * margin, height + 2 * margin, 32))
        return false;
    const QImage shot = h->grab(QRect(x + border, y + border, width, height))
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&bitmap_->image);
        p.drawImage(margin, margin, shot);
    }
    if (opacity >= 0)
        setAlpha(static_cast<std::uint8_t>((opacity > 1 ? 1 : opacity) * 255));
    return true;
}

HMODULE programResources() {
    return nullptr;
}

// The program's pictures are built into it (embedded_resources.h); the module is not used. An icon
// file gives its image nearest to `size` (0: 32 pixels) with its alpha; a bitmap its colours with
// a zero top byte, as a Windows bitmap resource has.
bool vPixmap::loadResource(HMODULE, int id, int size) {
    release();
    const std::span<const unsigned char> bytes = embeddedResource(id);
    if (bytes.empty())
        return false;
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    const bool icon = reader.format() == "ico";
    const int wanted = size > 0 ? size : 32;
    QImage best;
    for (int i = 0, n = icon ? reader.imageCount() : 1; i < n; ++i) {
        if (icon && !reader.jumpToImage(i))
            break;
        QImage image = reader.read();
        if (image.isNull())
            continue;
        if (best.isNull() || std::abs(image.width() - wanted) < std::abs(best.width() - wanted))
            best = std::move(image);
    }
    if (best.isNull())
        return false;
    best = best.convertToFormat(icon ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (!adoptRows(best.constBits(), best.width(), best.height(),
                   static_cast<int>(best.bytesPerLine()), true))
        return false;
    if (!icon)
        for (std::size_t i = 0, n = static_cast<std::size_t>(pixWidth_) * pixHeight_; i < n; ++i)
            pixels_[i] &= 0x00FFFFFF;
    return true;
}

} // namespace vwin
