#pragma once
// The Qt driver's own types behind the toolkit's opaque handles, and the helpers its files share.
//
// A window (HWND) is the host QWidget of one vWidget; a device context (HDC) says what a vPainter
// draws on (a host during its paint event, or an image); a bitmap (HBITMAP) holds a vPixmap's
// QImage, a font (HFONT) a QFont, a region (HRGN) a QRegion, a menu (HMENU) a QMenu.

#include <QtCore/QBasicTimer>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QRegion>
#include <QtWidgets/QWidget>

#include <functional>
#include <map>

#include "core/str.h"
#include "toolkit/widget.h"

class QLineEdit;
class QPainter;
class QScrollBar;

struct HFONT__ {
    QFont font;
};

struct HBITMAP__ {
    QImage image; // Format_RGB32: the toolkit colour 0xAARRGGBB is the pixel word
};

struct HRGN__ {
    QRegion region;
};

struct HDC__ {
    QImage* image = nullptr;    // the image drawn on (memory painters)
    QPainter* active = nullptr; // the painter of a paint event (window painters)
    HFONT font = nullptr;       // the selected font; null: the application's
    vwin::vColor text = 0;
    vwin::vColor back = 0xFFFFFF;
    int mode = 1; // 1 transparent, 2 opaque
};

namespace vwin {

// Friend of vWidget: the driver's access to its state.
struct widget_access {
    static HWND& window(vWidget& w) { return w.window_; }
    static bool suspended(const vWidget& w) { return w.updatesSuspended_; }
    static vFont& font(vWidget& w) { return w.font_; }
    static str& title(vWidget& w) { return w.title_; }
    static bool& hovered(vWidget& w) { return w.hovered_; }
    static std::mutex& lock(vWidget& w) { return w.pendingLock_; }
    static std::uint32_t& style(vWidget& w) { return w.style_; }
    static const vWidget::tab_order& tabOrder(const vWidget& w) { return w.tabOrder_; }
};

namespace qt {

// The QWidget of one vWidget: its events become the widget's virtual operations.
class host final : public QWidget {
public:
    host(vWidget* widget, QWidget* parent);
    ~host() override;

    vWidget* widget = nullptr;  // null once unbound
    QRect paintRect;            // the area of the paint event in progress
    QLineEdit* edit = nullptr;  // the line edit filling the host (vLineEdit), else null
    QScrollBar* bars[2] = {};   // horizontal and vertical, made on first use
    std::map<int, int> timers;  // toolkit timer id -> QObject timer id
    QBasicTimer hover;          // the pointer resting in a hover-tracking widget
    vDropEvent* drag = nullptr; // the drag now over the host (owned), or null

    int clientWidth() const; // without visible scroll bars
    int clientHeight() const;
    void placeBars();
    // Runs `call` on the host's thread with the widget still bound (queued).
    void post(std::function<void(vWidget&)> call);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
};

inline host* host_of(HWND window) {
    return reinterpret_cast<host*>(window);
}
inline HWND handle_of(host* h) {
    return reinterpret_cast<HWND>(h);
}
// The widget bound to a QWidget of the driver, or null.
vWidget* widget_of(QWidget* w);
// A drag event of the host handed to its widget's drag operations; true when it was one.
bool deliver_drag(host& h, QEvent* e);

inline QString qtext(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}
inline str totext(const QString& text) {
    str s;
    s.assign(reinterpret_cast<const char16_t*>(text.utf16()));
    return s;
}
inline QColor qcolor(vColor c) {
    return QColor(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>(c & 0xFF));
}
// The VK code of a Qt key (0 for keys the views do not know).
std::uint32_t virtual_key(int key, Qt::KeyboardModifiers modifiers);
// modifier_shift | modifier_control | modifier_alt.
std::uint32_t modifiers_of(Qt::KeyboardModifiers modifiers);
// The calling thread is the application's (GUI) thread.
bool on_gui_thread();

// Marks an event of a driver's QWidget as running: a window destroyed meanwhile keeps its
// QWidgets until the event loop deletes them.
struct event_scope {
    event_scope();
    ~event_scope();
    event_scope(const event_scope&) = delete;
    event_scope& operator=(const event_scope&) = delete;
};

} // namespace qt
} // namespace vwin
