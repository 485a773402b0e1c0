#pragma once
// OrvelButton: the program's own button (the main window's tabs, "Auto Connect" on the Devices
// page, "Save" on the Specials page). A vPushButton that paints itself from six bitmap images: a
// left cap, a middle repeated across the width and a right cap, in a normal and a checked set.
// The checked state is vButton's. Like the pages that use it, it lives outside namespace vwin.
//
// The shared look: OrvelButton(parent, text) takes the images and the font that the program set
// with OrvelButton::setSharedLook, once at start-up, before it made its first button. Until then
// (and in programs that never set one, such as tests of a single page) it takes the built-in
// look: six empty images and no font of its own, so the button paints its surroundings and its
// text in the font it took from its parent. The shared images and font are the program's; the
// buttons only use them, so they must outlive every button made with them.

#include <mutex>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/painter.h"
#include "toolkit/pixmap.h"

// The six images, in the order in which they are loaded.
class OrvelButtonImages {
public:
    enum part { left_cap = 0, middle = 1, right_cap = 2 };

    // Resource ids: normal left, middle, right; checked left, middle, right.
    static constexpr int normal_ids[3] = {116, 118, 119};
    static constexpr int checked_ids[3] = {125, 121, 122};
    // The colour that marks the surroundings in the caps, and what it becomes.
    static constexpr vwin::vColor cap_key = 0xFF0000;
    static constexpr vwin::vColor panel_grey = 0x00F0F0F0;

    // Empty images (the built-in look; tests draw their own).
    OrvelButtonImages() = default;
    // Loaded from the program's bitmap resources (a missing one stays empty).
    explicit OrvelButtonImages(HMODULE module);
    OrvelButtonImages(const OrvelButtonImages&) = delete;
    OrvelButtonImages& operator=(const OrvelButtonImages&) = delete;

    vwin::vPixmap& image(bool checked, part which) {
        return checked ? checked_[which] : normal_[which];
    }

    // Once for the life of these images: in each of the four caps every pixel whose low 24 bits
    // are pure red becomes 0x00F0F0F0. The middles are not touched. Later calls do nothing.
    void prepare();
    bool prepared() const { return prepared_; }

private:
    vwin::vPixmap normal_[3];
    vwin::vPixmap checked_[3];
    std::once_flag once_;
    bool prepared_ = false; // written once under once_
};

class OrvelButton : public vwin::vPushButton {
public:
    // With the shared look (see above).
    OrvelButton(vwin::vWidget* parent, const char16_t* text);
    // With given images and font (both must outlive the button).
    OrvelButton(vwin::vWidget* parent, const char16_t* text, OrvelButtonImages& images,
                const vwin::vFont& font);

    // Sets the look of the buttons made from now on with OrvelButton(parent, text); null images
    // or a null font return that part to the built-in look. Buttons already made keep theirs.
    static void setSharedLook(OrvelButtonImages* images, const vwin::vFont* font);
    // The images and font that OrvelButton(parent, text) takes now (the font may be null).
    static OrvelButtonImages& sharedImages();
    static const vwin::vFont* sharedFont();

    void paint(vwin::vPainter& painter) override;

    OrvelButtonImages& images() { return images_; }

    // Where the middle image is drawn in a button w pixels wide: from the left cap's width while
    // x < w - the right cap's width, a middle's width apart. None when the middle has no width.
    static std::vector<int> middlePositions(int w, int leftWidth, int middleWidth, int rightWidth);

    static constexpr vwin::vColor base_color = 0xC0C0C0;
    static constexpr vwin::vColor checked_text = 0xFFFFFF;
    static constexpr vwin::vColor normal_text = 0x157DCC;
    static constexpr vwin::vColor surroundings = 0xF0F0F0;

private:
    OrvelButton(vwin::vWidget* parent, const char16_t* text, OrvelButtonImages& images,
                const vwin::vFont* font);

    OrvelButtonImages& images_;
};
