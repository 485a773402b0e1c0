#include <windows.h>

#include "toolkit/thread_event.h"

struct thread_event::impl {
    HANDLE handle;
    bool manual;
};

thread_event::thread_event(bool manual_reset, bool initially_set)
    : impl_(new impl{CreateEventW(nullptr, manual_reset, initially_set, nullptr), manual_reset}) {}

thread_event::~thread_event() {
    if (impl_->handle)
        CloseHandle(impl_->handle);
}

void thread_event::set() {
    SetEvent(impl_->handle);
}

void thread_event::reset() {
    ResetEvent(impl_->handle);
}

bool thread_event::is_set() const {
    if (WaitForSingleObject(impl_->handle, 0) != WAIT_OBJECT_0)
        return false;
    // The look consumed an auto-reset event: put the signal back.
    if (!impl_->manual)
        SetEvent(impl_->handle);
    return true;
}

bool thread_event::wait(std::uint32_t timeout_ms) {
    return WaitForSingleObject(impl_->handle, timeout_ms) == WAIT_OBJECT_0;
}

int thread_event::wait_any(thread_event* const* events, int count, std::uint32_t timeout_ms) {
    if (count <= 0 || count > MAXIMUM_WAIT_OBJECTS)
        return -1;
    HANDLE handles[MAXIMUM_WAIT_OBJECTS];
    for (int i = 0; i < count; ++i)
        handles[i] = events[i] ? events[i]->impl_->handle : nullptr;
    const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, timeout_ms);
    if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + static_cast<DWORD>(count))
        return static_cast<int>(r - WAIT_OBJECT_0);
    return -1;
}
