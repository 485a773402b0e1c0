// vPainter over QPainter: a window painter draws with the paint event's QPainter; a memory
// painter draws on its image with a QPainter made for each operation. Also vFont over QFont,
// vRegion over QRegion, the system colours and the process-wide drawing services.

#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>

#include <optional>

#include "toolkit/pixmap.h"
#include "toolkit/qt_driver_qt.h"

namespace vwin {

namespace {

// The font a context starts with (select answers it as the font it replaced).
HFONT default_font() {
    static HFONT__ font{QFont()};
    return &font;
}

QFont font_of(const HDC__* dc) {
    if (!dc || !dc->font || dc->font == default_font())
        return QApplication::font();
    return dc->font->font;
}

// A QPainter on the context's target for one operation, moved by the painter's origin.
class scope {
public:
    explicit scope(const vPainter& painter) {
        HDC dc = painter.dc();
        if (!dc)
            return;
        if (dc->active) {
            p_ = dc->active;
            p_->save();
            saved_ = true;
        } else if (dc->image && !dc->image->isNull()) {
            own_.emplace(dc->image);
            p_ = &*own_;
        } else {
            return;
        }
        p_->translate(painter.originX(), painter.originY());
        p_->setFont(font_of(dc));
    }
    ~scope() {
        if (saved_)
            p_->restore();
    }
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;

    explicit operator bool() const { return p_ != nullptr; }
    QPainter* operator->() const { return p_; }
    QPainter& operator*() const { return *p_; }

private:
    std::optional<QPainter> own_;
    QPainter* p_ = nullptr;
    bool saved_ = false;
};

int qt_flags(unsigned format) {
    int flags = Qt::AlignTop;
    if (format & text_center)
        flags |= Qt::AlignHCenter;
    else if (format & text_right)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & text_singleline)
        flags |= Qt::TextSingleLine;
    else if (format & text_wordbreak)
        flags |= Qt::TextWordWrap;
    if (format & text_noclip)
        flags |= Qt::TextDontClip;
    return flags;
}

// The size that text takes laid out with those flags in a box `width` wide (0: unbounded).
QSize text_size(const QFont& font, const QString& text, unsigned format, int width) {
    const QFontMetrics metrics(font);
    const QRect box(0, 0, width > 0 ? width : 0x3FFFFFF, 0x3FFFFFF);
    const QRect r = metrics.boundingRect(box, qt_flags(format) & ~Qt::TextDontClip, text);
    return r.size();
}

} // namespace

// ---- the three painters ----

vPainter::vPainter() = default;

vPainter::vPainter(HDC dc) : dc_(dc) {}

vPainter::vPainter(HWND window) {
    if (!window)
        return;
    qt::host* h = qt::host_of(window);
    if (h->widget) {
        // Only inside the host's paint event (the driver makes these painters there).
        auto* painter = new QPainter(h);
        if (painter->isActive()) {
            painter->setClipRect(h->paintRect);
            dc_ = new HDC__;
            dc_->active = painter;
        } else {
            delete painter;
        }
    }
    if (!dc_)
        return;
    window_ = window;
    const QRect r = h->paintRect;
    paint_.rcPaint = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    width_ = r.width();
    height_ = r.height();
}

vPainter::~vPainter() {
    if (window_) {
        dc_->active->end();
        delete dc_->active;
        delete dc_;
        dc_ = nullptr;
        window_ = nullptr;
    } else {
        deleteMemoryContext();
    }
}

bool vPainter::ensureMemoryContext() {
    if (dc_)
        return true;
    if (window_)
        return false;
    dc_ = new HDC__;
    ownsDc_ = true;
    return true;
}

void vPainter::deleteMemoryContext() {
    if (dc_ && ownsDc_)
        delete dc_;
    if (ownsDc_)
        dc_ = nullptr;
    ownsDc_ = false;
}

bool vPainter::valid() const {
    return dc_ != nullptr;
}

// ---- shapes ----

void vPainter::fillRect(const RECT& rect, vColor color) {
    scope p(*this);
    if (p)
        p->fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                    qt::qcolor(color));
}

void vPainter::frameRect(const RECT& rect, vColor color) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    scope p(*this);
    if (!p || w <= 0 || h <= 0)
        return;
    const QColor c = qt::qcolor(color);
    p->fillRect(QRect(rect.left, rect.top, w, 1), c);
    p->fillRect(QRect(rect.left, rect.bottom - 1, w, 1), c);
    p->fillRect(QRect(rect.left, rect.top, 1, h), c);
    p->fillRect(QRect(rect.right - 1, rect.top, 1, h), c);
}

