// List view speed over the Qt driver (see listview_bench.h), drawn off-screen unless
// QT_QPA_PLATFORM asks for a display.

#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtWidgets/QApplication>

#include "bench/listview_bench.h"

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeout_ms)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void pump_pending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return listview_bench_main(argc, argv);
}
