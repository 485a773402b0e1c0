// OrvelButton: the images' preparation, the placement of the middle images, the painted button in
// both states, and the shared look that default-made buttons take (the built-in one until a
// program sets its own).

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/orvel_button.h"
#include "toolkit/widget.h"

using namespace vwin;

namespace {

constexpr vColor rgb(vColor c) {
    return c & 0x00FFFFFF;
}

// Paints a widget's client area into a pixmap, with the widget's font, as a paint request does
// (without the background).
void render(vWidget& widget, vPixmap& out) {
    ASSERT_TRUE(out.create(widget.clientWidth(), widget.clientHeight()));
    out.fill(0x00123456);
    HGDIOBJ oldFont = widget.font().handle() ? out.select(widget.font().handle()) : nullptr;
    widget.paint(out);
    if (oldFont)
        out.select(oldFont);
}

// Six test images: caps 8 x 20 with a red corner, middles 8 x 20 in a plain colour.
void drawImages(OrvelButtonImages& images) {
    for (int checked = 0; checked < 2; ++checked) {
        const vColor face = checked ? 0x303060 : 0x202020;
        for (auto part : {OrvelButtonImages::left_cap, OrvelButtonImages::middle,
                          OrvelButtonImages::right_cap}) {
            vPixmap& p = images.image(checked != 0, part);
            ASSERT_TRUE(p.create(8, 20));
            p.fill(face);
        }
        images.image(checked != 0, OrvelButtonImages::left_cap).setPixel(0, 0, 0xFFFF0000);
        images.image(checked != 0, OrvelButtonImages::left_cap).setPixel(1, 0, 0x00FE0000);
        images.image(checked != 0, OrvelButtonImages::right_cap).setPixel(7, 19, 0x00FF0000);
        images.image(checked != 0, OrvelButtonImages::middle).setPixel(3, 3, 0x00FF0000);
    }
}

TEST(OrvelButtonImages, RedInTheCapsBecomesPanelGreyOnce) {
    OrvelButtonImages images;
    drawImages(images);
    images.prepare();
    EXPECT_TRUE(images.prepared());
    for (bool checked : {false, true}) {
        vPixmap& left = images.image(checked, OrvelButtonImages::left_cap);
        vPixmap& right = images.image(checked, OrvelButtonImages::right_cap);
        EXPECT_EQ(left.pixel(0, 0), 0x00F0F0F0u) << "alpha is ignored when matching";
        EXPECT_EQ(left.pixel(1, 0), 0x00FE0000u) << "only pure red is keyed";
        EXPECT_EQ(right.pixel(7, 19), 0x00F0F0F0u);
        EXPECT_EQ(images.image(checked, OrvelButtonImages::middle).pixel(3, 3), 0x00FF0000u)
            << "middles are not touched";
    }
    // A second preparation does nothing.
    images.image(false, OrvelButtonImages::left_cap).setPixel(0, 0, 0x00FF0000);
    images.prepare();
    EXPECT_EQ(images.image(false, OrvelButtonImages::left_cap).pixel(0, 0), 0x00FF0000u);
}

TEST(OrvelButton, MiddlePositions) {
    struct row {
        int w, left, middle, right;
        std::vector<int> xs;
    };
    const row rows[] = {
        {40, 8, 8, 8, {8, 16, 24}},  {41, 8, 8, 8, {8, 16, 24, 32}},
        {16, 8, 8, 8, {}},           {17, 8, 8, 8, {8}},
        {90, 8, 0, 8, {}},  // a missing middle image is never drawn
        {90, 8, -1, 8, {}}, // (an empty pixmap has width -1)
        {20, -1, 8, -1, {0, 8, 16}},
    };
    for (const row& r : rows)
        EXPECT_EQ(OrvelButton::middlePositions(r.w, r.left, r.middle, r.right), r.xs)
            << r.w << " " << r.left << " " << r.middle << " " << r.right;
}

TEST(OrvelButton, PaintsImagesTextAndSurroundings) {
    OrvelButtonImages images;
    drawImages(images);
    vFont font(u"Tahoma", 15, 75, 0, 100);
    vWidget host(nullptr, u"host");
    OrvelButton button(&host, u"Browser", images, font);
    button.setGeometry(0, 0, 90, 25);
    ASSERT_EQ(button.clientWidth(), 90);
    ASSERT_EQ(button.clientHeight(), 25);
    EXPECT_TRUE(images.prepared()) << "the first button prepares its images";
    EXPECT_EQ(button.baseColor(), 0xC0C0C0u);
    EXPECT_EQ(button.styleFlags(), 2u);

    for (bool checked : {false, true}) {
        button.setChecked(checked);
        vPixmap shot;
        render(button, shot);
        const vColor face = checked ? 0x303060 : 0x202020;
        EXPECT_EQ(rgb(shot.pixel(0, 0)), 0xF0F0F0u) << "keyed corner of the left cap";
        EXPECT_EQ(rgb(shot.pixel(4, 10)), face) << "left cap";
        EXPECT_EQ(rgb(shot.pixel(82 + 7, 19)), 0xF0F0F0u) << "keyed corner of the right cap";
        EXPECT_EQ(rgb(shot.pixel(8 + 3, 3)), 0xFF0000u) << "the first middle";
        EXPECT_EQ(rgb(shot.pixel(72 + 3, 3)), 0xFF0000u) << "the last middle";
        EXPECT_EQ(rgb(shot.pixel(45, 22)), 0xF0F0F0u) << "below the images";
        EXPECT_EQ(rgb(shot.pixel(2, 24)), 0xF0F0F0u);

        // The text: blue on the normal images, white on the checked ones.
        int textPixels = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 8; x < 82; ++x) {
                const vColor c = rgb(shot.pixel(x, y));
                const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (checked ? (r > 0xC0 && g > 0xC0 && b > 0xC0) : (b > r + 0x60 && b > 0x90))
                    ++textPixels;
            }
        EXPECT_GT(textPixels, 10) << (checked ? "white" : "blue") << " text";
    }
}

