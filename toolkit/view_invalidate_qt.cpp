// vView invalidation: the area is marked for the next paint (posted from other threads).

#include "toolkit/controls.h"

namespace vwin {

void vView::invalidateRect(int x, int y, int w, int h) {
    if (!window_ || !updatesEnabled())
        return;
    RECT r{x, y, x + w, y + h};
    redraw(&r, redraw_invalidate);
}

void vView::invalidate() {
    if (window_ && updatesEnabled())
        redraw(nullptr, redraw_invalidate);
}

} // namespace vwin
