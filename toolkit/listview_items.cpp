// List rows: construction into a list or under a parent row, destruction, and the setters that
// repaint or lay the list out again.

#include <mutex>

#include "toolkit/listview.h"

namespace vwin {

namespace {

// Locks a row's list when it has one (the lock is recursive, so callers may hold it already).
class owner_lock {
public:
    explicit owner_lock(vListView* list) : list_(list) {
        if (list_)
            list_->listLock().lock();
    }
    ~owner_lock() {
        if (list_)
            list_->listLock().unlock();
    }
    owner_lock(const owner_lock&) = delete;
    owner_lock& operator=(const owner_lock&) = delete;

private:
    vListView* list_;
};

vPixmap* copyIcon(const vPixmap* icon) {
    if (!icon || !icon->valid())
        return nullptr;
    auto* copy = new vPixmap;
    if (!copy->copyFrom(*icon)) {
        delete copy;
        return nullptr;
    }
    return copy;
}

} // namespace

// The lock is held across choosing the position and inserting, so that rows inserted or removed
// by another thread meanwhile cannot move the place.
vListViewItem::vListViewItem(vListView* owner, const str& text, int height, int position,
                             const vPixmap* icon)
    : text_(text.c_str()), icon_(copyIcon(icon)), height_(height) {
    if (!owner)
        return;
    owner_lock hold(owner);
    if (position > 0)
        position = owner->currentIndex(); // -1 (append) without a current row
    owner->insertItem(this, position);
}

vListViewItem::vListViewItem(vListViewItem* parent, const str& text, int height, int childPosition,
                             const vPixmap* icon)
    : text_(text.c_str()), icon_(copyIcon(icon)), height_(height) {
    if (!parent)
        return;
    vListView* list = parent->owner_;
    owner_lock hold(list);
    if (!list || parent->owner_ != list) {
        parent->attachChild(this, childPosition); // a detached parent: a detached child
        return;
    }
    // Below the parent: before the childPosition-th child's subtree, or after the last
    // descendant, so that grandchildren stay under their own parents.
    const int parentPos = list->positionOf(parent);
    int pos = list->subtreeEnd(parent, parentPos);
    if (childPosition >= 0 && childPosition < parent->childCount()) {
        int seen = 0;
        for (int i = parentPos + 1; i < pos; ++i) {
            if (list->items_[i]->parent_ == parent && seen++ == childPosition) {
                pos = i;
                break;
            }
        }
    }
    parent->attachChild(this, childPosition);
    list->insertItem(this, pos);
    parent->repaint(); // its expand box appears
}

vListViewItem::~vListViewItem() {
    vListView::forgetDraggedItem(this);
    // The children first; each takes itself out of the list. They no longer point back here, so
    // they leave the children list alone.
    {
        owner_lock hold(owner_);
        while (vListViewItem* child = children_.pop()) {
            child->parent_ = nullptr;
            delete child;
        }
    }
    if (vListView* list = owner_)
        list->removeItem(this);
    if (vListViewItem* parent = parent_) {
        owner_lock hold(parent->owner_);
        parent->children_.remove(this);
        parent_ = nullptr;
        parent->repaint();
    }
    delete icon_;
}

void vListViewItem::attachChild(vListViewItem* child, int childPosition) {
    child->parent_ = this;
    if (childPosition < 0 || childPosition >= childCount())
        children_.push(child);
    else
        children_.insert(child, static_cast<unsigned>(childPosition));
}

vListViewItem* vListViewItem::child(int index) const {
    return index < 0 ? nullptr : children_.get(static_cast<unsigned>(index));
}

int vListViewItem::depth() const {
    int n = 0;
    for (const vListViewItem* p = parent_; p; p = p->parent_)
        ++n;
    return n;
}

void vListViewItem::mouseEvent(vMouseEvent*) {}

void vListViewItem::keyEvent(vKeyEvent*) {}

int vListViewItem::compare(vListViewItem* other, int) {
    if (!other)
        return 1;
    // By character code, case-sensitive: upper case sorts before lower case.
    const char16_t* a = text_.c_str();
    const char16_t* b = other->text_.c_str();
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

vListViewItem* vListViewItem::clone() {
    str text;
    int height;
    {
        owner_lock hold(owner_);
        text = text_;
        height = height_;
    }
    return new vListViewItem(owner_, text, height, -1);
}

void vListViewItem::repaint() {
    vListView* list = owner_;
    if (!list)
        return;
    vListView::dirty_rows rows;
    {
        owner_lock hold(list);
        if (owner_ != list || !visible_)
            return;
        rows.add(this);
    }
    list->repaintRows(rows);
}

void vListViewItem::setText(const str& text) {
    {
        owner_lock hold(owner_);
        if (text_ == text)
            return;
        text_.assign(text);
    }
    repaint();
}

void vListViewItem::setRightText(const str& text) {
    {
        owner_lock hold(owner_);
        if (rightText_ == text)
            return;
        rightText_.assign(text);
    }
    repaint();
}

void vListViewItem::setIcon(const vPixmap* icon) {
    vPixmap* fresh = copyIcon(icon);
    vPixmap* old;
    {
        owner_lock hold(owner_);
        old = icon_;
        icon_ = fresh;
    }
    delete old;
    repaint();
}

void vListViewItem::setTextColor(vColor color) {
    {
        owner_lock hold(owner_);
        if (textColor_ == color)
            return;
        textColor_ = color;
    }
    repaint();
}

void vListViewItem::setBackgroundColor(vColor color) {
    {
        owner_lock hold(owner_);
        if (background_ == color)
            return;
        background_ = color;
    }
    repaint();
}

bool vListViewItem::setSelected(bool on) {
    {
        owner_lock hold(owner_);
        if (selected_ == on)
            return false;
        selected_ = on;
    }
    repaint();
    return true;
}

void vListViewItem::setHeight(int height) {
    vListView* list = owner_;
    {
        owner_lock hold(list);
        if (height_ == height)
            return;
        if (list && owner_ == list) {
            vListView::dirty_rows old;
            if (visible_)
                old.add(this);
            height_ = height;
            list->touch(list->positionOf(this));
            list->repaintRows(old);
        } else {
            height_ = height;
        }
    }
    if (list)
        list->relayout();
}

bool vListViewItem::setExpanded(bool on) {
    vListView* list = owner_;
    {
        owner_lock hold(list);
        if (expanded_ == on)
            return false;
        expanded_ = on;
        if (list && owner_ == list)
            list->touch(list->positionOf(this));
    }
    repaint();
    if (list)
        list->relayout();
    return true;
}

bool vListViewItem::setShown(bool on) {
    vListView* list = owner_;
    {
        owner_lock hold(list);
        if (shown_ == on)
            return false;
        if (list && owner_ == list) {
            vListView::dirty_rows old;
            if (visible_)
                old.add(this);
            shown_ = on;
            list->touch(list->positionOf(this));
            list->repaintRows(old);
        } else {
            shown_ = on;
        }
    }
    if (list)
        list->relayout();
    return true;
}

} // namespace vwin
