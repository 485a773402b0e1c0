// The Qt driver's own behaviour: Qt input events become the toolkit's events with the
// platform's key codes and button words, the controls over Qt widgets report as the toolkit's do,
// popup menus answer the chosen id, and pixmaps keep direct pixel access beside QPainter drawing.

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QMimeData>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtCore/QUrl>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QScrollBar>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/support/gui_pump.h"
#include "toolkit/controls.h"
#include "toolkit/dnd.h"
#include "toolkit/folder_picker.h"
#include "toolkit/listview.h"
#include "toolkit/qt_driver_qt.h"

namespace {

using namespace vwin;

QWidget* qwidget(const vWidget& w) {
    return reinterpret_cast<QWidget*>(w.window());
}

void send_key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &up);
}

void send_mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(target, &e);
}

class keys_widget : public vWidget {
public:
    explicit keys_widget(vWidget* parent) : vWidget(parent, u"", widget_visible | widget_tabstop) {}
    ~keys_widget() override { destroyWindow(); }
    std::vector<vKeyEvent> keys;
    std::vector<vMouseEvent> mice;
    std::vector<int> wheels;
    void keyEvent(vKeyEvent* e) override {
        keys.push_back(*e);
        e->accept();
    }
    void mouseEvent(vMouseEvent* e) override {
        mice.push_back(*e);
        e->accepted = false; // goes on to the parent
    }
    void wheelEvent(vWheelEvent* e) override {
        wheels.push_back(e->delta);
        e->accepted = false; // goes on to the parent
    }
};

class QtDriver : public ::testing::Test {
protected:
    void SetUp() override {
        top = std::make_unique<vWidget>(nullptr, u"driver", widget_visible | widget_caption);
        top->setGeometry(30, 30, 300, 200);
    }
    std::unique_ptr<vWidget> top;
};

TEST_F(QtDriver, KeysArriveWithThePlatformsCodes) {
    keys_widget w(top.get());
    w.setGeometry(0, 0, 50, 20);
    struct key_case {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t vk;
        std::uint32_t modifierBits;
    };
    const key_case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, VK_RETURN, 0},
        {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN, 0},
        {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE, 0},
        {Qt::Key_Backspace, Qt::NoModifier, VK_BACK, 0},
        {Qt::Key_Delete, Qt::NoModifier, VK_DELETE, 0},
        {Qt::Key_PageDown, Qt::NoModifier, VK_NEXT, 0},
        {Qt::Key_Home, Qt::ShiftModifier, VK_HOME, modifier_shift},
        {Qt::Key_Down, Qt::NoModifier, VK_DOWN, 0},
        {Qt::Key_F5, Qt::NoModifier, VK_F5, 0},
        {Qt::Key_F10, Qt::ShiftModifier, VK_F10, modifier_shift},
        {Qt::Key_Menu, Qt::NoModifier, VK_APPS, 0},
        {Qt::Key_A, Qt::ControlModifier, 'A', modifier_control},
        {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, 'S', modifier_control | modifier_alt},
        {Qt::Key_7, Qt::NoModifier, '7', 0},
        {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD, 0},
        {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT, 0},
    };
    for (const key_case& c : cases) {
        w.keys.clear();
        send_key(qwidget(w), c.key, c.modifiers);
        ASSERT_EQ(w.keys.size(), 2u) << c.key;
        EXPECT_EQ(w.keys[0].key, c.vk) << c.key;
        EXPECT_EQ(w.keys[0].type, event_key_down) << c.key;
        EXPECT_EQ(w.keys[1].type, event_key_up) << c.key;
        EXPECT_EQ(w.keys[0].modifiers, c.modifierBits) << c.key;
    }
}

