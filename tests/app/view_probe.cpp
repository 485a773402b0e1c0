// The clicks of the window tests, made of the driver's mouse events.

#include "tests/app/view_probe.h"

namespace app_test {

void click(vwin::vWidget& widget, int x, int y) {
    sendMouse(widget, vwin::event_press, vwin::button_left, x, y, MK_LBUTTON);
    sendMouse(widget, vwin::event_release, vwin::button_left, x, y, 0);
}

void rightClick(vwin::vWidget& widget, int x, int y) {
    sendMouse(widget, vwin::event_press, vwin::button_right, x, y, MK_RBUTTON);
    sendMouse(widget, vwin::event_release, vwin::button_right, x, y, 0);
}

void doubleClick(vwin::vWidget& widget, int x, int y) {
    click(widget, x, y);
    sendMouse(widget, vwin::event_double_click, vwin::button_left, x, y, MK_LBUTTON);
    sendMouse(widget, vwin::event_release, vwin::button_left, x, y, 0);
}

} // namespace app_test
