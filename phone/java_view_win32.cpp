// OrvelJavaView: the Java Apps page.

#include <mutex>

#include "link/jobs.h"
#include "phone/java_view.h"

using namespace vwin;

namespace {

constexpr vColor page_background = 0xF0F0F0;
constexpr vColor white = 0xFFFFFF;
constexpr vColor blue = 0x157DCC;

} // namespace

javaItem::javaItem(vListView* owner, const str& name, const str& folderPath)
    : vListViewItem(owner, name, item_height), path(folderPath) {}

javaItem::~javaItem() = default;

int javaItem::compare(vListViewItem* other, int) {
    return text().compare(other ? other->text().c_str() : u"", false);
}

void javaItem::draw(vPixmap& pixmap, const RECT& row) {
    const bool selected = isSelected();
    pixmap.fillRect(row, selected ? blue : white);
    pixmap.setBackgroundMode(TRANSPARENT);
    pixmap.setTextColor(selected ? white : blue);
    pixmap.drawText(row.left + 28, row.top + 5, text().c_str());
}

OrvelJavaView::OrvelJavaView(vWidget* parent, SamsungComm& link)
    : vWidget(parent, u""), link_(link) {
    setBackgroundColor(page_background);
    games_ = std::make_unique<vListView>(this, true, vListView::selection_single);
    games_->setBackgroundColor(white);
    games_->setHScrollEnabled(false);
    games_->setFitWidth(true);
    games_->setKeysSelect(true);
    games_->setShowsFocus(true);

    vObject* sender = &link_;
    connect(sender, u"BrowseEntry", this, &OrvelJavaView::browseEntry);
    connect(sender, u"BrowseEnd", this, &OrvelJavaView::browseEnd);
    setAcceptDrops(true);
    setVisible(true);
    resized(clientWidth(), clientHeight());
}

OrvelJavaView::~OrvelJavaView() {
    // No link signal may reach the page while it goes; a handler running on the worker is
    // waited for.
    link_.disconnect_receiver(this);
    disconnect_all();
    destroyWindow();
}

void OrvelJavaView::refresh() {
    link_.addJob(new BrowseCommand(first_));
    link_.addJob(new BrowseCommand(second_));
}

void OrvelJavaView::disconnected() {
    games_->clear();
}

void OrvelJavaView::browseEntry(const char16_t* folder, const char16_t* name,
                                std::uint32_t attributes) {
    str path;
    const java_entry kind = classifyBrowseEntry(folder, name, attributes, &path);
    if (kind == java_entry::other_folder)
        return;
    std::lock_guard hold(games_->listLock());
    installFolder_ = str(folder);
    if (kind != java_entry::game)
        return;
    const int n = games_->count();
    for (int i = 0; i < n; ++i) {
        auto* game = dynamic_cast<javaItem*>(games_->at(i));
        if (game && game->path.equals(path.c_str(), false))
            return;
    }
    new javaItem(games_.get(), str(name), path); // the list owns it
}

void OrvelJavaView::browseEnd(const char16_t*) {
    // After either folder: a game listed (or installed) later takes its place in the order.
    games_->sort(0, true);
}

void OrvelJavaView::resized(int w, int h) {
    if (games_)
        games_->setGeometry(0, 20, w, h - 20);
}

void OrvelJavaView::dragEnter(vDropEvent* event) {
    if (!event)
        return;
    str names;
    if (event->hasFiles() && event->fileNames(names, u"|") && holdsJarFile(names))
        event->accept();
    else
        event->refuse();
}

void OrvelJavaView::drop(vDropEvent* event) {
    installDropped(event);
}

str OrvelJavaView::installFolder() {
    std::lock_guard hold(games_->listLock());
    return javaInstallFolder(installFolder_);
}

bool OrvelJavaView::installDropped(vDropEvent* event) {
    if (!event)
        return false;
    str names;
    if (!event->hasFiles() || !event->fileNames(names, u"|")) {
        event->refuse();
        return false;
    }
    alist<javaApp> apps(32, true);
    pairDroppedFiles(names, apps);
    const str folder = installFolder();
    const auto steps = installSteps(apps, folder, [this](const str& name) {
        return games_->findItem(name.c_str()) != nullptr;
    });
    for (const java_step& step : steps) {
        switch (step.kind) {
        case java_step::make_dir:
            link_.addJob(new MakeDirCommand(step.phone));
            break;
        case java_step::write_file:
            link_.addJob(new WriteFileCommand(step.pc, step.phone));
            break;
        case java_step::delete_file:
            link_.addJob(new DeleteFileCommand(step.phone));
            break;
        case java_step::browse:
            link_.addJob(new BrowseCommand(step.phone));
            break;
        }
    }
    return true;
}
