// OrvelFolderView: construction and layout, browsing, the link's connection state and the
// listing handlers that fill the panes on the link worker.

#include <algorithm>
#include <mutex>

#include "app/folder_listing_model.h"
#include "app/folder_view.h"
#include "app/folder_view_model.h"
#include "app/folder_view_paths.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "toolkit/orvel_colors.h"

OrvelFolderView::OrvelFolderView(vwin::vWidget* parent, SamsungComm& link)
    : vWidget(parent, u""), link_(link) {
    setBackgroundColor(orvel_color::light_grey);
    folderLabel_ = std::make_unique<vwin::vLabel>(this, uiText(ui_text::folder_label));
    filesLabel_ = std::make_unique<vwin::vLabel>(this, uiText(ui_text::files_label));
    sizeLabel_ =
        std::make_unique<vwin::vLabel>(this, uiText(ui_text::size_column), vwin::text_right);
    for (vwin::vLabel* label : {folderLabel_.get(), filesLabel_.get(), sizeLabel_.get()}) {
        label->setBackgroundColor(orvel_color::light_grey);
        label->setTextColor(orvel_color::blue);
    }
    folders_ = std::make_unique<OrvelFolder>(this, true);
    files_ = std::make_unique<OrvelFolder>(this, false);

    connect(folders_.get(), u"cd", this, &OrvelFolderView::browse);
    connect(folders_.get(), u"copy", this, &OrvelFolderView::copyFolders);
    connect(files_.get(), u"cd", this, &OrvelFolderView::browse);
    connect(files_.get(), u"copyFiles", this, &OrvelFolderView::copyFilesRequested);
    connect(files_.get(), u"copy", this, &OrvelFolderView::copyFiles);
    connect(files_.get(), u"delete", this, &OrvelFolderView::deleteFiles);
    connect(folders_.get(), u"refresh", this, &OrvelFolderView::refresh);
    connect(files_.get(), u"refresh", this, &OrvelFolderView::refresh);
    connect(folders_.get(), u"newFolder", this, &OrvelFolderView::startNewFolder);
    connect(files_.get(), u"newFolder", this, &OrvelFolderView::startNewFolder);
    setAcceptDrops(true);

    vObject* sender = &link_;
    connect(sender, u"BrowseBegin", this, &OrvelFolderView::browseBegin);
    connect(sender, u"BrowseEntry", this, &OrvelFolderView::browseEntry);
    connect(sender, u"BrowseEnd", this, &OrvelFolderView::browseEnd);

    resized(clientWidth(), clientHeight());
}

OrvelFolderView::~OrvelFolderView() {
    // First of all no signal may reach the view any more: its connections go, and a listing
    // handler still running on the worker is waited for.
    link_.disconnect_receiver(this);
    disconnect_all();
    destroyWindow();
}

void OrvelFolderView::resized(int w, int h) {
    if (!folders_ || !files_)
        return; // during construction
    const int half = w / 2;
    folderLabel_->setGeometry(5, 0, half - 5, 16);
    filesLabel_->setGeometry(half + 1, 0, (half - 5) / 2, 16);
    // Over the sizes, which end at the right edge of the rows.
    sizeLabel_->setGeometry(half + 1 + (half - 5) / 2, 0, (half - 5) / 2 - 2, 16);
    folders_->setGeometry(5, 20, half - 5, h - 20);
    files_->setGeometry(half + 1, 20, half - 5, h - 20);
}

namespace {
bool is_root(const str& path) {
    return path == u"/";
}
} // namespace

bool OrvelFolderView::queue(SamsungJob* job) {
    return link_.addJob(job);
}

bool OrvelFolderView::browse(const char16_t* path) {
    str dir = phone_dir(path);
    vwin::vListViewItem* shown = nullptr;
    {
        std::lock_guard hold(folders_->listLock());
        currentPath_ = dir;
        files_->clear();
        const int rows = folders_->count();
        for (int i = 0; i < rows && !shown; ++i) {
            auto* row = dynamic_cast<OrvelFolderItem*>(folders_->at(i));
            if (row && row->path().equals(dir.c_str(), false))
                shown = row;
        }
    }
    // The highlighted folder is the one whose files are shown (none for the root).
    if (shown && sameThread())
        folders_->setCurrent(shown, true, vwin::vListView::current_left);
    else if (!shown)
        folders_->setCurrent(nullptr, true, 0);
    // Queued outside the pane locks: queueing waits for the link's queue lock.
    queue(new BrowseCommand(dir));
    return true;
}

bool OrvelFolderView::refresh() {
    const str dir = currentPath();
    if (dir.empty())
        return false;
    return queue(new BrowseCommand(dir));
}

bool OrvelFolderView::openParent() {
    const str parent = parentFolder(currentPath());
    if (parent.empty())
        return false;
    return browse(parent.c_str());
}

void OrvelFolderView::keyEvent(vwin::vKeyEvent* event) {
    if (event->type != vwin::event_key_down)
        return;
    const std::uint32_t controlShift = vwin::modifier_control | vwin::modifier_shift;
    if (event->key == 'N' && (event->modifiers & controlShift) == controlShift) {
        event->accept();
        startNewFolder();
        return;
    }
    switch (event->key) {
    case VK_F5:
        event->accept();
        refresh();
        break;
    case VK_BACK:
        event->accept();
        openParent();
        break;
    default:
        break;
    }
}

