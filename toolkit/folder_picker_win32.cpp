// The folder picker over the shell's SHBrowseForFolderW.

#include "toolkit/folder_picker_win32.h"

#include <objbase.h>

#include "toolkit/folder_picker.h"

namespace vwin {

namespace {

BFFCALLBACK hook_callback = nullptr;
LPARAM hook_data = 0;

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

// What the picker's callback needs: the folder to start in and the tests' own callback.
struct picker_start {
    const str* folder = nullptr;
    BFFCALLBACK next = nullptr;
    LPARAM nextData = 0;
};

int CALLBACK start_in(HWND window, UINT message, LPARAM param, LPARAM data) {
    const auto* start = reinterpret_cast<const picker_start*>(data);
    if (message == BFFM_INITIALIZED && !start->folder->empty())
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(start->folder->c_str()));
    return start->next ? start->next(window, message, param, start->nextData) : 0;
}

} // namespace

void setFolderPickerHookForTests(BFFCALLBACK callback, LPARAM data) {
    hook_callback = callback;
    hook_data = data;
}

bool pickFolder(HWND owner, const char16_t* title, const str& start, str& chosen) {
    wchar_t display[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr; // the desktop
    info.pszDisplayName = display;
    info.lpszTitle = reinterpret_cast<const wchar_t*>(title);
    // The new style offers "Make New Folder"; only file-system folders can be chosen.
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    picker_start begin{&start, hook_callback, hook_data};
    info.lpfn = start_in;
    info.lParam = reinterpret_cast<LPARAM>(&begin);
    com_scope com;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (!picked)
        return false; // cancelled
    const bool ok = SHGetPathFromIDListW(picked, path) && path[0] != 0;
    CoTaskMemFree(picked);
    if (!ok)
        return false; // no file-system folder
    chosen = str(reinterpret_cast<const char16_t*>(path));
    return true;
}

} // namespace vwin
