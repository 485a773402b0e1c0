#include "toolkit/orvel_button.h"

#include <atomic>

using namespace vwin;

namespace {

// The shared look. Set by the program while its process-wide objects are built, read by each
// default construction; atomic so that a button made on another thread sees a whole pointer.
constinit std::atomic<OrvelButtonImages*> shared_images{nullptr};
constinit std::atomic<const vFont*> shared_font{nullptr};

// The built-in images: six empty pixmaps, made on first use.
OrvelButtonImages& builtInImages() {
    static OrvelButtonImages images;
    return images;
}

} // namespace

void OrvelButtonImages::prepare() {
    std::call_once(once_, [this] {
        for (vPixmap* cap :
             {&normal_[left_cap], &normal_[right_cap], &checked_[left_cap], &checked_[right_cap]})
            cap->replaceColor(cap_key, panel_grey, 0x00FFFFFF);
        prepared_ = true;
    });
}

void OrvelButton::setSharedLook(OrvelButtonImages* images, const vFont* font) {
    shared_images.store(images);
    shared_font.store(font);
}

OrvelButtonImages& OrvelButton::sharedImages() {
    OrvelButtonImages* images = shared_images.load();
    return images ? *images : builtInImages();
}

const vFont* OrvelButton::sharedFont() {
    return shared_font.load();
}

OrvelButton::OrvelButton(vWidget* parent, const char16_t* text)
    : OrvelButton(parent, text, sharedImages(), sharedFont()) {}

OrvelButton::OrvelButton(vWidget* parent, const char16_t* text, OrvelButtonImages& images,
                         const vFont& font)
    : OrvelButton(parent, text, images, &font) {}

OrvelButton::OrvelButton(vWidget* parent, const char16_t* text, OrvelButtonImages& images,
                         const vFont* font)
    : vPushButton(parent, text, base_color, 21, 2), images_(images) {
    images_.prepare();
    // The font stays its owner's; this button only uses its handle. Without one the button keeps
    // the font it took from its parent.
    if (font)
        setFont(font->handle());
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
    const int imagesHeight = middle.height() > 0 ? middle.height() : 0;

    // Without images the whole button is surroundings, under the text.
    if (imagesHeight == 0)
        painter.fillRect(0, 0, w, h, surroundings);
    painter.draw(0, 0, images_.image(checked, OrvelButtonImages::left_cap));
    for (int x : middlePositions(w, left.width(), middle.width(), right.width()))
        painter.draw(x, 0, images_.image(checked, OrvelButtonImages::middle));
    if (right.width() > 0)
        painter.draw(w - right.width(), 0, images_.image(checked, OrvelButtonImages::right_cap));

    painter.setTextColor(checked ? checked_text : normal_text);
    const RECT all{0, 0, w, h};
    painter.drawText(all, text_center | text_vcenter | text_singleline, text());

    // The focus shows as a frame inside the edges.
    if (hasFocus() && w > 8 && h > 8)
        painter.frameRect(3, 3, w - 6, h - 6, checked ? checked_text : normal_text);

    // Below the images (taller buttons) the surroundings show.
    if (imagesHeight > 0 && h > imagesHeight)
        painter.fillRect(0, imagesHeight, w, h - imagesHeight, surroundings);
}
