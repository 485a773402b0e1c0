// The drop source and the item drag of the list view.

#include <new>

#include "toolkit/dnd.h"

namespace vwin {

HRESULT vDropSource::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
        *out = static_cast<IDropSource*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT vDropSource::QueryContinueDrag(BOOL escape, DWORD keys) {
    if (escape)
        return DRAGDROP_S_CANCEL;
    if (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))
        return S_OK;
    return DRAGDROP_S_DROP;
}

HRESULT vDropSource::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

DWORD vDropSource::run(IDataObject* data, DWORD allowed) {
    if (!data) {
        result_ = E_INVALIDARG;
        return DROPEFFECT_NONE;
    }
    // The drag loop needs OLE on this thread; the count is balanced afterwards.
    const HRESULT ole = OleInitialize(nullptr);
    DWORD effect = DROPEFFECT_NONE;
    result_ = DoDragDrop(data, this, allowed, &effect);
    if (SUCCEEDED(ole))
        OleUninitialize();
    return result_ == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

DWORD runItemDrag(void* item) {
    auto* drag =
        new (std::nothrow) vPointerDrag(u"vListViewItem", reinterpret_cast<std::uintptr_t>(item));
    if (!drag)
        return DROPEFFECT_NONE;
    vDropSource source;
    const DWORD effect = source.dragMove(drag);
    drag->Release();
    return effect;
}

} // namespace vwin
