// vWidget over Qt: geometry, visibility, redrawing from any thread, text, timers, focus and tab
// order, fonts, the window's shape and its scroll bars.

#include <QtGui/QResizeEvent>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>

#include "toolkit/qt_driver_qt.h"

namespace vwin {

namespace {

qt::host* host_or_null(HWND window) {
    return window ? qt::host_of(window) : nullptr;
}

QRect qrect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The platform tells a window of its new size at once, shown or not; Qt keeps the resize event
// of a hidden widget until it is shown. Views lay out their children when they hear of it.
void deliver_pending_resize(qt::host* h) {
    if (!h->testAttribute(Qt::WA_PendingResizeEvent))
        return;
    h->setAttribute(Qt::WA_PendingResizeEvent, false);
    QResizeEvent resized(h->size(), QSize());
    QCoreApplication::sendEvent(h, &resized);
}

} // namespace

// ---- visibility ----

void vWidget::showNormal() {
    if (qt::host* h = host_or_null(window_))
        h->isWindow() ? h->showNormal() : h->show();
}

void vWidget::setVisible(bool on) {
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post([on](vWidget& w) { w.setVisible(on); });
        return;
    }
    qt::host_of(window_)->setVisible(on);
}

void vWidget::setHidden(bool on) {
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post([on](vWidget& w) { w.setHidden(on); });
        return;
    }
    qt::host* h = qt::host_of(window_);
    if (!on)
        h->setAttribute(Qt::WA_ShowWithoutActivating);
    h->setVisible(!on);
}

bool vWidget::isVisible() const {
    qt::host* h = host_or_null(window_);
    return h && h->isVisible();
}

// ---- redrawing ----

// The invalidate bit marks the area for the next paint; the update-now bit paints at once, on
// the GUI thread only. Another thread posts the marking to the GUI thread.
void vWidget::redraw(const RECT* rect, unsigned flags) {
    const bool whole = rect == nullptr;
    const QRect area = whole ? QRect() : qrect(*rect);
    if (!qt::on_gui_thread()) {
        std::lock_guard hold(pendingLock_);
        if (!window_)
            return;
        qt::host_of(window_)->post([whole, area](vWidget& w) {
            qt::host* h = qt::host_of(w.window());
            whole ? h->update() : h->update(area);
        });
        return;
    }
    qt::host* h = host_or_null(window_);
    if (!h)
        return;
    if (flags & 0x1)
        whole ? h->update() : h->update(area);
    if ((flags & 0x100) && !h->paintingActive() && h->isVisible())
        whole ? h->repaint() : h->repaint(area);
}

void vWidget::setUpdatesEnabled(bool on) {
    updatesSuspended_ = !on;
    if (on)
        invalidate();
}

// ---- geometry (a Qt widget has no frame of its own: window and client rectangles agree) ----

void vWidget::adjustFrame(int&, int&, int&, int&) {}

void vWidget::setWindowGeometry(int x, int y, int w, int h) {
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post([=](vWidget& v) { v.setWindowGeometry(x, y, w, h); });
        return;
    }
    qt::host* host = qt::host_of(window_);
    host->setGeometry(x, y, w < 0 ? 0 : w, h < 0 ? 0 : h);
    deliver_pending_resize(host);
}

void vWidget::move(int x, int y, bool) {
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post([=](vWidget& v) { v.move(x, y, true); });
        return;
    }
    qt::host_of(window_)->move(x, y);
}

void vWidget::resize(int w, int h) {
    qt::host* host = host_or_null(window_);
    if (!host)
        return;
    if (!sameThread()) {
        host->post([=](vWidget& v) { v.resize(w, h); });
        return;
    }
    // The client size: visible scroll bars come on top.
    const int extraW = host->width() - host->clientWidth();
    const int extraH = host->height() - host->clientHeight();
    host->resize((w < 0 ? 0 : w) + extraW, (h < 0 ? 0 : h) + extraH);
    deliver_pending_resize(host);
}

void vWidget::setGeometry(int x, int y, int w, int h) {
    adjustFrame(x, y, w, h);
    setWindowGeometry(x, y, w, h);
}

int vWidget::clientWidth() const {
    qt::host* h = host_or_null(window_);
    return h ? h->clientWidth() : 0;
}

int vWidget::clientHeight() const {
    qt::host* h = host_or_null(window_);
    return h ? h->clientHeight() : 0;
}

int vWidget::windowWidth() const {
    qt::host* h = host_or_null(window_);
    return h ? (h->isWindow() ? h->frameGeometry().width() : h->width()) : 0;
}

int vWidget::windowHeight() const {
    qt::host* h = host_or_null(window_);
    return h ? (h->isWindow() ? h->frameGeometry().height() : h->height()) : 0;
}

POINT vWidget::screenPosition() const {
    qt::host* h = host_or_null(window_);
    if (!h)
        return POINT{0, 0};
    const QPoint p = h->mapToGlobal(QPoint(0, 0));
    return POINT{p.x(), p.y()};
}

