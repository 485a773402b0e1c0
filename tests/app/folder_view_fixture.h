#pragma once
// The file browser against a simulated phone: a window holding the view, a link connected to the
// phone as the main window connects it, and helpers that drive the view the way a person does
// (clicks, the context menu, the folder picker) with bounded waits. The platform's side (the
// menu's and the picker's answers, dragged data) is in folder_view_fixture_win32.cpp and
// folder_view_fixture_qt.cpp.

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/folder_view.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "tests/app/view_probe.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"
#include "toolkit/dnd.h"
#include "toolkit/thread_event.h"

namespace browser_test {

namespace fs = std::filesystem;

inline str pc_str(const fs::path& p) {
    return str(p.u16string().c_str());
}

inline std::string utf8(const str& s) {
    return s.to_utf8();
}

// Counts the jobs queued on a link: addJob emits "setprogressmax" once per job.
class queue_counter : public vObject {
public:
    explicit queue_counter(SamsungComm& link) {
        connect(static_cast<vObject*>(&link), u"setprogressmax", this, &queue_counter::queued);
    }
    ~queue_counter() { disconnect_all(); }
    int count() const { return count_.load(); }

private:
    void queued() { ++count_; }
    std::atomic<int> count_{0};
};

// A job that runs a function on the worker.
class call_job : public SamsungJob {
public:
    explicit call_job(std::function<void()> body) : body_(std::move(body)) {}
    void execute(SamsungComm&) override { body_(); }

private:
    std::function<void()> body_;
};

// Stands in for the main window.
class host_window : public vwin::vWidget {
public:
    host_window() : vWidget(nullptr, u"Browser test") {}
    ~host_window() override { destroyWindow(); }
};

// What the folder picker does when it opens: pick `folder`, or cancel.
struct picker_choice {
    fs::path folder;
    bool pick = true;
    int shown = 0;     // times the picker opened
    fs::path openedIn; // the folder the last one showed as it opened (where the driver tells)
};

// A popup menu while it is shown.
class open_menu {
public:
    virtual ~open_menu() = default;
    // The menu holds an item with that command id; it can be chosen (not shown grey).
    virtual bool has(unsigned id) = 0;
    virtual bool enabled(unsigned id) = 0;
    // Closes the menu without a choice.
    virtual void dismiss() = 0;
};

// What another program drags over the view: files (their paths), else text.
struct dragged_data {
    std::vector<fs::path> files;
    std::u16string text;
};

// The driver's side of the fixture.
// Readies the platform for the view and answers every folder picker from `choice` until
// driverTearDown; false when the platform is not ready.
bool driverSetUp(picker_choice& choice);
void driverTearDown();
// Runs `open`, which opens a popup menu and returns once the menu has closed, and answers the
// menu: `whileOpen` runs while it is shown, then item `choice` (counted from 1, separators
// left out) is chosen by the keyboard. True when the menu showed.
bool answerMenu(const std::function<void()>& open, int choice,
                const std::function<void(open_menu&)>& whileOpen);
// Makes the platform's drag event for the data, the source allowing `allowed` effects, and
// hands it to `use`.
void withDropEvent(const dragged_data& data, DWORD allowed,
                   const std::function<void(vwin::vDropEvent&)>& use);

// The view with its delete question answered by the test: the questions asked are kept.
class answering_view : public OrvelFolderView {
public:
    using OrvelFolderView::OrvelFolderView;
    bool confirm = true;
    std::vector<std::u16string> questions;

protected:
    bool confirmDelete(const str& question) override {
        questions.emplace_back(question.c_str(), question.length());
        return confirm;
    }
};

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files and folders of the phone, before connecting.
    void phoneFile(const std::string& phonePath, const std::string& bytes) {
        write_bytes(phone_root.file(phonePath), bytes);
    }
    void phoneDir(const std::string& phonePath) {
        fs::create_directories(phone_root.file(phonePath));
    }

    // Starts the phone, builds the view and opens the port ("connected" lists the root).
    void connectPhone(const std::vector<std::string>& faults = {});
    // Waits until every job queued so far has run (a marker job queued last has run).
    bool drain(int timeout_ms = 30000);
    // Holds the worker until release(): jobs queued meanwhile wait.
    void holdWorker();
    void releaseWorker();

    OrvelFolder* folders() const { return view->folderPane(); }
    OrvelFolder* files() const { return view->filePane(); }

    // The pane's rows as "name" (two blanks per depth) or as their paths, in row order.
    static std::vector<std::string> names(OrvelFolder* pane);
    static std::vector<std::string> paths(OrvelFolder* pane);
    // The first row with that name, or null.
    static OrvelFolderItem* row(OrvelFolder* pane, const char16_t* name);

    // Mouse on a row, as the platform delivers it to the pane.
    static void rightClick(OrvelFolder* pane, vwin::vListViewItem* item);
    static void doubleClick(OrvelFolder* pane, vwin::vListViewItem* item);
    // Right-clicks the row and chooses menu item 1 ("Copy...") or 2 ("Delete") by keyboard;
    // `whileOpen` runs while the menu is shown. True when the menu showed and was answered.
    bool chooseFromMenu(OrvelFolder* pane, vwin::vListViewItem* item, int choice,
                        const std::function<void(open_menu&)>& whileOpen = {});

    // Chooses "Copy..." on the row, the picker picking `target`. The copies run only when the
    // picker answered that very folder, so a test never writes anywhere else; true when they ran.
    bool copyInto(OrvelFolder* pane, vwin::vListViewItem* item, const fs::path& target);
    // The folder picker picks this PC folder (or cancels) when it opens.
    void pickerPicks(const fs::path& folder);
    void pickerCancels();

    phone_folder phone_root{fs::path()}; // the phone's file system
    phone_folder pc_root{fs::path()};    // scratch folder on the PC
    sim_process phone;
    SamsungComm link;
    queue_counter queued{link};
    std::unique_ptr<host_window> host;
    std::unique_ptr<answering_view> view;
    picker_choice picker;

private:
    std::shared_ptr<thread_event> gate_;
};

} // namespace browser_test
