// Input for the window tests as Windows delivers it: sent window messages.

#include <windows.h>

#include "tests/app/view_probe.h"

namespace app_test {

namespace {

LPARAM point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

UINT mouse_message(std::uint32_t type, std::uint32_t button) {
    UINT down = WM_LBUTTONDOWN;
    if (button == vwin::button_right)
        down = WM_RBUTTONDOWN;
    else if (button == vwin::button_middle)
        down = WM_MBUTTONDOWN;
    switch (type) {
    case vwin::event_press:
        return down;
    case vwin::event_release:
        return down + 1;
    case vwin::event_double_click:
        return down + 2;
    default:
        return WM_MOUSEMOVE;
    }
}

} // namespace

void sendMouse(vwin::vWidget& widget, std::uint32_t type, std::uint32_t button, int x, int y,
               std::uint32_t held) {
    widget.sendMessage(mouse_message(type, button), held, point(x, y));
}

void sendKey(vwin::vWidget& widget, std::uint32_t key, std::uint32_t type) {
    widget.sendMessage(type == vwin::event_key_up ? WM_KEYUP : WM_KEYDOWN, key, 0);
}

void requestClose(vwin::vWidget& window) {
    window.sendMessage(WM_CLOSE, 0, 0);
}

} // namespace app_test
