// The drop target of a widget: the four platform calls, the answer to the platform, forwarding
// to child widgets under the pointer, the registration's lifetime, and whole drags run through
// the platform's drag loop.

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/gui_pump.h"
#include "tests/toolkit/dnd_fake_data_win32.h"
#include "toolkit/dnd.h"
#include "toolkit/widget.h"

using namespace vwin;
using dnd_test::data_ref;

namespace {

// A widget that counts its drag calls and runs a test's reaction to them; with `forward` it
// also passes them on like the base widget.
class recorder : public vWidget {
public:
    recorder(vWidget* parent, const char16_t* title, std::uint32_t flags)
        : vWidget(parent, title, flags) {}
    recorder(vWidget* parent, const char16_t* title) : vWidget(parent, title) {}
    ~recorder() override { destroyWindow(); }

    int enters = 0, moves = 0, leaves = 0, drops = 0;
    POINTL lastPoint{};
    DWORD lastKeys = 0;
    bool forward = false;
    std::function<void(vDropEvent*)> onEnter, onDrop;

    void dragEnter(vDropEvent* event) override {
        ++enters;
        note(event);
        if (onEnter)
            onEnter(event);
        if (forward)
            vWidget::dragEnter(event);
    }
    void dragMove(vDropEvent* event) override {
        ++moves;
        note(event);
        if (forward)
            vWidget::dragMove(event);
    }
    void dragLeave(std::uintptr_t word) override {
        ++leaves;
        if (forward)
            vWidget::dragLeave(word);
    }
    void drop(vDropEvent* event) override {
        ++drops;
        note(event);
        if (onDrop)
            onDrop(event);
        if (forward)
            vWidget::drop(event);
    }

    vDropTarget* target() const { return dropTarget_; }

private:
    void note(vDropEvent* event) {
        lastPoint = event->point;
        lastKeys = event->keyState;
    }
};

// A files-only reaction, as the views that take dropped files have.
void files_only(vDropEvent* event) {
    if (event->hasFiles())
        event->accept();
    else
        event->refuse();
}

// Holds the first reference of a target made for a test.
struct target_ref {
    vDropTarget* target;
    explicit target_ref(vWidget* widget) : target(new vDropTarget(widget)) {}
    target_ref(const target_ref&) = delete;
    target_ref& operator=(const target_ref&) = delete;
    ~target_ref() {
        target->revoke();
        target->Release();
    }
    vDropTarget* operator->() const { return target; }
};

// OLE for the test thread, so registrations behave as on Windows.
struct ole_scope {
    ole_scope() { OleInitialize(nullptr); }
    ~ole_scope() { OleUninitialize(); }
};

const POINTL origin{0, 0};

} // namespace

