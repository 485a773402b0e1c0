// The jobs against the simulated phone: what each one does and emits, in which order and on
// which thread, the progress total, clear during a transfer, and tree copies with hostile names.

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

#include "link/jobs.h"
#include "tests/link/phone_fixture.h"

namespace {
// Signals other than the progress total, in order.
std::vector<std::string> without_progress_max(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind("setprogressmax", 0) != 0)
            out.push_back(l);
    return out;
}
} // namespace

TEST_F(PhoneTest, BrowseReportsEveryEntryBetweenBeginAndEndOnTheWorker) {
    write_bytes(phone_root.file("/Music/a.mp3"), pattern(1234));
    fs::create_directories(phone_root.file("/Music/Live"));
    connectPhone();
    signal_log log(link);
    std::atomic<int> ok{-1};
    link.addJob(new recorded<BrowseCommand>(&ok, str(u"/Music")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(ok, 1);
    const std::vector<std::string> got = without_progress_max(log.lines());
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got.front(), "BrowseBegin /Music");
    EXPECT_EQ(got[got.size() - 2], "addprogress 1024");
    EXPECT_EQ(got.back(), "BrowseEnd /Music");
    std::vector<std::string> entries = log.named("BrowseEntry");
    // The phone lists "." and ".." too; the browse job passes on whatever was listed.
    EXPECT_EQ(entries.size(), 4u);
    // "BrowseEntry path name attributes extra size": the extra value is the phone's own.
    bool file_seen = false, live_is_dir = false;
    for (const std::string& e : entries) {
        if (e.rfind("BrowseEntry /Music a.mp3 ", 0) == 0) {
            file_seen = true;
            EXPECT_EQ(std::stoul(e.substr(25)) & 0x200, 0u);
            EXPECT_EQ(e.substr(e.rfind(' ') + 1), "1234");
        }
        if (e.rfind("BrowseEntry /Music Live ", 0) == 0)
            live_is_dir = (std::stoul(e.substr(24)) & 0x200) != 0;
    }
    EXPECT_TRUE(file_seen) << ::testing::PrintToString(entries);
    EXPECT_TRUE(live_is_dir);
    EXPECT_NE(log.browseThread(), std::this_thread::get_id());
}

TEST_F(PhoneTest, WriteFileThenBrowseRaiseTheTotalAndRunInOrder) {
    const std::string data = pattern(5000);
    write_bytes(pc_root.file("/up.bin"), data);
    connectPhone();
    signal_log log(link);
    std::atomic<int> put{-1}, browse{-1};
    link.addJob(
        new recorded<WriteFileCommand>(&put, pc_str(pc_root.file("/up.bin")), str(u"/up.bin")));
    link.addJob(new recorded<BrowseCommand>(&browse, str(u"/")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(put, 1);
    EXPECT_EQ(browse, 1);
    const std::vector<std::string> max = log.named("setprogressmax");
    ASSERT_GE(max.size(), 2u);
    EXPECT_EQ(max[0], "setprogressmax 5000 0");
    EXPECT_EQ(max[1], "setprogressmax 6024 0");
    EXPECT_TRUE(wait_for_zero_total(link)) << "the total returns to 0 once both ran";

    // The upload's signals all come before the browse begins: 9 chunks of 620 for 5,000 bytes.
    std::vector<std::string> expected = {"setprogressinfo kopiere up.bin"};
    for (int i = 0; i < 9; ++i)
        expected.push_back("addprogress 620");
    expected.push_back("setprogressinfo ");
    expected.push_back("BrowseBegin /");
    std::vector<std::string> got = without_progress_max(log.lines());
    got.resize(std::min(got.size(), expected.size()));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(read_bytes(phone_root.file("/up.bin")), data);
}

TEST_F(PhoneTest, WriteFileOfAMissingFileOrAFolderWeighsNothingAndSendsNothing) {
    fs::create_directories(pc_root.file("/folder"));
    connectPhone();
    signal_log log(link);
    std::atomic<int> missing{-1}, folder{-1};
    WriteFileCommand probe(pc_str(pc_root.file("/nothing.bin")), str(u"/a.bin"));
    EXPECT_EQ(probe.weight(), 0);
    WriteFileCommand probe_folder(pc_str(pc_root.file("/folder")), str(u"/b.bin"));
    EXPECT_EQ(probe_folder.weight(), 0);
    link.addJob(new recorded<WriteFileCommand>(&missing, pc_str(pc_root.file("/nothing.bin")),
                                               str(u"/a.bin")));
    link.addJob(
        new recorded<WriteFileCommand>(&folder, pc_str(pc_root.file("/folder")), str(u"/b.bin")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(log.named("setprogressmax"),
              (std::vector<std::string>{"setprogressmax 0 0", "setprogressmax 0 0",
                                        "setprogressmax 0 0"}));
    // The phone never opened a file: no progress text, no phone file.
    EXPECT_TRUE(log.named("setprogressinfo").empty());
    EXPECT_FALSE(fs::exists(phone_root.file("/a.bin")));
    EXPECT_FALSE(fs::exists(phone_root.file("/b.bin")));
    EXPECT_FALSE(fs::exists(pc_root.file("/nothing.bin"))) << "no PC file is created";
}

TEST_F(PhoneTest, ReadFileWeighsItsSizeAndCopiesTheBytes) {
    const std::string data = pattern(1241, 7);
    write_bytes(phone_root.file("/Other/x.jar"), data);
    connectPhone();
    signal_log log(link);
    ReadFileCommand probe(str(u"/Other/x.jar"), pc_str(pc_root.file("/x.jar")), 1241);
    EXPECT_EQ(probe.weight(), 1241);
    std::atomic<int> ok{-1};
    link.addJob(new recorded<ReadFileCommand>(&ok, str(u"/Other/x.jar"),
                                              pc_str(pc_root.file("/x.jar")), 1241u));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(read_bytes(pc_root.file("/x.jar")), data);
    EXPECT_EQ(log.named("setprogressmax").front(), "setprogressmax 1241 0");
    EXPECT_EQ(log.named("setprogressinfo"),
              (std::vector<std::string>{"setprogressinfo kopiere x.jar", "setprogressinfo "}));
}

TEST_F(PhoneTest, BufferJobsReadAndWritePhoneFilesInMemory) {
    const std::string data = pattern(3000, 3);
    write_bytes(phone_root.file("/Registry/MainMenu_reg.ini"), data);
    connectPhone();
    signal_log log(link);
    std::atomic<int> read_ok{-1}, write_ok{-1}, missing{-1};
    link.addJob(new recorded<ReadBufCommand>(&read_ok, str(u"/Registry/MainMenu_reg.ini")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(read_ok, 1);
    EXPECT_EQ(log.named("ReadBufCommand"),
              (std::vector<std::string>{"ReadBufCommand /Registry/MainMenu_reg.ini 3000"}));
    EXPECT_EQ(log.lastBuffer(), data);

    // The written contents are copied when the job is made: the source may go at once.
    auto* source = new buf(16);
    const std::string changed = "[Menu]\r\nItem=1\r\n";
    source->write(changed.data(), static_cast<std::uint32_t>(changed.size()));
    auto* job = new recorded<WriteBufCommand>(&write_ok, *source, str(u"/Registry/new.ini"));
    delete source;
    EXPECT_EQ(job->weight(), static_cast<std::int32_t>(changed.size()));
    log.clear();
    link.addJob(job);
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(write_ok, 1);
    EXPECT_EQ(log.named("setprogressmax").front(),
              "setprogressmax " + std::to_string(changed.size()) + " 0");
    EXPECT_EQ(read_bytes(phone_root.file("/Registry/new.ini")), changed);

    // A read that fails emits nothing; the job is destroyed all the same.
    log.clear();
    thread_event gone(true);
    struct watched : ReadBufCommand {
        watched(std::atomic<int>* o, thread_event* g)
            : ReadBufCommand(str(u"/nope.ini")), o_(o), g_(g) {}
        ~watched() override { g_->set(); }
        void execute(SamsungComm& l) override {
            ReadBufCommand::execute(l);
            *o_ = ok() ? 1 : 0;
        }
        std::atomic<int>* o_;
        thread_event* g_;
    };
    link.addJob(new watched(&missing, &gone));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_TRUE(gone.is_set());
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(without_progress_max(log.lines()).empty());
}

TEST_F(PhoneTest, DeleteAndMakeDirChangeThePhone) {
    write_bytes(phone_root.file("/Other/old.txt"), "old");
    connectPhone();
    std::atomic<int> del{-1}, mk{-1};
    link.addJob(new recorded<DeleteFileCommand>(&del, str(u"/Other/old.txt")));
    link.addJob(new recorded<MakeDirCommand>(&mk, str(u"/Other/New")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(del, 1);
    EXPECT_EQ(mk, 1);
    EXPECT_FALSE(fs::exists(phone_root.file("/Other/old.txt")));
    EXPECT_TRUE(fs::is_directory(phone_root.file("/Other/New")));
}

TEST_F(PhoneTest, InfoCommandStripsOnlyAPlusPrefixUpToTheFirstColon) {
    connectPhone();
    signal_log log(link);
    std::atomic<int> a{-1}, b{-1}, c{-1}, d{-1};
    link.addJob(new recorded<InfoCommand>(&a, str(u"AT+CGMI\r"), str(u"Manufacturer:")));
    link.addJob(new recorded<InfoCommand>(&b, str(u"AT+CBC\r"), str(u"Battery Charge:")));
    link.addJob(new recorded<InfoCommand>(&c, str(u"AT+CNUM\r"), str(u"Phone number:")));
    link.addJob(new recorded<InfoCommand>(&d, str(u"AT+NOSUCH\r"), str(u"X:")));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(
        log.named("InfoCommand"),
        (std::vector<std::string>{
            "InfoCommand Manufacturer:|SAMSUNG", "InfoCommand Battery Charge:| 0,80",
            "InfoCommand Phone number:| \"Own number\",\"+491701234567\",145", "InfoCommand X:|"}));
    EXPECT_EQ(a + b + c, 3);
    EXPECT_EQ(d, 1) << "an ERROR result still ends the exchange";
    // The reports name the command as it reads, without its line end.
    std::vector<std::string> lines;
    for (const job_report& r : link.takeReports())
        if (r.kind == job_kind::identity) // not the test's own waiting job
            lines.push_back(job_line(r).to_utf8());
    EXPECT_EQ(lines, (std::vector<std::string>{"info AT+CGMI done", "info AT+CBC done",
                                               "info AT+CNUM done", "info AT+NOSUCH done"}));
}

TEST_F(PhoneTest, ClearDuringATransferDropsTheQueuedJobAndDisconnectsOnce) {
    write_bytes(phone_root.file("/slow.bin"), pattern(20000));
    connectPhone({"slow=1"});
    signal_log log(link);
    thread_event transferring(true);
    struct start_watch : vObject {
        thread_event* e;
        void info(const char16_t* t) {
            if (t && *t)
                e->set();
        }
    } watch;
    watch.e = &transferring;
    connect(static_cast<vObject*>(&link), u"setprogressinfo", &watch, &start_watch::info);
    std::atomic<int> running{-1}, queued{-1};
    thread_event running_gone(true), queued_gone(true);
    struct gone_flag : MakeDirCommand {
        gone_flag(std::atomic<int>* o, thread_event* g)
            : MakeDirCommand(str(u"/Queued")), o_(o), g_(g) {}
        ~gone_flag() override { g_->set(); }
        void execute(SamsungComm& l) override {
            MakeDirCommand::execute(l);
            *o_ = ok();
        }
        std::atomic<int>* o_;
        thread_event* g_;
    };
    link.addJob(new recorded<ReadFileCommand>(&running, str(u"/slow.bin"),
                                              pc_str(pc_root.file("/slow.bin")), 20000u));
    link.addJob(new gone_flag(&queued, &queued_gone));
    ASSERT_TRUE(transferring.wait(60000));
    link.clear();
    EXPECT_TRUE(queued_gone.is_set()) << "clear destroys the waiting job";
    EXPECT_FALSE(link.isOpen());
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(running, 0) << "the running job failed at its next exchange";
    EXPECT_EQ(queued, -1) << "the waiting job never ran";
    EXPECT_EQ(log.named("disconnected").size(), 1u);
    EXPECT_FALSE(fs::exists(pc_root.file("/slow.bin"))) << "no partial PC file is left";
    EXPECT_FALSE(fs::exists(phone_root.file("/Queued")));
}

TEST_F(PhoneTest, ReadDirCopiesTheTreeAndSkipsDotsAndHostileNames) {
    write_bytes(phone_root.file("/Pictures/a.jpg"), pattern(700, 1));
    write_bytes(phone_root.file("/Pictures/Trip/b.jpg"), pattern(1300, 2));
    fs::create_directories(phone_root.file("/Pictures/Empty"));
    connectPhone({"hostile"});
    signal_log log(link);
    const fs::path dest = pc_root.file("/inside/dest");
    unsigned skipped = 0, failures = 0;
    struct counted : ReadDirCommand {
        using ReadDirCommand::ReadDirCommand;
        unsigned *s = nullptr, *f = nullptr;
        void execute(SamsungComm& l) override {
            ReadDirCommand::execute(l);
            *s = skipped();
            *f = failures();
        }
    };
    auto* job = new counted(str(u"/Pictures"), pc_str(dest));
    job->s = &skipped;
    job->f = &failures;
    link.addJob(job);
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(
        tree_of(pc_root.path()),
        (std::vector<std::string>{"inside", "inside/dest", "inside/dest/Empty", "inside/dest/Trip",
                                  "inside/dest/Trip/b.jpg", "inside/dest/a.jpg"}))
        << "nothing is written beside or above the destination";
    EXPECT_EQ(read_bytes(dest / "Trip" / "b.jpg"), pattern(1300, 2));
    EXPECT_EQ(read_bytes(dest / "a.jpg"), pattern(700, 1));
    // Three folders listed, each with six hostile entries skipped.
    EXPECT_EQ(log.named("addprogressmax").size(), 3u);
    EXPECT_EQ(skipped, 18u);
    EXPECT_EQ(failures, 0u);
}

TEST_F(PhoneTest, ReadDirStopsSixtyFourLevelsDown) {
    fs::path deep = phone_root.file("/Deep");
    for (int i = 0; i < 66; ++i)
        deep /= "d";
    write_bytes(deep / "bottom.txt", "x");
    connectPhone();
    std::atomic<int> ok{-1};
    link.addJob(new recorded<ReadDirCommand>(&ok, str(u"/Deep"), pc_str(pc_root.file("/out"))));
    ASSERT_TRUE(wait_for_jobs(link));
    EXPECT_EQ(ok, 0) << "a cut-off tree is not a complete copy";
    int levels = 0;
    for (fs::path p = pc_root.file("/out") / "d"; fs::is_directory(p); p /= "d")
        ++levels;
    EXPECT_EQ(levels, ReadDirCommand::max_depth);
}

TEST_F(PhoneTest, NoSignalReachesAReceiverDestroyedBeforeTheLinkClosesThePort) {
    connectPhone();
    std::atomic<int> calls{0};
    struct counter : vObject {
        std::atomic<int>* n;
        void hit(vObject*) { ++*n; }
    };
    {
        counter c;
        c.n = &calls;
        connect(static_cast<vObject*>(&link), u"disconnected", &c, &counter::hit);
    }
    link.clear(); // closes the open port: "disconnected" has no live receiver left
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(link.isOpen());
}
