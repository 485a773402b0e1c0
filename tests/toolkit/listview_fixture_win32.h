#pragma once
// Helpers for the list view tests of the Win32 driver: the shared fixture (listview_fixture.h)
// with synthetic input through the platform's messages, key states and image files.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/vobject.h"
#include "tests/support/gui_pump.h"
#include "tests/toolkit/listview_fixture.h"
#include "toolkit/listview.h"

namespace listview_test {

using namespace vwin;

// Initialises OLE for the test's thread (drag and drop).
struct ole_scope {
    ole_scope() { ok = SUCCEEDED(OleInitialize(nullptr)); }
    ~ole_scope() {
        if (ok)
            OleUninitialize();
    }
    bool ok = false;
};

inline LPARAM point_param(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

// Sets or clears one key in the thread's key state (what the toolkit reads for modifiers).
inline void set_key(int vk, bool down) {
    BYTE state[256];
    GetKeyboardState(state);
    state[vk] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

// Holds modifier keys down for a scope.
struct held_keys {
    explicit held_keys(std::uint32_t modifiers) : mods(modifiers) {
        if (mods & modifier_control)
            set_key(VK_CONTROL, true);
        if (mods & modifier_shift)
            set_key(VK_SHIFT, true);
    }
    ~held_keys() {
        set_key(VK_CONTROL, false);
        set_key(VK_SHIFT, false);
    }
    std::uint32_t mods;
};

// Writes the pixmap as a 32-bit BMP beside the test program's build folder's "images" folder
// (<build>/listview-images/<name>.bmp), for people to look at. Nothing when it cannot.
inline void save_bmp(const vPixmap& image, const char* name) {
    if (!image.valid())
        return;
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::string dir(exe, n);
    for (int up = 0; up < 2; ++up) { // <build>/bin/x.exe -> <build>
        const auto cut = dir.find_last_of("\\/");
        if (cut == std::string::npos)
            return;
        dir.resize(cut);
    }
    dir += "\\listview-images";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    const int w = image.width(), h = image.height();
    const std::uint32_t bytes = static_cast<std::uint32_t>(w) * static_cast<std::uint32_t>(h) * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + bytes;
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h; // bottom-up, as the pixmap stores its rows
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::fwrite(image.pixels(), 1, bytes, f);
    std::fclose(f);
}

// Runs `work` on another thread while this thread handles no messages (as the GUI thread does
// while it waits for a list's lock). True when the work ended within the time. A thread that is
// still waiting for this one afterwards gets its messages handled until it ends, so a test fails
// instead of hanging.
inline bool run_without_messages(const std::function<void()>& work, int timeout_ms = 10000) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    while (!done && GetTickCount64() < deadline)
        std::this_thread::yield();
    const bool inTime = done.load();
    if (!inTime)
        pump_until([&] { return done.load(); }, 60000);
    worker.join();
    return inTime;
}

// The shared fixture with synthetic input and painting through the platform's messages.
class ListViewTest : public ListViewFixture {
protected:
    // A press (and release) of a mouse button with the given MK_* state at a client point.
    void press(POINT at, UINT down = WM_LBUTTONDOWN, WPARAM state = MK_LBUTTON) {
        SendMessageW(list->window(), down, state, point_param(at.x, at.y));
        SendMessageW(list->window(), down + 1, state & ~WPARAM(MK_LBUTTON | MK_RBUTTON),
                     point_param(at.x, at.y));
    }
    void click(vListViewItem* item, WPARAM extra = 0) {
        press(middle(item), WM_LBUTTONDOWN, MK_LBUTTON | extra);
    }
    void doubleClick(POINT at, UINT dbl = WM_LBUTTONDBLCLK, WPARAM state = MK_LBUTTON) {
        SendMessageW(list->window(), dbl, state, point_param(at.x, at.y));
        SendMessageW(list->window(), dbl - 1, state & ~WPARAM(MK_LBUTTON | MK_RBUTTON),
                     point_param(at.x, at.y));
    }
    void key(UINT vk, std::uint32_t modifiers = 0) {
        held_keys hold(modifiers);
        SendMessageW(list->window(), WM_KEYDOWN, vk, 0);
        SendMessageW(list->window(), WM_KEYUP, vk, 0xC0000000);
    }

    // Paints the whole list now (WM_PAINT through the view's pixmap).
    void paintNow() {
        RedrawWindow(list->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
};

} // namespace listview_test
