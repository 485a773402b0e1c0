// vWidget: construction, window creation and destruction, binding of a window to its object,
// and the two window procedures.
//
// The window class name carries the object's address to the first messages of the window:
// "vWidget<pid>:0x<address>", the address written with all the digits of a pointer. The window
// procedure binds the object while the window is being created, so WM_CREATE already reaches it.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/input_state_win32.h"
#include "toolkit/widget.h"

namespace vwin {

namespace {

std::atomic<HWND> main_window{nullptr};

// The widget whose window this thread is creating (the class name must name it, too).
thread_local vWidget* creating = nullptr;

constexpr char class_prefix[] = "vWidget";

// Reads "vWidget<pid>:0x<address>" back; null when the name is not of that form or names another
// process.
vWidget* object_from_class_name(const wchar_t* name) {
    if (!name || IS_INTRESOURCE(name))
        return nullptr;
    char text[96];
    std::size_t n = 0;
    for (; name[n] && n + 1 < sizeof text; ++n) {
        if (name[n] > 0x7f)
            return nullptr;
        text[n] = static_cast<char>(name[n]);
    }
    text[n] = 0;
    if (std::strncmp(text, class_prefix, sizeof class_prefix - 1) != 0)
        return nullptr;
    char* colon = std::strchr(text, ':');
    if (!colon)
        return nullptr;
    *colon = 0;
    const unsigned long pid = std::strtoul(text + sizeof class_prefix - 1, nullptr, 16);
    if (pid != GetCurrentProcessId())
        return nullptr;
    const char* digits = colon + 1;
    if (digits[0] != '0' || (digits[1] != 'x' && digits[1] != 'X'))
        return nullptr;
    const auto address = static_cast<std::uintptr_t>(std::strtoull(digits + 2, nullptr, 16));
    return reinterpret_cast<vWidget*>(address);
}

// The object still bound to the window: it was not destroyed or unbound meanwhile.
bool still_bound(HWND window, const vWidget* object) {
    return GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(object);
}

// Default processing for a window whose object went away during the message: the window's
// present procedure when it is not the toolkit's (an adopted control got its own back), else
// DefWindowProcW.
LRESULT unbound_default(HWND window, UINT message, WPARAM word, LPARAM param) {
    const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (proc && proc != vWidget::windowProc && proc != vWidget::controlProc)
        return CallWindowProcW(proc, window, message, word, param);
    return DefWindowProcW(window, message, word, param);
}

HINSTANCE module_instance() {
    return GetModuleHandleW(nullptr);
}

} // namespace

void setMainWindow(HWND window) {
    main_window = window;
}

HWND mainWindow() {
    return main_window;
}

vWidget::vWidget(vWidget* parent, const char16_t* title, std::uint32_t flags)
    : parentWindow_(parent ? parent->window_ : nullptr), parentWidget_(parent),
      title_(title ? title : u""), backgroundColor_(systemColor(COLOR_BTNFACE)),
      previousProc_(DefWindowProcW), flags_(flags) {
    translateFlags(flags);
    char name[64];
    std::snprintf(name, sizeof name, "vWidget%08lx:0x%0*llx",
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(this)));
    className_.assign8(name);
    if (!(flags & widget_no_create))
        create();
}

vWidget::vWidget(vWidget* parent, const char16_t* title)
    : vWidget(parent, title,
              parent ? std::uint32_t(widget_child_default)
                     : std::uint32_t(widget_toplevel_default)) {}

vWidget::~vWidget() {
    // No signal may reach this object while it is taken apart.
    disconnect_all();
    destroyWindow();
    if (!attached_)
        UnregisterClassW(reinterpret_cast<const wchar_t*>(className_.c_str()), module_instance());
}

