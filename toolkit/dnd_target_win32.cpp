// The drop target of a widget: the platform's four calls become one vDropEvent per drag, handed
// to the widget's drag handlers.

#include "toolkit/dnd.h"
#include "toolkit/widget.h"

#include <new>

namespace vwin {

namespace {

// Keeps the target alive while a platform call runs and counts the calls in progress; the events
// retired meanwhile are deleted when the outermost call returns.
class handler_call {
public:
    handler_call(vDropTarget* target, int& depth, alist<vDropEvent>& retired)
        : target_(target), depth_(depth), retired_(retired) {
        target_->AddRef();
        ++depth_;
    }
    handler_call(const handler_call&) = delete;
    handler_call& operator=(const handler_call&) = delete;
    ~handler_call() {
        if (--depth_ == 0)
            retired_.clear();
        target_->Release();
    }

private:
    vDropTarget* target_;
    int& depth_;
    alist<vDropEvent>& retired_;
};

} // namespace

vDropTarget::vDropTarget(vWidget* widget) : widget_(widget) {}

vDropTarget::~vDropTarget() {
    delete event_;
}

bool vDropTarget::registerWindow(HWND window) {
    if (registered_ || !widget_ || !window) {
        result_ = E_INVALIDARG;
        return false;
    }
    if (!oleInitialised_) {
        result_ = OleInitialize(nullptr);
        if (FAILED(result_))
            return false;
        oleInitialised_ = true;
    }
    result_ = RegisterDragDrop(window, this);
    if (FAILED(result_))
        return false;
    registered_ = true;
    window_ = window;
    return true;
}

void vDropTarget::revoke() {
    widget_ = nullptr;
    if (registered_) {
        RevokeDragDrop(window_);
        registered_ = false;
    }
    if (oleInitialised_) {
        OleUninitialize();
        oleInitialised_ = false;
    }
}

void vDropTarget::retire(vDropEvent* event) {
    if (!event)
        return;
    if (event == event_)
        event_ = nullptr;
    // A handler may still hold the event (a nested drag call while it runs a message loop).
    if (calling_ > 0)
        retired_.push(event);
    else
        delete event;
}

HRESULT vDropTarget::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG vDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG vDropTarget::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT vDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    handler_call call(this, calling_, retired_);
    retire(event_);
    if (!widget_)
        return S_OK;
    auto* event = new (std::nothrow) vDropEvent(data, allowed);
    if (!event)
        return S_OK;
    event->keyState = keys;
    event->point = point;
    event_ = event;
    widget_->dragEnter(event);
    *effect = event->effect & allowed;
    return S_OK;
}

HRESULT vDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    if (!event_ || !widget_)
        return S_OK;
    handler_call call(this, calling_, retired_);
    vDropEvent* event = event_;
    event->keyState = keys;
    event->point = point;
    widget_->dragMove(event);
    *effect = event->effect & allowed;
    return S_OK;
}

HRESULT vDropTarget::DragLeave() {
    if (!event_)
        return S_OK;
    handler_call call(this, calling_, retired_);
    vDropEvent* event = event_;
    if (widget_)
        widget_->dragLeave(0);
    retire(event);
    return S_OK;
}

HRESULT vDropTarget::Drop(IDataObject*, DWORD keys, POINTL point, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    if (!event_)
        return S_OK;
    handler_call call(this, calling_, retired_);
    vDropEvent* event = event_;
    if (widget_) {
        event->keyState = keys;
        event->point = point;
        widget_->drop(event);
        *effect = event->effect & allowed;
    }
    retire(event);
    return S_OK;
}

} // namespace vwin
