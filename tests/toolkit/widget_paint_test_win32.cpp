// Painting of widgets by background mode, checked in the pixels that WM_PRINTCLIENT draws, and
// hit testing of transparent widgets.

#include <gtest/gtest.h>

#include "tests/toolkit/widget_fixture_win32.h"

using namespace widget_test;

namespace {

vColor rgb(const vPixmap& p, int x, int y) {
    return p.pixel(x, y) & 0xFFFFFF;
}

struct window_setup {
    recording_widget top{nullptr, u"paint", widget_toplevel_default | widget_visible};
    window_setup() { top.setGeometry(40, 40, 200, 120); }
};

TEST(WidgetPaint, SolidBackgroundAndChildrenAtTheirPlaces) {
    window_setup s;
    s.top.setBackgroundColor(0xFFFFFF);
    recording_widget child(&s.top, u"child");
    child.setGeometry(10, 20, 30, 15);
    child.setBackgroundColor(0x157DCC);
    recording_widget hidden(&s.top, u"hidden");
    hidden.setGeometry(0, 0, 5, 5);
    hidden.setBackgroundColor(0xFF0000);
    hidden.setVisible(false);
    vPixmap image = grab(s.top);
    ASSERT_EQ(image.width(), 200);
    ASSERT_EQ(image.height(), 120);
    save_image(image, "widget_children");
    EXPECT_EQ(rgb(image, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 10, 20), 0x157DCCu);
    EXPECT_EQ(rgb(image, 39, 34), 0x157DCCu);
    EXPECT_EQ(rgb(image, 40, 34), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 9, 20), 0xFFFFFFu);
    EXPECT_GE(child.paints, 1);
}

TEST(WidgetPaint, KeyedColourImageIsPaintedWithItsRedReplaced) {
    window_setup s;
    recording_widget w(&s.top, u"keyed");
    w.setGeometry(0, 0, 6, 4);
    vPixmap& image = w.backgroundImage();
    ASSERT_TRUE(image.create(6, 4));
    image.fill(0xFF0000FF);
    image.fillRect(0, 0, 3, 4, 0xFFFF0000); // the key colour on the left
    EXPECT_EQ(image.replaceColor(0xFF0000, 0x00F0F0F0), 12);
    w.setBackgroundMode(background_image);
    vPixmap out = grab(w);
    save_image(out, "keyed_colour");
    EXPECT_EQ(rgb(out, 0, 0), 0xF0F0F0u);
    EXPECT_EQ(rgb(out, 2, 3), 0xF0F0F0u);
    EXPECT_EQ(rgb(out, 3, 0), 0x0000FFu);
}

// A widget whose background image is transparent on its left half.
struct half_transparent {
    window_setup s;
    recording_widget below{&s.top, u"below"};
    recording_widget w{&s.top, u"glass"};
    half_transparent(int mode) {
        s.top.acceptMouse = true;
        below.acceptMouse = true;
        w.acceptMouse = true;
        // w was made after `below`, so it lies below it in the z-order: put it on top.
        SetWindowPos(w.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        below.setGeometry(10, 10, 40, 20);
        w.setGeometry(10, 10, 40, 20);
        vPixmap& image = w.backgroundImage();
        image.create(20, 10);
        image.fill(0xFF00FF00);
        image.fillRect(0, 0, 10, 10, 0x00000000);
        w.setBackgroundMode(mode);
        for (recording_widget* r : {&s.top, &below, &w})
            r->log.clear();
    }
    POINT at(int x, int y) const {
        POINT p = w.screenPosition();
        return POINT{p.x + x, p.y + y};
    }
};

TEST(WidgetHitTest, BlendModeIsHitOnlyWhereTheImageIsOpaque) {
    half_transparent t(background_blend);
    EXPECT_TRUE(GetWindowLongPtrW(t.w.window(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    struct row {
        int x, y, hit;
    };
    const row rows[] = {{2, 2, -1}, {9, 9, -1}, {10, 0, 1}, {19, 9, 1}, {20, 5, -1}, {5, 15, -1}};
    for (const row& r : rows) {
        const POINT p = t.at(r.x, r.y);
        EXPECT_EQ(t.w.hitTest(p.x, p.y), r.hit) << r.x << "," << r.y;
    }
    // A press on the transparent half reaches the sibling beneath, in its own coordinates.
    SendMessageW(t.w.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(t.w.count("mouse"), 0);
    EXPECT_TRUE(t.below.has("mouse 2 1 3 4"));
    SendMessageW(t.w.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(13, 4));
    EXPECT_TRUE(t.w.has("mouse 2 1 13 4"));
}

TEST(WidgetHitTest, PressOnTransparentPartWithoutSiblingReachesTheParent) {
    half_transparent t(background_blend);
    t.below.setVisible(false);
    SendMessageW(t.w.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(t.below.count("mouse"), 0);
    EXPECT_TRUE(t.s.top.has("mouse 2 1 13 14"));
}

TEST(WidgetHitTest, TiledBlendRepeatsTheImage) {
    half_transparent t(background_blend_tiled);
    t.w.setGeometry(10, 10, 70, 30);
    // x = 2 * 20 + 3 tests the image column 3 (transparent), x = 2 * 20 + 13 column 13.
    POINT p = t.at(43, 5);
    EXPECT_EQ(t.w.hitTest(p.x, p.y), -1);
    p = t.at(53, 25);
    EXPECT_EQ(t.w.hitTest(p.x, p.y), 1);
}

TEST(WidgetHitTest, TransparentModeNeverTakesThePointer) {
    half_transparent t(background_transparent);
    for (int x : {2, 15, 30}) {
        const POINT p = t.at(x, 5);
        EXPECT_EQ(t.w.hitTest(p.x, p.y), -1);
    }
    SendMessageW(t.w.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 5));
    EXPECT_EQ(t.w.count("mouse"), 0);
    EXPECT_TRUE(t.below.has("mouse 2 1 15 5"));
    // Back to an opaque mode: the window is no longer transparent to the platform.
    t.w.setBackgroundMode(background_color);
    EXPECT_FALSE(GetWindowLongPtrW(t.w.window(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

} // namespace
