#pragma once
// The "Browser" tab: the phone's folders as a tree on the left ("Folder:"), the files of the folder
// being looked at on the right ("Files:"). Opening a folder lists it; the context menu copies
// files or whole folders to a PC folder chosen in the folder picker, or deletes files; files
// dropped from the desktop shell are copied into the folder being looked at. Every phone
// operation is a job queued on the link; the view never touches the port.
//
// Threads. The listing arrives on the link worker ("BrowseBegin", "BrowseEntry", "BrowseEnd"),
// which only collects it; the whole listing is posted to the GUI thread and changes the panes
// there under one lock (a failed or overtaken listing changes nothing). Everything else runs on
// the GUI thread. The current path is guarded by the folder pane's lock. A thread that holds both
// pane locks takes the folder pane's first. Rows that a menu, a copy, a delete or an activation
// refers to are copied under their pane's lock and ignored once gone.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/folder_listing_model.h"
#include "core/str.h"
#include "link/job_report.h"
#include "toolkit/controls.h"
#include "toolkit/listview.h"
#include "toolkit/widget.h"

class SamsungComm;
class SamsungJob;

namespace vwin {
class vDropEvent;
}

// One row: a phone folder in the folder pane, a file in the file pane.
class OrvelFolderItem : public vwin::vListViewItem {
public:
    static constexpr int row_height = 15;

    // A top-level row of `pane`, appended.
    OrvelFolderItem(vwin::vListView* pane, const str& name, const str& path,
                    std::uint32_t attributes, std::uint32_t extra, std::uint32_t size);
    // A child of `parent`, after its last descendant.
    OrvelFolderItem(vwin::vListViewItem* parent, const str& name, const str& path,
                    std::uint32_t attributes, std::uint32_t extra, std::uint32_t size);

    // Larger attribute words first, then names ignoring case (the column is not used).
    int compare(vwin::vListViewItem* other, int argument) override;

    // A folder row: the folder's own path with a trailing "/"; a file row: its folder's path.
    const str& path() const { return path_; }
    const str& name() const { return name_; }
    std::uint32_t attributes() const { return attributes_; }
    std::uint32_t extra() const { return extra_; }
    std::uint32_t size() const { return size_; }
    bool isFolder() const;

private:
    str path_;
    str name_;
    std::uint32_t attributes_;
    std::uint32_t extra_;
    std::uint32_t size_;
};

// A copy of a row's fields, taken under its pane's lock for use after the lock is released.
struct OrvelFolderRow {
    const vwin::vListViewItem* item = nullptr; // identity only: never dereferenced
    str path;
    str name;
    std::uint32_t attributes = 0;
    std::uint32_t extra = 0;
    std::uint32_t size = 0;

    // `row` is the very row copied: the same object with the same path and name (so a new row
    // that happens to get a deleted row's address is not taken for it).
    bool describes(const OrvelFolderItem* row) const;
    // The entry's phone path: a folder's path; a file's folder followed by its name.
    str phonePath() const;
};

// A pane: a list view of OrvelFolderItem rows with a context menu ("Copy...", "Delete", "New
// Folder", "Refresh"; "Delete" is disabled on folder rows, which the phone cannot remove). The
// menu opens on a right-click, Shift+F10 or the Menu key. Signals: "cd"(path text) when a folder
// row is activated (double click or Return), "copy"(row) and "delete"(row) when the menu item is
// chosen, "newFolder" and "refresh" for the menu's "New Folder" and "Refresh".
class OrvelFolder : public vwin::vListView {
public:
    enum : std::uint32_t {
        command_copy = 1,
        command_delete = 2,
        command_refresh = 3,
        command_new_folder = 4
    };

    // The folder pane (tree on) or the file pane (tree off), a child of the view.
    OrvelFolder(vwin::vWidget* view, bool tree);
    ~OrvelFolder() override;

    bool isTree() const { return tree_; }

    // The item as a row of this pane, or null when it is none (any more). The caller holds
    // listLock() for as long as it uses the answer.
    OrvelFolderItem* rowLocked(const vwin::vListViewItem* item);
    // Copies the row's fields; false when the item is not a row of this pane.
    bool copyRow(const vwin::vListViewItem* item, OrvelFolderRow& out);
    // Every row that is selected or is `given`, in row order (nested rows included); with
    // `remove` each is deleted from the pane in the same step.
    std::vector<OrvelFolderRow> takeRows(const OrvelFolderRow& given, bool remove);

    // The row the context menu was last opened on (identity only), and its fields then.
    const vwin::vListViewItem* menuItem() const { return menuItem_; }

    // Handlers of the pane's own list signals. A right-click on a row that is not selected
    // selects it alone first; one inside the selection keeps it.
    void rightButtonClicked(vwin::vListViewItem* item, int screenX, int screenY);
    // The context menu of `item` (null: only "Refresh") at a screen point.
    void openMenu(vwin::vListViewItem* item, int screenX, int screenY);
    // Shift+F10 and the Menu key open the menu of the current row beside it; Delete in the file
    // pane emits "delete" with the current row.
    void keyEvent(vwin::vKeyEvent* event) override;
    void clicked(vwin::vListViewItem* item, int screenX, int screenY);
    void opener(vwin::vListViewItem* item);

