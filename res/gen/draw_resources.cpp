// Draws the program's pictures and writes them as the files that res/orvel.rc compiles in:
//   orvel.ico            the program icon (32 x 32 and 16 x 16, 32 bits with alpha)
//   orvel.png            the same drawing at 48 x 48, the Linux program's desktop icon
//   usb.bmp, bluetooth.bmp   the port icons of the Devices list (17 x 24, 8 bits per pixel)
//   tab_*.bmp            the tab-button images: left cap, middle and right cap, normal and checked
//                        (20 pixels high, 24 bits per pixel)
// Usage: draw_resources OUTPUT_FOLDER
//
// Shapes are described in pixel coordinates and rendered with 8 x 8 samples per pixel, so edges are
// smoothed. The output is deterministic: the same program always writes the same bytes.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(std::uint32_t value) {
    return {double((value >> 16) & 0xFF), double((value >> 8) & 0xFF), double(value & 0xFF)};
}

// The program's palette.
constexpr Rgb white = rgb(0xFFFFFF);
constexpr Rgb blue = rgb(0x157DCC);
constexpr Rgb panel_grey = rgb(0xF0F0F0);
// Where a cap image shows the surroundings: replaced by the panel grey when the images are loaded.
constexpr Rgb cap_key = rgb(0xFF0000);

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A shape answers whether a point (in pixels, y downwards) lies inside it.
using Shape = std::function<bool(double, double)>;

Shape rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

// A rectangle whose top corners have radius rt and bottom corners radius rb.
Shape rounded_rect(double x0, double y0, double x1, double y1, double rt, double rb) {
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1)
            return false;
        auto outside_corner = [&](double cx, double cy, double r) {
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r;
        };
        if (y < y0 + rt && ((x < x0 + rt && outside_corner(x0 + rt, y0 + rt, rt)) ||
                            (x > x1 - rt && outside_corner(x1 - rt, y0 + rt, rt))))
            return false;
        if (y > y1 - rb && ((x < x0 + rb && outside_corner(x0 + rb, y1 - rb, rb)) ||
                            (x > x1 - rb && outside_corner(x1 - rb, y1 - rb, rb))))
            return false;
        return true;
    };
}

// A stroke of the given width along the segment (x0, y0)-(x1, y1), with round ends.
Shape segment(double x0, double y0, double x1, double y1, double width) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

// A stroked path through the points.
Shape polyline(std::vector<std::array<double, 2>> points, double width) {
    std::vector<Shape> parts;
    for (std::size_t i = 1; i < points.size(); ++i)
        parts.push_back(
            segment(points[i - 1][0], points[i - 1][1], points[i][0], points[i][1], width));
    return [=](double x, double y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
    };
}

// A filled polygon (even-odd rule).
Shape polygon(std::vector<std::array<double, 2>> points) {
    return [=](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const double xi = points[i][0], yi = points[i][1];
            const double xj = points[j][0], yj = points[j][1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                inside = !inside;
        }
        return inside;
    };
}

Shape minus(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

// Straight-alpha RGBA pixels, painted with "source over".
class Canvas {
public:
    Canvas(int width, int height, Rgb background, double alpha = 1)
        : width_(width), height_(height),
          pixels_(std::size_t(width) * height, Pixel{background, alpha}) {}

    int width() const { return width_; }
    int height() const { return height_; }

    // Paints the shape; `scale` maps canvas pixels to shape coordinates (shape units per pixel).
    void fill(const Shape& shape, Rgb colour, double scale = 1) {
        fill_by(
            shape, [&](double, double) { return colour; }, scale);
    }

    // Paints the shape with a colour that depends on the position (a gradient).
    void fill_by(const Shape& shape, const std::function<Rgb(double, double)>& colour,
                 double scale = 1) {
        constexpr int samples = 8;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < samples; ++sy)
                    for (int sx = 0; sx < samples; ++sx)
                        hits += shape((x + (sx + 0.5) / samples) * scale,
                                      (y + (sy + 0.5) / samples) * scale);
                if (hits == 0)
                    continue;
                const double cover = double(hits) / (samples * samples);
                Pixel& p = at(x, y);
                const Rgb c = colour((x + 0.5) * scale, (y + 0.5) * scale);
                const double a = cover + p.alpha * (1 - cover);
                p.colour = a > 0 ? mix(p.colour, c, cover / a) : c;
                p.alpha = a;
            }
        }
    }

    // Sets every pixel outside the shape to the colour, unsmoothed.
    void key_outside(const Shape& shape, Rgb colour) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += shape(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
                if (hits == 0)
                    at(x, y) = Pixel{colour, 1};
            }
    }

    Rgb colour(int x, int y) const { return pixels_[std::size_t(y) * width_ + x].colour; }
    double alpha(int x, int y) const { return pixels_[std::size_t(y) * width_ + x].alpha; }

