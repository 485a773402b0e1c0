// vRegion: one owned platform region handle.

#include "toolkit/widget.h"

namespace vwin {

vRegion::vRegion(int x, int y, int w, int h) : region_(CreateRectRgn(x, y, x + w, y + h)) {}

void vRegion::setRect(int x, int y, int w, int h) {
    if (region_ && SetRectRgn(region_, x, y, x + w, y + h))
        return;
    clear();
    region_ = CreateRectRgn(x, y, x + w, y + h);
}

void vRegion::addRect(int x, int y, int w, int h) {
    if (!region_) {
        region_ = CreateRectRgn(x, y, x + w, y + h);
        return;
    }
    HRGN part = CreateRectRgn(x, y, x + w, y + h);
    if (!part)
        return;
    CombineRgn(region_, region_, part, RGN_OR);
    DeleteObject(part);
}

bool vRegion::copy(const vRegion& other) {
    if (&other == this)
        return region_ != nullptr;
    if (!other.region_) {
        clear();
        return false;
    }
    if (!region_)
        region_ = CreateRectRgn(0, 0, 0, 0);
    return region_ && CombineRgn(region_, other.region_, nullptr, RGN_COPY) != ERROR;
}

bool vRegion::contains(int x, int y) const {
    return region_ && PtInRegion(region_, x, y);
}

void vRegion::clear() {
    if (region_)
        DeleteObject(region_);
    region_ = nullptr;
}

} // namespace vwin
