// The browser fixture's Windows side: OLE for the shell's folder picker, the picker answered
// through its hook, the popup menu answered by keys posted into its loop, and dragged data made
// as the desktop shell makes it.

#include "tests/app/folder_view_fixture.h"

#include <windows.h>

#include <shlobj.h>

#include "tests/toolkit/dnd_fake_data_win32.h"
#include "toolkit/folder_picker_win32.h"

namespace browser_test {

namespace {

constexpr UINT_PTR picker_settle_timer = 0x6B01;
constexpr UINT_PTR picker_timeout_timer = 0x6B02;
constexpr UINT picker_settle_ms = 150;

// The picker shown now: what to answer and how far it got.
struct picker_state {
    picker_choice* choice = nullptr;
    std::wstring folder;
    bool selected = false; // the picker's selection is the folder
    bool answered = false; // OK was pressed on it
    int tries = 0;
};
picker_state active_picker;

void select_folder(HWND dialog) {
    ++active_picker.tries;
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(active_picker.folder.c_str()));
}

// The picker is answered from a timer on its own window: a command posted while it is still
// setting itself up may be lost. OK is pressed once the wanted folder has stayed selected for a
// moment (the picker may change its selection while it fills its tree, and OK takes whatever is
// selected then), and again on every tick until the picker has gone. A picker that never settles
// on the folder is cancelled.
void CALLBACK picker_timer(HWND dialog, UINT, UINT_PTR id, DWORD) {
    picker_state& state = active_picker;
    if (!state.choice || id == picker_timeout_timer || !state.choice->pick) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!state.answered && state.selected)
        state.answered = true;
    if (state.answered)
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    else if (state.tries < 80)
        select_folder(dialog);
    else
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

int CALLBACK picker_callback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    auto* choice = reinterpret_cast<picker_choice*>(data);
    if (!choice)
        return 0;
    if (message == BFFM_INITIALIZED) {
        ++choice->shown;
        active_picker = picker_state{choice, choice->folder.wstring()};
        // Both timers end with the picker's window.
        SetTimer(dialog, picker_timeout_timer, 30000, picker_timer);
        SetTimer(dialog, picker_settle_timer, picker_settle_ms, picker_timer);
        if (choice->pick)
            select_folder(dialog);
    } else if (message == BFFM_SELCHANGED && choice->pick && !active_picker.answered) {
        wchar_t path[MAX_PATH] = {};
        active_picker.selected =
            SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path) &&
            lstrcmpiW(path, active_picker.folder.c_str()) == 0;
        // Any change starts the quiet period again.
        SetTimer(dialog, picker_settle_timer, picker_settle_ms, picker_timer);
    }
    return 0;
}

// The menu shown now, seen through its window.
class win32_menu final : public open_menu {
public:
    explicit win32_menu(HWND window) : window_(window) {}
    bool has(unsigned id) override { return state(id) != static_cast<UINT>(-1); }
    bool enabled(unsigned id) override { return has(id) && !(state(id) & MF_GRAYED); }
    void dismiss() override { PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0); }

private:
    UINT state(unsigned id) {
        auto menu = reinterpret_cast<HMENU>(SendMessageW(window_, MN_GETHMENU, 0, 0));
        return GetMenuState(menu, id, MF_BYCOMMAND);
    }
    HWND window_;
};

// The menu that the next right-click opens is answered from a timer running inside its loop.
struct menu_driver {
    UINT_PTR timer = 0;
    int choice = 0;
    bool answered = false;
    std::function<void(open_menu&)> whileOpen;
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
    if (driver->whileOpen) {
        win32_menu shown(menu);
        driver->whileOpen(shown);
    }
    // Down moves over the separator; item 1 is one step, item 2 two.
    for (int i = 0; i < driver->choice; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

} // namespace

bool driverSetUp(picker_choice& choice) {
    // OLE stays initialised for the whole run, as in the program, whose windows keep it from the
    // first drop registration to the end: the folder picker's shell objects outlive a picker.
    static const HRESULT ole = OleInitialize(nullptr);
    if (!SUCCEEDED(ole))
        return false;
    vwin::setFolderPickerHookForTests(picker_callback, reinterpret_cast<LPARAM>(&choice));
    return true;
}

void driverTearDown() {
    active_picker = picker_state{};
    vwin::setFolderPickerHookForTests(nullptr, 0);
}

bool answerMenu(const std::function<void()>& open, int choice,
                const std::function<void(open_menu&)>& whileOpen) {
    menu_driver driver;
    driver.choice = choice;
    driver.whileOpen = whileOpen;
    active_menu = &driver;
    driver.timer = SetTimer(nullptr, 0, 10, menu_timer);
    open();
    KillTimer(nullptr, driver.timer);
    active_menu = nullptr;
    return driver.answered;
}

void withDropEvent(const dragged_data& data, DWORD allowed,
                   const std::function<void(vwin::vDropEvent&)>& use) {
    dnd_test::data_ref offer;
    if (!data.files.empty()) {
        std::vector<std::u16string> names;
        for (const fs::path& file : data.files)
            names.push_back(file.u16string());
        offer->offer(CF_HDROP, dnd_test::drop_files(names));
    } else {
        offer->offer(CF_UNICODETEXT, dnd_test::text16(data.text));
        offer->offer(CF_TEXT, dnd_test::text8(std::string(data.text.begin(), data.text.end())));
    }
    vwin::vDropEvent event(offer.data, allowed);
    use(event);
}

} // namespace browser_test
