// OrvelJavaView: the Java Apps page.

#include <mutex>

#include "link/jobs.h"
#include "phone/java_install.h"
#include "phone/java_view.h"
#include "toolkit/orvel_colors.h"

using namespace vwin;

namespace {

// A game folder as the list keeps it: without a trailing "/".
str game_folder(const str& phonePath) {
    int end = phonePath.length();
    while (end > 0 && phonePath[end - 1] == u'/')
        --end;
    return str(phonePath.substr(0, end));
}

} // namespace

javaItem::javaItem(vListView* owner, const str& name, const str& folderPath)
    : vListViewItem(owner, name, item_height), path(folderPath) {}

javaItem::~javaItem() = default;

int javaItem::compare(vListViewItem* other, int) {
    return text().compare(other ? other->text().c_str() : u"", false);
}

void javaItem::draw(vPixmap& pixmap, const RECT& row) {
    const bool selected = isSelected();
    pixmap.fillRect(row, selected ? orvel_color::blue : orvel_color::white);
    pixmap.setBackgroundMode(TRANSPARENT);
    pixmap.setTextColor(selected ? orvel_color::white : orvel_color::blue);
    pixmap.drawText(row.left + 28, row.top + 5, text().c_str());
}

OrvelJavaView::OrvelJavaView(vWidget* parent, SamsungComm& link)
    : vWidget(parent, u""), link_(link) {
    setBackgroundColor(orvel_color::light_grey);
    games_ = std::make_unique<vListView>(this, true, vListView::selection_single);
    games_->setBackgroundColor(orvel_color::white);
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
    // A link cleared on the way drops waiting installs unreported; "connected" lists anyway.
    installsWaiting_ = 0;
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
    for (const str& folderOfFailure : hidden_)
        if (folderOfFailure.equals(path.c_str(), false))
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
    install(apps);
    return true;
}

int OrvelJavaView::install(const alist<javaApp>& apps) {
    const str folder = installFolder();
    const auto plans = installPlans(apps, folder, [this](const str& name) {
        return games_->findItem(name.c_str()) != nullptr;
    });
    int queued = 0;
    for (const java_install& plan : plans)
        if (link_.addJob(new InstallGameCommand(plan)))
            ++queued;
    installsWaiting_ += queued;
    return queued;
}

void OrvelJavaView::jobFinished(const job_report& report) {
    if (report.kind != job_kind::install)
        return;
    const str folder = game_folder(report.phonePath);
    {
        std::lock_guard hold(games_->listLock());
        std::erase_if(hidden_, [&](const str& f) { return f.equals(folder.c_str(), false); });
        bool listed = false;
        for (int i = 0; i < games_->count() && !listed; ++i) {
            auto* game = dynamic_cast<javaItem*>(games_->at(i));
            listed = game && game->path.equals(folder.c_str(), false);
        }
        // A game listed before keeps its row: its folder was there before this install.
        if (report.end != job_end::done && !listed)
            hidden_.push_back(folder);
    }
    if (installsWaiting_ > 0)
        --installsWaiting_;
    if (installsWaiting_ == 0)
        refresh();
}
