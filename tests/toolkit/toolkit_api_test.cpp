// The toolkit's API driven the same way over either driver: work handed to the GUI thread from a
// worker (redraws, posted messages, list rows), timers, and a list view painted where its rows
// were laid out.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "tests/support/gui_pump.h"
#include "toolkit/listview.h"
#include "toolkit/widget.h"

namespace {

using namespace vwin;

class probe_widget : public vWidget {
public:
    probe_widget() : vWidget(nullptr, u"probe", widget_toplevel_default | widget_visible) {
        setGeometry(40, 40, 160, 90);
        invalidate();
    }
    ~probe_widget() override { destroyWindow(); }

    std::atomic<int> paints{0};
    std::atomic<bool> paintedOffGui{false};
    std::atomic<int> timerId{0};
    std::atomic<unsigned> userNumber{0};
    std::atomic<WPARAM> userWord{0};
    std::atomic<bool> userOffGui{false};
    std::thread::id gui = std::this_thread::get_id();

    void paint(vPainter&) override {
        if (std::this_thread::get_id() != gui)
            paintedOffGui = true;
        ++paints;
    }
    void timer(int id) override { timerId = id; }
    bool userMessage(UINT number, WPARAM word, LPARAM) override {
        if (std::this_thread::get_id() != gui)
            userOffGui = true;
        userWord = word;
        userNumber = number;
        return true;
    }
};

// A worker's redraw and message reach the widget on the GUI thread only.
TEST(ToolkitApi, WorkerRedrawAndMessageArriveOnTheGuiThread) {
    probe_widget w;
    ASSERT_TRUE(w.isWindow());
    ASSERT_TRUE(pump_until([&] { return w.paints > 0; }, 5000));
    const int before = w.paints;
    std::thread worker([&] {
        w.update();
        w.postMessage(WM_USER + 7, 4242, 0);
    });
    worker.join();
    EXPECT_TRUE(pump_until([&] { return w.paints > before && w.userNumber == 7u; }, 5000));
    EXPECT_EQ(w.userWord.load(), 4242u);
    EXPECT_FALSE(w.paintedOffGui.load());
    EXPECT_FALSE(w.userOffGui.load());
}

TEST(ToolkitApi, TimerFiresWithItsIdUntilKilled) {
    probe_widget w;
    EXPECT_FALSE(w.setTimer(0, 10)); // id 0 is refused
    ASSERT_TRUE(w.setTimer(0x105, 10));
    EXPECT_TRUE(pump_until([&] { return w.timerId == 5; }, 5000)); // the id's low 8 bits
    EXPECT_TRUE(w.killTimer(5));
    EXPECT_FALSE(w.killTimer(5));
}

class ToolkitListApi : public ::testing::Test {
protected:
    void SetUp() override {
        top = std::make_unique<vWidget>(nullptr, u"list", widget_toplevel_default | widget_visible);
        top->setGeometry(60, 60, 240, 200);
        list = std::make_unique<vListView>(top.get());
        list->setGeometry(0, 0, 240, 200);
        list->setVScrollEnabled(true);
        list->setHScrollEnabled(false);
        list->setVisible(true);
    }
    void TearDown() override {
        list.reset();
        top.reset();
    }
    std::unique_ptr<vWidget> top;
    std::unique_ptr<vListView> list;
};

// Rows made on a worker are laid out and sized for on the GUI thread (posted), however many.
TEST_F(ToolkitListApi, RowsFromAWorkerSizeTheContentsOnTheGuiThread) {
    constexpr int rows = 500, height = 16;
    std::thread worker([&] {
        for (int i = 0; i < rows; ++i)
            new vListViewItem(list.get(), str(u"row"), height);
    });
    worker.join();
    EXPECT_EQ(list->count(), rows);
    EXPECT_TRUE(pump_until([&] { return list->contentsHeight() == rows * height; }, 5000))
        << list->contentsHeight();
    // Scrolled to the last row, the list shows it at the bottom of the client area.
    list->ensureVisible(list->at(rows - 1));
    EXPECT_EQ(list->contentsY(), rows * height - list->clientHeight());
}

// The selected row is painted in the selection colour where the layout put it; the rows around
// it are not.
TEST_F(ToolkitListApi, SelectedRowIsPaintedAtItsLaidOutPlace) {
    constexpr vColor selection = 0x00C000;
    list->setSelectedBackground(selection);
    for (int i = 0; i < 6; ++i)
        new vListViewItem(list.get(), str(u"name"), 20);
    vListViewItem* third = list->at(2);
    list->selectItem(third);
    ASSERT_TRUE(third->isSelected());
    ASSERT_EQ(third->top(), 40);
    vPixmap shot;
    ASSERT_TRUE(pump_until(
        [&] {
            shot.grabWindow(list->window(), true);
            return (shot.pixel(list->clientWidth() - 4, 50) & 0xFFFFFF) == selection;
        },
        5000));
    EXPECT_NE(shot.pixel(list->clientWidth() - 4, 30) & 0xFFFFFF, selection);
    EXPECT_NE(shot.pixel(list->clientWidth() - 4, 70) & 0xFFFFFF, selection);
}

// The box around the drawn text (pixels that are no longer the white ground).
struct ink_box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

ink_box ink_of(const vPixmap& p) {
    ink_box box;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if ((p.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// drawText places the text by its format bits: left, centred or right; at the top, centred or at
// the bottom of the rectangle.
TEST(ToolkitApi, DrawTextPlacesTheTextByItsFormat) {
    constexpr int w = 240, h = 60;
    struct text_case {
        const char* name;
        unsigned format;
        int horizontal; // -1 left, 0 centre, 1 right
        int vertical;   // -1 top, 0 centre, 1 bottom
    };
    const text_case cases[] = {
        {"left top", text_left | text_singleline, -1, -1},
        {"centre", text_center | text_vcenter | text_singleline, 0, 0},
        {"right bottom", text_right | text_bottom | text_singleline, 1, 1},
        {"centre bottom, wrapped", text_center | text_bottom | text_wordbreak, 0, 1},
    };
    for (const text_case& c : cases) {
        SCOPED_TRACE(c.name);
        vPixmap p(w, h);
        ASSERT_TRUE(p.valid());
        p.fill(0xFFFFFF);
        p.setTextColor(0x000000);
        p.drawText(RECT{0, 0, w, h}, c.format, u"Wide text");
        const ink_box ink = ink_of(p);
        ASSERT_GE(ink.right, ink.left);
        const int midX = (ink.left + ink.right) / 2, midY = (ink.top + ink.bottom) / 2;
        if (c.horizontal < 0)
            EXPECT_LT(ink.left, 6);
        else if (c.horizontal > 0)
            EXPECT_GT(ink.right, w - 7);
        else
            EXPECT_NEAR(midX, w / 2, 6);
        if (c.vertical < 0)
            EXPECT_LT(ink.top, 8);
        else if (c.vertical > 0)
            EXPECT_GT(ink.bottom, h - 8);
        else
            EXPECT_NEAR(midY, h / 2, 6);
    }
}

// Geometry and showing asked for on a worker take effect on the GUI thread, without the worker
// waiting for it.
TEST(ToolkitApi, WorkerGeometryAndShowingArriveOnTheGuiThread) {
    vWidget top(nullptr, u"top", widget_toplevel_default | widget_visible);
    top.setGeometry(20, 20, 200, 120);
    vWidget child(&top, u"child", widget_tabstop);
    child.setVisible(false);
    ASSERT_FALSE(child.isVisible());
    std::thread worker([&] {
        child.setGeometry(5, 6, 70, 40);
        child.setVisible(true);
    });
    worker.join();
    EXPECT_TRUE(pump_until(
        [&] {
            return child.isVisible() && child.clientWidth() == 70 && child.clientHeight() == 40;
        },
        5000));
}

} // namespace
