#pragma once
// A data object for drag-and-drop tests: offers whatever byte blocks a test gives it, each in
// global memory of exactly that size, as another program's drag would.

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dnd_test {

using bytes = std::vector<unsigned char>;

class fake_data final : public IDataObject {
public:
    // Starts with one reference, the caller's.
    fake_data() = default;

    void offer(UINT format, bytes block) { blocks_[format] = std::move(block); }
    // The format is announced by QueryGetData but GetData fails.
    void break_delivery(UINT format) { broken_.insert(format); }
    int fetches() const { return fetches_; }
    LONG references() const { return refs_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
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
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format)
            return E_POINTER;
        if (!(format->tymed & TYMED_HGLOBAL) || !blocks_.count(format->cfFormat))
            return S_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium)
            return E_POINTER;
        ++fetches_;
        auto found = blocks_.find(format->cfFormat);
        if (found == blocks_.end())
            return DV_E_FORMATETC;
        if (broken_.count(format->cfFormat))
            return E_UNEXPECTED;
        const bytes& block = found->second;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
        if (!memory)
            return STG_E_MEDIUMFULL;
        if (!block.empty()) {
            std::memcpy(GlobalLock(memory), block.data(), block.size());
            GlobalUnlock(memory);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    ~fake_data() = default;

    LONG refs_ = 1;
    int fetches_ = 0;
    std::map<UINT, bytes> blocks_;
    std::set<UINT> broken_;
};

// Holds one reference and releases it at the end of the test.
struct data_ref {
    fake_data* data = new fake_data();
    data_ref() = default;
    data_ref(const data_ref&) = delete;
    data_ref& operator=(const data_ref&) = delete;
    ~data_ref() { data->Release(); }
    fake_data* operator->() const { return data; }
};

// A DROPFILES block: the header, then the names (each zero-terminated) and the closing zero.
inline bytes drop_files(const std::vector<std::u16string>& names) {
    bytes block(sizeof(DROPFILES));
    DROPFILES head{};
    head.pFiles = sizeof(DROPFILES);
    head.fWide = TRUE;
    std::memcpy(block.data(), &head, sizeof head);
    auto put = [&block](char16_t ch) {
        block.push_back(static_cast<unsigned char>(ch & 0xFF));
        block.push_back(static_cast<unsigned char>(ch >> 8));
    };
    for (const std::u16string& name : names) {
        for (char16_t ch : name)
            put(ch);
        put(0);
    }
    put(0);
    return block;
}

// The same with 8-bit names.
inline bytes drop_files8(const std::vector<std::string>& names) {
    bytes block(sizeof(DROPFILES));
    DROPFILES head{};
    head.pFiles = sizeof(DROPFILES);
    head.fWide = FALSE;
    std::memcpy(block.data(), &head, sizeof head);
    for (const std::string& name : names) {
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

// Text blocks with their terminating zero.
inline bytes text8(const std::string& text) {
    bytes block(text.begin(), text.end());
    block.push_back(0);
    return block;
}

inline bytes text16(const std::u16string& text) {
    bytes block;
    for (char16_t ch : text) {
        block.push_back(static_cast<unsigned char>(ch & 0xFF));
        block.push_back(static_cast<unsigned char>(ch >> 8));
    }
    block.push_back(0);
    block.push_back(0);
    return block;
}

} // namespace dnd_test
