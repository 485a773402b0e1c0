#include "tests/app/folder_view_fixture_win32.h"

#include "toolkit/folder_picker_win32.h"

#include <mutex>

#include "core/lang.h"

namespace browser_test {

namespace {

constexpr UINT_PTR picker_settle_timer = 0x6B01;
constexpr UINT_PTR picker_timeout_timer = 0x6B02;
constexpr UINT picker_settle_ms = 150;
picker_choice* active_picker = nullptr;

void select_folder(HWND dialog, picker_choice* choice) {
    ++choice->tries;
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(choice->folder.c_str()));
}

// The picker is answered from a timer on its own window: a command posted while it is still
// setting itself up may be lost. OK is pressed once the wanted folder has stayed selected for a
// moment (the picker may change its selection while it fills its tree, and OK takes whatever is
// selected then), and again on every tick until the picker has gone. A picker that never settles
// on the folder is cancelled.
void CALLBACK picker_timer(HWND dialog, UINT, UINT_PTR id, DWORD) {
    picker_choice* choice = active_picker;
    if (!choice || id == picker_timeout_timer || !choice->pick) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!choice->answered && choice->selected)
        choice->answered = true;
    if (choice->answered)
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    else if (choice->tries < 80)
        select_folder(dialog, choice);
    else
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

int CALLBACK picker_callback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    auto* choice = reinterpret_cast<picker_choice*>(data);
    if (!choice)
        return 0;
    if (message == BFFM_INITIALIZED) {
        ++choice->shown;
        choice->answered = false;
        choice->selected = false;
        choice->tries = 0;
        active_picker = choice;
        // Both timers end with the picker's window.
        SetTimer(dialog, picker_timeout_timer, 30000, picker_timer);
        SetTimer(dialog, picker_settle_timer, picker_settle_ms, picker_timer);
        if (choice->pick)
            select_folder(dialog, choice);
    } else if (message == BFFM_SELCHANGED && choice->pick && !choice->answered) {
        wchar_t path[MAX_PATH] = {};
        choice->selected = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path) &&
                           lstrcmpiW(path, choice->folder.c_str()) == 0;
        // Any change starts the quiet period again.
        SetTimer(dialog, picker_settle_timer, picker_settle_ms, picker_timer);
    }
    return 0;
}

// The menu that the next right-click opens is answered from a timer running inside its loop.
struct menu_driver {
    UINT_PTR timer = 0;
    int choice = 0;
    bool answered = false;
    std::function<void()> whileOpen;
};
menu_driver* active_menu = nullptr;

// The visible popup menu of this process (other test programs may show menus at the same time).
HWND own_menu() {
    struct search {
        HWND found = nullptr;
    } result;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
                !GetClassNameW(window, name, 16) || lstrcmpW(name, L"#32768") != 0)
                return TRUE;
            reinterpret_cast<search*>(data)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&result));
    return result.found;
}

void CALLBACK menu_timer(HWND, UINT, UINT_PTR, DWORD) {
    menu_driver* driver = active_menu;
    if (!driver || driver->answered)
        return;
    HWND menu = own_menu();
    if (!menu)
        return;
    driver->answered = true;
    KillTimer(nullptr, driver->timer);
    if (driver->whileOpen)
        driver->whileOpen();
    // Down moves over the separator; item 1 is one step, item 2 two.
    for (int i = 0; i < driver->choice; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

LPARAM row_point(OrvelFolder* pane, vwin::vListViewItem* item) {
    pane->relayout();
    const int x = 30;
    const int y = item->top() - pane->contentsY() + item->height() / 2;
    return MAKELPARAM(x, y);
}

} // namespace

void BrowserTest::SetUp() {
    if (!std::getenv("ORVEL_PHONESIM"))
        GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
    ASSERT_TRUE(phone_root.ok() && pc_root.ok());
    // OLE stays initialised for the whole run, as in the program, whose windows keep it from the
    // first drop registration to the end: the folder picker's shell objects outlive a picker.
    static const HRESULT ole = OleInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(ole));
    set_user_language_for_tests(9);
    vwin::setFolderPickerHookForTests(picker_callback, reinterpret_cast<LPARAM>(&picker));
}

void BrowserTest::TearDown() {
    active_picker = nullptr;
    releaseWorker();
    vwin::setFolderPickerHookForTests(nullptr, 0);
    view.reset();
    host.reset();
    link.closePort();
    phone.stop();
    set_user_language_for_tests(-1);
}

