// The toolkit's API driven the same way over either driver: work handed to the GUI thread from a
// worker (redraws, posted messages, list rows), timers, and a list view painted where its rows
// were laid out.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "tests/toolkit/event_pump.h"
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

} // namespace
