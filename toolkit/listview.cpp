// vListView: construction, the row list (insert, remove, move, clear, replace, queries) and the
// work that other threads hand to the GUI thread.

#include <algorithm>
#include <mutex>

#include "toolkit/listview.h"

namespace vwin {

vListView::vListView(vWidget* parent, bool readOnly, int selectionMode, std::uint32_t flags)
    : vView(parent, u"", flags), readOnly_(readOnly), selectionMode_(selectionMode),
      guiThread_(callingThread()) {
    items_.reserve(256);
    setBackgroundMode(background_window);
    setContentsSize(500, 0);
}

vListView::~vListView() {
    // Handlers of this class must not run any more: the edit field's signals and anybody else's.
    disconnect_all();
    std::vector<vListViewItem*> rows, roots;
    std::vector<vLineEdit*> fields;
    {
        std::lock_guard hold(lock_);
        if (editField_)
            fields.push_back(editField_);
        editField_ = nullptr;
        fields.insert(fields.end(), retired_.begin(), retired_.end());
        retired_.clear();
        edited_ = nullptr;
        current_ = nullptr;
        ensureItem_ = nullptr;
        detachForDelete(rows, roots);
    }
    for (vLineEdit* field : fields)
        delete field;
    destroyWindow();
    deleteRows(roots);
}

// ---- positions (under the lock) ----

int vListView::positionOf(const vListViewItem* item) const {
    const int n = static_cast<int>(items_.size());
    const int hint = item->index_;
    if (hint >= 0 && hint < n && items_[hint] == item)
        return hint;
    // Rows before layoutFrom_ stand at their index, so a row whose index is stale stands later.
    for (int i = std::min(std::max(layoutFrom_, 0), n); i < n; ++i)
        if (items_[i] == item)
            return i;
    return scanFor(item);
}

int vListView::scanFor(const vListViewItem* item) const {
    if (!item)
        return -1;
    auto found = std::find(items_.begin(), items_.end(), item);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void vListView::touch(int position) {
    if (position >= 0 && position < layoutFrom_)
        layoutFrom_ = position;
}

// The position after the last descendant of `parent` (which stands at parentPosition). The
// descendants follow their parent as one run of deeper rows; the walk starts at the parent's
// most recent child, so appending children one by one stays cheap.
int vListView::subtreeEnd(const vListViewItem* parent, int parentPosition) const {
    const int n = static_cast<int>(items_.size());
    int start = parentPosition + 1;
    if (parent->children_.count() != 0) {
        const vListViewItem* last = parent->children_.get(parent->children_.count() - 1);
        if (last->owner_ == this) {
            const int at = positionOf(last);
            if (at > start)
                start = at;
        }
    }
    const int depth = parent->depth();
    int i = start;
    while (i < n && items_[i]->depth() > depth)
        ++i;
    return i;
}

// Takes every row out of the list for deletion. `roots` are the rows that their parent does not
// delete: top-level rows and rows whose parent is not in this list.
void vListView::detachForDelete(std::vector<vListViewItem*>& rows,
                                std::vector<vListViewItem*>& roots) {
    rows.swap(items_);
    items_.clear();
    for (vListViewItem* row : rows)
        if (!row->parent_ || row->parent_->owner_ != this)
            roots.push_back(row);
    for (vListViewItem* row : rows) {
        row->owner_ = nullptr;
        row->index_ = -1;
    }
    layoutFrom_ = 0;
}

void vListView::deleteRows(std::vector<vListViewItem*>& roots) {
    for (vListViewItem* row : roots) {
        if (vListViewItem* parent = row->parent_) {
            // A row whose parent lives elsewhere: the parent must not delete it again.
            vListView* list = parent->owner_;
            if (list)
                list->lock_.lock();
            parent->children_.remove(row);
            if (list)
                list->lock_.unlock();
            row->parent_ = nullptr;
        }
        delete row;
    }
    roots.clear();
}

// ---- the row list ----

int vListView::insertItem(vListViewItem* item, int pos) {
    if (!item)
        return -1;
    vListView* other = item->owner_;
    if (other && other != this)
        other->removeItem(item);
    {
        std::lock_guard hold(lock_);
        if (item->owner_ == this)
            return item->index_;
        if (item->owner_)
            return -1; // taken by another list meanwhile
        const int n = static_cast<int>(items_.size());
        if (pos < 0 || pos > n)
            pos = n;
        items_.insert(items_.begin() + pos, item);
        item->owner_ = this;
        item->index_ = -1;
        touch(pos);
    }
    if (updatesEnabled()) {
        emit(this, u"listChanged");
        relayout();
    }
    // Another thread may have removed and deleted the row meanwhile: it is read only while this
    // list still holds it (found by its address, where it was put or elsewhere).
    std::lock_guard hold(lock_);
    const bool held =
        (pos < static_cast<int>(items_.size()) && items_[pos] == item) || scanFor(item) >= 0;
    return held ? item->index_ : -1;
}

bool vListView::removeItem(vListViewItem* item) {
    if (!item)
        return false;
    bool currentGone = false;
    bool editGone = false;
    dirty_rows rows;
    {
        std::lock_guard hold(lock_);
        if (item->owner_ != this)
            return false;
        const int pos = positionOf(item);
        if (pos < 0)
            return false;
        if (current_ == item) {
            current_ = nullptr;
            currentGone = true;
        }
        if (edited_ == item) {
            edited_ = nullptr;
            editGone = true;
        }
        if (ensureItem_ == item)
            ensureItem_ = nullptr;
        if (item->visible_)
            rows.add(item);
        items_.erase(items_.begin() + pos);
        item->owner_ = nullptr;
        item->index_ = -1;
        touch(pos);
    }
    repaintRows(rows);
    if (editGone)
        hideEditField();
    if (currentGone)
        emit(this, u"currentChanged");
    if (updatesEnabled()) {
        emit(this, u"listChanged");
        relayout();
    }
    return true;
}

void vListView::moveItem(vListViewItem* item, int pos) {
    if (!item || moveWithin(item, pos))
        return;
    // A row of another list: copy its text and height under that list's lock.
    str text;
    int height;
    {
        vListView* list = item->owner_;
        if (list)
            list->lock_.lock();
        text = item->text_;
        height = item->height_;
        if (list)
            list->lock_.unlock();
    }
    insertCopy(text, height, pos);
}

// Moves a row of this list to pos; false (nothing touched) when the pointer names no row here.
bool vListView::moveWithin(vListViewItem* item, int pos) {
    {
        std::lock_guard hold(lock_);
        const int from = scanFor(item);
        if (from < 0)
            return false;
        if (from == pos)
            return true;
        items_.erase(items_.begin() + from);
        const int n = static_cast<int>(items_.size());
        const int to = (pos < 0 || pos > n) ? n : pos;
        items_.insert(items_.begin() + to, item);
        item->index_ = -1;
        touch(std::min(from, to));
    }
    // The moved row becomes current quietly: as far as anybody knows it never left the list.
    setCurrent(item, false, 0);
    relayout();
    invalidate();
    return true;
}

void vListView::insertCopy(const str& text, int height, int pos) {
    auto* copy = new vListViewItem(static_cast<vListView*>(nullptr), text, height);
    insertItem(copy, pos);
}

void vListView::clear() {
    std::vector<vListViewItem*> rows, roots;
    {
        std::lock_guard hold(lock_);
        detachForDelete(rows, roots);
        current_ = nullptr;
        edited_ = nullptr;
        ensureItem_ = nullptr;
    }
    retireEditField();
    deleteRows(roots);
    if (updatesEnabled()) {
        relayout();
        invalidate();
    }
}

int vListView::replaceItems(std::vector<vListViewItem*> rows) {
    std::vector<vListViewItem*> old, roots;
    bool currentGone = false;
    bool editGone = false;
    int taken = 0;
    {
        std::lock_guard hold(lock_);
        currentGone = current_ != nullptr;
        editGone = edited_ != nullptr;
        detachForDelete(old, roots);
        items_.reserve(rows.size());
        for (vListViewItem* row : rows) {
            if (!row || row->owner_)
                continue; // in a list already (or repeated)
            if (row->parent_ && row->parent_->owner_ != this)
                continue; // its parent is not among the rows before it
            row->owner_ = this;
            row->index_ = -1;
            items_.push_back(row);
            ++taken;
        }
        current_ = nullptr;
        edited_ = nullptr;
        ensureItem_ = nullptr;
        layoutFrom_ = 0;
    }
    deleteRows(roots);
    if (editGone)
        hideEditField();
    if (currentGone)
        emit(this, u"currentChanged");
    if (updatesEnabled()) {
        emit(this, u"listChanged");
        relayout();
        invalidate();
    }
    return taken;
}

// ---- queries ----

int vListView::count() {
    std::lock_guard hold(lock_);
    return static_cast<int>(items_.size());
}

vListViewItem* vListView::at(int index) {
    std::lock_guard hold(lock_);
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return nullptr;
    return items_[index];
}

vListViewItem* vListView::current() {
    std::lock_guard hold(lock_);
    return current_;
}

int vListView::currentIndex() {
    std::lock_guard hold(lock_);
    return current_ ? positionOf(current_) : -1;
}

bool vListView::contains(const vListViewItem* item) {
    std::lock_guard hold(lock_);
    return scanFor(item) >= 0;
}

vListViewItem* vListView::editedItem() {
    std::lock_guard hold(lock_);
    return edited_;
}

vListViewItem* vListView::findItem(const char16_t* text) {
    std::lock_guard hold(lock_);
    for (auto it = items_.rbegin(); it != items_.rend(); ++it)
        if ((*it)->text_.equals(text, false))
            return *it;
    return nullptr;
}

// ---- colours ----

void vListView::setSelectedBackground(vColor color) {
    selectedBackground_ = color;
    invalidate();
}

void vListView::setItemTextColor(vColor color) {
    itemTextColor_ = color;
    invalidate();
}

void vListView::setSelectedTextColor(vColor color) {
    selectedTextColor_ = color;
    invalidate();
}

vColor vListView::viewBackground() const {
    const int mode = backgroundMode();
    if (mode >= 1 && mode <= 255)
        return systemColor(mode);
    return backgroundColor();
}

// ---- updates and work for the GUI thread ----

void vListView::setUpdatesEnabled(bool on) {
    vView::setUpdatesEnabled(on);
    if (updatesEnabled()) {
        relayout();
        repaint(); // from another thread this only invalidates
    }
}

void vListView::post(unsigned work) {
    if (posted_.fetch_or(work) != 0)
        return; // a message is on its way and will do this too
    if (!postMessage(listview_message, 0, 0))
        posted_.exchange(0); // no window: nothing to update
}

bool vListView::dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result) {
    if (message == listview_message) {
        runPosted();
        result = 0;
        return true;
    }
    return vView::dispatch(window, message, word, param, result);
}

void vListView::runPosted() {
    const unsigned work = posted_.exchange(0);
    if (work & gui_retire) {
        std::vector<vLineEdit*> fields;
        {
            std::lock_guard hold(lock_);
            fields.swap(retired_);
        }
        for (vLineEdit* field : fields)
            delete field;
    }
    if (work & gui_hide_edit)
        hideEditField();
    if (work & gui_size)
        applyContentHeight();
    if (work & gui_scroll) {
        layout_change change;
        bool show = false;
        int top = 0, bottom = 0;
        {
            std::lock_guard hold(lock_);
            vListViewItem* item = ensureItem_; // cleared when the row goes
            ensureItem_ = nullptr;
            if (item) {
                if (layoutStale() && updatesEnabled())
                    layoutLocked(change);
                show = item->visible_;
                top = item->top_;
                bottom = item->top_ + item->height_;
            }
        }
        applyLayout(change);
        if (show)
            scrollToShow(top, bottom);
    }
    if (work & gui_start_edit)
        openEditField();
}

} // namespace vwin
