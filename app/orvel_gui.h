#pragma once
// OrvelGUI: the program's only top-level window. Four tab buttons across the top choose which of
// the four views is shown below them; a 20-pixel strip along the bottom shows the work of the
// link: while it runs the progress bar with its caption and a Cancel control at the right end
// (the percentage also stands in the window title), afterwards the outcome, until the next work.
// The window wires the link's connection signals to the views and receives the link's progress
// signals itself. On its timer it takes the link's job reports: each is written to standard
// output as one line, told to the views and summed up in the strip. A report of a lost link
// (the phone stopped answering, the port went away) closes the port.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/hw_view.h"
#include "app/orvel_gui_model.h"
#include "app/orvel_strip_model.h"
#include "core/lang_texts.h"
#include "core/str.h"
#include "orvel_version.h"
#include "toolkit/orvel_button.h"
#include "toolkit/widget.h"

class SamsungComm;
class OrvelHWView;
class OrvelFolderView;
class OrvelJavaView;
class OrvelSpecial;

class OrvelGUI : public vwin::vWidget {
public:
    static constexpr int tab_devices = 0;
    static constexpr int tab_browser = 1;
    static constexpr int tab_java = 2;
    static constexpr int tab_specials = 3;
    static constexpr int progress_timer = 1;
    static constexpr unsigned progress_period_ms = 200;

    // The width of the strip's Cancel control at its right end.
    static constexpr int cancel_width = 80;
    // The most problems the list behind the strip shows at once.
    static constexpr std::size_t problems_shown = 30;

    // Builds the window with its buttons and views, connects the link's signals, places the
    // window by the pointer (the screen pointer unless a position is given) and shows it. The
    // link must outlive the window.
    // The Devices view finds its ports by `discovery`.
    explicit OrvelGUI(SamsungComm& link, const str& baseTitle = str(u"" ORVEL_TITLE),
                      std::optional<OrvelPoint> pointer = std::nullopt,
                      const OrvelPortDiscovery& discovery = {});
    // Stops the link's work (waiting jobs dropped, port closed) and disconnects from it before
    // the views go, so no signal reaches a view that is being destroyed.
    ~OrvelGUI() override;

    // Shows the view of that index (0..3), hides the others and checks only its button.
    void selectTab(int index);
    int currentTab() const { return tab_; }

    // Handlers of the link's progress signals (any thread; they never draw).
    void setProgressInfo(const char16_t* text);                 // "setprogressinfo"
    void setProgressMax(std::uint32_t low, std::uint32_t high); // "setprogressmax"
    void addProgressMax(std::uint32_t amount);                  // "addprogressmax"
    void setProgress(std::uint32_t unused);                     // "setprogress"
    void addProgress(std::uint32_t amount);                     // "addprogress"

    // Control+Tab and Control+Shift+Tab go to the next and the previous page, Control+1..4 to
    // that page; its first control takes the focus. Escape cancels the work of the link.
    void keyEvent(vwin::vKeyEvent* event) override;
    // Stops the running job after its current exchange and drops the waiting ones; the
    // connection stays. False when no work runs.
    bool cancelWork();
    // Takes the link's reports now (the timer does so every period).
    void takeReports();
    // Tab order: the four tab buttons, then the shown page's controls in reading order.
    std::vector<vwin::vWidget*> focusOrder() const;
    // With unsaved menu edits a close asks first (OK closes, Cancel keeps the window).
    bool canClose() override;

    void paint(vwin::vPainter& painter) override;
    void mouseEvent(vwin::vMouseEvent* event) override;
    void resized(int w, int h) override;
    void timer(int id) override;

    // The parts, for those who drive the window.
    OrvelButton* tabButton(int index) const;
    vwin::vWidget* view(int index) const;
    OrvelHWView* devicesView() const { return devices_; }
    OrvelFolderView* browserView() const { return browser_; }
    OrvelJavaView* javaView() const { return java_; }
    OrvelSpecial* specialsView() const { return specials_; }
    OrvelProgress& progress() { return progress_; }
    const OrvelStrip& strip() const { return strip_; }
    // What the strip says now: the caption of running work, the outcome after it.
    str stripText() const;
    // The title last given to the window (empty until the first timer tick changes it).
    const str& shownTitle() const { return shownTitle_; }
    bool dragging() const { return dragging_; }

    // The caption of the progress strip until the first "setprogressinfo", in the user's
    // language.
    static str creditLine();

private:
    void showDevices() { selectTab(tab_devices); }
    void showBrowser() { selectTab(tab_browser); }
    void showJava() { selectTab(tab_java); }
    void showSpecials() { selectTab(tab_specials); }
    void connectLink();
    // The Cancel control of the strip in client coordinates.
    OrvelRect cancelRect() const;
    void showProblems();
    bool focusNext(HWND from, bool forward);
    // True when there are no unsaved menu edits or the user lets them go (the question `key`).
    bool mayDiscardEdits(ui_text key);

    SamsungComm& link_;
    const str baseTitle_;
    // The window font: made here, used by the window and every child without being owned by
    // them; released after the window is gone.
    vwin::vFont windowFont_;
    // The four views, owned, in tab order; and the same objects by their classes.
    std::unique_ptr<vwin::vWidget> views_[4];
    OrvelHWView* devices_ = nullptr;
    OrvelFolderView* browser_ = nullptr;
    OrvelJavaView* java_ = nullptr;
    OrvelSpecial* specials_ = nullptr;
    std::unique_ptr<OrvelButton> buttons_[4];
    OrvelProgress progress_;
    // GUI thread only:
    OrvelStrip strip_;
    OrvelRate rate_;
    str shownTitle_;
    str shownStrip_;
    int tab_ = 0;
    bool dragging_ = false;
    int grabX_ = 0;
    int grabY_ = 0;
};
