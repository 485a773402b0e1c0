// vLineEdit: the keys and notifications that become its signals.

#include "toolkit/controls.h"

namespace vwin {

void vLineEdit::keyEvent(vKeyEvent* event) {
    if (event->type != event_key_down)
        return;
    if (event->key == VK_RETURN) {
        event->accepted = true;
        emit(this, u"returnPressed");
    } else if (event->key == VK_ESCAPE) {
        event->accepted = true;
        emit(this, u"escapePressed");
    }
}

void vLineEdit::command(std::uint32_t code) {
    switch (code) {
    case EN_SETFOCUS:
        emit(this, u"setFocus");
        break;
    case EN_KILLFOCUS:
        emit(this, u"lostFocus");
        break;
    case EN_CHANGE:
        emit(this, u"textChanged");
        break;
    default:
        break;
    }
}

void vLineEdit::selectAll() {
    setSelection(0, -1);
}

} // namespace vwin
