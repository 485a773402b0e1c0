// OrvelFolderView: copying files and folders to a PC folder chosen in the folder picker, and
// deleting files on the phone.

#include "app/folder_view.h"
#include "app/folder_view_model.h"
#include "core/lang_texts.h"
#include "core/settings.h"
#include "core/stream.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "toolkit/dialogs.h"
#include "toolkit/folder_picker.h"

namespace {

// The setting that keeps the picker's last folder for the next start.
constexpr const char16_t* last_folder_setting = u"LastFolder";

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

bool OrvelFolderView::pickDestination(const char16_t* title) {
    // It starts in the folder last chosen (this session's, else the one kept from before).
    const str start = destination_.empty() ? readSetting(last_folder_setting) : destination_;
    str chosen;
    if (!vwin::pickFolder(window(), title, start, chosen))
        return false; // cancelled, or no file-system folder
    destination_ = chosen;
    keepSetting(last_folder_setting, destination_);
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
    return vwin::askOkCancel(this, str(uiText(ui_text::menu_delete)), question, true,
                             vwin::dialog_icon::question);
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