private:
    struct Pixel {
        Rgb colour;
        double alpha;
    };
    Pixel& at(int x, int y) { return pixels_[std::size_t(y) * width_ + x]; }

    int width_, height_;
    std::vector<Pixel> pixels_;
};

std::uint8_t byte_of(double v) {
    return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

// --- Little-endian file building ---
struct Bytes {
    std::vector<std::uint8_t> data;
    void u8(unsigned v) { data.push_back(std::uint8_t(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void pad_to(std::size_t multiple) {
        while (data.size() % multiple)
            u8(0);
    }
};

void info_header(Bytes& out, int width, int height, int bits, std::uint32_t image_size,
                 std::uint32_t colours) {
    out.u32(40);
    out.u32(std::uint32_t(width));
    out.u32(std::uint32_t(height));
    out.u16(1);
    out.u16(unsigned(bits));
    out.u32(0); // BI_RGB
    out.u32(image_size);
    out.u32(2835); // 72 dpi
    out.u32(2835);
    out.u32(colours);
    out.u32(0);
}

std::vector<std::uint8_t> bmp_file(const Bytes& info, const Bytes& pixels) {
    Bytes out;
    const std::uint32_t offset = 14 + std::uint32_t(info.data.size());
    out.u8('B');
    out.u8('M');
    out.u32(offset + std::uint32_t(pixels.data.size()));
    out.u32(0);
    out.u32(offset);
    out.data.insert(out.data.end(), info.data.begin(), info.data.end());
    out.data.insert(out.data.end(), pixels.data.begin(), pixels.data.end());
    return out.data;
}

// 24 bits per pixel, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> bmp24(const Canvas& c) {
    Bytes pixels;
    for (int y = c.height() - 1; y >= 0; --y) {
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.colour(x, y);
            pixels.u8(byte_of(p.b));
            pixels.u8(byte_of(p.g));
            pixels.u8(byte_of(p.r));
        }
        pixels.pad_to(4);
    }
    Bytes info;
    info_header(info, c.width(), c.height(), 24, std::uint32_t(pixels.data.size()), 0);
    return bmp_file(info, pixels);
}

// 8 bits per pixel for a picture drawn in one colour on white: the palette is the ramp from white
// to that colour in 16 steps, each pixel the nearest step.
std::vector<std::uint8_t> bmp8_ramp(const Canvas& c, Rgb ink) {
    constexpr int steps = 16;
    Bytes info;
    const int row = (c.width() + 3) / 4 * 4;
    info_header(info, c.width(), c.height(), 8, std::uint32_t(row * c.height()), steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const Rgb p = mix(white, ink, double(i) / steps);
        info.u8(byte_of(p.b));
        info.u8(byte_of(p.g));
        info.u8(byte_of(p.r));
        info.u8(0);
    }
    const double span = (white.r - ink.r) + (white.g - ink.g) + (white.b - ink.b);
    Bytes pixels;
    for (int y = c.height() - 1; y >= 0; --y) {
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.colour(x, y);
            const double t = ((white.r - p.r) + (white.g - p.g) + (white.b - p.b)) / span;
            pixels.u8(unsigned(std::clamp(std::lround(t * steps), 0L, long(steps))));
        }
        pixels.pad_to(4);
    }
    return bmp_file(info, pixels);
}

// An icon file of 32-bit images with alpha, each with its AND mask (set where fully transparent).
std::vector<std::uint8_t> ico(const std::vector<Canvas>& images) {
    std::vector<Bytes> bodies;
    for (const Canvas& c : images) {
        Bytes body;
        const int mask_row = (c.width() + 31) / 32 * 4;
        info_header(body, c.width(), c.height() * 2, 32,
                    std::uint32_t(c.width() * c.height() * 4 + mask_row * c.height()), 0);
        for (int y = c.height() - 1; y >= 0; --y)
            for (int x = 0; x < c.width(); ++x) {
                const Rgb p = c.colour(x, y);
                const double a = c.alpha(x, y);
                body.u8(a > 0 ? byte_of(p.b) : 0);
                body.u8(a > 0 ? byte_of(p.g) : 0);
                body.u8(a > 0 ? byte_of(p.r) : 0);
                body.u8(byte_of(a * 255));
            }
        for (int y = c.height() - 1; y >= 0; --y) {
            std::vector<std::uint8_t> bits(std::size_t(mask_row), 0);
            for (int x = 0; x < c.width(); ++x)
                if (byte_of(c.alpha(x, y) * 255) == 0)
                    bits[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
            body.data.insert(body.data.end(), bits.begin(), bits.end());
        }
        bodies.push_back(body);
    }
    Bytes out;
    out.u16(0);
    out.u16(1); // icon
    out.u16(unsigned(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.u8(unsigned(images[i].width() & 0xFF));
        out.u8(unsigned(images[i].height() & 0xFF));
        out.u8(0); // no palette
        out.u8(0);
        out.u16(1);  // planes
        out.u16(32); // bits per pixel
        out.u32(std::uint32_t(bodies[i].data.size()));
        out.u32(offset);
        offset += std::uint32_t(bodies[i].data.size());
    }
    for (const Bytes& b : bodies)
        out.data.insert(out.data.end(), b.data.begin(), b.data.end());
    return out.data;
}

// A PNG file of 8-bit RGBA rows (for the desktop icon of the Linux program). The image data is
// kept in stored (uncompressed) deflate blocks: small images, and no compressor needed.
std::vector<std::uint8_t> png(const Canvas& c) {
    std::array<std::uint32_t, 256> crc_table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t v = n;
        for (int k = 0; k < 8; ++k)
            v = v & 1 ? 0xEDB88320u ^ (v >> 1) : v >> 1;
        crc_table[n] = v;
    }
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto be32 = [](std::vector<std::uint8_t>& to, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            to.push_back(std::uint8_t(v >> shift));
    };
    auto chunk = [&](const char* type, const std::vector<std::uint8_t>& body) {
        be32(out, std::uint32_t(body.size()));
        std::vector<std::uint8_t> typed(type, type + 4);
        typed.insert(typed.end(), body.begin(), body.end());
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::uint8_t b : typed)
            crc = crc_table[(crc ^ b) & 0xFF] ^ (crc >> 8);
        out.insert(out.end(), typed.begin(), typed.end());
        be32(out, crc ^ 0xFFFFFFFFu);
    };
    std::vector<std::uint8_t> header;
    be32(header, std::uint32_t(c.width()));
    be32(header, std::uint32_t(c.height()));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    chunk("IHDR", header);

    std::vector<std::uint8_t> raw;
    for (int y = 0; y < c.height(); ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.colour(x, y);
            const double a = c.alpha(x, y);
            raw.insert(raw.end(), {a > 0 ? byte_of(p.r) : std::uint8_t(0),
                                   a > 0 ? byte_of(p.g) : std::uint8_t(0),
                                   a > 0 ? byte_of(p.b) : std::uint8_t(0), byte_of(a * 255)});
        }
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {std::uint8_t(n & 0xFF), std::uint8_t(n >> 8), std::uint8_t(~n & 0xFF),
                           std::uint8_t((~n >> 8) & 0xFF)});
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
        at += n;
        if (n == 0)
            break;
    }
    std::uint32_t a1 = 1, a2 = 0;
    for (std::uint8_t b : raw) {
        a1 = (a1 + b) % 65521;
        a2 = (a2 + a1) % 65521;
    }
    be32(z, (a2 << 16) | a1);
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

