// vPainter: the three kinds of painter, shapes, text and transfers.

#include "toolkit/painter.h"

namespace vwin {

vPainter::vPainter() = default;

vPainter::vPainter(HDC dc) : dc_(dc) {
    POINT origin{0, 0};
    if (dc_ && GetViewportOrgEx(dc_, &origin)) {
        baseX_ = origin.x;
        baseY_ = origin.y;
    }
}

vPainter::vPainter(HWND window) {
    if (!window)
        return;
    dc_ = BeginPaint(window, &paint_);
    if (!dc_)
        return;
    window_ = window;
    POINT origin{0, 0};
    if (GetViewportOrgEx(dc_, &origin)) {
        baseX_ = origin.x;
        baseY_ = origin.y;
    }
    width_ = paint_.rcPaint.right - paint_.rcPaint.left;
    height_ = paint_.rcPaint.bottom - paint_.rcPaint.top;
    SetBkMode(dc_, TRANSPARENT);
}

vPainter::~vPainter() {
    // A class or own device context keeps its origin between paints: leave it as found.
    if (dc_ && (originX_ || originY_))
        SetViewportOrgEx(dc_, baseX_, baseY_, nullptr);
    if (window_) {
        GdiFlush();
        EndPaint(window_, &paint_);
        window_ = nullptr;
        dc_ = nullptr;
    } else {
        deleteMemoryContext();
    }
}

bool vPainter::ensureMemoryContext() {
    if (dc_)
        return true;
    if (window_)
        return false;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_)
        return false;
    ownsDc_ = true;
    SetBkMode(dc_, TRANSPARENT);
    if (originX_ || originY_)
        SetViewportOrgEx(dc_, originX_, originY_, nullptr);
    return true;
}

void vPainter::deleteMemoryContext() {
    if (dc_ && ownsDc_) {
        GdiFlush();
        CancelDC(dc_);
        DeleteDC(dc_);
    }
    if (ownsDc_)
        dc_ = nullptr;
    ownsDc_ = false;
}

bool vPainter::valid() const {
    return dc_ != nullptr;
}

void vPainter::fillRect(const RECT& rect, vColor color) {
    if (!dc_)
        return;
    HBRUSH brush = CreateSolidBrush(toColorRef(color));
    if (!brush)
        return;
    FillRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void vPainter::frameRect(const RECT& rect, vColor color) {
    if (!dc_)
        return;
    HBRUSH brush = CreateSolidBrush(toColorRef(color));
    if (!brush)
        return;
    FrameRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void vPainter::ellipse(int x, int y, int w, int h, vColor color) {
    if (!dc_)
        return;
    HPEN pen = CreatePen(PS_SOLID, 1, toColorRef(color));
    if (!pen)
        return;
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    HGDIOBJ oldBrush = SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
    Ellipse(dc_, x, y, x + w, y + h);
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    DeleteObject(pen);
}

void vPainter::fillEllipse(int x, int y, int w, int h, vColor color) {
    if (!dc_)
        return;
    HBRUSH brush = CreateSolidBrush(toColorRef(color));
    if (!brush)
        return;
    HGDIOBJ oldBrush = SelectObject(dc_, brush);
    // The default pen draws the outline in the same colour as the inside.
    HPEN pen = CreatePen(PS_SOLID, 1, toColorRef(color));
    HGDIOBJ oldPen = pen ? SelectObject(dc_, pen) : nullptr;
    Ellipse(dc_, x, y, x + w, y + h);
    if (pen) {
        SelectObject(dc_, oldPen);
        DeleteObject(pen);
    }
    SelectObject(dc_, oldBrush);
    DeleteObject(brush);
}

void vPainter::drawText(const RECT& rect, unsigned format, const char16_t* text) {
    if (!dc_ || !text)
        return;
    auto wide = reinterpret_cast<const wchar_t*>(text);
    RECT r = rect;
    if (GetBkMode(dc_) == OPAQUE)
        fillRect(r, fromColorRef(GetBkColor(dc_)));
    if (format & (DT_VCENTER | DT_BOTTOM)) {
        // Measure in a rectangle of the same size at the origin, then move the top down.
        RECT m{0, 0, r.right - r.left, r.bottom - r.top};
        const int textHeight =
            DrawTextW(dc_, wide, -1, &m, (format & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
        const int free = (r.bottom - r.top) - textHeight;
        if (free > 0)
            r.top += (format & DT_BOTTOM) ? free : free / 2;
        format &= ~(DT_VCENTER | DT_BOTTOM);
    }
    DrawTextW(dc_, wide, -1, &r, format);
}

void vPainter::drawText(int x, int y, const char16_t* text) {
    RECT r{x, y, x - 1, y - 1}; // width and height -1: drawn unclipped
    drawText(r, DT_NOCLIP, text);
}

SIZE vPainter::measureText(const char16_t* text, unsigned format, int width) {
    SIZE size{0, 0};
    if (!dc_ || !text)
        return size;
    RECT r{0, 0, width, 0};
    if (width <= 0)
        format |= DT_SINGLELINE;
    DrawTextW(dc_, reinterpret_cast<const wchar_t*>(text), -1, &r,
              (format & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    size.cx = r.right - r.left;
    size.cy = r.bottom - r.top;
    return size;
}

void vPainter::setTextColor(vColor color) {
    if (dc_)
        SetTextColor(dc_, toColorRef(color));
}

vColor vPainter::textColor() const {
    return dc_ ? fromColorRef(GetTextColor(dc_)) : 0;
}

void vPainter::setBackgroundColor(vColor color) {
    if (dc_)
        SetBkColor(dc_, toColorRef(color));
}

vColor vPainter::backgroundColor() const {
    return dc_ ? fromColorRef(GetBkColor(dc_)) : 0;
}

void vPainter::setBackgroundMode(int mode) {
    if (dc_)
        SetBkMode(dc_, mode);
}

HGDIOBJ vPainter::select(HGDIOBJ object) {
    if (!dc_ || !object)
        return nullptr;
    return SelectObject(dc_, object);
}

void vPainter::setOrigin(int dx, int dy) {
    originX_ = dx;
    originY_ = dy;
    if (dc_)
        SetViewportOrgEx(dc_, baseX_ + dx, baseY_ + dy, nullptr);
}

void vPainter::blit(int x, int y, int w, int h, HDC source, int sx, int sy) {
    if (!dc_ || !source || w <= 0 || h <= 0)
        return;
    BitBlt(dc_, x, y, w, h, source, sx, sy, SRCCOPY);
}

void vPainter::stretchBlit(int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh) {
    if (!dc_ || !source || sw <= 0 || sh <= 0)
        return;
    const int old = SetStretchBltMode(dc_, COLORONCOLOR);
    StretchBlt(dc_, x, y, w, h, source, sx, sy, sw, sh, SRCCOPY);
    SetStretchBltMode(dc_, old);
}

} // namespace vwin
