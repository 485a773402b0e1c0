// vWidget: the window's own scroll bars, scaled so that the platform never sees more than 32000
// units, and changes from other threads posted to the window's thread.

#include "toolkit/widget.h"

namespace vwin {

namespace {

constexpr UINT message_apply_scroll = toolkit_message_base + 1;
constexpr double max_platform_units = 32000.0;

int scaled(int value, double scale) {
    return static_cast<int>(value / scale);
}

} // namespace

void vWidget::setScrollRange(int bar, bool visible, int maximum, int page, int position,
                             bool redraw) {
    if (!window_ || bar < 0 || bar > 1)
        return;
    if (!sameThread()) {
        {
            std::lock_guard g(pendingLock_);
            pending_scroll& p = pending_[bar];
            p.set = true;
            p.range = true;
            p.visible = visible;
            p.maximum = maximum;
            p.page = page;
            p.position = position;
            p.redraw = redraw;
        }
        PostMessageW(window_, message_apply_scroll, 0, 0);
        return;
    }
    const auto bit = static_cast<LONG_PTR>(bar ? WS_VSCROLL : WS_HSCROLL);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    const LONG_PTR wanted = visible ? (style | bit) : (style & ~bit);
    if (wanted != style) {
        SetWindowLongPtrW(window_, GWL_STYLE, wanted);
        style_ = static_cast<std::uint32_t>(wanted);
        SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (!window_)
            return;
    }
    const double scale = maximum > max_platform_units ? maximum / max_platform_units : 1.0;
    (bar ? vScale_ : hScale_) = scale;
    const int which = bar ? SB_VERT : SB_HORZ;
    if (!visible) {
        ShowScrollBar(window_, which, FALSE);
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    if (maximum > 0) {
        info.fMask |= SIF_RANGE;
        info.nMin = 0;
        info.nMax = scaled(maximum, scale);
    }
    if (page > 0) {
        info.fMask |= SIF_PAGE;
        info.nPage = static_cast<UINT>(scaled(page, scale));
    }
    if (position >= 0) {
        info.fMask |= SIF_POS;
        info.nPos = scaled(position, scale);
    }
    if (info.fMask)
        SetScrollInfo(window_, which, &info, redraw && !updatesSuspended_);
}

void vWidget::setScrollPosition(int bar, int position) {
    if (!window_ || bar < 0 || bar > 1)
        return;
    if (!sameThread()) {
        {
            std::lock_guard g(pendingLock_);
            pending_scroll& p = pending_[bar];
            if (!p.set) {
                p.range = false;
                p.set = true;
            }
            p.position = position; // a pending range keeps its other values
        }
        PostMessageW(window_, message_apply_scroll, 0, 0);
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = scaled(position, bar ? vScale_ : hScale_);
    SetScrollInfo(window_, bar ? SB_VERT : SB_HORZ, &info, !updatesSuspended_);
}

void vWidget::applyPendingScroll() {
    pending_scroll todo[2];
    {
        std::lock_guard g(pendingLock_);
        for (int bar = 0; bar < 2; ++bar) {
            todo[bar] = pending_[bar];
            pending_[bar] = pending_scroll{};
        }
    }
    for (int bar = 0; bar < 2; ++bar) {
        const pending_scroll& p = todo[bar];
        if (!p.set)
            continue;
        if (p.range)
            setScrollRange(bar, p.visible, p.maximum, p.page, p.position, p.redraw);
        else
            setScrollPosition(bar, p.position);
    }
}

int vWidget::scrollRequest(int bar, WPARAM request) {
    if (!window_ || bar < 0 || bar > 1)
        return 0;
    const int which = bar ? SB_VERT : SB_HORZ;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window_, which, &info))
        return 0;
    const int maxPos = info.nMax - static_cast<int>(info.nPage);
    const int minPos = info.nMin;
    int position = info.nPos;
    if (minPos < maxPos) {
        switch (LOWORD(request)) {
        case SB_LINEUP:
            position -= 1;
            break;
        case SB_LINEDOWN:
            position += 1;
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            position = HIWORD(request);
            break;
        case SB_TOP:
            position = minPos;
            break;
        case SB_BOTTOM:
            position = maxPos;
            break;
        default:
            break;
        }
        if (position < minPos)
            position = minPos;
        if (position > maxPos)
            position = maxPos;
        if (position != info.nPos) {
            SCROLLINFO set{};
            set.cbSize = sizeof set;
            set.fMask = SIF_POS;
            set.nPos = position;
            SetScrollInfo(window_, which, &set, TRUE);
        }
    }
    return static_cast<int>(position * (bar ? vScale_ : hScale_));
}

} // namespace vwin
