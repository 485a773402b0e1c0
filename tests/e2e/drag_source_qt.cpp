// orvel-dragsource X Y FILE...: the file manager of the native end-to-end tests. A 60 x 60
// window at (X, Y) of the screen; a press on it drags the files as file URLs (text/uri-list), as a
// file manager does. Writes "dropped copy" or "dropped none" when the drag ends, and runs on until
// it is ended (the target reads the data from it after the drop).

#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QDrag>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class drag_source : public QWidget {
public:
    explicit drag_source(QList<QUrl> files) : files_(std::move(files)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        auto* data = new QMimeData;
        data->setUrls(files_);
        QDrag drag(this);
        drag.setMimeData(data);
        const Qt::DropAction done = drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::printf("dropped %s\n", done == Qt::IgnoreAction ? "none" : "copy");
        std::fflush(stdout);
        // Like a file manager, it stays: the target reads the files' names from it after the drop.
    }

private:
    QList<QUrl> files_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: orvel-dragsource X Y FILE...\n", stderr);
        return 2;
    }
    QList<QUrl> files;
    for (int i = 3; i < argc; ++i)
        files.append(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    drag_source window(files);
    window.setWindowTitle("orvel-dragsource");
    window.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 60, 60);
    window.show();
    return QApplication::exec();
}
