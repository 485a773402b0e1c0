#pragma once
// vWidget: the base of every window. One object owns one native window and turns its messages
// into calls of virtual operations; the parent-child tree is the platform's window tree, and a
// window is mapped back to its object through its user-data word (GWLP_USERDATA). Under the Qt
// driver a window (HWND) is the widget's own host QWidget and the tree is Qt's widget tree; the
// Win32 message numbers reach dispatch only as posted and sent messages there.
//
// Threads: windows belong to the thread that made them (the GUI thread). From any other thread a
// widget only invalidates (update, updateRect, repaint and redraw become RDW_INVALIDATE |
// RDW_ALLCHILDREN), scroll-bar changes are posted to the window's thread, showing, hiding and
// geometry changes are asynchronous (ShowWindowAsync, SWP_ASYNCWINDOWPOS), and text() reads the
// text without sending a message. Destroying a widget unbinds it from its window before its
// memory is released, so a late message never reaches a dead object. A subclass whose handlers
// use its own members calls destroyWindow() first in its destructor.

#include "toolkit/platform_types.h"

#include <cstdint>
#include <functional>
#include <mutex>

#include "core/str.h"
#include "core/vobject.h"
#include "toolkit/painter.h"
#include "toolkit/pixmap.h"

namespace vwin {

class vDropEvent;
class vDropTarget;
class vWidget;

// Creation flags (the word given at construction).
enum : std::uint32_t {
    widget_visible = 0x00010000,          // WS_VISIBLE
    widget_disabled = 0x00020000,         // WS_DISABLED
    widget_caption = 0x00040000,          // WS_CAPTION
    widget_sysmenu = 0x00080000,          // WS_SYSMENU (top-level or tool window)
    widget_popup = 0x00100000,            // WS_POPUP (top-level or tool window)
    widget_thickframe = 0x00200000,       // WS_THICKFRAME
    widget_border = 0x00400000,           // WS_BORDER
    widget_clientedge = 0x00800000,       // WS_EX_CLIENTEDGE
    widget_toplevel = 0x01000000,         // top-level even when a parent is given
    widget_minmax = 0x02000000,           // WS_MINIMIZEBOX | WS_MAXIMIZEBOX (top-level or tool)
    widget_transparent = 0x04000000,      // WS_EX_TRANSPARENT
    widget_toolwindow = 0x08000000,       // WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE (+ CONTROLPARENT)
    widget_topmost = 0x10000000,          // WS_EX_TOPMOST (top-level)
    widget_owndc = 0x20000000,            // CS_OWNDC unless widget_transparent
    widget_tabstop = 0x40000000,          // WS_TABSTOP
    widget_no_create = 0x80000000,        // the subclass calls create() itself
    widget_child_default = 0x50000000,    // flags of a child made without explicit flags
    widget_toplevel_default = 0x222C0000, // own DC, caption, system menu, frame, boxes; hidden
};

// Background modes (setBackgroundMode). 1..255 fill with that system colour.
enum : int {
    background_none = 0,
    background_window = 5,            // COLOR_WINDOW
    background_button_face = 15,      // COLOR_BTNFACE, the initial mode
    background_color = 256,           // the background colour
    background_image = 272,           // the image 1:1, anchored at the reference window
    background_image_tiled = 273,     // the image tiled, anchored
    background_image_stretched = 274, // the whole image stretched to the client area
    background_blend = 288,           // alpha-blended, anchored; hit only where alpha > 0x10
    background_blend_tiled = 289,     // as 288, repeated
    background_transparent = 305,     // nothing painted, transparent to the pointer everywhere
};

// RedrawWindow flag combinations used by the redraw operations.
enum : unsigned {
    redraw_invalidate = 0x81,      // RDW_INVALIDATE | RDW_ALLCHILDREN
    redraw_now = 0x180,            // RDW_UPDATENOW | RDW_ALLCHILDREN
    redraw_invalidate_now = 0x181, // both
    redraw_erase_now = 0x381,      // adds RDW_ERASENOW
    redraw_frame = 0x485,          // invalidate, erase, all children, frame
    redraw_frame_now = 0x581,      // invalidate, all children, update now, frame
};

// Mouse and key event values.
enum : std::uint32_t {
    button_none = 0,
    button_left = 1,
    button_right = 2,
    button_middle = 16,

