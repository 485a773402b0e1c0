// The drop event: what a handler reads from the dragged data. Every block comes from the drag
// source, possibly another process, so each read stays inside the block's GlobalSize.

#include "toolkit/dnd.h"

#include <shlobj.h>

#include <cstring>

namespace vwin {

namespace {

FORMATETC global_format(UINT format) {
    return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool offers(IDataObject* data, UINT format) {
    if (!data)
        return false;
    FORMATETC query = global_format(format);
    return data->QueryGetData(&query) == S_OK;
}

// One fetched global block, locked for reading; unlocked and released when it goes.
class fetched_block {
public:
    fetched_block(IDataObject* data, UINT format) {
        if (!data)
            return;
        FORMATETC query = global_format(format);
        if (data->GetData(&query, &medium_) != S_OK)
            return;
        fetched_ = true;
        if (medium_.tymed != TYMED_HGLOBAL || !medium_.hGlobal)
            return;
        size_ = GlobalSize(medium_.hGlobal);
        bytes_ = static_cast<const unsigned char*>(GlobalLock(medium_.hGlobal));
    }
    fetched_block(const fetched_block&) = delete;
    fetched_block& operator=(const fetched_block&) = delete;
    ~fetched_block() {
        if (bytes_)
            GlobalUnlock(medium_.hGlobal);
        if (fetched_)
            ReleaseStgMedium(&medium_);
    }

    // Null when the data could not be fetched as a readable global block.
    const unsigned char* bytes() const { return bytes_; }
    std::size_t size() const { return bytes_ ? size_ : 0; }

private:
    STGMEDIUM medium_{};
    bool fetched_ = false;
    const unsigned char* bytes_ = nullptr;
    std::size_t size_ = 0;
};

char16_t wide_at(const unsigned char* bytes, std::size_t offset) {
    char16_t unit;
    std::memcpy(&unit, bytes + offset, sizeof unit); // names need not be aligned
    return unit;
}

// Reads the zero-terminated names of a file list starting at `offset`, each followed by the
// separator. False when a name or the list's closing zero lies outside the block.
bool read_names(const unsigned char* bytes, std::size_t size, std::size_t offset, bool wide,
                const char16_t* separator, str& names) {
    const std::size_t unit = wide ? 2 : 1;
    for (;;) {
        if (offset > size || size - offset < unit)
            return false; // the list ends outside the block
        const char16_t first = wide ? wide_at(bytes, offset) : bytes[offset];
        if (first == 0)
            return true; // the empty name closing the list
        for (;;) {
            if (size - offset < unit)
                return false; // the name runs past the block
            const char16_t ch = wide ? wide_at(bytes, offset) : bytes[offset];
            offset += unit;
            if (ch == 0)
                break;
            names.append(ch);
        }
        names.append(separator ? separator : u"");
    }
}

} // namespace

// vDropObject

vDropObject::vDropObject(IDataObject* data) : data_(data) {
    if (data_)
        data_->AddRef();
}

vDropObject::~vDropObject() {
    if (data_)
        data_->Release();
}

// vDropEvent

vDropEvent::vDropEvent(IDataObject* data, DWORD allowed)
    : vDropObject(data), effect(allowed), allowed_(allowed) {}

bool vDropEvent::hasFiles() {
    if (!offers(data_, CF_HDROP))
        return fail("the data offers no file list");
    error_ = "";
    return true;
}

bool vDropEvent::fileNames(str& text, const char16_t* separator) {
    if (!offers(data_, CF_HDROP))
        return fail("the data offers no file list");
    fetched_block block(data_, CF_HDROP);
    if (!block.bytes())
        return fail("the file list cannot be fetched");
    if (block.size() < sizeof(DROPFILES))
        return fail("the file list block is too small");
    DROPFILES head;
    std::memcpy(&head, block.bytes(), sizeof head);
    str names;
    if (!read_names(block.bytes(), block.size(), head.pFiles, head.fWide != FALSE, separator,
                    names))
        return fail("the file list runs past its block");
    text.append(names);
    error_ = "";
    return true;
}

bool vDropEvent::dragText(str& text) {
    static const UINT formats[] = {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT};
    for (const UINT format : formats) {
        if (!offers(data_, format))
            continue;
        fetched_block block(data_, format);
        if (!block.bytes())
            return fail("the text cannot be fetched");
        str read;
        if (format == CF_UNICODETEXT) {
            for (std::size_t at = 0; block.size() - at >= 2; at += 2) {
                const char16_t ch = wide_at(block.bytes(), at);
                if (ch == 0)
                    break;
                read.append(ch);
            }
        } else {
            const void* end = std::memchr(block.bytes(), 0, block.size());
            const std::size_t n =
                end ? static_cast<const unsigned char*>(end) - block.bytes() : block.size();
            for (std::size_t i = 0; i < n; ++i)
                read.append(static_cast<char16_t>(block.bytes()[i]));
        }
        text = read;
        error_ = "";
        return true;
    }
    return fail("the data offers no text");
}

bool vDropEvent::readPointer(std::uintptr_t& value) {
    if (!offers(data_, pointerFormat()))
        return fail("the data offers no pointer");
    fetched_block block(data_, pointerFormat());
    if (!block.bytes())
        return fail("the pointer cannot be fetched");
    if (block.size() != sizeof(vPointerBlock))
        return fail("the pointer block has the wrong size");
    vPointerBlock pointer;
    std::memcpy(&pointer, block.bytes(), sizeof pointer);
    if (pointer.process != GetCurrentProcessId())
        return fail("the pointer was dragged from another process");
    if (!vPointerDrag::isLive(pointer))
        return fail("the pointer belongs to no drag of this process");
    value = static_cast<std::uintptr_t>(pointer.value);
    error_ = "";
    return true;
}

bool vDropEvent::fromThisProcess() {
    std::uintptr_t value = 0;
    return readPointer(value);
}

bool vDropEvent::hasNamedPointer(const char16_t* name) {
    if (!offers(data_, pointerFormat()) || !offers(data_, CF_TEXT))
        return fail("the data offers no named pointer");
    if (name) {
        str text;
        if (!dragText(text))
            return false;
        if (!text.equals(name, true))
            return fail("the pointer has another name");
    }
    return fromThisProcess();
}

bool vDropEvent::pointerValue(str& text, std::uintptr_t& value) {
    str read;
    if (!dragText(read))
        return false;
    text = read;
    return readPointer(value);
}

} // namespace vwin
