#pragma once
// Drawing: colours, the font object, and vPainter, a thin wrapper of a device context.
//
// Colours are toolkit colour values 0xAARRGGBB (blue in the low byte, the layout of a 32-bit DIB
// pixel). Every call that hands a colour to GDI swaps red and blue (COLORREF 0x00BBGGRR, alpha
// dropped); the pixel operations of vPixmap store the value unchanged.

#include "toolkit/platform_types.h"

#include <cstdint>

#include "core/str.h"

class lib;

namespace vwin {

class vPixmap;

// A toolkit colour value, 0xAARRGGBB.
using vColor = std::uint32_t;

// Toolkit colour -> COLORREF (red and blue swapped, alpha dropped) and back (alpha 0).
inline COLORREF toColorRef(vColor c) {
    return static_cast<COLORREF>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}
inline vColor fromColorRef(COLORREF c) {
    return static_cast<vColor>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}
// The platform's system colour of that index (GetSysColor) as a toolkit colour.
vColor systemColor(int index);

// Hue 0..1535 (six sectors of 256: red 0, yellow 256, green 512, cyan 768, blue 1024, magenta
// 1280), saturation and value 0..255. The alpha byte is ignored by toHsv and 0 from fromHsv.
void toHsv(vColor color, int& hue, int& saturation, int& value);
vColor fromHsv(int hue, int saturation, int value);

// Process-wide drawing services, set up once by the program before its windows are made.
// GDI+ (GdiplusStartup, input version 1); true when it is running. Later calls answer the first
// result. The token is kept for the life of the process.
bool startGdiplus();
bool gdiplusStarted();
// The loaded library whose AlphaBlend the painters use; null (the default) degrades blending to
// plain copying. The library must outlive its registration.
void setBlendLibrary(const lib* library);
const lib* blendLibrary();

// "msimg32.dll", loaded at construction and registered with setBlendLibrary until destroyed.
class vBlendLibrary {
public:
    vBlendLibrary();
    ~vBlendLibrary();
    vBlendLibrary(const vBlendLibrary&) = delete;
    vBlendLibrary& operator=(const vBlendLibrary&) = delete;
    bool loaded() const;

private:
    lib* library_;
};

// Font style bits.
enum : int {
    font_italic = 1,
    font_underline = 2,
    font_strikeout = 4,
};

// The font object: a platform font made from a face name, a height, a weight on a 0..100 scale
// (platform weight = weight * 800 / 100 + 100: 50 gives 500, 75 gives 700), style bits and a
// quality 0..100 (100 and above ClearType, below 50 non-antialiased, else antialiased).
class vFont {
public:
    vFont() = default;
    vFont(const char16_t* face, double height, int weight, int style = 0, int quality = 100);
    ~vFont(); // deletes an owned handle
    vFont(const vFont&) = delete;
    vFont& operator=(const vFont&) = delete;

    // Deletes the old handle (when owned) and creates the platform font at once; true when made.
    bool create(const char16_t* face, double height, int weight, int style = 0, int quality = 100);
    // Uses a handle made elsewhere; with owns = false it is never deleted here.
    void adopt(HFONT handle, bool owns);
    // Gives the handle away: the object no longer owns it (it stays usable through handle()).
    HFONT detach();
    // Deletes an owned handle and forgets it.
    void release();

    HFONT handle() const { return handle_; }
    bool owns() const { return owns_; }
    bool valid() const { return handle_ != nullptr; }
    const str& faceName() const { return face_; }
    double height() const { return height_; }
    int weight() const { return weight_; }
    int style() const { return style_; }

    // The platform's values for a weight (0..100) and a quality (0..100).
    static int platformWeight(int weight);
    static BYTE platformQuality(int quality);

private:
    HFONT handle_ = nullptr;
    bool owns_ = false;
    str face_;
    double height_ = 0;
    int weight_ = 0;
    int style_ = 0;
};

// Text format bits of drawText (DrawText's own values).
enum : unsigned {
    text_left = DT_LEFT,
    text_center = DT_CENTER,       // 1
    text_right = DT_RIGHT,         // 2
    text_vcenter = DT_VCENTER,     // 4: measured and centred by drawText itself
    text_bottom = DT_BOTTOM,       // 8: measured and moved down by drawText itself
    text_wordbreak = DT_WORDBREAK, // 0x10
    text_singleline = DT_SINGLELINE,
    text_noclip = DT_NOCLIP,     // 0x100
    text_calcrect = DT_CALCRECT, // 0x400
};

// A device context to draw on. Three ways to make one: for a window's paint request
// (BeginPaint/EndPaint), around a context owned by somebody else, or as a memory painter (a
// context compatible with the screen, made on demand; used by vPixmap). Every drawing operation
// does nothing without a context.
class vPainter {
public:
    // A memory painter; its context is made by ensureMemoryContext (vPixmap does so on demand).
    vPainter();
    // Around an existing context, which is not owned.
    explicit vPainter(HDC dc);
    // For the window's paint request: BeginPaint, background mode transparent; the destructor
    // flushes and calls EndPaint.
    explicit vPainter(HWND window);
    vPainter(const vPainter&) = delete;
    vPainter& operator=(const vPainter&) = delete;