TEST(DropTarget, AnswersItsInterfacesOnly) {
    recorder widget(nullptr, u"target", widget_no_create);
    target_ref target(&widget);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown),
              static_cast<void*>(static_cast<IDropTarget*>(target.target)));
    IDropTarget* face = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&face)), S_OK);
    EXPECT_EQ(face, static_cast<IDropTarget*>(target.target));
    void* other = &widget;
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
    EXPECT_EQ(face->Release(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
}

TEST(DropTarget, OverDropAndLeaveWithoutEnterDoNothing) {
    recorder widget(nullptr, u"target", widget_no_create);
    widget.onDrop = [](vDropEvent* event) { event->accept(); };
    target_ref target(&widget);
    data_ref data;
    data->offer(CF_HDROP, dnd_test::drop_files({u"a"}));

    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.data, 0, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(widget.moves + widget.drops + widget.leaves + widget.enters, 0);

    // A finished drag leaves nothing behind for a later stray call.
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(target->DragEnter(data.data, MK_LBUTTON, origin, &effect), S_OK);
    EXPECT_EQ(target->Drop(data.data, 0, origin, &effect), S_OK);
    EXPECT_EQ(widget.drops, 1);
    EXPECT_EQ(target->event(), nullptr);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.data, 0, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(widget.drops, 1);
    EXPECT_EQ(target->DragEnter(data.data, 0, origin, nullptr), E_INVALIDARG);
}

TEST(DropTarget, OneEventFromEnterToDrop) {
    recorder widget(nullptr, u"target", widget_no_create);
    widget.onEnter = files_only;
    DWORD dropped_keys = 99;
    widget.onDrop = [&dropped_keys](vDropEvent* event) { dropped_keys = event->keyState; };
    target_ref target(&widget);
    data_ref data;
    data->offer(CF_HDROP, dnd_test::drop_files({u"C:\\x.jar"}));

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    ASSERT_EQ(target->DragEnter(data.data, MK_LBUTTON, POINTL{5, 6}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(widget.lastPoint.x, 5);
    EXPECT_EQ(widget.lastKeys, DWORD(MK_LBUTTON));
    vDropEvent* event = target->event();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->allowed(), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));

    // Moving keeps the decision made on entering.
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragOver(MK_LBUTTON | MK_SHIFT, POINTL{7, 8}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(widget.moves, 1);
    EXPECT_EQ(widget.lastPoint.y, 8);
    EXPECT_EQ(target->event(), event);

    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->Drop(data.data, MK_SHIFT, POINTL{9, 9}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(dropped_keys, DWORD(MK_SHIFT));
    EXPECT_EQ(widget.leaves, 0);
    EXPECT_EQ(target->event(), nullptr);
    EXPECT_EQ(data->references(), 1); // the event let go of the data
}

TEST(DropTarget, PlainTextIsRefusedByAWidgetThatWantsFiles) {
    recorder widget(nullptr, u"target", widget_no_create);
    widget.onEnter = files_only;
    target_ref target(&widget);
    data_ref text;
    text->offer(CF_TEXT, dnd_test::text8("some words"));
    text->offer(CF_UNICODETEXT, dnd_test::text16(u"some words"));

    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragEnter(text.data, MK_LBUTTON, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragOver(MK_LBUTTON, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    ASSERT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(widget.leaves, 1);
    EXPECT_EQ(target->event(), nullptr);
}

TEST(DropTarget, AnswersOnlyAllowedEffectsAndNothingOnceRevoked) {
    recorder widget(nullptr, u"target", widget_no_create);
    widget.onEnter = [](vDropEvent* event) { event->acceptMove(); };
    target_ref target(&widget);
    data_ref data;
    DWORD effect = DROPEFFECT_COPY; // the source allows copying only
    ASSERT_EQ(target->DragEnter(data.data, 0, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->event()->effect, DWORD(DROPEFFECT_MOVE)); // the handler's own answer

    // A second enter replaces the leftover event.
    effect = DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragEnter(data.data, 0, origin, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(widget.enters, 2);
    EXPECT_EQ(data->references(), 2); // one event holds the data, not two

    // Revoked in the middle of the drag: no handler runs, no effect is answered.
    target->revoke();
    EXPECT_EQ(target->widget(), nullptr);
    for (int call = 0; call < 3; ++call) {
        effect = DROPEFFECT_MOVE;
        const HRESULT answer = call == 0   ? target->DragOver(0, origin, &effect)
                               : call == 1 ? target->Drop(data.data, 0, origin, &effect)
                                           : target->DragEnter(data.data, 0, origin, &effect);
        EXPECT_EQ(answer, S_OK) << call;
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE)) << call;
    }
    EXPECT_EQ(widget.enters, 2);
    EXPECT_EQ(widget.moves + widget.drops, 0);
}

TEST(DropForwarding, ReachesTheChildrenUnderThePointer) {
    vWidget parent(nullptr, u"parent");
    ASSERT_TRUE(parent.isWindow());
    parent.setGeometry(100, 100, 300, 200);
    recorder left(&parent, u"left");
    recorder right(&parent, u"right");
    recorder hidden(&parent, u"hidden");
    left.setGeometry(10, 10, 80, 80);
    right.setGeometry(150, 10, 80, 80);
    hidden.setGeometry(10, 10, 80, 80);
    hidden.setVisible(false);
    // A plain child holding the inner widget, to see the event travel down two levels.
    vWidget box(&parent, u"box");
    box.setGeometry(10, 100, 100, 80);
    recorder inner(&box, u"inner");
    inner.setGeometry(5, 5, 50, 50);
    // A foreign window whose user-data word names `left`: not a widget by the identity test.
    HWND impostor = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 80, 80,
                                    parent.window(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(impostor, nullptr);
    SetWindowLongPtrW(impostor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&left));
    left.onEnter = [](vDropEvent* event) { event->acceptMove(); };

    target_ref target(&parent);
    data_ref data;
    const POINT at_left = left.screenPosition();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(
        target->DragEnter(data.data, MK_LBUTTON, POINTL{at_left.x + 5, at_left.y + 5}, &effect),
        S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE)); // the child's answer reaches the platform
    EXPECT_EQ(left.enters, 1);
    EXPECT_EQ(right.enters, 0);
    EXPECT_EQ(hidden.enters, 0);
    EXPECT_EQ(inner.enters, 0);

    const POINT at_inner = inner.screenPosition();
    effect = DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragOver(MK_LBUTTON, POINTL{at_inner.x + 1, at_inner.y + 1}, &effect), S_OK);
    EXPECT_EQ(inner.moves, 1);
    EXPECT_EQ(left.moves, 0);

    // Leaving reaches every child widget, under the pointer or not.
    ASSERT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(left.leaves, 1);
    EXPECT_EQ(right.leaves, 1);
    EXPECT_EQ(hidden.leaves, 1);
    EXPECT_EQ(inner.leaves, 1);

    const POINT at_right = right.screenPosition();
    effect = DROPEFFECT_COPY;
    const POINTL on_right{at_right.x + 79, at_right.y + 79};
    ASSERT_EQ(target->DragEnter(data.data, MK_LBUTTON, on_right, &effect), S_OK);
    ASSERT_EQ(target->Drop(data.data, 0, on_right, &effect), S_OK);
    EXPECT_EQ(right.drops, 1);
    EXPECT_EQ(left.drops + inner.drops + hidden.drops, 0);

    // Outside every child: nobody.
    effect = DROPEFFECT_COPY;
    const POINT corner = parent.screenPosition();
    const POINTL nowhere{corner.x + 290, corner.y + 190};
    ASSERT_EQ(target->DragEnter(data.data, 0, nowhere, &effect), S_OK);
    ASSERT_EQ(target->Drop(data.data, 0, nowhere, &effect), S_OK);
    EXPECT_EQ(left.enters + right.enters + inner.enters, 2);
    DestroyWindow(impostor);
}

TEST(DropRegistration, FollowsTheWindow) {
    ole_scope ole;
    recorder widget(nullptr, u"registered");
    ASSERT_TRUE(widget.isWindow());
    EXPECT_FALSE(widget.acceptsItemDrags());
    widget.setAcceptDrops(true);
    ASSERT_NE(widget.target(), nullptr);
    EXPECT_TRUE(widget.acceptsItemDrags());
    EXPECT_EQ(widget.target()->window(), widget.window());
    EXPECT_EQ(widget.target()->widget(), &widget);

    // The window is taken: a second registration is refused.
    recorder other(nullptr, u"other", widget_no_create);
    target_ref probe(&other);
    EXPECT_FALSE(probe->registerWindow(widget.window()));
    EXPECT_EQ(probe->result(), DRAGDROP_E_ALREADYREGISTERED);

    // Switching off frees the window and keeps item drags possible.
    widget.setAcceptDrops(false);
    EXPECT_EQ(widget.target(), nullptr);
    EXPECT_TRUE(widget.acceptsItemDrags());
    ASSERT_TRUE(probe->registerWindow(widget.window()));
    probe->revoke();

    // Destroying the window revokes; a target still held elsewhere forwards nothing.
    widget.setAcceptDrops(true);
    vDropTarget* held = widget.target();
    ASSERT_NE(held, nullptr);
    held->AddRef();
    widget.destroyWindow();
    EXPECT_EQ(widget.target(), nullptr);
    EXPECT_EQ(held->widget(), nullptr);
    held->Release();

    // Without a window there is nothing to register.
    recorder windowless(nullptr, u"none", widget_no_create);
    windowless.setAcceptDrops(true);
    EXPECT_EQ(windowless.target(), nullptr);
    EXPECT_TRUE(windowless.acceptsItemDrags());
}

// The platform's drag loop: the item drag starts and ends inside this process. The pointer rests
// on the registered window and no button is held, so the first state check drops there.
TEST(ItemDrag, DropsThePointerOnTheWidgetUnderThePointer) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    ole_scope ole;
    recorder list(nullptr, u"list", widget_toplevel_default | widget_visible);
    ASSERT_TRUE(list.isWindow());
    list.setGeometry(200, 200, 240, 160);
    list.setAcceptDrops(true);
    ASSERT_NE(list.target(), nullptr);
    pump_pending();
    const POINT at = list.screenPosition();
    ASSERT_TRUE(SetCursorPos(at.x + 100, at.y + 80));
    ASSERT_TRUE(pump_until(
        [&] {
            POINT cursor{};
            return GetCursorPos(&cursor) && WindowFromPoint(cursor) == list.window();
        },
        5000));

    bool named = false, own = false;
    list.onEnter = [&](vDropEvent* event) {
        named = event->hasNamedPointer(u"vListViewItem");
        own = event->fromThisProcess();
        if (named)
            event->acceptMove();
        else
            event->refuse();
    };
    std::uintptr_t dropped = 0;
    str name;
    list.onDrop = [&](vDropEvent* event) {
        if (!event->pointerValue(name, dropped))
            event->refuse();
    };

    int item = 42;
    EXPECT_EQ(runItemDrag(&item), DWORD(DROPEFFECT_MOVE));
    EXPECT_TRUE(named);
    EXPECT_TRUE(own);
    EXPECT_EQ(list.drops, 1);
    EXPECT_EQ(dropped, reinterpret_cast<std::uintptr_t>(&item));
    EXPECT_TRUE(name.equals(u"vListViewItem"));
}

TEST(ItemDrag, EscapeCancels) {
    desktop_lock desktop;
    ASSERT_TRUE(desktop.held());
    ole_scope ole;
    recorder list(nullptr, u"list", widget_toplevel_default | widget_visible);
    list.setGeometry(200, 200, 240, 160);
    list.setAcceptDrops(true);
    list.onEnter = [](vDropEvent* event) { event->acceptMove(); };
    pump_pending();
    const POINT at = list.screenPosition();
    ASSERT_TRUE(SetCursorPos(at.x + 100, at.y + 80));

    // The key waits in the queue; the drag loop reads it before any state check.
    ASSERT_TRUE(PostMessageW(list.window(), WM_KEYDOWN, VK_ESCAPE, 0));
    auto* drag = new vPointerDrag(u"vListViewItem", 1);
    vDropSource source;
    EXPECT_EQ(source.dragMove(drag), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(source.result(), DRAGDROP_S_CANCEL);
    drag->Release();
    EXPECT_EQ(list.drops, 0);
}
