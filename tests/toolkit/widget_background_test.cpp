// Widget backgrounds over either driver: each background mode painted into a pixmap that shows
// what was left unpainted, a blended background over what lies below, and the hit test of a
// widget without a window.

#include <gtest/gtest.h>

#include "toolkit/widget.h"

using namespace vwin;

namespace {

vColor rgb(const vPixmap& p, int x, int y) {
    return p.pixel(x, y) & 0xFFFFFF;
}

struct window_setup {
    vWidget top{nullptr, u"paint", widget_toplevel_default | widget_visible};
    window_setup() { top.setGeometry(40, 40, 200, 120); }
};

// The widget's background and contents drawn into `out`, with its font, as a paint request
// draws them.
void print_client(vWidget& w, vPixmap& out) {
    HGDIOBJ oldFont = w.font().handle() ? out.select(w.font().handle()) : nullptr;
    w.paintBackground(out, RECT{0, 0, w.clientWidth(), w.clientHeight()});
    w.paint(out);
    if (oldFont)
        out.select(oldFont);
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
        vWidget w(&s.top, u"mode");
        w.setGeometry(0, 0, 9, 6);
        if (r.mode == background_color)
            w.setBackgroundColor(0x00ABCDEF);
        w.backgroundImage().copyFrom(tile);
        w.setBackgroundMode(r.mode);
        vPixmap pre(9, 6);
        pre.fill(0x00010203);
        // Print into a prefilled image so that "nothing painted" shows.
        print_client(w, pre);
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

TEST(WidgetPaint, BlendedBackgroundOverTheParent) {
    vBlendLibrary msimg32; // the Win32 driver blends through it
    window_setup s;
    vWidget w(&s.top, u"blend");
    w.setGeometry(0, 0, 20, 10);
    vPixmap& image = w.backgroundImage();
    image.create(10, 10);
    image.fill(0xFF00FF00);
    image.fillRect(0, 0, 5, 10, 0);
    w.setBackgroundMode(background_blend);
    vPixmap out(20, 10);
    out.fill(0x00FF0000);
    print_client(w, out);
    EXPECT_EQ(rgb(out, 2, 2), 0xFF0000u);  // transparent pixels leave the red
    EXPECT_EQ(rgb(out, 7, 2), 0x00FF00u);  // opaque ones cover it
    EXPECT_EQ(rgb(out, 15, 2), 0xFF0000u); // not repeated
}

TEST(WidgetHitTest, HitTestWithoutWindow) {
    vWidget w(nullptr, u"none", widget_toplevel_default | widget_no_create);
    EXPECT_EQ(w.hitTest(0, 0), -2);
}

} // namespace
