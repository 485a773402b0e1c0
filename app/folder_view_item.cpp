// OrvelFolderItem, the rows of the browser's panes, and the copies taken of them. Rows are made
// while their pane's lock is held, so no other thread sees one before its fields are set.

#include "app/folder_view.h"
#include "app/folder_view_paths.h"

OrvelFolderItem::OrvelFolderItem(vwin::vListView* pane, const str& name, const str& path,
                                 std::uint32_t attributes, std::uint32_t extra, std::uint32_t size)
    : vListViewItem(pane, name, row_height), path_(path), name_(name), attributes_(attributes),
      extra_(extra), size_(size) {}

OrvelFolderItem::OrvelFolderItem(vwin::vListViewItem* parent, const str& name, const str& path,
                                 std::uint32_t attributes, std::uint32_t extra, std::uint32_t size)
    : vListViewItem(parent, name, row_height), path_(path), name_(name), attributes_(attributes),
      extra_(extra), size_(size) {}

int OrvelFolderItem::compare(vwin::vListViewItem* other, int argument) {
    const auto* row = dynamic_cast<const OrvelFolderItem*>(other);
    if (!row)
        return vListViewItem::compare(other, argument);
    return compare_rows(attributes_, name_, row->attributes_, row->name_);
}

bool OrvelFolderItem::isFolder() const {
    return (attributes_ & phone_folder_bit) != 0;
}

bool OrvelFolderRow::describes(const OrvelFolderItem* row) const {
    return row && row == item && row->path() == path && row->name() == name;
}

str OrvelFolderRow::phonePath() const {
    if (attributes & phone_folder_bit)
        return path;
    str full(path);
    full.append(name);
    return full;
}
