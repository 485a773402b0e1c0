// The drag-and-drop members of vWidget: the drop registration of its window and the default drag
// handlers, which pass an event on to the child widgets under the pointer.

#include "toolkit/dnd.h"
#include "toolkit/widget.h"

#include <new>
#include <vector>

namespace vwin {

namespace {

// The direct child windows, collected before any handler runs: a handler may destroy windows.
std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> children;
    if (!parent)
        return children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Calls `pass` for every child widget whose hit test at the event's point is positive. A child
// counts only while it is still bound to its window (the identity test of fromWindow) and shown:
// a hidden page is under no pointer.
template <class Pass> void pass_to_children_under(HWND parent, vDropEvent* event, Pass pass) {
    if (!event)
        return;
    for (HWND child : child_windows(parent)) {
        vWidget* widget = vWidget::fromWindow(child);
        if (!widget || !(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        if (widget->hitTest(event->point.x, event->point.y) > 0)
            pass(widget);
    }
}

} // namespace

void vWidget::setAcceptDrops(bool on) {
    revokeDrops();
    // Any call opens the way for item drags, whether or not the window takes drops itself.
    itemDrags_ = true;
    if (!on || !window_)
        return;
    auto* target = new (std::nothrow) vDropTarget(this);
    if (!target)
        return;
    if (!target->registerWindow(window_)) {
        target->revoke();
        target->Release();
        return;
    }
    dropTarget_ = target;
}

void vWidget::revokeDrops() {
    vDropTarget* target = dropTarget_;
    dropTarget_ = nullptr;
    if (!target)
        return;
    target->revoke();
    target->Release();
}

void vWidget::dragEnter(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->dragEnter(event); });
}

void vWidget::dragMove(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->dragMove(event); });
}

void vWidget::dragLeave(std::uintptr_t word) {
    for (HWND child : child_windows(window_)) {
        if (vWidget* widget = vWidget::fromWindow(child))
            widget->dragLeave(word);
    }
}

void vWidget::drop(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->drop(event); });
}

} // namespace vwin
