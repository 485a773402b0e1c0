// Pixmap composition onto a painter: copies, tiles and alpha blends (over the driver's blit and
// blendOnce).

#include "toolkit/pixmap.h"

namespace vwin {

namespace {

// An offset wrapped into 0..size-1.
int wrap(int offset, int size) {
    return (size + offset % size) % size;
}

// Calls piece(x, y, w, h, sx, sy) for each copy of a w x h source that covers the rectangle,
// starting at source offset (sx, sy) wrapped into the source; pieces are cut at the edges.
template <class Piece>
void for_each_tile(int x, int y, int w, int h, int srcW, int srcH, int sx, int sy, Piece piece) {
    if (w <= 0 || h <= 0 || srcW <= 0 || srcH <= 0)
        return;
    const int startX = wrap(sx, srcW);
    const int startY = wrap(sy, srcH);
    for (int py = 0, oy = startY; py < h;) {
        const int ph = (srcH - oy) < (h - py) ? (srcH - oy) : (h - py);
        for (int px = 0, ox = startX; px < w;) {
            const int pw = (srcW - ox) < (w - px) ? (srcW - ox) : (w - px);
            piece(x + px, y + py, pw, ph, ox, oy);
            px += pw;
            ox = 0;
        }
        py += ph;
        oy = 0;
    }
}

} // namespace

void vPainter::draw(int x, int y, const vPixmap& source) {
    drawPart(x, y, source.width(), source.height(), source, 0, 0);
}

void vPainter::drawPart(int x, int y, int w, int h, const vPixmap& source, int sx, int sy) {
    if (!dc_ || !source.valid() || !source.dc())
        return;
    blit(x, y, w, h, source.dc(), sx, sy);
}

void vPainter::tile(int x, int y, int w, int h, const vPixmap& source, int sx, int sy) {
    if (!dc_ || !source.valid() || !source.dc())
        return;
    HDC src = source.dc();
    for_each_tile(
        x, y, w, h, source.width(), source.height(), sx, sy,
        [&](int px, int py, int pw, int ph, int ox, int oy) { blit(px, py, pw, ph, src, ox, oy); });
}

BYTE vPainter::constantAlpha(int percent) {
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    return static_cast<BYTE>(percent * 255 / 100);
}

void vPainter::alphaBlend(int x, int y, int w, int h, const vPixmap& source, int sx, int sy,
                          int percent, bool tiled) {
    if (!dc_ || !source.valid() || !source.dc() || w <= 0 || h <= 0)
        return;
    const BYTE alpha = constantAlpha(percent);
    if (tiled) {
        bool blended = true;
        for_each_tile(x, y, w, h, source.width(), source.height(), sx, sy,
                      [&](int px, int py, int pw, int ph, int ox, int oy) {
                          if (blended && blendOnce(px, py, pw, ph, source, ox, oy, alpha))
                              return;
                          blended = false;
                          blit(px, py, pw, ph, source.dc(), ox, oy);
                      });
        return;
    }
    if (sx < 0 || sy < 0 || sx >= source.width() || sy >= source.height())
        return;
    // The part of the source that fits: its size minus the offset, cut to the rectangle.
    const int cw = (source.width() - sx) < w ? (source.width() - sx) : w;
    const int ch = (source.height() - sy) < h ? (source.height() - sy) : h;
    if (!blendOnce(x, y, cw, ch, source, sx, sy, alpha))
        blit(x, y, cw, ch, source.dc(), sx, sy);
}

void vPainter::alphaBlend(int x, int y, const vPixmap& source, int percent) {
    alphaBlend(x, y, source.width(), source.height(), source, 0, 0, percent, false);
}

} // namespace vwin
