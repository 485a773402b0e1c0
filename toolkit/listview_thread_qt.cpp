// vListView: which thread is calling. Each thread gets a number of its own on first use.

#include <atomic>

#include "toolkit/listview.h"

namespace vwin {

DWORD vListView::callingThread() {
    static std::atomic<DWORD> next{1};
    thread_local const DWORD mine = next.fetch_add(1);
    return mine;
}

bool vListView::onGuiThread() const {
    return callingThread() == guiThread_;
}

} // namespace vwin
