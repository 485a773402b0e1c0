// OrvelFolderView: copying files and folders to a PC folder chosen in the folder picker, and
// deleting files on the phone.

#include <objbase.h>

#include "app/folder_view.h"
#include "core/lang.h"
#include "core/stream.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"

namespace {

BFFCALLBACK picker_callback = nullptr;
LPARAM picker_data = 0;

// COM for the picker on the calling thread, balanced when it ends.
class com_scope {
public:
    com_scope() {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        initialised_ = result == S_OK || result == S_FALSE;
    }
    ~com_scope() {
        if (initialised_)
            CoUninitialize();
    }
    com_scope(const com_scope&) = delete;
    com_scope& operator=(const com_scope&) = delete;

private:
    bool initialised_ = false;
};

const char16_t* picker_title() {
    return langText(u"Destination Folder:", u"Zielverzeichnis", lang_german);
}

// The PC path for a copy of `name` into the destination folder; false when the phone's name
// cannot be one PC path component (it could reach outside the folder or name a device).
bool pc_target(const str& destination, const str& name, str& out) {
    if (!ReadDirCommand::safeName(name))
        return false;
    out = destination;
    normalise_dir(out);
    out.append(name);
    return true;
}

} // namespace

void OrvelFolderView::setPickerCallbackForTests(BFFCALLBACK callback, LPARAM data) {
    picker_callback = callback;
    picker_data = data;
}

bool OrvelFolderView::pickDestination(const char16_t* title) {
    wchar_t display[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = window();
    info.pidlRoot = nullptr; // the desktop
    info.pszDisplayName = display;
    info.lpszTitle = reinterpret_cast<const wchar_t*>(title);
    info.ulFlags = 0;
    info.lpfn = picker_callback;
    info.lParam = picker_data;
    com_scope com;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (!picked)
        return false; // cancelled
    const bool ok = SHGetPathFromIDListW(picked, path) && path[0] != 0;
    CoTaskMemFree(picked);
    if (!ok)
        return false; // no file-system folder
    destination_ = str(reinterpret_cast<const char16_t*>(path));
    return true;
}

void OrvelFolderView::copyFiles(vwin::vListViewItem* item) {
    OrvelFolderRow given;
    if (!files_->copyRow(item, given))
        return;
    if (!pickDestination(picker_title()))
        return;
    for (const OrvelFolderRow& row : files_->takeRows(given, false)) {
        str target;
        if (pc_target(destination_, row.name, target))
            queue(new ReadFileCommand(row.phonePath(), target, row.size));
    }
}

void OrvelFolderView::copyFolders(vwin::vListViewItem* item) {
    OrvelFolderRow given;
    if (!folders_->copyRow(item, given))
        return;
    if (!pickDestination(picker_title()))
        return;
    for (const OrvelFolderRow& row : folders_->takeRows(given, false)) {
        str target;
        if (pc_target(destination_, row.name, target))
            queue(new ReadDirCommand(row.path, target));
    }
}

void OrvelFolderView::deleteFiles(vwin::vListViewItem* item) {
    OrvelFolderRow given;
    if (!files_->copyRow(item, given))
        return;
    // The rows go at once, before the phone has carried out the deletions.
    for (const OrvelFolderRow& row : files_->takeRows(given, true))
        queue(new DeleteFileCommand(row.phonePath()));
}