    event_press = 2,
    event_release = 3,
    event_double_click = 4,
    event_move = 5,
    event_key_down = 6,
    event_key_up = 7,
    event_wheel = 8,

    // State and modifier bits (mouse state words hold MK_* bits plus these).
    modifier_shift = 4,
    modifier_control = 8,
    modifier_alt = 128,
};

// One mouse message, in the receiving widget's client coordinates.
struct vMouseEvent {
    int x = 0, y = 0;
    std::uint32_t button = 0;        // button_left, button_right, button_middle; 0 for moves
    std::uint32_t type = 0;          // event_press, _release, _double_click, _move, _wheel
    std::uint32_t buttonsBefore = 0; // MK_* button and modifier bits before the event (+ alt 128)
    std::uint32_t buttonsAfter = 0;  // ... and after it
    int screenX = 0, screenY = 0;
    std::uint32_t word = 0; // the message's word parameter
    bool accepted = true;   // a handler that does not take the event clears it

    void accept() { accepted = true; }
    void ignore() { accepted = false; }
};

struct vWheelEvent : vMouseEvent {
    int delta = 0; // the signed high 16 bits of the word (120 per notch, away from the user > 0)
};

struct vKeyEvent {
    std::uint32_t key = 0;       // virtual-key code
    std::uint32_t type = 0;      // event_key_down or event_key_up
    std::uint32_t modifiers = 0; // modifier_shift | modifier_control | modifier_alt
    bool accepted = false;       // a handler that consumes the key sets it

    void accept() { accepted = true; }
};

// One platform region handle (owned).
class vRegion {
public:
    vRegion() = default;
    vRegion(int x, int y, int w, int h); // CreateRectRgn
    ~vRegion();
    vRegion(const vRegion&) = delete;
    vRegion& operator=(const vRegion&) = delete;

    void setRect(int x, int y, int w, int h); // replaces the region
    void addRect(int x, int y, int w, int h); // union; the first rectangle creates the region
    bool copy(const vRegion& other);          // RGN_COPY; an empty other empties this one
    bool contains(int x, int y) const;        // PtInRegion; false without a region
    void clear();                             // deletes the handle

    HRGN handle() const { return region_; }
    bool empty() const { return region_ == nullptr; }
    // Takes an existing handle (owned from now on).
    void adopt(HRGN region);
    // Gives the handle away.
    HRGN detach();

private:
    HRGN region_ = nullptr;
};

// A popup menu (or menu bar); the menu's data word points to the wrapper.
class vPopupMenu {
public:
    explicit vPopupMenu(bool popup = true);
    ~vPopupMenu(); // destroy()
    vPopupMenu(const vPopupMenu&) = delete;
    vPopupMenu& operator=(const vPopupMenu&) = delete;

    // A bitmap, when given, is shown for both the checked and the unchecked state.
    bool addItem(const char16_t* text, unsigned id, HBITMAP bitmap = nullptr);
    // A disabled item is shown grey and cannot be chosen.
    bool setEnabled(unsigned id, bool on);
    bool addSeparator();
    // TrackPopupMenu. With flags 0 the chosen item arrives at the owner as WM_COMMAND with the
    // item id (the owner widget's `command`); with TPM_RETURNCMD the id is answered instead.
    int track(HWND owner, int screenX, int screenY, unsigned flags = 0);
    void destroy();

    HMENU handle() const { return menu_; }
    // The wrapper whose menu this is, or null.
    static vPopupMenu* fromMenu(HMENU menu);

private:
    HMENU menu_ = nullptr;
};

// The process's main window: destroying it posts the quit request (PostQuitMessage(0)).
void setMainWindow(HWND window);
HWND mainWindow();
// Gives the keyboard focus to the window (nothing for null).
void focusWindow(HWND window);

// Window messages WM_APP + 0x3F00 .. + 0x3FFF are the toolkit's own: they never reach
// userMessage. vWidget uses the first few; subclasses may use toolkit_message_free and above.
inline constexpr UINT toolkit_message_base = WM_APP + 0x3F00;
inline constexpr UINT toolkit_message_free = toolkit_message_base + 0x10;

class vWidget : public vObject {
public:
    // A child of `parent` (or a top-level window when parent is null or flags hold
    // widget_toplevel). Without flags: widget_child_default for a child,
    // widget_toplevel_default for a top-level window. The window is made at once unless the
    // flags hold widget_no_create.
    vWidget(vWidget* parent, const char16_t* title, std::uint32_t flags);
    vWidget(vWidget* parent, const char16_t* title);

