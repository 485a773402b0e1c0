#pragma once
// The Java Apps page against the phone simulator, for the tests of either driver: the page
// connected to a link as the main window connects it, the games it lists, PC files to drop and
// the phone's file system to check.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "phone/java_view.h"
#include "tests/link/signal_log.h"
#include "tests/phone/drag_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace java_view_test {

using namespace vwin;
namespace fs = std::filesystem;

inline constexpr const char* first_folder = "/User/Mass/Java/Games/";
inline constexpr const char* second_folder = "/AppEx/User/Java/Games/";

inline std::string utf8(const char16_t* t) {
    return t ? str(t).to_utf8() : std::string();
}

// Records, at each file copy that starts and each browse that begins on the link worker, what the
// phone's file system holds at that moment, so the order of the jobs shows on the phone itself.
class phone_watch : public vObject {
public:
    phone_watch(SamsungComm& link, std::function<std::string()> snapshot)
        : snapshot_(std::move(snapshot)) {
        vObject* sender = &link;
        connect(sender, u"setprogressinfo", this, &phone_watch::info);
        connect(sender, u"BrowseBegin", this, &phone_watch::browse);
    }
    ~phone_watch() { disconnect_all(); }
    std::vector<std::string> lines() {
        std::lock_guard hold(m_);
        return lines_;
    }

private:
    void info(const char16_t* text) {
        if (text && *text)
            add(utf8(text) + " | " + snapshot_());
    }
    void browse(const char16_t* path) { add("browse " + utf8(path) + " | " + snapshot_()); }
    void add(const std::string& line) {
        std::lock_guard hold(m_);
        lines_.push_back(line);
    }

    std::function<std::string()> snapshot_;
    std::mutex m_;
    std::vector<std::string> lines_;
};

class JavaAppsPage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("ORVEL_PHONESIM"))
            GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
        ASSERT_TRUE(phoneRoot.ok() && pc.ok());
    }
    void TearDown() override { view.reset(); }

    // The page, connected to the link as the main window connects it ("connected" only when
    // asked).
    void makePage(bool refreshOnConnect = true) {
        view = std::make_unique<OrvelJavaView>(nullptr, link);
        vObject* sender = &link;
        if (refreshOnConnect)
            connect(sender, u"connected", view.get(), &OrvelJavaView::refresh);
        connect(sender, u"disconnected", view.get(), &OrvelJavaView::disconnected);
        view->resize(300, 400);
        pump_pending();
    }
    void connectPhone(const std::vector<std::string>& faults = {}) {
        ASSERT_TRUE(phone.start(phoneRoot.simulator_path(), faults));
        ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    }
    bool waitForJobs(int timeout_ms = 60000) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        link.addJob(new probe_job([done](SamsungComm&) { *done = true; }));
        return pump_until([&] { return done->load(); }, timeout_ms);
    }
    // Runs the jobs and hands their reports to the page as the main window does, until the jobs
    // queued from the reports have run too. The link is idle once no job runs or waits (jobs are
    // queued only on this thread); a probe job would not do: it still runs when it sets its flag.
    bool settle() {
        for (int round = 0; round < 4; ++round) {
            if (!pump_until([this] { return !link.busy(); }, 60000))
                return false;
            const std::vector<job_report> reports = link.takeReports();
            for (const job_report& report : reports)
                view->jobFinished(report);
            if (!link.busy())
                return true;
        }
        return false;
    }
    int jobsQueued() { return static_cast<int>(log.named("setprogressmax").size()); }

    std::vector<std::string> games() {
        std::vector<std::string> names;
        vListView& list = view->gamesList();
        std::lock_guard hold(list.listLock());
        for (int i = 0; i < list.count(); ++i)
            names.push_back(list.at(i)->text().to_utf8());
        return names;
    }

    // A PC file of the test, with its bytes; answers its full path.
    std::u16string pcFile(const std::string& relative, const std::string& bytes) {
        const fs::path p = pc.path() / fs::path(relative);
        write_bytes(p, bytes);
        return p.u16string();
    }
    fs::path onPhone(const std::string& phonePath) const { return phoneRoot.file(phonePath); }
    // Whether the phone holds an entry of exactly this name (letter case counts; a file system
    // of the PC may ignore it).
    bool existsExactly(const std::string& phonePath) const {
        const std::size_t slash = phonePath.rfind('/');
        const fs::path folder = onPhone(phonePath.substr(0, slash + 1));
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.path().filename().string() == phonePath.substr(slash + 1))
                return true;
        return false;
    }

    // A drag that enters the page: the effect the page answers.
    DWORD enter(vDropEvent& event) {
        view->dragEnter(&event);
        return event.effect;
    }
    // A drag of these files that enters and drops; answers the number of jobs queued.
    int dropFiles(const std::vector<std::u16string>& files) {
        drop_test::drag_data data;
        data.offerFiles(files);
        const auto event = data.event(DROPEFFECT_COPY | DROPEFFECT_MOVE);
        view->dragEnter(event.get());
        EXPECT_EQ(event->effect, static_cast<DWORD>(DROPEFFECT_COPY));
        const int before = jobsQueued();
        view->drop(event.get());
        EXPECT_EQ(event->effect, static_cast<DWORD>(DROPEFFECT_COPY));
        return jobsQueued() - before;
    }

    phone_folder phoneRoot;      // a copy of the sample phone content
    phone_folder pc{fs::path()}; // the PC's files to drop
    sim_process phone;
    SamsungComm link;
    signal_log log{link};
    std::unique_ptr<OrvelJavaView> view;
};

} // namespace java_view_test
