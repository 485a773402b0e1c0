// vView invalidation: the window's area is marked for the next paint without erasing (the
// pixmap covers it all).

#include "toolkit/controls.h"

namespace vwin {

void vView::invalidateRect(int x, int y, int w, int h) {
    if (!window_ || !updatesEnabled())
        return;
    RECT r{x, y, x + w, y + h};
    InvalidateRect(window_, &r, FALSE);
}

void vView::invalidate() {
    if (window_ && updatesEnabled())
        InvalidateRect(window_, nullptr, FALSE);
}

} // namespace vwin
