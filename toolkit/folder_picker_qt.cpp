// The folder picker over QFileDialog::getExistingDirectory.

#include <QtWidgets/QFileDialog>

#include "toolkit/folder_picker.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

bool pickFolder(HWND owner, const char16_t* title, const str& start, str& chosen) {
    QWidget* parent = owner ? qt::host_of(owner) : nullptr;
    const QString folder =
        QFileDialog::getExistingDirectory(parent, qt::qtext(title), qt::qtext(start.c_str()));
    if (folder.isEmpty())
        return false;
    chosen = qt::totext(folder);
    return true;
}

} // namespace vwin
