// vWidget message dispatch: each message reaches its virtual operation, input travels to the
// parent while nobody takes it, and the object never outlives its binding.

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "tests/toolkit/widget_fixture_win32.h"

using namespace widget_test;

namespace {

struct message_case {
    const char* name;
    UINT message;
    WPARAM word;
    LPARAM param;
    const char* expected;
};

void PrintTo(const message_case& c, std::ostream* os) {
    *os << c.name;
}

class WidgetDispatch : public ::testing::TestWithParam<message_case> {};

TEST_P(WidgetDispatch, MessageReachesItsOperation) {
    const message_case& c = GetParam();
    recording_widget w(nullptr, u"dispatch");
    ASSERT_TRUE(w.isWindow());
    w.log.clear();
    SendMessageW(w.window(), c.message, c.word, c.param);
    EXPECT_TRUE(w.has(c.expected)) << c.name << ": got " << (w.log.empty() ? "" : w.log.back());
}

const message_case message_cases[] = {
    {"timer keeps the low 8 bits", WM_TIMER, 0x105, 0, "timer 5"},
    {"move has signed halves", WM_MOVE, 0, point_param(-3, 7), "moved -3 7"},
    {"size", WM_SIZE, 0, MAKELPARAM(30, 40), "resized 30 40"},
    {"size restyles", WM_SIZE, 0, MAKELPARAM(31, 40), "restyle"},
    {"focus in", WM_SETFOCUS, 0, 0, "focusIn"},
    {"focus out", WM_KILLFOCUS, 0, 0, "focusOut"},
    {"shown", WM_SHOWWINDOW, 1, 0, "shown 1"},
    {"hidden", WM_SHOWWINDOW, 0, 0, "shown 0"},
    {"hover", WM_MOUSEHOVER, 0, 0, "hover"},
    {"menu or accelerator command: whole word", WM_COMMAND, 0x10007, 0, "command 65543"},
    {"user message number", WM_USER + 5, 9, 0, "user 5 9"},
    {"application message", WM_APP + 2, 0, 0, "user 31746 0"},
    {"menu command by position", WM_MENUCOMMAND, 3, 0, "menuCommand 3"},
    {"key down", WM_KEYDOWN, 'A', 0, "key 65 6"},
    {"key up", WM_KEYUP, 'A', 0, "key 65 7"},
    {"left press", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6), "mouse 2 1 5 6"},
    {"left release", WM_LBUTTONUP, 0, MAKELPARAM(5, 6), "mouse 3 1 5 6"},
    {"right double click", WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(1, 2), "mouse 4 2 1 2"},
    {"middle press", WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 2), "mouse 2 16 1 2"},
    {"move", WM_MOUSEMOVE, 0, MAKELPARAM(8, 9), "mouse 5 0 8 9"},
    {"close asks", WM_CLOSE, 0, 0, "canClose"},
};

INSTANTIATE_TEST_SUITE_P(Messages, WidgetDispatch, ::testing::ValuesIn(message_cases),
                         [](const auto& info) { return case_name(info.param.name); });

TEST(WidgetDispatch, ToolkitMessagesNeverReachUserMessage) {
    recording_widget w(nullptr, u"private");
    w.log.clear();
    SendMessageW(w.window(), toolkit_message_free, 0, 0);
    EXPECT_EQ(w.count("user"), 0);
}

TEST(WidgetDispatch, ControlNotificationGoesToTheControlsObject) {
    recording_widget parent(nullptr, u"parent");
    recording_widget child(&parent, u"child");
    parent.log.clear();
    child.log.clear();
    SendMessageW(parent.window(), WM_COMMAND, MAKEWPARAM(12, 0x300),
                 reinterpret_cast<LPARAM>(child.window()));
    EXPECT_TRUE(child.has("command 768"));
    EXPECT_EQ(parent.count("command"), 0);
}

// A three-level tree whose lower levels do not take the pointer or the keys.
struct tree {
    recording_widget top{nullptr, u"top", widget_toplevel_default | widget_visible};
    recording_widget middle{&top, u"middle"};
    recording_widget inner{&middle, u"inner"};
    tree() {
        top.setGeometry(100, 100, 300, 200);
        middle.setGeometry(10, 20, 200, 150);
        inner.setGeometry(5, 7, 50, 40);
        top.acceptMouse = true;
        top.acceptKeys = true;
        for (recording_widget* w : {&top, &middle, &inner})
            w->log.clear();
    }
};

