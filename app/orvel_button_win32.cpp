#include "app/orvel_button.h"

#include "app/globals.h"

using namespace vwin;

OrvelButtonImages::OrvelButtonImages(HMODULE module) {
    for (int i = 0; i < 3; ++i)
        normal_[i].loadResource(module, normal_ids[i]);
    for (int i = 0; i < 3; ++i)
        checked_[i].loadResource(module, checked_ids[i]);
}

void OrvelButtonImages::prepare() {
    std::call_once(once_, [this] {
        for (vPixmap* cap :
             {&normal_[left_cap], &normal_[right_cap], &checked_[left_cap], &checked_[right_cap]})
            cap->replaceColor(cap_key, panel_grey, 0x00FFFFFF);
        prepared_ = true;
    });
}

OrvelButton::OrvelButton(vWidget* parent, const char16_t* text)
    : OrvelButton(parent, text, orvelButtonImages(), orvelButtonFont()) {}

OrvelButton::OrvelButton(vWidget* parent, const char16_t* text, OrvelButtonImages& images,
                         const vFont& font)
    : vPushButton(parent, text, base_color, 21, 2), images_(images) {
    images_.prepare();
    // The font stays the shared object's; this button only uses its handle.
    setFont(font.handle());
    setBackgroundMode(background_none);
}

std::vector<int> OrvelButton::middlePositions(int w, int leftWidth, int middleWidth,
                                              int rightWidth) {
    std::vector<int> xs;
    if (middleWidth <= 0)
        return xs; // a missing middle image would never advance
    const int end = w - (rightWidth > 0 ? rightWidth : 0);
    for (int x = leftWidth > 0 ? leftWidth : 0; x < end; x += middleWidth)
        xs.push_back(x);
    return xs;
}

void OrvelButton::paint(vPainter& painter) {
    const int w = clientWidth();
    const int h = clientHeight();
    const bool checked = isChecked();
    // The normal images' sizes serve both states.
    const vPixmap& left = images_.image(false, OrvelButtonImages::left_cap);
    const vPixmap& middle = images_.image(false, OrvelButtonImages::middle);
    const vPixmap& right = images_.image(false, OrvelButtonImages::right_cap);

    painter.draw(0, 0, images_.image(checked, OrvelButtonImages::left_cap));
    for (int x : middlePositions(w, left.width(), middle.width(), right.width()))
        painter.draw(x, 0, images_.image(checked, OrvelButtonImages::middle));
    if (right.width() > 0)
        painter.draw(w - right.width(), 0, images_.image(checked, OrvelButtonImages::right_cap));

    painter.setTextColor(checked ? checked_text : normal_text);
    const RECT all{0, 0, w, h};
    painter.drawText(all, text_center | text_vcenter | text_singleline, text());

    // Below the images (taller buttons) the surroundings show.
    if (middle.height() > 0 && h > middle.height())
        painter.fillRect(0, middle.height(), w, h - middle.height(), surroundings);
}
