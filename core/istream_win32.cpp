#include "core/istream_win32.h"

#include <cstring>
#include <new>

namespace {

class store_stream final : public IStream {
public:
    store_stream(iostore* store, bool owns) : store_(store), owns_(owns) {}
    store_stream(const store_stream&) = delete;
    store_stream& operator=(const store_stream&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* bytes, ULONG count, ULONG* done) override {
        std::uint32_t n = 0;
        const bool ok = bytes && store_->read(bytes, count, &n);
        if (done)
            *done = n;
        return ok ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* bytes, ULONG count, ULONG* done) override {
        std::uint32_t n = 0;
        const bool ok = bytes && store_->write(bytes, count, &n);
        if (done)
            *done = n;
        return ok ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        std::int64_t base;
        switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<std::int64_t>(store_->position());
            break;
        case STREAM_SEEK_END:
            base = static_cast<std::int64_t>(store_->size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        const std::int64_t target = base + move.QuadPart;
        if (target < 0 || !store_->seek(static_cast<std::uint64_t>(target)))
            return STG_E_INVALIDFUNCTION;
        if (position)
            position->QuadPart = store_->position();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        if (!(flags & STATFLAG_NONAME)) {
            const str& name = store_->name();
            const std::size_t bytes = (static_cast<std::size_t>(name.length()) + 1) * 2;
            stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
            if (!stat->pwcsName)
                return STG_E_INSUFFICIENTMEMORY;
            std::memcpy(stat->pwcsName, name.c_str(), bytes);
        }
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = store_->size();
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        stat->mtime = stat->ctime = stat->atime = now;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }

private:
    ~store_stream() {
        if (owns_)
            delete store_;
    }

    iostore* store_;
    bool owns_;
    LONG refs_ = 1;
};

} // namespace

IStream* istream_of(iostore* store, bool owns) {
    if (!store)
        return nullptr;
    return new (std::nothrow) store_stream(store, owns);
}
