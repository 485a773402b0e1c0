#pragma once
// The jobs of the link worker. A window creates a job with new and hands it to
// SamsungComm::addJob; from then on the link owns it, runs it on the worker thread and destroys it.
// Jobs report through signals emitted from the link's vObject; each also records whether its
// operation succeeded (ok()) and, when it did not, why (failure()), which a subclass can read at
// the end of its own execute().

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/str.h"
#include "core/stream.h"
#include "link/job_report.h"
#include "link/link_failure.h"
#include "link/pc_names.h"

class SamsungComm;

class SamsungJob {
public:
    SamsungJob() = default;
    SamsungJob(const SamsungJob&) = delete;
    SamsungJob& operator=(const SamsungJob&) = delete;
    virtual ~SamsungJob() = default;

    // The work announced for the progress total when the job is queued.
    virtual std::int32_t weight() { return 0; }
    virtual void execute(SamsungComm& link);

    // Whether the last execute succeeded; false for a job that has not run.
    bool ok() const { return ok_; }
    // Why the last execute failed (empty when it succeeded or has not run).
    const link_failure& failure() const { return failure_; }
    // What became of the last execute; with `dropped`, of a job dropped unrun (cancelled).
    job_report report(bool dropped = false) const;

protected:
    // Fills in what the job was about: its kind, paths and what it copied.
    virtual void describe(job_report& report) const;

    // Records the outcome of an operation of the link: ok_, and the reason when it failed (the
    // protocol's, or the port's for AT exchanges).
    void outcome(bool ok, const link_failure& why);

    bool ok_ = false;
    link_failure failure_;
};

// Lists a phone directory and reports every entry:
// "BrowseBegin"(path), "BrowseEntry"(path, name, attributes, extra, size) per entry,
// "addprogress"(1024), "BrowseEnd"(path). ok: the listing was complete. A listing that failed
// reports no "BrowseBegin" and no entries (only "addprogress" and "BrowseEnd"), so that nothing
// a view shows is replaced by part of a folder.
class BrowseCommand : public SamsungJob {
public:
    static constexpr std::int32_t browse_weight = 1024;

    explicit BrowseCommand(const str& phoneDir) : path_(phoneDir) {}
    std::int32_t weight() override { return browse_weight; }
    void execute(SamsungComm& link) override;

    const str& path() const { return path_; }

protected:
    void describe(job_report& report) const override;

private:
    str path_;
};

// Copies a phone directory tree into a PC directory, emitting "addprogressmax" (the sum of the
// listed sizes) once per directory level. Entries whose names cannot be PC path components
// (empty, ".", "..", holding "/", "\", ":" or a control character) are skipped, as is anything
// deeper than max_depth levels below the start. A refused or failed file or listing does not
// stop the walk; a phone that stopped answering (or a port that went away) does: nothing more
// is asked then. A tree of more than max_folders folders (a phone that lists folders without
// end) ends the walk too (too_many_folders). Every file is fetched against its listed size. Two
// phone names that would reach one PC file (case folded, a short alias) are both kept: the later
// one goes to a free "name (2).ext" and is reported in renamed(). ok: every listing and copy
// succeeded and nothing was skipped for its name or depth; failure(): the reason of the first
// failed listing or copy, or of the one that ended the walk.
class ReadDirCommand : public SamsungJob {
public:
    static constexpr int max_depth = 64;
    static constexpr unsigned max_folders = 10'000;

    ReadDirCommand(const str& phoneDir, const str& pcDir) : pc_(pcDir), phone_(phoneDir) {}
    void execute(SamsungComm& link) override;

    // Whether a phone entry name is usable as one PC path component.
    static bool safeName(const str& name);

    // Of the last execute: failed listings and copies; entries skipped for name or depth;
    // whether the walk ended early because the link was lost.
    unsigned failures() const { return failures_; }
    unsigned skipped() const { return skipped_; }
    bool stopped() const { return stopped_; }
    // Files written under another name than the phone's: phone path and PC path.
    const std::vector<std::pair<str, str>>& renamed() const { return renamed_; }
    // Lowers the folder limit (tests).
    void setFolderLimit(unsigned folders) { folder_limit_ = folders; }

protected:
    void describe(job_report& report) const override;

private:
    void copyTree(SamsungComm& link, const str& phone, const str& pc, int depth);
    // Counts a failure of the protocol at `item`; false when the walk must end.
    bool failed(SamsungComm& link, const str& item);
    // Counts a failure with its reason; the first reason is kept unless the walk ends.
    void noteFailure(const link_failure& why, const str& item);
    void noteSkipped(const str& item, const char16_t* why);

    str pc_;
    str phone_;
    job_report tally_; // files, bytes, problems and the first failed item of the last execute
    unsigned failures_ = 0;
    unsigned skipped_ = 0;
    unsigned folders_ = 0;
    unsigned folder_limit_ = max_folders;
    bool stopped_ = false;
    std::vector<std::pair<str, str>> renamed_;
    pc_name_claims names_; // the files this execute wrote
};

