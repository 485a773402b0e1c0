// OrvelFolderView: copying files and folders to a PC folder chosen in the folder picker, and
// deleting files on the phone.

#include <objbase.h>

#include "app/folder_view.h"
#include "app/folder_view_model.h"
#include "core/lang_texts.h"
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

// The program's key, where the picker's last folder is kept for the next start.
constexpr const wchar_t* program_key = L"Software\\Orvel";
constexpr const wchar_t* last_folder_value = L"LastFolder";

// An open registry key, closed when it goes.
class reg_handle {
public:
    reg_handle() = default;
    ~reg_handle() {
        if (key_)
            RegCloseKey(key_);
    }
    reg_handle(const reg_handle&) = delete;
    reg_handle& operator=(const reg_handle&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

str last_folder() {
    reg_handle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, program_key, 0, KEY_QUERY_VALUE, key.out()) !=
        ERROR_SUCCESS)
        return str();
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path - sizeof path[0]; // room for the end mark the value may lack
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), last_folder_value, nullptr, &type,
                         reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return str();
    return str(reinterpret_cast<const char16_t*>(path));
}

void keep_last_folder(const str& folder) {
    reg_handle key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS)
        return;
    const DWORD bytes = static_cast<DWORD>((folder.length() + 1) * sizeof(wchar_t));
    RegSetValueExW(key.get(), last_folder_value, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()), bytes);
}

// What the picker's callback needs: the folder to start in and the tests' own callback.
struct picker_start {
    str folder;
    BFFCALLBACK next = nullptr;
    LPARAM nextData = 0;
};

int CALLBACK start_in_last_folder(HWND window, UINT message, LPARAM param, LPARAM data) {
    const auto* start = reinterpret_cast<const picker_start*>(data);
    if (message == BFFM_INITIALIZED && !start->folder.empty())
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(start->folder.c_str()));
    return start->next ? start->next(window, message, param, start->nextData) : 0;
}

const char16_t* picker_title() {
    return uiText(ui_text::picker_title);
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
    // The new style offers "Make New Folder"; only file-system folders can be chosen.
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    // It starts in the folder last chosen (this session's, else the one kept from before).
    picker_start start{destination_.empty() ? last_folder() : destination_, picker_callback,
                       picker_data};
    info.lpfn = start_in_last_folder;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    com_scope com;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (!picked)
        return false; // cancelled
    const bool ok = SHGetPathFromIDListW(picked, path) && path[0] != 0;
    CoTaskMemFree(picked);
    if (!ok)
        return false; // no file-system folder
    destination_ = str(reinterpret_cast<const char16_t*>(path));
    keep_last_folder(destination_);
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

bool OrvelFolderView::confirmDelete(const str& question) {
    // OK is the default button (Return); Escape answers Cancel.
    const int answer = MessageBoxW(window(), reinterpret_cast<const wchar_t*>(question.c_str()),
                                   reinterpret_cast<const wchar_t*>(uiText(ui_text::menu_delete)),
                                   MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    return answer == IDOK;
}

void OrvelFolderView::deleteFiles(vwin::vListViewItem* item) {
    OrvelFolderRow given;
    files_->copyRow(item, given); // none: the selected rows alone
    std::vector<OrvelFolderRow> rows = files_->takeRows(given, false);
    std::vector<str> names;
    for (const OrvelFolderRow& row : rows)
        names.push_back(row.name);
    if (names.empty() || !confirmDelete(deleteQuestion(names)))
        return;
    // The rows stay until the listing after the deletes (see jobFinished) shows what the phone
    // holds.
    for (const OrvelFolderRow& row : rows)
        queue(new DeleteFileCommand(row.phonePath()));
}
