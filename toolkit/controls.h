#pragma once
// The basic controls: vLabel, vButton, vPushButton, vLineEdit and vView, each a vWidget that
// overrides a few operations and reports through named signals (all without arguments):
//   vLabel    "clicked"        left button pressed on it, when anybody listens
//   vButton   "clicked"        a completed click: press and release on the button (or Return /
//                              Space released after being pressed)
//   vLineEdit "setFocus", "lostFocus", "textChanged", "returnPressed", "escapePressed"

#include "toolkit/platform_types.h"

#include <cstdint>

#include "toolkit/painter.h"
#include "toolkit/pixmap.h"
#include "toolkit/widget.h"

namespace vwin {

// Dialog result codes (vWidget::resultCode).
enum : int {
    dialog_pending = -2,      // at construction
    dialog_closed = -1,       // the window was destroyed without a result
    dialog_ok = IDOK,         // 1
    dialog_cancel = IDCANCEL, // 2
    dialog_yes = IDYES,       // 6
    dialog_no = IDNO,         // 7
};

// A line of static text drawn in the text colour with the alignment flags (the low 4 bits of
// the creation flags: text_center, text_right, text_vcenter, text_bottom). Background mode 0.
class vLabel : public vWidget {
public:
    vLabel(vWidget* parent, const char16_t* text, std::uint32_t flags = 0);

    void setTextColor(vColor color); // repaints when it changes
    vColor textColor() const { return textColor_; }
    unsigned alignment() const { return alignment_; }
    void setAlignment(unsigned flags); // low 4 bits

    void paint(vPainter& painter) override;
    void mouseEvent(vMouseEvent* event) override;

protected:
    unsigned alignment_ = 0;
    vColor textColor_ = 0;
};

// The press/release logic of a button. `down` is also the checked state of a button whose
// automatic release is switched off (a tab button stays pressed after a click).
class vButton : public vWidget {
public:
    vButton(vWidget* parent, const char16_t* text, std::uint32_t flags);

    // Slot 55: the look changed (base: invalidate).
    virtual void updateLook();

    void setDown(bool state); // updateLook when it changes
    bool isDown() const { return down_; }
    void setChecked(bool state) { setDown(state); }
    bool isChecked() const { return down_; }
    // With automatic release (the default) the button pops up again after a click.
    void setAutoRelease(bool on) { autoRelease_ = on; }
    bool autoRelease() const { return autoRelease_; }

    void mouseEvent(vMouseEvent* event) override;
    void keyEvent(vKeyEvent* event) override;
    void focusIn(HWND other) override;
    void focusOut(HWND other) override;

protected:
    bool down_ = false;
    bool autoRelease_ = true;
    bool pressed_ = false; // the left button went down on this button and was not yet released
};

// A vButton with hover tracking and three state images (normal, hover, down) that it builds for
// its size, base colour and text. Style flags 1 or 2: no cut-corner window region.
class vPushButton : public vButton {
public:
    vPushButton(vWidget* parent, const char16_t* text, vColor baseColor, int size,
                std::uint32_t styleFlags);

    vColor baseColor() const { return baseColor_; }
    int sizeValue() const { return size_; }
    std::uint32_t styleFlags() const { return styleFlags_; }
    vPixmap& normalImage() { return normal_; }
    vPixmap& hoverImage() { return hover_; }
    vPixmap& downImage() { return downImage_; }

    void mouseEnter() override;
    void mouseLeave() override;
    using vWidget::setText;
    void setText(const char16_t* text) override;
    void resized(int w, int h) override;
    void restyle() override;
    void paint(vPainter& painter) override;

protected:
    vColor baseColor_ = 0;
    vRegion shape_;
    vPixmap normal_;
    vPixmap hover_;
    vPixmap downImage_;
    int size_ = 0;
    std::uint32_t styleFlags_ = 0;
};

// The platform's single-line "EDIT" control adopted into the toolkit. The low 16 bits of the
// flags are edit styles (ES_AUTOHSCROLL is always added). Geometry given to it is its window
// geometry (no frame adjustment).
class vLineEdit : public vWidget {
public:
    vLineEdit(vWidget* parent, const char16_t* text, std::uint32_t flags = 0);
    ~vLineEdit() override;