    // Virtual operations, in slot order.
    virtual ~vPainter();
    virtual void fillRect(const RECT& rect, vColor color); // solid brush of that colour
    virtual bool valid() const;                            // has a device context

    void fillRect(int x, int y, int w, int h, vColor color) {
        RECT r{x, y, x + w, y + h};
        fillRect(r, color);
    }

    HDC dc() const { return dc_; }
    // The window whose paint request this painter answers, else null.
    HWND window() const { return window_; }
    // Width and height of the area to paint (the invalid rectangle of a paint request); 0x7FFFF
    // until known.
    int width() const { return width_; }
    int height() const { return height_; }
    // The invalid rectangle of a paint request (empty for the other painters).
    const RECT& paintRect() const { return paint_.rcPaint; }

    // Outlines and shapes.
    void frameRect(const RECT& rect, vColor color); // one-pixel frame
    void frameRect(int x, int y, int w, int h, vColor color) {
        RECT r{x, y, x + w, y + h};
        frameRect(r, color);
    }
    void ellipse(int x, int y, int w, int h, vColor color);     // one-pixel outline, hollow
    void fillEllipse(int x, int y, int w, int h, vColor color); // solid brush, default pen

    // Draws text with DrawText and `format` (text_* bits). With text_vcenter or text_bottom the
    // text is measured first and the rectangle's top moved down by half or all of the free
    // height (those two bits are then cleared). In opaque background mode the rectangle is first
    // filled with the background colour.
    void drawText(const RECT& rect, unsigned format, const char16_t* text);
    void drawText(const RECT& rect, unsigned format, const str& text) {
        drawText(rect, format, text.c_str());
    }
    // At (x, y), unclipped.
    void drawText(int x, int y, const char16_t* text);
    // Size of the text as drawText would lay it out in a rectangle `width` wide (0: one line).
    SIZE measureText(const char16_t* text, unsigned format = 0, int width = 0);

    void setTextColor(vColor color);
    vColor textColor() const;
    void setBackgroundColor(vColor color);
    vColor backgroundColor() const;
    // TRANSPARENT (1) or OPAQUE (2).
    void setBackgroundMode(int mode);
    // Selects a GDI object; answers the one it replaced.
    HGDIOBJ select(HGDIOBJ object);
    void selectFont(const vFont& font) { select(font.handle()); }

    // Origin: drawing at (x, y) lands at (x + dx, y + dy) of the context. Applies to GDI drawing
    // and to vPixmap's direct pixel writes alike.
    void setOrigin(int dx, int dy);
    void translate(int dx, int dy) { setOrigin(originX_ + dx, originY_ + dy); }
    int originX() const { return originX_; }
    int originY() const { return originY_; }

    // Block transfer from another context (SRCCOPY), and stretched transfer (stretch mode
    // COLORONCOLOR) for positive source sizes.
    void blit(int x, int y, int w, int h, HDC source, int sx, int sy);
    void stretchBlit(int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh);

    // Pixmap composition onto this painter.
    // The whole source at (x, y), copied.
    void draw(int x, int y, const vPixmap& source);
    // Part of the source, copied.
    void drawPart(int x, int y, int w, int h, const vPixmap& source, int sx, int sy);
    // Fills the rectangle with copies of the source, starting at source offset (sx, sy) wrapped
    // into the source; pieces are cut at the rectangle's edges.
    void tile(int x, int y, int w, int h, const vPixmap& source, int sx = 0, int sy = 0);
    // AlphaBlend with per-pixel alpha and constant alpha percent * 255 / 100. Tiled it covers the
    // rectangle like tile; otherwise the part of the source from (sx, sy) that fits. Without
    // AlphaBlend (or when it fails) the same area is copied.
    void alphaBlend(int x, int y, int w, int h, const vPixmap& source, int sx, int sy, int percent,
                    bool tiled);
    // The whole source at (x, y), blended.
    void alphaBlend(int x, int y, const vPixmap& source, int percent = 100);
    // Constant alpha of a blend at `percent` (50 gives 127).
    static BYTE constantAlpha(int percent);

protected:
    // Makes the memory context of a memory painter when there is none; true when it exists.
    bool ensureMemoryContext();
    // Flushes, cancels and deletes an owned memory context.
    void deleteMemoryContext();

    HDC dc_ = nullptr;
    HWND window_ = nullptr;
    bool ownsDc_ = false;
    PAINTSTRUCT paint_{};
    int width_ = 0x7FFFF;
    int height_ = 0x7FFFF;
    int originX_ = 0;
    int originY_ = 0;

private:
    int baseX_ = 0; // the context's own viewport origin, restored when the painter ends
    int baseY_ = 0;
    bool blendOnce(int x, int y, int w, int h, const vPixmap& source, int sx, int sy, BYTE alpha);
};

} // namespace vwin
