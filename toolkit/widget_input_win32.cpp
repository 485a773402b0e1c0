// vWidget input: mouse delivery with its passing on to the window beneath or the parent, the
// wheel from the innermost widget outwards, keys with Tab and passing on, hover tracking.

#include <windowsx.h>

#include "toolkit/input_state_win32.h"
#include "toolkit/widget.h"

namespace vwin {

namespace {

bool still_bound(HWND window, const vWidget* object) {
    return window && GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(object);
}

// The parent of a child window; null for a top-level one.
HWND parent_of(HWND window) {
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
        return nullptr;
    return GetParent(window);
}

struct mouse_kind {
    std::uint32_t type;
    std::uint32_t button;
};

mouse_kind kind_of(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
        return {event_press, button_left};
    case WM_LBUTTONUP:
        return {event_release, button_left};
    case WM_LBUTTONDBLCLK:
        return {event_double_click, button_left};
    case WM_RBUTTONDOWN:
        return {event_press, button_right};
    case WM_RBUTTONUP:
        return {event_release, button_right};
    case WM_RBUTTONDBLCLK:
        return {event_double_click, button_right};
    case WM_MBUTTONDOWN:
        return {event_press, button_middle};
    case WM_MBUTTONUP:
        return {event_release, button_middle};
    case WM_MBUTTONDBLCLK:
        return {event_double_click, button_middle};
    default:
        return {event_move, button_none};
    }
}

// The message of a button and event type: the button's down message, +1 for a release, +2 for a
// double click; WM_MOUSEMOVE for moves.
UINT message_of(std::uint32_t type, std::uint32_t button) {
    if (type == event_wheel)
        return WM_MOUSEWHEEL;
    UINT base;
    switch (button) {
    case button_left:
        base = WM_LBUTTONDOWN;
        break;
    case button_right:
        base = WM_RBUTTONDOWN;
        break;
    case button_middle:
        base = WM_MBUTTONDOWN;
        break;
    default:
        return WM_MOUSEMOVE;
    }
    if (type == event_release)
        return base + 1;
    if (type == event_double_click)
        return base + 2;
    if (type == event_press)
        return base;
    return WM_MOUSEMOVE;
}

} // namespace

void vWidget::trackLeave() {
    if (!window_)
        return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    // The leave notification keeps the hovered state true to the pointer; hovering is reported
    // only when asked for.
    track.dwFlags = TME_LEAVE | (hoverTracking_ ? TME_HOVER : 0);
    track.hwndTrack = window_;
    track.dwHoverTime = 500;
    TrackMouseEvent(&track);
}

