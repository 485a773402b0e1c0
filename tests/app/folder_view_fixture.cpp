#include "tests/app/folder_view_fixture.h"

#include <mutex>

#include "core/lang.h"

namespace browser_test {

namespace {

// A point on the row, in the pane's client coordinates.
POINT row_point(OrvelFolder* pane, vwin::vListViewItem* item) {
    pane->relayout();
    return POINT{30, item->top() - pane->contentsY() + item->height() / 2};
}

} // namespace

void BrowserTest::SetUp() {
    if (!std::getenv("ORVEL_PHONESIM"))
        GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
    ASSERT_TRUE(phone_root.ok() && pc_root.ok());
    ASSERT_TRUE(driverSetUp(picker));
    set_user_language_for_tests(9);
}

void BrowserTest::TearDown() {
    releaseWorker();
    driverTearDown();
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
        // A job queued now (a folder listed again) may already have run: one more round then.
        const int queuedBefore = queued.count();
        for (const job_report& report : link.takeReports())
            view->jobFinished(report);
        view->linkIdle();
        if (queued.count() == queuedBefore && link.pending() == 0 && !link.busy())
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
    const POINT at = row_point(pane, item);
    app_test::rightClick(*pane, at.x, at.y);
}

void BrowserTest::doubleClick(OrvelFolder* pane, vwin::vListViewItem* item) {
    const POINT at = row_point(pane, item);
    app_test::doubleClick(*pane, at.x, at.y);
}

bool BrowserTest::chooseFromMenu(OrvelFolder* pane, vwin::vListViewItem* item, int choice,
                                 const std::function<void(open_menu&)>& whileOpen) {
    const bool answered = answerMenu([&] { rightClick(pane, item); }, choice, whileOpen);
    // The choice may arrive as a posted command message.
    pump_pending();
    return answered;
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
    picker.folder = folder;
    picker.pick = true;
}

void BrowserTest::pickerCancels() {
    picker.pick = false;
}

} // namespace browser_test
