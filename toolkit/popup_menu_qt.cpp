// vPopupMenu over QMenu. A chosen item reaches the owner widget's `command` with its id, or is
// answered with TPM_RETURNCMD, as the platform's menus do.

#include <QtGui/QAction>
#include <QtWidgets/QMenu>

#include "toolkit/qt_driver_qt.h"

struct HMENU__ {
    QMenu menu;
    vwin::vPopupMenu* owner = nullptr;
};

namespace vwin {

namespace {

QAction* action_of(HMENU menu, unsigned id) {
    for (QAction* a : menu->menu.actions())
        if (!a->isSeparator() && a->data().toUInt() == id)
            return a;
    return nullptr;
}

} // namespace

vPopupMenu::vPopupMenu(bool) : menu_(new HMENU__) {
    menu_->owner = this;
}

vPopupMenu::~vPopupMenu() {
    destroy();
}

bool vPopupMenu::addItem(const char16_t* text, unsigned id, HBITMAP) {
    if (!menu_)
        return false;
    QAction* a = menu_->menu.addAction(qt::qtext(text ? text : u""));
    a->setData(id);
    return true;
}

bool vPopupMenu::setEnabled(unsigned id, bool on) {
    QAction* a = menu_ ? action_of(menu_, id) : nullptr;
    if (!a)
        return false;
    a->setEnabled(on);
    return true;
}

bool vPopupMenu::addSeparator() {
    return menu_ && menu_->menu.addSeparator();
}

int vPopupMenu::track(HWND owner, int screenX, int screenY, unsigned flags) {
    if (!menu_ || !owner)
        return 0;
    QAction* chosen = menu_->menu.exec(QPoint(screenX, screenY));
    const int id = chosen ? static_cast<int>(chosen->data().toUInt()) : 0;
    if (flags & TPM_RETURNCMD)
        return id;
    if (id != 0) {
        if (vWidget* w = vWidget::fromWindow(owner))
            w->command(static_cast<std::uint32_t>(id));
    }
    return id != 0;
}

void vPopupMenu::destroy() {
    delete menu_;
    menu_ = nullptr;
}

vPopupMenu* vPopupMenu::fromMenu(HMENU menu) {
    if (!menu)
        return nullptr;
    vPopupMenu* wrapper = menu->owner;
    return wrapper && wrapper->menu_ == menu ? wrapper : nullptr;
}

} // namespace vwin
