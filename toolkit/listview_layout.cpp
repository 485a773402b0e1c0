// vListView layout and painting: row positions, the content height, hit testing, scrolling a row
// into view, and drawing the visible rows (found by binary search over their tops, so the cost
// of a paint does not grow with the number of rows).

#include <algorithm>
#include <mutex>

#include "toolkit/listview.h"

namespace vwin {

namespace {

// Text drawn on one line, centred vertically, '&' shown as itself.
constexpr unsigned row_text = text_vcenter | text_singleline | DT_NOPREFIX;

} // namespace

// Walks the rows from the first one whose layout may be stale. Tops never decrease along the
// list: a hidden row gets the top of the next visible one.
void vListView::layoutLocked(layout_change& change) {
    const int n = static_cast<int>(items_.size());
    const int from = std::min(std::max(layoutFrom_, 0), n);
    int sum = 0;
    if (from > 0) {
        const vListViewItem* before = items_[from - 1];
        sum = before->top_ + (before->visible_ ? before->height_ : 0);
    }
    for (int i = from; i < n; ++i) {
        vListViewItem* item = items_[i];
        const vListViewItem* parent = item->parent_;
        const bool visible = item->height_ > 0 && item->shown_ &&
                             (!parent || (parent->expanded_ && parent->visible_));
        if (item->top_ != sum || item->index_ != i || item->visible_ != visible) {
            if (item->visible_)
                change.dirty.add(item); // where it was
            if (visible)
                change.dirty.add(sum, sum + item->height_);
            item->top_ = sum;
            item->index_ = i;
            item->visible_ = visible;
        }
        if (visible)
            sum += item->height_;
    }
    layoutFrom_ = n;
    if (sum != layoutHeight_) {
        change.dirty.add(std::min(sum, layoutHeight_), std::max(sum, layoutHeight_));
        layoutHeight_ = sum;
        change.resized = true;
    }
}

void vListView::relayout() {
    if (!updatesEnabled())
        return;
    layout_change change;
    {
        std::lock_guard hold(lock_);
        layoutLocked(change);
    }
    applyLayout(change);
}

void vListView::applyLayout(const layout_change& change) {
    repaintRows(change.dirty);
    if (!change.resized)
        return;
    if (onGuiThread())
        applyContentHeight();
    else
        post(gui_size);
}

// GUI thread: the contents take the laid-out height; the scroll bars follow.
void vListView::applyContentHeight() {
    int height;
    {
        std::lock_guard hold(lock_);
        height = layoutHeight_;
    }
    if (height == contentsHeight())
        return;
    // Keeps the width (a fitted width follows the client); lays out the scroll bars.
    setContentsSize(-1, height, false);
    invalidate();
}

void vListView::repaintRows(const dirty_rows& rows) {
    if (rows.empty())
        return;
    const int top = viewTop_.load();
    const int height = viewHeight_.load();
    const int from = std::max(rows.top, top);
    const int to = std::min(rows.bottom, top + height);
    if (from >= to)
        return; // outside the visible part
    invalidateRect(0, from - top, 0x7FFF, to - from);
}

// The last laid-out row with top <= y (0 when none): painting and hit testing start there.
int vListView::lastAtOrAbove(int y) const {
    const int valid = std::min(layoutFrom_, static_cast<int>(items_.size()));
    auto end = items_.begin() + valid;
    auto it = std::upper_bound(items_.begin(), end, y, [](int value, const vListViewItem* item) {
        return value < item->top_;
    });
    return it == items_.begin() ? 0 : static_cast<int>(it - items_.begin()) - 1;
}

int vListView::indexAt(int y) {
    layout_change change;
    int found = -1;
    {
        std::lock_guard hold(lock_);
        if (layoutStale() && updatesEnabled())
            layoutLocked(change);
        const int valid = std::min(layoutFrom_, static_cast<int>(items_.size()));
        if (valid > 0 && y >= 0) {
            const int i = lastAtOrAbove(y);
            const vListViewItem* item = items_[i];
            if (item->visible_ && y >= item->top_ && y < item->top_ + item->height_)
                found = i;
        }
    }
    applyLayout(change);
    return found;
}

void vListView::ensureVisible(vListViewItem* item) {
    if (!item)
        return;
    if (!onGuiThread()) {
        {
            std::lock_guard hold(lock_);
            if (scanFor(item) < 0)
                return;
            ensureItem_ = item;
        }
        post(gui_scroll);
        return;
    }
    layout_change change;
    bool show = false;
    int top = 0, bottom = 0;
    {
        std::lock_guard hold(lock_);
        if (scanFor(item) < 0)
            return;
        if (layoutStale() && updatesEnabled())
            layoutLocked(change);
        show = item->visible_;
        top = item->top_;
        bottom = item->top_ + item->height_;
    }
    applyLayout(change);
    if (show)
        scrollToShow(top, bottom);
}

void vListView::scrollToShow(int top, int bottom) {
    const int viewTop = contentsY();
    const int viewHeight = clientHeight();
    if (top < viewTop)
        scrollTo(contentsX(), top);
    else if (bottom > viewTop + viewHeight)
        scrollTo(contentsX(), bottom - viewHeight);
}

void vListView::layoutContents() {
    vView::layoutContents();
    viewTop_.store(contentsY());
    viewHeight_.store(clientHeight());
    // The edit field follows its row when the contents scroll.
    vLineEdit* field;
    int top = 0, height = 0;
    {
        std::lock_guard hold(lock_);
        field = editField_;
        if (!field || !edited_)
            return;
        top = edited_->top_;
        height = edited_->height_;
    }
    if (field->isVisible())
        field->setGeometry(contentsRect().left, top + contentsRect().top, contentsWidth(), height);
}

void vListView::paintContents(vPixmap& pixmap) {
    const int top = -pixmap.originY();
    const int height = pixmap.height();
    const int left = -pixmap.originX();
    viewTop_.store(top);
    viewHeight_.store(height);
    pixmap.fillRect(RECT{left, top, left + pixmap.width(), top + height}, viewBackground());
    HGDIOBJ oldFont = font().valid() ? pixmap.select(font().handle()) : nullptr;
    layout_change change;
    {
        std::lock_guard hold(lock_);
        if (layoutStale() && updatesEnabled())
            layoutLocked(change);
        const int valid = std::min(layoutFrom_, static_cast<int>(items_.size()));
        const int width = contentsWidth();
        const int bottom = top + height;
        for (int i = valid > 0 ? lastAtOrAbove(top) : 0; i < valid; ++i) {
            vListViewItem* item = items_[i];
            if (item->top_ >= bottom)
                break;
            if (!item->visible_) {
                // Hidden rows share their top with the visible row that ends their run (the last
                // row with that top): skip to it.
                const int last = lastAtOrAbove(item->top_);
                if (last > i)
                    i = last - 1;
                continue;
            }
            if (item->top_ + item->height_ <= top)
                continue;
            RECT row{0, item->top_, width, item->top_ + item->height_};
            item->draw(pixmap, row);
        }
        if (showsFocus_ && hasFocus()) {
            // The focus shows as a frame: around the current row, or the whole list without one.
            RECT frame{left, top, left + pixmap.width(), top + height};
            vColor ink = itemTextColor_;
            if (current_ && current_->visible_) {
                frame =
                    RECT{1, current_->top_ + 1, width - 1, current_->top_ + current_->height_ - 1};
                if (current_->selected_)
                    ink = selectedTextColor_;
            }
            if (frame.right - frame.left > 2 && frame.bottom - frame.top > 2)
                pixmap.frameRect(frame, ink);
        }
    }
    if (oldFont)
        pixmap.select(oldFont);
    // Never resize the contents (and the pixmap) while painting into it.
    if (change.resized)
        post(gui_size);
}

// The default look of a row: background, focus frame, expand box, icon, text and right text.
void vListViewItem::draw(vPixmap& pixmap, const RECT& row) {
    vListView* list = owner_;
    if (!list || height_ <= 0 || !visible_)
        return;
    const int w = row.right - row.left;
    const int h = row.bottom - row.top;
    const vColor viewBack = list->viewBackground();
    vColor back = viewBack;
    if (selected_)
        back = list->selectedBackground_;
    else if (background_)
        back = background_;
    pixmap.fillRect(row, back);
    // The current row of a multi-selection list is framed; in a list that shows the focus only
    // while it has it, so that one frame on the screen says where the keys go.
    if (list->current_ == this && list->selectionMode_ >= vListView::selection_multi &&
        (!list->showsFocus_ || list->hasFocus()))
        pixmap.frameRect(row, ~viewBack & 0xFFFFFF);
    vColor ink = textColor_;
    if (!ink)
        ink = selected_ ? list->selectedTextColor_ : list->itemTextColor_;
    int x = row.left + 10 + 10 * depth();
    if (children_.count() != 0) {
        expanderX_ = x - 9;
        const int y = row.top + (h - 4) / 2;
        if (expanded_)
            pixmap.ellipse(x - 9, y, 4, 4, ink);
        else
            pixmap.fillEllipse(x - 9, y, 4, 4, ink);
    }
    if (w > 2 && h > 2 && icon_ && icon_->valid()) {
        pixmap.alphaBlend(x, row.top + (h - icon_->height()) / 2, *icon_, 100);
        x += icon_->width() + 2;
    }
    if (w < 3 || h < 3)
        return;
    pixmap.setTextColor(ink);
    RECT area{x, row.top, row.right, row.bottom};
    if (!text_.empty())
        pixmap.drawText(area, text_left | row_text, text_);
    if (!rightText_.empty())
        pixmap.drawText(area, text_right | row_text, rightText_);
}

} // namespace vwin
