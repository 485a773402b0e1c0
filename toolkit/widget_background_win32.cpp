// vWidget on Win32: background modes, points between windows and hit testing.

#include "toolkit/widget.h"

namespace vwin {

void vWidget::setBackgroundMode(int mode) {
    if (mode != backgroundMode_) {
        backgroundMode_ = mode;
        std::uint32_t ex = exStyle_;
        if (window_)
            ex = static_cast<std::uint32_t>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
        const std::uint32_t wanted =
            mode >= background_blend ? (ex | WS_EX_TRANSPARENT) : (ex & ~WS_EX_TRANSPARENT);
        exStyle_ = wanted;
        if (window_ && wanted != ex)
            SetWindowLongPtrW(window_, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted));
    }
    invalidate();
}

POINT vWidget::mapPoint(HWND other, POINT at) const {
    if (window_ && other)
        MapWindowPoints(window_, other, &at, 1);
    return at;
}

int vWidget::hitTest(int screenX, int screenY) {
    if (!window_)
        return -2;
    const auto r =
        static_cast<int>(defaultProc(window_, WM_NCHITTEST, 0, MAKELPARAM(screenX, screenY)));
    if (backgroundMode_ < background_blend ||
        (r != HTNOWHERE && r != HTCLIENT && r != HTTRANSPARENT))
        return r;
    if (backgroundMode_ == background_transparent)
        return HTTRANSPARENT;
    const vPixmap& image = backgroundImage_;
    if (!image.valid())
        return r;
    const int iw = image.width(), ih = image.height();
    POINT p{screenX, screenY};
    ScreenToClient(window_, &p);
    if (backgroundMode_ == background_blend_tiled) {
        p.x = ((p.x % iw) + iw) % iw;
        p.y = ((p.y % ih) + ih) % ih;
    }
    if (p.x < 0 || p.y < 0 || p.x >= iw || p.y >= ih)
        return HTTRANSPARENT;
    const std::uint32_t alpha = image.pixel(p.x, p.y) >> 24;
    return alpha > 0x10 ? HTCLIENT : HTTRANSPARENT;
}

void vWidget::setUpdatesEnabled(bool on) {
    updatesSuspended_ = !on;
    if (on)
        invalidate();
}

} // namespace vwin
