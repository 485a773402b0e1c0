// Interrupts on Windows: the console runs the handler on a thread of its own, which may close the
// port directly.

#include <windows.h>

#include "tools/orvelctl/interrupt.h"

namespace {

std::atomic<bool> interrupted{false};
std::atomic<SamsungComm*> guarded{nullptr};

BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // A second request: let the default handling end the program.
    if (interrupted.exchange(true))
        return FALSE;
    if (SamsungComm* link = guarded.load())
        link->clear();
    return TRUE;
}

} // namespace

struct interrupt_guard::impl {};

interrupt_guard::interrupt_guard(SamsungComm& link) : impl_(nullptr) {
    guarded = &link;
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

interrupt_guard::~interrupt_guard() {
    SetConsoleCtrlHandler(on_console_event, FALSE);
    guarded = nullptr;
}

bool ctl_interrupted() {
    return interrupted.load();
}
