// OrvelFolderView: construction and layout, browsing, the link's connection state and the
// listing handlers that fill the panes on the link worker.

#include <mutex>

#include "app/folder_view.h"
#include "app/folder_view_model.h"
#include "app/folder_view_paths.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"

OrvelFolderView::OrvelFolderView(vwin::vWidget* parent, SamsungComm& link)
    : vWidget(parent, u""), link_(link) {
    setBackgroundColor(background_color);
    folderLabel_ = std::make_unique<vwin::vLabel>(this, uiText(ui_text::folder_label));
    filesLabel_ = std::make_unique<vwin::vLabel>(this, uiText(ui_text::files_label));
    sizeLabel_ =
        std::make_unique<vwin::vLabel>(this, uiText(ui_text::size_column), vwin::text_right);
    for (vwin::vLabel* label : {folderLabel_.get(), filesLabel_.get(), sizeLabel_.get()}) {
        label->setBackgroundColor(background_color);
        label->setTextColor(text_color);
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
    treeItem_ = nullptr; // deleted with the rows
    currentPath_.clear();
    folders_->clear();
    files_->clear();
}

void OrvelFolderView::browseBegin(const char16_t* path) {
    files_->setUpdatesEnabled(true);
    std::lock_guard hold(folders_->listLock());
    // A listing of the folder shown replaces its files (a refresh leaves them until now).
    if (currentPath_.equals(path))
        files_->clear();
    treeItem_ = nullptr;
    const int rows = folders_->count();
    for (int i = 0; i < rows; ++i) {
        auto* row = dynamic_cast<OrvelFolderItem*>(folders_->at(i));
        if (row && row->path().equals(path, false)) {
            treeItem_ = row;
            break;
        }
    }
    // Its sub-folders are listed again.
    if (treeItem_) {
        while (treeItem_->childCount() > 0)
            delete treeItem_->child(treeItem_->childCount() - 1);
    }
}

namespace {
// An entry name that names exactly one entry of its folder. An empty name or one holding a
// separator would make a row whose phone path is another entry's (delete or copy the wrong one).
bool one_component(const char16_t* name) {
    if (!name || !*name)
        return false;
    for (const char16_t* c = name; *c; ++c)
        if (*c == u'/' || *c == u'\\')
            return false;
    return true;
}
} // namespace

void OrvelFolderView::browseEntry(const char16_t* path, const char16_t* name,
                                  std::uint32_t attributes, std::uint32_t extra,
                                  std::uint32_t size) {
    // Rows are made under the folder pane's lock (and, for file rows, the file pane's), so no
    // other thread sees a row before its fields are set.
    std::lock_guard hold(folders_->listLock());
    // Entries of a listing the user has overtaken by opening another folder are ignored.
    if (currentPath_.empty() || !currentPath_.equals(path) || !one_component(name))
        return;
    const str folder(path);
    const str entry(name);
    if (!(attributes & phone_folder_bit)) {
        auto* row = new OrvelFolderItem(files_.get(), entry, folder, attributes, extra, size);
        row->setRightText(sizeText(size));
        return;
    }
    if (name[0] == u'.')
        return; // ".", ".." and hidden folders
    const str child = phone_child_dir(folder, name);
    if (treeItem_)
        new OrvelFolderItem(treeItem_, entry, child, attributes, extra, size);
    else
        new OrvelFolderItem(folders_.get(), entry, child, attributes, extra, size);
}

void OrvelFolderView::browseEnd(const char16_t*) {
    {
        std::lock_guard hold(folders_->listLock());
        folders_->sort(0, true);
        files_->sort(0, true);
        if (treeItem_) {
            treeItem_->setExpanded(true);
            treeItem_ = nullptr;
        }
    }
    folders_->invalidate();
    files_->invalidate();
}
