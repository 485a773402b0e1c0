// vListView in-place editing: one edit field, made on first use and reused, laid over the edited
// row. Its window is only ever made, shown, hidden and destroyed on the GUI thread; other threads
// post those steps.

#include <mutex>

#include "toolkit/listview.h"

namespace vwin {

namespace {

// The edit field's creation flag of the widget layer (no meaning for a child window).
constexpr std::uint32_t edit_field_flags = 0x100000;

} // namespace

void vListView::startEdit(vListViewItem* item, bool force) {
    if (!item || (readOnly_ && !force))
        return;
    {
        std::lock_guard hold(lock_);
        if (scanFor(item) < 0)
            return;
        edited_ = item;
    }
    if (onGuiThread())
        openEditField();
    else
        post(gui_start_edit);
}

// GUI thread: shows the field over the edited row with the row's text, all of it selected.
void vListView::openEditField() {
    str text;
    int top = 0, height = 0;
    vLineEdit* field;
    layout_change change;
    {
        std::lock_guard hold(lock_);
        vListViewItem* item = edited_;
        if (!item)
            return;
        if (layoutStale() && updatesEnabled())
            layoutLocked(change);
        text = item->text_;
        top = item->top_;
        height = item->height_;
        field = editField_;
    }
    applyLayout(change);
    if (!field) {
        field = new vLineEdit(this, u"", edit_field_flags);
        connect(field, u"returnPressed", this, &vListView::commitEdit);
        connect(field, u"escapePressed", this, &vListView::cancelEdit);
        connect(field, u"lostFocus", this, &vListView::cancelEdit);
        std::lock_guard hold(lock_);
        editField_ = field;
    }
    field->setText(text.c_str());
    field->setGeometry(contentsRect().left, top + contentsRect().top, contentsWidth(), height);
    field->setVisible(true);
    field->selectAll();
    field->setFocus();
}

void vListView::cancelEdit() {
    {
        std::lock_guard hold(lock_);
        edited_ = nullptr;
    }
    hideEditField();
}

void vListView::commitEdit() {
    vLineEdit* field;
    {
        std::lock_guard hold(lock_);
        field = editField_;
        if (!field || !edited_)
            return;
    }
    // Read before taking the lock again: reading a window's text may send it a message.
    const str text = field->text();
    dirty_rows rows;
    {
        std::lock_guard hold(lock_);
        vListViewItem* item = edited_; // cleared when the row goes, so still a row of this list
        if (item && !(item->text_ == text)) {
            item->text_.assign(text);
            if (item->visible_)
                rows.add(item);
        }
    }
    repaintRows(rows);
    cancelEdit();
}

// Hides the field unless a row is being edited again. The list takes the focus back when the
// field had it.
void vListView::hideEditField() {
    if (!onGuiThread()) {
        post(gui_hide_edit);
        return;
    }
    vLineEdit* field;
    {
        std::lock_guard hold(lock_);
        field = editField_;
        if (!field || edited_)
            return;
    }
    if (!field->isVisible())
        return;
    const bool hadFocus = field->hasFocus();
    field->setVisible(false);
    if (hadFocus)
        setFocus();
}

// The field is destroyed: at once on the GUI thread, else handed to it.
void vListView::retireEditField() {
    vLineEdit* field;
    {
        std::lock_guard hold(lock_);
        field = editField_;
        editField_ = nullptr;
        edited_ = nullptr;
        if (field && !onGuiThread())
            retired_.push_back(field);
    }
    if (!field)
        return;
    if (!onGuiThread()) {
        post(gui_retire);
        return;
    }
    const bool hadFocus = field->hasFocus();
    field->setVisible(false);
    delete field;
    if (hadFocus)
        setFocus();
}

} // namespace vwin
