// vWidget: background modes, background painting and hit testing.

#include "toolkit/widget.h"

namespace vwin {

void vWidget::setBackgroundColor(vColor color) {
    if (backgroundColor_ == color && backgroundMode_ == background_color)
        return;
    backgroundColor_ = color;
    if (backgroundMode_ != background_color)
        setBackgroundMode(background_color);
    else
        invalidate();
}

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

void vWidget::paintBackground(vPainter& painter, const RECT& rect) {
    const int mode = backgroundMode_;
    if (mode == background_none || mode == background_transparent || IsRectEmpty(&rect))
        return;
    if (mode < background_color) {
        painter.fillRect(rect, systemColor(mode));
        return;
    }
    if (mode == background_color) {
        painter.fillRect(rect, backgroundColor_);
        return;
    }
    const vPixmap& image = backgroundImage_;
    if (mode < background_image || !image.valid())
        return;
    // The image offset is the rectangle's origin, in the reference window when one is set.
    POINT offset{rect.left, rect.top};
    if (backgroundReference_ && window_)
        MapWindowPoints(window_, backgroundReference_, &offset, 1);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    switch (mode) {
    case background_image: {
        if (offset.x < 0 || offset.y < 0 || offset.x >= image.width() || offset.y >= image.height())
            return;
        const int cw = image.width() - offset.x < w ? image.width() - offset.x : w;
        const int ch = image.height() - offset.y < h ? image.height() - offset.y : h;
        painter.drawPart(rect.left, rect.top, cw, ch, image, offset.x, offset.y);
        break;
    }
    case background_image_tiled:
        painter.tile(rect.left, rect.top, w, h, image, offset.x, offset.y);
        break;
    case background_image_stretched:
        painter.stretchBlit(0, 0, clientWidth(), clientHeight(), image.dc(), 0, 0, image.width(),
                            image.height());
        break;
    case background_blend:
        painter.alphaBlend(rect.left, rect.top, w, h, image, offset.x, offset.y, 100, false);
        break;
    case background_blend_tiled:
        painter.alphaBlend(rect.left, rect.top, w, h, image, offset.x, offset.y, 100, true);
        break;
    default:
        break;
    }
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
