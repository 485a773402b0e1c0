// ports, info, ls, rm and mkdir.

#include "tools/orvelctl/commands.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <vector>

#include "core/vobject.h"
#include "tools/orvelctl/interrupt.h"
#include "tools/orvelctl/listing.h"
#include "tools/orvelctl/ports.h"

int fail(const std::string& message) {
    // Whatever failed after an interrupt failed because of it.
    if (ctl_interrupted())
        return exit_failed;
    // Names in the message may hold line breaks or other control characters: the report stays
    // one line.
    std::string line = message;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    std::fprintf(stderr, "orvelctl: %s\n", line.c_str());
    return exit_failed;
}

str phone_parent(const str& path) {
    const int cut = path.find_last_of(u"/\\");
    if (cut <= 0)
        return str(u"/");
    return str(path.substr(0, cut));
}

str phone_name(const str& path) {
    const int cut = path.find_last_of(u"/\\");
    return str(path.substr(cut + 1));
}

namespace {
// A phone path as the user wrote it (the bytes the phone gets).
std::string shown(const str& phonePath) {
    return phonePath.narrow();
}

void write_line(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// The seven identity questions of the Devices view, in its order.
struct question {
    const char16_t* label;
    const char16_t* command;
};
constexpr std::array<question, 7> identity = {{
    {u"Manufacturer:", u"AT+CGMI\r"},
    {u"Modell:", u"AT+CGMM\r"},
    {u"Serial Number:", u"AT+CGSN\r"},
    {u"Product Name:", u"AT+PRODUCTCODE?\r"},
    {u"Firmware:", u"AT+SWVER?\r"},
    {u"Battery Charge:", u"AT+CBC\r"},
    {u"Phone number:", u"AT+CNUM\r"},
}};

// Collects "InfoCommand" rows as the Devices view shows them: the label glued to the answer.
class row_collector : public vObject {
public:
    explicit row_collector(SamsungComm& link) {
        connect(static_cast<vObject*>(&link), u"InfoCommand", this, &row_collector::row);
    }
    // The rows so far; without the last one when it belongs to a failed question.
    std::vector<std::string> rows(bool last_answered) {
        std::lock_guard<std::mutex> g(m_);
        std::vector<std::string> out = rows_;
        if (!last_answered && !out.empty())
            out.pop_back();
        return out;
    }

private:
    void row(const char16_t* label, const char16_t* answer) {
        str text(label ? label : u"");
        text.append(answer ? answer : u"");
        std::string line = text.narrow();
        // An answer of several lines stays on one output line.
        for (char& c : line)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::lock_guard<std::mutex> g(m_);
        rows_.push_back(std::move(line));
    }

    std::mutex m_;
    std::vector<std::string> rows_;
};
} // namespace

int cmd_ports() {
    for (const port_record& r : discovered_ports())
        write_line(r.name.to_utf8() + "\t" + r.port.to_utf8());
    return exit_ok;
}

int cmd_info(ctl_session& s) {
    // One question at a time, as the Devices view asks them; a phone that does not answer one at
    // all is not asked the rest.
    row_collector collector(s.link());
    for (const question& q : identity) {
        const bool answered = s.run<InfoCommand>(str(q.command), str(q.label));
        std::string command = str(q.command).narrow();
        command.pop_back(); // the "\r"
        if (!answered) {
            for (const std::string& row : collector.rows(false))
                write_line(row);
            std::fflush(stdout);
            if (s.lastFailure().error == link_error::no_answer)
                return fail("the phone did not answer " + command);
            return fail(
                ctl_session::failureText(s.lastFailure(), "answer " + command, "ask " + command));
        }
    }
    for (const std::string& row : collector.rows(true))
        write_line(row);
    return exit_ok;
}

int cmd_ls(ctl_session& s, const str& dir) {
    const phone_listing listing = list_phone_dir(s, dir);
    for (const phone_entry& e : listing.entries) {
        if (e.name == u"." || e.name == u"..")
            continue;
        write_line(std::string(e.isDirectory() ? "d" : "-") + "\t" + std::to_string(e.size) + "\t" +
                   printable_name(e.name));
    }
    if (listing.ok)
        return exit_ok;
    std::fflush(stdout);
    if (listing.failure.error == link_error::too_many_entries)
        return fail("the listing of " + shown(dir) + " goes past " +
                    std::to_string(SamsungProtocol::max_entries) + " entries");
    return fail(
        ctl_session::failureText(listing.failure, "list " + shown(dir), "list " + shown(dir)));
}

int cmd_rm(ctl_session& s, const str& phoneFile) {
    // The phone's reply to a delete carries no status, so look before and after.
    const str parent = phone_parent(phoneFile);
    const std::string list_parent = "list " + shown(parent);
    const phone_listing before = list_phone_dir(s, parent);
    if (!before.ok)
        return fail(ctl_session::failureText(before.failure, list_parent, list_parent));
    const phone_entry* e = before.find(phone_name(phoneFile));
    if (!e)
        return fail("no such file on the phone: " + shown(phoneFile));
    if (e->isDirectory())
        return fail("not a file: " + shown(phoneFile));
    // The entry found, by its listed name: another one whose name differs only in letter case
    // must not count as the file still being there.
    const str listed = e->name;
    if (!s.run<DeleteFileCommand>(phoneFile))
        return fail(s.failureText("delete " + shown(phoneFile), "delete " + shown(phoneFile)));
    const phone_listing after = list_phone_dir(s, parent);
    if (!after.ok)
        return fail(ctl_session::failureText(after.failure, list_parent, list_parent));
    for (const phone_entry& left : after.entries)
        if (left.name == listed)
            return fail("the phone refused to delete " + shown(phoneFile));
    return exit_ok;
}

int cmd_mkdir(ctl_session& s, const str& phoneDir) {
    // An empty path makes nothing, yet the listing that checks the result would show the root.
    if (phoneDir.empty())
        return fail("no phone folder named");
    const std::string make = "make folder " + shown(phoneDir);
    if (!s.run<MakeDirCommand>(phoneDir))
        return fail(s.failureText(make, make));
    // The reply carries no status either: the new folder must list.
    const phone_listing made = list_phone_dir(s, phoneDir);
    if (!made.ok)
        return fail(ctl_session::failureText(made.failure, make, make));
    return exit_ok;
}
