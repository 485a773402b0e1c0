#pragma once
// The modifier and button state words of the toolkit's input events, read from the key state at
// the time of the message being handled.

#include <windows.h>

#include <cstdint>

#include "toolkit/widget.h"

namespace vwin {

// modifier_shift | modifier_control | modifier_alt.
inline std::uint32_t key_modifiers() {
    std::uint32_t m = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        m |= modifier_shift;
    if (GetKeyState(VK_CONTROL) < 0)
        m |= modifier_control;
    if (GetKeyState(VK_MENU) < 0)
        m |= modifier_alt;
    return m;
}

// A mouse message's MK_* bits (low 16 bits of its word) plus shift (4) and alt (128).
inline std::uint32_t mouse_state(WPARAM word) {
    std::uint32_t s = static_cast<std::uint32_t>(word & 0xFFFF);
    if (GetKeyState(VK_SHIFT) < 0)
        s |= modifier_shift;
    if (GetKeyState(VK_MENU) < 0)
        s |= modifier_alt;
    return s;
}

// The key event of a WM_KEYDOWN / WM_KEYUP message.
inline vKeyEvent key_event(UINT message, WPARAM word) {
    vKeyEvent e;
    e.key = static_cast<std::uint32_t>(word);
    e.type = message == WM_KEYDOWN ? event_key_down : event_key_up;
    e.modifiers = key_modifiers();
    e.accepted = false;
    return e;
}

} // namespace vwin
