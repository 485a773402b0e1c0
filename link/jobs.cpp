#include "link/jobs.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/vobject.h"
#include "link/pc_file.h"
#include "link/samsung_comm.h"

namespace {

vObject* sender(SamsungComm& link) {
    return static_cast<vObject*>(&link);
}

std::filesystem::path fs_path(const str& name) {
    return std::filesystem::path(std::u16string(name.c_str(), name.length()));
}

} // namespace

void SamsungJob::execute(SamsungComm&) {}

void SamsungJob::describe(job_report&) const {}

job_report SamsungJob::report(bool dropped) const {
    job_report r;
    describe(r);
    if (dropped) {
        r.end = job_end::cancelled;
        r.failure = link_failure{link_error::cancelled, str()};
        r.files = 0;
        r.bytes = 0;
    } else if (ok_ || (!failure_ && r.failures == 0 && r.skipped > 0)) {
        // A tree job that only left out names it could not copy did all it could.
        r.end = job_end::done;
    } else {
        r.failure = failure_;
        if (!r.failure)
            r.failure.error = link_error::no_port; // a job that never reached its operation
        r.end = r.failure.error == link_error::cancelled ? job_end::cancelled : job_end::failed;
    }
    if (r.end != job_end::done) {
        // A refusal names what was refused: "the phone refused to delete /a.jpg".
        str what(job_verb(r.kind));
        what.append(u" ");
        what.append(r.failedItem.empty() ? r.phonePath : r.failedItem);
        r.reason = ::describe(r.failure, what);
        if (r.failedItem.empty())
            r.failedItem = r.phonePath;
    }
    return r;
}

void SamsungJob::outcome(bool ok, const link_failure& why) {
    ok_ = ok;
    failure_ = ok ? link_failure() : why;
    if (!ok && !failure_)
        failure_.error = link_error::no_port;
}

void BrowseCommand::execute(SamsungComm& link) {
    SamsungProtocol& protocol = link.protocol();
    // Whatever the list holds is reported, also after a failed or cut-short listing.
    const bool listed = protocol.listDir(path_);
    outcome(listed, protocol.lastFailure());
    const char16_t* path = path_.c_str();
    // Only a whole listing replaces what a view shows: a failed or cut-short one would empty a
    // folder that is not empty.
    if (listed) {
        emit(sender(link), u"BrowseBegin", path);
        for (unsigned i = 0; i < protocol.entryCount(); ++i) {
            const SamsungDirEntry* e = protocol.entry(i);
            emit(sender(link), u"BrowseEntry", path, e->c_str(), e->attributes, e->extra, e->size);
        }
    }
    emit(sender(link), u"addprogress", browse_weight);
    emit(sender(link), u"BrowseEnd", path);
}

void BrowseCommand::describe(job_report& report) const {
    report.kind = job_kind::listing;
    report.phonePath = path_;
}

