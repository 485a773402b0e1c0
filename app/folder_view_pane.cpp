// OrvelFolder: one pane of the browser. Its context menu, activation of folder rows and the
// opener of the tree; rows are handed to the view as copies taken under the pane's lock.

#include <mutex>

#include "app/folder_view.h"
#include "app/folder_view_paths.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "toolkit/orvel_colors.h"

OrvelFolder::OrvelFolder(vwin::vWidget* view, bool tree)
    : vListView(view, true, selection_multi), tree_(tree) {
    setBackgroundColor(orvel_color::white);
    setItemTextColor(orvel_color::blue);
    setSelectedBackground(orvel_color::blue);
    setSelectedTextColor(orvel_color::white);
    // No horizontal bar: the contents are as wide as the pane.
    setHScrollEnabled(false);
    setFitWidth(true);
    setKeysSelect(true);
    setShowsFocus(true);
    connect(this, u"rightButtonClicked", this, &OrvelFolder::rightButtonClicked);
    connect(this, u"clicked", this, &OrvelFolder::clicked);
    connect(this, u"opener", this, &OrvelFolder::opener);
}

OrvelFolder::~OrvelFolder() {
    // command() uses the menu row: no message may reach it from here on.
    destroyWindow();
}

OrvelFolderItem* OrvelFolder::rowLocked(const vwin::vListViewItem* item) {
    if (!item || !contains(item))
        return nullptr;
    return dynamic_cast<OrvelFolderItem*>(const_cast<vwin::vListViewItem*>(item));
}

bool OrvelFolder::copyRow(const vwin::vListViewItem* item, OrvelFolderRow& out) {
    std::lock_guard hold(listLock());
    const OrvelFolderItem* row = rowLocked(item);
    if (!row)
        return false;
    out.item = row;
    out.path = row->path();
    out.name = row->name();
    out.attributes = row->attributes();
    out.extra = row->extra();
    out.size = row->size();
    return true;
}

std::vector<OrvelFolderRow> OrvelFolder::takeRows(const OrvelFolderRow& given, bool remove) {
    std::vector<OrvelFolderRow> rows;
    std::lock_guard hold(listLock());
    int i = 0;
    while (i < count()) {
        auto* row = dynamic_cast<OrvelFolderItem*>(at(i));
        if (!row || !(row->isSelected() || given.describes(row))) {
            ++i;
            continue;
        }
        OrvelFolderRow copy;
        copyRow(row, copy);
        rows.push_back(std::move(copy));
        if (remove)
            delete row; // the next row moves into place i
        else
            ++i;
    }
    return rows;
}

void OrvelFolder::rightButtonClicked(vwin::vListViewItem* item, int screenX, int screenY) {
    bool outside = false;
    {
        std::lock_guard hold(listLock());
        const OrvelFolderItem* row = rowLocked(item);
        outside = row && !row->isSelected();
    }
    // A row outside the selection becomes the selection, so the menu acts on what is shown.
    if (outside)
        setCurrent(item, true, current_left);
    openMenu(item, screenX, screenY);
}

void OrvelFolder::openMenu(vwin::vListViewItem* item, int screenX, int screenY) {
    OrvelFolderRow row;
    const bool onRow = item && copyRow(item, row);
    menuItem_ = onRow ? item : nullptr;
    menuRow_ = std::move(row);
    vwin::vPopupMenu menu;
    if (onRow) {
        menu.addItem(uiText(ui_text::menu_copy), command_copy);
        menu.addSeparator();
        menu.addItem(uiText(ui_text::menu_delete), command_delete);
        // The phone's protocol removes files only.
        menu.setEnabled(command_delete, !(menuRow_.attributes & phone_folder_bit));
        menu.addSeparator();
    }
    menu.addItem(uiText(ui_text::menu_new_folder), command_new_folder);
    menu.addItem(uiText(ui_text::menu_refresh), command_refresh);
    // The choice arrives later as a command message (command()).
    menu.track(window(), screenX, screenY, 0);
    invalidate();
}

void OrvelFolder::keyEvent(vwin::vKeyEvent* event) {
    const bool menuKey = event->key == VK_APPS ||
                         (event->key == VK_F10 && (event->modifiers & vwin::modifier_shift));
    const std::uint32_t controlShift = vwin::modifier_control | vwin::modifier_shift;
    if (event->key == 'N' && (event->modifiers & controlShift) == controlShift) {
        event->accept();
        if (event->type == vwin::event_key_down)
            emit(this, u"newFolder");
        return;
    }
    if (event->key == VK_DELETE) {
        // Files only: the phone's protocol cannot remove a folder.
        event->accept();
        if (event->type == vwin::event_key_down && !tree_)
            emit(this, u"delete", current());
        return;
    }
    if (!menuKey) {
        vListView::keyEvent(event);
        return;
    }
    event->accept();
    if (event->type != vwin::event_key_down)
        return;
    vwin::vListViewItem* item = current();
    int top = 0, height = 0;
    {
        std::lock_guard hold(listLock());
        if (rowLocked(item)) {
            top = item->top();
            height = item->height();
        } else {
            item = nullptr;
        }
    }
    // Beside the row, as if the pointer were at its start.
    const POINT origin = screenPosition();
    openMenu(item, origin.x + 20, origin.y + top - contentsY() + height);
}

void OrvelFolder::clicked(vwin::vListViewItem*, int, int) {}

void OrvelFolder::opener(vwin::vListViewItem* item) {
    if (!tree_)
        return;
    // Held while toggling: the worker may delete rows of this pane at any time.
    std::lock_guard hold(listLock());
    if (OrvelFolderItem* row = rowLocked(item))
        row->setExpanded(!row->isExpanded());
}

void OrvelFolder::command(std::uint32_t code) {
    if (code == command_refresh || code == command_new_folder) {
        emit(this, code == command_refresh ? u"refresh" : u"newFolder");
        return;
    }
    if (code != command_copy && code != command_delete)
        return;
    vwin::vListViewItem* item = const_cast<vwin::vListViewItem*>(menuItem_);
    {
        // The row may have been listed again (deleted) while the menu was open.
        std::lock_guard hold(listLock());
        if (!menuRow_.describes(rowLocked(item)))
            return;
    }
    emit(this, code == command_copy ? u"copy" : u"delete", item);
}

void OrvelFolder::startEdit(vwin::vListViewItem* item, bool) {
    OrvelFolderRow row;
    if (!copyRow(item, row) || !(row.attributes & phone_folder_bit))
        return;
    emit(this, u"cd", row.path.c_str());
}
