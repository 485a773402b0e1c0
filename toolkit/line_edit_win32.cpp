// vLineEdit: the platform's "EDIT" control adopted into the toolkit.

#include "toolkit/controls.h"

namespace vwin {

namespace {

constexpr wchar_t edit_class[] = L"EDIT";

} // namespace

vLineEdit::vLineEdit(vWidget* parent, const char16_t* text, std::uint32_t flags)
    : vWidget(parent, text, flags | widget_no_create) {
    backgroundColor_ = systemColor(COLOR_WINDOW);
    textColor_ = systemColor(COLOR_WINDOWTEXT);
    // Edit styles; the text scrolls sideways instead of stopping at the right edge.
    style_ |= (flags & 0xFFFF) | ES_AUTOHSCROLL;
    create();
}

vLineEdit::~vLineEdit() {
    destroyWindow();
    if (brush_)
        DeleteObject(brush_);
}

bool vLineEdit::create() {
    if (window_)
        return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, edit_class, &wc))
        return false;
    classProc_ = wc.lpfnWndProc;
    previousProc_ = classProc_;
    exStyle_ |= WS_EX_NOPARENTNOTIFY;
    HWND window =
        CreateWindowExW(exStyle_, edit_class, reinterpret_cast<const wchar_t*>(title_.c_str()),
                        style_, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        parentWindow_, nullptr, instance, nullptr);
    if (!window)
        return false;
    attached_ = false;
    window_ = window;
    setUpWindow();
    return true;
}

void vLineEdit::setUpWindow() {
    if (!window_)
        return;
    // The edit keeps its own procedure as the previous one; the toolkit's control procedure
    // goes in front of it.
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC));
    if (current != controlProc && current != windowProc)
        previousProc_ = current;
    if (!classProc_)
        classProc_ = previousProc_;
    SetWindowLongPtrW(window_, GWLP_ID, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc));
    if (parentWindow_) {
        if (LRESULT font = SendMessageW(parentWindow_, WM_GETFONT, 0, 0))
            SendMessageW(window_, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
}

void vLineEdit::adoptWindow(HWND window) {
    attach(window, true);
    if (!window_)
        return;
    classProc_ = previousProc_;
    setUpWindow();
}

void vLineEdit::destroyWindow() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        if (previousProc_)
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    vWidget::destroyWindow();
}

void vLineEdit::refreshBrush() {
    if (brush_)
        DeleteObject(brush_);
    brush_ = CreateSolidBrush(toColorRef(backgroundColor_));
}

void vLineEdit::setEditBackground(vColor color) {
    backgroundColor_ = color;
    refreshBrush();
    update();
}

void vLineEdit::setEditTextColor(vColor color) {
    textColor_ = color;
    update();
}

void vLineEdit::controlColor(vPainter& painter, LRESULT& result) {
    if (!brush_)
        refreshBrush();
    painter.setTextColor(textColor_);
    painter.setBackgroundColor(backgroundColor_);
    painter.select(brush_);
    result = reinterpret_cast<LRESULT>(brush_);
}

void vLineEdit::adjustFrame(int&, int&, int&, int&) {
    // Geometry given to the edit is its window geometry.
}

void vLineEdit::setSelection(int from, int to) {
    if (window_)
        SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

} // namespace vwin
