#include "app/orvel_gui.h"

#include <chrono>
#include <cstdio>

#include "app/folder_view.h"
#include "app/hw_view.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "orvel_version.h"
#include "phone/java_view.h"
#include "phone/orvel_special_view.h"
#include "toolkit/dialogs.h"
#include "toolkit/orvel_colors.h"

using namespace vwin;

namespace {
std::uint64_t now_ms() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// Keeps a typed pointer to a view that is owned as a widget.
template <class View> std::unique_ptr<vWidget> adopt(View*& typed, View* view) {
    typed = view;
    return std::unique_ptr<vWidget>(view);
}
} // namespace

str OrvelGUI::creditLine() {
    return uiTextWith(ui_text::credit, str(u"" ORVEL_TITLE));
}

OrvelGUI::OrvelGUI(SamsungComm& link, const str& baseTitle, std::optional<OrvelPoint> pointer,
                   const OrvelPortDiscovery& discovery)
    : vWidget(nullptr, baseTitle.c_str()), link_(link), baseTitle_(baseTitle),
      progress_(creditLine().c_str()) {
    setBackgroundColor(orvel_color::white);
    // Children made from here on take this font from their parent.
    windowFont_.create(u"tahoma", 14, 75, 0, 100);
    setFont(windowFont_.handle());

    const ui_text labels[4] = {ui_text::tab_devices, ui_text::tab_browser, ui_text::tab_java,
                               ui_text::tab_specials};
    void (OrvelGUI::*show[4])() = {&OrvelGUI::showDevices, &OrvelGUI::showBrowser,
                                   &OrvelGUI::showJava, &OrvelGUI::showSpecials};
    for (int i = 0; i < orvel_layout::tab_count; ++i) {
        buttons_[i] = std::make_unique<OrvelButton>(this, uiText(labels[i]));
        switch (i) {
        case tab_devices:
            views_[i] = adopt(devices_, new OrvelHWView(this, link_, discovery));
            break;
        case tab_browser:
            views_[i] = adopt(browser_, new OrvelFolderView(this, link_));
            break;
        case tab_java:
            views_[i] = adopt(java_, new OrvelJavaView(this, link_));
            break;
        default:
            views_[i] = adopt(specials_, new OrvelSpecial(this, link_));
            break;
        }
        // A tab button stays pressed after a click.
        buttons_[i]->setAutoRelease(false);
        connect(buttons_[i].get(), u"clicked", this, show[i]);
    }
    connectLink();
    selectTab(tab_devices);
    setTabOrder([this](HWND from, bool forward) { return focusNext(from, forward); });
    // A connection reads the menu file again, which would drop edits not yet saved.
    devices_->setConnectCheck([this] { return mayDiscardEdits(ui_text::unsaved_connect); });

    if (!pointer) {
        const POINT screen = pointerPosition();
        pointer = OrvelPoint{screen.x, screen.y};
    }
    const OrvelPoint origin = orvel_layout::placement(*pointer);
    setGeometry(origin.x, origin.y, orvel_layout::client_width, orvel_layout::client_height);
    // No smaller than what shows every tab, list and button whole.
    setMinimumClientSize(orvel_layout::min_client_width, orvel_layout::min_client_height);
    setTimer(progress_timer, progress_period_ms);
    showNormal();
}

void OrvelGUI::connectLink() {
    vObject* link = &link_;
    // The order of connection is the order of delivery. The specials view does not take
    // "disconnected": it keeps what it read.
    connect(link, u"connected", devices_, &OrvelHWView::connected);
    connect(link, u"connected", browser_, &OrvelFolderView::connected);
    connect(link, u"connected", java_, &OrvelJavaView::refresh);
    connect(link, u"connected", specials_, &OrvelSpecial::readAll);
    connect(link, u"disconnected", devices_, &OrvelHWView::disconnected);
    connect(link, u"disconnected", browser_, &OrvelFolderView::disconnected);
    connect(link, u"disconnected", java_, &OrvelJavaView::disconnected);
    connect(link, u"setprogressinfo", this, &OrvelGUI::setProgressInfo);
    connect(link, u"setprogressmax", this, &OrvelGUI::setProgressMax);
    connect(link, u"addprogressmax", this, &OrvelGUI::addProgressMax);
    connect(link, u"setprogress", this, &OrvelGUI::setProgress);
    connect(link, u"addprogress", this, &OrvelGUI::addProgress);
}

