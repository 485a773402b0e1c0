#pragma once
// The "Specials" page: the phone's connection profiles and touch calibration values (read-only)
// and the lines of its main-menu file, which the user edits in place and writes back with "Save".
//
// Each "connected" reloads the five settings files with ReadBufCommand jobs; their "ReadBufCommand"
// signals arrive on the link worker, where fileRead parses them and fills the lists under the
// lists' locks. "Save" runs on the GUI thread and queues one WriteBufCommand with the menu lines as
// they stand, byte for byte (line ends and an open last line included). A changed line keeps its
// mark until a save that holds its change is reported done; after a failed save it stays, so that
// the user can save again.

#include <cstdint>
#include <deque>
#include <memory>

#include "core/stream.h"
#include "link/samsung_comm.h"
#include "phone/ini_file.h"
#include "phone/ini_lines.h"
#include "toolkit/controls.h"
#include "toolkit/listview.h"
#include "toolkit/orvel_button.h"
#include "toolkit/painter.h"

// The menu list: one row per line of the file, editable in place. Rows get the background colour
// of their section. Lines cannot be added, removed or moved here.
class OrvelEditFile : public vwin::vListView {
public:
    // At least as tall as the page's 12-pixel font with its descenders.
    static constexpr int line_height = 16;

    explicit OrvelEditFile(vwin::vWidget* parent);
    ~OrvelEditFile() override;

    // Replaces every line by those of the stream (line form), in one step under the list's lock,
    // so that a save at the same time writes either the old or the new file, never a mix.
    bool loadLines(iostore& stream);
    // Writes the lines as they stand, each followed by a line feed (none after a last line that
    // had none). False, with nothing written, while no file has been loaded or a write failed.
    // `edits`, when given, is the count of edits the lines written hold (see clearEditMarks).
    bool saveLines(iobase& stream, std::uint64_t* edits = nullptr);
    // Whether a file has been loaded (so that a save writes a real file, not an empty one).
    bool loaded();

    // The edit shows a line without the carriage return of its line end and gives it back.
    void startEdit(vwin::vListViewItem* item, bool force) override;
    // Stores the edited text, unless it holds a character above U+00FF or a line feed: then the
    // edit is dropped and the line stays as it was.
    void commitEdit() override;
    // Edits refused since construction.
    int refusedEdits() const { return refused_; }
    // Whether a line was changed since the file was loaded or the marks were cleared; changed
    // lines are drawn with a mark at their start.
    bool edited();
    // Clears the marks of the lines whose last change is among the first `edits` edits (all
    // without a count); a line changed after that keeps its mark.
    void clearEditMarks(std::uint64_t edits = UINT64_MAX);

private:
    bool loaded_ = false;   // guarded by listLock()
    bool lastOpen_ = false; // guarded by listLock(): the last line had no line feed
    ini_lines::text_form form_ = ini_lines::text_form::bytes; // guarded by listLock()
    int refused_ = 0;                                         // GUI thread
    std::uint64_t edits_ = 0; // guarded by listLock(): edits committed since construction
};

class OrvelSpecial : public vwin::vWidget {
public:
    static constexpr int list_item_height = 16;

    OrvelSpecial(vwin::vWidget* parent, SamsungComm& link);
    ~OrvelSpecial() override;

    // "connected": queues the reads of the five files, in their order.
    void readAll();
    // "ReadBufCommand" (link worker): parses a file of ours and refreshes what shows it.
    void fileRead(const char16_t* path, buf* stream);
    // "Save": queues the menu lines for "/Registry/MainMenu_reg.ini". False, nothing queued, while
    // no menu file has been loaded (the phone's file would be replaced by an empty one).
    bool save();
    // The Save button and Control+S: save(); the lines lose their edit marks once the save is
    // reported done (jobFinished).
    bool saveEdits();
    // Menu lines were changed and not saved.
    bool unsavedEdits() { return menu_->edited(); }
    // A job of the link ended (GUI thread, from the window's report queue): a save of the menu
    // file that is done clears the marks of the changes it held; one that failed leaves them.
    void jobFinished(const job_report& report);
    // Saves queued and not yet reported.
    unsigned savesWaiting() const { return static_cast<unsigned>(saves_.size()); }

    // Control+S saves.
    void keyEvent(vwin::vKeyEvent* event) override;

    void resized(int w, int h) override;

    vwin::vLabel& profilesLabel() { return *profilesLabel_; }
    vwin::vListView& profilesList() { return *profiles_; }
    vwin::vLabel& touchLabel() { return *touchLabel_; }
    vwin::vListView& touchList() { return *touch_; }
    vwin::vLabel& menuLabel() { return *menuLabel_; }
    OrvelEditFile& menuList() { return *menu_; }
    OrvelButton& saveButton() { return *save_; }

private:
    void fillProfilesList(); // worker thread
    void fillTouchList();    // worker thread
    void onSaveClicked() { saveEdits(); }

    SamsungComm& link_;
    // Touched only by fileRead, so only on the link worker.
    SamsungINIFile wlanProfiles_;
    SamsungINIFile accounts_;
    SamsungINIFile accessPoints_;
    SamsungINIFile nvDefaults_;
    vwin::vFont font_;
    std::unique_ptr<vwin::vLabel> profilesLabel_;
    std::unique_ptr<vwin::vListView> profiles_;
    std::unique_ptr<vwin::vLabel> touchLabel_;
    std::unique_ptr<vwin::vListView> touch_;
    std::unique_ptr<vwin::vLabel> menuLabel_;
    std::unique_ptr<OrvelEditFile> menu_;
    std::unique_ptr<OrvelButton> save_;
    // Per save queued and not yet reported, oldest first: the edits its lines held (GUI thread).
    std::deque<std::uint64_t> saves_;
};
