// Process-wide drawing services: the GDI+ session and the library that provides AlphaBlend.

#include <atomic>
#include <mutex>

#include <windows.h>
// gdiplus.h needs the COM property types declared first.
#include <gdiplus.h>
#include <objidl.h>

#include "core/lib.h"
#include "toolkit/painter.h"

namespace vwin {

namespace {

std::once_flag gdiplus_once;
std::atomic<bool> gdiplus_running{false};
ULONG_PTR gdiplus_token = 0; // kept for the life of the process
std::atomic<const lib*> blend_library{nullptr};

} // namespace

bool startGdiplus() {
    std::call_once(gdiplus_once, [] {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, no suppression
        if (Gdiplus::GdiplusStartup(&gdiplus_token, &input, nullptr) == Gdiplus::Ok)
            gdiplus_running = true;
    });
    return gdiplus_running;
}

bool gdiplusStarted() {
    return gdiplus_running;
}

void setBlendLibrary(const lib* library) {
    blend_library = library;
}

const lib* blendLibrary() {
    return blend_library;
}

vBlendLibrary::vBlendLibrary() : library_(new lib(u"msimg32.dll", false)) {
    if (library_->is_loaded())
        setBlendLibrary(library_);
}

vBlendLibrary::~vBlendLibrary() {
    if (blendLibrary() == library_)
        setBlendLibrary(nullptr);
    delete library_;
}

bool vBlendLibrary::loaded() const {
    return library_->is_loaded();
}

} // namespace vwin