OrvelGUI::~OrvelGUI() {
    killTimer(progress_timer);
    // No progress handler of this window runs past this point.
    disconnect_all();
    // The link's work ends: waiting jobs are dropped and the port is closed while the views are
    // whole (their "disconnected" handlers run now); a running job fails at its next exchange.
    link_.clear();
    // The window goes with its children; then the views, each of which leaves the link first.
    destroyWindow();
    for (int i = orvel_layout::tab_count - 1; i >= 0; --i) {
        views_[i].reset();
        buttons_[i].reset();
    }
    devices_ = nullptr;
    browser_ = nullptr;
    java_ = nullptr;
    specials_ = nullptr;
}

void OrvelGUI::selectTab(int index) {
    if (index < 0 || index >= orvel_layout::tab_count)
        return;
    // The focus must not stay in a view that is being hidden: keys would go on reaching it.
    // On a tab button it moves to the chosen one.
    HWND focus = focusedWindow();
    bool focusLeaves = focus && views_[tab_] && views_[tab_]->holds(focus);
    for (const auto& button : buttons_)
        focusLeaves = focusLeaves || (focus && button && button->window() == focus);
    tab_ = index;
    for (int i = 0; i < orvel_layout::tab_count; ++i)
        if (buttons_[i])
            buttons_[i]->setChecked(i == index);
    for (int i = 0; i < orvel_layout::tab_count; ++i)
        if (views_[i])
            views_[i]->setVisible(i == index);
    if (focusLeaves && buttons_[index])
        buttons_[index]->setFocus();
}

std::vector<vWidget*> OrvelGUI::focusOrder() const {
    std::vector<vWidget*> order;
    for (const auto& button : buttons_)
        order.push_back(button.get());
    // The shown view's controls in reading order: left column before right, top before bottom.
    switch (tab_) {
    case tab_devices:
        order.insert(order.end(), {&devices_->portList(), &devices_->connectButton(),
                                   &devices_->propertiesList()});
        break;
    case tab_browser:
        order.insert(order.end(), {browser_->folderPane(), browser_->filePane()});
        break;
    case tab_java:
        order.push_back(&java_->gamesList());
        break;
    default:
        order.insert(order.end(), {&specials_->profilesList(), &specials_->touchList(),
                                   &specials_->saveButton(), &specials_->menuList()});
        break;
    }
    return order;
}

bool OrvelGUI::focusNext(HWND from, bool forward) {
    const std::vector<vWidget*> order = focusOrder();
    const int n = static_cast<int>(order.size());
    // The control that holds `from` (an edit field belongs to its list); none: from the start.
    int at = forward ? -1 : n;
    for (int i = 0; i < n; ++i)
        if (order[i] && order[i]->holds(from))
            at = i;
    for (int step = 1; step <= n; ++step) {
        const int i = ((at + (forward ? step : -step)) % n + n) % n;
        if (order[i] && order[i]->canTakeFocus()) {
            order[i]->setFocus();
            return true;
        }
    }
    return false;
}

void OrvelGUI::keyEvent(vKeyEvent* event) {
    if (event->type == event_key_down && event->key == VK_ESCAPE && event->modifiers == 0) {
        if (cancelWork())
            event->accept();
        return;
    }
    if (event->type != event_key_down || !(event->modifiers & modifier_control))
        return;
    int target = -1;
    if (event->key == VK_TAB) {
        const int step = (event->modifiers & modifier_shift) ? orvel_layout::tab_count - 1 : 1;
        target = (tab_ + step) % orvel_layout::tab_count;
    } else if (event->key >= '1' && event->key < '1' + orvel_layout::tab_count) {
        target = static_cast<int>(event->key - '1');
    }
    if (target < 0)
        return;
    event->accept();
    selectTab(target);
    // The page's first control takes the focus, so its keys work at once.
    const std::vector<vWidget*> order = focusOrder();
    if (order.size() > orvel_layout::tab_count && order[orvel_layout::tab_count])
        order[orvel_layout::tab_count]->setFocus();
}