// Copies a PC folder tree into a phone folder: the phone folder and each sub-folder are made,
// every regular file is sent, and each folder is listed afterwards: a file counts as sent only
// when the phone lists it with its size. Names the phone cannot hold (not one path component of
// 8-bit characters) are skipped; links to folders are not followed; max_depth and max_folders
// bound the walk as for ReadDirCommand. A phone that stopped answering or a cancel ends it. The
// weight is the sum of the file sizes (low 32 bits). ok: every file sent and confirmed, nothing
// skipped; failure(): the first failure, or the one that ended the walk.
class WriteDirCommand : public SamsungJob {
public:
    WriteDirCommand(const str& pcDir, const str& phoneDir) : pc_(pcDir), phone_(phoneDir) {}
    std::int32_t weight() override;
    void execute(SamsungComm& link) override;

    // Whether a PC name can be a phone entry name.
    static bool phoneName(const str& name);

    // Of the last execute.
    unsigned sent() const { return sent_; }
    unsigned failures() const { return failures_; }
    unsigned skipped() const { return skipped_; }
    bool stopped() const { return stopped_; }

protected:
    void describe(job_report& report) const override;

private:
    void sendTree(SamsungComm& link, const str& pc, const str& phone, int depth);
    void noteFailure(const link_failure& why, const str& item);
    void noteSkipped(const str& item, const char16_t* why);

    str pc_;
    str phone_;
    job_report tally_; // files, bytes, problems and the first failed item of the last execute
    unsigned sent_ = 0;
    unsigned failures_ = 0;
    unsigned skipped_ = 0;
    unsigned folders_ = 0;
    bool stopped_ = false;
};

// getFile(phone path, PC path). The weight is the size as listed; with a size given, a file of
// another length fails. A PC name that is a short alias of another file gives way to a free
// "name (2).ext" (savedAs() tells the name written).
class ReadFileCommand : public SamsungJob {
public:
    ReadFileCommand(const str& phoneFile, const str& pcFile, std::optional<std::uint32_t> size)
        : pc_(pcFile), phone_(phoneFile), size_(size) {}
    std::int32_t weight() override { return static_cast<std::int32_t>(size_.value_or(0)); }
    void execute(SamsungComm& link) override;

    const str& savedAs() const { return saved_as_; }

protected:
    void describe(job_report& report) const override;

private:
    str pc_;
    str phone_;
    std::optional<std::uint32_t> size_;
    str saved_as_;
};

// putFile(PC path, phone path). The weight is the PC file's size (low 32 bits) when it is an
// existing file, else 0; a PC path that is no regular file fails without sending anything.
class WriteFileCommand : public SamsungJob {
public:
    WriteFileCommand(const str& pcFile, const str& phoneFile) : phone_(phoneFile), pc_(pcFile) {}
    std::int32_t weight() override;
    void execute(SamsungComm& link) override;

protected:
    void describe(job_report& report) const override;

private:
    str phone_;
    str pc_;
    std::uint64_t sent_ = 0; // bytes of the last successful execute
};

// deleteFile(path), then a listing of its folder: ok when the phone no longer lists the file (a
// phone that answers a delete but keeps the file fails with "it is still there").
class DeleteFileCommand : public SamsungJob {
public:
    explicit DeleteFileCommand(const str& phonePath) : path_(phonePath) {}
    void execute(SamsungComm& link) override;

protected:
    void describe(job_report& report) const override;

private:
    str path_;
};

// makeDir(path).
class MakeDirCommand : public SamsungJob {
public:
    explicit MakeDirCommand(const str& phonePath) : path_(phonePath) {}
    void execute(SamsungComm& link) override;

protected:
    void describe(job_report& report) const override;

private:
    str path_;
};

// getBuffer(path, contents); on success emits "ReadBufCommand"(path, buf* contents). The stream is
// destroyed with the job, so a handler copies what it needs during the call. Nothing is emitted on
// failure.
class ReadBufCommand : public SamsungJob {
public:
    static constexpr std::uint32_t initial_size = 65536;

    explicit ReadBufCommand(const str& phoneFile) : path_(phoneFile), contents_(initial_size) {}
    void execute(SamsungComm& link) override;

protected:
    void describe(job_report& report) const override;

private:
    str path_;
    buf contents_;
};

// Copies the whole source stream when created (so the caller may drop it right away), then
// putBuffer(path, contents). The phone's file as it was is read first: a write that fails once
// the phone had opened (and emptied) the file puts it back, unless the link was lost. The
// weight is the size of the contents. failure() says whether the old file was put back.
class WriteBufCommand : public SamsungJob {
public:
    WriteBufCommand(iostore& source, const str& phoneFile);
    std::int32_t weight() override { return static_cast<std::int32_t>(contents_.size()); }
    void execute(SamsungComm& link) override;

    // Of the last execute: whether the phone's previous file was written back after a failure.
    bool restored() const { return restored_; }

protected:
    void describe(job_report& report) const override;

private:
    str path_;
    buf contents_;
    bool restored_ = false;
};

// Sends one AT command and emits "InfoCommand"(label, answer), always. An answer starting with
// "+" loses everything up to and including its first ":". ok: the phone finished its answer.
class InfoCommand : public SamsungJob {
public:
    InfoCommand(const str& command, const str& label) : command_(command), label_(label) {}
    void execute(SamsungComm& link) override;

    // Removes a leading "+WORD:" from an answer (nothing when it has no ":").
    static void stripPrefix(str& answer);
    // The answer of the last execute, as emitted.
    const str& answer() const { return answer_; }

protected:
    void describe(job_report& report) const override;

private:
    str command_;
    str label_;
    str answer_;
};
