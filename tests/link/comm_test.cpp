// The link worker without a phone: queue order, the progress total, clear and destruction, and
// what the jobs emit when no port is open.

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "tests/link/signal_log.h"

namespace {
struct run_record {
    std::mutex m;
    std::vector<int> order;
    void add(int id) {
        std::lock_guard<std::mutex> g(m);
        order.push_back(id);
    }
    std::vector<int> get() {
        std::lock_guard<std::mutex> g(m);
        return order;
    }
};
} // namespace

TEST(SamsungComm, JobsRunOneAtATimeInQueueOrderOnTheWorker) {
    SamsungComm link;
    run_record rec;
    std::atomic<int> inside{0}, most{0};
    std::atomic<bool> on_worker{true};
    const auto caller = std::this_thread::get_id();
    thread_event gate(true);
    auto body = [&](int id) {
        return [&, id](SamsungComm&) {
            int now = ++inside;
            if (now > most)
                most = now;
            if (std::this_thread::get_id() == caller)
                on_worker = false;
            if (id == 1)
                gate.wait(); // the others queue up behind the first
            rec.add(id);
            --inside;
        };
    };
    link.addJob(new probe_job(body(1)));
    link.addJob(new probe_job(body(2)));
    link.addJob(new probe_job(body(3)));
    gate.set();
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(rec.get(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(most, 1);
    EXPECT_TRUE(on_worker);
}

TEST(SamsungComm, ProgressTotalGrowsPerJobAndReturnsToZeroWhenDrained) {
    SamsungComm link;
    signal_log log(link);
    thread_event gate(true);
    // Hold the worker so that the total is seen before anything runs.
    link.addJob(new probe_job([&](SamsungComm&) { gate.wait(); }));
    link.addJob(new probe_job({}, 5000));
    link.addJob(new probe_job({}, 1024));
    EXPECT_EQ(link.progressTotal(), 6024);
    EXPECT_EQ(log.named("setprogressmax"),
              (std::vector<std::string>{"setprogressmax 0 0", "setprogressmax 5000 0",
                                        "setprogressmax 6024 0"}));
    gate.set();
    ASSERT_TRUE(wait_for_zero_total(link));
    log.clear();
    link.addJob(new probe_job({}, 7));
    EXPECT_EQ(log.named("setprogressmax"), (std::vector<std::string>{"setprogressmax 7 0"}));
    ASSERT_TRUE(wait_for_jobs(link));
}

TEST(SamsungComm, ProgressTotalIsSixtyFourBitsSentAsLowThenHighWord) {
    SamsungComm link;
    signal_log log(link);
    thread_event gate(true);
    link.addJob(new probe_job([&](SamsungComm&) { gate.wait(); }));
    for (int i = 0; i < 3; ++i)
        link.addJob(new probe_job({}, 0x7FFFFFFF));
    EXPECT_EQ(link.progressTotal(), 3LL * 0x7FFFFFFF);
    EXPECT_EQ(log.named("setprogressmax").back(), "setprogressmax 2147483645 1");
    // A negative weight is sign-extended: it lowers the total.
    link.addJob(new probe_job({}, -5));
    EXPECT_EQ(link.progressTotal(), 3LL * 0x7FFFFFFF - 5);
    EXPECT_EQ(log.named("setprogressmax").back(), "setprogressmax 2147483640 1");
    gate.set();
    ASSERT_TRUE(wait_for_jobs(link));
}

TEST(SamsungComm, ClearDestroysWaitingJobsButNotTheRunningOne) {
    SamsungComm link;
    signal_log log(link);
    thread_event started(true), gate(true), first_gone(true), second_gone(true);
    std::atomic<bool> first_finished{false}, second_ran{false};
    link.addJob(new probe_job(
        [&](SamsungComm&) {
            started.set();
            gate.wait();
            first_finished = true;
        },
        0, &first_gone));
    link.addJob(new probe_job([&](SamsungComm&) { second_ran = true; }, 0, &second_gone));
    ASSERT_TRUE(started.wait(60000));
    link.clear();
    EXPECT_TRUE(second_gone.is_set()) << "the waiting job is destroyed by clear";
    EXPECT_EQ(link.pending(), 0u);
    EXPECT_FALSE(first_gone.is_set()) << "the running job runs on";
    gate.set();
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_TRUE(first_finished);
    EXPECT_FALSE(second_ran);
    EXPECT_TRUE(log.named("disconnected").empty()) << "no port was open";
}

TEST(SamsungComm, NullJobIsRefusedAndAThrowingJobDoesNotStopTheWorker) {
    SamsungComm link;
    signal_log log(link);
    EXPECT_FALSE(link.addJob(nullptr));
    EXPECT_TRUE(log.lines().empty());
    std::atomic<bool> later_ran{false};
    link.addJob(new probe_job([](SamsungComm&) { throw std::runtime_error("job failed"); }));
    link.addJob(new probe_job([&](SamsungComm&) { later_ran = true; }));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_TRUE(later_ran);
}

TEST(SamsungComm, SeveralLinksInSequenceDropTheirWaitingJobsWhenDestroyed) {
    for (int round = 0; round < 3; ++round) {
        thread_event started(true), gate(true), waiting_gone(true);
        std::atomic<bool> waiting_ran{false};
        {
            SamsungComm link;
            link.addJob(new probe_job([&](SamsungComm&) {
                started.set();
                gate.wait(200); // ends by itself: destruction waits for it where it cannot kill
            }));
            link.addJob(new probe_job([&](SamsungComm&) { waiting_ran = true; }, 0, &waiting_gone));
            ASSERT_TRUE(started.wait(60000));
        }
        EXPECT_TRUE(waiting_gone.is_set());
        EXPECT_FALSE(waiting_ran);
    }
}

TEST(SamsungComm, JobsWithoutAPortFailAndEmitOnlyTheirUnconditionalSignals) {
    SamsungComm link;
    signal_log log(link);
    std::atomic<int> browse{-1}, info{-1}, readbuf{-1}, del{-1}, mkdir{-1};
    link.addJob(new recorded<BrowseCommand>(&browse, str(u"/Music")));
    link.addJob(new recorded<InfoCommand>(&info, str(u"AT+CGMI\r"), str(u"Manufacturer:")));
    link.addJob(new recorded<ReadBufCommand>(&readbuf, str(u"/Registry/x.ini")));
    link.addJob(new recorded<DeleteFileCommand>(&del, str(u"/a")));
    link.addJob(new recorded<MakeDirCommand>(&mkdir, str(u"/b")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(browse, 0);
    EXPECT_EQ(info, 0);
    EXPECT_EQ(readbuf, 0);
    EXPECT_EQ(del, 0);
    EXPECT_EQ(mkdir, 0);
    // The failed listing replaces nothing: no "BrowseBegin", no entries.
    std::vector<std::string> expected = {"addprogress 1024", "BrowseEnd /Music",
                                         "InfoCommand Manufacturer:|"};
    std::vector<std::string> got;
    for (const std::string& l : log.lines())
        if (l.rfind("setprogressmax", 0) != 0)
            got.push_back(l);
    EXPECT_EQ(got, expected);
}

TEST(InfoCommand, PrefixRule) {
    struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"SAMSUNG", u"SAMSUNG"},  // no "+": unchanged
        {u"+CBC: 0,80", u" 0,80"}, // the blank after the colon stays
        {u"+CNUM:\"x\",\"+49\"", u"\"x\",\"+49\""},
        {u"+NOCOLON", u"+NOCOLON"}, // no ":": nothing removed
        {u"A+B: c", u"A+B: c"},     // "+" not first
        {u"+:", u""},
        {u"", u""},
    };
    for (const auto& c : cases) {
        str answer(c.in);
        InfoCommand::stripPrefix(answer);
        EXPECT_EQ(answer.to_utf8(), str(c.out).to_utf8()) << str(c.in).to_utf8();
    }
}

TEST(ReadDirCommand, SafeNamesAreSinglePathComponents) {
    for (const char16_t* bad : {u"", u".", u"..", u"a/b", u"/", u"a\\b", u"C:x", u"x\ny", u"\x01",
                                u"tab\there", u"del\x7f"})
        EXPECT_FALSE(ReadDirCommand::safeName(str(bad))) << str(bad).to_utf8();
    // ("..." is a plain name on POSIX; Windows would store it differently, see the Windows tests.)
    for (const char16_t* good : {u"a", u".hidden", u"x.jar", u"na\u00efve", u"a b"})
        EXPECT_TRUE(ReadDirCommand::safeName(str(good))) << str(good).to_utf8();
}
