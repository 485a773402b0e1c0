// OrvelFolderView: PC files dropped from the desktop shell are copied into the current folder.

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

void OrvelFolderView::drop(vwin::vDropEvent* event) {
    str names;
    if (!event->hasFiles() || !event->fileNames(names, u"|")) {
        event->refuse();
        return;
    }
    const str dir = currentPath();
    strtokens_var tokens(u"|");
    tokens.tokenize(names);
    int queued = 0;
    for (int i = 0; i < tokens.count(); ++i) {
        const str name(tokens.item(i));
        if (name.empty())
            continue;
        if (GetFileAttributesW(reinterpret_cast<const wchar_t*>(name.c_str())) ==
            INVALID_FILE_ATTRIBUTES)
            continue; // gone since the drag started
        // A folder is queued too: the job writes only regular files.
        const str target = drop_destination(dir, name);
        if (target.empty())
            continue;
        if (queue(new WriteFileCommand(name, target)))
            ++queued;
    }
    if (queued > 0)
        event->accept();
    else
        event->refuse();
}
