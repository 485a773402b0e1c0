// On Windows a body that ignores the stop request past the time-out is killed.

#include <atomic>
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include "toolkit/winthread.h"

namespace {
class stubborn_thread : public winthread {
public:
    ~stubborn_thread() override { stop(120); }
    std::uint32_t run() override {
        started = true;
        for (int i = 0; i < 500; ++i) // about 5 s, never looking at the stop event
            Sleep(10);
        completed = true;
        return 0;
    }
    std::atomic<bool> started{false};
    std::atomic<bool> completed{false};
};

class com_thread : public winthread {
public:
    ~com_thread() override { stop(5000); }
    std::uint32_t run() override {
        // Already initialised for the multithreaded apartment by the thread entry.
        result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(result))
            CoUninitialize();
        return 0;
    }
    HRESULT result = E_FAIL;
};
} // namespace

TEST(WinthreadWin32, StopPastItsTimeoutKillsTheThread) {
    stubborn_thread t;
    t.start();
    while (!t.started)
        Sleep(1);
    t.stop(120);
    EXPECT_FALSE(t.completed) << "the body was cut off";
    EXPECT_TRUE(t.finished()) << "the done event is set for a killed thread";
    EXPECT_FALSE(t.running());
}

TEST(WinthreadWin32, ThreadEntryJoinsTheMultithreadedApartment) {
    com_thread t;
    t.start();
    t.stop(5000);
    EXPECT_EQ(t.result, S_FALSE);
}
