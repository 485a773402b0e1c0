#pragma once
// Waiting in tests that drive windows, with either driver: the calling thread's events are
// handled while `done` is polled, for at most timeout_ms (never a fixed sleep). The Win32
// definitions are the test support's (gui_pump_win32.cpp), the Qt ones beside the tests.

#include <functional>

// True once `done` holds; false when the time ran out first.
bool pump_until(const std::function<bool()>& done, int timeout_ms);

// Handles the events that are waiting now, without blocking.
void pump_pending();