void vWidget::translateFlags(std::uint32_t flags) {
    const bool topLevel = !parentWindow_ || (flags & widget_toplevel);
    const bool tool = flags & widget_toolwindow;
    std::uint32_t style = 0, ex = 0;
    if (flags & widget_visible)
        style |= WS_VISIBLE;
    if (flags & widget_disabled)
        style |= WS_DISABLED;
    if (flags & widget_caption)
        style |= WS_CAPTION;
    if ((flags & widget_sysmenu) && (topLevel || tool))
        style |= WS_SYSMENU;
    if ((flags & widget_popup) && (topLevel || tool))
        style |= WS_POPUP;
    if (flags & widget_thickframe)
        style |= WS_THICKFRAME;
    if (flags & widget_border)
        style |= WS_BORDER;
    if (flags & widget_clientedge)
        ex |= WS_EX_CLIENTEDGE;
    if ((flags & widget_minmax) && (topLevel || tool))
        style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (flags & widget_transparent)
        ex |= WS_EX_TRANSPARENT;
    if (tool) {
        ex |= WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
        if (!parentWindow_)
            ex |= WS_EX_CONTROLPARENT;
    }
    if ((flags & widget_topmost) && topLevel)
        ex |= WS_EX_TOPMOST;
    if (flags & widget_tabstop)
        style |= WS_TABSTOP;
    if (topLevel)
        ex |= WS_EX_CONTROLPARENT;
    else
        style |= WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    classStyle_ = CS_DBLCLKS;
    if ((flags & widget_owndc) && !(flags & widget_transparent))
        classStyle_ |= CS_OWNDC;
    else
        classStyle_ |= CS_PARENTDC;
    style_ = style;
    exStyle_ = ex;
}

bool vWidget::create() {
    if (window_)
        return true;
    attached_ = false;
    previousProc_ = DefWindowProcW;
    const auto* name = reinterpret_cast<const wchar_t*>(className_.c_str());
    HINSTANCE instance = module_instance();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle_;
    wc.lpfnWndProc = windowProc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the standard arrow
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // Left from an earlier object at this address whose window the platform destroyed.
        UnregisterClassW(name, instance);
        RegisterClassExW(&wc);
    }
    vWidget* outer = creating;
    creating = this;
    HWND window = CreateWindowExW(exStyle_, name, reinterpret_cast<const wchar_t*>(title_.c_str()),
                                  style_, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, parentWindow_, nullptr, instance, nullptr);
    creating = outer;
    // The class is no longer needed once the window exists (this fails while it does; the
    // destructor tries again).
    UnregisterClassW(name, instance);
    if (!window)
        return false;
    if (window_ != window && IsWindow(window))
        bind(window);
    if (parentWindow_)
        inheritFromParent();
    return window_ != nullptr;
}

