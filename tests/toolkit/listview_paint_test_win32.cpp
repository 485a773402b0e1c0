// List view painting and threads: the pixels of rows (selection colours, tree indentation, expand
// boxes, icons, focus frame), painting only the visible rows, and rows changed by another thread
// while the GUI thread paints.

#include "tests/toolkit/listview_fixture_win32.h"

#include <atomic>
#include <thread>

namespace listview_test {
namespace {

constexpr vColor blue = 0x157DCC;
constexpr vColor white = 0xFFFFFF;

vColor rgb(const vPixmap& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// Pixels of exactly `color` inside the rectangle.
int countColor(const vPixmap& image, const RECT& r, vColor color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (rgb(image, x, y) == color)
                ++n;
    return n;
}

// Leftmost x in the rectangle holding `color`, or -1.
int firstColumnOf(const vPixmap& image, const RECT& r, vColor color) {
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (rgb(image, x, y) == color)
                return x;
    return -1;
}

class ListViewPaint : public ListViewTest {
protected:
    void makeStyled(int mode) {
        make(false, mode, 300, 200);
        list->setFitWidth(true); // the contents take the client width
        list->setSelectedBackground(blue);
        list->setItemTextColor(blue);
        list->setSelectedTextColor(white);
    }
    // The row's rectangle in the painted image (the view's pixmap, client coordinates).
    RECT rowRect(const vListViewItem* item) {
        const int top = item->top() - list->contentsY();
        return RECT{0, top, list->clientWidth(), top + item->height()};
    }
};

TEST_F(ListViewPaint, SelectedRowIsBlueWithWhiteText) {
    makeStyled(vListView::selection_single);
    auto* a = new vListViewItem(list.get(), u"Alpha", 20);
    auto* b = new vListViewItem(list.get(), u"Bravo", 20);
    auto* c = new vListViewItem(list.get(), u"Charlie", 20);
    c->setRightText(u"12 KB");
    click(b);
    ASSERT_TRUE(b->isSelected());
    paintNow();
    const vPixmap& image = list->pixmap();
    ASSERT_TRUE(image.valid());
    save_bmp(image, "listview_selected");

    const RECT ra = rowRect(a), rb = rowRect(b), rc = rowRect(c);
    const auto area = [](const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); };
    // Row b: the selection colour up to the text (10 pixels in) and after it, white text.
    const RECT bLeft{0, rb.top, 10, rb.bottom};
    const RECT bRight{150, rb.top, rb.right, rb.bottom};
    EXPECT_EQ(countColor(image, bLeft, blue), area(bLeft));
    EXPECT_EQ(countColor(image, bRight, blue), area(bRight));
    EXPECT_GT(countColor(image, rb, white), 20);
    EXPECT_GE(firstColumnOf(image, rb, white), 10);
    // Text edges may be smoothed; everything else in the row is one of the two colours.
    EXPECT_GT(countColor(image, rb, blue) + countColor(image, rb, white), area(rb) * 95 / 100);
    // Rows a and c: white background with blue text; no selection colour there.
    const RECT aLeft{0, ra.top, 10, ra.bottom};
    EXPECT_EQ(countColor(image, aLeft, white), area(aLeft));
    EXPECT_EQ(countColor(image, RECT{150, ra.top, ra.right, ra.bottom}, white), 150 * 20);
    EXPECT_GT(countColor(image, ra, blue), 20);
    EXPECT_GE(firstColumnOf(image, ra, blue), 10);
    // c's right text stands at the right edge of the contents (here the client width).
    const RECT rightPart{rc.right - 60, rc.top, rc.right, rc.bottom};
    EXPECT_GT(countColor(image, rightPart, blue), 10);
    // Below the rows: background only.
    const RECT below{0, rc.bottom, list->clientWidth(), list->clientHeight()};
    EXPECT_EQ(countColor(image, below, white),
              (below.right - below.left) * (below.bottom - below.top));
}

TEST_F(ListViewPaint, TreeRowsShowIndentExpandBoxesIconsAndTheFocusFrame) {
    makeStyled(vListView::selection_multi);
    vPixmap icon(8, 8);
    icon.fill(0xFF00C000); // opaque green
    auto* open = new vListViewItem(list.get(), u"Open", 20);
    auto* child = new vListViewItem(open, u"Child", 20, -1, &icon);
    new vListViewItem(child, u"Grandchild", 20);
    auto* shut = new vListViewItem(list.get(), u"Shut", 20);
    new vListViewItem(shut, u"Hidden", 20);
    shut->setExpanded(false);
    auto* tinted = new vListViewItem(list.get(), u"Tinted", 20);
    tinted->setBackgroundColor(0xF0F0F0);
    tinted->setTextColor(0xCC0000);
    list->setCurrent(open, false, 0);
    paintNow();
    const vPixmap& image = list->pixmap();
    save_bmp(image, "listview_tree");

    // Expand boxes: a 4x4 circle at x 1 (depth 0) and 11 (depth 1), outlined when open.
    EXPECT_EQ(open->expanderX(), 1);
    EXPECT_EQ(child->expanderX(), 11);
    const RECT ro = rowRect(open), rs = rowRect(shut), rch = rowRect(child);
    const int outlined = countColor(image, RECT{1, ro.top + 8, 5, ro.top + 12}, blue);
    const int filled = countColor(image, RECT{1, rs.top + 8, 5, rs.top + 12}, blue);
    EXPECT_GT(outlined, 0);
    EXPECT_GT(filled, outlined); // filled when closed
    // The icon at the child's indent (x 20), centred; its text after it.
    EXPECT_EQ(rgb(image, 20 + 3, rch.top + 6 + 3), 0x00C000);
    EXPECT_GE(firstColumnOf(image, RECT{29, rch.top, 300, rch.bottom}, blue), 30);
    EXPECT_EQ(countColor(image, RECT{1, rch.top + 1, 10, rch.bottom}, blue), 0);
    // The current row of a multi-selection list has a frame in the background's complement.
    EXPECT_EQ(rgb(image, 0, ro.top), 0x000000);
    EXPECT_EQ(rgb(image, 150, ro.bottom - 1), 0x000000);
    // A row's own colours win over the list's.
    const RECT rt = rowRect(tinted);
    EXPECT_EQ(rgb(image, 2, rt.top + 2), 0xF0F0F0);
    EXPECT_GT(countColor(image, rt, 0xCC0000), 10);
    EXPECT_EQ(countColor(image, rt, blue), 0);
    // The hidden child takes no row: "Tinted" follows "Shut" directly.
    EXPECT_EQ(rt.top, rs.bottom);
}

TEST_F(ListViewPaint, OnlyTheVisibleRowsAreDrawn) {
    makeStyled(vListView::selection_single);
    constexpr int total = 100000;
    std::vector<vListViewItem*> made;
    std::vector<counted_row*> counted;
    for (int i = 0; i < total; ++i) {
        auto* row = new counted_row(static_cast<vListView*>(nullptr), u"row", 20);
        made.push_back(row);
        counted.push_back(row);
    }
    ASSERT_EQ(list->replaceItems(made), total);
    pump_pending();
    EXPECT_EQ(list->contentsHeight(), 20 * total);

    auto drawnRange = [&](int& first, int& last) {
        first = -1;
        last = -1;
        int sum = 0;
        for (int i = 0; i < total; ++i) {
            if (counted[i]->draws == 0)
                continue;
            sum += counted[i]->draws;
            if (first < 0)
                first = i;
            last = i;
            counted[i]->draws = 0;
        }
        return sum;
    };
    const int visibleRows = (list->clientHeight() + 19) / 20;
    int first, last;
    drawnRange(first, last); // forget paints so far
    paintNow();
    EXPECT_EQ(drawnRange(first, last), visibleRows);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, visibleRows - 1);

