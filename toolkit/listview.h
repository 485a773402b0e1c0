#pragma once
// vListView: the toolkit's list control. A scrolling view that keeps its own rows (items), lays
// them out with individual heights, paints the visible ones into the view's off-screen pixmap and
// handles mouse, keyboard, wheel, in-place editing and item drags itself. Rows can form a tree:
// children are indented under their parent and hidden while it is collapsed.
//
// Threads. Any thread may insert, remove and change rows; the GUI thread (the one that made the
// view) paints and handles input. Every access to the rows, the current row and the edited row
// happens under the view's recursive lock (listLock()). Off the GUI thread the list only
// invalidates its window: content-size and scroll-bar changes, scrolling to a row, starting,
// hiding and destroying the edit field are posted to the GUI thread. So a thread holding the lock
// never waits for the GUI thread, which may itself be waiting for the lock to paint. Signals are
// emitted on the calling thread once the operation has released the lock (a caller may still
// hold it: a row's constructor holds it while inserting the row, its destructor while deleting
// its children).
//
// Signals (argument words in this order):
//   "clicked"            item or null, screen x, screen y   left button pressed
//   "rightButtonClicked" item or null, screen x, screen y   right button pressed
//   "doubleClicked"      item or null, screen x, screen y   left double-click
//   "rightDoubleClicked" item or null, screen x, screen y   right double-click
//   "opener"             item                               left press on a row's expand box
//   "currentChanged"     new current item or null
//   "selectionChanged"   item, or null after select-all
//   "listChanged"        -                                  a row was inserted or removed
//   "pressed"            -                                  after a keyboard move

#include "toolkit/platform_types.h"

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/alist.h"
#include "core/str.h"
#include "core/sync.h"
#include "toolkit/controls.h"
#include "toolkit/pixmap.h"
#include "toolkit/widget.h"

namespace vwin {

class vListView;

// One row. Created by its constructor straight into a list (or detached, with a null owner, for
// vListView::replaceItems); deleting it deletes its children and takes it out of its list.
// Fields of a row in a list are guarded by that list's lock: threads other than the one changing
// them read them while holding it.
class vListViewItem {
public:
    // Inserts the row into `owner` (null: a detached row). A negative position appends, 0 inserts
    // at the front, and a positive position is replaced by the index of the owner's current row
    // (appending when there is none). An icon, when given, is copied into the row.
    vListViewItem(vListView* owner, const str& text, int height, int position = -1,
                  const vPixmap* icon = nullptr);
    // A child of `parent`, inserted into the parent's list below the parent: before its
    // childPosition-th child, or after its last descendant for a negative (or too large)
    // position. A child of a detached parent is detached too.
    vListViewItem(vListViewItem* parent, const str& text, int height, int childPosition = -1,
                  const vPixmap* icon = nullptr);
    vListViewItem(const vListViewItem&) = delete;
    vListViewItem& operator=(const vListViewItem&) = delete;

    // Virtual operations, in slot order.
    virtual ~vListViewItem();
    // Draws the row into `row` (content coordinates) of the list's pixmap.
    virtual void draw(vPixmap& pixmap, const RECT& row);
    // A press or double-click on the row, in the row's own coordinates (its top at y 0).
    virtual void mouseEvent(vMouseEvent* event);
    // A key-down that reached the list while this row was current.
    virtual void keyEvent(vKeyEvent* event);
    // Negative, zero or positive; the base compares the texts by character code.
    virtual int compare(vListViewItem* other, int argument);
    // A new row with the same text and height, appended to the same list (detached when none).
    virtual vListViewItem* clone();

    vListView* owner() const { return owner_; }
    // Position in the list as of the last layout; -1 until then (and while taken out).
    int index() const { return index_; }

    const str& text() const { return text_; }
    void setText(const str& text); // repaints the row when the text changes
    const str& rightText() const { return rightText_; }
    void setRightText(const str& text); // drawn right-aligned; repaints when it changes

    // The icon (null when none); setIcon copies the pixmap (null or empty removes it).
    const vPixmap* icon() const { return icon_; }
    void setIcon(const vPixmap* icon);

