#include <QtGui/QCursor>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

#include "toolkit/dialogs.h"
#include "toolkit/qt_driver_qt.h"
#include "toolkit/widget.h"

namespace vwin {

namespace {
QWidget* parent_of(vWidget* owner) {
    return owner && owner->window() ? qt::host_of(owner->window()) : nullptr;
}

QMessageBox::Icon icon_of(dialog_icon icon) {
    switch (icon) {
    case dialog_icon::warning:
        return QMessageBox::Warning;
    case dialog_icon::information:
        return QMessageBox::Information;
    case dialog_icon::question:
        break;
    }
    return QMessageBox::Question;
}
} // namespace

bool askOkCancel(vWidget* owner, const str& title, const str& text, bool okIsDefault,
                 dialog_icon icon) {
    QMessageBox box(icon_of(icon), qt::qtext(title.c_str()), qt::qtext(text.c_str()),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_of(owner));
    box.setDefaultButton(okIsDefault ? QMessageBox::Ok : QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void tellUser(vWidget* owner, const str& title, const str& text) {
    QMessageBox box(QMessageBox::Information, qt::qtext(title.c_str()), qt::qtext(text.c_str()),
                    QMessageBox::Ok, parent_of(owner));
    box.exec();
}

void warningBeep() {
    QApplication::beep();
}

POINT pointerPosition() {
    const QPoint p = QCursor::pos();
    return POINT{p.x(), p.y()};
}

} // namespace vwin
