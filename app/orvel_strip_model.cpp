#include "app/orvel_strip_model.h"

#include <string>
#include <utility>

#include "app/folder_view_model.h"
#include "core/lang_texts.h"

namespace {

str number(std::uint64_t n) {
    return str(std::to_string(n).c_str());
}

str files_text(std::uint64_t n) {
    return uiTextWith(n == 1 ? ui_text::files_one : ui_text::files_many, number(n));
}

// The noun of what a job does, for "Copy of /a.jpg failed: ...".
ui_text what_of(job_kind kind) {
    switch (kind) {
    case job_kind::fetch_file:
    case job_kind::fetch_tree:
        return ui_text::what_copy;
    case job_kind::send_file:
    case job_kind::send_tree:
        return ui_text::what_upload;
    case job_kind::remove:
        return ui_text::what_delete;
    case job_kind::make_folder:
        return ui_text::what_make;
    case job_kind::save_file:
        return ui_text::what_save;
    case job_kind::install:
        return ui_text::what_install;
    case job_kind::listing:
        return ui_text::what_list;
    case job_kind::read_file:
        return ui_text::what_read;
    case job_kind::identity:
    case job_kind::other:
        break;
    }
    return ui_text::what_query;
}

// The last component of a phone path ("/Java/Game/" gives "Game").
str leaf(const str& path) {
    int end = path.length();
    while (end > 1 && path[end - 1] == u'/')
        --end;
    const str trimmed(path.substr(0, end));
    return str(trimmed.substr(trimmed.find_last_of(u"/") + 1));
}

void join(str& line, const str& part) {
    if (part.empty())
        return;
    if (!line.empty())
        line.append(u"; ");
    line.append(part);
}

// "a" for one name, the count in `many` for more.
str one_or_count(const std::vector<str>& names, ui_text many) {
    if (names.size() == 1)
        return names.front();
    return uiTextWith(many, number(names.size()));
}

} // namespace

void OrvelRate::restart() {
    points_.clear();
}

void OrvelRate::sample(std::uint64_t nowMs, std::uint64_t done) {
    if (!points_.empty() && done < points_.back().done)
        points_.clear(); // a new count began
    points_.push_back({nowMs, done});
    while (points_.size() > 2 && nowMs - points_[1].ms >= window_ms)
        points_.pop_front();
}

std::uint64_t OrvelRate::bytesPerSecond() const {
    if (points_.size() < 2)
        return 0;
    const point& first = points_.front();
    const point& last = points_.back();
    const std::uint64_t span = last.ms - first.ms;
    if (span < 1000)
        return 0;
    return (last.done - first.done) * 1000 / span;
}

str clockText(std::uint64_t seconds) {
    str text;
    const auto m = static_cast<unsigned>(seconds / 60 % 60);
    const auto s = static_cast<unsigned>(seconds % 60);
    if (seconds >= 3600) {
        text = number(seconds / 3600);
        str rest;
        rest.format(u":%02u:%02u", m, s);
        text.append(rest);
    } else {
        text.format(u"%u:%02u", m, s);
    }
    return text;
}

str progressLine(const str& name, std::uint64_t done, std::uint64_t total,
                 std::uint64_t bytesPerSecond) {
    // Without a file on its way (listings, reads) the total counts work, not bytes.
    if (name.empty())
        return str();
    if (done > total)
        done = total;
    str line = uiTextWith(ui_text::caption_amount,
                          {uiTextWith(ui_text::copying, name), sizeText(done), sizeText(total)});
    if (bytesPerSecond > 0) {
        const std::uint64_t left = (total - done + bytesPerSecond - 1) / bytesPerSecond;
        line.append(u", ");
        line.append(uiTextWith(ui_text::caption_rate, {sizeText(bytesPerSecond), clockText(left)}));
    }
    return line;
}

bool reportIsQuiet(const job_report& report) {
    if (report.end != job_end::done)
        return false;
    return report.kind == job_kind::listing || report.kind == job_kind::read_file ||
           report.kind == job_kind::identity || report.kind == job_kind::other;
}

