#include "tests/support/gui_pump.h"

#include <windows.h>

namespace {

// Dispatches what is queued; false when WM_QUIT was met (it is posted again for the caller).
bool dispatch_queued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

} // namespace

void pump_pending() {
    dispatch_queued();
}

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(timeout_ms < 0 ? 0 : timeout_ms);
    for (;;) {
        if (!dispatch_queued())
            return done();
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        // Sleep until a message arrives or a short slice passes: conditions set by other
        // threads are polled at least every 10 ms.
        DWORD wait = static_cast<DWORD>(deadline - now);
        if (wait > 10)
            wait = 10;
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

desktop_lock::desktop_lock() : mutex_(CreateMutexW(nullptr, FALSE, L"OrvelTestDesktopPointer")) {
    if (!mutex_)
        return;
    // Bounded: a test that holds it runs for seconds, never minutes.
    const DWORD got = WaitForSingleObject(mutex_, 60000);
    held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
}

desktop_lock::~desktop_lock() {
    if (held_)
        ReleaseMutex(mutex_);
    if (mutex_)
        CloseHandle(mutex_);
}
