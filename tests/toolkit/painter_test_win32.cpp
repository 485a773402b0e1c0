// Painter, fonts, colours and pixmaps of the Win32 driver, checked by their pixels: the platform's
// colour and font values, the bottom-up rows, AlphaBlend and resources (the rest is
// pixmap_test.cpp).

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

TEST(Pixmaps, PixelsAreStoredBottomUpAndAddressedTopDown) {
    vPixmap p(3, 2);
    p.fill(0);
    p.fillRect(0, 0, 1, 1, 0x11223344);
    EXPECT_EQ(p.pixel(0, 0), 0x11223344u);
    // The first row in memory is the bottom row.
    EXPECT_EQ(p.pixels()[3], 0x11223344u);
    EXPECT_EQ(p.pixels()[0], 0u);
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

TEST(Pixmaps, WithoutAlphaBlendTheSourceIsCopied) {
    ASSERT_EQ(blendLibrary(), nullptr);
    vPixmap source(4, 4);
    source.fill(0x80FFFFFF);
    vPixmap target(8, 8);
    target.fill(0);
    target.alphaBlend(0, 0, 8, 8, source, 0, 0, 50, true);
    EXPECT_EQ(count_color(target, 0xFFFFFF), 64);
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
