// List view input: selection by clicks in the three selection modes, the row signals, the
// keyboard, the wheel, in-place editing and item drags.

#include "tests/toolkit/listview_fixture_win32.h"

#include <ostream>

#include <algorithm>
#include <sstream>

namespace listview_test {
namespace {

// ---- clicks and selection ----

// Steps: "b" left click on row b, "^b" with Control, "+b" with Shift, "Rb" right click.
struct click_case {
    const char* name;
    int mode;
    const char* steps;
    const char* selected;
    const char* current;
};

void PrintTo(const click_case& c, std::ostream* out) {
    *out << c.name;
}

class ClickSelection : public ListViewTest, public ::testing::WithParamInterface<click_case> {};

TEST_P(ClickSelection, FollowsTheModeAndModifiers) {
    const click_case& c = GetParam();
    make(false, c.mode);
    auto made = rows(4);
    std::istringstream steps(c.steps);
    std::string step;
    while (steps >> step) {
        const char row = step.back();
        vListViewItem* item = made[row - 'a'];
        if (step[0] == '^')
            click(item, MK_CONTROL);
        else if (step[0] == '+')
            click(item, MK_SHIFT);
        else if (step[0] == 'R')
            press(middle(item), WM_RBUTTONDOWN, MK_RBUTTON);
        else
            click(item);
    }
    EXPECT_EQ(selected(), c.selected);
    EXPECT_EQ(signal_log::name(list->current()), c.current);
}

INSTANTIATE_TEST_SUITE_P(
    ListView, ClickSelection,
    ::testing::Values(click_case{"none_click_marks_the_row", 0, "b", "b", "b"},
                      click_case{"none_click_moves_the_mark", 0, "b c", "c", "c"},
                      click_case{"none_control_click_marks_only_the_new_row", 0, "b ^c", "c", "c"},
                      click_case{"single_click_selects_alone", 1, "a c", "c", "c"},
                      click_case{"single_control_click_toggles_off", 1, "a ^a", "", "a"},
                      click_case{"single_control_click_other", 1, "a ^c", "c", "c"},
                      click_case{"multi_control_click_adds", 2, "a ^c", "a c", "c"},
                      click_case{"multi_control_click_removes", 2, "a ^c ^a", "c", "a"},
                      click_case{"multi_plain_click_selects_alone", 2, "a ^c ^d b", "b", "b"},
                      click_case{"multi_shift_click_is_a_plain_click", 2, "a +c", "c", "c"},
                      click_case{"multi_right_click_keeps_the_selection", 2, "a ^c Rb", "a c", "b"},
                      click_case{"single_right_click_moves_current_only", 1, "a Rc", "", "c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListViewTest, ClickSignalsCarryTheRowAndTheScreenPoint) {
    make(false, vListView::selection_single);
    auto made = rows(3);
    signal_log log;
    log.watch(list.get());
    POINT at = middle(made[1], 40);
    POINT screen = at;
    ClientToScreen(list->window(), &screen);
    press(at);
    const std::string where = " " + std::to_string(screen.x) + " " + std::to_string(screen.y);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"currentChanged b", "selectionChanged b",
                                                   "clicked b" + where}));
    log.clear();
    press(at, WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_EQ(log.lines, std::vector<std::string>{"rightClicked b" + where});
    log.clear();
    POINT below{40, 150}; // no row there
    POINT belowScreen = below;
    ClientToScreen(list->window(), &belowScreen);
    press(below);
    EXPECT_TRUE(
        log.has("clicked - " + std::to_string(belowScreen.x) + " " + std::to_string(belowScreen.y)))
        << log.joined();
    EXPECT_TRUE(log.has("currentChanged -")) << log.joined();
    log.clear();
    doubleClick(at, WM_RBUTTONDBLCLK, MK_RBUTTON);
    EXPECT_EQ(log.lines, std::vector<std::string>{"rightDoubleClicked b" + where});
}

TEST_F(ListViewTest, RowsGetMouseEventsInTheirOwnCoordinates) {
    make(false, vListView::selection_single);
    new vListViewItem(list.get(), u"a", 20);
    auto* b = new counted_row(list.get(), u"b", 30);
    press(POINT{10, 20 + 7});
    EXPECT_EQ(b->mouseEvents, 1);
    EXPECT_EQ(b->lastMouseY, 7);
}

TEST_F(ListViewTest, ThePressOnTheExpandBoxOpensBeforeTheClick) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    new vListViewItem(p, u"child", 20);
    auto* leaf = new vListViewItem(list.get(), u"leaf", 20);
    paintNow(); // the expand box is placed when drawn
    ASSERT_EQ(p->expanderX(), 1);
    EXPECT_EQ(leaf->expanderX(), -1);
    signal_log log;
    log.watch(list.get());
    press(middle(p, p->expanderX() + 4));
    ASSERT_EQ(log.count("opener"), 1) << log.joined();
    EXPECT_EQ(log.lines[2], "opener p");
    EXPECT_EQ(log.lines[3].rfind("clicked p", 0), 0u) << log.joined();
    log.clear();
    press(middle(p, 60)); // on the text: no opener
    press(middle(leaf, 3));
    EXPECT_EQ(log.count("opener"), 0) << log.joined();
}

TEST_F(ListViewTest, DoubleClickWithAHandlerOnlyReports) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    new vListViewItem(p, u"child", 20);
    signal_log log;
    log.watchDoubleClicks(list.get());
    doubleClick(middle(p));
    EXPECT_EQ(log.count("doubleClicked p "), 1) << log.joined();
    EXPECT_TRUE(p->isExpanded());
    EXPECT_EQ(list->editField(), nullptr);
    EXPECT_EQ(list->current(), nullptr);
}