    // Virtual operations, in slot order.
    // 0: the message map; true when handled (result then holds the answer).
    virtual bool dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result);
    // 1: destroyWindow, then the font, the background image and the strings.
    virtual ~vWidget();
    // 2: registers the window class and makes the window; true when it exists.
    virtual bool create();
    // 3: destroys an owned window or releases an adopted one.
    virtual void destroyWindow();
    // 4: adopts an existing window (subclassing it when asked).
    virtual void attach(HWND window, bool subclass);
    virtual void showNormal();                               // 5
    virtual void setVisible(bool on);                        // 6: SW_SHOW / SW_HIDE
    virtual void setHidden(bool on);                         // 7: SW_HIDE / SW_SHOWNA
    virtual void updateRect(int x, int y, int w, int h);     // 8
    virtual void update();                                   // 9
    virtual void repaintRect(int x, int y, int w, int h);    // 10
    virtual void repaint();                                  // 11
    virtual void invalidateRect(int x, int y, int w, int h); // 12
    virtual void invalidate();                               // 13
    // 14: RedrawWindow of the rectangle (null: the client area) through the first ancestor that
    // is not WS_EX_TRANSPARENT. Off the window's thread only invalidates.
    virtual void redraw(const RECT* rect, unsigned flags);
    // 15: client rectangle -> window rectangle (AdjustWindowRectEx).
    virtual void adjustFrame(int& x, int& y, int& w, int& h);
    virtual void setWindowGeometry(int x, int y, int w, int h); // 16: the outer window
    virtual void move(int x, int y, bool client);               // 17
    virtual void resize(int w, int h);                          // 18: the client size
    virtual void setGeometry(int x, int y, int w, int h);       // 19: the client rectangle
    virtual void setText(const char* text8);                    // 20 (Latin-1 bytes)
    virtual void setText(const char16_t* text);                 // 21
    virtual str text();                                         // 22
    // 23: the hit-test code at a screen point: -2 without a window, -1 transparent, 1 client.
    virtual int hitTest(int screenX, int screenY);
    // 24: applies a WM_HSCROLL/WM_VSCROLL request to the bar (0 horizontal, 1 vertical) and
    // answers the new position in the widget's units (scroll-bar position x scale).
    virtual int scrollRequest(int bar, WPARAM request);
    virtual void setUpdatesEnabled(bool on); // 25: enabling invalidates
    virtual void restyle();                  // 26: after every resize and font change
    virtual void created();                  // 27
    virtual void destroyed();                // 28
    virtual bool canClose();                 // 29: false keeps the window on a close request
    virtual void paint(vPainter& painter);   // 30
    virtual void paintBackground(vPainter& painter, const RECT& rect); // 31: by background mode
    virtual void mouseEvent(vMouseEvent* event);                       // 32: base: not accepted
    virtual void wheelEvent(vWheelEvent* event);                       // 33: base: not accepted
    virtual void keyEvent(vKeyEvent* event);                           // 34
    virtual void focusIn(HWND other);                                  // 35
    virtual void focusOut(HWND other);                                 // 36
    virtual bool setCursor(HWND window); // 37: true when the cursor was set
    virtual void shown(bool on);         // 38
    virtual void resized(int w, int h);  // 39
    virtual void moved(int x, int y);    // 40
    // 41: messages from WM_USER (number = message - WM_USER); true when handled.
    virtual bool userMessage(UINT number, WPARAM word, LPARAM param);
    virtual void scrolled(int bar, int position); // 42
    virtual void mouseEnter();                    // 43
    virtual void mouseLeave();                    // 44
    virtual void mouseHover();                    // 45
    virtual void timer(int id);                   // 46
    // 47: a control notification (its code) or a menu/accelerator command (the whole word).
    virtual void command(std::uint32_t code);
    // 48: a WM_CTLCOLOR* request for this control; set result to a brush to answer it.
    virtual void controlColor(vPainter& painter, LRESULT& result);
    // 49: owner-drawn item (menus and controls).
    virtual void drawItem(vPainter& painter, const RECT& rect, UINT itemId, UINT itemState);
    virtual void menuCommand(int index, HMENU menu); // 50
    // 51-54: drag and drop (defined with the drop target); the defaults pass the event to the
    // child widgets under the pointer (dragLeave: to every child widget).
    virtual void dragEnter(vDropEvent* event);
    virtual void dragMove(vDropEvent* event);
    virtual void dragLeave(std::uintptr_t word);
    virtual void drop(vDropEvent* event);

