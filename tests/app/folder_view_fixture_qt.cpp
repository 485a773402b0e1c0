// The browser fixture's Qt side: the folder picker (a QFileDialog) and the popup menu (a QMenu)
// answered from a timer running inside their loops, and dragged data as Qt carries it.

#include "tests/app/folder_view_fixture.h"

#include <QtCore/QMimeData>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtCore/QUrl>
#include <QtGui/QAction>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>

namespace browser_test {

namespace {

QString qpath(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

// Answers every folder picker that shows while it lives: the folder is chosen as the user
// would (or the picker cancelled). A picker that stays after its answer is cancelled.
class picker_answerer {
public:
    explicit picker_answerer(picker_choice& choice) : choice_(choice) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

private:
    void tick() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (dialog == answered_) {
            dialog->reject();
            return;
        }
        ++choice_.shown;
        choice_.openedIn = fs::path(dialog->directory().absolutePath().toStdU16String());
        answered_ = dialog;
        if (!choice_.pick) {
            dialog->reject();
            return;
        }
        // The folder's path typed into the name field, as the user may (selectFile leaves the
        // field as it is while it has the focus, and the dialog would answer its own folder).
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(qpath(choice_.folder));
        name->setText(qpath(choice_.folder));
        static_cast<QDialog*>(dialog)->accept(); // the button the user presses
    }

    picker_choice& choice_;
    QTimer timer_;
    QPointer<QFileDialog> answered_;
};
std::unique_ptr<picker_answerer> picker;

// The menu shown now.
class qt_menu final : public open_menu {
public:
    explicit qt_menu(QMenu* menu) : menu_(menu) {}
    bool has(unsigned id) override { return action(id) != nullptr; }
    bool enabled(unsigned id) override {
        QAction* a = action(id);
        return a && a->isEnabled();
    }
    void dismiss() override { menu_->close(); }

private:
    QAction* action(unsigned id) {
        for (QAction* a : menu_->actions())
            if (!a->isSeparator() && a->data().toUInt() == id)
                return a;
        return nullptr;
    }
    QMenu* menu_;
};

} // namespace

bool driverSetUp(picker_choice& choice) {
    picker = std::make_unique<picker_answerer>(choice);
    return QApplication::instance() != nullptr;
}

void driverTearDown() {
    picker.reset();
}

bool answerMenu(const std::function<void()>& open, int choice,
                const std::function<void(open_menu&)>& whileOpen) {
    bool answered = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer.stop();
        answered = true;
        if (whileOpen) {
            qt_menu shown(menu);
            whileOpen(shown);
        }
        if (!menu || !menu->isVisible())
            return;
        int left = choice;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && --left == 0)
                menu->setActiveAction(a);
        // Return chooses the active item, as the user's key does; a disabled one is not chosen.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
        if (menu && menu->isVisible())
            menu->close();
    });
    timer.start();
    open();
    timer.stop();
    return answered;
}

void withDropEvent(const dragged_data& data, DWORD allowed,
                   const std::function<void(vwin::vDropEvent&)>& use) {
    QMimeData offer;
    if (!data.files.empty()) {
        QList<QUrl> urls;
        for (const fs::path& file : data.files)
            urls.push_back(QUrl::fromLocalFile(qpath(file)));
        offer.setUrls(urls);
    } else {
        offer.setText(QString::fromStdU16String(data.text));
    }
    vwin::vDropEvent event(&offer, allowed);
    use(event);
}

} // namespace browser_test
