// vListView input: the current row and the selection, mouse presses and double-clicks, pointer
// moves that start an item drag, the keyboard and the wheel.

#include <cstdlib>
#include <mutex>

#include "toolkit/listview.h"

namespace vwin {

// setCurrent(item, emit, flags), flags being the mouse key state or the key modifiers:
//   left + Control: the new row's selection toggles;
//   otherwise in selection mode 0, or with left or Control: the new row alone is selected;
//   otherwise the selection stays as it is.
// The previous current row loses its selection in modes 0 and 1. The new row is scrolled into
// view. "currentChanged" and "selectionChanged" follow when asked.
void vListView::setCurrent(vListViewItem* item, bool emitSignals, std::uint32_t flags) {
    bool currentChanged = false;
    bool selectionChanged = false;
    dirty_rows rows;
    {
        std::lock_guard hold(lock_);
        if (item && scanFor(item) < 0)
            return; // not a row of this list
        vListViewItem* old = current_;
        current_ = item;
        currentChanged = old != item;
        if (item) {
            const bool toggle =
                (flags & (current_left | current_control)) == (current_left | current_control);
            if (toggle) {
                item->selected_ = !item->selected_;
                selectionChanged = true;
                rows.add(item);
            } else if (selectionMode_ == selection_none ||
                       (flags & (current_left | current_control)) != 0) {
                for (vListViewItem* row : items_) {
                    const bool want = row == item;
                    if (row->selected_ != want) {
                        row->selected_ = want;
                        selectionChanged = true;
                        if (row->visible_)
                            rows.add(row);
                    }
                }
                rows.add(item);
            } else {
                rows.add(item);
            }
        }
        if (old && old != item) {
            if (selectionMode_ <= selection_single)
                old->selected_ = false;
            if (old->visible_)
                rows.add(old);
        }
    }
    repaintRows(rows);
    if (item)
        ensureVisible(item);
    if (emitSignals) {
        if (currentChanged)
            emit(this, u"currentChanged", item);
        if (selectionChanged)
            emit(this, u"selectionChanged", item);
    }
}

void vListView::selectItem(vListViewItem* item) {
    if (!item || selectionMode_ == selection_none)
        return;
    dirty_rows rows;
    {
        std::lock_guard hold(lock_);
        if (scanFor(item) < 0)
            return;
        if (selectionMode_ == selection_single) {
            for (vListViewItem* row : items_) {
                const bool want = row == item;
                if (row->selected_ != want) {
                    row->selected_ = want;
                    if (row->visible_)
                        rows.add(row);
                }
            }
        } else if (!item->selected_) {
            item->selected_ = true;
            rows.add(item);
        }
    }
    repaintRows(rows);
}

void vListView::selectIndex(int index) {
    selectItem(at(index));
}

void vListView::selectAll() {
    {
        std::lock_guard hold(lock_);
        for (vListViewItem* row : items_)
            row->selected_ = true;
    }
    invalidate();
    emit(this, u"selectionChanged", nullptr);
}

void vListView::toggleExpanded(vListViewItem* item) {
    setExpandedChecked(item, false, true);
}

// Expands or collapses a row of this list (or the current row when item is null); toggles when
// asked. The row is checked and changed under the lock, so one deleted meanwhile is never touched.
void vListView::setExpandedChecked(vListViewItem* item, bool on, bool toggle) {
    dirty_rows rows;
    {
        std::lock_guard hold(lock_);
        if (!item)
            item = current_;
        else if (scanFor(item) < 0)
            return;
        if (!item)
            return;
        const bool want = toggle ? !item->expanded_ : on;
        if (item->expanded_ == want)
            return;
        item->expanded_ = want;
        touch(positionOf(item));
        if (item->visible_)
            rows.add(item);
    }
    repaintRows(rows);
    relayout();
}

// ---- navigation (under the lock, on a current layout) ----

vListViewItem* vListView::nextVisible(int from) const {
    const int n = static_cast<int>(items_.size());
    for (int i = from < 0 ? 0 : from; i < n; ++i)
        if (items_[i]->visible_)
            return items_[i];
    return nullptr;
}

vListViewItem* vListView::previousVisible(int from) const {
    const int n = static_cast<int>(items_.size());
    for (int i = from >= n ? n - 1 : from; i >= 0; --i)
        if (items_[i]->visible_)
            return items_[i];
    return nullptr;
}

vListViewItem* vListView::nextBy(int n) const {
    if (!current_)
        return nextVisible(0);
    return nextVisible(positionOf(current_) + n);
}

vListViewItem* vListView::previousBy(int n) const {
    if (!current_)
        return previousVisible(static_cast<int>(items_.size()) - 1);
    return previousVisible(positionOf(current_) - n);
}

// ---- mouse ----

vListViewItem* vListView::itemEvent(vMouseEvent* event) {
    const int index = indexAt(event->y);
    std::lock_guard hold(lock_);
    vListViewItem* item =
        index >= 0 && index < static_cast<int>(items_.size()) ? items_[index] : nullptr;
    if (item) {
        vMouseEvent local = *event;
        local.y -= item->top_;
        item->mouseEvent(&local);
    }
    return item;
}

void vListView::contentsMouseEvent(vMouseEvent* event) {
    switch (event->type) {
    case event_press:
        handlePress(event);
        break;
    case event_double_click:
        handleDoubleClick(event);
        break;
    case event_move:
        if (dragPending_ && (event->buttonsAfter & MK_LBUTTON)) {
            const int distance = std::abs(event->x - pressX_) + std::abs(event->y - pressY_);
            if (distance > 2) {
                dragPending_ = false;
                startDrag(current());
            }
        }
        break;
    case event_release:
        if (event->button == button_left)
            dragPending_ = false;
        break;
    default:
        break;
    }
}

void vListView::handlePress(vMouseEvent* event) {
    vListViewItem* item = itemEvent(event);
    cancelEdit();
    if (event->button == button_left) {
        setCurrent(item, true, event->buttonsAfter);
        setFocus();
        if (acceptsItemDrags()) {
            dragPending_ = item != nullptr;
            pressX_ = event->x;
            pressY_ = event->y;
        }
        bool opener = false;
        {
            std::lock_guard hold(lock_);
            if (item && scanFor(item) >= 0 && item->children_.count() != 0 &&
                item->expanderX_ >= 0 && event->x >= item->expanderX_ &&
                event->x <= item->expanderX_ + 8)
                opener = true;
        }
        if (opener)
            emit(this, u"opener", item);
        emit(this, u"clicked", item, event->screenX, event->screenY);
    } else if (event->button == button_right) {
        setCurrent(item, true, event->buttonsAfter);
        emit(this, u"rightButtonClicked", item, event->screenX, event->screenY);
    }
}

void vListView::handleDoubleClick(vMouseEvent* event) {
    vListViewItem* item = itemEvent(event);
    if (event->button == button_right) {
        emit(this, u"rightDoubleClicked", item, event->screenX, event->screenY);
        return;
    }
    if (event->button != button_left)
        return;
    if (emit(this, u"doubleClicked", item, event->screenX, event->screenY) > 0)
        return; // somebody handles double-clicks: no toggling, no editing
    if (!item)
        return;
    setCurrent(item, true, event->buttonsAfter);
    toggleExpanded(item);
    startEdit(item, false);
}

// ---- keyboard ----

void vListView::keyEvent(vKeyEvent* event) {
    if (event->type != event_key_down)
        return;
    cancelEdit();
    if (count() == 0)
        return;
    relayout(); // navigation follows the visible rows as they are now
    const std::uint32_t mods = event->modifiers;
    auto moveTo = [&](vListViewItem* target) {
        if (keysSelect_) {
            // The row moved to is selected alone (Control only moves the current row), and the
            // walk stops at the first and the last row.
            if (!target)
                target = current();
            setCurrent(target, true, (mods & current_control) ? 0u : std::uint32_t(current_left));
        } else {
            setCurrent(target, true, mods);
        }
        emit(this, u"pressed");
        event->accept();
    };
    auto pick = [&](auto find) {
        std::lock_guard hold(lock_);
        return find();
    };
    switch (event->key) {
    case VK_RETURN:
        startEdit(current(), false);
        event->accept();
        break;
    case VK_SPACE:
        setCurrent(current(), true, mods | current_left);
        event->accept();
        break;
    case VK_PRIOR:
        moveTo(pick([&] { return previousBy(10); }));
        break;
    case VK_NEXT:
        moveTo(pick([&] { return nextBy(10); }));
        break;
    case VK_END:
        moveTo(pick([&] { return previousVisible(static_cast<int>(items_.size()) - 1); }));
        break;
    case VK_HOME:
        moveTo(pick([&] { return nextVisible(0); }));
        break;
    case VK_UP:
        moveTo(pick([&] { return previousBy(1); }));
        break;
    case VK_DOWN:
        moveTo(pick([&] { return nextBy(1); }));
        break;
    case 'A':
        if ((mods & modifier_control) && selectionMode_ >= selection_multi) {
            selectAll();
            event->accept();
        }
        break;
    case VK_ADD:
    case VK_SUBTRACT:
        setExpandedChecked(nullptr, event->key == VK_ADD, false);
        break;
    case VK_TAB:
        // Control+Tab is the window's (it switches pages).
        if (!(mods & modifier_control)) {
            event->accept();
            moveFocus((mods & modifier_shift) == 0);
        }
        break;
    default:
        break;
    }
    std::lock_guard hold(lock_);
    if (current_)
        current_->keyEvent(event);
}

void vListView::focusIn(HWND) {
    invalidate();
}

void vListView::focusOut(HWND) {
    invalidate();
}

// ---- wheel ----

void vListView::wheelEvent(vWheelEvent* event) {
    if (selectionMode_ != selection_none) {
        vView::wheelEvent(event);
        return;
    }
    // Without a selection the wheel walks the rows: towards the user to the next one.
    relayout();
    vListViewItem* target;
    {
        std::lock_guard hold(lock_);
        target = event->delta < 1 ? nextBy(1) : previousBy(1);
    }
    setCurrent(target, true, event->buttonsBefore);
    event->accept();
}

} // namespace vwin