    // Drop registration (defined with the drop target).
    void setAcceptDrops(bool on);
    bool acceptsItemDrags() const { return itemDrags_; }

    // The widget bound to a window, or null: the user-data word of a toolkit window whose
    // object's window handle is that very window.
    static vWidget* fromWindow(HWND window);

    HWND window() const { return window_; }
    HWND handle() const { return window_; }
    bool isWindow() const;
    // The window belongs to the calling thread (false without a window).
    bool sameThread() const;
    vWidget* parentWidget() const { return parentWidget_; }
    HWND parentWindow() const { return parentWindow_; }
    const str& className() const { return className_; }
    bool attached() const { return attached_; }

    // Geometry (0 without a window).
    int clientWidth() const;
    int clientHeight() const;
    // A point of this client area in the client coordinates of `other` (a window of the same
    // top-level window); the point itself without windows.
    POINT mapPoint(HWND other, POINT at) const;
    int windowWidth() const;
    int windowHeight() const;
    POINT screenPosition() const; // the client origin in screen coordinates
    POINT normalPosition() const; // the normal placement's top-left (GetWindowPlacement)
    bool isVisible() const;

    // Background.
    void setBackgroundColor(vColor color); // colour and mode 256
    vColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundMode(int mode);
    int backgroundMode() const { return backgroundMode_; }
    vPixmap& backgroundImage() { return backgroundImage_; }
    // The window whose origin anchors a background image (null: this widget's own).
    void setBackgroundReference(HWND window) { backgroundReference_ = window; }
    HWND backgroundReference() const { return backgroundReference_; }

    // Timers: the id's low 8 bits; id 0 is refused.
    bool setTimer(int id, unsigned milliseconds);
    bool killTimer(int id);
    // 0 without a window.
    LRESULT sendMessage(UINT message, WPARAM word, LPARAM param);
    bool postMessage(UINT message, WPARAM word, LPARAM param);

    void setFocus();
    bool hasFocus() const;
    // The window holding the keyboard focus on the calling thread (null when none).
    static HWND focusedWindow();
    // `window` is this widget's own window or lies inside it.
    bool holds(HWND window) const;
    // Shown and enabled: the focus can go to it.
    bool canTakeFocus() const;
    // The smallest client size a drag of the frame leaves (0 x 0: no limit).
    void setMinimumClientSize(int w, int h);
    void capture();
    void releaseCapture();
    bool hasCapture() const;
    void setEnabled(bool on);

    // The window's shape: a copy of the region is given to the window (no redraw).
    void setRegion(const vRegion& region);
    // A copy of the window's region, or its client rectangle when it has none.
    void region(vRegion& out) const;

    // WM_SETFONT with redraw; the handle stays owned by the caller.
    void setFont(HFONT font);
    void setFont(const vFont& font) { setFont(font.handle()); }
    vFont& font() { return font_; }
    void setIcon(HICON icon); // the small icon
    // Writes the style and applies the frame change.
    void setStyle(std::uint32_t style);
    std::uint32_t style() const { return style_; }
    std::uint32_t exStyle() const { return exStyle_; }
    std::uint32_t classStyle() const { return classStyle_; }

    // The next window with WS_TABSTOP among the siblings (wrapping around), else among this
    // widget's own children; null when none.
    HWND nextTabStop(bool forward);
    // Tab and Shift+Tab in this widget: the focus goes on in the order that its top-level
    // window's tab order gives (see setTabOrder), else to nextTabStop.
    void moveFocus(bool forward);
    // A top-level window's own order of the focus: the handler moves the focus on from the window
    // `from` and answers true, or answers false to leave the move to nextTabStop.
    using tab_order = std::function<bool(HWND from, bool forward)>;
    void setTabOrder(tab_order order) { tabOrder_ = std::move(order); }

