// orvel: the window program on Linux and other systems with Qt. Ports given with --port are
// listed in the Devices tab after the discovered ones.

#include <QtCore/QBuffer>
#include <QtCore/QLibraryInfo>
#include <QtCore/QLocale>
#include <QtCore/QTranslator>
#include <QtGui/QIcon>
#include <QtGui/QImageReader>
#include <QtWidgets/QApplication>

#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "app/globals.h"
#include "app/hw_view.h"
#include "app/orvel_gui.h"
#include "link/port_discovery.h"
#include "orvel_version.h"
#include "toolkit/embedded_resources.h"
#include "toolkit/widget.h"

namespace {

constexpr int program_icon_id = 101;

void usage(std::FILE* to) {
    std::fputs("usage: orvel [--port DEVICE]...\n"
               "  --port DEVICE  list the serial device DEVICE (e.g. /dev/ttyACM0) in Devices\n",
               to);
}

// Every image of the program's icon file.
QIcon programIcon() {
    const std::span<const unsigned char> bytes = vwin::embeddedResource(program_icon_id);
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    // Each line the program writes reaches a pipe reading it at once.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    OrvelPortDiscovery discovery;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            // The row names the device by its file name ("ttyACM0"); the port is the path.
            const std::string path = argv[++i];
            const std::size_t slash = path.find_last_of('/');
            const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
            appendPortRecord(discovery.given,
                             str::from_utf8(name.empty() ? path.c_str() : name.c_str()),
                             str::from_utf8(path.c_str()));
        } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("orvel " ORVEL_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "orvel: unknown argument '%s'\n", argv[i]);
            usage(stderr);
            return 2;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("orvel");
    QApplication::setApplicationVersion(ORVEL_VERSION);
    QGuiApplication::setDesktopFileName("orvel");
    QApplication::setWindowIcon(programIcon());
    // Qt's own texts (the buttons of questions, the folder picker) in the user's language, where
    // the system has Qt's translations.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    OrvelGUI gui(theLink(), orvelBaseTitle(), std::nullopt, discovery);
    if (!gui.isWindow())
        return 1;
    vwin::setMainWindow(gui.window());
    const int status = QApplication::exec();
    vwin::setMainWindow(nullptr);
    return status;
}