namespace {
// Whether a name is one plain path component on both sides: not empty, "." or "..", and without
// separators, a drive colon or control characters.
bool plain_component(const str& name) {
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (int i = 0; i < name.length(); ++i) {
        const char16_t c = name[i];
        if (c == u'/' || c == u'\\' || c == u':' || c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// A failure met on a walk through a folder tree. A later failure is often a consequence of the
// first (files of a folder that could not be made), so the first is the one kept; the reason that
// ends the walk (the link lost, the folder limit, a cancel) replaces it. True when the walk ends.
bool keep_walk_failure(link_failure& kept, const link_failure& why) {
    const bool ends_walk = why.linkLost() || why.error == link_error::too_many_folders ||
                           why.error == link_error::cancelled;
    if (!kept || ends_walk)
        kept = why;
    if (!kept)
        kept.error = link_error::no_port;
    return ends_walk;
}

// Counts a failed item of a walk: its problem line ("<verb><item>" completes a refusal) and,
// by the rule of keep_walk_failure, the failure and item kept. True when the walk ends.
bool note_walk_failure(job_report& tally, link_failure& kept, const link_failure& why,
                       const char16_t* verb, const str& item) {
    str what(verb);
    what.append(item);
    tally.addProblem(item, describe(why, what));
    const bool ends = keep_walk_failure(kept, why);
    if (ends || tally.failedItem.empty())
        tally.failedItem = item;
    return ends;
}
} // namespace

bool ReadDirCommand::safeName(const str& name) {
    // A device name would send the phone's bytes to the device instead of into the folder; a
    // name the PC stores differently could replace another entry's file.
    return plain_component(name) && !pc_device_name(name) && !pc_name_altered(name);
}

void ReadDirCommand::execute(SamsungComm& link) {
    failures_ = 0;
    skipped_ = 0;
    folders_ = 0;
    stopped_ = false;
    renamed_.clear();
    names_ = pc_name_claims();
    failure_ = link_failure();
    tally_ = job_report();
    copyTree(link, phone_, pc_, 0);
    ok_ = failures_ == 0 && skipped_ == 0;
}

void ReadDirCommand::describe(job_report& report) const {
    report.kind = job_kind::fetch_tree;
    report.phonePath = phone_;
    report.files = tally_.files;
    report.bytes = tally_.bytes;
    report.failures = failures_;
    report.skipped = skipped_;
    report.problems = tally_.problems;
    report.failedItem = tally_.failedItem;
}

void ReadDirCommand::noteFailure(const link_failure& why, const str& item) {
    ++failures_;
    if (note_walk_failure(tally_, failure_, why, u"copy ", item))
        stopped_ = true;
}

void ReadDirCommand::noteSkipped(const str& item, const char16_t* why) {
    ++skipped_;
    tally_.addProblem(item, str(why));
}

bool ReadDirCommand::failed(SamsungComm& link, const str& item) {
    noteFailure(link.protocol().lastFailure(), item);
    return !stopped_;
}

void ReadDirCommand::copyTree(SamsungComm& link, const str& phoneDir, const str& pcDir, int depth) {
    str phone(phoneDir);
    str pc(pcDir);
    normalise_dir(phone);
    normalise_dir(pc);
    if (++folders_ > folder_limit_) {
        str why(u"more than ");
        why.append(str(std::to_string(folder_limit_).c_str()));
        why.append(u" folders");
        noteFailure(link_failure{link_error::too_many_folders, why}, phone);
        return;
    }
    if (!make_dir_chain(pc)) {
        // The copies below then fail one by one.
        link_failure why{link_error::pc_file, str(u"cannot make PC folder ")};
        why.detail.append(pc);
        why.detail.append(u": ");
        why.detail.append(last_system_error_text());
        noteFailure(why, phone);
    }

    alist<SamsungDirEntry> list(SamsungComm::job_capacity, true);
    if (!link.protocol().listDir(phone, &list) && !failed(link, phone))
        return;
    std::uint32_t sum = 0;
    for (unsigned i = 0; i < list.count(); ++i)
        sum += list[i]->size;
    emit(sender(link), u"addprogressmax", sum);

    for (unsigned i = 0; i < list.count() && !stopped_; ++i) {
        if (link.protocol().cancelRequested()) {
            noteFailure(link_failure{link_error::cancelled, str()}, phone);
            break;
        }
        const SamsungDirEntry& entry = *list[i];
        if (entry == u"." || entry == u"..")
            continue;
        str phoneChild(phone);
        phoneChild.append(entry);
        // A name that is no single path component could reach outside the destination.
        if (!safeName(entry)) {
            noteSkipped(phoneChild, u"the name cannot be a PC file name");
            continue;
        }
        str pcChild(pc);
        if (entry.isDirectory()) {
            pcChild.append(entry);
            if (depth + 1 > max_depth)
                noteSkipped(phoneChild, u"too deep");
            else
                copyTree(link, phoneChild, pcChild, depth + 1);
            continue;
        }
        const str name = names_.claim(pc, entry);
        pcChild.append(name);
        if (!link.protocol().getFile(phoneChild, pcChild, entry.size)) {
            failed(link, phoneChild);
            continue;
        }
        ++tally_.files;
        tally_.bytes += entry.size;
        names_.written(pcChild);
        if (!(name == entry))
            renamed_.emplace_back(phoneChild, pcChild);
    }
}

void ReadFileCommand::execute(SamsungComm& link) {
    const int cut = pc_.find_last_of(u"/\\");
    const str folder(pc_.substr(0, cut + 1));
    saved_as_ = folder;
    saved_as_.append(pc_name_claims().claim(folder, str(pc_.substr(cut + 1))));
    const bool done = link.protocol().getFile(phone_, saved_as_, size_);
    outcome(done, link.protocol().lastFailure());
}

void ReadFileCommand::describe(job_report& report) const {
    report.kind = job_kind::fetch_file;
    report.phonePath = phone_;
    if (ok_) {
        report.files = 1;
        report.bytes = size_.value_or(0);
    }
}

std::int32_t WriteFileCommand::weight() {
    std::uint64_t size = 0;
    if (!pc_regular_file_size(pc_, size))
        return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
}

void WriteFileCommand::execute(SamsungComm& link) {
    std::uint64_t size = 0;
    // A folder or a missing file would otherwise open a phone file for nothing.
    if (!pc_regular_file_size(pc_, size)) {
        outcome(false, pc_not_regular(pc_));
        return;
    }
    const bool done = link.protocol().putFile(pc_, phone_);
    outcome(done, link.protocol().lastFailure());
    sent_ = done ? size : 0;
}

namespace {
// The folder holding a phone path ("/a/b.jpg" and "/a/b/" give "/a/"; "/" for a top entry).
str holding_folder(const str& phonePath) {
    int end = phonePath.length();
    while (end > 1 && phonePath[end - 1] == u'/')
        --end;
    const int cut = str(phonePath.substr(0, end)).find_last_of(u"/");
    return cut < 0 ? str(u"/") : str(phonePath.substr(0, cut + 1));
}
} // namespace

void WriteFileCommand::describe(job_report& report) const {
    report.kind = job_kind::send_file;
    report.phonePath = phone_;
    report.changedFolder = holding_folder(phone_);
    if (ok_) {
        report.files = 1;
        report.bytes = sent_;
    }
}

void DeleteFileCommand::execute(SamsungComm& link) {
    SamsungProtocol& protocol = link.protocol();
    if (!protocol.deleteFile(path_)) {
        outcome(false, protocol.lastFailure());
        return;
    }
    // The phone's reply says little: the file is gone when its folder no longer lists it.
    const str folder = holding_folder(path_);
    const str name(path_.substr(folder.length()));
    alist<SamsungDirEntry> listed(SamsungComm::job_capacity, true);
    if (!protocol.listDir(folder, &listed)) {
        outcome(false, protocol.lastFailure());
        return;
    }
    for (unsigned i = 0; i < listed.count(); ++i) {
        if (!listed[i]->isDirectory() && *listed[i] == name) {
            outcome(false, link_failure{link_error::refused, str(u"it is still there")});
            return;
        }
    }
    outcome(true, link_failure());
}

void DeleteFileCommand::describe(job_report& report) const {
    report.kind = job_kind::remove;
    report.phonePath = path_;
    report.changedFolder = holding_folder(path_);
}

void MakeDirCommand::execute(SamsungComm& link) {
    const bool done = link.protocol().makeDir(path_);
    outcome(done, link.protocol().lastFailure());
}

void MakeDirCommand::describe(job_report& report) const {
    report.kind = job_kind::make_folder;
    report.phonePath = path_;
    report.changedFolder = holding_folder(path_);
}

void ReadBufCommand::execute(SamsungComm& link) {
    const bool done = link.protocol().getBuffer(path_, contents_);
    outcome(done, link.protocol().lastFailure());
    if (ok_)
        emit(sender(link), u"ReadBufCommand", path_.c_str(), &contents_);
}

void ReadBufCommand::describe(job_report& report) const {
    report.kind = job_kind::read_file;
    report.phonePath = path_;
}

WriteBufCommand::WriteBufCommand(iostore& source, const str& phoneFile)
    : path_(phoneFile), contents_(ReadBufCommand::initial_size) {
    source.copy_to(contents_); // from position 0 to the end
}

void WriteBufCommand::execute(SamsungComm& link) {
    SamsungProtocol& protocol = link.protocol();
    restored_ = false;
    // What the phone holds now, to put back should the write fail half way. A file that cannot
    // be read (a new one, say) has nothing to put back.
    buf previous(ReadBufCommand::initial_size);
    const bool had_previous = protocol.getBuffer(path_, previous);
    if (protocol.putBuffer(path_, contents_)) {
        outcome(true, link_failure());
        return;
    }
    link_failure why = protocol.lastFailure();
    if (had_previous && !why.linkLost()) {
        // A cancelled write is undone too: a settings file is never left half written.
        protocol.resetCancel();
        restored_ = protocol.putBuffer(path_, previous);
        why.detail.append(restored_ ? u"; the phone's previous file was put back"
                                    : u"; the phone's previous file could not be put back");
    }
    outcome(false, why);
}

void WriteBufCommand::describe(job_report& report) const {
    report.kind = job_kind::save_file;
    report.phonePath = path_;
    if (ok_) {
        report.files = 1;
        report.bytes = contents_.size();
    }
}

void InfoCommand::stripPrefix(str& answer) {
    if (answer.empty() || answer[0] != u'+')
        return;
    const int colon = answer.find(u':');
    if (colon >= 0)
        answer.erase(0, colon + 1);
}

void InfoCommand::execute(SamsungComm& link) {
    const bool done = link.sendAT(command_, answer_);
    outcome(done, link.lastFailure());
    stripPrefix(answer_);
    emit(sender(link), u"InfoCommand", label_.c_str(), answer_.c_str());
}

void InfoCommand::describe(job_report& report) const {
    report.kind = job_kind::identity;
    // The command as a person reads it, without the line end it is sent with.
    int end = command_.length();
    while (end > 0 && command_[end - 1] < 0x20)
        --end;
    report.phonePath = str(command_.substr(0, end));
}

bool WriteDirCommand::phoneName(const str& name) {
    if (!plain_component(name))
        return false;
    for (int i = 0; i < name.length(); ++i)
        if (name[i] > 0xFF)
            return false; // phone names are 8-bit
    return true;
}

std::int32_t WriteDirCommand::weight() {
    std::uint64_t sum = 0;
    std::error_code ec;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (std::filesystem::recursive_directory_iterator it(fs_path(pc_), options, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            sum += it->file_size(ec);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
}

void WriteDirCommand::execute(SamsungComm& link) {
    sent_ = failures_ = skipped_ = folders_ = 0;
    stopped_ = false;
    failure_ = link_failure();
    tally_ = job_report();
    sendTree(link, pc_, phone_, 0);
    ok_ = failures_ == 0 && skipped_ == 0 && !stopped_;
}

void WriteDirCommand::describe(job_report& report) const {
    report.kind = job_kind::send_tree;
    str top(phone_);
    normalise_dir(top);
    report.phonePath = top;
    report.changedFolder = holding_folder(top);
    report.files = sent_;
    report.bytes = tally_.bytes;
    report.failures = failures_;
    report.skipped = skipped_;
    report.problems = tally_.problems;
    report.failedItem = tally_.failedItem;
}

void WriteDirCommand::noteFailure(const link_failure& why, const str& item) {
    ++failures_;
    if (note_walk_failure(tally_, failure_, why, u"upload ", item))
        stopped_ = true;
}

void WriteDirCommand::noteSkipped(const str& item, const char16_t* why) {
    ++skipped_;
    tally_.addProblem(item, str(why));
}

void WriteDirCommand::sendTree(SamsungComm& link, const str& pcDir, const str& phoneDir,
                               int depth) {
    namespace fs = std::filesystem;
    SamsungProtocol& protocol = link.protocol();
    str pc(pcDir);
    str phone(phoneDir);
    normalise_dir(pc);
    normalise_dir(phone);
    if (++folders_ > ReadDirCommand::max_folders) {
        noteFailure(link_failure{link_error::too_many_folders, str()}, phone);
        return;
    }
    // The folder may exist already; whether it does shows in the listing below.
    if (!protocol.makeDir(phoneDir) && protocol.lastFailure().linkLost()) {
        noteFailure(protocol.lastFailure(), phone);
        return;
    }

    // The folder's entries in name order, so that a copy is the same each time.
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(fs_path(pc), ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) {
        link_failure why{link_error::pc_file, str(u"cannot read PC folder ")};
        why.detail.append(pc);
        noteFailure(why, phone);
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().filename() < b.path().filename();
              });

    std::vector<std::pair<str, std::uint64_t>> files; // sent here: name and size
    std::vector<std::pair<str, str>> folders;         // PC and phone paths of the sub-folders
    for (const fs::directory_entry& entry : entries) {
        if (stopped_)
            return;
        if (protocol.cancelRequested()) {
            noteFailure(link_failure{link_error::cancelled, str()}, phone);
            return;
        }
        std::u16string wide;
        try {
            wide = entry.path().filename().u16string();
        } catch (const std::exception&) {
            noteSkipped(pc, u"a PC name with no character form");
            continue;
        }
        const str name(wide.c_str());
        const fs::file_status link_status = entry.symlink_status(ec);
        const bool is_dir = !fs::is_symlink(link_status) && fs::is_directory(link_status);
        str pcChild(pc);
        pcChild.append(name);
        str phoneChild(phone);
        phoneChild.append(name);
        if (!phoneName(name)) {
            noteSkipped(pcChild, u"the phone cannot hold this name");
            continue;
        }
        if (!is_dir && !entry.is_regular_file(ec)) {
            noteSkipped(pcChild, u"no regular file");
            continue;
        }
        if (is_dir) {
            folders.emplace_back(pcChild, phoneChild);
            continue;
        }
        if (!protocol.putFile(pcChild, phoneChild)) {
            noteFailure(protocol.lastFailure(), phoneChild);
            continue;
        }
        files.emplace_back(name, entry.file_size(ec));
    }

    // The phone's write replies say little: a file is sent when the folder lists it whole.
    if (!files.empty()) {
        alist<SamsungDirEntry> listed(SamsungComm::job_capacity, true);
        if (!protocol.listDir(phone, &listed)) {
            noteFailure(protocol.lastFailure(), phone);
            if (stopped_)
                return;
        }
        for (const auto& [name, size] : files) {
            bool confirmed = false;
            for (unsigned i = 0; i < listed.count() && !confirmed; ++i)
                confirmed = !listed[i]->isDirectory() && *listed[i] == name &&
                            listed[i]->size == static_cast<std::uint32_t>(size);
            str phoneChild(phone);
            phoneChild.append(name);
            if (confirmed) {
                ++sent_;
                tally_.bytes += size;
            } else {
                link_failure why{link_error::wrong_size, str(u"the phone does not list ")};
                why.detail.append(phoneChild);
                why.detail.append(u" with the size it was sent with");
                noteFailure(why, phoneChild);
            }
        }
    }
    for (const auto& [pcChild, phoneChild] : folders) {
        if (stopped_)
            return;
        if (depth + 1 > ReadDirCommand::max_depth)
            noteSkipped(pcChild, u"too deep");
        else
            sendTree(link, pcChild, phoneChild, depth + 1);
    }
}
