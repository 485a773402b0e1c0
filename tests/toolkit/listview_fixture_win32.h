#pragma once
// Helpers for the list view tests: a host window with a list in it, a recorder of the list's
// signals, rows that count their drawing and destruction, synthetic input and image files.

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
#include "tests/support/gui_pump_win32.h"
#include "toolkit/listview.h"

namespace listview_test {

using namespace vwin;

// Writes every signal of a list as a line: "clicked a 10 20", "currentChanged -", "listChanged".
class signal_log : public vObject {
public:
    void watch(vListView* list) {
        connect(list, u"clicked", this, &signal_log::clicked);
        connect(list, u"rightButtonClicked", this, &signal_log::rightClicked);
        connect(list, u"rightDoubleClicked", this, &signal_log::rightDoubleClicked);
        connect(list, u"opener", this, &signal_log::opener);
        connect(list, u"currentChanged", this, &signal_log::currentChanged);
        connect(list, u"selectionChanged", this, &signal_log::selectionChanged);
        connect(list, u"listChanged", this, &signal_log::listChanged);
        connect(list, u"pressed", this, &signal_log::pressed);
    }
    void watchDoubleClicks(vListView* list) {
        connect(list, u"doubleClicked", this, &signal_log::doubleClicked);
    }

    std::vector<std::string> lines;
    void clear() { lines.clear(); }
    bool has(const std::string& line) const {
        for (const auto& l : lines)
            if (l == line)
                return true;
        return false;
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& l : lines)
            if (l.compare(0, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }
    std::string joined() const {
        std::string all;
        for (const auto& l : lines)
            all += l + "; ";
        return all;
    }

    static std::string name(vListViewItem* item) {
        return item ? std::string(item->text().narrow()) : std::string("-");
    }

private:
    void add(const std::string& line) { lines.push_back(line); }
    void withPoint(const char* what, vListViewItem* item, int x, int y) {
        add(std::string(what) + " " + name(item) + " " + std::to_string(x) + " " +
            std::to_string(y));
    }
    void clicked(vListViewItem* item, int x, int y) { withPoint("clicked", item, x, y); }
    void rightClicked(vListViewItem* item, int x, int y) { withPoint("rightClicked", item, x, y); }
    void rightDoubleClicked(vListViewItem* item, int x, int y) {
        withPoint("rightDoubleClicked", item, x, y);
    }
    void doubleClicked(vListViewItem* item, int x, int y) {
        withPoint("doubleClicked", item, x, y);
    }
    void opener(vListViewItem* item) { add("opener " + name(item)); }
    void currentChanged(vListViewItem* item) { add("currentChanged " + name(item)); }
    void selectionChanged(vListViewItem* item) { add("selectionChanged " + name(item)); }
    void listChanged() { add("listChanged"); }
    void pressed() { add("pressed"); }
};

// A row that counts its drawing and its destruction and records the mouse events it gets.
class counted_row : public vListViewItem {
public:
    counted_row(vListView* list, const char16_t* text, int height, int* deaths = nullptr)
        : vListViewItem(list, text, height), deaths_(deaths) {}
    counted_row(vListViewItem* parent, const char16_t* text, int height, int* deaths = nullptr)
        : vListViewItem(parent, text, height), deaths_(deaths) {}
    ~counted_row() override {
        if (deaths_)
            ++*deaths_;
    }
    void draw(vPixmap& pixmap, const RECT& row) override {
        ++draws;
        vListViewItem::draw(pixmap, row);
    }
    void mouseEvent(vMouseEvent* event) override {
        lastMouseY = event->y;
        ++mouseEvents;
    }
    void keyEvent(vKeyEvent* event) override { lastKey = event->key; }

    int draws = 0;
    int mouseEvents = 0;
    int lastMouseY = -1;
    std::uint32_t lastKey = 0;

private:
    int* deaths_;
};

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

// A visible top-level host window with one list view child filling (0, 0, w, h) of it.
class ListViewTest : public ::testing::Test {
protected:
    void TearDown() override {
        list.reset();
        host.reset();
        pump_pending();
    }

    vListView* make(bool readOnly, int mode, int w = 300, int h = 200) {
        host = std::make_unique<vWidget>(nullptr, u"list host", widget_toplevel_default);
        // Away from the points where other test programs running at the same time aim the
        // pointer.
        host->setGeometry(420, 300, w + 40, h + 40);
        host->showNormal();
        list = std::make_unique<vListView>(host.get(), readOnly, mode);
        list->setBackgroundColor(0xFFFFFF);
        list->setGeometry(0, 0, w, h);
        pump_pending();
        return list.get();
    }

    // Rows "a", "b", ... of the given height.
    std::vector<vListViewItem*> rows(int n, int height = 20) {
        std::vector<vListViewItem*> made;
        for (int i = 0; i < n; ++i) {
            const char16_t text[2] = {static_cast<char16_t>(u'a' + i), 0};
            made.push_back(new vListViewItem(list.get(), text, height));
        }
        return made;
    }

    // The texts of the rows in list order, joined by spaces.
    std::string order() {
        std::string all;
        for (int i = 0; i < list->count(); ++i) {
            if (!all.empty())
                all += ' ';
            all += list->at(i)->text().narrow();
        }
        return all;
    }

    // Texts of the selected rows, joined by spaces.
    std::string selected() {
        std::string all;
        for (int i = 0; i < list->count(); ++i) {
            if (!list->at(i)->isSelected())
                continue;
            if (!all.empty())
                all += ' ';
            all += list->at(i)->text().narrow();
        }
        return all;
    }

    // The middle of a row in the list's client coordinates.
    POINT middle(const vListViewItem* item, int x = 60) {
        return POINT{x, item->top() + item->height() / 2 - list->contentsY()};
    }

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

    std::unique_ptr<vWidget> host;
    std::unique_ptr<vListView> list;
};

} // namespace listview_test