    // 0 means the list's colour applies.
    vColor textColor() const { return textColor_; }
    vColor backgroundColor() const { return background_; }
    void setTextColor(vColor color);       // repaints when it changes
    void setBackgroundColor(vColor color); // repaints when it changes

    int top() const { return top_; }
    int height() const { return height_; }
    int bottom() const { return top_ + height_; }
    // 0 or less hides the row; the list lays out again.
    void setHeight(int height);
    // The x at which the expand box was last drawn; -1 until drawn.
    int expanderX() const { return expanderX_; }

    bool isSelected() const { return selected_; }
    bool isExpanded() const { return expanded_; }
    bool isShown() const { return shown_; }
    // Height above 0, shown, and every ancestor expanded and visible (as of the last layout).
    bool isVisible() const { return visible_; }
    // Each answers whether the state changed. A changed row is repainted; expanding, collapsing,
    // showing and hiding lay the list out again.
    bool setSelected(bool on);
    bool setExpanded(bool on);
    bool setShown(bool on);

    vListViewItem* parent() const { return parent_; }
    int childCount() const { return static_cast<int>(children_.count()); }
    vListViewItem* child(int index) const;
    // Number of ancestors.
    int depth() const;

private:
    friend class vListView;

    void attachChild(vListViewItem* child, int childPosition); // under the owner's lock
    void repaint();                                            // invalidates the row

    vListView* owner_ = nullptr; // guarded by the owner's lock
    int index_ = -1;             // guarded by the owner's lock
    str text_;                   // sized to the text, not the default capacity: lists grow long
    str rightText_{u""};
    vPixmap* icon_ = nullptr; // owned; null without an icon
    vColor textColor_ = 0;
    vColor background_ = 0;
    int top_ = 0;
    int height_ = 0;
    int expanderX_ = -1; // GUI thread (written while drawing)
    bool selected_ = false;
    bool expanded_ = true;
    bool shown_ = true;
    bool visible_ = false;
    vListViewItem* parent_ = nullptr;
    alist<vListViewItem> children_{0, true}; // owned
};

class vListView : public vView {
public:
    enum : int {
        selection_none = 0,   // no selection; a click still marks the clicked row
        selection_single = 1, // one selected row at most
        selection_multi = 2,  // any number; Control toggles, Control+A selects all
    };
    // Flags of the items' setCurrent (mouse key state or key modifiers).
    enum : std::uint32_t {
        current_left = MK_LBUTTON,    // 0x01: select (or toggle with Control)
        current_right = MK_RBUTTON,   // 0x02
        current_shift = MK_SHIFT,     // 0x04
        current_control = MK_CONTROL, // 0x08
        current_alt = modifier_alt,   // 0x80
    };

    // A child view (background mode 5, content size 500 x 0). `flags` as for vView.
    vListView(vWidget* parent, bool readOnly = false, int selectionMode = selection_single,
              std::uint32_t flags = 0);
    ~vListView() override;
    vListView(const vListView&) = delete;
    vListView& operator=(const vListView&) = delete;

    // Virtual operations, in slot order (after vView's).
    // Inserts at pos (append when negative or beyond the end) and, with updates enabled, emits
    // "listChanged" and lays out. Answers the row's index (-1 while updates are disabled). A row
    // of another list is taken out of it first; a row of this list stays where it is.
    virtual int insertItem(vListViewItem* item, int pos);
    // Takes the row out (it is not deleted). "currentChanged" (null) when it was current, then,
    // with updates enabled, "listChanged". False when it was not in this list.
    virtual bool removeItem(vListViewItem* item);
    // Sets every row's top, index and visibility, repaints rows that moved or appeared and
    // resizes the contents. Skipped while updates are disabled. Only rows from the first change
    // on are walked.
    virtual void relayout();
    // Makes `item` (a row of this list, or null) current; flags: current_* bits. See the .cpp.
    virtual void setCurrent(vListViewItem* item, bool emitSignals, std::uint32_t flags);
    virtual void selectItem(vListViewItem* item); // by selection mode; repaints changed rows
    virtual void selectIndex(int index);
    // The last row whose text equals `text` ignoring case; null when none.
    virtual vListViewItem* findItem(const char16_t* text);
    // Scrolls the least needed to show the row (posted when called off the GUI thread).
    virtual void ensureVisible(vListViewItem* item);
    // Stable sort of each parent's children by compare(argument) (reversed when not ascending);
    // every row keeps its subtree below it.
    virtual void sort(int argument, bool ascending);
    // Opens the edit field over the row (not in a read-only list unless forced).
    virtual void startEdit(vListViewItem* item, bool force);
    virtual void cancelEdit(); // hides the edit field; no row is edited any more
    virtual void commitEdit(); // the field's text becomes the row's, then cancelEdit
    // Drags the row (GUI thread): a pointer named "vListViewItem"; blocks until the drop.
    virtual void startDrag(vListViewItem* item);
    // A row of this list moves to pos; a row of another list is copied (text and height) to pos.
    virtual void moveItem(vListViewItem* item, int pos);

