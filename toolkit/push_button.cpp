// vPushButton: a button with hover tracking that draws itself from three state images.

#include "toolkit/controls.h"

namespace vwin {

namespace {

// A colour made lighter (amount > 0) or darker (amount < 0) by the given value steps.
vColor shade(vColor color, int amount) {
    int h, s, v;
    toHsv(color, h, s, v);
    v += amount;
    if (v > 255)
        v = 255;
    if (v < 0)
        v = 0;
    return fromHsv(h, s, v);
}

} // namespace

vPushButton::vPushButton(vWidget* parent, const char16_t* text, vColor baseColor, int size,
                         std::uint32_t styleFlags)
    : vButton(parent, text, widget_tabstop), baseColor_(baseColor), size_(size),
      styleFlags_(styleFlags) {
    setHoverTracking(true);
    restyle();
}

void vPushButton::mouseEnter() {
    hovered_ = true;
    updateLook();
}

void vPushButton::mouseLeave() {
    hovered_ = false;
    updateLook();
}

void vPushButton::setText(const char16_t* text) {
    vWidget::setText(text);
    restyle();
}

void vPushButton::resized(int w, int h) {
    if (styleFlags_ & 3) {
        shape_.clear();
        setRegion(shape_);
    } else {
        // Cut corners: three overlapping rectangles.
        shape_.clear();
        shape_.addRect(2, 0, w - 4, h);
        shape_.addRect(1, 1, w - 2, h - 2);
        shape_.addRect(0, 2, w, h - 4);
        setRegion(shape_);
    }
    restyle();
}

void vPushButton::restyle() {
    const int w = clientWidth();
    const int h = clientHeight();
    if (w <= 0 || h <= 0)
        return;
    const str label = text();
    struct look {
        vPixmap* image;
        vColor face;
        vColor frame;
        vColor ink;
        int shift; // the text moves down and right when pressed
    };
    const look looks[] = {
        {&normal_, baseColor_, shade(baseColor_, -64), 0x000000, 0},
        {&hover_, shade(baseColor_, 24), shade(baseColor_, -96), 0x000000, 0},
        {&downImage_, shade(baseColor_, -32), shade(baseColor_, -128), 0x000000, 1},
    };
    for (const look& l : looks) {
        if (!l.image->ensureSize(w, h))
            continue;
        l.image->fill(0xFF000000u | l.face);
        l.image->frameRect(0, 0, w, h, l.frame);
        HGDIOBJ old = font_.handle() ? l.image->select(font_.handle()) : nullptr;
        l.image->setTextColor(l.ink);
        RECT r{l.shift, l.shift, w + l.shift, h + l.shift};
        l.image->drawText(r, text_center | text_vcenter | text_singleline, label.c_str());
        if (old)
            l.image->select(old);
    }
}

void vPushButton::paint(vPainter& painter) {
    const vPixmap& image = down_ ? downImage_ : (hovered_ ? hover_ : normal_);
    painter.draw(0, 0, image);
}

} // namespace vwin
