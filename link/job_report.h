#pragma once
// What became of one job of the link: made on the worker when the job ends (or is dropped by a
// cancel) and handed to the window through the link's report queue, so no view reads a job
// object across threads.

#include <cstdint>
#include <vector>

#include "core/str.h"
#include "link/link_failure.h"

enum class job_kind : std::uint8_t {
    listing,     // a folder listed
    fetch_file,  // a phone file copied to the PC
    fetch_tree,  // a phone folder tree copied to the PC
    send_file,   // a PC file copied to the phone
    send_tree,   // a PC folder tree copied to the phone
    remove,      // a phone file deleted
    make_folder, // a phone folder made
    read_file,   // a phone file read into memory (a settings file)
    save_file,   // memory written to a phone file (a settings file)
    identity,    // one identity question
    install,     // a game installed
    other,
};

enum class job_end : std::uint8_t { done, failed, cancelled };

struct job_report {
    // The most problems a report lists; the counts go on past it.
    static constexpr unsigned max_problems = 200;

    job_kind kind = job_kind::other;
    job_end end = job_end::done;
    // The phone file or folder the job was about.
    str phonePath;
    // The phone folder whose listing the job changed (ends in "/"); empty when it changed none.
    str changedFolder;
    // The first failure and, in English, why; the phone path it met.
    link_failure failure;
    str reason;
    str failedItem;
    // Files copied (or written) and their bytes.
    unsigned files = 0;
    std::uint64_t bytes = 0;
    // Items of a tree job that failed, and those left out (names, depth).
    unsigned failures = 0;
    unsigned skipped = 0;
    // "phone path: reason" per failed or skipped item of a tree job, at most max_problems.
    std::vector<str> problems;
    // Wall time of the run, in milliseconds (0 for a job dropped before it ran).
    std::uint64_t elapsedMs = 0;

    // A note of a failed or skipped item, while there is room.
    void addProblem(const str& path, const str& why);
};

// The verb of a kind in the lines written for scripts: "list", "copy", "upload", "delete",
// "mkdir", "read", "save", "info", "install", "job".
const char16_t* job_verb(job_kind kind);

// The line written to standard output for a report: "<verb> <phone path> done", "... cancelled",
// or "... failed: <reason>"; a tree job that left items out adds "(N failed, M skipped)".
str job_line(const job_report& report);
