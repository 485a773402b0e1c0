// vListView: which thread is calling.

#include "toolkit/listview.h"

namespace vwin {

DWORD vListView::callingThread() {
    return GetCurrentThreadId();
}

bool vListView::onGuiThread() const {
    return GetCurrentThreadId() == guiThread_;
}

} // namespace vwin
