// Controls: label and button clicks, the line edit's signals, the scrolling view, scroll-bar
// scaling and the popup menu.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <thread>

#include "tests/toolkit/widget_fixture_win32.h"

using namespace widget_test;

namespace {

// The scroll bar's state as the platform holds it.
SCROLLINFO scroll_info(HWND window, int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &si);
    return si;
}

struct parent_window {
    recording_widget top{nullptr, u"controls", widget_toplevel_default | widget_visible};
    parent_window() {
        top.setGeometry(60, 60, 400, 300);
        top.acceptMouse = true;
    }
};

// One step of a mouse script sent to the button: message and client position.
struct mouse_step {
    UINT message;
    int x, y;
};

struct click_case {
    const char* name;
    bool connected;
    bool autoRelease;
    std::vector<mouse_step> steps;
    int clicks;
    bool downAfter;
};

void PrintTo(const click_case& c, std::ostream* os) {
    *os << c.name;
}

class ButtonClicks : public ::testing::TestWithParam<click_case> {};

TEST_P(ButtonClicks, ClickedOnlyForAPressAndReleaseOnTheButton) {
    const click_case& c = GetParam();
    parent_window p;
    vButton button(&p.top, u"OK", widget_tabstop);
    button.setGeometry(10, 10, 80, 24);
    button.setAutoRelease(c.autoRelease);
    signal_counter counter;
    if (c.connected)
        connect(&button, u"clicked", &counter, &signal_counter::onClicked);
    for (const mouse_step& s : c.steps) {
        const WPARAM keys = s.message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
        SendMessageW(button.window(), s.message, keys, point_param(s.x, s.y));
    }
    EXPECT_EQ(counter.clicked, c.clicks) << c.name;
    EXPECT_EQ(button.isDown(), c.downAfter) << c.name;
    EXPECT_NE(GetCapture(), button.window()) << c.name;
}

const click_case click_cases[] = {
    {"press and release inside",
     true,
     true,
     {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}},
     1,
     false},
    {"released outside", true, true, {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 120, 6}}, 0, false},
    {"released left of it", true, true, {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, -3, 6}}, 0, false},
    {"release without a press on it", true, true, {{WM_LBUTTONUP, 6, 6}}, 0, false},
    {"two clicks",
     true,
     true,
     {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}, {WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}},
     2,
     false},
    {"second release is not a click",
     true,
     true,
     {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}, {WM_LBUTTONUP, 6, 6}},
     1,
     false},
    {"without automatic release it stays down",
     true,
     false,
     {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}},
     1,
     true},
    {"nobody listening", false, true, {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}}, 0, false},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ButtonClicks, ::testing::ValuesIn(click_cases),
                         [](const auto& info) { return case_name(info.param.name); });