// Tab that nobody takes moves the focus to the next tab stop, Shift+Tab back.
TEST_F(QtDriver, UntakenTabMovesTheFocusAlongTheTabStops) {
    vLabel first(top.get(), u"a"); // not a tab stop
    vPushButton one(top.get(), u"one", 0xC0C0C0, 10, 1);
    vPushButton two(top.get(), u"two", 0xC0C0C0, 10, 1);
    one.setGeometry(0, 0, 60, 20);
    two.setGeometry(70, 0, 60, 20);
    one.setVisible(true);
    two.setVisible(true);
    top->showNormal();
    QApplication::setActiveWindow(qwidget(*top));
    one.setFocus();
    ASSERT_TRUE(pump_until([&] { return one.hasFocus(); }, 5000));
    send_key(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(pump_until([&] { return two.hasFocus(); }, 5000));
    send_key(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(pump_until([&] { return one.hasFocus(); }, 5000));
}

// Button words carry the platform's bits before and after; an untaken wheel goes to the parent.
TEST_F(QtDriver, MouseWordsAndWheelPassing) {
    keys_widget parent(top.get());
    parent.setGeometry(0, 0, 200, 150);
    keys_widget child(&parent);
    child.setGeometry(10, 10, 50, 50);
    send_mouse(qwidget(child), QEvent::MouseButtonPress, QPoint(5, 6), Qt::LeftButton,
               Qt::LeftButton, Qt::ShiftModifier);
    send_mouse(qwidget(child), QEvent::MouseButtonRelease, QPoint(5, 6), Qt::LeftButton,
               Qt::NoButton);
    ASSERT_EQ(child.mice.size(), 2u);
    EXPECT_EQ(child.mice[0].type, event_press);
    EXPECT_EQ(child.mice[0].button, button_left);
    EXPECT_EQ(child.mice[0].x, 5);
    EXPECT_EQ(child.mice[0].y, 6);
    EXPECT_EQ(child.mice[0].buttonsBefore, MK_SHIFT);
    EXPECT_EQ(child.mice[0].buttonsAfter, MK_SHIFT | MK_LBUTTON);
    EXPECT_EQ(child.mice[1].type, event_release);
    EXPECT_EQ(child.mice[1].buttonsBefore, MK_LBUTTON);
    EXPECT_EQ(child.mice[1].buttonsAfter, 0u);
    // The child does not take its press: the parent hears it, in its own coordinates.
    ASSERT_EQ(parent.mice.size(), 2u);
    EXPECT_EQ(parent.mice[0].x, 15);

    QWheelEvent wheel(QPointF(5, 5), QPointF(qwidget(child)->mapToGlobal(QPoint(5, 5))), QPoint(),
                      QPoint(0, -240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(qwidget(child), &wheel);
    EXPECT_EQ(child.wheels, std::vector<int>{-240});
    EXPECT_EQ(parent.wheels, std::vector<int>{-240});
}

class signal_counter : public vObject {
public:
    int clicked = 0, returned = 0, escaped = 0, changed = 0, lost = 0;
    void onClicked() { ++clicked; }
    void onReturn() { ++returned; }
    void onEscape() { ++escaped; }
    void onChanged() { ++changed; }
    void onLost() { ++lost; }
};

// A click is a press and a release on the button; a release after a press elsewhere is none.
TEST_F(QtDriver, ButtonClicksOnlyForItsOwnPress) {
    vPushButton button(top.get(), u"OK", 0xC0C0C0, 10, 1);
    button.setGeometry(10, 10, 80, 24);
    signal_counter counter;
    connect(&button, u"clicked", &counter, &signal_counter::onClicked);
    QWidget* q = qwidget(button);
    send_mouse(q, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(button.isDown());
    send_mouse(q, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(counter.clicked, 1);
    EXPECT_FALSE(button.isDown());
    send_mouse(q, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(counter.clicked, 1);
}

// The line edit over QLineEdit: typed text is the widget's text; Return and Escape become its
// signals; leaving it reports lostFocus.
TEST_F(QtDriver, LineEditReportsAsTheToolkitsDoes) {
    vLineEdit edit(top.get(), u"start");
    edit.setGeometry(10, 10, 120, 22);
    edit.setVisible(true);
    vPushButton other(top.get(), u"x", 0xC0C0C0, 10, 1);
    other.setGeometry(10, 40, 40, 20);
    other.setVisible(true);
    signal_counter counter;
    connect(&edit, u"returnPressed", &counter, &signal_counter::onReturn);
    connect(&edit, u"escapePressed", &counter, &signal_counter::onEscape);
    connect(&edit, u"textChanged", &counter, &signal_counter::onChanged);
    connect(&edit, u"lostFocus", &counter, &signal_counter::onLost);
    EXPECT_EQ(edit.text(), str(u"start"));
    QApplication::setActiveWindow(qwidget(*top));
    edit.setFocus();
    ASSERT_TRUE(pump_until([&] { return edit.hasFocus(); }, 5000));
    edit.selectAll();
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    send_key(field, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    EXPECT_EQ(edit.text(), str(u"z"));
    EXPECT_GE(counter.changed, 1);
    send_key(field, Qt::Key_Return);
    EXPECT_EQ(counter.returned, 1);
    send_key(field, Qt::Key_Escape);
    EXPECT_EQ(counter.escaped, 1);
    other.setFocus();
    EXPECT_TRUE(pump_until([&] { return counter.lost == 1; }, 5000));
}

// A popup menu answers the id of the chosen item; a disabled item cannot be chosen.
TEST_F(QtDriver, PopupMenuAnswersTheChosenId) {
    vPopupMenu menu;
    ASSERT_TRUE(menu.addItem(u"Open", 11));
    ASSERT_TRUE(menu.addSeparator());
    ASSERT_TRUE(menu.addItem(u"Delete", 12));
    ASSERT_TRUE(menu.setEnabled(12, false));
    EXPECT_FALSE(menu.setEnabled(99, true));
    EXPECT_EQ(vPopupMenu::fromMenu(menu.handle()), &menu);
    auto choose = [](const char* text) {
        QTimer::singleShot(0, [text] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            for (QAction* a : popup->actions())
                if (a->text() == QLatin1String(text))
                    popup->setActiveAction(a);
            // Return on the active item chooses it, as the user would; a disabled one is not.
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(popup, &enter);
            if (popup->isVisible())
                popup->close();
        });
    };
    choose("Open");
    EXPECT_EQ(menu.track(top->window(), 50, 50, TPM_RETURNCMD), 11);
    choose("Delete");
    EXPECT_EQ(menu.track(top->window(), 50, 50, TPM_RETURNCMD), 0);
    // Without TPM_RETURNCMD the chosen id reaches the owner's command.
    struct owner_widget : vWidget {
        explicit owner_widget(vWidget* parent) : vWidget(parent, u"") {}
        ~owner_widget() override { destroyWindow(); }
        std::vector<std::uint32_t> commands;
        void command(std::uint32_t code) override { commands.push_back(code); }
    } owner(top.get());
    choose("Open");
    menu.track(owner.window(), 50, 50);
    EXPECT_EQ(owner.commands, std::vector<std::uint32_t>{11});
}

// Direct pixel writes and QPainter drawing land in the same memory, top row first.
TEST(QtPixmap, DirectPixelsAndPainterShareTheImage) {
    vPixmap p(8, 6);
    ASSERT_TRUE(p.valid());
    p.fill(0xFF000000u);
    p.setOrigin(2, 1);
    p.fillRect(0, 0, 2, 2, 0x00112233); // direct: at (2..3, 1..2)
    p.setOrigin(0, 0);
    EXPECT_EQ(p.pixels()[1 * 8 + 2], 0x00112233u);
    EXPECT_EQ(p.pixel(3, 2), 0x00112233u);
    EXPECT_EQ(p.pixel(4, 2), 0xFF000000u);
    p.frameRect(0, 3, 8, 3, 0x0000FF); // through QPainter
    EXPECT_EQ(p.pixel(0, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(p.pixel(7, 5) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(p.pixel(3, 4) & 0xFFFFFF, 0x000000u); // inside the frame
    // A half-transparent blend over white mixes the source at half its weight.
    vPixmap target(2, 1);
    target.fill(0xFFFFFFFFu);
    vPixmap source(2, 1);
    source.fill(0xFF000000u); // opaque black
    target.alphaBlend(0, 0, source, 50);
    const vColor mixed = target.pixel(0, 0) & 0xFF;
    EXPECT_GT(mixed, 0x70u);
    EXPECT_LT(mixed, 0x90u);
}

// A window of the three kinds of control, grabbed as its widgets paint it: the list's selected
// row, the button's face and the edit's white field each show where they were put. With
// ORVEL_TOOLKIT_SHOTS set the picture is saved there as controls.png, for people to look at.
TEST_F(QtDriver, ControlsPaintWhereTheyWerePut) {
    top->setBackgroundColor(0xF0F0F0);
    vListView list(top.get());
    list.setGeometry(10, 10, 180, 120);
    list.setVisible(true);
    list.setSelectedBackground(0x2060C0);
    const char16_t* names[] = {u"Pictures", u"Sounds", u"Games", u"notes.txt", u"song.mid"};
    for (const char16_t* name : names)
        new vListViewItem(&list, str(name), 18);
    list.selectItem(list.at(1));
    vPushButton button(top.get(), u"Connect", 0xC0C0C0, 10, 1);
    button.setGeometry(200, 10, 90, 26);
    button.setVisible(true);
    vLineEdit edit(top.get(), u"/Other files");
    edit.setGeometry(10, 150, 280, 24);
    edit.setVisible(true);
    QImage shot;
    auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFFu; };
    EXPECT_TRUE(pump_until(
        [&] {
            shot = qwidget(*top)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            return at(185, 10 + 18 + 9) == 0x2060C0u;
        },
        5000));
    if (const char* dir = std::getenv("ORVEL_TOOLKIT_SHOTS"))
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/controls.png"));
    // On a display, the window stays up until the file named by ORVEL_TOOLKIT_HOLD appears (a
    // screenshot was taken), for at most 30 seconds.
    if (const char* hold = std::getenv("ORVEL_TOOLKIT_HOLD"))
        pump_until([&] { return QFile::exists(QString::fromLocal8Bit(hold)); }, 30000);
    EXPECT_EQ(at(185, 10 + 9), 0xFFFFFFu); // an unselected row: the window colour
    EXPECT_EQ(at(202, 20), 0xC0C0C0u);     // the button's face
    EXPECT_EQ(at(285, 160), 0xFFFFFFu);    // the edit's field
    EXPECT_EQ(at(5, 5), 0xF0F0F0u);        // the window's own background
}

class drop_probe : public vWidget {
public:
    explicit drop_probe(vWidget* parent) : vWidget(parent, u"", widget_visible) {}
    ~drop_probe() override { destroyWindow(); }
    int entered = 0, dropped = 0;
    str names;
    void dragEnter(vDropEvent* e) override {
        ++entered;
        e->hasFiles() ? e->accept() : e->refuse();
    }
    void drop(vDropEvent* e) override {
        ++dropped;
        e->fileNames(names, u"|");
        e->accept();
    }
};

// Files dragged over a window that takes drops reach the child under the pointer (by the default
// handlers), as local file names; the child beside it hears nothing. Qt is told the copy.
TEST_F(QtDriver, DroppedFilesReachTheChildUnderThePointer) {
    top->setAcceptDrops(true);
    drop_probe left(top.get()), right(top.get());
    left.setGeometry(0, 0, 100, 100);
    right.setGeometry(100, 0, 100, 100);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")),
                   QUrl(QStringLiteral("https://example.org/x")),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/c.jar"))});
    const QPoint at(150, 50); // over the right child
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(qwidget(*top), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &files, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(qwidget(*top), &drop);
    EXPECT_EQ(right.entered, 1);
    EXPECT_EQ(right.dropped, 1);
    EXPECT_EQ(right.names, str(u"/tmp/a b.txt|/tmp/c.jar|"));
    EXPECT_EQ(left.entered + left.dropped, 0);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
}

// A pointer block that no running drag of this process made is never taken for a row, even when
// it holds a real row's address: the list refuses it and the rows stay as they were.
TEST_F(QtDriver, ListRefusesAPointerOfNoRunningDrag) {
    vListView list(top.get());
    list.setGeometry(0, 0, 200, 150);
    list.setVisible(true);
    list.setAcceptDrops(true);
    for (const char16_t* name : {u"one", u"two", u"three"})
        new vListViewItem(&list, str(name), 20);
    vListViewItem* first = list.at(0);
    vPointerBlock block{reinterpret_cast<std::uintptr_t>(first), 1,
                        static_cast<std::uint32_t>(QCoreApplication::applicationPid()), 0};
    QMimeData forged;
    forged.setData(QString::fromLatin1(pointer_mime_type),
                   QByteArray(reinterpret_cast<const char*>(&block), sizeof block));
    forged.setText(QStringLiteral("vListViewItem"));
    QDropEvent drop(QPointF(10, 55), Qt::MoveAction, &forged, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(qwidget(list), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(list.at(0), first);
    EXPECT_EQ(list.count(), 3);
}

// More rows than fit: the vertical bar shows, the client area leaves it out, and moving the bar
// scrolls the contents to its value.
TEST_F(QtDriver, ScrollBarTakesItsWidthAndScrollsTheList) {
    vListView list(top.get());
    list.setGeometry(0, 0, 200, 100);
    list.setFitWidth(true);
    list.setVisible(true);
    for (int i = 0; i < 40; ++i)
        new vListViewItem(&list, str(u"row"), 20);
    ASSERT_TRUE(pump_until([&] { return list.contentsHeight() == 800; }, 5000));
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : qwidget(list)->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical && b->isVisible())
            bar = b;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(list.clientWidth(), 200 - bar->width());
    EXPECT_EQ(list.clientHeight(), 100);
    EXPECT_EQ(bar->maximum(), 800 - 100);
    bar->setValue(300); // as the user's drag of the bar does
    EXPECT_EQ(list.contentsY(), 300);
    EXPECT_EQ(list.indexAt(list.contentsY()), 15);
    list.scrollTo(0, 100); // and the bar follows the view
    EXPECT_EQ(bar->value(), 100);
}

class closing_widget : public vWidget {
public:
    closing_widget() : vWidget(nullptr, u"closing", widget_visible | widget_caption) {}
    ~closing_widget() override { destroyWindow(); }
    bool allow = false;
    int asked = 0, destroyedCalls = 0;
    bool canClose() override {
        ++asked;
        return allow;
    }
    void destroyed() override { ++destroyedCalls; }
};

// A close request asks canClose: refused, the window stays; granted, the window goes (the object
// stays, without a window, its dialog result "closed").
TEST_F(QtDriver, CloseAsksCanCloseAndTheWindowGoes) {
    closing_widget w;
    ASSERT_TRUE(w.isWindow());
    EXPECT_FALSE(qwidget(w)->close());
    EXPECT_EQ(w.asked, 1);
    EXPECT_TRUE(w.isWindow());
    w.allow = true;
    qwidget(w)->close();
    EXPECT_TRUE(pump_until([&] { return !w.isWindow(); }, 5000));
    EXPECT_EQ(w.destroyedCalls, 1);
    EXPECT_EQ(w.resultCode(), dialog_closed);
}

// A handler may delete the widget whose event it handles: the window goes at once and its
// QWidget later, without touching the freed object.
TEST_F(QtDriver, ButtonDeletedByItsOwnClickHandler) {
    auto* button = new vPushButton(top.get(), u"Delete me", 0xC0C0C0, 10, 1);
    button->setGeometry(10, 10, 80, 24);
    button->setVisible(true);
    struct deleter : vObject {
        vPushButton* target = nullptr;
        void onClicked() {
            delete target;
            target = nullptr;
        }
    } handler;
    handler.target = button;
    connect(button, u"clicked", &handler, &deleter::onClicked);
    QPointer<QWidget> q = qwidget(*button);
    send_mouse(q, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    send_mouse(q, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(handler.target, nullptr);
    EXPECT_TRUE(pump_until([&] { return q.isNull(); }, 5000));
}

// In-place editing over the Qt edit: the field opens over the row with its text selected, typed
// text replaces it, Return commits it to the row and hides the field; Escape leaves the row as
// it was.
TEST_F(QtDriver, ListRowEditedInPlace) {
    vListView list(top.get());
    list.setGeometry(0, 0, 200, 120);
    list.setVisible(true);
    new vListViewItem(&list, str(u"first"), 20);
    auto* row = new vListViewItem(&list, str(u"old name"), 20);
    QApplication::setActiveWindow(qwidget(*top));
    auto type = [](const char* text) {
        for (const char* c = text; *c; ++c)
            send_key(QApplication::focusWidget(), Qt::Key_A + (*c - 'a'), Qt::NoModifier,
                     QString(QChar(*c)));
    };
    list.startEdit(row, false);
    vLineEdit* field = list.editField();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(pump_until([&] { return field->hasFocus(); }, 5000));
    EXPECT_EQ(qwidget(*field)->geometry().top(), 20);
    type("new");
    send_key(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(row->text(), str(u"new"));
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(list.editedItem(), nullptr);

    list.startEdit(row, false);
    ASSERT_TRUE(pump_until([&] { return field->hasFocus(); }, 5000));
    type("zz");
    send_key(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(row->text(), str(u"new"));
    EXPECT_FALSE(field->isVisible());
}

// A vFont becomes the QFont its values mean: a negative height is the characters' pixel height,
// the 0..100 weight is Qt's 100..900 scale, the style bits its italic, underline and strike-out;
// a painter with the bold font selected measures wider text than with the normal one.
TEST(QtFont, ValuesReachTheQFontAndTheMeasures) {
    vFont bold(u"DejaVu Sans", -20, 75, font_italic | font_underline);
    ASSERT_TRUE(bold.valid());
    const QFont& q = bold.handle()->font;
    EXPECT_EQ(q.pixelSize(), 20);
    EXPECT_EQ(q.weight(), QFont::Bold);
    EXPECT_TRUE(q.italic());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.strikeOut());
    vFont normal(u"DejaVu Sans", -20, 40);
    EXPECT_EQ(normal.handle()->font.weight(), 420); // 40 * 8 + 100
    vPixmap p(10, 10);
    HGDIOBJ old = p.select(normal.handle());
    const SIZE thin = p.measureText(u"Measured text");
    p.select(bold.handle());
    const SIZE wide = p.measureText(u"Measured text");
    p.select(old);
    EXPECT_GT(wide.cx, thin.cx);
    EXPECT_GE(thin.cy, 20);
}

// The folder picker answers the folder the user chose (a name with a character beyond Latin-1
// survives) and false when cancelled.
TEST_F(QtDriver, FolderPickerAnswersTheChosenFolder) {
    const QString base = QDir::tempPath() +
                         QStringLiteral("/orvel-picker-%1").arg(QCoreApplication::applicationPid());
    const QString chosen = base + QStringLiteral("/Fotos \u00e9\u20ac");
    ASSERT_TRUE(QDir().mkpath(chosen));
    auto answer = [](const QString& folder) {
        QTimer::singleShot(0, [folder] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (folder.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->setDirectory(folder);
            dialog->selectFile(folder);
            static_cast<QDialog*>(dialog)->accept(); // the button the user presses
        });
    };
    str got;
    answer(chosen);
    EXPECT_TRUE(pickFolder(top->window(), u"Copy to", qt::totext(base), got));
    EXPECT_EQ(got, qt::totext(chosen));
    answer(QString());
    str untouched(u"kept");
    EXPECT_FALSE(pickFolder(top->window(), u"Copy to", qt::totext(base), untouched));
    EXPECT_EQ(untouched, str(u"kept"));
    QDir(base).removeRecursively();
}

} // namespace
