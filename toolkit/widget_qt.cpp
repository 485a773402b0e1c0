// vWidget over Qt: one host QWidget per widget, made and destroyed with it; the host's events
// become the widget's virtual operations. Destroying a window unbinds it and its child windows at
// once (as the platform's window tree does); the QWidgets go when no event of theirs is running.

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPaintEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>

#include <atomic>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/dnd.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

namespace {

std::atomic<HWND> main_window{nullptr};

// Events of hosts being handled now (a host is not deleted inside its own event).
thread_local int events_running = 0;

// A call queued to a host's thread.
class call_event final : public QEvent {
public:
    static QEvent::Type kind() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    explicit call_event(std::function<void(qt::host&)> call)
        : QEvent(kind()), call_(std::move(call)) {}
    void run(qt::host& h) { call_(h); }

private:
    std::function<void(qt::host&)> call_;
};

std::uint32_t mouse_bits(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uint32_t s = 0;
    if (buttons & Qt::LeftButton)
        s |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        s |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        s |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        s |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        s |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        s |= modifier_alt;
    return s;
}

std::uint32_t button_of(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return button_left;
    case Qt::RightButton:
        return button_right;
    case Qt::MiddleButton:
        return button_middle;
    default:
        return button_none;
    }
}

// Unbinds the host's widget and those of every host inside it: each hears destroyed() and has
// no window any more.
void unbind_tree(qt::host* h) {
    // (Hosts have no meta-object of their own: found among the QWidgets by their C++ type.)
    std::vector<qt::host*> inner;
    for (QWidget* child : h->findChildren<QWidget*>())
        if (auto* found = dynamic_cast<qt::host*>(child))
            inner.push_back(found);
    auto unbind = [](qt::host* one) {
        vWidget* w = one->widget;
        if (!w)
            return;
        w->destroyed();
        if (w->resultCode() == dialog_pending)
            w->setResultCode(dialog_closed);
        {
            std::lock_guard hold(widget_access::lock(*w));
            widget_access::window(*w) = nullptr;
        }
        one->widget = nullptr;
        for (const auto& [id, timer] : one->timers)
            one->killTimer(timer);
        one->timers.clear();
        if (qt::handle_of(one) == main_window.load()) {
            main_window = nullptr;
            // Like the platform's quit request: the loop running now or the next one ends.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
    };
    unbind(h);
    for (qt::host* child : inner)
        unbind(child);
}

} // namespace