bool OrvelGUI::cancelWork() {
    if (!strip_.running() && !link_.busy())
        return false;
    link_.cancel();
    return true;
}

bool OrvelGUI::mayDiscardEdits(ui_text key) {
    if (!specials_ || !specials_->unsavedEdits())
        return true;
    return askOkCancel(this, str(uiText(ui_text::unsaved_title)), str(uiText(key)), false,
                       dialog_icon::warning);
}

bool OrvelGUI::canClose() {
    return mayDiscardEdits(ui_text::unsaved_close);
}

void OrvelGUI::setProgressInfo(const char16_t* text) {
    progress_.setInfo(progressName(text).c_str());
}

void OrvelGUI::setProgressMax(std::uint32_t low, std::uint32_t high) {
    progress_.setMax(low, high);
}

void OrvelGUI::addProgressMax(std::uint32_t amount) {
    progress_.addMax(amount);
}

void OrvelGUI::setProgress(std::uint32_t /*unused*/) {
    progress_.reset();
}

void OrvelGUI::addProgress(std::uint32_t amount) {
    progress_.add(amount);
}

OrvelRect OrvelGUI::cancelRect() const {
    const OrvelRect strip = orvel_layout::progressStrip(clientWidth(), clientHeight());
    return {strip.x + strip.w - cancel_width, strip.y, cancel_width, strip.h};
}

str OrvelGUI::stripText() const {
    if (!strip_.running())
        return str(strip_.outcome());
    const OrvelProgress::snapshot state = progress_.read();
    return progressLine(state.text, state.value, state.max, rate_.bytesPerSecond());
}

void OrvelGUI::paint(vPainter& painter) {
    const int w = clientWidth();
    const int h = clientHeight();
    painter.fillRect(0, 0, w, h, orvel_color::white);
    const OrvelRect strip = orvel_layout::progressStrip(w, h);
    if (strip_.running()) {
        const OrvelProgress::snapshot state = progress_.read();
        const OrvelRect cancel = cancelRect();
        const int barSpace = cancel.x - strip.x;
        const int bar = OrvelProgress::barWidth(state.value, state.max, barSpace);
        painter.fillRect(0, strip.y, bar, strip.h, orvel_color::blue);
        painter.fillRect(bar, strip.y, barSpace - bar, strip.h, orvel_color::light_grey);
        painter.setTextColor(0);
        const RECT caption{8, strip.y, cancel.x - 8, strip.y + strip.h};
        painter.drawText(caption, text_center | text_vcenter | text_singleline, stripText());
        // The Cancel control: white with a blue frame and label.
        painter.fillRect(cancel.x, cancel.y, cancel.w, cancel.h, orvel_color::blue);
        painter.fillRect(cancel.x + 1, cancel.y + 1, cancel.w - 2, cancel.h - 2,
                         orvel_color::white);
        painter.setTextColor(orvel_color::blue);
        const RECT label{cancel.x, cancel.y, cancel.x + cancel.w, cancel.y + cancel.h};
        painter.drawText(label, text_center | text_vcenter | text_singleline,
                         uiText(ui_text::strip_cancel));
        return;
    }
    if (strip_.outcome().empty())
        return;
    const bool failed = strip_.shown() == OrvelStrip::state::failed;
    painter.fillRect(strip.x, strip.y, strip.w, strip.h,
                     failed ? orvel_color::error_ground : orvel_color::light_grey);
    painter.setTextColor(failed                                           ? orvel_color::error_text
                         : strip_.shown() == OrvelStrip::state::cancelled ? orvel_color::dark_grey
                                                                          : orvel_color::blue);
    const RECT caption{8, strip.y, w - 8, strip.y + strip.h};
    painter.drawText(caption, text_center | text_vcenter | text_singleline | DT_END_ELLIPSIS,
                     strip_.outcome());
}

