// vPixmap over QImage: a 32-bit image (Format_RGB32, the pixel word is the toolkit colour) whose
// memory is written directly; its rows are top-down. The image is the target of the pixmap's own
// memory context, so the painter's operations draw on it.

#include <QtCore/QBuffer>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>
#include <QtWidgets/QWidget>

#include <cstdlib>
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

void vPixmap::flushDrawing() const {}

std::uint32_t* vPixmap::rowAt(int y) const {
    return pixels_ + static_cast<std::size_t>(y) * pixWidth_;
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
