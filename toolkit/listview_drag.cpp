// vListView item drags: a row dragged with the pointer is carried as a named pointer
// ("vListViewItem") and dropped into the same list (moved) or another list of this program
// (copied). While the drag runs, the row's text and height are kept aside: a drop never reads a
// row that may have been deleted by another thread during the drag, and a pointer that does not
// name the row being dragged is never used.

#include <atomic>
#include <mutex>

#include "toolkit/dnd.h"
#include "toolkit/listview.h"

namespace vwin {

namespace {

constexpr const char16_t* item_format_name = u"vListViewItem";

// The row being dragged by this process (one drag at a time: the platform's drag loop is modal).
struct item_drag {
    std::mutex lock;
    std::atomic<const vListViewItem*> item{nullptr}; // written under lock; null once deleted
    const vListView* source = nullptr;               // guarded by lock
    str text;                                        // guarded by lock
    int height = 0;                                  // guarded by lock
};

item_drag& dragged() {
    static item_drag* state = new item_drag; // never destroyed: rows may outlive statics
    return *state;
}

} // namespace

void vListView::forgetDraggedItem(const vListViewItem* item) {
    item_drag& d = dragged();
    if (d.item.load() != item)
        return;
    std::lock_guard hold(d.lock);
    if (d.item.load() == item)
        d.item.store(nullptr);
}

void vListView::startDrag(vListViewItem* item) {
    if (!item || !onGuiThread())
        return;
    item_drag& d = dragged();
    {
        std::lock_guard hold(lock_);
        if (scanFor(item) < 0)
            return;
        std::lock_guard keep(d.lock);
        d.item.store(item);
        d.source = this;
        d.text = item->text_;
        d.height = item->height_;
    }
    runItemDrag(item);
    std::lock_guard keep(d.lock);
    d.item.store(nullptr);
    d.source = nullptr;
}

void vListView::dragEnter(vDropEvent* event) {
    if (event->hasNamedPointer(item_format_name))
        event->acceptMove();
    else
        event->refuse();
}

void vListView::drop(vDropEvent* event) {
    str name;
    std::uintptr_t value = 0;
    if (!event->pointerValue(name, value) || !name.equals(item_format_name)) {
        event->refuse();
        return;
    }
    vListViewItem* item = nullptr;
    bool same = false;
    str text;
    int height = 0;
    {
        item_drag& d = dragged();
        std::lock_guard keep(d.lock);
        const vListViewItem* live = d.item.load();
        if (!live || reinterpret_cast<std::uintptr_t>(live) != value) {
            event->refuse(); // not the row being dragged, or it was deleted meanwhile
            return;
        }
        item = const_cast<vListViewItem*>(live);
        same = d.source == this;
        text = d.text;
        height = d.height;
    }
    const POINT origin = screenPosition(); // the client area's, on the screen
    const int pos =
        indexAt(event->point.y - origin.y + contentsY()); // -1 below the last row: appended
    if (same)
        moveWithin(item, pos); // nothing when the row left this list meanwhile
    else
        insertCopy(text, height, pos);
    event->acceptMove();
}

} // namespace vwin
