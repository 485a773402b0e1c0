// vWidget: timers, messages, focus, capture, window region, font, icon, style and tab order.

#include "toolkit/widget.h"

namespace vwin {

bool vWidget::setTimer(int id, unsigned milliseconds) {
    const UINT_PTR low = static_cast<UINT_PTR>(id) & 0xFF;
    if (!window_ || low == 0)
        return false;
    return SetTimer(window_, low, milliseconds, nullptr) != 0;
}

bool vWidget::killTimer(int id) {
    const UINT_PTR low = static_cast<UINT_PTR>(id) & 0xFF;
    if (!window_ || low == 0)
        return false;
    return KillTimer(window_, low) != FALSE;
}

LRESULT vWidget::sendMessage(UINT message, WPARAM word, LPARAM param) {
    return window_ ? SendMessageW(window_, message, word, param) : 0;
}

bool vWidget::postMessage(UINT message, WPARAM word, LPARAM param) {
    return window_ && PostMessageW(window_, message, word, param);
}

void focusWindow(HWND window) {
    if (window)
        SetFocus(window);
}

void vWidget::setFocus() {
    if (window_)
        SetFocus(window_);
}

bool vWidget::hasFocus() const {
    return window_ && GetFocus() == window_;
}

HWND vWidget::focusedWindow() {
    return GetFocus();
}

bool vWidget::holds(HWND window) const {
    return window_ && window && (window == window_ || IsChild(window_, window));
}

bool vWidget::canTakeFocus() const {
    return window_ && IsWindowVisible(window_) && IsWindowEnabled(window_);
}

void vWidget::setMinimumClientSize(int w, int h) {
    // Applied by the dispatch of WM_GETMINMAXINFO.
    minimumWidth_ = w;
    minimumHeight_ = h;
}

void vWidget::capture() {
    if (window_)
        SetCapture(window_);
}

void vWidget::releaseCapture() {
    // Only a capture this widget holds is released.
    if (window_ && GetCapture() == window_)
        ReleaseCapture();
}

bool vWidget::hasCapture() const {
    return window_ && GetCapture() == window_;
}

void vWidget::setEnabled(bool on) {
    if (window_)
        EnableWindow(window_, on ? TRUE : FALSE);
}

void vWidget::setRegion(const vRegion& region) {
    if (!window_)
        return;
    if (region.empty()) {
        SetWindowRgn(window_, nullptr, FALSE);
        return;
    }
    // The window owns the region it is given: it gets a copy.
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    if (!copy)
        return;
    if (CombineRgn(copy, region.handle(), nullptr, RGN_COPY) == ERROR ||
        !SetWindowRgn(window_, copy, FALSE))
        DeleteObject(copy);
}

void vWidget::region(vRegion& out) const {
    out.clear();
    if (!window_)
        return;
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (!r)
        return;
    const int kind = GetWindowRgn(window_, r);
    if (kind == ERROR || kind == NULLREGION) {
        RECT client{};
        GetClientRect(window_, &client);
        SetRectRgn(r, client.left, client.top, client.right, client.bottom);
    }
    out.adopt(r);
}

void vWidget::setFont(HFONT font) {
    if (window_)
        SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void vWidget::setIcon(HICON icon) {
    if (window_)
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void vWidget::setStyle(std::uint32_t style) {
    style_ = style;
    if (!window_)
        return;
    SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// A window that can take the focus by Tab: a shown, enabled tab stop.
bool is_tab_stop(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(window) &&
           IsWindowEnabled(window);
}

} // namespace

HWND vWidget::nextTabStop(bool forward) {
    HWND self = window_;
    if (!self)
        return nullptr;
    const UINT step = forward ? GW_HWNDNEXT : GW_HWNDPREV;
    const UINT wrap = forward ? GW_HWNDFIRST : GW_HWNDLAST;
    if ((GetWindowLongPtrW(self, GWL_STYLE) & WS_CHILD) && GetParent(self)) {
        // Among the siblings, after this widget, wrapping around, until the walk comes back.
        HWND h = self;
        for (int guard = 0; guard < 0x10000; ++guard) {
            HWND next = GetWindow(h, step);
            if (!next)
                next = GetWindow(self, wrap);
            if (!next || next == self)
                break;
            if (is_tab_stop(next))
                return next;
            h = next;
        }
    }
    // Among the widget's own children, from the first one in the same direction.
    HWND first = GetWindow(self, GW_CHILD);
    if (!first)
        return nullptr;
    HWND start = forward ? first : GetWindow(first, GW_HWNDLAST);
    HWND h = start;
    for (int guard = 0; h && guard < 0x10000; ++guard) {
        if (is_tab_stop(h))
            return h;
        HWND next = GetWindow(h, step);
        if (!next)
            next = GetWindow(h, wrap);
        if (!next || next == start)
            break;
        h = next;
    }
    return first;
}

void vWidget::moveFocus(bool forward) {
    HWND self = window_;
    if (!self)
        return;
    HWND root = GetAncestor(self, GA_ROOT);
    vWidget* top = root ? fromWindow(root) : nullptr;
    if (top && top->tabOrder_ && top->tabOrder_(self, forward))
        return;
    if (HWND next = nextTabStop(forward))
        SetFocus(next);
}

} // namespace vwin