TEST(WidgetInput, UnacceptedPressTravelsToParentAndTopLevel) {
    tree t;
    SendMessageW(t.inner.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_TRUE(t.inner.has("mouse 2 1 3 4"));
    // The same press, in each receiver's own client coordinates.
    EXPECT_TRUE(t.middle.has("mouse 2 1 8 11"));
    EXPECT_TRUE(t.top.has("mouse 2 1 18 31"));
    EXPECT_EQ(t.top.lastMouse.buttonsBefore & MK_LBUTTON, 0u);
    EXPECT_EQ(t.top.lastMouse.buttonsAfter & MK_LBUTTON, std::uint32_t(MK_LBUTTON));
    EXPECT_EQ(t.top.lastMouse.screenX, t.inner.screenPosition().x + 3);
    EXPECT_EQ(t.top.lastMouse.screenY, t.inner.screenPosition().y + 4);
}

TEST(WidgetInput, AcceptedPressStaysWhereItWasTaken) {
    tree t;
    t.middle.acceptMouse = true;
    SendMessageW(t.inner.window(), WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(t.middle.has("mouse 3 2 6 8"));
    EXPECT_EQ(t.top.count("mouse"), 0);
    // A release: the button was down before and is up after.
    EXPECT_EQ(t.middle.lastMouse.buttonsBefore & MK_RBUTTON, std::uint32_t(MK_RBUTTON));
    EXPECT_EQ(t.middle.lastMouse.buttonsAfter & MK_RBUTTON, 0u);
}

TEST(WidgetInput, KeysTravelToParentUntilConsumed) {
    tree t;
    SendMessageW(t.inner.window(), WM_KEYDOWN, 'Q', 0);
    EXPECT_TRUE(t.inner.has("key 81 6"));
    EXPECT_TRUE(t.middle.has("key 81 6"));
    EXPECT_TRUE(t.top.has("key 81 6"));
    t.middle.acceptKeys = true;
    SendMessageW(t.inner.window(), WM_KEYUP, 'R', 0);
    EXPECT_TRUE(t.middle.has("key 82 7"));
    EXPECT_FALSE(t.top.has("key 82 7"));
}

TEST(WidgetInput, ModifiersComeFromTheKeyState) {
    tree t;
    set_key(VK_SHIFT, true);
    set_key(VK_CONTROL, true);
    SendMessageW(t.top.window(), WM_KEYDOWN, 'Z', 0);
    set_key(VK_SHIFT, false);
    set_key(VK_CONTROL, false);
    EXPECT_EQ(t.top.lastKey.modifiers, std::uint32_t(modifier_shift | modifier_control));
}

TEST(WidgetInput, WheelGoesToTheInnermostWidgetUnderThePointerFirst) {
    tree t;
    t.inner.acceptMouse = true;
    const POINT p = t.inner.screenPosition();
    SendMessageW(t.top.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                 point_param(p.x + 2, p.y + 2));
    EXPECT_TRUE(t.inner.has("wheel 120"));
    EXPECT_EQ(t.middle.count("wheel"), 0);
    EXPECT_EQ(t.top.count("wheel"), 0);
    // Nobody inside takes it: outwards to the top.
    t.inner.acceptMouse = false;
    SendMessageW(t.top.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 point_param(p.x + 2, p.y + 2));
    EXPECT_TRUE(t.middle.has("wheel -120"));
    EXPECT_TRUE(t.top.has("wheel -120"));
}

TEST(WidgetInput, TabMovesFocusToTheNextTabStopAndShiftTabBack) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    recording_widget top(nullptr, u"tabs", widget_toplevel_default | widget_visible);
    recording_widget a(&top, u"a", widget_tabstop);
    recording_widget b(&top, u"b", 0); // not a tab stop
    recording_widget c(&top, u"c", widget_tabstop);
    top.setGeometry(50, 50, 200, 100);
    a.setFocus();
    ASSERT_TRUE(a.hasFocus());
    SendMessageW(a.window(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(c.hasFocus());
    SendMessageW(c.window(), WM_KEYDOWN, VK_TAB, 0); // wraps around
    EXPECT_TRUE(a.hasFocus());
    set_key(VK_SHIFT, true);
    SendMessageW(a.window(), WM_KEYDOWN, VK_TAB, 0);
    set_key(VK_SHIFT, false);
    EXPECT_TRUE(c.hasFocus());
    EXPECT_EQ(top.nextTabStop(true), a.window()); // from the top: its first child tab stop
}

TEST(WidgetGeometry, ClientAreaIsExactlyWhatWasAsked) {
    recording_widget w(nullptr, u"Orvel 1.07");
    w.setGeometry(20, 40, 640, 520);
    EXPECT_EQ(w.clientWidth(), 640);
    EXPECT_EQ(w.clientHeight(), 520);
    EXPECT_EQ(w.screenPosition().x, 20);
    EXPECT_EQ(w.screenPosition().y, 40);
    EXPECT_GT(w.windowWidth(), 640); // the frame is outside
    w.resize(300, 200);
    EXPECT_EQ(w.clientWidth(), 300);
    EXPECT_EQ(w.clientHeight(), 200);
    w.move(70, 80, true);
    EXPECT_EQ(w.screenPosition().x, 70);
    EXPECT_EQ(w.screenPosition().y, 80);
}

TEST(WidgetGeometry, ResizeFromInsideResizedIsIgnored) {
    struct growing : recording_widget {
        using recording_widget::recording_widget;
        int calls = 0;
        void resized(int w, int h) override {
            ++calls;
            resize(w + 10, h); // would recurse without the guard
        }
    };
    growing w(nullptr, u"grow");
    w.calls = 0;
    w.resize(300, 200);
    EXPECT_EQ(w.calls, 1);
    EXPECT_EQ(w.clientWidth(), 310);
}

TEST(WidgetLife, CanCloseFalseKeepsTheWindow) {
    recording_widget w(nullptr, u"keep");
    w.allowClose = false;
    SendMessageW(w.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(w.isWindow());
    EXPECT_EQ(w.resultCode(), dialog_pending);
    w.allowClose = true;
    HWND window = w.window();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(w.window(), nullptr);
    EXPECT_TRUE(w.has("destroyed"));
    EXPECT_EQ(w.resultCode(), dialog_closed);
}

TEST(WidgetLife, ClassNameCarriesTheWholeAddress) {
    recording_widget w(nullptr, u"name");
    const std::string name = str(w.className()).to_utf8();
    char expected[32];
    std::snprintf(expected, sizeof expected, "%0*llx", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&w)));
    EXPECT_EQ(name.rfind("vWidget", 0), 0u);
    EXPECT_NE(name.find(std::string(":0x") + expected), std::string::npos) << name;
    EXPECT_EQ(vWidget::fromWindow(w.window()), &w);
    EXPECT_EQ(GetWindowLongPtrW(w.window(), GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&w));
}

TEST(WidgetLife, WindowMadeLaterIsBoundAlreadyForItsCreateMessage) {
    recording_widget w(nullptr, u"late", widget_toplevel_default | widget_no_create);
    EXPECT_FALSE(w.isWindow());
    ASSERT_TRUE(w.create());
    EXPECT_TRUE(w.has("created"));
    EXPECT_EQ(w.log.front(), "created");
}

TEST(WidgetLife, TwoWidgetsAtTheSameAddressInTurn) {
    alignas(recording_widget) unsigned char storage[sizeof(recording_widget)];
    for (int round = 0; round < 2; ++round) {
        auto* w = new (storage) recording_widget(nullptr, u"again");
        EXPECT_TRUE(w->isWindow()) << round;
        EXPECT_EQ(vWidget::fromWindow(w->window()), w);
        w->~recording_widget();
    }
}

// The window outlives its widget: the object's memory is overwritten once it is destroyed, so a
// call through a stale binding would crash the test.
TEST(WidgetLife, DestroyedWidgetIsNeverCalledByItsAdoptedWindow) {
    HWND window = CreateWindowExW(0, L"STATIC", L"adopted", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    const LONG_PTR originalProc = GetWindowLongPtrW(window, GWLP_WNDPROC);
    alignas(recording_widget) unsigned char storage[sizeof(recording_widget)];
    auto* w = new (storage) recording_widget(nullptr, u"", widget_no_create);
    w->attach(window, true);
    SendMessageW(window, WM_TIMER, 3, 0);
    EXPECT_TRUE(w->has("timer 3"));
    w->~recording_widget();
    std::memset(storage, 0xFE, sizeof storage);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), originalProc);
    EXPECT_EQ(vWidget::fromWindow(window), nullptr);
    SendMessageW(window, WM_TIMER, 3, 0);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    DestroyWindow(window);
}

TEST(WidgetLife, WidgetDestroyedOnAnotherThreadUnbindsAndItsWindowCloses) {
    alignas(recording_widget) unsigned char storage[sizeof(recording_widget)];
    auto* w = new (storage) recording_widget(nullptr, u"elsewhere");
    HWND window = w->window();
    std::thread([w] { w->~recording_widget(); }).join();
    std::memset(storage, 0xFE, sizeof storage);
    // The window's thread still delivers messages, and none reaches the object.
    SendMessageW(window, WM_TIMER, 1, 0);
    SendMessageW(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }, 5000));
}

