// After something went wrong, against the simulated phone (natively and under Wine): the reason
// each failure keeps, a late reply that must not answer the next request, a babbling phone given
// up in bounded time, an echoing line, the fetch limit, and tree copies that go on after a failed
// file but end when the phone stops answering.

#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "link/jobs.h"
#include "tests/link/phone_fixture.h"

namespace {

// Runs the call on another thread and waits for it. A call that has not ended within the limit
// is cut short by closing the port, and counts as hanging.
template <class Call> bool ends_within(OrvelCom& port, int seconds, Call call) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready)
        return true;
    port.closePort();
    done.wait();
    return false;
}

std::string buffer_text(const buf& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// A tree copy that keeps what its job counted.
struct tree_copy : ReadDirCommand {
    using ReadDirCommand::ReadDirCommand;
    void execute(SamsungComm& link) override {
        ReadDirCommand::execute(link);
        failures_seen = failures();
        stopped_seen = stopped();
        reason = failure();
        renamed_seen = renamed().size();
    }
    unsigned failures_seen = 0;
    bool stopped_seen = false;
    link_failure reason;
    std::size_t renamed_seen = 0;
};

// Polls the condition every 20 ms until it holds or the limit has passed.
template <class Condition> bool eventually(Condition holds, int limit_ms = 60000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    while (!holds()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Runs the tree copy on the link's worker and waits for it.
bool run_on_worker(SamsungComm& link, tree_copy& job) {
    thread_event ran(true);
    link.addJob(new probe_job([&](SamsungComm& l) {
        job.execute(l);
        ran.set();
    }));
    return ran.wait(120000);
}

} // namespace

TEST_F(PhoneTest, EachFailureKeepsItsReason) {
    write_bytes(phone_root.file("/a.bin"), pattern(1000));
    struct reason_case {
        std::vector<std::string> faults;
        const char* phone_file;
        link_error expected;
    };
    const reason_case cases[] = {
        {{"silent=1"}, "/a.bin", link_error::no_answer},
        {{"badcrc=1"}, "/a.bin", link_error::bad_frame},
        {{"oversize=2"}, "/a.bin", link_error::bad_frame},
        {{"bigchunk=1"}, "/a.bin", link_error::bad_frame},
        {{}, "/missing.bin", link_error::refused},
    };
    for (const reason_case& c : cases) {
        SCOPED_TRACE(c.phone_file + ::testing::PrintToString(c.faults));
        sim_process sim;
        ASSERT_TRUE(sim.start(phone_root.simulator_path(), c.faults));
        SamsungComm link;
        ASSERT_TRUE(link.openPort(str::from_utf8(sim.port().c_str())));
        testing::internal::CaptureStdout(); // the line a bad CRC prints
        EXPECT_FALSE(link.protocol().getFile(str(c.phone_file), pc_str(pc_root.file("/a.bin"))));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(link.protocol().lastFailure().error, c.expected);
        EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{});
    }

    // PC side: a folder that does not exist; nothing of the phone is to blame.
    connectPhone();
    const fs::path missing = pc_root.file("/no/such/folder/a.bin");
    EXPECT_FALSE(link.protocol().getFile(str(u"/a.bin"), pc_str(missing)));
    const link_failure pc = link.protocol().lastFailure();
    EXPECT_EQ(pc.error, link_error::pc_file);
    EXPECT_NE(pc.detail.to_utf8().find("a.bin"), std::string::npos) << pc.detail.to_utf8();
    EXPECT_NE(describe(pc, str()).to_utf8().find("cannot write PC file"), std::string::npos);

    // No port.
    link.closePort();
    EXPECT_FALSE(link.protocol().listDir(str(u"/")));
    EXPECT_EQ(link.protocol().lastFailure().error, link_error::no_port);
    str answer;
    EXPECT_FALSE(link.sendAT(str(u"AT\r"), answer));
    EXPECT_EQ(link.lastFailure().error, link_error::no_port);
}

TEST_F(PhoneTest, ALateReplyNeverAnswersTheNextRequest) {
    write_bytes(phone_root.file("/f.txt"), "hello");
    connectPhone({"late=1"});
    SamsungProtocol& protocol = link.protocol();
    // The reply comes after the receive has given up.
    EXPECT_FALSE(protocol.makeDir(str(u"/Made")));
    EXPECT_EQ(protocol.lastFailure().error, link_error::no_answer);
    EXPECT_TRUE(link.outOfStep());
    // It arrives while the next request waits for the line to fall quiet, and is dropped there.
    buf contents;
    ASSERT_TRUE(protocol.getBuffer(str(u"/f.txt"), contents));
    EXPECT_EQ(buffer_text(contents), "hello");
    EXPECT_FALSE(link.outOfStep());
    ASSERT_TRUE(protocol.listDir(str(u"/")));
    EXPECT_TRUE(fs::is_directory(phone_root.file("/Made"))) << "the phone did make the folder";
}

TEST_F(PhoneTest, ABabblingPhoneIsGivenUpInBoundedTime) {
    // From the first request on the phone sends text that is never a frame or a result line,
    // five bytes a second: the byte limits alone would wait for hours.
    connectPhone({"babble=1", "slow=200"});
    bool listed = true;
    EXPECT_TRUE(ends_within(link, 60, [&] { listed = link.protocol().listDir(str(u"/")); }));
    EXPECT_FALSE(listed);
    EXPECT_EQ(link.protocol().lastFailure().error, link_error::incomplete);

    bool answered = true;
    str answer;
    EXPECT_TRUE(ends_within(link, 60, [&] { answered = link.sendAT(str(u"AT+CGMI\r"), answer); }));
    EXPECT_FALSE(answered);
    EXPECT_EQ(link.lastFailure().error, link_error::incomplete);
}

TEST_F(PhoneTest, AnEchoingLineIsNotTakenForThePhone) {
    const std::string data = pattern(1500, 7);
    write_bytes(pc_root.file("/up.bin"), data);
    {
        // The line returns every byte before the phone answers: the echoes are skipped.
        sim_process echoing;
        ASSERT_TRUE(echoing.start(phone_root.simulator_path(), {"echo"}));
        SamsungComm port;
        ASSERT_TRUE(port.openPort(str::from_utf8(echoing.port().c_str())));
        ASSERT_TRUE(port.protocol().putFile(pc_str(pc_root.file("/up.bin")), str(u"/up.bin")));
        EXPECT_EQ(read_bytes(phone_root.file("/up.bin")), data);
        buf back;
        ASSERT_TRUE(port.protocol().getBuffer(str(u"/up.bin"), back));
        EXPECT_EQ(buffer_text(back), data);
    }
    // Only the echo comes back, the phone says nothing: no success.
    connectPhone({"echo", "silent=1"});
    EXPECT_FALSE(link.protocol().putFile(pc_str(pc_root.file("/up.bin")), str(u"/again.bin")));
    EXPECT_EQ(link.protocol().lastFailure().error, link_error::no_answer);
    EXPECT_FALSE(fs::exists(phone_root.file("/again.bin")));
}

TEST_F(PhoneTest, AFetchStopsAtTheFileSizeLimit) {
    // The phone never ends the file; the protocol's 32-bit size is the limit (lowered here).
    write_bytes(phone_root.file("/a.bin"), pattern(1000));
    write_bytes(pc_root.file("/a.bin"), "old");
    connectPhone({"endless"});
    link.protocol().setFetchLimit(5000);
    bool fetched = true;
    EXPECT_TRUE(ends_within(link, 60, [&] {
        fetched = link.protocol().getFile(str(u"/a.bin"), pc_str(pc_root.file("/a.bin")));
    }));
    EXPECT_FALSE(fetched);
    EXPECT_EQ(link.protocol().lastFailure().error, link_error::too_large);
    EXPECT_EQ(read_bytes(pc_root.file("/a.bin")), "old");
    EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{"a.bin"});
    buf b;
    EXPECT_FALSE(link.protocol().getBuffer(str(u"/a.bin"), b));
    EXPECT_EQ(link.protocol().lastFailure().error, link_error::too_large);
    EXPECT_EQ(b.size(), 0u);
}

