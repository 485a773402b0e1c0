// Tests and benchmarks of windows over the Qt driver: one QApplication for the whole program
// (widgets need it), made while the program starts, drawn off-screen unless QT_QPA_PLATFORM asks
// for a display; and the event pump of gui_pump.h.

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "tests/support/gui_pump.h"

namespace {

// What the program keeps (the picker's last folder) goes to a folder of this test program's
// own, never into the settings of the user who runs the tests; it goes when the program ends.
class private_settings {
public:
    private_settings() {
        char pattern[] = "/tmp/orvel-test-settings-XXXXXX";
        if (const char* made = ::mkdtemp(pattern)) {
            folder_ = made;
            ::setenv("XDG_CONFIG_HOME", made, 1);
        }
    }
    ~private_settings() {
        std::error_code ignored;
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ignored);
    }
    private_settings(const private_settings&) = delete;
    private_settings& operator=(const private_settings&) = delete;

private:
    std::filesystem::path folder_;
};

private_settings settings;

// Made before main runs, so widgets made by test fixtures and benchmarks find it. It is kept
// for the life of the process: after main, Qt's own process-wide objects that its destructor
// needs may already be gone.
class gui_application {
public:
    gui_application() {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[16] = "orvel_tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

gui_application application;

} // namespace

// Under LeakSanitizer: fontconfig keeps what it read of its configuration for the life of the
// process (Qt never ends it with FcFini), which the leak check at exit would report as lost.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    // The wait below sleeps until an event arrives; the tick ends it at least every 5 ms, so
    // that conditions set by other threads are polled without spinning.
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (clock.elapsed() >= timeout_ms)
            return done();
        // Deleted-later objects go too, as they would in the program's loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pump_pending() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

desktop_lock::desktop_lock() : held_(true) {}

desktop_lock::~desktop_lock() = default;
