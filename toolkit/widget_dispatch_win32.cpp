// vWidget's message map: each platform message becomes a call of a virtual operation.

#include <windowsx.h>

#include "toolkit/widget.h"

namespace vwin {

namespace {

// The toolkit's own messages.
constexpr UINT message_apply_scroll = toolkit_message_base + 1;

} // namespace

bool vWidget::dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        created();
        return true;
    case WM_DESTROY:
        if (resultCode_ < -1)
            resultCode_ = -1;
        dyingWindow_ = window;
        window_ = nullptr;
        revokeDrops();
        destroyed();
        if (dyingWindow_) {
            unbind(dyingWindow_);
            if (dyingWindow_ == mainWindow())
                PostQuitMessage(0);
        }
        dyingWindow_ = nullptr;
        return true;
    case WM_MOVE:
        if (backgroundReference_ || backgroundMode_ >= background_blend)
            redraw(nullptr, redraw_frame);
        moved(GET_X_LPARAM(param), GET_Y_LPARAM(param));
        return true;
    case WM_GETMINMAXINFO: {
        if (minimumWidth_ <= 0 && minimumHeight_ <= 0)
            return false;
        // The frame around the smallest client area.
        RECT frame{0, 0, minimumWidth_, minimumHeight_};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
        auto* limits = reinterpret_cast<MINMAXINFO*>(param);
        limits->ptMinTrackSize.x = frame.right - frame.left;
        limits->ptMinTrackSize.y = frame.bottom - frame.top;
        result = 0;
        return true;
    }
    case WM_SIZE:
        // A size change caused by the resize handler itself is ignored.
        if (!inResize_) {
            inResize_ = true;
            resized(LOWORD(param), HIWORD(param));
            inResize_ = false;
            restyle();
        }
        result = 0;
        return true;
    case WM_ACTIVATE: {
        redraw(nullptr, redraw_invalidate_now);
        HWND focus = GetFocus();
        const bool focusInside = focus && (focus == window || IsChild(window, focus));
        if (LOWORD(word) == WA_INACTIVE) {
            lastFocus_ = focusInside ? focus : nullptr;
            return true;
        }
        // Activated: the focus stays where it is inside the window, or goes back to the child
        // that had it; otherwise the default processing gives it to the window itself.
        if (focusInside)
            return true;
        if (lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_) && !HIWORD(word)) {
            SetFocus(lastFocus_);
            return true;
        }
        return false;
    }
    case WM_SETFOCUS:
        focusIn(reinterpret_cast<HWND>(word));
        return true;
    case WM_KILLFOCUS:
        focusOut(reinterpret_cast<HWND>(word));
        return true;
    case WM_PAINT:
        paintWindow();
        result = 1;
        return true;
    case WM_CLOSE:
        // Not handled means: the default processing destroys the window.
        return !canClose();
    case WM_ERASEBKGND:
        // The background is painted with the rest in WM_PAINT.
        result = 1;
        return true;
    case WM_SHOWWINDOW:
        redraw(nullptr, redraw_invalidate);
        shown(word != 0);
        return true;
    case WM_ACTIVATEAPP:
        if (!word)
            mouseLeaveCheck();
        return true;
    case WM_SETCURSOR:
        if (!setCursor(reinterpret_cast<HWND>(word)))
            return false;
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(param);
        if (!item)
            return false;
        vWidget* target = item->CtlType == ODT_MENU ? this : fromWindow(item->hwndItem);
        if (!target)
            return false;
        vPainter painter(item->hDC);
        target->drawItem(painter, item->rcItem, item->itemID, item->itemState);
        result = TRUE;
        return true;
    }
    case WM_SETFONT:
        // The sender keeps the font alive; it is used, not owned.
        font_.adopt(reinterpret_cast<HFONT>(word), false);
        restyle();
        if (LOWORD(param))
            update();
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(font_.handle());
        return true;
    case WM_NCHITTEST:
        result = hitTest(GET_X_LPARAM(param), GET_Y_LPARAM(param));
        return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
        handleKey(message, word, param);
        return true;
    case WM_SYSKEYDOWN:
        // F10 arrives as a system key; Shift+F10 opens a context menu, so widgets see it as a
        // key. Other system keys (Alt combinations) keep their default handling.
        if (word != VK_F10 || GetKeyState(VK_SHIFT) >= 0)
            return false;
        handleKey(WM_KEYDOWN, word, param);
        return true;
    case WM_COMMAND: {
        vWidget* control = param ? fromWindow(reinterpret_cast<HWND>(param)) : nullptr;
        if (control)
            control->command(HIWORD(word));
        else
            command(static_cast<std::uint32_t>(word));
        return true;
    }
    case WM_TIMER:
        timer(static_cast<int>(word & 0xFF));
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        if (param)
            return false; // a scroll-bar control, not the window's own bar
        const int bar = message == WM_VSCROLL ? 1 : 0;
        const int position = scrollRequest(bar, word);
        scrolled(bar, position);
        return true;
    }
    case WM_MENUCOMMAND:
        menuCommand(LOWORD(word), reinterpret_cast<HMENU>(param));
        return true;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        vWidget* control = fromWindow(reinterpret_cast<HWND>(param));
        if (!control)
            return false;
        vPainter painter(reinterpret_cast<HDC>(word));
        control->controlColor(painter, result);
        // Without a brush the platform's colours apply.
        return result != 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        deliverMouse(message, word, param);
        return true;
    case WM_MOUSEWHEEL:
        deliverWheelMessage(word, param);
        return true;
    case WM_SIZING:
    case WM_MOVING:
        if (backgroundReference_ || backgroundMode_ >= background_blend)
            redraw(nullptr, redraw_frame_now);
        result = -1;
        return true;
    case WM_MOUSEHOVER:
        mouseHover();
        return true;
    case WM_MOUSELEAVE:
        mouseLeaveCheck();
        return true;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        printClient(window, reinterpret_cast<HDC>(word), param);
        return true;
    case message_apply_scroll:
        applyPendingScroll();
        return true;
    default:
        if (message >= toolkit_message_base && message <= toolkit_message_base + 0xFF)
            return false;
        if (message >= WM_USER)
            return userMessage(message - WM_USER, word, param);
        return false;
    }
}

