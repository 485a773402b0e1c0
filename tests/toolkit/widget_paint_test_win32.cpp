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

TEST(WidgetPaint, BackgroundModes) {
    vPixmap tile(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            tile.setPixel(x, y, 0xFF000000u | (0x10 * (x + 1)) << 16 | (0x10 * (y + 1)));
    struct row {
        int mode;
        const char* name;
    };
    const row rows[] = {{background_button_face, "system colour 15"},
                        {background_window, "system colour 5"},
                        {background_color, "colour"},
                        {background_image, "image"},
                        {background_image_tiled, "tiled"},
                        {background_none, "nothing"}};
    for (const row& r : rows) {
        window_setup s;
        recording_widget w(&s.top, u"mode");
        w.setGeometry(0, 0, 9, 6);
        if (r.mode == background_color)
            w.setBackgroundColor(0x00ABCDEF);
        w.backgroundImage().copyFrom(tile);
        w.setBackgroundMode(r.mode);
        vPixmap pre(9, 6);
        pre.fill(0x00010203);
        // Print into a prefilled image so that "nothing painted" shows.
        SendMessageW(w.window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pre.dc()),
                     PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 9; ++x) {
                vColor want = 0;
                switch (r.mode) {
                case background_button_face:
                    want = systemColor(COLOR_BTNFACE);
                    break;
                case background_window:
                    want = systemColor(COLOR_WINDOW);
                    break;
                case background_color:
                    want = 0xABCDEF;
                    break;
                case background_image:
                    want = x < 3 && y < 2 ? tile.pixel(x, y) : 0x010203;
                    break;
                case background_image_tiled:
                    want = tile.pixel(x % 3, y % 2);
                    break;
                default:
                    want = 0x010203;
                    break;
                }
                ASSERT_EQ(rgb(pre, x, y), want & 0xFFFFFF) << r.name << " at " << x << "," << y;
            }
        }
    }
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

TEST(WidgetHitTest, HitTestWithoutWindow) {
    recording_widget w(nullptr, u"none", widget_toplevel_default | widget_no_create);
    EXPECT_EQ(w.hitTest(0, 0), -2);
}

TEST(WidgetPaint, BlendedBackgroundOverTheParent) {
    vBlendLibrary msimg32;
    window_setup s;
    recording_widget w(&s.top, u"blend");
    w.setGeometry(0, 0, 20, 10);
    vPixmap& image = w.backgroundImage();
    image.create(10, 10);
    image.fill(0xFF00FF00);
    image.fillRect(0, 0, 5, 10, 0);
    w.setBackgroundMode(background_blend);
    vPixmap out(20, 10);
    out.fill(0x00FF0000);
    SendMessageW(w.window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(out.dc()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    EXPECT_EQ(rgb(out, 2, 2), 0xFF0000u);  // transparent pixels leave the red
    EXPECT_EQ(rgb(out, 7, 2), 0x00FF00u);  // opaque ones cover it
    EXPECT_EQ(rgb(out, 15, 2), 0xFF0000u); // not repeated
}

} // namespace
