// Data objects for dragging out: the empty base, the named pointer and the format enumerator.

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "toolkit/dnd.h"

namespace vwin {

namespace {

// The vPointerDrag objects alive in this process, for telling a genuine pointer block from a
// forged or stale one.
struct live_drags {
    std::mutex lock;
    std::vector<const vPointerDrag*> drags; // guarded by lock
    std::uint64_t next_serial = 1;          // guarded by lock
};

live_drags& live() {
    static live_drags registry;
    return registry;
}

bool wants_global(const FORMATETC* format) {
    return (format->tymed & TYMED_HGLOBAL) != 0;
}

// A movable global block holding a copy of `bytes`; null when it cannot be had.
HGLOBAL global_copy(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);
    return block;
}

} // namespace

UINT pointerFormat() {
    static const UINT format = [] {
        const UINT registered = RegisterClipboardFormatW(L"vwin.PointerDrag");
        // Registration fails only when the session's atom table is full; the first private
        // format then serves, as the pointer block's own checks still apply.
        return registered ? registered : static_cast<UINT>(CF_PRIVATEFIRST);
    }();
    return format;
}

// vDataObject

HRESULT vDataObject::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *out = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG vDataObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG vDataObject::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT vDataObject::GetData(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}
HRESULT vDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}
HRESULT vDataObject::QueryGetData(FORMATETC*) {
    return E_NOTIMPL;
}
HRESULT vDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
    return E_NOTIMPL;
}
HRESULT vDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}
HRESULT vDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**) {
    return E_NOTIMPL;
}
HRESULT vDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return E_NOTIMPL;
}
HRESULT vDataObject::DUnadvise(DWORD) {
    return E_NOTIMPL;
}
HRESULT vDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return E_NOTIMPL;
}

// vPointerDrag

vPointerDrag::vPointerDrag(const char16_t* name, std::uintptr_t value)
    : name_(name ? name : u""), value_(value) {
    live_drags& registry = live();
    std::lock_guard<std::mutex> hold(registry.lock);
    serial_ = registry.next_serial++;
    registry.drags.push_back(this);
}

vPointerDrag::~vPointerDrag() {
    live_drags& registry = live();
    std::lock_guard<std::mutex> hold(registry.lock);
    std::erase(registry.drags, this);
}

bool vPointerDrag::isLive(const vPointerBlock& block) {
    if (block.process != GetCurrentProcessId() || block.reserved != 0)
        return false;
    live_drags& registry = live();
    std::lock_guard<std::mutex> hold(registry.lock);
    for (const vPointerDrag* drag : registry.drags) {
        if (drag->serial_ == block.serial)
            return static_cast<std::uint64_t>(drag->value_) == block.value;
    }
    return false;
}

HRESULT vPointerDrag::QueryGetData(FORMATETC* format) {
    if (!format)
        return E_POINTER;
    if (wants_global(format) &&
        (format->cfFormat == pointerFormat() || format->cfFormat == CF_TEXT))
        return S_OK;
    return S_FALSE;
}

HRESULT vPointerDrag::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium)
        return E_POINTER;
    if (!wants_global(format))
        return DV_E_TYMED;
    HGLOBAL block = nullptr;
    if (format->cfFormat == pointerFormat()) {
        vPointerBlock pointer{};
        pointer.value = static_cast<std::uint64_t>(value_);
        pointer.serial = serial_;
        pointer.process = GetCurrentProcessId();
        block = global_copy(&pointer, sizeof pointer);
    } else if (format->cfFormat == CF_TEXT) {
        const char* text = name_.narrow();
        block = global_copy(text, std::strlen(text) + 1);
    } else {
        return DV_E_FORMATETC;
    }
    if (!block)
        return STG_E_MEDIUMFULL;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT vPointerDrag::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    auto* formats = new (std::nothrow) vEnumFormat();
    if (!formats)
        return E_OUTOFMEMORY;
    if (!formats->add(static_cast<CLIPFORMAT>(pointerFormat())) || !formats->add(CF_TEXT)) {
        formats->Release();
        return E_OUTOFMEMORY;
    }
    *out = formats;
    return S_OK;
}

// vEnumFormat

vEnumFormat::vEnumFormat() : alist<FORMATETC>(16, true) {}

vEnumFormat::~vEnumFormat() = default;

bool vEnumFormat::add(CLIPFORMAT format, DWORD tymed) {
    auto* record = new (std::nothrow) FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, tymed};
    if (!record)
        return false;
    if (push(record))
        return true;
    delete record;
    return false;
}

HRESULT vEnumFormat::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumFORMATETC) {
        *out = static_cast<IEnumFORMATETC*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG vEnumFormat::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG vEnumFormat::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT vEnumFormat::Next(ULONG count, FORMATETC* records, ULONG* fetched) {
    if (fetched)
        *fetched = 0;
    if (!records)
        return E_POINTER;
    ULONG copied = 0;
    while (copied < count && position_ < this->count()) {
        records[copied] = *get(position_);
        // The records hold no target device, so there is nothing to duplicate for the caller.
        records[copied].ptd = nullptr;
        ++copied;
        ++position_;
    }
    if (fetched)
        *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

HRESULT vEnumFormat::Skip(ULONG count) {
    const unsigned left = this->count() - position_;
    if (count > left) {
        position_ = this->count();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT vEnumFormat::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT vEnumFormat::Clone(IEnumFORMATETC** out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

} // namespace vwin
