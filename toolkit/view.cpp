// vView: a scrollable area whose contents are painted into an off-screen pixmap in their own
// coordinates and copied to the window in one transfer.

#include "toolkit/controls.h"

namespace vwin {

namespace {

// Lays out the scroll bars on the window's thread (asked for from another thread).
constexpr UINT message_layout_bars = toolkit_message_base + 2;

// Moves the rectangle by (dx, dy).
void offset(RECT& r, int dx, int dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

int clamp_axis(int position, int contents, int client) {
    if (contents <= client || position < 0)
        return 0;
    return position > contents - client ? contents - client : position;
}

} // namespace

vView::vView(vWidget* parent, const char16_t* text, std::uint32_t flags)
    : vWidget(parent, text,
              flags ? flags
                    : (parent ? std::uint32_t(widget_tabstop)
                              : std::uint32_t(widget_toplevel_default))) {}

HWND vView::contentsWindow() {
    return window_;
}

void vView::layoutContents() {}

void vView::paintContents(vPixmap&) {}

void vView::contentsMouseEvent(vMouseEvent* event) {
    // A plain view has no use for the pointer: the event goes on to the parent.
    event->accepted = false;
}

bool vView::dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result) {
    if (message == message_layout_bars) {
        layoutScrollBars();
        return true;
    }
    return vWidget::dispatch(window, message, word, param, result);
}

void vView::setContentsSize(int width, int height, bool fitClient) {
    int w = contentsWidth();
    int h = contentsHeight();
    if (height >= 0)
        h = height;
    if (width >= 0)
        w = width;
    else if (fitClient)
        w = clientWidth();
    contents_.right = contents_.left + w;
    contents_.bottom = contents_.top + h;
    if (fitClient) {
        if (hBar_)
            setScrollRange(0, true, w - 1, clientWidth(), -1, updatesEnabled());
        if (vBar_)
            setScrollRange(1, true, h - 1, clientHeight(), -1, updatesEnabled());
    } else {
        layoutScrollBars();
    }
    layoutContents();
}

void vView::scrollTo(int x, int y) {
    const int oldX = contentsX();
    const int oldY = contentsY();
    if (x != oldX)
        x = clamp_axis(x, contentsWidth(), clientWidth());
    if (y != oldY)
        y = clamp_axis(y, contentsHeight(), clientHeight());
    if (x == oldX && y == oldY)
        return;
    offset(contents_, -x - contents_.left, -y - contents_.top);
    if (x != oldX)
        setScrollPosition(0, x);
    if (y != oldY)
        setScrollPosition(1, y);
    layoutContents();
    invalidate();
    repaint();
}

void vView::wheelEvent(vWheelEvent* event) {
    int step = clientHeight() / 20;
    if (step < 2)
        step = 2;
    event->accepted = true;
    scrollTo(contentsX(), contentsY() - step * event->delta / 60);
}

void vView::scrolled(int bar, int position) {
    if (bar == 0)
        offset(contents_, -position - contents_.left, 0);
    else
        offset(contents_, 0, -position - contents_.top);
    layoutContents();
    invalidate();
}

void vView::resized(int, int) {
    layoutScrollBars();
    layoutContents();
    invalidate();
}

void vView::layoutScrollBars() {
    if (!window_ || inLayout_)
        return;
    if (!sameThread()) {
        postMessage(message_layout_bars, 0, 0);
        return;
    }
    inLayout_ = true;
    if (!hBar_ && !vBar_ && !fitWidth_ && !fitHeight_) {
        setScrollRange(0, false, 0, 0, -1, false);
        setScrollRange(1, false, 0, 0, -1, false);
        inLayout_ = false;
        return;
    }
    // Showing one bar narrows the client area, which may call for the other: settle in a few
    // passes.
    for (int pass = 0; pass < 3 && window_; ++pass) {
        const int cw = clientWidth();
        const int ch = clientHeight();
        const int w = fitWidth_ ? cw : contentsWidth();
        const int h = fitHeight_ ? ch : contentsHeight();
        const bool showH = hBar_ && !fitWidth_ && cw < w;
        const bool showV = vBar_ && !fitHeight_ && ch < h;
        // No space beyond the end of the contents is shown.
        const int x = clamp_axis(contentsX(), w, cw);
        const int y = clamp_axis(contentsY(), h, ch);
        contents_ = RECT{-x, -y, -x + w, -y + h};
        const bool redraw = updatesEnabled();
        setScrollRange(0, showH, w, cw, x, redraw);
        setScrollRange(1, showV, h, ch, y, redraw);
        if (clientWidth() == cw && clientHeight() == ch)
            break;
    }
    inLayout_ = false;
}

void vView::setHScrollEnabled(bool on) {
    hBar_ = on;
    layoutScrollBars();
}

void vView::setVScrollEnabled(bool on) {
    vBar_ = on;
    layoutScrollBars();
}

void vView::setFitWidth(bool on) {
    fitWidth_ = on;
    layoutScrollBars();
    layoutContents();
}

void vView::setFitHeight(bool on) {
    fitHeight_ = on;
    layoutScrollBars();
    layoutContents();
}

void vView::paint(vPainter& painter) {
    const int cw = clientWidth();
    const int ch = clientHeight();
    if (cw <= 0 || ch <= 0 || !pixmap_.ensureSize(cw, ch))
        return;
    pixmap_.setOrigin(0, 0);
    const RECT all{0, 0, cw, ch};
    vWidget::paintBackground(pixmap_, all);
    HGDIOBJ oldFont = font_.handle() ? pixmap_.select(font_.handle()) : nullptr;
    // The contents draw in their own coordinates.
    pixmap_.setOrigin(contents_.left, contents_.top);
    paintContents(pixmap_);
    pixmap_.setOrigin(0, 0);
    if (oldFont)
        pixmap_.select(oldFont);
    RECT r = painter.paintRect();
    if (r.right <= r.left || r.bottom <= r.top)
        r = all;
    painter.drawPart(r.left, r.top, r.right - r.left, r.bottom - r.top, pixmap_, r.left, r.top);
}

void vView::paintBackground(vPainter&, const RECT&) {
    // The pixmap covers the whole client area, background included.
}

void vView::mouseEvent(vMouseEvent* event) {
    event->x += contentsX();
    event->y += contentsY();
    contentsMouseEvent(event);
}

} // namespace vwin
