#pragma once
// The "Java Apps" page: the games installed in the phone's two games folders, and installing new
// ones by dropping their .jar files (each optionally with its .jad) from the desktop shell.
//
// "BrowseEntry" and "BrowseEnd" arrive on the link worker and change the list under its lock; a
// drop is handled on the GUI thread and queues one install job per game, which the worker runs in
// order. When the installs have ended (the window's job reports) the games are listed again.
//
// A game shows only once its install succeeded: the folder of a failed install (made before its
// .jar failed; the phone cannot remove folders) is left out of the list until an install of that
// game succeeds.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/str.h"
#include "link/job_report.h"
#include "link/samsung_comm.h"
#include "phone/java_app.h"
#include "toolkit/dnd.h"
#include "toolkit/listview.h"
#include "toolkit/widget.h"

// One installed game: the text is its folder name, `path` the folder's phone path (games folder +
// name, no trailing separator).
class javaItem : public vwin::vListViewItem {
public:
    static constexpr int item_height = 25;

    javaItem(vwin::vListView* owner, const str& name, const str& folderPath);
    ~javaItem() override;
    // Blue on white, white on blue when selected; the name 28 pixels in and 5 down.
    void draw(vwin::vPixmap& pixmap, const RECT& row) override;
    // By name, ignoring case.
    int compare(vwin::vListViewItem* other, int argument) override;

    str path;
};

class OrvelJavaView : public vwin::vWidget {
public:
    OrvelJavaView(vwin::vWidget* parent, SamsungComm& link);
    ~OrvelJavaView() override;

    // "connected" and after an install: browses the first games folder, then the second.
    void refresh();
    // "disconnected": the list empties (and no install is waited for any more).
    void disconnected();
    // A job of the link ended (GUI thread, from the window's report queue). An install: a failed
    // one's new folder is hidden, a successful one's shown; when no install of this page is
    // waiting any more, both games folders are listed again.
    void jobFinished(const job_report& report);
    // "BrowseEntry" (link worker): a sub-folder of a games folder is a game.
    void browseEntry(const char16_t* folder, const char16_t* name, std::uint32_t attributes);
    // "BrowseEnd" (link worker): the games are sorted by name, ignoring case.
    void browseEnd(const char16_t* folder);

    void resized(int w, int h) override;
    // Accepts (copy) a file list holding a .jar file; refuses anything else.
    void dragEnter(vwin::vDropEvent* event) override;
    void drop(vwin::vDropEvent* event) override;
    // Installs the dropped games: one job per game (its folder unless listed, the .jar, the .jad,
    // then the removal of its appdb/settings.bin). False when the drop held no file list.
    bool installDropped(vwin::vDropEvent* event);
    // Queues the installs; answers how many were queued.
    int install(const alist<javaApp>& apps);

    // The games folder an install goes to: the last one that reported an entry; the first games
    // folder while none has.
    str installFolder();
    vwin::vListView& gamesList() { return *games_; }

private:
    SamsungComm& link_;
    std::unique_ptr<vwin::vListView> games_;
    str first_{java_games_first};
    str second_{java_games_second};
    str installFolder_; // guarded by games_->listLock(); empty until a games folder reported
    // Game folders (no trailing "/") of failed installs that the list leaves out (guarded by
    // games_->listLock()).
    std::vector<str> hidden_;
    int installsWaiting_ = 0; // GUI thread
};