namespace qt {

event_scope::event_scope() {
    ++events_running;
}

event_scope::~event_scope() {
    --events_running;
}

bool on_gui_thread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

vWidget* widget_of(QWidget* w) {
    auto* h = dynamic_cast<host*>(w);
    return h ? h->widget : nullptr;
}

host::host(vWidget* owner, QWidget* parent) : QWidget(parent), widget(owner) {
    setMouseTracking(true);
    // The toolkit moves the focus itself (Tab in event(), presses in the views): no click focus.
    setFocusPolicy(Qt::TabFocus);
}

host::~host() {
    unbind_tree(this);
    delete drag;
}

int host::clientWidth() const {
    int w = width();
    if (bars[1] && !bars[1]->isHidden())
        w -= bars[1]->width();
    return w > 0 ? w : 0;
}

int host::clientHeight() const {
    int h = height();
    if (bars[0] && !bars[0]->isHidden())
        h -= bars[0]->height();
    return h > 0 ? h : 0;
}

void host::placeBars() {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const bool showH = bars[0] && !bars[0]->isHidden();
    const bool showV = bars[1] && !bars[1]->isHidden();
    if (showH)
        bars[0]->setGeometry(0, height() - extent, width() - (showV ? extent : 0), extent);
    if (showV)
        bars[1]->setGeometry(width() - extent, 0, extent, height() - (showH ? extent : 0));
}

void host::post(std::function<void(vWidget&)> call) {
    QCoreApplication::postEvent(this, new call_event([call = std::move(call)](host& h) {
                                    if (h.widget)
                                        call(*h.widget);
                                }));
}

void host::paintEvent(QPaintEvent* e) {
    vWidget* w = widget;
    if (!w || widget_access::suspended(*w))
        return;
    paintRect = e->rect().intersected(QRect(0, 0, clientWidth(), clientHeight()));
    if (paintRect.isEmpty())
        return;
    vPainter painter(handle_of(this));
    if (!painter.valid())
        return;
    vFont& font = widget_access::font(*w);
    HGDIOBJ oldFont = font.handle() ? painter.select(font.handle()) : nullptr;
    const RECT rect = painter.paintRect();
    w->paintBackground(painter, rect);
    if (widget)
        w->paint(painter);
    if (oldFont)
        painter.select(oldFont);
}

void host::timerEvent(QTimerEvent* e) {
    event_scope running;
    if (e->timerId() == hover.timerId()) {
        hover.stop();
        if (widget)
            widget->mouseHover();
        return;
    }
    for (const auto& [id, timer] : timers) {
        if (timer == e->timerId()) {
            if (widget)
                widget->timer(id);
            return;
        }
    }
}

bool host::event(QEvent* e) {
    event_scope running;
    if (e->type() == call_event::kind()) {
        static_cast<call_event*>(e)->run(*this);
        return true;
    }
    vWidget* w = widget;
    if (!w)
        return QWidget::event(e);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        vMouseEvent event;
        const std::uint32_t button = button_of(m->button());
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            event.type = event_press;
            break;
        case QEvent::MouseButtonRelease:
            event.type = event_release;
            break;
        case QEvent::MouseButtonDblClick:
            event.type = event_double_click;
            break;
        default:
            event.type = event_move;
            break;
        }
        event.button = event.type == event_move ? button_none : button;
        const std::uint32_t state = mouse_bits(m->buttons(), m->modifiers());
        event.buttonsAfter = state;
        event.buttonsBefore = state;
        if (event.type == event_press)
            event.buttonsBefore = state & ~button;
        else if (event.type == event_release)
            event.buttonsBefore = state | button;
        const QPoint at = m->position().toPoint();
        const QPoint screen = m->globalPosition().toPoint();
        event.x = at.x();
        event.y = at.y();
        event.screenX = screen.x();
        event.screenY = screen.y();
        event.word = state & 0xFFFF;
        if (w->backgroundMode() == background_transparent) {
            e->ignore();
            return false;
        }
        if (!widget_access::hovered(*w)) {
            widget_access::hovered(*w) = true;
            w->mouseEnter();
        }
        // Hovering is reported once the pointer rested for half a second (when asked for).
        if (event.type == event_move && widget && w->hoverTracking())
            hover.start(500, this);
        if (widget)
            w->mouseEvent(&event);
        // Not taken: Qt hands it to the parent.
        e->setAccepted(event.accepted);
        return true;
    }
    case QEvent::Wheel: {
        auto* m = static_cast<QWheelEvent*>(e);
        vWheelEvent event;
        event.type = event_wheel;
        event.buttonsBefore = event.buttonsAfter = mouse_bits(m->buttons(), m->modifiers());
        const QPoint at = m->position().toPoint();
        const QPoint screen = m->globalPosition().toPoint();
        event.x = at.x();
        event.y = at.y();
        event.screenX = screen.x();
        event.screenY = screen.y();
        event.delta = m->angleDelta().y();
        event.word = (static_cast<std::uint32_t>(event.delta & 0xFFFF) << 16) |
                     (event.buttonsAfter & 0xFFFF);
        event.accepted = false;
        w->wheelEvent(&event);
        // Not taken: the parents are asked in turn, each in its own coordinates.
        for (QWidget* up = parentWidget(); !event.accepted && up && widget;
             up = up->parentWidget()) {
            vWidget* outer = qt::widget_of(up);
            if (outer) {
                const QPoint there = up->mapFromGlobal(screen);
                event.x = there.x();
                event.y = there.y();
                outer->wheelEvent(&event);
            }
            if (up->isWindow())
                break;
        }
        e->accept();
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        vKeyEvent event;
        event.key = qt::virtual_key(k->key(), k->modifiers());
        event.type = e->type() == QEvent::KeyPress ? event_key_down : event_key_up;
        event.modifiers = qt::modifiers_of(k->modifiers());
        w->keyEvent(&event);
        if (!event.accepted && widget && event.type == event_key_down && event.key == VK_TAB &&
            !(event.modifiers & modifier_control)) {
            w->moveFocus(!(event.modifiers & modifier_shift));
            event.accepted = true;
        }
        e->setAccepted(event.accepted);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return qt::deliver_drag(*this, e);
    case QEvent::ShortcutOverride:
        return QWidget::event(e);
    case QEvent::FocusIn:
        w->focusIn(nullptr);
        return true;
    case QEvent::FocusOut:
        w->focusOut(nullptr);
        return true;
    case QEvent::Resize:
        if (edit)
            edit->setGeometry(rect());
        placeBars();
        w->restyle();
        if (widget)
            w->resized(clientWidth(), clientHeight());
        return true;
    case QEvent::Move:
        w->moved(x(), y());
        return true;
    case QEvent::Show:
        w->shown(true);
        return true;
    case QEvent::Hide:
        w->shown(false);
        return true;
    case QEvent::Close: {
        if (!w->canClose()) {
            e->ignore();
            return true;
        }
        e->accept();
        // The window goes, as the platform's default close does; its object stays.
        post([](vWidget& closing) { closing.destroyWindow(); });
        return true;
    }
    case QEvent::Enter:
        if (!widget_access::hovered(*w)) {
            widget_access::hovered(*w) = true;
            w->mouseEnter();
        }
        return true;
    case QEvent::Leave:
        hover.stop();
        if (widget_access::hovered(*w)) {
            widget_access::hovered(*w) = false;
            w->mouseLeave();
        }
        return true;
    default:
        return QWidget::event(e);
    }
}

} // namespace qt

