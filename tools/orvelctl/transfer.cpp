// get, put, pull and cat: the commands that move file contents.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/stream.h"
#include "core/vobject.h"
#include "tools/orvelctl/commands.h"
#include "tools/orvelctl/listing.h"
#include "tools/orvelctl/platform.h"
#include "tools/orvelctl/progress.h"

namespace fs = std::filesystem;

namespace {
fs::path fs_path(const str& name) {
    return fs::path(std::u16string(name.c_str(), name.length()));
}

std::string shown_pc(const str& name) {
    return name.to_utf8();
}
std::string shown(const str& phonePath) {
    return phonePath.narrow();
}

// Reasons a PC file cannot be written as a transfer target; empty when it can be tried.
std::string target_problem(const str& pcFile) {
    if (pcFile.empty())
        return "cannot write PC file: no name given";
    std::error_code ec;
    const fs::path path = fs_path(pcFile);
    if (fs::is_directory(path, ec))
        return "cannot write PC file " + shown_pc(pcFile) + ": it is a folder";
    const fs::path folder = path.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec))
        return "cannot write PC file " + shown_pc(pcFile) + ": its folder does not exist";
    return {};
}

// Copies the bytes of a "ReadBufCommand" stream during the handler call.
class buffer_copy : public vObject {
public:
    explicit buffer_copy(SamsungComm& link) {
        connect(static_cast<vObject*>(&link), u"ReadBufCommand", this, &buffer_copy::received);
    }
    std::string bytes() {
        std::lock_guard<std::mutex> g(m_);
        return bytes_;
    }

private:
    void received(const char16_t*, buf* contents) {
        std::lock_guard<std::mutex> g(m_);
        if (contents && contents->data())
            bytes_.assign(reinterpret_cast<const char*>(contents->data()), contents->size());
    }

    std::mutex m_;
    std::string bytes_;
};
} // namespace

int cmd_get(ctl_session& s, const str& phoneFile, const str& pcFile) {
    const std::string problem = target_problem(pcFile);
    if (!problem.empty())
        return fail(problem);
    // The listed size makes the percentage, and a file that ends early or runs on is a failure,
    // not a short copy. A folder that cannot be listed leaves the size unknown.
    std::optional<std::uint32_t> size;
    const phone_listing parent = list_phone_dir(s, phone_parent(phoneFile));
    if (const phone_entry* e = parent.find(phone_name(phoneFile)); e && !e->isDirectory())
        size = e->size;
    bool ok;
    {
        progress_line progress(s.link(), stderr_is_terminal(), size.value_or(0));
        ok = s.run<ReadFileCommand>(phoneFile, pcFile, size);
    }
    if (ok)
        return exit_ok;
    return fail(s.failureText("send " + shown(phoneFile), "fetch " + shown(phoneFile)));
}

int cmd_put(ctl_session& s, const str& pcFile, const str& phoneFile) {
    std::error_code ec;
    const fs::path path = fs_path(pcFile);
    if (!fs::exists(path, ec))
        return fail("cannot read PC file " + shown_pc(pcFile) + ": no such file");
    if (fs::is_directory(path, ec))
        return fail("cannot read PC file " + shown_pc(pcFile) + ": it is a folder");
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || !fs::is_regular_file(path, ec) || !std::ifstream(path, std::ios::binary))
        return fail("cannot read PC file " + shown_pc(pcFile));
    bool ok;
    {
        progress_line progress(s.link(), stderr_is_terminal(), size);
        ok = s.run<WriteFileCommand>(pcFile, phoneFile);
    }
    if (!ok)
        return fail(s.failureText("receive " + shown(phoneFile), "send " + shown(phoneFile)));
    // The phone's write replies carry no status: the file counts as sent only when the phone
    // lists it with its size.
    const std::string unconfirmed = "the phone did not confirm " + shown(phoneFile);
    const std::string list_parent = "list " + shown(phone_parent(phoneFile));
    const phone_listing after = list_phone_dir(s, phone_parent(phoneFile));
    if (!after.ok)
        return fail(unconfirmed + " (" +
                    ctl_session::failureText(after.failure, list_parent, list_parent) + ")");
    const phone_entry* e = after.find(phone_name(phoneFile));
    if (!e || e->isDirectory())
        return fail(unconfirmed + ": it does not list it");
    if (e->size != static_cast<std::uint32_t>(size))
        return fail(unconfirmed + ": it lists " + std::to_string(e->size) + " bytes, not " +
                    std::to_string(size));
    return exit_ok;
}