// --- The pictures ---

// The Bluetooth mark: a vertical stem with two arrow heads to the right and the two crossing
// strokes to the left, in blue on white.
Canvas bluetooth_icon() {
    Canvas c(17, 24, white);
    const double w = 1.9;
    c.fill(
        polyline({{4.0, 7.5}, {12.5, 15.8}, {8.5, 20.5}, {8.5, 3.5}, {12.5, 8.2}, {4.0, 16.5}}, w),
        blue);
    return c;
}

// A USB plug seen from the side: the metal shell with its two holes on top, the grip below and
// the cable leaving downwards, in blue on white.
Canvas usb_icon() {
    Canvas c(17, 24, white);
    c.fill(
        minus(rounded_rect(4.5, 1.5, 12.5, 9.0, 1.0, 0), rounded_rect(5.9, 2.9, 11.1, 9.0, 0.3, 0)),
        blue);
    c.fill(rect(6.4, 4.3, 7.9, 5.8), blue);
    c.fill(rect(9.1, 4.3, 10.6, 5.8), blue);
    c.fill(rounded_rect(3.0, 9.0, 14.0, 17.5, 1.2, 2.5), blue);
    // Grip ridges, cut into the body.
    c.fill(rect(5.0, 11.2, 12.0, 12.0), mix(blue, white, 0.55));
    c.fill(rect(5.0, 13.6, 12.0, 14.4), mix(blue, white, 0.55));
    c.fill(rect(7.6, 17.0, 9.4, 24.0), blue);
    return c;
}

