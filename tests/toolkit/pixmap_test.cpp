// Pixmaps and colours over either driver: direct pixel work and clipping, the origin shared by
// direct writes and the painter, text centring, tiles, blends, copies and keyed colours.

#include <gtest/gtest.h>

#include <cstdint>

#include "toolkit/painter.h"
#include "toolkit/pixmap.h"

using namespace vwin;

namespace {

// Counts the pixels of a colour (low 24 bits).
int count_color(const vPixmap& p, vColor color) {
    int n = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            n += (p.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
}

TEST(Colors, HueSaturationValue) {
    struct row {
        vColor color;
        int hue, saturation, value;
    };
    const row rows[] = {
        {0xFF0000, 0, 255, 255},   {0xFFFF00, 256, 255, 255},  {0x00FF00, 512, 255, 255},
        {0x00FFFF, 768, 255, 255}, {0x0000FF, 1024, 255, 255}, {0xFF00FF, 1280, 255, 255},
        {0x808080, 0, 0, 128},     {0x000000, 0, 0, 0},
    };
    for (const row& r : rows) {
        int h, s, v;
        toHsv(r.color, h, s, v);
        EXPECT_EQ(h, r.hue) << std::hex << r.color;
        EXPECT_EQ(s, r.saturation) << std::hex << r.color;
        EXPECT_EQ(v, r.value) << std::hex << r.color;
        EXPECT_EQ(fromHsv(h, s, v), r.color) << std::hex << r.color;
    }
    // Other colours come back within one step per channel.
    for (vColor c : {0x157DCCu, 0xF0F0F0u, 0x404060u, 0xC0C0C0u, 0x123456u}) {
        int h, s, v;
        toHsv(c, h, s, v);
        const vColor back = fromHsv(h, s, v);
        for (int shift : {0, 8, 16}) {
            const int a = (c >> shift) & 0xFF, b = (back >> shift) & 0xFF;
            EXPECT_LE(std::abs(a - b), 2) << std::hex << c << " -> " << back;
        }
    }
}

TEST(Pixmaps, FillRectIsClippedToTheImage) {
    struct row {
        const char* name;
        RECT rect;
        int filled;
    };
    const row rows[] = {
        {"inside", {1, 1, 4, 3}, 6},
        {"partly outside at the top left", {-2, -2, 3, 2}, 6},
        {"partly outside at the bottom right", {8, 6, 14, 12}, 4},
        {"starting at the right edge", {10, 0, 13, 3}, 0},
        {"starting at the bottom edge", {0, 8, 3, 11}, 0},
        {"empty", {5, 5, 5, 9}, 0},
        {"everything", {-100, -100, 100, 100}, 80},
    };
    for (const row& r : rows) {
        vPixmap p(10, 8);
        ASSERT_TRUE(p.valid());
        p.fill(0);
        p.fillRect(r.rect, 0x00ABCDEF);
        EXPECT_EQ(count_color(p, 0xABCDEF), r.filled) << r.name;
    }
}

TEST(Pixmaps, OriginMovesDirectWritesAndGdiDrawingAlike) {
    vPixmap p(10, 10);
    p.fill(0);
    p.setOrigin(3, 2);
    p.fillRect(0, 0, 1, 1, 0x0000FF00); // direct
    vPainter& painter = p;
    painter.vPainter::fillRect(RECT{1, 0, 2, 1}, 0x00FF0000); // through the painter
    p.setOrigin(0, 0);
    EXPECT_EQ(p.pixel(3, 2) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(p.pixel(4, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(count_color(p, 0), 98);
}

TEST(Pixmaps, VerticalCentringMovesTheTextDown) {
    vPixmap p(40, 60);
    p.fill(0x00FFFFFF);
    vFont font(u"Tahoma", 12, 50, 0, 0);
    p.selectFont(font);
    p.setTextColor(0);
    p.drawText(RECT{0, 0, 40, 60}, text_center | text_vcenter, u"X");
    int top = -1, bottom = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            if ((p.pixel(x, y) & 0xFFFFFF) == 0) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    ASSERT_GE(top, 0);
    const int middle = (top + bottom) / 2;
    EXPECT_NEAR(middle, 30, 4);
}

TEST(Pixmaps, TileWrapsANegativeSourceOffset) {
    vPixmap source(10, 1);
    for (int x = 0; x < 10; ++x)
        source.setPixel(x, 0, 0x00100000u * (x + 1));
    vPixmap target(25, 2);
    target.fill(0);
    target.tile(0, 0, 25, 2, source, -3, 0);
    // Starts with the source column 7, then 8, 9, 0, 1, ...
    for (int x = 0; x < 25; ++x) {
        const int column = (x + 7) % 10;
        EXPECT_EQ(target.pixel(x, 0) & 0xFFFFFF, 0x00100000u * (column + 1)) << x;
        EXPECT_EQ(target.pixel(x, 1), target.pixel(x, 0)) << x;
    }
}

TEST(Pixmaps, AlphaBlendKeepsTransparentPixelsOut) {
    vBlendLibrary msimg32; // the Win32 driver blends through it
    vPixmap source(2, 1);
    source.setPixel(0, 0, 0x00000000); // transparent (premultiplied)
    source.setPixel(1, 0, 0xFF00FF00); // opaque green
    vPixmap target(2, 1);
    target.fill(0xFF0000FF);
    target.alphaBlend(0, 0, source);
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
}

TEST(Pixmaps, CopyTakeAndKeyedColours) {
    vPixmap a(4, 3);
    a.fill(0x00FF0000);
    a.setPixel(2, 1, 0x00123456);
    a.setPixel(3, 2, 0xAAFF0000); // red with another alpha is keyed too
    vPixmap b;
    ASSERT_TRUE(b.copyFrom(a));
    EXPECT_EQ(b.width(), 4);
    EXPECT_EQ(b.pixel(2, 1), 0x00123456u);
    EXPECT_EQ(b.replaceColor(0xFF0000, 0x00F0F0F0), 11);
    EXPECT_EQ(b.pixel(0, 0), 0x00F0F0F0u);
    EXPECT_EQ(b.pixel(2, 1), 0x00123456u);
    EXPECT_EQ(a.pixel(0, 0), 0x00FF0000u); // the copy is separate
    vPixmap c;
    c.takeFrom(a);
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(a.pixels(), nullptr);
    EXPECT_EQ(c.pixel(2, 1), 0x00123456u);
    vPixmap empty;
    EXPECT_FALSE(c.copyFrom(empty));
    EXPECT_FALSE(c.valid());
    // Drawing an empty pixmap draws nothing.
    b.draw(0, 0, empty);
    EXPECT_EQ(b.pixel(2, 1), 0x00123456u);
}

TEST(Pixmaps, EnsureSizeKeepsOrReplacesTheBitmap) {
    vPixmap p;
    EXPECT_FALSE(p.valid());
    EXPECT_EQ(p.width(), -1);
    ASSERT_TRUE(p.ensureSize(5, 5));
    std::uint32_t* first = p.pixels();
    EXPECT_TRUE(p.ensureSize(5, 5));
    EXPECT_EQ(p.pixels(), first);
    EXPECT_TRUE(p.ensureSize(6, 5));
    EXPECT_EQ(p.width(), 6);
    EXPECT_FALSE(p.create(0, 5));
    EXPECT_FALSE(p.valid());
    EXPECT_EQ(p.width(), 0);
}

} // namespace