int cmd_pull(ctl_session& s, const str& phoneDir, const str& pcDir) {
    std::error_code ec;
    const fs::path path = fs_path(pcDir);
    if (fs::exists(path, ec) && !fs::is_directory(path, ec))
        return fail("cannot write PC folder " + shown_pc(pcDir) + ": it is a file");
    job_result result;
    unsigned failures = 0, skipped = 0;
    bool stopped = false;
    std::vector<std::pair<str, str>> renamed;
    auto* job = new tracked<ReadDirCommand>(result, phoneDir, pcDir);
    job->after = [&](ReadDirCommand& done) {
        failures = done.failures();
        skipped = done.skipped();
        stopped = done.stopped();
        renamed = done.renamed();
    };
    bool ok;
    {
        progress_line progress(s.link(), stderr_is_terminal());
        ok = s.run(job, result);
    }
    // Two phone names that this PC stores as one file are both kept, the later one renamed.
    for (const auto& [phone, pc] : renamed)
        std::fprintf(stderr,
                     "orvelctl: %s saved as %s: this PC stores its name as another file's\n",
                     shown(phone).c_str(), shown_pc(pc).c_str());
    if (ok)
        return exit_ok;
    const std::string copy = "copy " + shown(phoneDir);
    if (stopped)
        return fail(s.failureText(copy, copy) + "; the copy of " + shown(phoneDir) +
                    " ended there");
    if (failures != 0)
        return fail(s.failureText(copy, copy) + " (" + std::to_string(failures) + " of the " +
                    "listings and files of " + shown(phoneDir) + " failed, this one last)");
    return fail("skipped " + std::to_string(skipped) + " entries of " + shown(phoneDir) +
                " whose names are no PC file names or that lie too deep");
}

int cmd_push(ctl_session& s, const str& pcDir, const str& phoneDir) {
    std::error_code ec;
    if (!fs::is_directory(fs_path(pcDir), ec))
        return fail("cannot read PC folder " + shown_pc(pcDir) + ": it is no folder");
    job_result result;
    unsigned failures = 0, skipped = 0;
    bool stopped = false;
    auto* job = new tracked<WriteDirCommand>(result, pcDir, phoneDir);
    job->after = [&](WriteDirCommand& done) {
        failures = done.failures();
        skipped = done.skipped();
        stopped = done.stopped();
    };
    bool ok;
    {
        progress_line progress(s.link(), stderr_is_terminal());
        ok = s.run(job, result);
    }
    if (ok)
        return exit_ok;
    const std::string copy = "send to " + shown(phoneDir);
    if (stopped)
        return fail(s.failureText(copy, copy) + "; the copy to " + shown(phoneDir) +
                    " ended there");
    if (failures != 0)
        return fail(s.failureText(copy, copy) + " (" + std::to_string(failures) +
                    " of the files and folders of " + shown_pc(pcDir) + " failed, the first here)");
    return fail("skipped " + std::to_string(skipped) + " entries of " + shown_pc(pcDir) +
                " whose names the phone cannot hold, that are no files or lie too deep");
}

int cmd_cat(ctl_session& s, const str& phoneFile) {
    buffer_copy copy(s.link());
    if (!s.run<ReadBufCommand>(phoneFile))
        return fail(s.failureText("send " + shown(phoneFile), "fetch " + shown(phoneFile)));
    binary_stdout();
    const std::string bytes = copy.bytes();
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0)
        return fail("cannot write to standard output");
    return exit_ok;
}
