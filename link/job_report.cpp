#include "link/job_report.h"

#include <string>

void job_report::addProblem(const str& path, const str& why) {
    if (problems.size() >= max_problems)
        return;
    str line(path);
    line.append(u": ");
    line.append(why);
    problems.push_back(std::move(line));
}

const char16_t* job_verb(job_kind kind) {
    switch (kind) {
    case job_kind::listing:
        return u"list";
    case job_kind::fetch_file:
    case job_kind::fetch_tree:
        return u"copy";
    case job_kind::send_file:
    case job_kind::send_tree:
        return u"upload";
    case job_kind::remove:
        return u"delete";
    case job_kind::make_folder:
        return u"mkdir";
    case job_kind::read_file:
        return u"read";
    case job_kind::save_file:
        return u"save";
    case job_kind::identity:
        return u"info";
    case job_kind::install:
        return u"install";
    case job_kind::other:
        break;
    }
    return u"job";
}

str job_line(const job_report& report) {
    str line(job_verb(report.kind));
    line.append(u" ");
    line.append(report.phonePath);
    switch (report.end) {
    case job_end::done:
        line.append(u" done");
        break;
    case job_end::cancelled:
        line.append(u" cancelled");
        break;
    case job_end::failed:
        line.append(u" failed");
        if (!report.reason.empty()) {
            line.append(u": ");
            line.append(report.reason);
        }
        break;
    }
    if (report.failures > 0 || report.skipped > 0) {
        line.append(u" (");
        line.append(str(std::to_string(report.failures).c_str()));
        line.append(u" failed, ");
        line.append(str(std::to_string(report.skipped).c_str()));
        line.append(u" skipped)");
    }
    return line;
}