void setMainWindow(HWND window) {
    main_window = window;
}

HWND mainWindow() {
    return main_window;
}

void focusWindow(HWND window) {
    if (window)
        qt::host_of(window)->setFocus(Qt::OtherFocusReason);
}

vWidget::vWidget(vWidget* parent, const char16_t* title, std::uint32_t flags)
    : parentWindow_(parent ? parent->window_ : nullptr), parentWidget_(parent),
      title_(title ? title : u""), backgroundColor_(systemColor(COLOR_BTNFACE)), flags_(flags) {
    translateFlags(flags);
    className_.assign8("vWidget");
    if (!(flags & widget_no_create))
        create();
}

vWidget::vWidget(vWidget* parent, const char16_t* title)
    : vWidget(parent, title,
              parent ? std::uint32_t(widget_child_default)
                     : std::uint32_t(widget_toplevel_default)) {}

vWidget::~vWidget() {
    disconnect_all();
    destroyWindow();
}

// The Qt driver keeps the creation flags themselves as the style word.
void vWidget::translateFlags(std::uint32_t flags) {
    style_ = flags;
    exStyle_ = 0;
}

bool vWidget::create() {
    if (window_)
        return true;
    if (!QApplication::instance())
        return false; // widgets need the application object
    const bool topLevel = !parentWindow_ || (flags_ & widget_toplevel);
    QWidget* parent = parentWindow_ ? qt::host_of(parentWindow_) : nullptr;
    auto* h = new qt::host(this, parent);
    if (topLevel && parent)
        h->setWindowFlags(Qt::Window);
    if (topLevel) {
        h->setWindowTitle(qt::qtext(title_.c_str()));
        if (flags_ & widget_popup && !(flags_ & widget_caption))
            h->setWindowFlags(h->windowFlags() | Qt::FramelessWindowHint);
        if (flags_ & widget_topmost)
            h->setWindowFlags(h->windowFlags() | Qt::WindowStaysOnTopHint);
    }
    {
        std::lock_guard hold(pendingLock_);
        window_ = qt::handle_of(h);
    }
    attached_ = false;
    if (flags_ & widget_disabled)
        h->setEnabled(false);
    inheritFromParent();
    created();
    if (!window_)
        return false;
    // A child window is shown from the start (with its parent), as on the platform; a top-level
    // one only when asked.
    if (!topLevel || (flags_ & widget_visible))
        h->show();
    return true;
}

void vWidget::destroyWindow() {
    HWND window = window_;
    if (!window)
        return;
    qt::host* h = qt::host_of(window);
    unbind_tree(h);
    if (events_running > 0) {
        h->hide();
        h->deleteLater();
    } else {
        delete h;
    }
}

void vWidget::attach(HWND window, bool) {
    // Adopting a window made elsewhere: only another toolkit host can be taken.
    if (!window || window_)
        return;
    qt::host* h = qt::host_of(window);
    if (h->widget)
        return;
    h->widget = this;
    std::lock_guard hold(pendingLock_);
    window_ = window;
    attached_ = true;
}

void vWidget::inheritFromParent() {
    if (parentWidget_ && parentWidget_->font_.handle())
        font_.adopt(parentWidget_->font_.handle(), false);
}

vWidget* vWidget::fromWindow(HWND window) {
    if (!window)
        return nullptr;
    vWidget* w = qt::host_of(window)->widget;
    return w && w->window_ == window ? w : nullptr;
}

bool vWidget::isWindow() const {
    return window_ != nullptr;
}

bool vWidget::sameThread() const {
    return window_ && qt::on_gui_thread();
}

bool vWidget::dispatch(HWND, UINT message, WPARAM word, LPARAM param, LRESULT&) {
    // Posted and sent messages: the toolkit's own are for subclasses; from WM_USER they are the
    // widget's user messages.
    if (message >= toolkit_message_base && message <= toolkit_message_base + 0xFF)
        return false;
    if (message >= WM_USER)
        return userMessage(message - WM_USER, word, param);
    return false;
}

LRESULT vWidget::sendMessage(UINT message, WPARAM word, LPARAM param) {
    HWND window = window_;
    if (!window)
        return 0;
    if (!qt::on_gui_thread()) {
        postMessage(message, word, param); // never block on the GUI thread
        return 0;
    }
    LRESULT result = 0;
    dispatch(window, message, word, param, result);
    return result;
}

bool vWidget::postMessage(UINT message, WPARAM word, LPARAM param) {
    std::lock_guard hold(pendingLock_);
    if (!window_)
        return false;
    qt::host_of(window_)->post([message, word, param](vWidget& w) {
        LRESULT result = 0;
        w.dispatch(w.window(), message, word, param, result);
    });
    return true;
}

} // namespace vwin