TEST_F(PhoneTest, ATreeCopyGoesOnAfterAFailedFile) {
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        write_bytes(phone_root.file(std::string("/T/") + name), pattern(300));
    // A folder where the second file should go: that copy fails on the PC side.
    fs::create_directories(pc_root.file("/dest/b.bin"));
    connectPhone();
    tree_copy job(str(u"/T"), pc_str(pc_root.file("/dest")));
    thread_event ran(true);
    link.addJob(new probe_job([&](SamsungComm& l) {
        job.execute(l);
        ran.set();
    }));
    ASSERT_TRUE(ran.wait(60000));
    EXPECT_EQ(job.failures_seen, 1u);
    EXPECT_FALSE(job.stopped_seen);
    EXPECT_EQ(job.reason.error, link_error::pc_file);
    EXPECT_EQ(read_bytes(pc_root.file("/dest/a.bin")), pattern(300));
    EXPECT_EQ(read_bytes(pc_root.file("/dest/c.bin")), pattern(300));
    // What the window is told: two files of three, and which one failed.
    const job_report report = job.report();
    EXPECT_EQ(report.end, job_end::failed);
    EXPECT_EQ(report.files, 2u);
    EXPECT_EQ(report.bytes, 600u);
    EXPECT_EQ(report.failedItem, str(u"/T/b.bin"));
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].to_utf8().rfind("/T/b.bin: ", 0), 0u);
    EXPECT_EQ(job_line(report).to_utf8().rfind("copy /T failed: ", 0), 0u)
        << job_line(report).to_utf8();
}