    // In the middle: the rows under the window, starting half-way into one.
    list->scrollTo(0, 1000000 + 10);
    drawnRange(first, last);
    paintNow();
    const int drawn = drawnRange(first, last);
    EXPECT_EQ(first, 50000);
    EXPECT_EQ(last, (1000000 + 10 + list->clientHeight() - 1) / 20);
    EXPECT_EQ(drawn, last - first + 1);
    EXPECT_EQ(list->indexAt(1000000 + 10), 50000);
}

// ---- threads ----

TEST_F(ListViewPaint, RowsAppendedByAnotherThreadWhilePainting) {
    makeStyled(vListView::selection_single);
    constexpr int total = 10000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        str text;
        for (int i = 0; i < total; ++i) {
            text.format(u"row %d", i);
            new vListViewItem(list.get(), text, 18);
        }
        done = true;
    });
    int paints = 0;
    const bool finished = pump_until(
        [&] {
            paintNow();
            ++paints;
            return done.load();
        },
        120000);
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_GT(paints, 0);
    // The content height arrives with a posted message.
    EXPECT_TRUE(pump_until([&] { return list->contentsHeight() == 18 * total; }, 5000))
        << list->contentsHeight();
    ASSERT_EQ(list->count(), total);
    str expected;
    for (int i = 0; i < total; ++i) {
        vListViewItem* row = list->at(i);
        expected.format(u"row %d", i);
        ASSERT_TRUE(row->text() == expected) << i << " " << row->text().narrow();
        ASSERT_EQ(row->index(), i);
        ASSERT_EQ(row->top(), 18 * i);
    }
    // The last row can be scrolled to and painted.
    list->ensureVisible(list->at(total - 1));
    EXPECT_EQ(list->contentsY(), 18 * total - list->clientHeight());
    paintNow();
    EXPECT_GT(countColor(list->pixmap(),
                         RECT{0, list->clientHeight() - 18, 200, list->clientHeight()}, blue),
              10);
}