POINT vWidget::normalPosition() const {
    qt::host* h = host_or_null(window_);
    if (!h)
        return POINT{0, 0};
    const QPoint p = h->isWindow() ? h->normalGeometry().topLeft() : h->pos();
    return POINT{p.x(), p.y()};
}

int vWidget::hitTest(int screenX, int screenY) {
    qt::host* h = host_or_null(window_);
    if (!h)
        return -2;
    if (backgroundMode_ == background_transparent)
        return -1;
    const QPoint p = h->mapFromGlobal(QPoint(screenX, screenY));
    if (!h->rect().contains(p))
        return 0;
    if (backgroundMode_ >= background_blend && backgroundImage_.valid()) {
        const int iw = backgroundImage_.width(), ih = backgroundImage_.height();
        int x = p.x(), y = p.y();
        if (backgroundMode_ == background_blend_tiled) {
            x = ((x % iw) + iw) % iw;
            y = ((y % ih) + ih) % ih;
        }
        if (x >= iw || y >= ih)
            return -1;
        return (backgroundImage_.pixel(x, y) >> 24) > 0x10 ? 1 : -1;
    }
    return 1;
}

// ---- text ----

void vWidget::setText(const char* text8) {
    str text;
    text.assign8(text8 ? text8 : "");
    setText(text.c_str());
}

void vWidget::setText(const char16_t* text) {
    title_.assign(text ? text : u"");
    qt::host* h = host_or_null(window_);
    if (!h)
        return;
    if (!qt::on_gui_thread()) {
        // The window shows it once the GUI thread gets to it.
        h->post([](vWidget& w) { w.setText(widget_access::title(w).c_str()); });
        return;
    }
    if (h->edit)
        h->edit->setText(qt::qtext(title_.c_str()));
    if (h->isWindow())
        h->setWindowTitle(qt::qtext(title_.c_str()));
    h->update();
}

str vWidget::text() {
    qt::host* h = host_or_null(window_);
    if (h && h->edit && qt::on_gui_thread())
        return qt::totext(h->edit->text());
    return title_;
}

// ---- timers and messages ----

bool vWidget::setTimer(int id, unsigned milliseconds) {
    id &= 0xFF;
    qt::host* h = host_or_null(window_);
    if (!h || id == 0)
        return false;
    killTimer(id);
    const int timer = h->startTimer(static_cast<int>(milliseconds));
    if (timer == 0)
        return false;
    h->timers[id] = timer;
    return true;
}

bool vWidget::killTimer(int id) {
    id &= 0xFF;
    qt::host* h = host_or_null(window_);
    if (!h)
        return false;
    auto found = h->timers.find(id);
    if (found == h->timers.end())
        return false;
    h->killTimer(found->second);
    h->timers.erase(found);
    return true;
}

// ---- focus, capture, enabling ----

void vWidget::setFocus() {
    focusWindow(window_);
}

bool vWidget::hasFocus() const {
    qt::host* h = host_or_null(window_);
    return h && h->hasFocus();
}

HWND vWidget::focusedWindow() {
    // The host holding the focus, or the one around the Qt widget that has it (a line edit).
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto* h = dynamic_cast<qt::host*>(w))
            return qt::handle_of(h);
    return nullptr;
}

bool vWidget::holds(HWND window) const {
    qt::host* self = host_or_null(window_);
    qt::host* other = host_or_null(window);
    return self && other && (self == other || self->isAncestorOf(other));
}

bool vWidget::canTakeFocus() const {
    qt::host* h = host_or_null(window_);
    return h && h->isVisible() && h->isEnabled();
}

void vWidget::setMinimumClientSize(int w, int h) {
    minimumWidth_ = w;
    minimumHeight_ = h;
    if (qt::host* self = host_or_null(window_))
        self->setMinimumSize(w, h);
}

void vWidget::capture() {
    // A pressed button keeps the pointer's events at its widget (Qt's implicit grab).
}

void vWidget::releaseCapture() {}

bool vWidget::hasCapture() const {
    qt::host* h = host_or_null(window_);
    return h && QWidget::mouseGrabber() == h;
}

void vWidget::setEnabled(bool on) {
    if (qt::host* h = host_or_null(window_))
        h->setEnabled(on);
}