    // Slots 55-57.
    // Adopts a native edit window: attach with subclassing, then the same set-up as create.
    virtual void adoptWindow(HWND window);
    virtual void setEditBackground(vColor color); // stores it, refreshes the brush, update
    virtual void setEditTextColor(vColor color);  // stores it, update

    vColor editTextColor() const { return textColor_; }
    void selectAll();
    void setSelection(int from, int to);

    bool create() override;
    void destroyWindow() override;
    void controlColor(vPainter& painter, LRESULT& result) override;
    void adjustFrame(int& x, int& y, int& w, int& h) override;
    void keyEvent(vKeyEvent* event) override;
    void command(std::uint32_t code) override;

protected:
    void setUpWindow(); // ID, user data, control procedure, parent's font
    void refreshBrush();

    HBRUSH brush_ = nullptr; // solid brush of the background colour
    vColor textColor_ = 0;
    WNDPROC classProc_ = nullptr; // the "EDIT" class procedure
};

// A scrollable area whose contents (width x height) may be larger than the window. The contents
// rectangle's corner is minus the scroll position. The contents are painted by paintContents
// into an off-screen pixmap (of the client size, with its origin moved so that the contents draw
// in their own coordinates) that is copied to the window in one transfer.
class vView : public vWidget {
public:
    // Without flags: widget_tabstop for a view with a parent, widget_toplevel_default else.
    vView(vWidget* parent, const char16_t* text, std::uint32_t flags = 0);

    // Slots after vWidget's.
    virtual HWND contentsWindow();                       // the view's own window
    virtual void layoutContents();                       // hook after every scroll and resize
    virtual void layoutScrollBars();                     // shows, hides and sets up the bars
    virtual void paintContents(vPixmap& pixmap);         // in contents coordinates
    virtual void contentsMouseEvent(vMouseEvent* event); // position in contents coordinates

    // A negative height keeps the current one; a negative width takes the client width when
    // fitClient is set, else keeps the current one. With fitClient each enabled bar gets the
    // new range at once.
    void setContentsSize(int width, int height, bool fitClient = false);
    // Clamped to 0 .. contents size - client size on each axis.
    void scrollTo(int x, int y);

    int contentsWidth() const { return contents_.right - contents_.left; }
    int contentsHeight() const { return contents_.bottom - contents_.top; }
    int contentsX() const { return -contents_.left; } // scroll position
    int contentsY() const { return -contents_.top; }
    const RECT& contentsRect() const { return contents_; }
    vPixmap& pixmap() { return pixmap_; }

    // Names used elsewhere for the same operations.
    void setContentSize(int width, int height) { setContentsSize(width, height, false); }
    int contentWidth() const { return contentsWidth(); }
    int contentHeight() const { return contentsHeight(); }
    int scrollX() const { return contentsX(); }
    int scrollY() const { return contentsY(); }

    // Scroll bar switches and fitting (the contents take the client width / height).
    void setHScrollEnabled(bool on);
    void setVScrollEnabled(bool on);
    bool hScrollEnabled() const { return hBar_; }
    bool vScrollEnabled() const { return vBar_; }
    void setFitWidth(bool on);
    void setFitHeight(bool on);
    bool fitWidth() const { return fitWidth_; }
    bool fitHeight() const { return fitHeight_; }

    bool dispatch(HWND window, UINT message, WPARAM word, LPARAM param, LRESULT& result) override;
    void wheelEvent(vWheelEvent* event) override;
    void scrolled(int bar, int position) override;
    void resized(int w, int h) override;
    void paint(vPainter& painter) override;
    void paintBackground(vPainter& painter, const RECT& rect) override;
    void mouseEvent(vMouseEvent* event) override;
    void invalidateRect(int x, int y, int w, int h) override;
    void invalidate() override;

protected:
    RECT contents_{0, 0, 0, 0};
    vPixmap pixmap_;
    bool hBar_ = true;
    bool vBar_ = true;
    bool fitWidth_ = false;
    bool fitHeight_ = false;

private:
    bool inLayout_ = false; // layoutScrollBars is running (bars changing the client size)
};

} // namespace vwin