str outcomeLine(const std::vector<job_report>& batch, std::uint64_t elapsedMs) {
    const job_report* failed = nullptr;
    const job_report* cancelled = nullptr;
    unsigned failedCount = 0;
    for (const job_report& r : batch) {
        if (r.end == job_end::failed) {
            ++failedCount;
            if (!failed)
                failed = &r;
        } else if (r.end == job_end::cancelled) {
            // The job that was running when the cancel came names it, not one dropped unrun.
            if (!cancelled || (cancelled->elapsedMs == 0 && r.elapsedMs > 0))
                cancelled = &r;
        }
    }
    if (failed) {
        str line = uiTextWith(ui_text::outcome_failed,
                              {uiText(what_of(failed->kind)), failed->failedItem, failed->reason});
        if (failedCount > 1)
            line.append(uiTextWith(ui_text::outcome_more, number(failedCount - 1)));
        return line;
    }
    if (cancelled) {
        const str& item =
            cancelled->failedItem.empty() ? cancelled->phonePath : cancelled->failedItem;
        return uiTextWith(ui_text::outcome_cancelled, {uiText(what_of(cancelled->kind)), item});
    }

    std::uint64_t copied = 0, copiedBytes = 0, uploaded = 0, uploadedBytes = 0, skipped = 0;
    bool anyCopy = false, anyUpload = false;
    std::vector<str> deleted, made, saved, installed;
    for (const job_report& r : batch) {
        skipped += r.skipped;
        switch (r.kind) {
        case job_kind::fetch_file:
        case job_kind::fetch_tree:
            anyCopy = true;
            copied += r.files;
            copiedBytes += r.bytes;
            break;
        case job_kind::send_file:
        case job_kind::send_tree:
            anyUpload = true;
            uploaded += r.files;
            uploadedBytes += r.bytes;
            break;
        case job_kind::remove:
            deleted.push_back(leaf(r.phonePath));
            break;
        case job_kind::make_folder:
            made.push_back(r.phonePath);
            break;
        case job_kind::save_file:
            saved.push_back(r.phonePath);
            break;
        case job_kind::install:
            installed.push_back(leaf(r.phonePath));
            break;
        default:
            break;
        }
    }
    const str seconds = number((elapsedMs + 999) / 1000);
    str line;
    if (anyCopy)
        join(line, uiTextWith(ui_text::outcome_copied,
                              {files_text(copied), sizeText(copiedBytes), seconds}));
    if (anyUpload)
        join(line, uiTextWith(ui_text::outcome_uploaded,
                              {files_text(uploaded), sizeText(uploadedBytes), seconds}));
    if (!deleted.empty())
        join(line, uiTextWith(ui_text::outcome_deleted,
                              deleted.size() == 1 ? deleted.front() : files_text(deleted.size())));
    for (const str& folder : made)
        join(line, uiTextWith(ui_text::outcome_made, folder));
    for (const str& file : saved)
        join(line, uiTextWith(ui_text::outcome_saved, file));
    if (!installed.empty())
        join(line,
             uiTextWith(ui_text::outcome_installed, one_or_count(installed, ui_text::games_many)));
    if (!line.empty() && skipped > 0)
        line.append(uiTextWith(ui_text::outcome_skipped, number(skipped)));
    return line;
}

str problemList(const std::vector<str>& problems, std::size_t shown) {
    str list;
    for (std::size_t i = 0; i < problems.size() && i < shown; ++i) {
        list.append(problems[i]);
        list.append(u"\n");
    }
    if (problems.size() > shown)
        list.append(uiTextWith(ui_text::problems_more,
                               str(std::to_string(problems.size() - shown).c_str())));
    return list;
}

void OrvelStrip::tick(std::vector<job_report> reports, bool busy, std::uint64_t nowMs) {
    if (state_ != state::running && (busy || !reports.empty()))
        begin(nowMs);
    for (const job_report& report : reports)
        take(report);
    if (state_ == state::running && !busy)
        end(nowMs);
}

void OrvelStrip::begin(std::uint64_t nowMs) {
    startedMs_ = nowMs;
    batch_.clear();
    before_ = state_;
    state_ = state::running;
}

void OrvelStrip::take(const job_report& report) {
    batch_.push_back(report);
}

void OrvelStrip::end(std::uint64_t nowMs) {
    str line = outcomeLine(batch_, nowMs - startedMs_);
    if (line.empty()) {
        // Only listings and reads: what was said before still stands.
        state_ = before_;
        batch_.clear();
        return;
    }
    bool failed = false, cancelled = false;
    problems_.clear();
    for (const job_report& r : batch_) {
        failed = failed || r.end == job_end::failed;
        cancelled = cancelled || r.end == job_end::cancelled;
        for (const str& problem : r.problems)
            problems_.push_back(problem);
        if (r.problems.empty() && r.end == job_end::failed) {
            str problem(r.failedItem);
            problem.append(u": ");
            problem.append(r.reason);
            problems_.push_back(std::move(problem));
        }
    }
    state_ = failed ? state::failed : cancelled ? state::cancelled : state::done;
    // A lone failure is said whole in the line; a list is behind a click.
    const bool listWorthShowing =
        problems_.size() > 1 || (problems_.size() == 1 && state_ != state::failed);
    if (listWorthShowing)
        line.append(uiText(ui_text::outcome_list));
    else
        problems_.clear();
    outcome_ = std::move(line);
    batch_.clear();
}
