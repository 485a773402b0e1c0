#pragma once
// Drag and drop through the platform's OLE interfaces. A widget that accepts drops registers a
// vDropTarget for its window (vWidget::setAcceptDrops); the target turns the four drop-target
// calls into one vDropEvent per drag, handed to the widget's dragEnter, dragMove, dragLeave and
// drop. Handlers read the dragged data through the event: file names dropped from the desktop
// shell, text, or a named pointer dragged inside this process. For dragging out there is a data
// object carrying a named pointer (vPointerDrag) and a drop source (vDropSource).
//
// Everything here runs on the user-interface thread that registered the target or started the
// drag; the platform delivers its calls there while it handles messages.

#include <windows.h>

#include <ole2.h>

#include <cstdint>

#include "core/alist.h"
#include "core/str.h"

namespace vwin {

class vWidget;

// The clipboard format of a dragged pointer: registered once per session under a fixed name, so
// no other program's private format can be mistaken for it. Its block is a vPointerBlock.
UINT pointerFormat();

// The global memory block of the pointer format, exactly this size. The value is widened to 64
// bits so one layout serves 32- and 64-bit builds. A receiver acts on a pointer only when the
// process id is its own and the serial names a vPointerDrag of this process that is still alive
// and holds that very value: a block from another process, or one left over from an ended drag,
// is never taken for an address.
struct vPointerBlock {
    std::uint64_t value;    // the pointer
    std::uint64_t serial;   // number of the vPointerDrag that made the block, unique in its process
    std::uint32_t process;  // id of the process that started the drag
    std::uint32_t reserved; // 0
};
static_assert(sizeof(vPointerBlock) == 24, "the pointer block has a fixed layout");

// Holds one reference to the dragged data object (null allowed: then no data is offered).
class vDropObject {
public:
    explicit vDropObject(IDataObject* data);
    vDropObject(const vDropObject&) = delete;
    vDropObject& operator=(const vDropObject&) = delete;
    virtual ~vDropObject();

    IDataObject* data() const { return data_; }

protected:
    IDataObject* data_ = nullptr;
};

// One drag over one widget, from entering until leaving or dropping. Handlers set `effect`; the
// target answers it to the platform, limited to the effects the source allows.
class vDropEvent : public vDropObject {
public:
    // `allowed`: the effects the drag source allows (DROPEFFECT_* bits); `effect` starts with them.
    vDropEvent(IDataObject* data, DWORD allowed);

    POINTL point{};     // pointer position, screen coordinates
    DWORD keyState = 0; // MK_* mouse-button and modifier bits
    DWORD effect = 0;   // the answer: 0 none, 1 copy, 2 move (DROPEFFECT_*)

    DWORD allowed() const { return allowed_; }

    void accept() { effect = DROPEFFECT_COPY; }
    void acceptMove() { effect = DROPEFFECT_MOVE; }
    void refuse() { effect = DROPEFFECT_NONE; }

    // The data offers a file list (CF_HDROP in global memory).
    bool hasFiles();
    // Appends every dropped file name followed by `separator` (null: nothing) to `text`. Wide and
    // 8-bit lists are read (8-bit names one byte per character); the list's offset and every name
    // must lie inside the block (GlobalSize), since the block may come from another process.
    // False, with `text` unchanged, when there is no list or it is malformed.
    bool fileNames(str& text, const char16_t* separator);
    // Replaces `text` with the dragged text: wide text, else 8-bit text, else OEM text, the first
    // format the data offers. Read up to the first zero or the end of the block. False, `text`
    // unchanged, when no text can be fetched.
    bool dragText(str& text);
    // The data offers the pointer format and 8-bit text, the pointer was dragged inside this
    // process (fromThisProcess) and, when `name` is given, the text equals it (case-sensitive).
    bool hasNamedPointer(const char16_t* name);
    // dragText into `text`, then the pointer. False when either cannot be fetched or the pointer
    // did not come from a live drag of this process; `value` is then left as it was.
    bool pointerValue(str& text, std::uintptr_t& value);
    // The pointer block is well formed and was made by a vPointerDrag of this process that still
    // exists (see vPointerBlock).
    bool fromThisProcess();

    // Why the last query above answered false (a fixed text; "" after a true answer).
    const char* lastError() const { return error_; }

private:
    bool fail(const char* why) {
        error_ = why;
        return false;
    }
    bool readPointer(std::uintptr_t& value);

    DWORD allowed_ = 0;
    const char* error_ = "";
};

// The drop target of one widget's window. Created with one reference (the widget's);
// RegisterDragDrop adds the platform's. The target forwards nothing once revoked, even while the
// platform still holds it, and is deleted when the last reference goes.
class vDropTarget final : public IDropTarget {
public:
    explicit vDropTarget(vWidget* widget);
    vDropTarget(const vDropTarget&) = delete;
    vDropTarget& operator=(const vDropTarget&) = delete;

