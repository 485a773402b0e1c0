// vWidget state: hover, timers, fonts received without ownership, regions, exceptions in the
// wheel delivery, the main window's quit request.

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/toolkit/widget_fixture_win32.h"

using namespace widget_test;

namespace {

struct top_window {
    recording_widget top{nullptr, u"state", widget_toplevel_default | widget_visible};
    top_window() { top.setGeometry(300, 300, 200, 150); }
};

TEST(WidgetHover, EnterOnFirstMoveAndLeaveWhenThePointerIsElsewhere) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    top_window t;
    recording_widget w(&t.top, u"hover");
    w.setGeometry(10, 10, 50, 50);
    w.setHoverTracking(true);
    SetCursorPos(0, 0); // the real pointer is far from the widget
    SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(w.count("enter"), 1);
    EXPECT_TRUE(w.isHovered());
    SendMessageW(w.window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.count("leave"), 1);
    EXPECT_FALSE(w.isHovered());
    // A second leave report changes nothing.
    SendMessageW(w.window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.count("leave"), 1);
}

TEST(WidgetHover, MovingOntoATransparentPartLeaves) {
    top_window t;
    recording_widget w(&t.top, u"glass");
    w.setGeometry(10, 10, 50, 50);
    w.setBackgroundMode(background_transparent);
    w.setHovered(true);
    SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(w.count("leave"), 1);
    EXPECT_EQ(w.count("mouse"), 0);
}

TEST(WidgetFocus, ActivationKeepsTheFocusInsideTheWindow) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    top_window t;
    recording_widget child(&t.top, u"child", widget_tabstop);
    child.setFocus();
    ASSERT_TRUE(child.hasFocus());
    SendMessageW(t.top.window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(child.hasFocus());
    // Deactivated and activated again: the child gets the focus back.
    SendMessageW(t.top.window(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    SendMessageW(t.top.window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(child.hasFocus());
    // Without a focused child the window itself takes the focus.
    recording_widget other(nullptr, u"other", widget_toplevel_default | widget_visible);
    SetFocus(nullptr);
    SendMessageW(other.window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(other.hasFocus());
}

TEST(WidgetTimers, LowEightBitsOfTheIdAndIdZeroRefused) {
    top_window t;
    EXPECT_FALSE(t.top.setTimer(0, 10));
    EXPECT_FALSE(t.top.setTimer(0x100, 10)); // low 8 bits are 0
    ASSERT_TRUE(t.top.setTimer(0x107, 10));
    EXPECT_TRUE(pump_until([&] { return t.top.has("timer 7"); }, 5000));
    EXPECT_TRUE(t.top.killTimer(7));
    recording_widget none(nullptr, u"", widget_toplevel_default | widget_no_create);
    EXPECT_FALSE(none.setTimer(1, 10));
    EXPECT_EQ(none.sendMessage(WM_USER, 0, 0), 0);
}

TEST(WidgetFonts, ReceivedFontIsUsedNotOwnedAndChildrenTakeTheParentsFont) {
    HFONT handle;
    {
        vFont font(u"tahoma", 14, 75);
        handle = font.detach();
    }
    {
        top_window t;
        t.top.setFont(handle);
        EXPECT_EQ(t.top.font().handle(), handle);
        EXPECT_FALSE(t.top.font().owns());
        EXPECT_EQ(reinterpret_cast<HFONT>(t.top.sendMessage(WM_GETFONT, 0, 0)), handle);
        recording_widget child(&t.top, u"child");
        EXPECT_EQ(child.font().handle(), handle);
    }
    // The windows are gone and the font is still there.
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(handle, sizeof lf, &lf), int(sizeof lf));
    DeleteObject(handle);
}

TEST(Regions, RectanglesUnionCopyAndPointTests) {
    vRegion r;
    EXPECT_FALSE(r.contains(0, 0));
    r.addRect(0, 0, 10, 10);
    r.addRect(20, 0, 5, 5);
    struct row {
        int x, y;
        bool in;
    };
    const row rows[] = {{0, 0, true},   {9, 9, true},  {10, 10, false},
                        {15, 2, false}, {22, 2, true}, {22, 7, false}};
    for (const row& p : rows)
        EXPECT_EQ(r.contains(p.x, p.y), p.in) << p.x << "," << p.y;
    vRegion copy;
    ASSERT_TRUE(copy.copy(r));
    r.setRect(100, 100, 1, 1);
    EXPECT_TRUE(copy.contains(22, 2));
    EXPECT_FALSE(r.contains(22, 2));
    EXPECT_TRUE(r.contains(100, 100));
    r.clear();
    EXPECT_TRUE(r.empty());
}

TEST(Regions, WindowShapeAndItsCopy) {
    top_window t;
    recording_widget w(&t.top, u"shape");
    w.setGeometry(0, 0, 40, 30);
    vRegion shape;
    w.region(shape); // no shape: the client rectangle
    EXPECT_TRUE(shape.contains(39, 29));
    EXPECT_FALSE(shape.contains(40, 29));
    vRegion cut(0, 0, 20, 30);
    w.setRegion(cut);
    EXPECT_TRUE(cut.contains(5, 5)); // the caller's region stays its own
    w.region(shape);
    EXPECT_TRUE(shape.contains(19, 5));
    EXPECT_FALSE(shape.contains(25, 5));
}

TEST(WidgetInput, FailingChildDoesNotStopTheWheel) {
    struct throwing : recording_widget {
        using recording_widget::recording_widget;
        void wheelEvent(vWheelEvent*) override { throw std::runtime_error("broken handler"); }
    };
    top_window t;
    recording_widget taker(&t.top, u"taker");
    throwing broken(&t.top, u"broken");
    taker.setGeometry(0, 0, 100, 100);
    broken.setGeometry(0, 0, 100, 100);
    SetWindowPos(broken.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    taker.acceptMouse = true;
    const POINT at = t.top.screenPosition();
    SendMessageW(t.top.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                 point_param(at.x + 5, at.y + 5));
    EXPECT_TRUE(taker.has("wheel 120"));
}

TEST(WidgetLife, DestroyingTheMainWindowPostsTheQuitRequest) {
    auto* w = new recording_widget(nullptr, u"main");
    setMainWindow(w->window());
    SendMessageW(w->window(), WM_CLOSE, 0, 0);
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    setMainWindow(nullptr);
    delete w;
}

TEST(WidgetLife, OperationsWithoutAWindowDoNothing) {
    recording_widget w(nullptr, u"none", widget_toplevel_default | widget_no_create);
    w.setGeometry(0, 0, 10, 10);
    w.update();
    w.setVisible(true);
    w.setScrollRange(1, true, 100, 10, 0, true);
    w.setFocus();
    EXPECT_EQ(w.clientWidth(), 0);
    EXPECT_TRUE(w.text().empty());
    EXPECT_EQ(w.nextTabStop(true), nullptr);
    EXPECT_EQ(w.scrollRequest(1, SB_LINEDOWN), 0);
    EXPECT_FALSE(w.isWindow());
}

} // namespace
