#pragma once
// Message pumping for tests that drive windows: wait for a condition with a bounded poll while
// the calling thread's messages are dispatched (never a fixed sleep).

#include <functional>

// Dispatches the calling thread's messages and polls `done` until it holds (true) or timeout_ms
// passed (false). A WM_QUIT met on the way is put back and ends the wait early (false, unless
// `done` holds by then).
bool pump_until(const std::function<bool()>& done, int timeout_ms);

// Dispatches the messages that are waiting now (posted, sent and input), without blocking.
void pump_pending();