    // The menu's choice: 1 emits "copy", 2 "delete", each with the menu row while it exists.
    void command(std::uint32_t code) override;
    // Activation (double click or Return): a folder row emits "cd" with its path; no editing.
    void startEdit(vwin::vListViewItem* item, bool force) override;

private:
    bool tree_;
    const vwin::vListViewItem* menuItem_ = nullptr; // GUI thread
    OrvelFolderRow menuRow_;                        // GUI thread
};

class OrvelFolderView : public vwin::vWidget {
public:
    // The number of the message that tells the GUI thread a listing is ready.
    static constexpr UINT listing_ready = 1;

    OrvelFolderView(vwin::vWidget* parent, SamsungComm& link);
    ~OrvelFolderView() override;

    // Lists a phone folder: it becomes the current path (normalised with a trailing "/"), the
    // file pane is emptied and a BrowseCommand is queued. Also the handler of the panes' "cd".
    bool browse(const char16_t* path);

    // Link state, connected by the main window: "connected" lists the root; "disconnected"
    // empties both panes and the current path (the destination folder stays).
    void connected();
    void disconnected();

    // The listing, from the link worker: collected, then handed to the GUI thread whole.
    void browseBegin(const char16_t* path);
    void browseEntry(const char16_t* path, const char16_t* name, std::uint32_t attributes,
                     std::uint32_t extra, std::uint32_t size);
    void browseEnd(const char16_t* path);
    // GUI thread: the listings handed on change the panes.
    void applyListings();
    bool userMessage(UINT number, WPARAM word, LPARAM param) override;

    // A job of the link ended (GUI thread): the folder it changed is listed again when the
    // link is idle (linkIdle), done or failed.
    void jobFinished(const job_report& report);
    void linkIdle();

    // "New Folder" (the menus, Control+Shift+N): a field over the top of the file pane takes
    // the name; Return makes the folder in the current folder, Escape or leaving the field drops
    // it. A name the phone cannot hold keeps the field open.
    void startNewFolder();
    vwin::vLineEdit* newFolderField() const { return newFolderField_.get(); }

    // Lists the current folder again without emptying the file pane first: the rows change when
    // the listing arrives (F5, "Refresh", after a delete).
    bool refresh();
    // Lists the folder above the current one (Backspace); false at the root.
    bool openParent();

    // The panes' menu choices (GUI thread): the selected rows and the given one.
    void copyFolders(vwin::vListViewItem* row);
    void copyFiles(vwin::vListViewItem* row);
    // Asks first, naming the file or the number of files; once confirmed the deletes are queued
    // and the folder is listed again, so a row goes only when the phone's listing lacks it.
    void deleteFiles(vwin::vListViewItem* row);
    // F5 lists the current folder again, Backspace opens the parent folder, Control+Shift+N
    // starts a new folder.
    void keyEvent(vwin::vKeyEvent* event) override;
    // "copyFiles" of the file pane: nothing emits it.
    void copyFilesRequested() {}

    void resized(int w, int h) override;
    // A drag is accepted when it offers a file list; the panes do not see it.
    void dragEnter(vwin::vDropEvent* event) override;
    void dragMove(vwin::vDropEvent* event) override;
    // Each dropped PC file or folder that exists is queued for copying into the folder row it
    // was dropped on, else into the current folder; a folder is copied with its whole tree.
    void drop(vwin::vDropEvent* event) override;
    // The phone folder a drop at a screen point goes to: the folder row of the folder pane under
    // it, else the current folder ("" while none is shown).
    str dropFolder(int screenX, int screenY);

    OrvelFolder* folderPane() const { return folders_.get(); }
    OrvelFolder* filePane() const { return files_.get(); }
    vwin::vLabel* folderLabel() const { return folderLabel_.get(); }
    vwin::vLabel* filesLabel() const { return filesLabel_.get(); }
    // A copy of the current path ("" while not connected).
    str currentPath();
    // The PC folder last chosen in the picker ("" until one was chosen). GUI thread.
    const str& destination() const { return destination_; }

protected:
    // Shows the folder picker; true, with the destination set, when a folder of the file system
    // was picked. A cancel keeps the destination as it was.
    virtual bool pickDestination(const char16_t* title);
    // Asks the question of a delete (OK / Cancel: Return confirms, Escape cancels); true when
    // confirmed.
    virtual bool confirmDelete(const str& question);

private:
    bool queue(SamsungJob* job);
    void applyListing(const folder_listing& listing);
    // The folder rows under the listed folder become those it lists (the caller holds the
    // folder pane's lock).
    void mergeFolderRows(const folder_listing& listing);
    void commitNewFolder();
    void cancelNewFolder();

    SamsungComm& link_;
    std::unique_ptr<vwin::vLabel> folderLabel_;
    std::unique_ptr<vwin::vLabel> filesLabel_;
    std::unique_ptr<vwin::vLabel> sizeLabel_;
    std::unique_ptr<OrvelFolder> folders_;
    std::unique_ptr<OrvelFolder> files_;
    str currentPath_; // guarded by folders_->listLock()
    str destination_; // GUI thread
    OrvelListingInbox inbox_;
    std::vector<str> relist_; // GUI thread: folders changed by jobs, listed again when idle
    std::unique_ptr<vwin::vLineEdit> newFolderField_;
};
