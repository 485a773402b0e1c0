// vLabel: a line of text, clickable when anybody listens.

#include "toolkit/controls.h"

namespace vwin {

vLabel::vLabel(vWidget* parent, const char16_t* text, std::uint32_t flags)
    : vWidget(parent, text, flags), alignment_(flags & 0x0F) {
    // The background is not painted: the parent shows through.
    setBackgroundMode(background_none);
}

void vLabel::setTextColor(vColor color) {
    if (color == textColor_)
        return;
    textColor_ = color;
    invalidate();
}

void vLabel::setAlignment(unsigned flags) {
    alignment_ = flags & 0x0F;
    invalidate();
}

void vLabel::paint(vPainter& painter) {
    painter.setTextColor(textColor_);
    RECT r{1, 1, clientWidth() - 1, clientHeight() - 1};
    const str t = text();
    painter.drawText(r, alignment_ | text_wordbreak, t.c_str());
}

void vLabel::mouseEvent(vMouseEvent* event) {
    // A label takes its presses (they do not reach the window beneath); "clicked" reaches
    // whoever listens.
    if (event->type == event_press && event->button == button_left)
        emit(this, u"clicked");
}

} // namespace vwin