str OrvelFolderView::currentPath() {
    std::lock_guard hold(folders_->listLock());
    return currentPath_;
}

void OrvelFolderView::connected() {
    browse(u"/");
}

void OrvelFolderView::disconnected() {
    std::lock_guard hold(folders_->listLock());
    relist_.clear();
    currentPath_.clear();
    folders_->clear();
    files_->clear();
}

void OrvelFolderView::browseBegin(const char16_t* path) {
    inbox_.begin(path);
}

void OrvelFolderView::browseEntry(const char16_t* path, const char16_t* name,
                                  std::uint32_t attributes, std::uint32_t extra,
                                  std::uint32_t size) {
    inbox_.entry(path, name, attributes, extra, size);
}

void OrvelFolderView::browseEnd(const char16_t* path) {
    if (!inbox_.end(path))
        return; // a failed listing changes nothing
    if (sameThread())
        applyListings();
    else
        postMessage(WM_USER + listing_ready, 0, 0);
}

bool OrvelFolderView::userMessage(UINT number, WPARAM, LPARAM) {
    if (number != listing_ready)
        return false;
    applyListings();
    return true;
}

void OrvelFolderView::applyListings() {
    for (const folder_listing& listing : inbox_.take())
        applyListing(listing);
}

void OrvelFolderView::applyListing(const folder_listing& listing) {
    // The file rows, made detached and sorted before they replace the shown ones in one step.
    std::vector<OrvelFolderItem*> fileRows;
    for (const folder_entry& e : listing.entries) {
        if (!isFileRow(e))
            continue;
        auto* row = new OrvelFolderItem(static_cast<vwin::vListView*>(nullptr), e.name,
                                        listing.path, e.attributes, e.extra, e.size);
        row->setRightText(sizeText(e.size));
        fileRows.push_back(row);
    }
    std::sort(fileRows.begin(), fileRows.end(), [](OrvelFolderItem* a, OrvelFolderItem* b) {
        return compare_rows(a->attributes(), a->name(), b->attributes(), b->name()) < 0;
    });
    {
        std::lock_guard hold(folders_->listLock());
        // A listing the user has overtaken by opening another folder changes nothing.
        if (currentPath_.empty() || !currentPath_.equals(listing.path.c_str())) {
            for (OrvelFolderItem* row : fileRows)
                delete row;
            return;
        }
        files_->replaceItems(std::vector<vwin::vListViewItem*>(fileRows.begin(), fileRows.end()));
        mergeFolderRows(listing);
    }
    folders_->invalidate();
    files_->invalidate();
}

void OrvelFolderView::mergeFolderRows(const folder_listing& listing) {
    // The folder's row in the tree (none for the root, whose rows are the top level), and the
    // rows under it.
    OrvelFolderItem* parent = nullptr;
    std::vector<OrvelFolderItem*> children;
    const int rows = folders_->count();
    for (int i = 0; i < rows && !parent; ++i) {
        auto* row = dynamic_cast<OrvelFolderItem*>(folders_->at(i));
        if (row && row->path().equals(listing.path.c_str(), false))
            parent = row;
    }
    if (parent) {
        for (int i = 0; i < parent->childCount(); ++i)
            if (auto* row = dynamic_cast<OrvelFolderItem*>(parent->child(i)))
                children.push_back(row);
    } else if (is_root(listing.path)) {
        for (int i = 0; i < rows; ++i) {
            auto* row = dynamic_cast<OrvelFolderItem*>(folders_->at(i));
            if (row && !row->parent())
                children.push_back(row);
        }
    } else {
        return; // a folder the tree does not show
    }
    std::vector<str> shown;
    for (const OrvelFolderItem* row : children)
        shown.push_back(row->name());
    const folder_merge merge = mergeFolders(shown, listing.entries);
    folders_->setUpdatesEnabled(false);
    for (std::size_t i : merge.removed)
        delete children[i];
    for (std::size_t i : merge.added) {
        const folder_entry& e = listing.entries[i];
        const str child = phone_child_dir(listing.path, e.name.c_str());
        if (parent)
            new OrvelFolderItem(parent, e.name, child, e.attributes, e.extra, e.size);
        else
            new OrvelFolderItem(folders_.get(), e.name, child, e.attributes, e.extra, e.size);
    }
    folders_->sort(0, true);
    if (parent)
        parent->setExpanded(true);
    folders_->setUpdatesEnabled(true);
}

void OrvelFolderView::jobFinished(const job_report& report) {
    // Done or failed, the folder a job changed is listed again once the link is idle.
    if (report.changedFolder.empty())
        return;
    for (const str& folder : relist_)
        if (folder == report.changedFolder)
            return;
    relist_.push_back(report.changedFolder);
}

void OrvelFolderView::linkIdle() {
    if (relist_.empty())
        return;
    const str dir = currentPath();
    bool shown = false;
    for (const str& folder : relist_)
        shown = shown || folder.equals(dir.c_str(), false);
    relist_.clear();
    if (shown)
        refresh();
}