void vWidget::deliverMouse(UINT message, WPARAM word, LPARAM param) {
    HWND window = window_;
    if (!window)
        return;
    const mouse_kind kind = kind_of(message);
    vMouseEvent event;
    event.type = kind.type;
    event.button = kind.button;
    const std::uint32_t state = mouse_state(word);
    event.buttonsBefore = state;
    event.buttonsAfter = state;
    if (kind.type == event_press)
        event.buttonsBefore = state & ~kind.button;
    else if (kind.type == event_release)
        event.buttonsBefore = state | kind.button;
    event.x = GET_X_LPARAM(param);
    event.y = GET_Y_LPARAM(param);
    POINT screen{event.x, event.y};
    ClientToScreen(window, &screen);
    event.screenX = screen.x;
    event.screenY = screen.y;
    event.word = static_cast<std::uint32_t>(word);
    event.accepted = true;

    const int hit = backgroundMode_ < background_blend ? 1 : hitTest(screen.x, screen.y);
    if (hit < 1) {
        event.accepted = false;
        if (hovered_) {
            hovered_ = false;
            mouseLeave();
        }
    } else {
        if (!hovered_) {
            trackLeave();
            hovered_ = true;
            mouseEnter();
        }
        if (still_bound(window, this))
            mouseEvent(&event);
    }
    // A handler may have destroyed this widget; the event is passed on all the same.
    if (event.accepted)
        return;
    HWND target = nullptr;
    if (hit != 1) {
        // Transparent here: the first sibling below that answers the point takes it.
        for (HWND sibling = GetWindow(window, GW_HWNDNEXT); sibling;
             sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            if (!IsWindowVisible(sibling))
                continue;
            const auto answer = static_cast<int>(
                SendMessageW(sibling, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
            if (answer >= 1) {
                target = sibling;
                break;
            }
        }
    }
    if (!target && IsWindow(window))
        target = parent_of(window);
    if (!target || target == window)
        return;
    POINT p = screen;
    ScreenToClient(target, &p);
    SendMessageW(target, message_of(event.type, event.button), event.word, MAKELPARAM(p.x, p.y));
}

void vWidget::deliverWheelMessage(WPARAM word, LPARAM param) {
    HWND window = window_;
    if (!window)
        return;
    vWheelEvent event;
    event.type = event_wheel;
    event.button = button_none;
    event.buttonsBefore = event.buttonsAfter = mouse_state(word);
    event.screenX = GET_X_LPARAM(param);
    event.screenY = GET_Y_LPARAM(param);
    event.word = static_cast<std::uint32_t>(word);
    event.delta = GET_WHEEL_DELTA_WPARAM(word);
    const int hit = deliverWheel(&event);
    // The wheel arrives at the focus window wherever the pointer is: when the pointer is not
    // over this widget, the parent finds the widget under it.
    if (!event.accepted && hit < 1 && IsWindow(window)) {
        if (HWND parent = parent_of(window))
            SendMessageW(parent, WM_MOUSEWHEEL, word, param);
    }
}

int vWidget::deliverWheel(vWheelEvent* event) {
    HWND window = window_;
    if (!window || !event)
        return -2;
    event->accepted = false;
    const int hit = hitTest(event->screenX, event->screenY);
    if (hit == HTCLIENT) {
        // Children from the top of the z-order first.
        for (HWND child = GetWindow(window, GW_CHILD); child && !event->accepted;
             child = GetWindow(child, GW_HWNDNEXT)) {
            vWidget* widget = fromWindow(child);
            if (!widget || !IsWindowVisible(child))
                continue;
            if (widget->hitTest(event->screenX, event->screenY) < 1)
                continue;
            try {
                widget->deliverWheel(event);
            } catch (...) {
                // One child's failure does not stop the delivery.
            }
            if (!IsWindow(window))
                return hit;
        }
    }
    if (hit > 0 && !event->accepted && still_bound(window, this)) {
        POINT p{event->screenX, event->screenY};
        ScreenToClient(window, &p);
        event->x = p.x;
        event->y = p.y;
        wheelEvent(event);
    }
    return hit;
}

void vWidget::mouseLeaveCheck() {
    if (!hovered_)
        return;
    POINT p{};
    if (window_ && GetCursorPos(&p) && WindowFromPoint(p) == window_ && hitTest(p.x, p.y) > 0) {
        // Still inside: ask again.
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window_;
        track.dwHoverTime = 500;
        TrackMouseEvent(&track);
        return;
    }
    hovered_ = false;
    mouseLeave();
}

void vWidget::handleKey(UINT message, WPARAM word, LPARAM param) {
    HWND window = window_;
    if (!window)
        return;
    vKeyEvent event = key_event(message, word);
    keyEvent(&event);
    if (event.accepted || !IsWindow(window))
        return;
    // Tab moves the focus; Control+Tab goes on to the parents (the window switches pages).
    if (message == WM_KEYDOWN && word == VK_TAB && !(event.modifiers & modifier_control)) {
        if (still_bound(window, this))
            moveFocus(!(event.modifiers & modifier_shift));
        return;
    }
    if (HWND parent = parent_of(window))
        SendMessageW(parent, message, word, param);
}

} // namespace vwin