void OrvelGUI::showProblems() {
    tellUser(this, str(uiText(ui_text::problems_title)),
             problemList(strip_.problems(), problems_shown));
}

void OrvelGUI::mouseEvent(vMouseEvent* event) {
    const OrvelRect strip = orvel_layout::progressStrip(clientWidth(), clientHeight());
    const bool onStrip = event->y >= strip.y && event->y < strip.y + strip.h;
    switch (event->type) {
    case event_press: {
        const OrvelRect cancel = cancelRect();
        if (strip_.running() && event->x >= cancel.x && event->x < cancel.x + cancel.w && onStrip) {
            cancelWork();
            break;
        }
        if (!strip_.running() && onStrip && !strip_.problems().empty()) {
            showProblems();
            break;
        }
        dragging_ = false;
        grabX_ = event->x;
        grabY_ = event->y;
        capture();
        dragging_ = true;
        break;
    }
    case event_release:
        releaseCapture();
        dragging_ = false;
        break;
    case event_move:
        // Only the left button drags the window.
        if ((event->buttonsAfter & MK_LBUTTON) && dragging_)
            setGeometry(event->screenX - grabX_, event->screenY - grabY_, clientWidth(),
                        clientHeight());
        break;
    default:
        break;
    }
}

void OrvelGUI::resized(int w, int h) {
    for (int i = 0; i < orvel_layout::tab_count; ++i) {
        if (!buttons_[i])
            continue;
        const OrvelRect r = orvel_layout::tabButton(i);
        buttons_[i]->setGeometry(r.x, r.y, r.w, r.h);
    }
    const OrvelRect r = orvel_layout::view(w, h);
    for (auto& view : views_)
        if (view)
            view->setGeometry(r.x, r.y, r.w, r.h);
}

void OrvelGUI::takeReports() {
    std::vector<job_report> reports = link_.takeReports();
    const bool busy = link_.busy();
    const std::uint64_t now = now_ms();
    bool lost = false;
    for (const job_report& report : reports) {
        std::printf("%s\n", job_line(report).to_utf8().c_str());
        // The phone fell silent or the port went away; a job that only found the port closed
        // (it may report after a new connection was opened) closes nothing.
        lost = lost || report.failure.error == link_error::no_answer ||
               report.failure.error == link_error::port_failed;
    }
    if (!reports.empty())
        std::fflush(stdout);
    const bool wasRunning = strip_.running();
    strip_.tick(reports, busy, now);
    if (strip_.running() && !wasRunning)
        rate_.restart();
    if (strip_.running())
        rate_.sample(now, progress_.value());
    for (const job_report& report : reports) {
        devices_->jobFinished(report);
        browser_->jobFinished(report);
        java_->jobFinished(report);
        specials_->jobFinished(report);
    }
    if (!busy)
        browser_->linkIdle();
    // A phone that stopped answering is gone: the views show it disconnected and a connect
    // starts afresh.
    if (lost && link_.isOpen())
        link_.clear();
}

void OrvelGUI::timer(int id) {
    if (id != progress_timer)
        return;
    takeReports();
    str title = OrvelProgress::title(progress_.read(), strip_.running(), baseTitle_);
    if (!(title == shownTitle_)) {
        shownTitle_ = std::move(title);
        setText(shownTitle_.c_str());
    }
    str caption = stripText();
    if (caption == shownStrip_ && !strip_.running())
        return;
    shownStrip_ = std::move(caption);
    const OrvelRect strip = orvel_layout::progressStrip(clientWidth(), clientHeight());
    invalidateRect(strip.x, strip.y, strip.w, strip.h);
}

OrvelButton* OrvelGUI::tabButton(int index) const {
    return index >= 0 && index < orvel_layout::tab_count ? buttons_[index].get() : nullptr;
}

vWidget* OrvelGUI::view(int index) const {
    return index >= 0 && index < orvel_layout::tab_count ? views_[index].get() : nullptr;
}
