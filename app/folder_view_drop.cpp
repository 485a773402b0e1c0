// OrvelFolderView: PC files and folders dropped from the desktop shell are copied into the folder
// row they were dropped on, else into the current folder; a folder goes with its whole tree.

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "app/folder_view.h"
#include "app/folder_view_paths.h"
#include "core/tokenizers.h"
#include "link/jobs.h"
#include "toolkit/dnd.h"

void OrvelFolderView::dragEnter(vwin::vDropEvent* event) {
    if (event->hasFiles())
        event->accept();
    else
        event->refuse();
}

void OrvelFolderView::dragMove(vwin::vDropEvent* event) {
    dragEnter(event);
}

str OrvelFolderView::dropFolder(int screenX, int screenY) {
    const POINT origin = folders_->screenPosition();
    const int x = screenX - origin.x;
    const int y = screenY - origin.y;
    if (x >= 0 && y >= 0 && x < folders_->clientWidth() && y < folders_->clientHeight()) {
        std::lock_guard hold(folders_->listLock());
        const int index = folders_->indexAt(y + folders_->contentsY());
        if (const auto* row = dynamic_cast<const OrvelFolderItem*>(folders_->at(index)))
            if (row->isFolder())
                return row->path();
    }
    return currentPath();
}

void OrvelFolderView::drop(vwin::vDropEvent* event) {
    str names;
    if (!event->hasFiles() || !event->fileNames(names, u"|")) {
        event->refuse();
        return;
    }
    const str dir = dropFolder(event->point.x, event->point.y);
    strtokens_var tokens(u"|");
    tokens.tokenize(names);
    int queued = 0;
    for (int i = 0; i < tokens.count(); ++i) {
        const str name(tokens.item(i));
        if (name.empty())
            continue;
        std::error_code ec;
        const auto status = std::filesystem::status(
            std::filesystem::path(std::u16string(name.c_str(), name.length())), ec);
        if (ec || !std::filesystem::exists(status))
            continue; // gone since the drag started
        const str target = drop_destination(dir, name);
        if (target.empty())
            continue;
        SamsungJob* job = nullptr;
        if (std::filesystem::is_directory(status))
            job = new WriteDirCommand(name, target);
        else
            job = new WriteFileCommand(name, target);
        if (queue(job))
            ++queued;
    }
    if (queued > 0)
        event->accept();
    else
        event->refuse();
}
