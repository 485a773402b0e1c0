// Painter, fonts, colours and pixmaps, checked by their pixels.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "tests/toolkit/widget_fixture_win32.h"
#include "toolkit/painter.h"
#include "toolkit/pixmap.h"

using namespace vwin;

namespace {

TEST(Colors, ToolkitColourGoesToThePlatformWithRedAndBlueSwapped) {
    struct row {
        vColor color;
        COLORREF platform;
    };
    const row rows[] = {
        {0x157DCC, RGB(21, 125, 204)},  {0xFF157DCC, RGB(21, 125, 204)}, // alpha is dropped
        {0xF0F0F0, RGB(240, 240, 240)}, {0xFF0000, RGB(255, 0, 0)},      {0x0000FF, RGB(0, 0, 255)},
    };
    for (const row& r : rows) {
        EXPECT_EQ(toColorRef(r.color), r.platform) << std::hex << r.color;
        EXPECT_EQ(fromColorRef(r.platform), r.color & 0xFFFFFF) << std::hex << r.color;
    }
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

TEST(Fonts, WeightQualityAndStyleReachThePlatform) {
    struct row {
        int weight, style, quality;
        LONG platformWeight;
        BYTE platformQuality;
    };
    const row rows[] = {
        {50, 0, 60, 500, ANTIALIASED_QUALITY},
        {75, font_italic, 100, 700, CLEARTYPE_QUALITY},
        {0, font_underline | font_strikeout, 49, 100, NONANTIALIASED_QUALITY},
        {100, 0, 50, 900, ANTIALIASED_QUALITY},
    };
    for (const row& r : rows) {
        vFont font(u"Tahoma", 15, r.weight, r.style, r.quality);
        ASSERT_TRUE(font.valid());
        LOGFONTW lf{};
        ASSERT_EQ(GetObjectW(font.handle(), sizeof lf, &lf), int(sizeof lf));
        EXPECT_EQ(lf.lfWeight, r.platformWeight);
        EXPECT_EQ(lf.lfQuality, r.platformQuality);
        EXPECT_EQ(lf.lfHeight, 15);
        EXPECT_EQ(lf.lfItalic != 0, (r.style & font_italic) != 0);
        EXPECT_EQ(lf.lfUnderline != 0, (r.style & font_underline) != 0);
        EXPECT_EQ(lf.lfStrikeOut != 0, (r.style & font_strikeout) != 0);
        EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(lf.lfOutPrecision, OUT_TT_PRECIS);
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
    }
}

TEST(Fonts, DetachedHandleOutlivesTheObject) {
    HFONT handle;
    {
        vFont font(u"tahoma", 14, 75);
        handle = font.detach();
        EXPECT_FALSE(font.owns());
        EXPECT_EQ(font.handle(), handle);
    }
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(handle, sizeof lf, &lf), int(sizeof lf));
    DeleteObject(handle);
}

// Counts the pixels of a colour (low 24 bits).
int count_color(const vPixmap& p, vColor color) {
    int n = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            n += (p.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
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

TEST(Pixmaps, PixelsAreStoredBottomUpAndAddressedTopDown) {
    vPixmap p(3, 2);
    p.fill(0);
    p.fillRect(0, 0, 1, 1, 0x11223344);
    EXPECT_EQ(p.pixel(0, 0), 0x11223344u);
    // The first row in memory is the bottom row.
    EXPECT_EQ(p.pixels()[3], 0x11223344u);
    EXPECT_EQ(p.pixels()[0], 0u);
}

TEST(Pixmaps, OriginMovesDirectWritesAndGdiDrawingAlike) {
    vPixmap p(10, 10);
    p.fill(0);
    p.setOrigin(3, 2);
    p.fillRect(0, 0, 1, 1, 0x0000FF00); // direct
    vPainter& painter = p;
    painter.vPainter::fillRect(RECT{1, 0, 2, 1}, 0x00FF0000); // through GDI
    p.setOrigin(0, 0);
    EXPECT_EQ(p.pixel(3, 2) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(p.pixel(4, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(count_color(p, 0), 98);
}

TEST(Pixmaps, ToolkitColourIsDrawnAsItsRgbByFillAndText) {
    vPixmap p(60, 40);
    p.fill(0x00FFFFFF);
    vPainter& painter = p;
    painter.vPainter::fillRect(RECT{0, 0, 5, 5}, 0x157DCC);
    // Direct memory: red 21, green 125, blue 204 in the DIB's B, G, R byte order.
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p.pixels()[(40 - 1) * 60]);
    EXPECT_EQ(bytes[0], 204);
    EXPECT_EQ(bytes[1], 125);
    EXPECT_EQ(bytes[2], 21);
    vFont font(u"Tahoma", 30, 75, 0, 0); // not antialiased: ink is the exact colour
    p.selectFont(font);
    p.setTextColor(0x157DCC);
    EXPECT_EQ(p.textColor(), 0x157DCCu);
    p.drawText(RECT{10, 0, 60, 40}, text_left, u"W");
    EXPECT_GT(count_color(p, 0x157DCC) - 25, 20);
    widget_test::save_image(p, "painter_text");
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

TEST(Pixmaps, AlphaBlendAtHalfOpacityUsesConstantAlpha127) {
    EXPECT_EQ(vPainter::constantAlpha(50), 127);
    EXPECT_EQ(vPainter::constantAlpha(100), 255);
    EXPECT_EQ(vPainter::constantAlpha(0), 0);
    vBlendLibrary msimg32;
    ASSERT_TRUE(msimg32.loaded());
    vPixmap source(4, 4);
    source.fill(0xFFFFFFFF); // opaque white
    vPixmap target(4, 4);
    target.fill(0xFF000000); // opaque black
    target.alphaBlend(0, 0, source, 50);
    EXPECT_EQ(target.pixel(1, 1) & 0xFF, 127u);
    EXPECT_EQ((target.pixel(1, 1) >> 8) & 0xFF, 127u);
}

TEST(Pixmaps, AlphaBlendKeepsTransparentPixelsOut) {
    vBlendLibrary msimg32;
    vPixmap source(2, 1);
    source.setPixel(0, 0, 0x00000000); // transparent (premultiplied)
    source.setPixel(1, 0, 0xFF00FF00); // opaque green
    vPixmap target(2, 1);
    target.fill(0xFF0000FF);
    target.alphaBlend(0, 0, source);
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
}

TEST(Pixmaps, WithoutAlphaBlendTheSourceIsCopied) {
    ASSERT_EQ(blendLibrary(), nullptr);
    vPixmap source(4, 4);
    source.fill(0x80FFFFFF);
    vPixmap target(8, 8);
    target.fill(0);
    target.alphaBlend(0, 0, 8, 8, source, 0, 0, 50, true);
    EXPECT_EQ(count_color(target, 0xFFFFFF), 64);
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

// The test bitmap (resource 1001, 8 x 4): left half red, right half blue, top-left pixel green.
void expect_test_image(const vPixmap& p) {
    ASSERT_TRUE(p.valid());
    EXPECT_EQ(p.width(), 8);
    EXPECT_EQ(p.height(), 4);
    EXPECT_EQ(p.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(p.pixel(1, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(p.pixel(3, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(p.pixel(4, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(p.pixel(7, 3) & 0xFFFFFF, 0x0000FFu);
}

TEST(PixmapResources, BitmapThroughGdiplusIsUpright) {
    ASSERT_TRUE(startGdiplus());
    vPixmap p(nullptr, 1001);
    expect_test_image(p);
    EXPECT_EQ(p.pixel(7, 3) >> 24, 0xFFu); // GDI+ gives opaque pixels
    EXPECT_EQ(p.flags(), 0u);
    // The cap images of the tab buttons have their red pixels keyed out like this.
    EXPECT_EQ(p.replaceColor(0xFF0000, 0x00F0F0F0), 15);
    EXPECT_EQ(p.pixel(1, 0), 0x00F0F0F0u);
}

TEST(PixmapResources, BitmapWithoutGdiplusThroughTheBitmapLoader) {
    // GDI+ stays running once started: only a process that never started it can tell.
    if (gdiplusStarted())
        GTEST_SKIP() << "GDI+ was started by an earlier test of this process";
    vPixmap p(nullptr, 1001);
    expect_test_image(p);
}

TEST(PixmapResources, MissingResourceLeavesAnEmptyPixmap) {
    startGdiplus();
    vPixmap p(nullptr, 4242);
    EXPECT_FALSE(p.valid());
    vPixmap target(2, 2);
    target.fill(0x00112233);
    target.draw(0, 0, p);
    target.alphaBlend(0, 0, p);
    EXPECT_EQ(target.pixel(1, 1), 0x00112233u);
}

TEST(PixmapResources, SystemIconIsOpaqueWhereItsMaskIsSet) {
    vPixmap p(nullptr, 32512, 32); // IDI_APPLICATION
    ASSERT_TRUE(p.valid());
    EXPECT_EQ(p.width(), 32);
    std::set<std::uint32_t> alphas;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            alphas.insert(p.pixel(x, y) >> 24);
    for (std::uint32_t a : alphas)
        EXPECT_TRUE(a == 0 || a == 0xFF) << a;
    EXPECT_TRUE(alphas.count(0xFF));
}

TEST(PixmapResources, PackedDibWithAndWithoutGdiplus) {
    // A 2 x 2 24-bit DIB, bottom-up: bottom row blue, blue; top row red, green.
    struct {
        BITMAPINFOHEADER header;
        unsigned char bits[16];
    } dib{};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = 2;
    dib.header.biHeight = 2;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 24;
    const unsigned char rows[16] = {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    std::memcpy(dib.bits, rows, sizeof rows);
    for (bool gdiplus : {false, true}) {
        if (gdiplus) {
            ASSERT_TRUE(startGdiplus());
        }
        vPixmap p;
        ASSERT_TRUE(p.fromPackedDib(reinterpret_cast<BITMAPINFO*>(&dib.header), dib.bits));
        EXPECT_EQ(p.pixel(0, 0) & 0xFFFFFF, 0xFF0000u) << gdiplus;
        EXPECT_EQ(p.pixel(1, 0) & 0xFFFFFF, 0x00FF00u) << gdiplus;
        EXPECT_EQ(p.pixel(0, 1) & 0xFFFFFF, 0x0000FFu) << gdiplus;
    }
}

} // namespace