HWND vWidget::nextTabStop(bool forward) {
    qt::host* self = host_or_null(window_);
    if (!self)
        return nullptr;
    auto stops = [](QWidget* parent) {
        QList<qt::host*> found;
        for (QObject* child : parent->children()) {
            auto* h = dynamic_cast<qt::host*>(child);
            if (h && h->widget && !h->isWindow() && (h->widget->style() & widget_tabstop) &&
                h->isVisibleTo(parent) && h->isEnabled())
                found.push_back(h);
        }
        return found;
    };
    if (!self->isWindow() && self->parentWidget()) {
        QList<qt::host*> siblings = stops(self->parentWidget());
        const int n = static_cast<int>(siblings.size());
        int at = static_cast<int>(siblings.indexOf(self));
        if (n > 0) {
            for (int step = 1; step <= n; ++step) {
                const int i = at < 0 ? (forward ? step - 1 : n - step)
                                     : (((at + (forward ? step : -step)) % n) + n) % n;
                if (siblings[i] != self)
                    return qt::handle_of(siblings[i]);
            }
        }
    }
    QList<qt::host*> own = stops(self);
    if (own.isEmpty())
        return nullptr;
    return qt::handle_of(forward ? own.front() : own.back());
}

void vWidget::moveFocus(bool forward) {
    qt::host* self = host_or_null(window_);
    if (!self)
        return;
    vWidget* top = qt::widget_of(self->window());
    if (top && top->tabOrder_ && top->tabOrder_(window_, forward))
        return;
    if (HWND next = nextTabStop(forward))
        focusWindow(next);
}

// ---- shape and looks ----

void vWidget::setRegion(const vRegion& region) {
    qt::host* h = host_or_null(window_);
    if (!h)
        return;
    if (region.empty())
        h->clearMask();
    else
        h->setMask(region.handle()->region);
}

void vWidget::region(vRegion& out) const {
    qt::host* h = host_or_null(window_);
    if (h && !h->mask().isEmpty()) {
        out.clear();
        auto* r = new HRGN__{h->mask()};
        out.adopt(r);
        return;
    }
    out.setRect(0, 0, clientWidth(), clientHeight());
}

void vWidget::setFont(HFONT font) {
    font_.adopt(font, false);
    qt::host* h = host_or_null(window_);
    if (h && font)
        h->setFont(font->font);
    restyle();
    update();
}

void vWidget::setIcon(HICON) {}

void vWidget::setStyle(std::uint32_t style) {
    style_ = style;
    if (qt::host* h = host_or_null(window_))
        h->setEnabled(!(style & widget_disabled));
}

// ---- scroll bars ----

void vWidget::setScrollRange(int bar, bool visible, int maximum, int page, int position, bool) {
    bar = bar ? 1 : 0;
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post(
            [=](vWidget& w) { w.setScrollRange(bar, visible, maximum, page, position, true); });
        return;
    }
    qt::host* h = qt::host_of(window_);
    QScrollBar*& b = h->bars[bar];
    if (!b) {
        if (!visible)
            return;
        b = new QScrollBar(bar ? Qt::Vertical : Qt::Horizontal, h);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        QObject::connect(b, &QScrollBar::valueChanged, h, [h, bar](int value) {
            if (h->widget)
                h->widget->scrolled(bar, value);
        });
    }
    const int oldW = h->clientWidth(), oldH = h->clientHeight();
    {
        const QSignalBlocker quiet(b);
        b->setPageStep(page > 0 ? page : 1);
        b->setRange(0, maximum - page > 0 ? maximum - page : 0);
        if (position >= 0)
            b->setValue(position);
    }
    if (visible != !b->isHidden()) {
        b->setVisible(visible);
        h->placeBars();
    }
    // Bars narrow the client area: the widget hears of its new size, as of a resize.
    if (h->clientWidth() != oldW || h->clientHeight() != oldH) {
        h->placeBars();
        restyle();
        if (window_)
            resized(h->clientWidth(), h->clientHeight());
    }
}

void vWidget::setScrollPosition(int bar, int position) {
    bar = bar ? 1 : 0;
    if (!window_)
        return;
    if (!sameThread()) {
        qt::host_of(window_)->post([=](vWidget& w) { w.setScrollPosition(bar, position); });
        return;
    }
    if (QScrollBar* b = qt::host_of(window_)->bars[bar]) {
        const QSignalBlocker quiet(b);
        b->setValue(position);
    }
}

int vWidget::scrollRequest(int bar, WPARAM) {
    qt::host* h = host_or_null(window_);
    QScrollBar* b = h ? h->bars[bar ? 1 : 0] : nullptr;
    return b ? b->value() : 0;
}

// ---- background ----

// Both windows lie in one top-level window: through its coordinates.
POINT vWidget::mapPoint(HWND other, POINT at) const {
    if (!window_ || !other)
        return at;
    QWidget* from = qt::host_of(window_);
    QWidget* to = qt::host_of(other);
    if (from->window() != to->window())
        return at;
    const QPoint p = to->mapFrom(to->window(), from->mapTo(from->window(), QPoint(at.x, at.y)));
    return {p.x(), p.y()};
}

void vWidget::setBackgroundMode(int mode) {
    backgroundMode_ = mode;
    if (qt::host* h = host_or_null(window_))
        h->setAttribute(Qt::WA_TransparentForMouseEvents, mode == background_transparent);
    invalidate();
}

} // namespace vwin
