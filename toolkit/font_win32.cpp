// The font object: a platform font made from face, height, weight, style bits and quality.

#include "toolkit/painter.h"

namespace vwin {

BYTE vFont::platformQuality(int quality) {
    if (quality >= 100)
        return CLEARTYPE_QUALITY;
    if (quality < 50)
        return NONANTIALIASED_QUALITY;
    return ANTIALIASED_QUALITY;
}

bool vFont::create(const char16_t* face, double height, int weight, int style, int quality) {
    release();
    face_.assign(face ? face : u"");
    height_ = height;
    weight_ = weight;
    style_ = style;
    LOGFONTW lf{};
    lf.lfHeight = static_cast<LONG>(height);
    lf.lfWeight = platformWeight(weight);
    lf.lfItalic = (style & font_italic) ? TRUE : FALSE;
    lf.lfUnderline = (style & font_underline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style & font_strikeout) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = 32; // handed to the platform unchanged
    lf.lfQuality = platformQuality(quality);
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    // The face name field holds 31 characters and a terminator.
    const int n = face_.length() < LF_FACESIZE - 1 ? face_.length() : LF_FACESIZE - 1;
    for (int i = 0; i < n; ++i)
        lf.lfFaceName[i] = static_cast<wchar_t>(face_[i]);
    handle_ = CreateFontIndirectW(&lf);
    owns_ = handle_ != nullptr;
    return handle_ != nullptr;
}

void vFont::release() {
    if (handle_ && owns_)
        DeleteObject(handle_);
    handle_ = nullptr;
    owns_ = false;
}

} // namespace vwin