void vPainter::ellipse(int x, int y, int w, int h, vColor color) {
    scope p(*this);
    if (!p)
        return;
    p->setPen(qt::qcolor(color));
    p->setBrush(Qt::NoBrush);
    p->drawEllipse(QRect(x, y, w - 1, h - 1));
}

void vPainter::fillEllipse(int x, int y, int w, int h, vColor color) {
    scope p(*this);
    if (!p)
        return;
    p->setPen(qt::qcolor(color));
    p->setBrush(qt::qcolor(color));
    p->drawEllipse(QRect(x, y, w - 1, h - 1));
}

// ---- text ----

void vPainter::drawText(const RECT& rect, unsigned format, const char16_t* text) {
    if (!dc_ || !text || (format & text_calcrect))
        return;
    RECT r = rect;
    if (dc_->mode == 2)
        fillRect(r, dc_->back);
    const QString t = qt::qtext(text);
    const QFont font = font_of(dc_);
    if (format & (text_vcenter | text_bottom)) {
        // Measured in a box of the rectangle's width, then the top moved down.
        const int textHeight =
            text_size(font, t, format & ~(text_vcenter | text_bottom), r.right - r.left).height();
        const int free = (r.bottom - r.top) - textHeight;
        if (free > 0)
            r.top += (format & text_bottom) ? free : free / 2;
        format &= ~(text_vcenter | text_bottom);
    }
    scope p(*this);
    if (!p)
        return;
    p->setPen(qt::qcolor(dc_->text));
    QRect box(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if ((format & text_noclip) && (box.width() <= 0 || box.height() <= 0))
        box = QRect(r.left, r.top, 0x3FFFFF, 0x3FFFFF);
    p->drawText(box, qt_flags(format), t);
}

void vPainter::drawText(int x, int y, const char16_t* text) {
    RECT r{x, y, x - 1, y - 1}; // drawn unclipped
    drawText(r, text_noclip, text);
}

SIZE vPainter::measureText(const char16_t* text, unsigned format, int width) {
    SIZE size{0, 0};
    if (!dc_ || !text)
        return size;
    if (width <= 0)
        format |= text_singleline;
    const QSize s = text_size(font_of(dc_), qt::qtext(text), format, width);
    size.cx = s.width();
    size.cy = s.height();
    return size;
}

void vPainter::setTextColor(vColor color) {
    if (dc_)
        dc_->text = color & 0x00FFFFFF;
}

vColor vPainter::textColor() const {
    return dc_ ? dc_->text : 0;
}

void vPainter::setBackgroundColor(vColor color) {
    if (dc_)
        dc_->back = color & 0x00FFFFFF;
}

vColor vPainter::backgroundColor() const {
    return dc_ ? dc_->back : 0;
}

void vPainter::setBackgroundMode(int mode) {
    if (dc_)
        dc_->mode = mode;
}

// Only fonts are selected into a context of this driver.
HGDIOBJ vPainter::select(HGDIOBJ object) {
    if (!dc_ || !object)
        return nullptr;
    HFONT old = dc_->font ? dc_->font : default_font();
    dc_->font = static_cast<HFONT>(object);
    return old;
}

void vPainter::setOrigin(int dx, int dy) {
    originX_ = dx;
    originY_ = dy;
}

// ---- transfers ----

// Between images the 32-bit words are copied as they are (alpha included, as the platform's
// transfers do). A window takes the colours only: Qt would carry an alpha byte of 0 from the
// image into the window's backing store, so the copied part is made opaque first.
void vPainter::blit(int x, int y, int w, int h, HDC source, int sx, int sy) {
    stretchBlit(x, y, w, h, source, sx, sy, w, h);
}

void vPainter::stretchBlit(int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh) {
    if (!dc_ || !source || !source->image || sw <= 0 || sh <= 0 || w <= 0 || h <= 0)
        return;
    scope p(*this);
    if (!p)
        return;
    const QRect from(sx, sy, sw, sh);
    if (!dc_->active) {
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->drawImage(QRect(x, y, w, h), *source->image, from);
        return;
    }
    QImage part = source->image->copy(from);
    for (int row = 0; row < part.height(); ++row) {
        auto* word = reinterpret_cast<std::uint32_t*>(part.scanLine(row));
        for (int i = 0; i < part.width(); ++i)
            word[i] |= 0xFF000000u;
    }
    p->drawImage(QRect(x, y, w, h), part);
}

// The source's pixels as premultiplied alpha (as the platform's blend reads them), at a
// constant opacity on top.
bool vPainter::blendOnce(int x, int y, int w, int h, const vPixmap& source, int sx, int sy,
                         BYTE alpha) {
    const HDC src = source.dc();
    if (!src || !src->image)
        return false;
    scope p(*this);
    if (!p)
        return false;
    const QImage& image = *src->image;
    const QImage view(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                      QImage::Format_ARGB32_Premultiplied);
    p->setOpacity(alpha / 255.0);
    p->drawImage(QRect(x, y, w, h), view, QRect(sx, sy, w, h));
    return true;
}

// ---- fonts ----

BYTE vFont::platformQuality(int quality) {
    return static_cast<BYTE>(quality >= 100 ? 5 : (quality < 50 ? 3 : 4));
}

bool vFont::create(const char16_t* face, double height, int weight, int style, int quality) {
    release();
    face_.assign(face ? face : u"");
    height_ = height;
    weight_ = weight;
    style_ = style;
    QFont font(qt::qtext(face_.c_str()));
    // A negative height is the characters' height, a positive one the cell's (with leading).
    const int pixels = height < 0 ? static_cast<int>(-height) : static_cast<int>(height * 0.8);
    if (pixels > 0)
        font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(platformWeight(weight)));
    font.setItalic(style & font_italic);
    font.setUnderline(style & font_underline);
    font.setStrikeOut(style & font_strikeout);
    if (quality < 50)
        font.setStyleStrategy(QFont::NoAntialias);
    handle_ = new HFONT__{font};
    owns_ = true;
    return true;
}

