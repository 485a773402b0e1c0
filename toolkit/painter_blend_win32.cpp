// One alpha blend through AlphaBlend of the registered blend library.

#include "core/lib.h"
#include "toolkit/pixmap.h"

namespace vwin {

namespace {

using alpha_blend_fn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                     BLENDFUNCTION);

alpha_blend_fn alpha_blend() {
    const lib* library = blendLibrary();
    if (!library)
        return nullptr;
    return reinterpret_cast<alpha_blend_fn>(library->symbol(u"AlphaBlend"));
}

} // namespace

bool vPainter::blendOnce(int x, int y, int w, int h, const vPixmap& source, int sx, int sy,
                         BYTE alpha) {
    alpha_blend_fn fn = alpha_blend();
    if (!fn)
        return false;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    return fn(dc_, x, y, w, h, source.dc(), sx, sy, w, h, blend) != FALSE;
}

} // namespace vwin