    // Initialises OLE for the calling thread and registers for `window`. False when either fails
    // (result() tells the platform's answer); the target then stays unregistered.
    bool registerWindow(HWND window);
    // Revokes the registration (the window handle may already be gone), balances the OLE
    // initialisation and forgets the widget. Safe to call twice.
    void revoke();

    vWidget* widget() const { return widget_; }
    HWND window() const { return window_; }
    vDropEvent* event() const { return event_; } // the drag now over the widget, or null
    HRESULT result() const { return result_; }

    // IUnknown: answers IUnknown and IDropTarget.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDropTarget. All answer S_OK (E_INVALIDARG for a null effect). Over and drop without a
    // preceding enter call no handler and answer no effect.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

private:
    ~vDropTarget();
    void retire(vDropEvent* event); // deletes now, or after the outermost handler call returns

    LONG refs_ = 1;
    vWidget* widget_ = nullptr;          // null once revoked
    HWND window_ = nullptr;              // the registered window
    vDropEvent* event_ = nullptr;        // owned
    alist<vDropEvent> retired_{0, true}; // events ended while a handler was running
    int calling_ = 0;                    // depth of handler calls in progress
    bool registered_ = false;
    bool oleInitialised_ = false;
    HRESULT result_ = S_OK;
};

// A data object that offers nothing: reference count starting at 1, queries answered for
// IUnknown and IDataObject, every data operation E_NOTIMPL. Deleted when the count drops to 0.
class vDataObject : public IDataObject {
public:
    vDataObject() = default;
    vDataObject(const vDataObject&) = delete;
    vDataObject& operator=(const vDataObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;

protected:
    virtual ~vDataObject() = default;

private:
    LONG refs_ = 1;
};

// Data carrying a named pointer: the pointer format (a vPointerBlock) and the name as 8-bit text
// (CF_TEXT), both in global memory only.
class vPointerDrag : public vDataObject {
public:
    vPointerDrag(const char16_t* name, std::uintptr_t value);

    const str& name() const { return name_; }
    std::uintptr_t value() const { return value_; }
    std::uint64_t serial() const { return serial_; }

    // S_OK for TYMED_HGLOBAL with the pointer format or CF_TEXT, else S_FALSE.
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    // DV_E_TYMED without TYMED_HGLOBAL, DV_E_FORMATETC for another format, STG_E_MEDIUMFULL when
    // the block cannot be allocated. The medium has no release object.
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    // A new vEnumFormat: the pointer format, then CF_TEXT (DATADIR_GET only).
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

    // A block made by a vPointerDrag of this process that still exists and holds the block's value.
    static bool isLive(const vPointerBlock& block);

protected:
    ~vPointerDrag() override;

private:
    str name_;
    std::uintptr_t value_ = 0;
    std::uint64_t serial_ = 0;
};

// A format enumerator over its own list of records (owning, initial capacity 16). Reference count
// starting at 1, read position starting at 0.
class vEnumFormat final : public IEnumFORMATETC, public alist<FORMATETC> {
public:
    vEnumFormat();
    vEnumFormat(const vEnumFormat&) = delete;
    vEnumFormat& operator=(const vEnumFormat&) = delete;

    // Appends a record for the content aspect, index -1.
    bool add(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL);
    unsigned position() const { return position_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Copies up to `count` records from the position onwards; S_FALSE when fewer were left.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* records, ULONG* fetched) override;
    // Advances the position (never past the end); S_FALSE when fewer were left.
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override; // E_NOTIMPL

private:
    ~vEnumFormat();

    LONG refs_ = 1;
    unsigned position_ = 0;
};

// The drop source of one drag; it lives on the stack while the platform's drag loop runs, so
// its reference counting does nothing.
class vDropSource final : public IDropSource {
public:
    vDropSource() = default;
    vDropSource(const vDropSource&) = delete;
    vDropSource& operator=(const vDropSource&) = delete;

    // Runs the platform's drag loop with `data`, allowing the one effect, and answers the effect
    // the target chose (0 when the drag was cancelled or failed; result() tells which).
    DWORD dragCopy(IDataObject* data) { return run(data, DROPEFFECT_COPY); }
    DWORD dragMove(IDataObject* data) { return run(data, DROPEFFECT_MOVE); }
    DWORD dragLink(IDataObject* data) { return run(data, DROPEFFECT_LINK); }
    DWORD run(IDataObject* data, DWORD allowed);

    // DoDragDrop's answer of the last run: DRAGDROP_S_DROP, DRAGDROP_S_CANCEL or a failure.
    HRESULT result() const { return result_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // DRAGDROP_S_CANCEL after Escape; S_OK while the left, right or middle button is held;
    // DRAGDROP_S_DROP once all are released.
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override; // default cursors

private:
    HRESULT result_ = S_OK;
};

// Drags a list item inside the program: a vPointerDrag named "vListViewItem" holding the item's
// address, move allowed. Answers the effect of the drop (0 when cancelled).
DWORD runItemDrag(void* item);

} // namespace vwin
