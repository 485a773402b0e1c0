// Colour helpers: the hue/saturation/value form.

#include "toolkit/painter.h"

namespace vwin {

void toHsv(vColor color, int& hue, int& saturation, int& value) {
    const int r = (color >> 16) & 0xFF;
    const int g = (color >> 8) & 0xFF;
    const int b = color & 0xFF;
    const int maxc = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const int minc = r < g ? (r < b ? r : b) : (g < b ? g : b);
    const int delta = maxc - minc;
    value = maxc;
    saturation = maxc ? delta * 255 / maxc : 0;
    if (delta == 0) {
        hue = 0;
        return;
    }
    // Each sector is 256 units wide; the offset within it is the rising or falling channel.
    int h;
    if (maxc == r)
        h = g >= b ? (g - b) * 256 / delta : 1536 - (b - g) * 256 / delta; // red: 0 / 1280..1535
    else if (maxc == g)
        h = 512 + (b - r) * 256 / delta; // green: 256..767
    else
        h = 1024 + (r - g) * 256 / delta; // blue: 768..1279
    hue = h % 1536;
}

vColor fromHsv(int hue, int saturation, int value) {
    auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); };
    hue = ((hue % 1536) + 1536) % 1536;
    saturation = clamp(saturation, 0, 255);
    value = clamp(value, 0, 255);
    const int sector = hue / 256;
    const int f = hue % 256; // position within the sector
    const int p = value * (255 - saturation) / 255;
    const int q = value * (255 * 256 - saturation * f) / (255 * 256);
    const int t = value * (255 * 256 - saturation * (256 - f)) / (255 * 256);
    int r, g, b;
    switch (sector) {
    case 0:
        r = value, g = t, b = p;
        break;
    case 1:
        r = q, g = value, b = p;
        break;
    case 2:
        r = p, g = value, b = t;
        break;
    case 3:
        r = p, g = q, b = value;
        break;
    case 4:
        r = t, g = p, b = value;
        break;
    default:
        r = value, g = p, b = q;
        break;
    }
    return static_cast<vColor>((r << 16) | (g << 8) | b);
}

} // namespace vwin