TEST_F(ListViewTest, DoubleClickWithoutAHandlerTogglesAndEdits) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    auto* child = new vListViewItem(p, u"child", 20);
    doubleClick(middle(p));
    EXPECT_EQ(list->current(), p);
    EXPECT_FALSE(p->isExpanded());
    EXPECT_FALSE(child->isVisible());
    ASSERT_NE(list->editField(), nullptr);
    EXPECT_TRUE(list->editField()->isVisible());
    EXPECT_EQ(list->editedItem(), p);
    EXPECT_TRUE(list->editField()->text().equals(u"p"));
    // A double-click below the rows does nothing more.
    list->cancelEdit();
    doubleClick(POINT{40, 150});
    EXPECT_EQ(list->current(), p);
    EXPECT_FALSE(list->editField()->isVisible());
}

TEST_F(ListViewTest, ReadOnlyListsEditOnlyWhenForced) {
    make(true, vListView::selection_single);
    auto made = rows(2);
    doubleClick(middle(made[0]));
    EXPECT_EQ(list->current(), made[0]);
    EXPECT_EQ(list->editField(), nullptr);
    key(VK_RETURN);
    EXPECT_EQ(list->editField(), nullptr);
    list->startEdit(made[1], true);
    ASSERT_NE(list->editField(), nullptr);
    EXPECT_TRUE(list->editField()->isVisible());
    EXPECT_EQ(list->editedItem(), made[1]);
}

// ---- in-place editing ----