TEST_F(PhoneTest, ATreeCopyEndsWhenThePhoneStopsAnswering) {
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin", "e.bin"})
        write_bytes(phone_root.file(std::string("/T/") + name), pattern(300));
    // The listing takes ten requests and each small file four: silence from the second file on.
    connectPhone({"silent=15"});
    tree_copy job(str(u"/T"), pc_str(pc_root.file("/dest")));
    thread_event ran(true);
    link.addJob(new probe_job([&](SamsungComm& l) {
        job.execute(l);
        ran.set();
    }));
    ASSERT_TRUE(ran.wait(60000));
    EXPECT_TRUE(job.stopped_seen);
    EXPECT_EQ(job.failures_seen, 1u) << "nothing is asked after the phone fell silent";
    EXPECT_EQ(job.reason.error, link_error::no_answer);
    EXPECT_EQ(tree_of(pc_root.file("/dest")), std::vector<std::string>{"a.bin"});
    const job_report report = job.report();
    EXPECT_EQ(report.failedItem, str(u"/T/b.bin"));
    EXPECT_EQ(report.reason, str(u"the phone did not answer"));
}

TEST_F(PhoneTest, RepliesThatDoNotAddUpNeverReachAFile) {
    const std::string data = pattern(20 * 620 + 100, 3);
    write_bytes(phone_root.file("/a.bin"), data);
    for (int i = 0; i < 8; ++i)
        write_bytes(phone_root.file("/L/f" + std::to_string(i)), "x");
    enum class op { fetch_sized, fetch_unsized, list };
    struct fault_case {
        const char* fault;
        op what;
        link_error expected; // none: the operation succeeds with the exact data
        const char* detail;
    };
    const fault_case cases[] = {
        // A doubled reply: the fetch starts over and gets every byte right; a listing fails.
        {"duplicate=5", op::fetch_sized, link_error::none, ""},
        {"duplicate=5", op::list, link_error::out_of_step, ""},
        // The phone ends the file early, or sends a count its frame does not carry.
        {"short=10", op::fetch_sized, link_error::wrong_size,
         "the phone sent 5,580 of 12,500 bytes"},
        {"miscount=3", op::fetch_unsized, link_error::bad_frame, ""},
    };
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.fault);
        sim_process sim;
        ASSERT_TRUE(sim.start(phone_root.simulator_path(), {c.fault}));
        SamsungComm port;
        ASSERT_TRUE(port.openPort(str::from_utf8(sim.port().c_str())));
        SamsungProtocol& protocol = port.protocol();
        bool ok = false;
        if (c.what == op::list) {
            ok = protocol.listDir(str(u"/L"));
        } else {
            write_bytes(pc_root.file("/a.bin"), "old");
            std::optional<std::uint32_t> size;
            if (c.what == op::fetch_sized)
                size = static_cast<std::uint32_t>(data.size());
            ok = protocol.getFile(str(u"/a.bin"), pc_str(pc_root.file("/a.bin")), size);
            EXPECT_EQ(read_bytes(pc_root.file("/a.bin")), ok ? data : "old");
            EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{"a.bin"});
        }
        EXPECT_EQ(ok, c.expected == link_error::none);
        if (!ok) {
            EXPECT_EQ(protocol.lastFailure().error, c.expected);
            EXPECT_EQ(describe(protocol.lastFailure(), str()).to_utf8().find(c.detail), 0u);
        }
        // Afterwards the line is in step: the folder lists whole.
        ASSERT_TRUE(protocol.listDir(str(u"/L")));
        EXPECT_EQ(protocol.entryCount(), 10u);
    }
}

