#pragma once
// Helpers for the widget tests: a widget that records the virtual operations it receives, a
// signal counter, synthetic input and pixel grabs of painted windows.

#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/vobject.h"
#include "tests/support/gui_pump.h"
#include "toolkit/controls.h"
#include "toolkit/widget.h"

namespace widget_test {

using namespace vwin;

// Records the operations it receives as short texts ("timer 5", "mouse 2 1 3 4", ...).
class recording_widget : public vWidget {
public:
    using vWidget::vWidget;
    ~recording_widget() override { destroyWindow(); }

    std::vector<std::string> log;
    bool acceptMouse = false; // mouseEvent takes the event
    bool acceptKeys = false;  // keyEvent consumes the key
    bool allowClose = true;
    int paints = 0;
    std::thread::id paintThread;
    vMouseEvent lastMouse{};
    vKeyEvent lastKey{};

    bool has(const std::string& entry) const {
        for (const auto& e : log)
            if (e == entry)
                return true;
        return false;
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : log)
            if (e.compare(0, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }

    void add(const char* fmt, long long a = 0, long long b = 0, long long c = 0, long long d = 0) {
        char text[128];
        std::snprintf(text, sizeof text, fmt, a, b, c, d);
        log.emplace_back(text);
    }

    void created() override { add("created"); }
    void destroyed() override { add("destroyed"); }
    bool canClose() override {
        add("canClose");
        return allowClose;
    }
    void paint(vPainter&) override {
        ++paints;
        paintThread = std::this_thread::get_id();
    }
    void mouseEvent(vMouseEvent* e) override {
        add("mouse %lld %lld %lld %lld", e->type, e->button, e->x, e->y);
        lastMouse = *e;
        e->accepted = acceptMouse;
    }
    void wheelEvent(vWheelEvent* e) override {
        add("wheel %lld", e->delta);
        e->accepted = acceptMouse;
    }
    void keyEvent(vKeyEvent* e) override {
        add("key %lld %lld", e->key, e->type);
        lastKey = *e;
        e->accepted = acceptKeys;
    }
    void focusIn(HWND) override { add("focusIn"); }
    void focusOut(HWND) override { add("focusOut"); }
    void shown(bool on) override { add("shown %lld", on); }
    void resized(int w, int h) override { add("resized %lld %lld", w, h); }
    void moved(int x, int y) override { add("moved %lld %lld", x, y); }
    bool userMessage(UINT n, WPARAM w, LPARAM) override {
        add("user %lld %lld", n, static_cast<long long>(w));
        return true;
    }
    void scrolled(int bar, int position) override { add("scrolled %lld %lld", bar, position); }
    void mouseEnter() override { add("enter"); }
    void mouseLeave() override { add("leave"); }
    void mouseHover() override { add("hover"); }
    void timer(int id) override { add("timer %lld", id); }
    void command(std::uint32_t code) override { add("command %lld", code); }
    void menuCommand(int index, HMENU) override { add("menuCommand %lld", index); }
    void restyle() override { add("restyle"); }
};

// Counts the signals it is connected to.
class signal_counter : public vObject {
public:
    int clicked = 0, returnPressed = 0, escapePressed = 0, textChanged = 0, setFocus = 0,
        lostFocus = 0;
    void onClicked() { ++clicked; }
    void onReturn() { ++returnPressed; }
    void onEscape() { ++escapePressed; }
    void onChanged() { ++textChanged; }
    void onSetFocus() { ++setFocus; }
    void onLostFocus() { ++lostFocus; }
};

// A test name made of a case's description: its letters and digits, words capitalised.
inline std::string case_name(const char* text) {
    std::string name;
    bool upper = true;
    for (const char* c = text; *c; ++c) {
        const auto ch = static_cast<unsigned char>(*c);
        if (std::isalnum(ch)) {
            name += upper ? static_cast<char>(std::toupper(ch)) : *c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

inline LPARAM point_param(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

// Sets or clears one key in the thread's key state (read by GetKeyState).
inline void set_key(int vk, bool down) {
    BYTE state[256];
    GetKeyboardState(state);
    state[vk] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

// The widget's client area as drawn by WM_PRINTCLIENT (through PrintWindow).
inline vPixmap grab(const vWidget& w) {
    vPixmap image;
    image.grabWindow(w.window(), true);
    return image;
}

// Writes the image as a 32-bit BMP into the folder named by ORVEL_TOOLKIT_IMAGES (nothing when it
// is not set), for people to look at.
inline void save_image(const vPixmap& image, const char* name) {
    const char* dir = std::getenv("ORVEL_TOOLKIT_IMAGES");
    if (!dir || !*dir || !image.valid())
        return;
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    const int w = image.width(), h = image.height();
    const std::uint32_t bytes = static_cast<std::uint32_t>(w) * h * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + bytes;
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h; // bottom-up, as the pixmap stores it
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    // Opaque in the file: GDI leaves alpha 0 where it draws, which viewers take as transparent.
    std::vector<std::uint32_t> opaque(image.pixels(), image.pixels() + std::size_t(w) * h);
    for (std::uint32_t& px : opaque)
        px |= 0xFF000000u;
    std::fwrite(opaque.data(), 1, bytes, f);
    std::fclose(f);
}

} // namespace widget_test