class EditEnd : public ListViewTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EditEnd, OnlyReturnStoresTheText) {
    const std::string how = GetParam();
    make(false, vListView::selection_single);
    auto made = rows(3);
    list->setCurrent(made[1], false, 0);
    key(VK_RETURN); // edits the current row
    vLineEdit* field = list->editField();
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(list->editedItem(), made[1]);
    EXPECT_TRUE(field->isVisible());
    RECT placed{};
    GetWindowRect(field->window(), &placed);
    MapWindowPoints(nullptr, list->window(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.top, made[1]->top());
    EXPECT_EQ(placed.bottom - placed.top, made[1]->height());
    EXPECT_TRUE(field->text().equals(u"b"));
    field->setText(u"bee");
    if (how == "return") {
        SendMessageW(field->window(), WM_KEYDOWN, VK_RETURN, 0);
    } else if (how == "escape") {
        SendMessageW(field->window(), WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (how == "focus") {
        ASSERT_TRUE(field->hasFocus());
        SetFocus(host->window());
    } else if (how == "click") {
        press(middle(made[0]));
    }
    pump_pending();
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(list->editedItem(), nullptr);
    EXPECT_EQ(made[1]->text().narrow(), std::string(how == "return" ? "bee" : "b"));
    // The field is reused for the next edit.
    list->startEdit(made[2], false);
    EXPECT_EQ(list->editField(), field);
    EXPECT_TRUE(field->text().equals(u"c"));
}

INSTANTIATE_TEST_SUITE_P(ListView, EditEnd,
                         ::testing::Values("return", "escape", "focus", "click"));

TEST_F(ListViewTest, RemovingTheEditedRowEndsTheEdit) {
    make(false, vListView::selection_single);
    auto made = rows(2);
    list->startEdit(made[0], false);
    ASSERT_NE(list->editField(), nullptr);
    delete made[0];
    EXPECT_EQ(list->editedItem(), nullptr);
    EXPECT_FALSE(list->editField()->isVisible());
    list->commitEdit(); // nothing to store into
    EXPECT_EQ(order(), "b");
}

// ---- keyboard ----

TEST_F(ListViewTest, KeysMoveTheCurrentRowWithoutSelectingInSingleMode) {
    make(false, vListView::selection_single);
    auto made = rows(3);
    signal_log log;
    log.watch(list.get());
    key(VK_DOWN);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"currentChanged a", "pressed"}));
    EXPECT_EQ(selected(), "");
    log.clear();
    key(VK_SPACE);
    EXPECT_EQ(log.lines, std::vector<std::string>{"selectionChanged a"});
    EXPECT_EQ(selected(), "a");
    key(VK_DOWN);
    EXPECT_EQ(list->current(), made[1]);
    EXPECT_EQ(selected(), ""); // the previous row lost its selection
    key(VK_DOWN);
    log.clear();
    key(VK_DOWN); // past the last row
    EXPECT_EQ(list->current(), nullptr);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"currentChanged -", "pressed"}));
    key(VK_DOWN); // starts again at the first row
    EXPECT_EQ(list->current(), made[0]);
    key(VK_UP); // before the first row
    EXPECT_EQ(list->current(), nullptr);
    key(VK_UP); // starts at the last row
    EXPECT_EQ(list->current(), made[2]);
}

struct key_case {
    const char* name;
    int start; // index of the current row, -1 for none
    UINT key;
    int expected; // index of the current row afterwards, -1 for none
};

void PrintTo(const key_case& c, std::ostream* out) {
    *out << c.name;
}

class KeyNavigation : public ListViewTest, public ::testing::WithParamInterface<key_case> {};

// 25 rows; rows 5 and 6 are children of row 4, which is collapsed; row 12 is hidden.
TEST_P(KeyNavigation, SkipsHiddenRows) {
    const key_case& c = GetParam();
    make(false, vListView::selection_single, 300, 200);
    std::vector<vListViewItem*> made;
    for (int i = 0; i < 25; ++i) {
        if (i == 5 || i == 6)
            made.push_back(new vListViewItem(made[4], u"child", 20));
        else
            made.push_back(new vListViewItem(list.get(), u"row", 20));
    }
    made[4]->setExpanded(false);
    made[12]->setShown(false);
    if (c.start >= 0)
        list->setCurrent(made[c.start], false, 0);
    key(c.key);
    EXPECT_EQ(list->currentIndex(), c.expected);
    if (c.expected >= 0) {
        // The new current row is scrolled into view.
        const vListViewItem* now = list->current();
        EXPECT_GE(now->top(), list->contentsY());
        EXPECT_LE(now->bottom(), list->contentsY() + list->clientHeight());
    }
}

