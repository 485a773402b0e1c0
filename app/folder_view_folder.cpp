// OrvelFolderView: making a folder on the phone. The name is typed into a field over the top of
// the file pane; the folder shows once the listing after it was made has arrived.

#include "app/folder_view.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "toolkit/dialogs.h"

void OrvelFolderView::startNewFolder() {
    if (currentPath().empty())
        return; // not connected
    if (!newFolderField_) {
        newFolderField_ = std::make_unique<vwin::vLineEdit>(this, u"");
        connect(newFolderField_.get(), u"returnPressed", this, &OrvelFolderView::commitNewFolder);
        connect(newFolderField_.get(), u"escapePressed", this, &OrvelFolderView::cancelNewFolder);
        connect(newFolderField_.get(), u"lostFocus", this, &OrvelFolderView::cancelNewFolder);
    }
    vwin::vLineEdit& field = *newFolderField_;
    field.setText(uiText(ui_text::menu_new_folder));
    const int half = clientWidth() / 2;
    field.setGeometry(half + 1, 20, half - 5, OrvelFolderItem::row_height + 4);
    field.setVisible(true);
    field.selectAll();
    field.setFocus();
}

void OrvelFolderView::commitNewFolder() {
    if (!newFolderField_ || !newFolderField_->isVisible())
        return;
    const str name = newFolderField_->text();
    const str dir = currentPath();
    if (!WriteDirCommand::phoneName(name) || dir.empty()) {
        vwin::warningBeep(); // the field stays for another name
        return;
    }
    str path(dir);
    path.append(name);
    cancelNewFolder();
    queue(new MakeDirCommand(path));
}

void OrvelFolderView::cancelNewFolder() {
    if (!newFolderField_ || !newFolderField_->isVisible())
        return;
    const bool hadFocus = newFolderField_->hasFocus();
    newFolderField_->setVisible(false);
    if (hadFocus)
        files_->setFocus();
}
