// vWidget: showing, redrawing, geometry and the window text.

#include <vector>

#include "toolkit/widget.h"

namespace vwin {

namespace {

bool own_thread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

} // namespace

bool vWidget::isWindow() const {
    return window_ && IsWindow(window_);
}

bool vWidget::sameThread() const {
    return window_ && own_thread(window_);
}

bool vWidget::isVisible() const {
    return window_ && IsWindowVisible(window_);
}

// From another thread the window is shown or hidden by its own thread later (ShowWindowAsync):
// ShowWindow would wait for that thread.
namespace {

void show_window(HWND window, int command) {
    if (own_thread(window))
        ShowWindow(window, command);
    else
        ShowWindowAsync(window, command);
}

} // namespace

void vWidget::showNormal() {
    if (window_)
        show_window(window_, SW_SHOWNORMAL);
}

void vWidget::setVisible(bool on) {
    if (window_)
        show_window(window_, on ? SW_SHOW : SW_HIDE);
}

void vWidget::setHidden(bool on) {
    if (window_)
        show_window(window_, on ? SW_HIDE : SW_SHOWNA);
}

void vWidget::redraw(const RECT* rect, unsigned flags) {
    HWND window = window_;
    if (!window)
        return;
    RECT r{};
    if (rect)
        r = *rect;
    else
        GetClientRect(window, &r);
    // A transparent window is redrawn through its first opaque ancestor.
    while (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) {
        if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
            break;
        HWND parent = GetParent(window);
        if (!parent)
            break;
        MapWindowPoints(window, parent, reinterpret_cast<POINT*>(&r), 2);
        window = parent;
    }
    // Another thread only invalidates: painting now would wait for the window's thread.
    if (!own_thread(window))
        flags = (flags & ~(RDW_UPDATENOW | RDW_ERASENOW)) | RDW_INVALIDATE;
    RedrawWindow(window, &r, nullptr, flags);
}

void vWidget::adjustFrame(int& x, int& y, int& w, int& h) {
    if (!window_)
        return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    const auto ex = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    const BOOL menu = !(style & WS_CHILD) && GetMenu(window_) != nullptr;
    RECT r{x, y, x + w, y + h};
    if (!AdjustWindowRectEx(&r, style, menu, ex))
        return;
    x = r.left;
    y = r.top;
    w = r.right - r.left;
    h = r.bottom - r.top;
}

namespace {

UINT geometry_flags(HWND window, int mode) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (mode >= background_blend)
        flags |= SWP_NOCOPYBITS; // transparent widgets are repainted, not copied
    if (!own_thread(window))
        flags |= SWP_ASYNCWINDOWPOS; // the window's thread applies it; nobody waits for it
    return flags;
}

} // namespace

void vWidget::setWindowGeometry(int x, int y, int w, int h) {
    if (window_)
        SetWindowPos(window_, nullptr, x, y, w, h, geometry_flags(window_, backgroundMode_));
}

void vWidget::move(int x, int y, bool client) {
    if (!window_)
        return;
    if (client) {
        int w = clientWidth(), h = clientHeight();
        adjustFrame(x, y, w, h);
    }
    SetWindowPos(window_, nullptr, x, y, 0, 0,
                 geometry_flags(window_, backgroundMode_) | SWP_NOSIZE);
}

void vWidget::resize(int w, int h) {
    if (!window_)
        return;
    int x = 0, y = 0;
    adjustFrame(x, y, w, h);
    SetWindowPos(window_, nullptr, 0, 0, w, h,
                 geometry_flags(window_, backgroundMode_) | SWP_NOMOVE);
}

void vWidget::setGeometry(int x, int y, int w, int h) {
    if (!window_)
        return;
    adjustFrame(x, y, w, h);
    SetWindowPos(window_, nullptr, x, y, w, h, geometry_flags(window_, backgroundMode_));
}

int vWidget::clientWidth() const {
    RECT r{};
    return window_ && GetClientRect(window_, &r) ? r.right - r.left : 0;
}

int vWidget::clientHeight() const {
    RECT r{};
    return window_ && GetClientRect(window_, &r) ? r.bottom - r.top : 0;
}

int vWidget::windowWidth() const {
    RECT r{};
    return window_ && GetWindowRect(window_, &r) ? r.right - r.left : 0;
}

int vWidget::windowHeight() const {
    RECT r{};
    return window_ && GetWindowRect(window_, &r) ? r.bottom - r.top : 0;
}

POINT vWidget::screenPosition() const {
    POINT p{0, 0};
    if (window_)
        ClientToScreen(window_, &p);
    return p;
}

POINT vWidget::normalPosition() const {
    POINT p{0, 0};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (window_ && GetWindowPlacement(window_, &placement)) {
        p.x = placement.rcNormalPosition.left;
        p.y = placement.rcNormalPosition.top;
    }
    return p;
}

void vWidget::setText(const char* text8) {
    // The bytes are Latin-1 characters, like every 8-bit text of the program.
    setText(str(text8 ? text8 : "").c_str());
}

void vWidget::setText(const char16_t* text) {
    title_.assign(text ? text : u"");
    if (window_)
        SetWindowTextW(window_, reinterpret_cast<const wchar_t*>(title_.c_str()));
}

str vWidget::text() {
    HWND window = window_;
    if (!window)
        return str();
    if (own_thread(window)) {
        const int length = GetWindowTextLengthW(window);
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1);
        const int n = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
        buffer[static_cast<std::size_t>(n > 0 ? n : 0)] = 0;
        return str(reinterpret_cast<const char16_t*>(buffer.data()));
    }
    // From another thread: read the text without sending a message to the window's thread,
    // growing the buffer while the text fills it.
    for (std::size_t size = 256; size <= (1u << 20); size *= 4) {
        std::vector<wchar_t> buffer(size);
        const int n = InternalGetWindowText(window, buffer.data(), static_cast<int>(size));
        if (n < 0)
            break;
        if (static_cast<std::size_t>(n) + 1 < size) {
            buffer[static_cast<std::size_t>(n)] = 0;
            return str(reinterpret_cast<const char16_t*>(buffer.data()));
        }
    }
    return str();
}

} // namespace vwin
