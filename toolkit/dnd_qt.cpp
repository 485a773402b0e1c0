// Drag and drop over Qt: the drag events of a host that accepts drops become one vDropEvent per
// drag for its widget; the default handlers pass it on to the child widgets under the pointer.
// Item drags are QDrags carrying a pointer block and its name, answered only while they run.

#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QDrag>
#include <QtGui/QDropEvent>
#include <QtWidgets/QApplication>

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "toolkit/dnd.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

namespace {

// The item drags running in this process (nested drags are possible in principle).
struct live_drags {
    std::mutex lock;
    std::uint64_t next = 1;
    std::vector<vPointerBlock> running; // guarded by lock
};

live_drags& drags() {
    static live_drags* state = new live_drags; // never destroyed: drags may outlive statics
    return *state;
}

bool is_live(const vPointerBlock& block) {
    live_drags& d = drags();
    std::lock_guard hold(d.lock);
    for (const vPointerBlock& b : d.running)
        if (b.serial == block.serial && b.value == block.value)
            return true;
    return false;
}

DWORD effects_of(Qt::DropActions actions) {
    DWORD e = 0;
    if (actions & Qt::CopyAction)
        e |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction)
        e |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction)
        e |= DROPEFFECT_LINK;
    return e;
}

Qt::DropAction action_of(DWORD effect) {
    if (effect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

DWORD key_state(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    DWORD s = 0;
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
    return s;
}

// Calls `pass` for every shown child widget whose hit test at the event's point is positive.
// The children are collected first: a handler may destroy widgets.
template <class Pass> void pass_to_children_under(HWND parent, vDropEvent* event, Pass pass) {
    if (!parent || !event)
        return;
    std::vector<HWND> children;
    for (QObject* child : qt::host_of(parent)->children())
        if (auto* h = dynamic_cast<qt::host*>(child))
            children.push_back(qt::handle_of(h));
    for (HWND child : children) {
        vWidget* widget = vWidget::fromWindow(child);
        if (!widget || !widget->isVisible())
            continue;
        if (widget->hitTest(event->point.x, event->point.y) > 0)
            pass(widget);
    }
}

} // namespace

// ---- the event ----

vDropEvent::vDropEvent(const QMimeData* data, DWORD allowed)
    : effect(allowed), data_(data), allowed_(allowed) {}

const std::vector<str>& vDropEvent::localFiles() {
    if (!filesRead_ && data_) {
        for (const QUrl& url : data_->urls())
            if (url.isLocalFile())
                files_.push_back(qt::totext(url.toLocalFile()));
        filesRead_ = !files_.empty();
    }
    return files_;
}

bool vDropEvent::hasFiles() {
    if (!data_ || (!filesRead_ && !data_->hasUrls()))
        return fail("no file list");
    if (localFiles().empty())
        return fail("no local file");
    error_ = "";
    return true;
}

bool vDropEvent::fileNames(str& text, const char16_t* separator) {
    if (!hasFiles())
        return false;
    for (const str& name : files_) {
        text.append(name);
        if (separator)
            text.append(separator);
    }
    return true;
}

bool vDropEvent::dragText(str& text) {
    if (!data_ || !data_->hasText())
        return fail("no text");
    text = qt::totext(data_->text());
    error_ = "";
    return true;
}

bool vDropEvent::readPointer(std::uintptr_t& value) {
    if (!data_ || !data_->hasFormat(QString::fromLatin1(pointer_mime_type)))
        return fail("no pointer");
    const QByteArray bytes = data_->data(QString::fromLatin1(pointer_mime_type));
    if (bytes.size() != static_cast<qsizetype>(sizeof(vPointerBlock)))
        return fail("pointer block of the wrong size");
    vPointerBlock block;
    std::memcpy(&block, bytes.constData(), sizeof block);
    if (block.process != static_cast<std::uint32_t>(getpid()))
        return fail("pointer from another process");
    if (!is_live(block))
        return fail("pointer of no running drag");
    value = static_cast<std::uintptr_t>(block.value);
    error_ = "";
    return true;
}

bool vDropEvent::fromThisProcess() {
    std::uintptr_t value = 0;
    return readPointer(value);
}

bool vDropEvent::hasNamedPointer(const char16_t* name) {
    str text;
    if (!dragText(text) || !fromThisProcess())
        return false;
    if (name && !text.equals(name))
        return fail("another name");
    return true;
}

bool vDropEvent::pointerValue(str& text, std::uintptr_t& value) {
    str name;
    std::uintptr_t found = 0;
    if (!dragText(name) || !readPointer(found))
        return false;
    text = name;
    value = found;
    return true;
}

// ---- dragging out ----

DWORD runItemDrag(void* item) {
    live_drags& d = drags();
    vPointerBlock block{};
    block.value = reinterpret_cast<std::uintptr_t>(item);
    block.process = static_cast<std::uint32_t>(getpid());
    {
        std::lock_guard hold(d.lock);
        block.serial = d.next++;
        d.running.push_back(block);
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(pointer_mime_type),
                  QByteArray(reinterpret_cast<const char*>(&block), sizeof block));
    data->setText(QStringLiteral("vListViewItem"));
    QDrag drag(QApplication::instance());
    drag.setMimeData(data);
    const Qt::DropAction done = drag.exec(Qt::MoveAction);
    {
        std::lock_guard hold(d.lock);
        for (auto it = d.running.begin(); it != d.running.end(); ++it) {
            if (it->serial == block.serial) {
                d.running.erase(it);
                break;
            }
        }
    }
    return done == Qt::MoveAction ? DROPEFFECT_MOVE : 0;
}

// ---- the widget's part ----

void vWidget::setAcceptDrops(bool on) {
    // Any call opens the way for item drags, whether or not the window takes drops itself.
    itemDrags_ = true;
    if (window_)
        qt::host_of(window_)->setAcceptDrops(on);
}

void vWidget::dragEnter(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->dragEnter(event); });
}