TEST(WidgetThreads, UpdateFromAnotherThreadOnlyInvalidates) {
    recording_widget w(nullptr, u"update", widget_toplevel_default | widget_visible);
    w.setGeometry(10, 10, 200, 80);
    w.invalidate();
    ASSERT_TRUE(pump_until([&] { return w.paints > 0; }, 5000));
    pump_pending();
    const int before = w.paints;
    // The worker neither paints nor waits for this thread, which is not pumping meanwhile.
    std::thread([&] {
        w.update();
        w.updateRect(0, 0, 10, 10);
        w.repaint();
    }).join();
    EXPECT_EQ(w.paints, before);
    RECT dirty{};
    EXPECT_TRUE(GetUpdateRect(w.window(), &dirty, FALSE));
    EXPECT_TRUE(pump_until([&] { return w.paints > before; }, 5000));
    EXPECT_EQ(w.paintThread, std::this_thread::get_id());
}

TEST(WidgetThreads, UpdateOnItsOwnThreadPaintsAtOnce) {
    recording_widget w(nullptr, u"now", widget_toplevel_default | widget_visible);
    w.setGeometry(10, 10, 200, 80);
    w.invalidate();
    ASSERT_TRUE(pump_until([&] { return w.paints > 0; }, 5000));
    const int before = w.paints;
    w.update();
    EXPECT_GT(w.paints, before);
}