TEST_F(PhoneTest, TreeCopiesKeepEveryFileReportTheFirstErrorAndEnd) {
    // Two names that a PC folding case stores as one file (the phone lists "Twin.txt" and
    // "TWIN.TXT"): both contents arrive.
    // A folder that cannot be made on the PC (a file holds its name), then files inside it.
    write_bytes(phone_root.file("/C/Sub/x.bin"), "x");
    write_bytes(pc_root.file("/dest/Sub"), "a file");
    connectPhone({"twins"});
    tree_copy copy(str(u"/C"), pc_str(pc_root.file("/dest")));
    ASSERT_TRUE(run_on_worker(link, copy));
    std::multiset<std::string> contents;
    for (const std::string& name : tree_of(pc_root.file("/dest")))
        contents.insert(read_bytes(pc_root.file("/dest/" + name)));
    EXPECT_EQ(contents, (std::multiset<std::string>{"a file", "THE TWIN IN CAPITALS",
                                                    "the twin of mixed case"}));
    EXPECT_EQ(copy.renamed_seen, fs::exists(pc_root.file("/dest/Twin (2).txt")) ? 1u : 0u);
    EXPECT_EQ(copy.reason.error, link_error::pc_file);
    EXPECT_EQ(copy.reason.detail.to_utf8().find("cannot make PC folder"), 0u)
        << copy.reason.detail.to_utf8();

    // A phone whose every folder lists two more: the copy ends at the folder limit, inside its
    // target.
    link.closePort();
    sim_process endless;
    ASSERT_TRUE(endless.start(phone_root.simulator_path(), {"fractal"}));
    ASSERT_TRUE(link.openPort(str::from_utf8(endless.port().c_str())));
    tree_copy tree(str(u"/C/Sub"), pc_str(pc_root.file("/tree")));
    tree.setFolderLimit(40);
    ASSERT_TRUE(run_on_worker(link, tree));
    EXPECT_TRUE(tree.stopped_seen);
    EXPECT_EQ(tree.reason.error, link_error::too_many_folders);
    std::size_t folders = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(pc_root.path(), ec), end; !ec && it != end;
         it.increment(ec))
        folders += it->is_directory(ec) ? 1 : 0;
    EXPECT_LE(folders, 40u + 3u) << "dest, dest/C's files' folder and tree besides the limit";
}

TEST_F(PhoneTest, APortIsHeldByOnePortObjectAtATime) {
    // Natively the lock refuses the second; under Wine, which lets two handles share a comm
    // port, the port's named claim does.
    connectPhone();
    const str name = str::from_utf8(phone.port().c_str());
    OrvelCom second;
    EXPECT_FALSE(second.openPort(name));
    EXPECT_EQ(second.lastFailure().error, link_error::port_busy);
    EXPECT_FALSE(second.probePort(name)) << "a probe never writes into a held line";
    link.closePort();
    EXPECT_TRUE(second.openPort(name));
}

