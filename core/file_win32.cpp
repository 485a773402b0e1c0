#include "core/stream.h"

#include <windows.h>

struct file::impl {
    HANDLE handle = nullptr; // null when closed
    HANDLE event = nullptr;  // completion event of overlapped calls
    OVERLAPPED ov{};
};

namespace {

constexpr DWORD access_rw = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD share_rw = FILE_SHARE_READ | FILE_SHARE_WRITE;

const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

HANDLE open_handle(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    HANDLE h = CreateFileW(name, access, share, nullptr, disposition, flags, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

} // namespace

file::file(const char16_t* name, std::uint32_t creation, bool overlapped)
    : impl_(new (std::nothrow) impl), creation_(creation), overlapped_(overlapped),
      text_marked_((creation & creation_text_mark) != 0) {
    if (name)
        name_.assign(name);
    // An unnamed auto-reset event, initially unsignalled.
    if (impl_ && overlapped_)
        impl_->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

file::~file() {
    close();
    if (impl_ && impl_->event)
        CloseHandle(impl_->event);
    delete impl_;
}

bool file::is_open() const {
    return impl_ && impl_->handle;
}

void file::close() {
    if (is_open()) {
        CancelIo(impl_->handle);
        CloseHandle(impl_->handle);
        impl_->handle = nullptr;
    }
    size_ = position_ = 0;
}

namespace {

// Moves the file pointer of a synchronous handle.
bool set_pointer(HANDLE h, std::uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

// One ReadFile/WriteFile at the position; overlapped calls are completed by waiting.
template <class Call>
bool transfer(HANDLE h, bool overlapped, OVERLAPPED& ov, HANDLE event, std::uint64_t position,
              DWORD& moved, Call call) {
    moved = 0;
    if (!overlapped)
        return call(&moved, nullptr) != 0;
    ov = OVERLAPPED{};
    ov.Offset = static_cast<DWORD>(position);
    ov.OffsetHigh = static_cast<DWORD>(position >> 32);
    ov.hEvent = event;
    if (call(nullptr, &ov) || GetLastError() == ERROR_IO_PENDING)
        return GetOverlappedResult(h, &ov, &moved, TRUE) != 0;
    return false;
}

} // namespace

bool file::open(const char16_t* name) {
    close();
    if (name)
        name_.assign(name);
    text_marked_ = false;
    if (!impl_ || name_.empty() || (overlapped_ && !impl_->event))
        return false;
    const wchar_t* path = wide(name_);
    // A folder is never a file (and must not have its attributes reset below).
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;

    const DWORD disposition = creation_ & ~creation_text_mark;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return false;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (overlapped_ ? FILE_FLAG_OVERLAPPED : 0);
    HANDLE h = open_handle(path, access_rw, share_rw, disposition, flags);
    if (!h) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return false;
        const DWORD fallback = (flags & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (disposition == CREATE_NEW) {
            h = open_handle(path, GENERIC_WRITE, 0, CREATE_NEW, fallback);
        } else {
            if (disposition == CREATE_ALWAYS && SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL))
                h = open_handle(path, access_rw, share_rw, disposition, flags);
            if (!h)
                h = open_handle(path, GENERIC_READ, share_rw, OPEN_EXISTING, fallback);
        }
        if (!h)
            return false;
    }
    impl_->handle = h;
    return settle_text_mark();
}

bool file::read(void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (!is_open() || count == 0)
        return false;
    HANDLE h = impl_->handle;
    DWORD got = 0;
    const bool ok =
        transfer(h, overlapped_, impl_->ov, impl_->event, position_, got,
                 [&](DWORD* n, OVERLAPPED* ov) { return ReadFile(h, bytes, count, n, ov); });
    advance(got);
    if (done)
        *done = got;
    return ok && got != 0; // 0 bytes: the end of the file
}

bool file::write(const void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (!is_open() || count == 0)
        return false;
    HANDLE h = impl_->handle;
    DWORD put = 0;
    const bool ok =
        transfer(h, overlapped_, impl_->ov, impl_->event, position_, put,
                 [&](DWORD* n, OVERLAPPED* ov) { return WriteFile(h, bytes, count, n, ov); });
    advance(put);
    if (done)
        *done = put;
    return ok && put == count; // a short write (disk full) is a failure
}

bool file::truncate() {
    if (!is_open())
        return false;
    if (!set_pointer(impl_->handle, position_) || !SetEndOfFile(impl_->handle))
        return false;
    size_ = position_;
    return true;
}

bool file::seek(std::uint64_t position) {
    if (!is_open() || position > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    if (!overlapped_ && !set_pointer(impl_->handle, position))
        return false;
    position_ = position;
    return true;
}

bool file::flush() {
    return is_open() && FlushFileBuffers(impl_->handle);
}

bool file::exists() const {
    return !name_.empty() && GetFileAttributesW(wide(name_)) != INVALID_FILE_ATTRIBUTES;
}

bool file::creation_time(timestamp& out) const {
    FILETIME created{};
    if (!is_open() || !GetFileTime(impl_->handle, &created, nullptr, nullptr))
        return false;
    out.filetime =
        (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    out.fill_fields();
    return true;
}

bool file::refresh_size() {
    LARGE_INTEGER size{};
    if (!is_open() || !GetFileSizeEx(impl_->handle, &size))
        return false;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}