TEST_F(ListViewPaint, AnotherThreadHandsWindowWorkToTheGuiThread) {
    makeStyled(vListView::selection_single);
    auto made = rows(40);
    // An edit is open when another thread clears the list: the field goes on the GUI thread.
    list->startEdit(made[3], false);
    vLineEdit* field = list->editField();
    ASSERT_NE(field, nullptr);
    const HWND fieldWindow = field->window();
    ASSERT_TRUE(run_without_messages([&] { list->clear(); }));
    EXPECT_EQ(list->editField(), nullptr);
    EXPECT_TRUE(IsWindow(fieldWindow)); // not destroyed by the other thread
    EXPECT_TRUE(pump_until([&] { return !IsWindow(fieldWindow); }, 5000));
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(pump_until([&] { return list->contentsHeight() == 0; }, 5000));

    // Rows made, made current and edited by another thread: scrolling and the edit field follow
    // on the GUI thread.
    std::vector<vListViewItem*> more;
    ASSERT_TRUE(run_without_messages([&] {
        for (int i = 0; i < 40; ++i)
            more.push_back(new vListViewItem(list.get(), u"again", 20));
        list->setCurrent(more[39], false, 0);
        list->startEdit(more[39], false);
    }));
    EXPECT_TRUE(pump_until(
        [&] {
            return list->contentsY() == 800 - list->clientHeight() && list->editField() &&
                   list->editField()->isVisible();
        },
        5000));
    EXPECT_EQ(list->editedItem(), more[39]);
    // Another thread deletes the edited row: the field is hidden on the GUI thread.
    ASSERT_TRUE(run_without_messages([&] { delete more[39]; }));
    EXPECT_EQ(list->editedItem(), nullptr);
    EXPECT_TRUE(pump_until([&] { return !list->editField()->isVisible(); }, 5000));
}

// Another thread works on the list while holding its lock, and the GUI thread waits for that
// lock without handling messages (as it does when it paints). Any window call of the other
// thread that waited for the GUI thread would leave both waiting: the GUI thread's wait would
// time out.
TEST_F(ListViewPaint, AnotherThreadHoldingTheLockNeverWaitsForTheGuiThread) {
    makeStyled(vListView::selection_single);
    auto made = rows(5);
    list->startEdit(made[0], false); // the edit field exists
    ASSERT_NE(list->editField(), nullptr);
    std::atomic<bool> holding{false};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        std::lock_guard hold(list->listLock());
        holding = true;
        std::vector<vListViewItem*> more;
        for (int i = 0; i < 50; ++i)
            more.push_back(new vListViewItem(list.get(), u"more", 20));
        auto* parent = more[0];
        new vListViewItem(parent, u"child", 20);
        parent->setExpanded(false);
        parent->setExpanded(true);
        more[1]->setText(u"changed");
        list->setCurrent(more[40], true, MK_LBUTTON);
        list->selectItem(more[41]);
        list->startEdit(more[2], false);
        list->sort(0, false);
        list->setUpdatesEnabled(false);
        new vListViewItem(list.get(), u"while disabled", 20);
        list->setUpdatesEnabled(true);
        list->removeItem(more[3]);
        delete more[3];
        delete more[4];
        list->clear();
        std::vector<vListViewItem*> fresh;
        for (int i = 0; i < 30; ++i)
            fresh.push_back(new vListViewItem(static_cast<vListView*>(nullptr), u"fresh", 20));
        list->replaceItems(std::move(fresh));
        list->setCurrent(list->at(29), false, 0);
        finished = true;
    });
    const auto deadline = GetTickCount64() + 10000;
    while (!holding && GetTickCount64() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(holding.load());
    const bool obtained = list->listLock().lock(10000); // no messages handled meanwhile
    EXPECT_TRUE(obtained);
    EXPECT_TRUE(finished.load());
    if (obtained)
        list->listLock().unlock();
    else
        pump_until([&] { return finished.load(); }, 60000); // let it end: fail, not hang
    worker.join();
    // The work handed over arrives: the old edit field is gone, the size and scroll position
    // follow the rows.
    EXPECT_EQ(list->count(), 30);
    EXPECT_EQ(list->editField(), nullptr);
    EXPECT_TRUE(pump_until(
        [&] {
            return list->contentsHeight() == 600 && list->contentsY() == 600 - list->clientHeight();
        },
        5000))
        << list->contentsHeight() << " " << list->contentsY();
}

TEST_F(ListViewPaint, ReplacingRowsOnAnotherThreadNeverShowsAHalfList) {
    makeStyled(vListView::selection_single);
    constexpr int lines = 500;
    std::atomic<bool> done{false};
    std::atomic<int> partial{0};
    std::thread worker([&] {
        for (int round = 0; round < 40; ++round) {
            std::vector<vListViewItem*> fresh;
            for (int i = 0; i < lines; ++i)
                fresh.push_back(new vListViewItem(static_cast<vListView*>(nullptr), u"line", 15));
            list->replaceItems(std::move(fresh));
        }
        done = true;
    });
    // Every look at the list under its lock sees all the lines of one round.
    pump_until(
        [&] {
            {
                std::lock_guard hold(list->listLock());
                const int n = list->count();
                if (n != 0 && n != lines)
                    ++partial;
            }
            paintNow();
            return done.load();
        },
        60000);
    worker.join();
    EXPECT_EQ(partial.load(), 0);
    EXPECT_EQ(list->count(), lines);
}

} // namespace
} // namespace listview_test