TEST(WidgetThreads, ShowAndGeometryFromAnotherThreadDoNotWait) {
    recording_widget top(nullptr, u"top", widget_toplevel_default | widget_visible);
    recording_widget child(&top, u"child");
    child.setGeometry(0, 0, 20, 20);
    // This thread does not handle messages meanwhile: a call that waited for it would hang.
    std::thread([&] {
        child.setVisible(false);
        child.setGeometry(5, 6, 70, 30);
    }).join();
    EXPECT_TRUE(pump_until(
        [&] {
            return !child.isVisible() && child.clientWidth() == 70 && child.clientHeight() == 30;
        },
        5000));
    std::thread([&] { child.setHidden(false); }).join();
    EXPECT_TRUE(pump_until([&] { return child.isVisible(); }, 5000));
}

TEST(WidgetThreads, TextFromAnotherThreadNeedsNoMessage) {
    recording_widget w(nullptr, u"Orvel 1.07");
    str seen;
    std::thread([&] { seen = w.text(); }).join();
    EXPECT_TRUE(seen.equals(u"Orvel 1.07"));
    w.setText("Caf\xe9");
    EXPECT_TRUE(w.text().equals(u"Caf\u00e9"));
}

TEST(WidgetThreads, SuspendedUpdatesPaintNothingUntilEnabled) {
    recording_widget w(nullptr, u"suspend", widget_toplevel_default | widget_visible);
    w.setGeometry(10, 10, 200, 80);
    w.invalidate();
    ASSERT_TRUE(pump_until([&] { return w.paints > 0; }, 5000));
    w.setUpdatesEnabled(false);
    const int before = w.paints;
    w.invalidate();
    pump_pending();
    EXPECT_EQ(w.paints, before);
    // No paint request is left pending meanwhile (it would be sent without end).
    EXPECT_FALSE(GetUpdateRect(w.window(), nullptr, FALSE));
    w.setUpdatesEnabled(true);
    EXPECT_TRUE(pump_until([&] { return w.paints > before; }, 5000));
}

} // namespace
