// What vWidget's virtual operations do when a subclass does not override them, with either driver:
// nothing, and events it is offered stay unaccepted.

#include "toolkit/widget.h"

namespace vwin {

void vWidget::restyle() {}
void vWidget::created() {}
void vWidget::destroyed() {}
bool vWidget::canClose() {
    return true;
}
void vWidget::paint(vPainter&) {}
void vWidget::mouseEvent(vMouseEvent* event) {
    if (event)
        event->accepted = false;
}
void vWidget::wheelEvent(vWheelEvent* event) {
    if (event)
        event->accepted = false;
}
void vWidget::keyEvent(vKeyEvent*) {}
void vWidget::focusIn(HWND) {}
void vWidget::focusOut(HWND) {}
bool vWidget::setCursor(HWND) {
    return false;
}
void vWidget::shown(bool) {}
void vWidget::resized(int, int) {}
void vWidget::moved(int, int) {}
bool vWidget::userMessage(UINT, WPARAM, LPARAM) {
    return false;
}
void vWidget::scrolled(int, int) {}
void vWidget::mouseEnter() {}
void vWidget::mouseLeave() {}
void vWidget::mouseHover() {}
void vWidget::timer(int) {}
void vWidget::command(std::uint32_t) {}
void vWidget::controlColor(vPainter&, LRESULT&) {}
void vWidget::drawItem(vPainter&, const RECT&, UINT, UINT) {}
void vWidget::menuCommand(int, HMENU) {}

} // namespace vwin
