// vLineEdit over QLineEdit: the edit fills the widget's host and is its focus proxy. Keys reach
// the widget's keyEvent before the edit (Return and Escape become signals there); focus and
// changes become the widget's notifications, as the platform edit's are.

#include <QtGui/QFocusEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QPalette>
#include <QtWidgets/QLineEdit>

#include "toolkit/controls.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

namespace {

class edit_control final : public QLineEdit {
public:
    explicit edit_control(qt::host* owner) : QLineEdit(owner), owner_(owner) {}

protected:
    // Every key reaches the widget's keyEvent first, then the edit; none goes on to the parent.
    // Tab leaves the edit instead of reaching it.
    bool event(QEvent* e) override {
        qt::event_scope running;
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
            return QLineEdit::event(e);
        auto* k = static_cast<QKeyEvent*>(e);
        const bool down = e->type() == QEvent::KeyPress;
        if (vWidget* w = owner_->widget) {
            vKeyEvent event;
            event.key = qt::virtual_key(k->key(), k->modifiers());
            event.type = down ? event_key_down : event_key_up;
            event.modifiers = qt::modifiers_of(k->modifiers());
            if (event.key == VK_TAB) {
                if (down)
                    w->moveFocus(!(event.modifiers & modifier_shift));
                e->accept();
                return true;
            }
            const bool shown = isVisible();
            w->keyEvent(&event);
            // A handler may have hidden the edit or taken its widget apart.
            if (!owner_->widget || (shown && !isVisible())) {
                e->accept();
                return true;
            }
        }
        QLineEdit::event(e);
        e->accept();
        return true;
    }
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (vWidget* w = owner_->widget)
            w->command(EN_SETFOCUS);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (vWidget* w = owner_->widget)
            w->command(EN_KILLFOCUS);
    }

private:
    qt::host* owner_;
};

void apply_colors(qt::host* h, vColor back, vColor text) {
    if (!h || !h->edit)
        return;
    QPalette palette = h->edit->palette();
    palette.setColor(QPalette::Base, qt::qcolor(back));
    palette.setColor(QPalette::Text, qt::qcolor(text));
    h->edit->setPalette(palette);
}

} // namespace

vLineEdit::vLineEdit(vWidget* parent, const char16_t* text, std::uint32_t flags)
    : vWidget(parent, text, flags | widget_no_create) {
    backgroundColor_ = systemColor(COLOR_WINDOW);
    textColor_ = systemColor(COLOR_WINDOWTEXT);
    style_ |= flags & 0xFFFF;
    flags_ &= ~std::uint32_t(widget_no_create);
    create();
}

vLineEdit::~vLineEdit() {
    destroyWindow();
}

bool vLineEdit::create() {
    if (window_)
        return true;
    if (!vWidget::create())
        return false;
    setUpWindow();
    return true;
}

void vLineEdit::setUpWindow() {
    qt::host* h = window_ ? qt::host_of(window_) : nullptr;
    if (!h || h->edit)
        return;
    auto* edit = new edit_control(h);
    h->edit = edit;
    edit->setFrame(false);
    edit->setText(qt::qtext(title_.c_str()));
    h->setFocusProxy(edit);
    if (font_.handle())
        edit->setFont(font_.handle()->font);
    QObject::connect(edit, &QLineEdit::textChanged, h, [h] {
        if (h->widget)
            h->widget->command(EN_CHANGE);
    });
    // The edit covers the host (the host's resizes keep it so).
    edit->setGeometry(0, 0, h->width(), h->height());
    apply_colors(h, backgroundColor_, textColor_);
    edit->show();
}

void vLineEdit::adoptWindow(HWND window) {
    attach(window, true);
    setUpWindow();
}

void vLineEdit::destroyWindow() {
    vWidget::destroyWindow();
}

void vLineEdit::refreshBrush() {}

void vLineEdit::setEditBackground(vColor color) {
    backgroundColor_ = color;
    apply_colors(window_ ? qt::host_of(window_) : nullptr, backgroundColor_, textColor_);
    update();
}

void vLineEdit::setEditTextColor(vColor color) {
    textColor_ = color;
    apply_colors(window_ ? qt::host_of(window_) : nullptr, backgroundColor_, textColor_);
    update();
}

void vLineEdit::controlColor(vPainter& painter, LRESULT& result) {
    painter.setTextColor(textColor_);
    painter.setBackgroundColor(backgroundColor_);
    result = 0;
}

void vLineEdit::adjustFrame(int&, int&, int&, int&) {
    // Geometry given to the edit is its window geometry.
}

void vLineEdit::setSelection(int from, int to) {
    qt::host* h = window_ ? qt::host_of(window_) : nullptr;
    if (!h || !h->edit)
        return;
    const int length = static_cast<int>(h->edit->text().size());
    if (from < 0) {
        h->edit->deselect();
        return;
    }
    if (to < 0 || to > length)
        to = length;
    h->edit->setSelection(from, to - from);
}

} // namespace vwin