// Tab-button images. A button is drawn as left cap, middles repeated, right cap; the caps show the
// rounded corners, with the key colour where the surroundings are to show through.
constexpr int tab_height = 20;
constexpr int cap_width = 8;
constexpr int middle_width = 8;
constexpr double top_radius = 6;
constexpr double bottom_radius = 2;

struct TabLook {
    Rgb face_top, face_bottom, border;
};

const TabLook normal_look{rgb(0xFFFFFF), rgb(0xE3EEF8), rgb(0x9DBFE0)};
const TabLook checked_look{rgb(0x3C97DD), rgb(0x157DCC), rgb(0x0E5A96)};

// One whole button of the given width, from which the caps and the middle are cut.
Canvas tab_button(int width, const TabLook& look) {
    Canvas c(width, tab_height, panel_grey);
    const Shape outer = rounded_rect(0, 0, width, tab_height, top_radius, bottom_radius);
    const Shape inner =
        rounded_rect(1, 1, width - 1, tab_height - 1, top_radius - 1, bottom_radius - 1);
    c.fill(outer, look.border);
    c.fill_by(inner, [&](double, double y) {
        return mix(look.face_top, look.face_bottom,
                   std::clamp((y - 1) / (tab_height - 2), 0.0, 1.0));
    });
    c.key_outside(outer, cap_key);
    return c;
}

Canvas crop(const Canvas& source, int x0, int width) {
    Canvas c(width, source.height(), white);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < width; ++x)
            c.fill(rect(x, y, x + 1, y + 1), source.colour(x0 + x, y));
    return c;
}

// The program icon: a phone with a blue screen, and two arrows beside it, one to the phone and one
// away from it. Drawn in a 32-unit square; `size` is the pixel size of the image.
Canvas program_icon(int size) {
    Canvas c(size, size, white, 0);
    const double s = 32.0 / size;                 // shape units per pixel
    const double stroke = std::max(2.2, 1.6 * s); // at least one and a half pixels wide
    const Rgb body = rgb(0x2E3A46);
    c.fill(rounded_rect(3, 1, 19, 31, 3.5, 3.5), body, s);
    c.fill(rect(5, 5, 17, 24), blue, s);
    c.fill(rounded_rect(9, 26, 13, 28.5, 1.2, 1.2), rgb(0xC8D2DC), s);
    // Arrow to the right (away from the phone), upper.
    c.fill(segment(21, 9.5, 27.5, 9.5, stroke), blue, s);
    c.fill(polygon({{26.0, 5.5}, {31.5, 9.5}, {26.0, 13.5}}), blue, s);
    // Arrow to the left (to the phone), lower.
    c.fill(segment(25.5, 21.5, 30.5, 21.5, stroke), rgb(0x2E3A46), s);
    c.fill(polygon({{26.5, 17.5}, {21.0, 21.5}, {26.5, 25.5}}), rgb(0x2E3A46), s);
    return c;
}

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "draw_resources: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_resources OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const int whole = 2 * cap_width + middle_width;
    const Canvas normal = tab_button(whole, normal_look);
    const Canvas checked = tab_button(whole, checked_look);
    bool ok = true;
    ok &= write_file(dir + "orvel.ico", ico({program_icon(32), program_icon(16)}));
    ok &= write_file(dir + "orvel.png", png(program_icon(48)));
    ok &= write_file(dir + "usb.bmp", bmp8_ramp(usb_icon(), blue));
    ok &= write_file(dir + "bluetooth.bmp", bmp8_ramp(bluetooth_icon(), blue));
    ok &= write_file(dir + "tab_left.bmp", bmp24(crop(normal, 0, cap_width)));
    ok &= write_file(dir + "tab_middle.bmp", bmp24(crop(normal, cap_width, middle_width)));
    ok &= write_file(dir + "tab_right.bmp", bmp24(crop(normal, whole - cap_width, cap_width)));
    ok &= write_file(dir + "tab_left_checked.bmp", bmp24(crop(checked, 0, cap_width)));
    ok &= write_file(dir + "tab_middle_checked.bmp", bmp24(crop(checked, cap_width, middle_width)));
    ok &= write_file(dir + "tab_right_checked.bmp",
                     bmp24(crop(checked, whole - cap_width, cap_width)));
    return ok ? 0 : 1;
}