void vWidget::inheritFromParent() {
    if (!window_ || !parentWindow_)
        return;
    if (LRESULT font = SendMessageW(parentWindow_, WM_GETFONT, 0, 0))
        SendMessageW(window_, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    if (LRESULT icon = SendMessageW(parentWindow_, WM_GETICON, ICON_SMALL, 0))
        SendMessageW(window_, WM_SETICON, ICON_SMALL, icon);
}

void vWidget::bind(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
}

void vWidget::unbind(HWND window) {
    if (!window)
        return;
    if (still_bound(window, this)) {
        const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        if (current == windowProc || current == controlProc)
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
}

void vWidget::destroyWindow() {
    if (!window_)
        return;
    HWND window = window_;
    dyingWindow_ = window;
    window_ = nullptr;
    revokeDrops();
    bool gone = false;
    if (!attached_ && IsWindow(window)) {
        // Runs WM_DESTROY, which unbinds the window (and clears dyingWindow_). Fails for a
        // window of another thread.
        gone = DestroyWindow(window) != FALSE;
    }
    if (attached_ || !gone) {
        destroyed();
        unbind(window);
        // A window of another thread is closed there: with its default procedure back, the
        // close request destroys it.
        if (!attached_ && IsWindow(window))
            PostMessageW(window, WM_CLOSE, 0, 0);
    }
    dyingWindow_ = nullptr;
    if (!attached_)
        UnregisterClassW(reinterpret_cast<const wchar_t*>(className_.c_str()), module_instance());
}

void vWidget::attach(HWND window, bool subclass) {
    destroyWindow();
    if (!window)
        return;
    attached_ = true;
    window_ = window;
    parentWidget_ = nullptr;
    style_ = static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    exStyle_ = static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    parentWindow_ = (style_ & WS_CHILD) ? GetParent(window) : nullptr;
    previousProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (subclass) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    }
    if (parentWindow_) {
        if (LRESULT font = SendMessageW(parentWindow_, WM_GETFONT, 0, 0))
            SendMessageW(window_, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
}

vWidget* vWidget::fromWindow(HWND window) {
    if (!window || !IsWindow(window))
        return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return nullptr;
    // Only windows running a toolkit procedure carry an object in their user-data word.
    const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (proc != windowProc && proc != controlProc)
        return nullptr;
    auto* object = reinterpret_cast<vWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return object && object->window_ == window ? object : nullptr;
}

LRESULT vWidget::defaultProc(HWND window, UINT message, WPARAM word, LPARAM param) {
    if (previousProc_ && previousProc_ != windowProc && previousProc_ != controlProc)
        return CallWindowProcW(previousProc_, window, message, word, param);
    return DefWindowProcW(window, message, word, param);
}

LRESULT CALLBACK vWidget::windowProc(HWND window, UINT message, WPARAM word, LPARAM param) {
    if ((message == WM_NCCREATE || message == WM_CREATE) &&
        !GetWindowLongPtrW(window, GWLP_USERDATA)) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(param);
        vWidget* object = cs ? object_from_class_name(cs->lpszClass) : nullptr;
        if (!object) {
            // Not one of ours: creation goes on without an object.
            return DefWindowProcW(window, message, word, param);
        }
        // The name must name the object that is creating a window on this thread right now.
        if (object == creating)
            object->bind(window);
    }
    auto* object = reinterpret_cast<vWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return DefWindowProcW(window, message, word, param);
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = object->dispatch(window, message, word, param, result);
    } catch (...) {
        handled = false;
        result = 0;
    }
    if (handled)
        return result;
    // The handler may have destroyed the object: use it only while it is still bound.
    if (!still_bound(window, object))
        return unbound_default(window, message, word, param);
    return object->defaultProc(window, message, word, param);
}

LRESULT CALLBACK vWidget::controlProc(HWND window, UINT message, WPARAM word, LPARAM param) {
    auto* object = reinterpret_cast<vWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) {
        // The control's own class procedure still knows what to do.
        const auto proc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
        if (proc && proc != controlProc && proc != windowProc)
            return CallWindowProcW(proc, window, message, word, param);
        return DefWindowProcW(window, message, word, param);
    }
    // Kept before any handler runs: a handler may destroy the object.
    const WNDPROC previous = object->previousProc_;
    auto pass_on = [&] {
        if (previous && previous != controlProc && previous != windowProc)
            return CallWindowProcW(previous, window, message, word, param);
        return unbound_default(window, message, word, param);
    };
    try {
        switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (word == VK_TAB) {
                // Tab leaves the control instead of reaching it.
                if (message == WM_KEYDOWN)
                    object->moveFocus(GetKeyState(VK_SHIFT) >= 0);
                return 0;
            }
            {
                vKeyEvent event = key_event(message, word);
                object->keyEvent(&event);
            }
            return pass_on();
        case WM_CHAR:
            // The characters of Tab, Return and Escape would only make a single-line control
            // beep: those keys are handled as key events.
            if ((word == '\t' || word == '\r' || word == 27) &&
                !(GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE))
                return 0;
            return pass_on();
        case WM_MOVE:
        case WM_SIZE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_SETFONT:
        case WM_GETFONT:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_SIZING:
        case WM_MOVING: {
            LRESULT dropped = 0;
            object->dispatch(window, message, word, param, dropped);
            return pass_on();
        }
        default:
            return pass_on();
        }
    } catch (...) {
        return pass_on();
    }
}

} // namespace vwin