// Sets a shared look for one test and returns to the built-in look afterwards, whatever happens.
struct shared_look_scope {
    shared_look_scope(OrvelButtonImages* images, const vFont* font) {
        OrvelButton::setSharedLook(images, font);
    }
    ~shared_look_scope() { OrvelButton::setSharedLook(nullptr, nullptr); }
};

TEST(OrvelButton, BuiltInLookPaintsSurroundingsAndTextInTheParentsFont) {
    ASSERT_EQ(OrvelButton::sharedFont(), nullptr) << "no program set a look here";
    OrvelButtonImages& builtIn = OrvelButton::sharedImages();
    vFont hostFont(u"tahoma", 12, 75, 0, 100);
    vWidget host(nullptr, u"host");
    host.setFont(hostFont);
    OrvelButton button(&host, u"Save");
    EXPECT_EQ(&button.images(), &builtIn);
    EXPECT_FALSE(builtIn.image(false, OrvelButtonImages::middle).valid());
    EXPECT_EQ(button.font().handle(), hostFont.handle()) << "no font of its own";
    EXPECT_EQ(button.backgroundMode(), background_none);
    button.setGeometry(0, 0, 50, 18);

    for (bool checked : {false, true}) {
        button.setChecked(checked);
        vPixmap shot;
        render(button, shot); // returns: an empty middle image is never repeated
        EXPECT_EQ(rgb(shot.pixel(0, 0)), 0xF0F0F0u);
        EXPECT_EQ(rgb(shot.pixel(49, 17)), 0xF0F0F0u);
        int textPixels = 0, other = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 50; ++x) {
                const vColor c = rgb(shot.pixel(x, y));
                const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (c == 0xF0F0F0)
                    continue;
                if (checked ? (r > 0xF4 && g > 0xF4 && b > 0xF4) : (b > r + 0x60 && b > 0x90))
                    ++textPixels;
                else if (c == 0x123456)
                    ++other; // the pixmap's own fill: a part left unpainted
            }
        EXPECT_GT(textPixels, 10) << (checked ? "white" : "blue") << " text";
        EXPECT_EQ(other, 0) << "every pixel is painted";
    }
}

TEST(OrvelButton, SharedLookIsTakenByButtonsMadeAfterIt) {
    OrvelButtonImages images;
    drawImages(images);
    vFont font(u"Tahoma", 15, 75, 0, 100);
    vWidget host(nullptr, u"host");
    {
        shared_look_scope look(&images, &font);
        EXPECT_EQ(&OrvelButton::sharedImages(), &images);
        EXPECT_EQ(OrvelButton::sharedFont(), &font);
        OrvelButton button(&host, u"Devices");
        EXPECT_EQ(&button.images(), &images);
        EXPECT_TRUE(images.prepared()) << "the first button prepares the shared images";
        EXPECT_EQ(button.font().handle(), font.handle());
        EXPECT_TRUE(font.owns()) << "the shared font keeps its handle";
        EXPECT_EQ(button.text(), str(u"Devices"));
        EXPECT_EQ(button.baseColor(), 0xC0C0C0u);
        EXPECT_EQ(button.styleFlags(), 2u);
    }
    // Back to the built-in look: later buttons no longer take these images or this font.
    EXPECT_EQ(OrvelButton::sharedFont(), nullptr);
    OrvelButton later(&host, u"Save");
    EXPECT_NE(&later.images(), &images);
    EXPECT_NE(later.font().handle(), font.handle());

    // Images alone: the button takes them and keeps its parent's font.
    shared_look_scope imagesOnly(&images, nullptr);
    OrvelButton plain(&host, u"Java Apps");
    EXPECT_EQ(&plain.images(), &images);
    EXPECT_NE(plain.font().handle(), font.handle());
}

} // namespace
