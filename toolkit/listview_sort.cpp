// vListView sorting: the rows are ordered by their compare operation among their siblings only,
// with a stable merge sort (n log n comparisons, rows that compare equal keep their order), and
// every row takes its whole subtree with it, so children stay under their parents at any depth.

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "toolkit/listview.h"

namespace vwin {

namespace {

using rows_t = std::vector<vListViewItem*>;

// `right` must come before `left`: ascending, when left compares above right; descending, when
// right compares above left. Rows that compare equal keep their order.
bool comesBefore(vListViewItem* right, vListViewItem* left, int argument, bool ascending) {
    return ascending ? left->compare(right, argument) > 0 : right->compare(left, argument) > 0;
}

// Bottom-up merge sort; safe with any compare (an inconsistent one gives some order, never a
// fault).
void stableSort(rows_t& rows, int argument, bool ascending) {
    const std::size_t n = rows.size();
    if (n < 2)
        return;
    rows_t buffer(n);
    rows_t* from = &rows;
    rows_t* to = &buffer;
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                if (comesBefore((*from)[j], (*from)[i], argument, ascending))
                    (*to)[k++] = (*from)[j++];
                else
                    (*to)[k++] = (*from)[i++];
            }
            while (i < mid)
                (*to)[k++] = (*from)[i++];
            while (j < hi)
                (*to)[k++] = (*from)[j++];
        }
        std::swap(from, to);
    }
    if (from != &rows)
        rows.swap(buffer);
}

} // namespace

void vListView::sort(int argument, bool ascending) {
    bool moved = false;
    {
        std::lock_guard hold(lock_);
        const std::size_t n = items_.size();
        if (n < 2)
            return;
        // Children of each row of this list, in display order; the rest are roots.
        std::unordered_map<const vListViewItem*, rows_t> children;
        rows_t roots;
        for (vListViewItem* row : items_) {
            if (row->parent_ && row->parent_->owner_ == this)
                children[row->parent_].push_back(row);
            else
                roots.push_back(row);
        }
        // Roots are siblings only when they share a parent (none, or one outside this list):
        // each such group is sorted within the places it holds.
        std::unordered_map<const vListViewItem*, std::vector<std::size_t>> groups;
        for (std::size_t i = 0; i < roots.size(); ++i)
            groups[roots[i]->parent_].push_back(i);
        if (groups.size() == 1) {
            stableSort(roots, argument, ascending);
        } else {
            for (auto& [parent, places] : groups) {
                rows_t members;
                for (std::size_t place : places)
                    members.push_back(roots[place]);
                stableSort(members, argument, ascending);
                for (std::size_t i = 0; i < places.size(); ++i)
                    roots[places[i]] = members[i];
            }
        }
        for (auto& [parent, rows] : children)
            stableSort(rows, argument, ascending);

        // Depth first: each row, then its sorted children with their subtrees.
        rows_t order;
        order.reserve(n);
        std::vector<std::pair<const rows_t*, std::size_t>> stack;
        stack.emplace_back(&roots, 0);
        while (!stack.empty()) {
            auto& [rows, next] = stack.back();
            if (next == rows->size()) {
                stack.pop_back();
                continue;
            }
            vListViewItem* row = (*rows)[next++];
            order.push_back(row);
            auto found = children.find(row);
            if (found != children.end())
                stack.emplace_back(&found->second, 0);
        }
        if (order.size() != n)
            return; // not a forest: leave the order alone

        std::size_t first = 0;
        while (first < n && order[first] == items_[first])
            ++first;
        if (first < n) {
            items_.swap(order);
            touch(static_cast<int>(first));
            moved = true;
        }
    }
    if (moved && updatesEnabled())
        relayout();
}

} // namespace vwin
