#pragma once
// Small helpers for the window tests: where a child sits, what a widget paints, whether it is
// shown, and a click sent as the platform would deliver it.

#include <windows.h>

#include <string>

#include "core/str.h"
#include "toolkit/pixmap.h"
#include "toolkit/widget.h"

namespace app_test {

inline std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// The window title, read as the platform has it.
inline std::u16string windowTitle(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

// A child's window rectangle in its parent's client coordinates.
inline RECT childRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window's own WS_VISIBLE bit (whatever its parents' state).
inline bool shownFlag(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Paints the widget's client area into a pixmap of its size (WM_PRINTCLIENT).
inline bool render(vwin::vWidget& widget, vwin::vPixmap& out) {
    if (!out.create(widget.clientWidth(), widget.clientHeight()))
        return false;
    out.fill(0x00123456);
    widget.sendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(out.dc()), PRF_CLIENT);
    GdiFlush();
    return true;
}

inline vwin::vColor rgbAt(const vwin::vPixmap& p, int x, int y) {
    return p.pixel(x, y) & 0x00FFFFFF;
}

inline LPARAM at(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// A left click at a client point of the window.
inline void click(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, at(x, y));
}

} // namespace app_test