    // Scroll bars (bar 0 horizontal, 1 vertical). A maximum above 32000 is scaled down so that
    // the platform never sees more than 32000 units; positions keep the widget's units. From
    // another thread the change is posted to the window's thread.
    void setScrollRange(int bar, bool visible, int maximum, int page, int position, bool redraw);
    void setScrollPosition(int bar, int position);
    double scrollScale(int bar) const { return bar ? vScale_ : hScale_; }

    bool updatesEnabled() const { return !updatesSuspended_; }
    bool isHovered() const { return hovered_; }
    void setHovered(bool on) { hovered_ = on; }
    // Ask for hover and leave notifications when the pointer enters.
    void setHoverTracking(bool on) { hoverTracking_ = on; }
    bool hoverTracking() const { return hoverTracking_; }

    // Dialog result (see controls.h): -2 at construction, -1 after the window was destroyed.
    int resultCode() const { return resultCode_; }
    void setResultCode(int code) { resultCode_ = code; }

    // Window procedures: the toolkit's own and the one installed on adopted native controls.
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM word, LPARAM param);
    static LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM word, LPARAM param);

protected:
    // Default processing: the previous procedure (unless it is the toolkit's), else
    // DefWindowProcW.
    LRESULT defaultProc(HWND window, UINT message, WPARAM word, LPARAM param);
    // Binds this object to the window: user-data word and window handle.
    void bind(HWND window);
    // Clears the user-data word and restores the previous procedure of the window.
    void unbind(HWND window);
    // The creation flags, translated (used by create and by subclasses that make their window).
    void translateFlags(std::uint32_t flags);
    // Takes the parent's font and small icon.
    void inheritFromParent();
    // Applies scroll state posted from another thread.
    void applyPendingScroll();
    void revokeDrops(); // destroyWindow calls it; defined with the drop target

    HWND window_ = nullptr;
    std::uint32_t classStyle_ = 0;
    std::uint32_t style_ = 0;
    std::uint32_t exStyle_ = 0;
    HWND parentWindow_ = nullptr;
    vWidget* parentWidget_ = nullptr;
    HWND backgroundReference_ = nullptr;
    bool attached_ = false;
    str title_;
    str className_{256};
    int backgroundMode_ = background_button_face;
    vColor backgroundColor_ = 0;
    vPixmap backgroundImage_;
    vFont font_;
    int resultCode_ = -2;
    WNDPROC previousProc_ = nullptr;
    bool hovered_ = false;
    bool updatesSuspended_ = false;
    bool inResize_ = false;
    bool hoverTracking_ = false;
    HWND dyingWindow_ = nullptr;
    double hScale_ = 1.0;
    double vScale_ = 1.0;
    std::uint32_t flags_ = 0;
    tab_order tabOrder_;   // GUI thread
    int minimumWidth_ = 0; // client size limits of setMinimumClientSize (GUI thread)
    int minimumHeight_ = 0;

    vDropTarget* dropTarget_ = nullptr; // owned registration (released by revokeDrops)
    bool itemDrags_ = false;

private:
    friend struct widget_access;
    // Message delivery helpers.
    void deliverMouse(UINT message, WPARAM word, LPARAM param);
    void deliverWheelMessage(WPARAM word, LPARAM param);
    int deliverWheel(vWheelEvent* event); // answers this widget's hit test at the pointer
    void mouseLeaveCheck();
    void trackLeave();
    void handleKey(UINT message, WPARAM word, LPARAM param);
    void printClient(HWND window, HDC dc, LPARAM options);
    void paintWindow();

    // Scroll state set off the window's thread, applied on it.
    struct pending_scroll {
        bool set = false;
        bool range = false; // a setScrollRange (else only a position)
        bool visible = false;
        int maximum = 0, page = 0, position = 0;
        bool redraw = false;
    };
    HWND lastFocus_ = nullptr; // the child that had the focus when the window was deactivated
    std::mutex pendingLock_;
    pending_scroll pending_[2]; // guarded by pendingLock_
};

} // namespace vwin
