#include "toolkit/winthread.h"

// A POSIX thread cannot be killed without leaving its locks and memory in an unknown state, so
// terminate() asks the body to stop and waits for it.
bool winthread::kill_thread(std::thread&) {
    return false;
}

void winthread::begin_thread() {}