void vWidget::dragMove(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->dragMove(event); });
}

void vWidget::dragLeave(std::uintptr_t word) {
    if (!window_)
        return;
    std::vector<HWND> children;
    for (QObject* child : qt::host_of(window_)->children())
        if (auto* h = dynamic_cast<qt::host*>(child))
            children.push_back(qt::handle_of(h));
    for (HWND child : children)
        if (vWidget* widget = vWidget::fromWindow(child))
            widget->dragLeave(word);
}

void vWidget::drop(vDropEvent* event) {
    pass_to_children_under(window_, event, [event](vWidget* child) { child->drop(event); });
}

void vWidget::revokeDrops() {}

namespace qt {

// Enter makes the drag's event, moves update it, leave and drop end it. Qt is told the effect
// the handlers chose (within what the source allows); an entering drag is always let in, so
// that the moves that follow can still find a place that takes it.
bool deliver_drag(host& h, QEvent* e) {
    vWidget* w = h.widget;
    if (!w)
        return false;
    if (e->type() == QEvent::DragLeave) {
        delete h.drag;
        h.drag = nullptr;
        w->dragLeave(0);
        e->accept();
        return true;
    }
    auto* d = static_cast<QDropEvent*>(e);
    const DWORD allowed = effects_of(d->possibleActions());
    if (e->type() == QEvent::DragEnter || !h.drag) {
        delete h.drag;
        h.drag = new vDropEvent(d->mimeData(), allowed);
    }
    vDropEvent* event = h.drag;
    const QPoint screen = h.mapToGlobal(d->position().toPoint());
    event->point = POINTL{screen.x(), screen.y()};
    event->keyState = key_state(d->buttons(), d->modifiers());
    event->effect = allowed;
    switch (e->type()) {
    case QEvent::DragEnter:
        w->dragEnter(event);
        break;
    case QEvent::DragMove:
        w->dragMove(event);
        break;
    default:
        w->drop(event);
        break;
    }
    const DWORD effect = event->effect & allowed;
    if (e->type() == QEvent::Drop) {
        delete h.drag;
        h.drag = nullptr;
    }
    if (effect == 0 && e->type() != QEvent::DragEnter) {
        d->ignore();
        return true;
    }
    if (effect != 0)
        d->setDropAction(action_of(effect));
    d->accept();
    return true;
}

} // namespace qt

} // namespace vwin