void vFont::release() {
    if (handle_ && owns_)
        delete handle_;
    handle_ = nullptr;
    owns_ = false;
}

// ---- regions ----

vRegion::vRegion(int x, int y, int w, int h) {
    setRect(x, y, w, h);
}

void vRegion::setRect(int x, int y, int w, int h) {
    clear();
    region_ = new HRGN__{QRegion(x, y, w, h)};
}

void vRegion::addRect(int x, int y, int w, int h) {
    if (!region_)
        region_ = new HRGN__{QRegion(x, y, w, h)};
    else
        region_->region += QRegion(x, y, w, h);
}

bool vRegion::copy(const vRegion& other) {
    if (&other == this)
        return true;
    if (!other.region_) {
        clear();
        return true;
    }
    if (!region_)
        region_ = new HRGN__{other.region_->region};
    else
        region_->region = other.region_->region;
    return true;
}

bool vRegion::contains(int x, int y) const {
    return region_ && region_->region.contains(QPoint(x, y));
}

void vRegion::clear() {
    delete region_;
    region_ = nullptr;
}

// ---- colours and services ----

// The classic desktop colours, the same on every machine.
vColor systemColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return 0xFFFFFF;
    case COLOR_WINDOWTEXT:
        return 0x000000;
    case 13: // highlight
        return 0x0078D7;
    case 14: // highlighted text
        return 0xFFFFFF;
    case 16: // button shadow
        return 0xA0A0A0;
    case 17: // grey text
        return 0x6D6D6D;
    case 18: // button text
        return 0x000000;
    default: // COLOR_BTNFACE and the rest of the panel colours
        return 0xF0F0F0;
    }
}

// QPainter draws images and blends by itself: there is no session to start and no library.
bool startGdiplus() {
    return false;
}
bool gdiplusStarted() {
    return false;
}
void setBlendLibrary(const lib*) {}
const lib* blendLibrary() {
    return nullptr;
}
vBlendLibrary::vBlendLibrary() : library_(nullptr) {}
vBlendLibrary::~vBlendLibrary() = default;
bool vBlendLibrary::loaded() const {
    return false;
}

// ---- keys ----

namespace qt {

std::uint32_t modifiers_of(Qt::KeyboardModifiers modifiers) {
    std::uint32_t m = 0;
    if (modifiers & Qt::ShiftModifier)
        m |= modifier_shift;
    if (modifiers & Qt::ControlModifier)
        m |= modifier_control;
    if (modifiers & Qt::AltModifier)
        m |= modifier_alt;
    return m;
}

std::uint32_t virtual_key(int key, Qt::KeyboardModifiers modifiers) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<std::uint32_t>(key); // the same codes
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_Plus:
        return keypad ? VK_ADD : 0xBB; // the main keyboard's "=+" key
    case Qt::Key_Minus:
        return keypad ? VK_SUBTRACT : 0xBD;
    default:
        return 0;
    }
}

} // namespace qt

} // namespace vwin