void vWidget::paintWindow() {
    HWND window = window_;
    if (!window)
        return;
    if (updatesSuspended_) {
        // Nothing is drawn; enabling updates invalidates the whole window again. Validating
        // here keeps the platform from sending WM_PAINT without end.
        ValidateRect(window, nullptr);
        return;
    }
    vPainter painter(window);
    if (!painter.valid())
        return;
    HGDIOBJ oldFont = font_.handle() ? painter.select(font_.handle()) : nullptr;
    RECT rect = painter.paintRect();
    if (IsRectEmpty(&rect))
        GetClientRect(window, &rect);
    paintBackground(painter, rect);
    paint(painter);
    if (oldFont)
        painter.select(oldFont);
}

void vWidget::printClient(HWND window, HDC dc, LPARAM options) {
    if (!dc)
        return;
    {
        vPainter painter(dc);
        HGDIOBJ oldFont = font_.handle() ? painter.select(font_.handle()) : nullptr;
        RECT client{};
        GetClientRect(window, &client);
        if (options & PRF_ERASEBKGND)
            paintBackground(painter, client);
        paint(painter);
        if (oldFont)
            painter.select(oldFont);
    }
    if (!(options & PRF_CHILDREN))
        return;
    // Each visible child draws at its own place: from the bottom of the z-order up, with the
    // context's origin moved to the child's client origin and clipped to its client area.
    HWND child = GetWindow(window, GW_CHILD);
    HWND last = child ? GetWindow(child, GW_HWNDLAST) : nullptr;
    for (HWND c = last; c; c = GetWindow(c, GW_HWNDPREV)) {
        if (!IsWindowVisible(c))
            continue;
        POINT origin{0, 0};
        ClientToScreen(c, &origin);
        ScreenToClient(window, &origin);
        RECT area{};
        GetClientRect(c, &area);
        const int saved = SaveDC(dc);
        POINT old{};
        OffsetViewportOrgEx(dc, origin.x, origin.y, &old);
        IntersectClipRect(dc, 0, 0, area.right, area.bottom);
        SendMessageW(c, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), options);
        RestoreDC(dc, saved);
    }
}

} // namespace vwin