void BrowserTest::connectPhone(const std::vector<std::string>& faults) {
    ASSERT_TRUE(phone.start(phone_root.simulator_path(), faults));
    host = std::make_unique<host_window>();
    host->setGeometry(0, 0, 800, 600);
    view = std::make_unique<answering_view>(host.get(), link);
    view->setGeometry(0, 0, 800, 600);
    host->showNormal();
    // As the main window connects its views.
    vObject* sender = &link;
    connect(sender, u"connected", view.get(), &OrvelFolderView::connected);
    connect(sender, u"disconnected", view.get(), &OrvelFolderView::disconnected);
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    ASSERT_TRUE(drain());
}

bool BrowserTest::drain(int timeout_ms) {
    // As the window does: reports go to the view, which then lists changed folders again.
    for (int round = 0; round < 4; ++round) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        if (!link.addJob(new call_job([done] { done->store(true); })) ||
            !pump_until([&] { return done->load(); }, timeout_ms))
            return false;
        // Listings posted by the worker before the waiting job ran are in the queue by now.
        pump_pending();
        if (!view)
            return true;
        for (const job_report& report : link.takeReports())
            view->jobFinished(report);
        view->linkIdle();
        if (link.pending() == 0 && !link.busy())
            return true;
    }
    return false;
}

void BrowserTest::holdWorker() {
    gate_ = std::make_shared<thread_event>(true);
    auto gate = gate_;
    auto held = std::make_shared<std::atomic<bool>>(false);
    link.addJob(new call_job([gate, held] {
        held->store(true);
        gate->wait(30000); // bounded: a failed test does not hold the worker for ever
    }));
    ASSERT_TRUE(pump_until([&] { return held->load(); }, 10000));
}

void BrowserTest::releaseWorker() {
    if (gate_)
        gate_->set();
    gate_.reset();
}

std::vector<std::string> BrowserTest::names(OrvelFolder* pane) {
    std::vector<std::string> out;
    std::lock_guard hold(pane->listLock());
    for (int i = 0; i < pane->count(); ++i) {
        auto* item = dynamic_cast<OrvelFolderItem*>(pane->at(i));
        if (item)
            out.push_back(std::string(2 * item->depth(), ' ') + utf8(item->name()));
    }
    return out;
}

std::vector<std::string> BrowserTest::paths(OrvelFolder* pane) {
    std::vector<std::string> out;
    std::lock_guard hold(pane->listLock());
    for (int i = 0; i < pane->count(); ++i) {
        auto* item = dynamic_cast<OrvelFolderItem*>(pane->at(i));
        if (item)
            out.push_back(utf8(item->path()));
    }
    return out;
}

OrvelFolderItem* BrowserTest::row(OrvelFolder* pane, const char16_t* name) {
    std::lock_guard hold(pane->listLock());
    for (int i = 0; i < pane->count(); ++i) {
        auto* item = dynamic_cast<OrvelFolderItem*>(pane->at(i));
        if (item && item->name() == name)
            return item;
    }
    return nullptr;
}

void BrowserTest::rightClick(OrvelFolder* pane, vwin::vListViewItem* item) {
    const LPARAM at = row_point(pane, item);
    pane->sendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    pane->sendMessage(WM_RBUTTONUP, 0, at);
}

void BrowserTest::doubleClick(OrvelFolder* pane, vwin::vListViewItem* item) {
    const LPARAM at = row_point(pane, item);
    pane->sendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    pane->sendMessage(WM_LBUTTONUP, 0, at);
    pane->sendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    pane->sendMessage(WM_LBUTTONUP, 0, at);
}

bool BrowserTest::chooseFromMenu(OrvelFolder* pane, vwin::vListViewItem* item, int choice,
                                 const std::function<void()>& whileOpen) {
    menu_driver driver;
    driver.choice = choice;
    driver.whileOpen = whileOpen;
    active_menu = &driver;
    driver.timer = SetTimer(nullptr, 0, 10, menu_timer);
    rightClick(pane, item); // returns when the menu has closed
    KillTimer(nullptr, driver.timer);
    active_menu = nullptr;
    // The choice arrives as a posted command message.
    pump_pending();
    return driver.answered;
}

bool BrowserTest::copyInto(OrvelFolder* pane, vwin::vListViewItem* item, const fs::path& target) {
    pickerPicks(target);
    holdWorker();
    const bool answered = chooseFromMenu(pane, item, 1);
    const bool right = fs::path(view->destination().to_utf8()) == target;
    if (!right)
        link.clear(); // the copies queued for another folder never run
    releaseWorker();
    return answered && right && drain();
}

void BrowserTest::pickerPicks(const fs::path& folder) {
    picker.folder = folder.wstring();
    picker.pick = true;
}

void BrowserTest::pickerCancels() {
    picker.pick = false;
}

} // namespace browser_test
