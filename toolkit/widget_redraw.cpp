// vWidget's redraw requests, with either driver: each names its area and how soon, and the
// driver's redraw does it (off the GUI thread only marking, posted).

#include "toolkit/widget.h"

namespace vwin {

void vWidget::updateRect(int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    redraw(&r, sameThread() ? redraw_erase_now : redraw_invalidate);
}

void vWidget::update() {
    redraw(nullptr, sameThread() ? redraw_erase_now : redraw_invalidate);
}

void vWidget::repaintRect(int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    redraw(&r, redraw_now);
}

void vWidget::repaint() {
    redraw(nullptr, redraw_now);
}

void vWidget::invalidateRect(int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    redraw(&r, redraw_invalidate);
}

void vWidget::invalidate() {
    redraw(nullptr, redraw_invalidate);
}

} // namespace vwin
