// OrvelEditFile: the menu file's lines in a list, loaded and saved in line form, edited in place.

#include <mutex>
#include <vector>

#include "phone/ini_lines.h"
#include "phone/orvel_special_files.h"
#include "phone/orvel_special_view.h"
#include "toolkit/dialogs.h"

using namespace vwin;

namespace {

// One menu line. It draws like any row but without the carriage return of a CR LF line end,
// which is part of its text (so that the file is written back as it was) but no visible
// character.
class menuLine : public vListViewItem {
public:
    using vListViewItem::vListViewItem;

    // Changed since the file was loaded or last saved (guarded by the list's lock).
    bool changed = false;
    // The number of the edit that changed it last (guarded by the list's lock).
    std::uint64_t edit = 0;

    // Called while the list paints, under its lock.
    void draw(vPixmap& pixmap, const RECT& row) override {
        vListView* list = owner();
        if (!list || height() <= 0 || !isVisible())
            return;
        vColor back = list->viewBackground();
        if (isSelected())
            back = list->selectedBackground();
        else if (backgroundColor())
            back = backgroundColor();
        pixmap.fillRect(row, back);
        if (row.right - row.left < 3 || row.bottom - row.top < 3)
            return;
        vColor ink = textColor();
        if (!ink)
            ink = isSelected() ? list->selectedTextColor() : list->itemTextColor();
        pixmap.setTextColor(ink);
        if (changed) // a mark in the margin before the text
            pixmap.fillRect(RECT{row.left + 3, row.top + (row.bottom - row.top) / 2 - 2,
                                 row.left + 7, row.top + (row.bottom - row.top) / 2 + 2},
                            ink);
        const str shown = menuLineEditText(text());
        RECT area{row.left + 10, row.top, row.right, row.bottom};
        if (!shown.empty())
            pixmap.drawText(area, text_left | text_vcenter | text_singleline | DT_NOPREFIX, shown);
    }
};

} // namespace

OrvelEditFile::OrvelEditFile(vWidget* parent) : vListView(parent, false, selection_single) {}

OrvelEditFile::~OrvelEditFile() {
    disconnect_all();
}

bool OrvelEditFile::loadLines(iostore& stream) {
    ini_lines lines;
    lines.read(stream);
    std::vector<vListViewItem*> rows;
    rows.reserve(lines.count());
    menu_colouring colouring;
    for (unsigned i = 0; i < lines.count(); ++i) {
        const str* line = lines[i];
        if (!line)
            continue;
        auto* row = new menuLine(static_cast<vListView*>(nullptr), *line, line_height);
        row->setBackgroundColor(colouring.next(*line));
        rows.push_back(row);
    }
    // Rows, line-end state and the loaded mark change together, so that saveLines (which takes
    // the same lock) sees either the old file or the new one.
    std::lock_guard hold(listLock());
    const int taken = replaceItems(rows);
    lastOpen_ = lines.last_line_open();
    form_ = lines.form();
    loaded_ = true;
    return taken == static_cast<int>(rows.size());
}

bool OrvelEditFile::saveLines(iobase& stream, std::uint64_t* edits) {
    // A copy of the lines taken under the lock; the writing happens after it.
    ini_lines lines;
    {
        std::lock_guard hold(listLock());
        if (!loaded_)
            return false;
        const int n = count();
        for (int i = 0; i < n; ++i) {
            const vListViewItem* row = at(i);
            if (!lines.append(row ? row->text() : str()))
                return false;
        }
        lines.set_last_line_open(lastOpen_);
        lines.set_form(form_);
        if (edits)
            *edits = edits_;
    }
    return lines.write(stream);
}

bool OrvelEditFile::edited() {
    std::lock_guard hold(listLock());
    for (int i = 0; i < count(); ++i)
        if (auto* row = dynamic_cast<menuLine*>(at(i)); row && row->changed)
            return true;
    return false;
}

void OrvelEditFile::clearEditMarks(std::uint64_t edits) {
    {
        std::lock_guard hold(listLock());
        for (int i = 0; i < count(); ++i)
            if (auto* row = dynamic_cast<menuLine*>(at(i)); row && row->edit <= edits)
                row->changed = false;
    }
    invalidate();
}

bool OrvelEditFile::loaded() {
    std::lock_guard hold(listLock());
    return loaded_;
}

void OrvelEditFile::startEdit(vListViewItem* item, bool force) {
    vListView::startEdit(item, force);
    vLineEdit* field = editField();
    if (!field || !sameThread())
        return;
    str shown;
    {
        std::lock_guard hold(listLock());
        if (!item || editedItem() != item)
            return;
        shown = menuLineEditText(item->text());
    }
    field->setText(shown.c_str());
    field->selectAll();
}

void OrvelEditFile::commitEdit() {
    vLineEdit* field = editField();
    if (!field) {
        vListView::commitEdit();
        return;
    }
    // Read the field before taking the lock: reading a window's text may send it a message.
    const str edited = field->text();
    bool refused = false;
    {
        std::lock_guard hold(listLock());
        vListViewItem* item = editedItem(); // still a row of this list while the lock is held
        if (item) {
            str line;
            if (menuLineFromEdit(item->text(), edited, line)) {
                if (auto* row = dynamic_cast<menuLine*>(item); row && !(line == item->text())) {
                    row->changed = true;
                    row->edit = ++edits_;
                }
                item->setText(line);
            } else {
                refused = true;
            }
        }
    }
    if (refused) {
        ++refused_;
        vwin::warningBeep();
    }
    cancelEdit();
}
