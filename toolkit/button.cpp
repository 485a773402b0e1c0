// vButton: press and release logic ending in "clicked".

#include "toolkit/controls.h"

namespace vwin {

vButton::vButton(vWidget* parent, const char16_t* text, std::uint32_t flags)
    : vWidget(parent, text, flags) {}

void vButton::updateLook() {
    invalidate();
}

void vButton::setDown(bool state) {
    if (state == down_)
        return;
    down_ = state;
    updateLook();
}

void vButton::mouseEvent(vMouseEvent* event) {
    if (event->button != button_left)
        return;
    if (event->type == event_press) {
        // Without listeners a press does nothing (and takes no capture).
        if (!has_connections())
            return;
        pressed_ = true;
        capture();
        setDown(true);
        return;
    }
    if (event->type != event_release)
        return;
    const bool wasPressed = pressed_;
    pressed_ = false;
    releaseCapture();
    if (!wasPressed)
        return; // the press was elsewhere: no click
    vRegion shape;
    region(shape);
    const bool inside = shape.contains(event->x, event->y);
    HWND window = window_;
    if (inside)
        emit(this, u"clicked");
    // A handler may have destroyed the button.
    if (!window || fromWindow(window) != this)
        return;
    if (autoRelease_)
        setDown(false);
}

void vButton::keyEvent(vKeyEvent* event) {
    switch (event->key) {
    case VK_RETURN:
    case VK_SPACE:
        event->accepted = true;
        if (event->type == event_key_down) {
            setDown(true);
        } else if (down_) {
            HWND window = window_;
            emit(this, u"clicked");
            if (!window || fromWindow(window) != this)
                return;
            if (autoRelease_)
                setDown(false);
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (event->type == event_key_down) {
            event->accepted = true;
            if (HWND next = nextTabStop(event->key == VK_RIGHT))
                focusWindow(next);
        }
        break;
    default:
        break;
    }
}

void vButton::focusIn(HWND) {
    updateLook();
}

void vButton::focusOut(HWND) {
    // A press in progress pops up; a button kept down as checked (no automatic release) stays.
    if (autoRelease_)
        down_ = false;
    pressed_ = false;
    updateLook();
}

} // namespace vwin