    // Deletes every row and the edit field; no signals. Lays out again when updates are enabled.
    void clear();
    // Replaces every row by `rows` in one step under the lock: the old rows are deleted, the new
    // ones (detached rows, in display order; children after their parent) are taken over. Rows
    // that already belong to a list, repeat, or whose parent is not among the rows before them
    // are left out. Emits "currentChanged" (null) when a row was current and, with updates
    // enabled, "listChanged" once. Answers the number of rows taken.
    int replaceItems(std::vector<vListViewItem*> rows);

    // Each under the lock.
    int count();
    vListViewItem* at(int index); // null when out of range
    vListViewItem* current();
    int currentIndex(); // -1 without a current row
    // Index of the visible row with top <= y < bottom (content coordinates), or -1.
    int indexAt(int y);
    // The pointer names a row of this list (compared, never dereferenced).
    bool contains(const vListViewItem* item);

    // The lock guarding the rows (recursive). Hold it to walk rows while other threads change
    // them; make no blocking window call while holding it.
    ::mutex& listLock() { return lock_; }

    // The arrow, page, Home and End keys select the row they move to (as file managers do)
    // instead of only moving the current row, and stop at the ends. Off by default.
    void setKeysSelect(bool on) { keysSelect_ = on; }
    bool keysSelect() const { return keysSelect_; }
    // While the list has the focus it shows a frame around the current row (around the whole
    // list without one). Off by default.
    void setShowsFocus(bool on) { showsFocus_ = on; }
    bool showsFocus() const { return showsFocus_; }

    bool isReadOnly() const { return readOnly_; }
    int selectionMode() const { return selectionMode_; }
    vLineEdit* editField() const { return editField_; } // GUI thread; null until the first edit
    vListViewItem* editedItem();
    bool dragPending() const { return dragPending_; }

    // Colours (toolkit values); each repaints.
    void setSelectedBackground(vColor color);
    vColor selectedBackground() const { return selectedBackground_; }
    void setItemTextColor(vColor color);
    vColor itemTextColor() const { return itemTextColor_; }
    void setSelectedTextColor(vColor color);
    vColor selectedTextColor() const { return selectedTextColor_; }
    // The colour behind rows without one of their own: the background colour in mode 256, the
    // system colour of the mode for modes 1..255.
    vColor viewBackground() const;

    // Overrides.
    bool dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result) override;
    void setUpdatesEnabled(bool on) override;
    void wheelEvent(vWheelEvent* event) override;
    void keyEvent(vKeyEvent* event) override;
    void dragEnter(vDropEvent* event) override;
    void drop(vDropEvent* event) override;
    void layoutContents() override;
    void paintContents(vPixmap& pixmap) override;
    void contentsMouseEvent(vMouseEvent* event) override;
    // The focus frame follows the focus.
    void focusIn(HWND other) override;
    void focusOut(HWND other) override;

    // The window message that carries work posted to the GUI thread.
    static constexpr UINT listview_message = toolkit_message_free + 0x52;

private:
    friend class vListViewItem;