INSTANTIATE_TEST_SUITE_P(ListView, KeyNavigation,
                         ::testing::Values(key_case{"down_skips_collapsed", 4, VK_DOWN, 7},
                                           key_case{"up_skips_collapsed", 7, VK_UP, 4},
                                           key_case{"down_skips_hidden", 11, VK_DOWN, 13},
                                           key_case{"page_down", 0, VK_NEXT, 10},
                                           key_case{"page_down_lands_past_hidden", 2, VK_NEXT, 13},
                                           key_case{"page_down_near_the_end", 20, VK_NEXT, -1},
                                           key_case{"page_up", 20, VK_PRIOR, 10},
                                           key_case{"page_up_onto_hidden", 17, VK_PRIOR, 7},
                                           key_case{"page_up_near_the_start", 5 + 3, VK_PRIOR, -1},
                                           key_case{"home", 20, VK_HOME, 0},
                                           key_case{"end", 3, VK_END, 24},
                                           key_case{"down_without_current", -1, VK_DOWN, 0},
                                           key_case{"up_without_current", -1, VK_UP, 24},
                                           key_case{"page_down_without_current", -1, VK_NEXT, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListViewTest, ControlKeysSelectInMultiMode) {
    make(false, vListView::selection_multi);
    auto made = rows(4);
    signal_log log;
    log.watch(list.get());
    list->setCurrent(made[1], false, 0);
    key(VK_SPACE, modifier_control);
    key(VK_DOWN, modifier_control); // Control: the moved-to row is selected alone
    EXPECT_EQ(selected(), "c");
    key(VK_SPACE, modifier_control); // toggles
    EXPECT_EQ(selected(), "");
    log.clear();
    key('A', modifier_control);
    EXPECT_EQ(selected(), "a b c d");
    EXPECT_EQ(log.lines, std::vector<std::string>{"selectionChanged -"});
    key(VK_DOWN);
    EXPECT_EQ(list->current(), made[3]);
    EXPECT_EQ(selected(), "a b c d"); // multi mode keeps the selection on plain moves
}

TEST_F(ListViewTest, ControlAIsIgnoredInSingleMode) {
    make(false, vListView::selection_single);
    rows(3);
    signal_log log;
    log.watch(list.get());
    key('A', modifier_control);
    EXPECT_EQ(selected(), "");
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

TEST_F(ListViewTest, KeypadPlusAndMinusOpenAndCloseTheCurrentRow) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    auto* child = new vListViewItem(p, u"child", 20);
    list->setCurrent(p, false, 0);
    key(VK_SUBTRACT);
    EXPECT_FALSE(p->isExpanded());
    EXPECT_FALSE(child->isVisible());
    key(VK_ADD);
    EXPECT_TRUE(p->isExpanded());
    EXPECT_TRUE(child->isVisible());
}

TEST_F(ListViewTest, TheCurrentRowSeesTheKeysAndTabLeavesTheList) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    make(false, vListView::selection_single);
    auto* a = new counted_row(list.get(), u"a", 20);
    vListView next(host.get(), false, vListView::selection_single);
    next.setGeometry(0, 210, 100, 20);
    list->setCurrent(a, false, 0);
    key('Q');
    EXPECT_EQ(a->lastKey, std::uint32_t('Q'));
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    key(VK_TAB);
    EXPECT_TRUE(next.hasFocus());
}

// ---- wheel ----

TEST_F(ListViewTest, WheelMovesTheCurrentRowWithoutSelection) {
    make(false, vListView::selection_none);
    auto made = rows(3);
    POINT at{30, 30};
    ClientToScreen(list->window(), &at);
    auto wheel = [&](int delta) {
        SendMessageW(list->window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                     point_param(at.x, at.y));
    };
    wheel(-120); // towards the user: next row
    EXPECT_EQ(list->current(), made[0]);
    EXPECT_EQ(selected(), "a"); // selection mode 0 marks the current row
    wheel(-120);
    EXPECT_EQ(list->current(), made[1]);
    wheel(120);
    EXPECT_EQ(list->current(), made[0]);
    EXPECT_EQ(list->contentsY(), 0);
}

TEST_F(ListViewTest, WheelScrollsWithSelection) {
    make(false, vListView::selection_single, 300, 200);
    rows(20);
    POINT at{30, 30};
    ClientToScreen(list->window(), &at);
    // One notch scrolls two steps of a twentieth of the client height.
    const int step = std::max(list->clientHeight() / 20, 2);
    SendMessageW(list->window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)),
                 point_param(at.x, at.y));
    EXPECT_EQ(list->current(), nullptr);
    EXPECT_EQ(list->contentsY(), 2 * step);
}

// ---- item drags through the platform's drag loop ----
//
// The pointer rests on a row of the target with no button held, so a drag drops there at once.
// The pointer and the top of the window stack are shared with other test programs running at
// the same time: the windows stand on top, each test's in a place of its own, and a drag that
// another program's pointer move sent elsewhere (nothing changed) is tried again.