TEST_F(PhoneTest, ASettingsWriteThePhoneRefusesHalfWayPutsTheOldFileBack) {
    const std::string old = pattern(2000, 5);
    write_bytes(phone_root.file("/Registry/menu.ini"), old);
    connectPhone({"writefail=2"}); // the second chunk of the new file is refused
    buf changed(16);
    const std::string fresh = pattern(1500, 6);
    changed.write(fresh.data(), static_cast<std::uint32_t>(fresh.size()));
    WriteBufCommand job(changed, str(u"/Registry/menu.ini"));
    thread_event ran(true);
    link.addJob(new probe_job([&](SamsungComm& l) {
        job.execute(l);
        ran.set();
    }));
    ASSERT_TRUE(ran.wait(60000));
    EXPECT_FALSE(job.ok());
    EXPECT_EQ(job.failure().error, link_error::refused);
    EXPECT_TRUE(job.restored());
    EXPECT_NE(describe(job.failure(), str(u"write it")).to_utf8().find("put back"),
              std::string::npos);
    EXPECT_EQ(read_bytes(phone_root.file("/Registry/menu.ini")), old);
}

TEST_F(PhoneTest, CancelStopsTheRunningJobDropsTheQueueAndKeepsTheLine) {
    write_bytes(phone_root.file("/slow.bin"), pattern(40 * 620, 4));
    write_bytes(pc_root.file("/up.bin"), pattern(40 * 620, 5));
    for (int i = 0; i < 3; ++i)
        write_bytes(phone_root.file("/L/f" + std::to_string(i)), pattern(20 * 620, i));
    write_bytes(pc_root.file("/got.bin"), "old");
    connectPhone({"slow=1"}); // about 0.6 s a chunk
    signal_log log(link);
    struct cancel_case {
        const char* what;
        std::function<SamsungJob*()> job;
        const char* signal; // seen once the job is well under way
    };
    const cancel_case cases[] = {
        {"fetch",
         [&] {
             return new ReadFileCommand(str(u"/slow.bin"), pc_str(pc_root.file("/got.bin")), {});
         },
         "addprogress"},
        {"send",
         [&] { return new WriteFileCommand(pc_str(pc_root.file("/up.bin")), str(u"/up.bin")); },
         "addprogress"},
        {"tree", [&] { return new ReadDirCommand(str(u"/L"), pc_str(pc_root.file("/tree"))); },
         "setprogressinfo"},
    };
    for (const cancel_case& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        link.takeReports();
        std::atomic<int> outcome{-1}, queued{-1};
        link_failure reason; // written by the job before it sets the outcome
        struct watched : SamsungJob {
            watched(SamsungJob* inner, std::atomic<int>* o, link_failure* why)
                : inner_(inner), o_(o), why_(why) {}
            void execute(SamsungComm& l) override {
                inner_->execute(l);
                outcome(inner_->ok(), inner_->failure());
                *why_ = inner_->failure();
                *o_ = inner_->ok() ? 1 : 0;
            }
            std::unique_ptr<SamsungJob> inner_;
            std::atomic<int>* o_;
            link_failure* why_;
        };
        auto* running = new watched(c.job(), &outcome, &reason);
        link.addJob(running);
        link.addJob(new recorded<probe_job>(&queued));
        ASSERT_TRUE(eventually([&] { return !log.named(c.signal).empty(); }));
        link.cancel();
        ASSERT_TRUE(eventually([&] { return outcome != -1; }, 5000)) << "ended after its exchange";
        EXPECT_EQ(outcome, 0);
        EXPECT_EQ(reason.error, link_error::cancelled);
        EXPECT_EQ(queued, -1) << "the queued job was dropped";
        EXPECT_TRUE(link.isOpen());
        // Both are reported cancelled: the dropped one at once, the running one when it ends.
        std::vector<job_report> reports;
        ASSERT_TRUE(eventually([&] {
            for (job_report& r : link.takeReports())
                reports.push_back(std::move(r));
            return reports.size() >= 2;
        }));
        for (const job_report& r : reports)
            EXPECT_EQ(r.end, job_end::cancelled);
        EXPECT_FALSE(link.busy());
    }
    EXPECT_EQ(read_bytes(pc_root.file("/got.bin")), "old");
    EXPECT_FALSE(fs::exists(phone_root.file("/up.bin"))) << "the partial phone file is deleted";
    EXPECT_EQ(tree_of(pc_root.path()), (std::vector<std::string>{"got.bin", "tree", "up.bin"}))
        << "no temporary file, and the tree copy stopped before its first file";
    ASSERT_TRUE(link.protocol().listDir(str(u"/L"))) << "the line is in step";
}