    // A content y range to repaint (empty while top >= bottom).
    struct dirty_rows {
        int top = 0x7FFFFFFF;
        int bottom = -0x7FFFFFFF;
        void add(int from, int to) {
            if (from < top)
                top = from;
            if (to > bottom)
                bottom = to;
        }
        void add(const vListViewItem* item) { add(item->top_, item->top_ + item->height_); }
        bool empty() const { return top >= bottom; }
    };
    // What a layout changed, applied after the lock is released.
    struct layout_change {
        dirty_rows dirty;
        bool resized = false;
    };
    // Work for the GUI thread (bits of posted_).
    enum : unsigned {
        gui_size = 1,       // apply the laid-out content height
        gui_scroll = 2,     // scroll to ensureItem_
        gui_hide_edit = 4,  // hide the edit field (no row is edited)
        gui_retire = 8,     // delete retired edit fields
        gui_start_edit = 16 // open the edit field over edited_
    };

    // The driver's number of the calling thread, and whether it is the one that made the view.
    static DWORD callingThread();
    bool onGuiThread() const;
    // Queues work for the GUI thread (one message for any number of requests).
    void post(unsigned work);
    void runPosted();

    // Under the lock.
    int positionOf(const vListViewItem* item) const; // item must be in this list
    int scanFor(const vListViewItem* item) const;    // pointer comparison only; -1 when absent
    void touch(int position);                        // layout is stale from position on
    void layoutLocked(layout_change& change);
    bool layoutStale() const { return layoutFrom_ < static_cast<int>(items_.size()); }
    int lastAtOrAbove(int y) const; // binary search over the laid-out tops
    vListViewItem* nextVisible(int from) const;
    vListViewItem* previousVisible(int from) const;
    vListViewItem* nextBy(int n) const;
    vListViewItem* previousBy(int n) const;
    void detachForDelete(std::vector<vListViewItem*>& rows, std::vector<vListViewItem*>& roots);
    int subtreeEnd(const vListViewItem* parent, int parentPosition) const;

    // After the lock.
    void applyLayout(const layout_change& change);
    void applyContentHeight();
    void repaintRows(const dirty_rows& rows); // the visible part of the range
    void scrollToShow(int top, int bottom);
    static void deleteRows(std::vector<vListViewItem*>& roots);
    void retireEditField(); // the edit field goes (now, or posted)
    void hideEditField();
    void openEditField();

    bool moveWithin(vListViewItem* item, int pos);
    // Inserts a detached copy (text, height) at pos.
    void insertCopy(const str& text, int height, int pos);
    // A row being deleted can no longer be dropped (see the drag code).
    static void forgetDraggedItem(const vListViewItem* item);
    void toggleExpanded(vListViewItem* item);
    void setExpandedChecked(vListViewItem* item, bool on, bool toggle);
    void selectAll();
    void handlePress(vMouseEvent* event);
    void handleDoubleClick(vMouseEvent* event);
    // Passes the event to the row under it (in the row's coordinates); answers the row or null.
    vListViewItem* itemEvent(vMouseEvent* event);

    ::mutex lock_;
    std::vector<vListViewItem*> items_; // guarded by lock_; display order; owned
    vListViewItem* current_ = nullptr;  // guarded by lock_
    vLineEdit* editField_ = nullptr;    // created, shown and deleted on the GUI thread; the
                                        // pointer is taken away under lock_
    vListViewItem* edited_ = nullptr;   // guarded by lock_
    bool readOnly_ = false;
    int selectionMode_ = selection_single;
    vColor selectedBackground_ = 0x404060;
    vColor itemTextColor_ = 0;
    vColor selectedTextColor_ = 0xFFFFFF;
    bool dragPending_ = false; // GUI thread
    bool keysSelect_ = false;  // GUI thread
    bool showsFocus_ = false;  // GUI thread
    int pressX_ = 0, pressY_ = 0;

    int layoutFrom_ = 0;                  // guarded by lock_: rows before it are laid out
    int layoutHeight_ = 0;                // guarded by lock_: content height of the last layout
    vListViewItem* ensureItem_ = nullptr; // guarded by lock_: row to show (posted)
    std::vector<vLineEdit*> retired_;     // guarded by lock_: edit fields to delete
    std::atomic<unsigned> posted_{0};     // gui_* work waiting for the GUI thread
    // The visible content range, kept by the GUI thread for other threads' invalidations.
    std::atomic<int> viewTop_{0};
    std::atomic<int> viewHeight_{0x3FFFFFFF};
    DWORD guiThread_ = 0;
};

} // namespace vwin
