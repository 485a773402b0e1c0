// vListView item drags: this driver does not drag rows yet; lists refuse drops.

#include "toolkit/listview.h"

namespace vwin {

void vListView::forgetDraggedItem(const vListViewItem*) {}

void vListView::startDrag(vListViewItem*) {}

void vListView::dragEnter(vDropEvent*) {}

void vListView::drop(vDropEvent*) {}

} // namespace vwin
