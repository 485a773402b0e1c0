#pragma once
// Helpers for the window tests over either driver: where a child sits, what a widget paints, and
// input given to a widget as the platform delivers it, so that the driver passes on whatever the
// widget does not take (view_probe_win32.cpp: window messages; view_probe_qt.cpp: Qt events).

#include <cstdint>
#include <string>

#include "core/str.h"
#include "toolkit/pixmap.h"
#include "toolkit/widget.h"

namespace app_test {

inline std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// A child's window rectangle in its parent's client coordinates.
inline RECT childRect(const vwin::vWidget& child) {
    const POINT at = child.normalPosition();
    return RECT{at.x, at.y, at.x + child.windowWidth(), at.y + child.windowHeight()};
}

// Paints the widget's client area into a pixmap of its size, with the widget's font, as a paint
// request does (without the background).
inline bool render(vwin::vWidget& widget, vwin::vPixmap& out) {
    if (!out.create(widget.clientWidth(), widget.clientHeight()))
        return false;
    out.fill(0x00123456);
    HGDIOBJ oldFont = widget.font().handle() ? out.select(widget.font().handle()) : nullptr;
    widget.paint(out);
    if (oldFont)
        out.select(oldFont);
    return true;
}

inline vwin::vColor rgbAt(const vwin::vPixmap& p, int x, int y) {
    return p.pixel(x, y) & 0x00FFFFFF;
}

// One mouse event at a client point of the widget: `type` event_press, event_release,
// event_double_click or event_move; `button` the one pressed or released; `held` the MK_* bits
// of the buttons down after it.
void sendMouse(vwin::vWidget& widget, std::uint32_t type, std::uint32_t button, int x, int y,
               std::uint32_t held);

// Left press and release; right press and release; the four events of a left double click.
void click(vwin::vWidget& widget, int x, int y);
void rightClick(vwin::vWidget& widget, int x, int y);
void doubleClick(vwin::vWidget& widget, int x, int y);

// A key (a virtual-key code, no modifier held) going down (event_key_down) or up (event_key_up)
// in the widget.
void sendKey(vwin::vWidget& widget, std::uint32_t key, std::uint32_t type = vwin::event_key_down);

// Asks the window to close, as its frame's close box does.
void requestClose(vwin::vWidget& window);

} // namespace app_test
