// The process-wide objects, defined in one place so that they are built in declaration order and
// destroyed in reverse.

#include "app/globals.h"

#include "orvel_version.h"

namespace {

struct gdiplus_session {
    gdiplus_session() { vwin::startGdiplus(); }
};

gdiplus_session graphics;
vwin::vBlendLibrary msimg32;
SamsungComm the_link;
const str base_title(u"" ORVEL_TITLE);
vwin::vFont button_font(u"Tahoma", 15, 75, 0, 100);
OrvelButtonImages button_images(vwin::programResources());

// A registration, not one of the objects listed in globals.h: makes the font and images above
// the look of every OrvelButton(parent, text) while they live, and takes it back before they go.
struct shared_button_look {
    shared_button_look() { OrvelButton::setSharedLook(&button_images, &button_font); }
    ~shared_button_look() { OrvelButton::setSharedLook(nullptr, nullptr); }
    shared_button_look(const shared_button_look&) = delete;
    shared_button_look& operator=(const shared_button_look&) = delete;
};
shared_button_look button_look;

vwin::vFont text_font(u"tahoma", 12, 50, 0, 100);

} // namespace

SamsungComm& theLink() {
    return the_link;
}

const str& orvelBaseTitle() {
    return base_title;
}

const vwin::vFont& orvelButtonFont() {
    return button_font;
}

OrvelButtonImages& orvelButtonImages() {
    return button_images;
}

const vwin::vFont& orvelTextFont() {
    return text_font;
}