// Puts a host window on top of every other, at a place of its own.
void raise(vWidget& host, int x, int y) {
    SetWindowPos(host.window(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    pump_pending();
}

bool pointAt(vListView* target, int y) {
    POINT at{40, y};
    ClientToScreen(target->window(), &at);
    return pump_until(
        [&] {
            POINT cursor{};
            if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == target->window() &&
                cursor.x == at.x && cursor.y == at.y)
                return true;
            SetCursorPos(at.x, at.y);
            return false;
        },
        5000);
}

// Drags `item` of `source` onto client y of `target` until `landed` holds (three attempts).
template <class Check>
bool dragOnto(vListView* source, vListViewItem* item, vListView* target, int y, Check landed) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!pointAt(target, y))
            continue;
        source->startDrag(item);
        if (landed())
            return true;
    }
    return false;
}

TEST_F(ListViewTest, DraggingARowMovesItWithinTheList) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    ole_scope ole;
    make(false, vListView::selection_single);
    raise(*host, 660, 520);
    auto made = rows(4);
    list->setAcceptDrops(true);
    ASSERT_TRUE(dragOnto(list.get(), made[0], list.get(), made[2]->top() + 5,
                         [&] { return order() != "a b c d"; }));
    EXPECT_EQ(order(), "b c a d");
    EXPECT_EQ(list->current(), made[0]);
    // Below the last row: appended.
    ASSERT_TRUE(
        dragOnto(list.get(), made[1], list.get(), 150, [&] { return order() != "b c a d"; }));
    EXPECT_EQ(order(), "c a d b");
}

TEST_F(ListViewTest, DraggingARowIntoAnotherListCopiesIt) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    ole_scope ole;
    make(false, vListView::selection_single);
    raise(*host, 660, 20);
    auto made = rows(2, 24);
    vWidget otherHost(nullptr, u"other host", widget_toplevel_default);
    otherHost.setGeometry(760, 270, 240, 200);
    otherHost.showNormal();
    vListView other(&otherHost, false, vListView::selection_single);
    other.setGeometry(0, 0, 200, 150);
    new vListViewItem(&other, u"x", 20);
    new vListViewItem(&other, u"y", 20);
    other.setAcceptDrops(true);
    raise(otherHost, 760, 270);
    ASSERT_TRUE(dragOnto(list.get(), made[1], &other, 25, [&] { return other.count() == 3; }));
    EXPECT_EQ(order(), "a b");
    EXPECT_TRUE(other.at(1)->text().equals(u"b")); // dropped on row y: before it
    EXPECT_EQ(other.at(1)->height(), 24);
    EXPECT_NE(other.at(1), made[1]);
}

TEST_F(ListViewTest, APressAndMoveStartsTheDragOnlyWhenArmed) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    ole_scope ole;
    make(false, vListView::selection_single);
    raise(*host, 300, 520);
    auto made = rows(3);
    POINT at = middle(made[0]);
    SendMessageW(list->window(), WM_LBUTTONDOWN, MK_LBUTTON, point_param(at.x, at.y));
    EXPECT_FALSE(list->dragPending()); // drops not switched on
    SendMessageW(list->window(), WM_LBUTTONUP, 0, point_param(at.x, at.y));
    list->setAcceptDrops(true);
    bool moved = false;
    for (int attempt = 0; attempt < 3 && !moved; ++attempt) {
        SendMessageW(list->window(), WM_LBUTTONDOWN, MK_LBUTTON, point_param(at.x, at.y));
        EXPECT_TRUE(list->dragPending());
        // A move of 2 pixels keeps it pending.
        SendMessageW(list->window(), WM_MOUSEMOVE, MK_LBUTTON, point_param(at.x + 1, at.y + 1));
        EXPECT_TRUE(list->dragPending());
        // Further: the drag runs and drops where the pointer rests (row c, no button held).
        if (!pointAt(list.get(), made[2]->top() + 5))
            continue;
        SendMessageW(list->window(), WM_MOUSEMOVE, MK_LBUTTON, point_param(at.x + 3, at.y));
        EXPECT_FALSE(list->dragPending());
        moved = order() != "a b c";
    }
    EXPECT_EQ(order(), "b c a");
    // A press on no row arms nothing.
    SendMessageW(list->window(), WM_LBUTTONDOWN, MK_LBUTTON, point_param(10, 150));
    EXPECT_FALSE(list->dragPending());
}

} // namespace
} // namespace listview_test
