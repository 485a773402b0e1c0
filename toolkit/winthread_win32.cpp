#include "toolkit/winthread.h"

#include <objbase.h>
#include <pthread.h>
#include <type_traits>
#include <windows.h>

namespace {
// The Win32 handle behind a std::thread: the native handle itself with MSVC, the handle of the
// winpthreads thread with mingw-w64.
template <class N> HANDLE win32_handle(N native) {
    if constexpr (std::is_pointer_v<N>)
        return static_cast<HANDLE>(native);
    else
        return pthread_gethandle(native);
}
} // namespace

bool winthread::kill_thread(std::thread& thread) {
    HANDLE handle = win32_handle(thread.native_handle());
    if (!handle || !TerminateThread(handle, 0xFFFFFFFFu))
        return false;
    WaitForSingleObject(handle, INFINITE);
    thread.detach();
    return true;
}

// The thread joins the multithreaded apartment; it is never left on this thread.
void winthread::begin_thread() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
}
