#include "toolkit/dialogs.h"

#include "toolkit/widget.h"

namespace vwin {

namespace {
const wchar_t* wide(const str& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

UINT icon_flag(dialog_icon icon) {
    switch (icon) {
    case dialog_icon::warning:
        return MB_ICONWARNING;
    case dialog_icon::information:
        return MB_ICONINFORMATION;
    case dialog_icon::question:
        break;
    }
    return MB_ICONQUESTION;
}
} // namespace

bool askOkCancel(vWidget* owner, const str& title, const str& text, bool okIsDefault,
                 dialog_icon icon) {
    const UINT flags =
        MB_OKCANCEL | icon_flag(icon) | (okIsDefault ? MB_DEFBUTTON1 : MB_DEFBUTTON2);
    return MessageBoxW(owner ? owner->window() : nullptr, wide(text), wide(title), flags) == IDOK;
}

void tellUser(vWidget* owner, const str& title, const str& text) {
    MessageBoxW(owner ? owner->window() : nullptr, wide(text), wide(title),
                MB_OK | MB_ICONINFORMATION);
}

void warningBeep() {
    MessageBeep(MB_ICONWARNING);
}

POINT pointerPosition() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

} // namespace vwin
