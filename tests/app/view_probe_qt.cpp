// Input for the window tests as Qt delivers it: events sent through the application, which hands
// an event the widget did not take to its parent.

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>

#include "tests/app/view_probe.h"
#include "toolkit/qt_driver_qt.h"

namespace app_test {

namespace {

QWidget* qwidget(vwin::vWidget& widget) {
    return reinterpret_cast<QWidget*>(widget.window());
}

Qt::MouseButton qt_button(std::uint32_t button) {
    switch (button) {
    case vwin::button_left:
        return Qt::LeftButton;
    case vwin::button_right:
        return Qt::RightButton;
    case vwin::button_middle:
        return Qt::MiddleButton;
    default:
        return Qt::NoButton;
    }
}

Qt::MouseButtons qt_buttons(std::uint32_t held) {
    Qt::MouseButtons buttons;
    if (held & MK_LBUTTON)
        buttons |= Qt::LeftButton;
    if (held & MK_RBUTTON)
        buttons |= Qt::RightButton;
    if (held & MK_MBUTTON)
        buttons |= Qt::MiddleButton;
    return buttons;
}

// The Qt key of a virtual-key code (the keys these tests press).
int qt_key(std::uint32_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return static_cast<int>(key);
    if (key >= VK_F1 && key <= VK_F1 + 23)
        return Qt::Key_F1 + static_cast<int>(key - VK_F1);
    switch (key) {
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_DELETE:
        return Qt::Key_Delete;
    case VK_APPS:
        return Qt::Key_Menu;
    default:
        return Qt::Key_unknown;
    }
}

} // namespace

void sendMouse(vwin::vWidget& widget, std::uint32_t type, std::uint32_t button, int x, int y,
               std::uint32_t held) {
    QWidget* target = qwidget(widget);
    if (!target)
        return;
    QEvent::Type kind = QEvent::MouseMove;
    if (type == vwin::event_press)
        kind = QEvent::MouseButtonPress;
    else if (type == vwin::event_release)
        kind = QEvent::MouseButtonRelease;
    else if (type == vwin::event_double_click)
        kind = QEvent::MouseButtonDblClick;
    const QPoint at(x, y);
    QMouseEvent event(kind, QPointF(at), QPointF(target->mapToGlobal(at)),
                      kind == QEvent::MouseMove ? Qt::NoButton : qt_button(button),
                      qt_buttons(held), Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void sendKey(vwin::vWidget& widget, std::uint32_t key, std::uint32_t type) {
    QWidget* target = qwidget(widget);
    if (!target)
        return;
    QKeyEvent event(type == vwin::event_key_up ? QEvent::KeyRelease : QEvent::KeyPress, qt_key(key),
                    Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void requestClose(vwin::vWidget& window) {
    if (QWidget* target = qwidget(window))
        target->close();
}

} // namespace app_test
