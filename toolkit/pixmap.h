#pragma once
// vPixmap: an off-screen 32-bit image (a DIB section; a QImage under the Qt driver) that is itself
// a memory painter. Pixels are toolkit colour values 0xAARRGGBB; the Win32 driver stores the rows
// bottom-up (the first row in memory is the bottom row), the Qt driver top-down, but every
// coordinate of this class counts from the top, like the screen.

#include "toolkit/platform_types.h"

#include <cstdint>

#include "toolkit/painter.h"

namespace vwin {

// The module whose resources are the program's own pictures (the program file on Windows; the
// Qt driver's pictures are built into the program and need none).
HMODULE programResources();

class vPixmap : public vPainter {
public:
    // Empty: width and height -1, 32 bits per pixel, no bitmap.
    vPixmap();
    // With a bitmap of that size (nothing for sizes of 0 or less).
    vPixmap(int width, int height);
    // Loaded from a resource (see loadResource); empty when no loader can read it.
    vPixmap(HMODULE module, int id, int size = 0);
    // Moving takes over the other's context and bitmap (takeFrom), leaving it empty.
    vPixmap(vPixmap&& other) noexcept : vPixmap() { takeFrom(other); }
    vPixmap& operator=(vPixmap&& other) noexcept {
        takeFrom(other);
        return *this;
    }

    // Virtual operations, in slot order (after the painter's destructor, fillRect and valid).
    ~vPixmap() override;
    // Writes the colour into every pixel of the rectangle (moved by the origin) clipped to the
    // image, directly into memory.
    void fillRect(const RECT& rect, vColor color) override;
    using vPainter::fillRect;
    bool valid() const override; // has a bitmap
    // Nothing when a bitmap of that size exists; else releases the old one and, for positive
    // sizes, creates a DIB section (always 32 bits per pixel) selected into the memory context.
    // True when there is a bitmap.
    virtual bool create(int width, int height, int bitsPerPixel = 32);
    // True when already that size, else create(width, height, 32).
    virtual bool ensureSize(int width, int height);
    // From a packed DIB (header and bits): through GDI+ when it runs, else through GDI.
    virtual bool fromPackedDib(const BITMAPINFO* header, const void* bits);
    // A copy of a bitmap, fetched as 32 bits per pixel (by a block transfer when its size
    // cannot be read).
    virtual bool fromBitmap(HBITMAP bitmap);
    // This pixmap gets the other's size and pixels; an empty other empties this one.
    virtual bool copyFrom(const vPixmap& other);
    // The window's client picture, from (x + border, y + border) of its client area, into a
    // pixmap of (width + 2 margin) x (height + 2 margin) at (margin, margin); sizes of 0 or less
    // take the client size. Through PrintWindow (loaded from user32 on first use) when asked and
    // available, else by a block transfer from the window's context. With an opacity of 0 or
    // more, every pixel's alpha becomes opacity * 255 (opacity 0..1).
    virtual bool grabWindow(HWND window, bool usePrint, int width = 0, int height = 0, int x = 0,
                            int y = 0, double opacity = -1, int border = 0, int margin = 0);
    // Takes over the other's context, bitmap and pixels, leaving it empty.
    virtual void takeFrom(vPixmap& other);
    // Every pixel becomes `value`.
    virtual void fill(vColor value);
    // Restores the previous bitmap, deletes this one, zeroes the size and deletes the context.
    virtual void release();

    // Loads a bitmap or icon resource. A null module means this program's own when 0 <= id <
    // 32000 (the system's otherwise). In order: a GDI+ bitmap (when GDI+ runs); an icon of that
    // id at `size` (0: the system icon size), opaque where its mask is 0, transparent elsewhere;
    // a bitmap resource as a DIB section. False (and empty) when none can read it.
    bool loadResource(HMODULE module, int id, int size = 0);

    int width() const { return pixWidth_; }
    int height() const { return pixHeight_; }
    HBITMAP bitmap() const { return bitmap_; }
    // The pixel memory in the driver's row order (see above); null without a bitmap.
    std::uint32_t* pixels() const { return pixels_; }
    // A pixel by top-down coordinates; 0 outside the image.
    vColor pixel(int x, int y) const;
    void setPixel(int x, int y, vColor value);
    // Keyed colours: every pixel whose bits under `mask` equal key's becomes `replacement`.
    // Answers the number of pixels replaced.
    int replaceColor(vColor key, vColor replacement, vColor mask = 0x00FFFFFF);
    // Every pixel's alpha byte becomes `alpha`.
    void setAlpha(std::uint8_t alpha);
    // The flag word (0 after loading).
    std::uint32_t flags() const { return flags_; }
    void setFlags(std::uint32_t flags) { flags_ = flags; }

private:
    // Driver parts of the shared pixel operations: queued drawing lands in the pixels, and the
    // first pixel of row y (top row 0).
    void flushDrawing() const;
    std::uint32_t* rowAt(int y) const;
    bool adoptRows(const void* rows, int width, int height, int stride, bool topDown);

    int pixWidth_ = -1;
    int pixHeight_ = -1;
    HBITMAP bitmap_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    BITMAPINFO info_{};
    std::uint32_t flags_ = 0;
    HGDIOBJ previous_ = nullptr; // the bitmap selected into the context before this one
};

} // namespace vwin
