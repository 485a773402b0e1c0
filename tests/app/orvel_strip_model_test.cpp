// The strip along the bottom of the main window: what it says while work runs and after.

#include "app/orvel_strip_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/orvel_gui_model.h"
#include "core/lang.h"

namespace {

std::string utf8(const str& s) {
    return s.to_utf8();
}

struct language {
    explicit language(int id) { set_user_language_for_tests(id); }
    ~language() { set_user_language_for_tests(-1); }
};
constexpr int english = 9;

job_report made(job_kind kind, job_end end, const char16_t* path, unsigned files = 0,
                std::uint64_t bytes = 0, std::uint64_t ms = 100) {
    job_report r;
    r.kind = kind;
    r.end = end;
    r.phonePath = path;
    r.files = files;
    r.bytes = bytes;
    r.elapsedMs = ms;
    if (end != job_end::done) {
        r.failedItem = path;
        r.reason = end == job_end::failed ? str(u"the phone did not answer") : str(u"cancelled");
    }
    return r;
}

TEST(OrvelStripText, ProgressLineInBothLanguages) {
    struct row {
        int lang;
        const char16_t* name;
        std::uint64_t done, total, rate;
        const char* line;
    };
    const row rows[] = {
        {english, u"b.jpg", 340 * 1024, 1024 * 1024, 11 * 1024,
         "Copying b.jpg \u2014 340 KB of 1.0 MB, 11 KB/s, 1:03 left"},
        {lang_german, u"b.jpg", 340 * 1024, 1024 * 1024, 11 * 1024,
         "kopiere b.jpg \u2014 340 KB von 1,0 MB, 11 KB/s, noch 1:03"},
        {english, u"b.jpg", 0, 2048, 0, "Copying b.jpg \u2014 0 B of 2 KB"}, // no rate yet
        {english, u"", 1024, 4096, 0, ""}, // a listing: its weights are no bytes
        {english, u"x", 9000, 4096, 100, "Copying x \u2014 4 KB of 4 KB, 100 B/s, 0:00 left"},
        {english, u"big", 0, 4000ull * 1024 * 1024, 1024,
         "Copying big \u2014 0 B of 4000.0 MB, 1 KB/s, 1137:46:40 left"},
    };
    for (const row& r : rows) {
        language chosen(r.lang);
        EXPECT_EQ(utf8(progressLine(str(r.name), r.done, r.total, r.rate)), r.line);
    }
}

TEST(OrvelStripText, OutcomeOfABatch) {
    language chosen(english);
    job_report tree = made(job_kind::fetch_tree, job_end::done, u"/Other", 10, 3 * 1024 * 1024);
    tree.skipped = 2;
    job_report queuedAfterCancel = made(job_kind::fetch_file, job_end::cancelled, u"/b", 0, 0, 0);
    struct row {
        const char* what;
        std::vector<job_report> batch;
        std::uint64_t ms;
        const char* line;
    };
    const row rows[] = {
        {"copies add up",
         {made(job_kind::fetch_file, job_end::done, u"/a", 1, 1024 * 1024),
          made(job_kind::fetch_tree, job_end::done, u"/T", 11, 2516582),
          made(job_kind::listing, job_end::done, u"/")},
         41200,
         "Copied 12 files (3.4 MB) in 42 s"},
        {"the first failure, and how many more",
         {made(job_kind::fetch_file, job_end::done, u"/Other/a.jpg", 1, 10),
          made(job_kind::fetch_file, job_end::failed, u"/Other/b.jpg"),
          made(job_kind::fetch_file, job_end::failed, u"/Other/c.jpg")},
         1000,
         "Copy of /Other/b.jpg failed: the phone did not answer (and 1 more)"},
        {"a failure outweighs a cancel",
         {made(job_kind::remove, job_end::cancelled, u"/x"),
          made(job_kind::listing, job_end::failed, u"/Music/")},
         1000,
         "Listing of /Music/ failed: the phone did not answer"},
        {"the running job names the cancel",
         {queuedAfterCancel, made(job_kind::send_file, job_end::cancelled, u"/up.bin")},
         1000,
         "Upload of /up.bin cancelled"},
        {"skipped names are counted", {tree}, 900, "Copied 10 files (3.0 MB) in 1 s; 2 skipped"},
        {"deletes, folders, saves and installs",
         {made(job_kind::remove, job_end::done, u"/a/x.jpg"),
          made(job_kind::remove, job_end::done, u"/a/y.jpg"),
          made(job_kind::make_folder, job_end::done, u"/a/New/"),
          made(job_kind::save_file, job_end::done, u"/Registry/m.ini"),
          made(job_kind::install, job_end::done, u"/Java/Game")},
         100,
         "Deleted 2 files; Made folder /a/New/; Saved /Registry/m.ini; Installed Game"},
        {"only listings: nothing to say",
         {made(job_kind::listing, job_end::done, u"/"),
          made(job_kind::identity, job_end::done, u"AT+CGMI")},
         100,
         ""},
    };
    for (const row& r : rows)
        EXPECT_EQ(utf8(outcomeLine(r.batch, r.ms)), r.line) << r.what;
}

TEST(OrvelStripFlow, AnOutcomeStaysUntilTheNextWorkAndListingsKeepIt) {
    language chosen(english);
    OrvelStrip strip;
    strip.tick({}, true, 0);
    EXPECT_TRUE(strip.running());
    job_report tree = made(job_kind::fetch_tree, job_end::failed, u"/T", 2, 20);
    tree.failures = 1;
    tree.skipped = 1;
    tree.failedItem = u"/T/b";
    tree.addProblem(str(u"/T/b"), str(u"the phone refused to copy /T/b"));
    tree.addProblem(str(u"/T/c:d"), str(u"the name cannot be a PC file name"));
    strip.tick({tree}, true, 500);
    EXPECT_TRUE(strip.running()) << "the link still has work";
    strip.tick({}, false, 1000);
    EXPECT_EQ(strip.shown(), OrvelStrip::state::failed);
    EXPECT_EQ(utf8(strip.outcome()),
              "Copy of /T/b failed: the phone did not answer \u2014 click for the list");
    EXPECT_EQ(strip.problems().size(), 2u);

    // A quick listing that begins and ends within one tick leaves the outcome standing.
    strip.tick({made(job_kind::listing, job_end::done, u"/T/")}, false, 1200);
    EXPECT_EQ(strip.shown(), OrvelStrip::state::failed);
    EXPECT_EQ(strip.problems().size(), 2u);

    // A lone failure is said whole: no list behind it.
    strip.tick({made(job_kind::remove, job_end::failed, u"/a")}, false, 1400);
    EXPECT_EQ(utf8(strip.outcome()), "Delete of /a failed: the phone did not answer");
    EXPECT_TRUE(strip.problems().empty());
    strip.tick({made(job_kind::remove, job_end::done, u"/a")}, false, 1600);
    EXPECT_EQ(strip.shown(), OrvelStrip::state::done);
}

TEST(OrvelProgress, WorkQueuedWhileOthersRunKeepsWhatWasDone) {
    OrvelProgress progress;
    progress.reset(); // new work
    progress.setMax(3000, 0);
    progress.add(1000);
    progress.addMax(500);     // a tree copy found more
    progress.setMax(4024, 0); // a listing queued meanwhile: the link's total grows
    EXPECT_EQ(progress.value(), 1000u);
    EXPECT_EQ(progress.max(), 4524u);
    progress.reset();
    EXPECT_EQ(progress.max(), 0u);
    EXPECT_EQ(progress.value(), 0u);
    EXPECT_EQ(utf8(progressName(u"kopiere b.jpg")), "b.jpg");
}

TEST(OrvelStripText, TheProblemListStopsAtItsLength) {
    language chosen(english);
    const std::vector<str> problems{str(u"/a: x"), str(u"/b: y"), str(u"/c: z")};
    EXPECT_EQ(utf8(problemList(problems, 2)), "/a: x\n/b: y\n\u2026 and 1 more");
    EXPECT_EQ(utf8(problemList(problems, 3)), "/a: x\n/b: y\n/c: z\n");
}

} // namespace
