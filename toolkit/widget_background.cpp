// vWidget's background painting, with either driver: by its mode, a system colour, its colour or
// its image (placed, tiled, stretched or blended), an image lined up with a reference window.

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

void vWidget::paintBackground(vPainter& painter, const RECT& rect) {
    const int mode = backgroundMode_;
    if (mode == background_none || mode == background_transparent || rect.right <= rect.left ||
        rect.bottom <= rect.top)
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
        offset = mapPoint(backgroundReference_, offset);
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

} // namespace vwin
