// The parts of vFont and vRegion that both drivers share: who owns the handle, and the weight
// scale.

#include "toolkit/painter.h"
#include "toolkit/widget.h"

namespace vwin {

vFont::vFont(const char16_t* face, double height, int weight, int style, int quality) {
    create(face, height, weight, style, quality);
}

vFont::~vFont() {
    release();
}

int vFont::platformWeight(int weight) {
    return weight * 800 / 100 + 100;
}

void vFont::adopt(HFONT handle, bool owns) {
    if (handle == handle_) {
        owns_ = owns && handle;
        return;
    }
    release();
    handle_ = handle;
    owns_ = owns && handle;
}

HFONT vFont::detach() {
    owns_ = false;
    return handle_;
}

vRegion::~vRegion() {
    clear();
}

void vRegion::adopt(HRGN region) {
    if (region == region_)
        return;
    clear();
    region_ = region;
}

HRGN vRegion::detach() {
    HRGN r = region_;
    region_ = nullptr;
    return r;
}

} // namespace vwin
