// vPopupMenu: a small wrapper of a menu handle whose data word points back to the wrapper.

#include "toolkit/widget.h"

namespace vwin {

vPopupMenu::vPopupMenu(bool popup) : menu_(popup ? CreatePopupMenu() : CreateMenu()) {
    if (!menu_)
        return;
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MENUDATA;
    info.dwMenuData = reinterpret_cast<ULONG_PTR>(this);
    SetMenuInfo(menu_, &info);
}

vPopupMenu::~vPopupMenu() {
    destroy();
}

bool vPopupMenu::addItem(const char16_t* text, unsigned id, HBITMAP bitmap) {
    if (!menu_)
        return false;
    if (!AppendMenuW(menu_, MF_STRING, id, reinterpret_cast<const wchar_t*>(text ? text : u"")))
        return false;
    if (bitmap)
        SetMenuItemBitmaps(menu_, id, MF_BYCOMMAND, bitmap, bitmap);
    return true;
}

bool vPopupMenu::setEnabled(unsigned id, bool on) {
    return menu_ && EnableMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)) != -1;
}

bool vPopupMenu::addSeparator() {
    return menu_ && AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
}

int vPopupMenu::track(HWND owner, int screenX, int screenY, unsigned flags) {
    if (!menu_ || !owner)
        return 0;
    return TrackPopupMenu(menu_, flags, screenX, screenY, 0, owner, nullptr);
}

void vPopupMenu::destroy() {
    if (menu_)
        DestroyMenu(menu_);
    menu_ = nullptr;
}

vPopupMenu* vPopupMenu::fromMenu(HMENU menu) {
    if (!menu)
        return nullptr;
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MENUDATA;
    if (!GetMenuInfo(menu, &info))
        return nullptr;
    auto* wrapper = reinterpret_cast<vPopupMenu*>(info.dwMenuData);
    return wrapper && wrapper->menu_ == menu ? wrapper : nullptr;
}

} // namespace vwin