TEST(Button, PressCapturesOnlyWhenSomebodyListens) {
    parent_window p;
    vButton button(&p.top, u"OK", widget_tabstop);
    button.setGeometry(10, 10, 80, 24);
    SendMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_NE(GetCapture(), button.window());
    EXPECT_FALSE(button.isDown());
    signal_counter counter;
    connect(&button, u"clicked", &counter, &signal_counter::onClicked);
    SendMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), button.window());
    EXPECT_TRUE(button.isDown());
    SendMessageW(button.window(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(counter.clicked, 1);
    // The button takes its presses: nothing reached the window beneath.
    EXPECT_EQ(p.top.count("mouse"), 0);
}

TEST(Button, HoldingSpaceClicksOnceOnRelease) {
    parent_window p;
    vButton button(&p.top, u"OK", widget_tabstop);
    signal_counter counter;
    connect(&button, u"clicked", &counter, &signal_counter::onClicked);
    for (int i = 0; i < 3; ++i) // auto-repeat
        SendMessageW(button.window(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(counter.clicked, 0);
    EXPECT_TRUE(button.isDown());
    SendMessageW(button.window(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(counter.clicked, 1);
    EXPECT_FALSE(button.isDown());
    SendMessageW(button.window(), WM_KEYUP, VK_RETURN, 0); // not down: no click
    EXPECT_EQ(counter.clicked, 1);
    EXPECT_EQ(p.top.count("key"), 0); // consumed
}

TEST(Button, ArrowsMoveTheFocusBetweenButtons) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    parent_window p;
    vButton a(&p.top, u"a", widget_tabstop);
    vButton b(&p.top, u"b", widget_tabstop);
    a.setFocus();
    SendMessageW(a.window(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(b.hasFocus());
    SendMessageW(b.window(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(a.hasFocus());
}

TEST(Button, CheckedButtonStaysCheckedWhenTheFocusLeaves) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    parent_window p;
    vButton tab(&p.top, u"tab", widget_tabstop);
    vButton other(&p.top, u"other", widget_tabstop);
    tab.setAutoRelease(false);
    tab.setChecked(true);
    tab.setFocus();
    other.setFocus();
    EXPECT_TRUE(tab.isChecked());
}

TEST(PushButton, PaintsTheImageOfItsState) {
    parent_window p;
    vPushButton button(&p.top, u"Save", 0xC0C0C0, 21, 0);
    button.setGeometry(10, 10, 90, 24);
    ASSERT_TRUE(button.normalImage().valid());
    EXPECT_EQ(button.normalImage().width(), 90);
    vPixmap up = grab(button);
    EXPECT_EQ(up.pixel(45, 2) & 0xFFFFFF, 0xC0C0C0u);
    button.setDown(true);
    vPixmap down = grab(button);
    EXPECT_NE(down.pixel(45, 2) & 0xFFFFFF, 0xC0C0C0u);
    save_image(up, "push_button_up");
    save_image(down, "push_button_down");
    // Cut corners unless style flags 1 or 2 are given.
    vRegion shape;
    button.region(shape);
    EXPECT_FALSE(shape.contains(0, 0));
    EXPECT_TRUE(shape.contains(45, 12));
    vPushButton tab(&p.top, u"Devices", 0xC0C0C0, 21, 2);
    tab.setGeometry(10, 40, 90, 20);
    tab.region(shape);
    EXPECT_TRUE(shape.contains(0, 0));
}

TEST(Label, ClickedOnlyWhenSomebodyListens) {
    parent_window p;
    vLabel label(&p.top, u"Devices:", text_bottom);
    label.setGeometry(5, 5, 100, 20);
    SendMessageW(label.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    signal_counter counter;
    connect(&label, u"clicked", &counter, &signal_counter::onClicked);
    SendMessageW(label.window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(counter.clicked, 0);
    SendMessageW(label.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(counter.clicked, 1);
    // A press on a label does not reach the window beneath it.
    EXPECT_EQ(p.top.count("mouse"), 0);
    EXPECT_EQ(label.alignment(), unsigned(text_bottom));
}

TEST(Label, DrawsItsTextInItsColourOverItsBackground) {
    parent_window p;
    vLabel label(&p.top, u"Folder:", 0);
    label.setGeometry(5, 5, 120, 24);
    label.setBackgroundColor(0xF0F0F0);
    label.setTextColor(0x157DCC);
    vFont font(u"Tahoma", 18, 75, 0, 0);
    label.setFont(font);
    vPixmap image = grab(label);
    save_image(image, "label");
    int ink = 0, ground = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const vColor c = image.pixel(x, y) & 0xFFFFFF;
            ink += c == 0x157DCC;
            ground += c == 0xF0F0F0;
        }
    EXPECT_GT(ink, 30);
    EXPECT_GT(ground, 120 * 24 / 2);
}

struct edit_setup {
    parent_window p;
    vLineEdit edit{&p.top, u"", 0};
    signal_counter counter;
    edit_setup() {
        edit.setGeometry(10, 10, 150, 22);
        connect(&edit, u"returnPressed", &counter, &signal_counter::onReturn);
        connect(&edit, u"escapePressed", &counter, &signal_counter::onEscape);
        connect(&edit, u"textChanged", &counter, &signal_counter::onChanged);
        connect(&edit, u"setFocus", &counter, &signal_counter::onSetFocus);
        connect(&edit, u"lostFocus", &counter, &signal_counter::onLostFocus);
    }
};

TEST(LineEdit, IsThePlatformEditControlBoundToItsObject) {
    edit_setup s;
    wchar_t name[16] = {};
    GetClassNameW(s.edit.window(), name, 16);
    EXPECT_EQ(_wcsicmp(name, L"EDIT"), 0);
    EXPECT_EQ(vWidget::fromWindow(s.edit.window()), &s.edit);
    EXPECT_TRUE(GetWindowLongPtrW(s.edit.window(), GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
    // Its geometry is its window geometry.
    EXPECT_EQ(s.edit.windowWidth(), 150);
}

TEST(LineEdit, TypingReturnAndEscape) {
    edit_setup s;
    SendMessageW(s.edit.window(), WM_CHAR, 'x', 0);
    EXPECT_EQ(s.counter.textChanged, 1);
    EXPECT_TRUE(s.edit.text().equals(u"x"));
    SendMessageW(s.edit.window(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(s.edit.window(), WM_CHAR, '\r', 0);
    SendMessageW(s.edit.window(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(s.counter.returnPressed, 1);
    EXPECT_TRUE(s.edit.text().equals(u"x"));
    EXPECT_EQ(s.counter.textChanged, 1);
    SendMessageW(s.edit.window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(s.counter.escapePressed, 1);
    EXPECT_EQ(s.p.top.count("key"), 0); // keys of the edit stay in the edit
}

TEST(LineEdit, FocusSignalsAndTab) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    edit_setup s;
    vButton next(&s.p.top, u"next", widget_tabstop);
    s.edit.setFocus();
    EXPECT_EQ(s.counter.setFocus, 1);
    SendMessageW(s.edit.window(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(next.hasFocus());
    EXPECT_EQ(s.counter.lostFocus, 1);
}

TEST(LineEdit, TextIsLongerThanTheField) {
    edit_setup s;
    s.edit.setText(u"");
    for (int i = 0; i < 80; ++i)
        SendMessageW(s.edit.window(), WM_CHAR, 'a' + i % 26, 0);
    EXPECT_EQ(s.edit.text().length(), 80);
    s.edit.selectAll();
    DWORD from = 0, to = 0;
    SendMessageW(s.edit.window(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 80u);
}

TEST(LineEdit, ColoursAnswerTheColourRequest) {
    edit_setup s;
    s.edit.setEditBackground(0x157DCC);
    s.edit.setEditTextColor(0xFFFFFF);
    vPixmap scratch(4, 4);
    const LRESULT brush =
        SendMessageW(s.p.top.window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(scratch.dc()),
                     reinterpret_cast<LPARAM>(s.edit.window()));
    ASSERT_NE(brush, 0);
    LOGBRUSH lb{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(21, 125, 204));
    EXPECT_EQ(GetTextColor(scratch.dc()), RGB(255, 255, 255));
}

TEST(LineEdit, DestroyedFromAnotherThreadGoesAwayOnItsOwn) {
    parent_window p;
    auto* edit = new vLineEdit(&p.top, u"cell", 0);
    HWND window = edit->window();
    std::thread([edit] { delete edit; }).join();
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    SendMessageW(window, WM_CHAR, 'x', 0);
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }, 5000));
}

// A view that paints a marker row at y = 100 of its contents.
class marker_view : public vView {
public:
    using vView::vView;
    int contentsPresses = 0;
    POINT lastPress{};
    void paintContents(vPixmap& pixmap) override {
        pixmap.fillRect(0, 100, contentsWidth(), 10, 0x00FF0000);
        pixmap.vPainter::fillRect(RECT{0, 110, 20, 115}, 0x0000FF00);
    }
    void contentsMouseEvent(vMouseEvent* event) override {
        ++contentsPresses;
        lastPress = POINT{event->x, event->y};
    }
};

struct view_setup {
    parent_window p;
    marker_view view{&p.top, u""};
    view_setup() {
        view.setBackgroundColor(0xFFFFFF);
        view.setHScrollEnabled(false);
        view.setGeometry(0, 0, 200, 200);
    }
};

TEST(View, ScrollToStopsAtTheEndAndAtZero) {
    view_setup s;
    s.view.setContentsSize(150, 1000);
    const int client = s.view.clientHeight();
    EXPECT_EQ(client, 200);
    s.view.scrollTo(0, 5000);
    EXPECT_EQ(s.view.contentsY(), 1000 - client);
    s.view.scrollTo(0, -20);
    EXPECT_EQ(s.view.contentsY(), 0);
    s.view.scrollTo(0, 300);
    EXPECT_EQ(s.view.contentsY(), 300);
    EXPECT_EQ(s.view.contentsRect().top, -300);
    SCROLLINFO si = scroll_info(s.view.window(), SB_VERT);
    EXPECT_EQ(si.nPos, 300);
    EXPECT_EQ(si.nMax, 1000);
    EXPECT_EQ(static_cast<int>(si.nPage), s.view.clientHeight());
    // Contents smaller than the client area stay at 0.
    s.view.setContentsSize(100, 50);
    s.view.scrollTo(10, 10);
    EXPECT_EQ(s.view.contentsX(), 0);
    EXPECT_EQ(s.view.contentsY(), 0);
}

TEST(View, OneWheelNotchOnA400PixelViewScrolls40Pixels) {
    view_setup s;
    s.view.setGeometry(0, 0, 200, 400);
    s.view.setContentsSize(150, 2000);
    ASSERT_EQ(s.view.clientHeight(), 400);
    const POINT at = s.view.screenPosition();
    const LPARAM where = point_param(at.x + 10, at.y + 10);
    SendMessageW(s.view.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 where);
    EXPECT_EQ(s.view.contentsY(), 40);
    SendMessageW(s.view.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), where);
    EXPECT_EQ(s.view.contentsY(), 0);
    EXPECT_EQ(s.p.top.count("wheel"), 0); // the view took it
}

TEST(View, ContentsArePaintedInTheirOwnCoordinates) {
    view_setup s;
    s.view.setContentsSize(150, 1000);
    s.view.scrollTo(0, 95);
    vPixmap image = grab(s.view);
    save_image(image, "view_scrolled");
    EXPECT_EQ(image.pixel(5, 4) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0xFF0000u); // contents y 100
    EXPECT_EQ(image.pixel(5, 14) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(5, 15) & 0xFFFFFF, 0x00FF00u); // drawn through GDI at contents y 110
    EXPECT_EQ(image.pixel(25, 15) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(View, MouseArrivesInContentsCoordinates) {
    view_setup s;
    s.view.setContentsSize(150, 1000);
    s.view.scrollTo(0, 250);
    SendMessageW(s.view.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 9));
    EXPECT_EQ(s.view.contentsPresses, 1);
    EXPECT_EQ(s.view.lastPress.x, 7);
    EXPECT_EQ(s.view.lastPress.y, 259);
}

TEST(View, ScrollBarMovesTheContents) {
    view_setup s;
    s.view.setContentsSize(150, 1000);
    SendMessageW(s.view.window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120), 0);
    EXPECT_EQ(s.view.contentsY(), 120);
    SendMessageW(s.view.window(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(s.view.contentsY(), 1000 - s.view.clientHeight());
}

TEST(View, ContentsChangedOnAnotherThreadLayOutTheBarsOnTheWindowsThread) {
    view_setup s;
    std::thread([&] { s.view.setContentsSize(150, 3000); }).join();
    EXPECT_FALSE(GetWindowLongPtrW(s.view.window(), GWL_STYLE) & WS_VSCROLL);
    ASSERT_TRUE(pump_until(
        [&] { return (GetWindowLongPtrW(s.view.window(), GWL_STYLE) & WS_VSCROLL) != 0; }, 5000));
    EXPECT_EQ(scroll_info(s.view.window(), SB_VERT).nMax, 3000);
}

TEST(ScrollBars, LargeRangesAreScaledForThePlatform) {
    parent_window p;
    recording_widget w(&p.top, u"scroll");
    w.setGeometry(0, 0, 100, 100);
    w.setScrollRange(1, true, 64000, 1000, 0, true);
    SCROLLINFO si = scroll_info(w.window(), SB_VERT);
    EXPECT_EQ(si.nMax, 32000);
    EXPECT_EQ(si.nPage, 500u);
    EXPECT_DOUBLE_EQ(w.scrollScale(1), 2.0);
    EXPECT_EQ(w.scrollRequest(1, MAKEWPARAM(SB_THUMBPOSITION, 100)), 200);
    w.log.clear();
    SendMessageW(w.window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0);
    EXPECT_TRUE(w.has("scrolled 1 600"));
    SendMessageW(w.window(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_TRUE(w.has("scrolled 1 602"));
    SendMessageW(w.window(), WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_TRUE(w.has("scrolled 1 0")); // 301 - 500 is clamped to the top
    w.setScrollPosition(1, 64000);
    EXPECT_GE(scroll_info(w.window(), SB_VERT).nPos, 31500);
    // Small ranges are not scaled; an invisible bar is hidden.
    w.setScrollRange(0, true, 500, 100, 50, true);
    EXPECT_DOUBLE_EQ(w.scrollScale(0), 1.0);
    EXPECT_EQ(w.scrollRequest(0, SB_LINEDOWN), 51);
    w.setScrollRange(0, false, 500, 100, 50, true);
    EXPECT_FALSE(GetWindowLongPtrW(w.window(), GWL_STYLE) & WS_HSCROLL);
}

TEST(ScrollBars, ChangesFromAnotherThreadArePosted) {
    parent_window p;
    recording_widget w(&p.top, u"scroll");
    w.setGeometry(0, 0, 100, 100);
    std::thread([&] { w.setScrollRange(1, true, 1000, 100, 250, true); }).join();
    EXPECT_NE(scroll_info(w.window(), SB_VERT).nMax, 1000);
    ASSERT_TRUE(pump_until([&] { return scroll_info(w.window(), SB_VERT).nMax == 1000; }, 5000));
    EXPECT_EQ(scroll_info(w.window(), SB_VERT).nPos, 250);
}

// Finds the menu window and chooses an item with the keyboard.
void CALLBACK choose_second_item(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu)
        return;
    KillTimer(nullptr, id);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(PopupMenu, ChosenItemArrivesAsCommand) {
    parent_window p;
    p.top.log.clear();
    vPopupMenu menu;
    ASSERT_TRUE(menu.addItem(u"Copy...", 1));
    ASSERT_TRUE(menu.addSeparator());
    ASSERT_TRUE(menu.addItem(u"Delete", 2));
    EXPECT_EQ(vPopupMenu::fromMenu(menu.handle()), &menu);
    EXPECT_EQ(GetMenuItemCount(menu.handle()), 3);
    SetForegroundWindow(p.top.window());
    SetTimer(nullptr, 0, 50, choose_second_item);
    const POINT at = p.top.screenPosition();
    menu.track(p.top.window(), at.x + 20, at.y + 20, 0);
    EXPECT_TRUE(pump_until([&] { return p.top.count("command") > 0; }, 5000));
    EXPECT_TRUE(p.top.has("command 2"));
}

} // namespace
