// orvelctl: the phone link from the command line, over the same worker and jobs as the window.

#include <cstdio>
#include <string>
#include <vector>

#include "orvel_version.h"
#include "tools/orvelctl/commands.h"
#include "tools/orvelctl/interrupt.h"
#include "tools/orvelctl/platform.h"

namespace {
const char usage_text[] =
    "usage: orvelctl [--port PORT] COMMAND [ARGS]\n"
    "       orvelctl --help | --version\n"
    "  ports                     the discovered ports, one line each: NAME<TAB>PORT\n"
    "  info                      the phone's identity, one line per question\n"
    "  ls PHONE_DIR              list a phone folder: d or -, TAB, size, TAB, name\n"
    "  get PHONE_FILE PC_FILE    copy a phone file to the PC\n"
    "  put PC_FILE PHONE_FILE    copy a PC file to the phone\n"
    "  rm PHONE_FILE             delete a phone file\n"
    "  mkdir PHONE_DIR           make a phone folder\n"
    "  pull PHONE_DIR PC_DIR     copy the contents of a phone folder tree into PC_DIR\n"
    "  push PC_DIR PHONE_DIR     copy the contents of a PC folder tree into PHONE_DIR\n"
    "  cat PHONE_FILE            write a phone file's bytes to standard output\n"
    "PORT is a port name as the system opens it (COM5, /dev/ttyACM0). Without --port the\n"
    "discovered ports are tried from the last to the first.\n";

int usage() {
    std::fputs(usage_text, stderr);
    return exit_usage;
}

struct command_spec {
    const char* name;
    unsigned args;
};
constexpr command_spec commands[] = {{"ports", 0}, {"info", 0}, {"ls", 1},    {"get", 2},
                                     {"put", 2},   {"rm", 1},   {"mkdir", 1}, {"pull", 2},
                                     {"push", 2},  {"cat", 1}};

// A PC file name that does not survive the conversion to the program's text (bytes that are not
// UTF-8 on POSIX) would name another file: such a name is refused before anything is touched.
bool pc_name_kept(const cli_arg& a) {
    return a.pc.to_utf8() == a.text;
}

int run_command(ctl_session& session, const std::string& name, const std::vector<cli_arg>& a);

int dispatch(const std::string& name, const std::vector<cli_arg>& a, const str* port) {
    if (name == "ports")
        return cmd_ports();
    const int pc_index = (name == "put" || name == "push")   ? 0
                         : (name == "get" || name == "pull") ? 1
                                                             : -1;
    if (pc_index >= 0 && !pc_name_kept(a[pc_index]))
        return fail("cannot use PC file name " + a[pc_index].text + ": it is not valid UTF-8");
    ctl_session session;
    // The guard is in place before the port opens: an interrupt that comes while connecting
    // ends the program as "interrupted" too, never by the default action of the signal.
    interrupt_guard guard(session.link());
    std::string error;
    const bool connected = session.connect(port, error);
    const int code = connected ? run_command(session, name, a) : exit_failed;
    if (ctl_interrupted()) {
        std::fflush(stdout);
        std::fputs("orvelctl: interrupted\n", stderr);
        return exit_failed;
    }
    return connected ? code : fail(error);
}

int run_command(ctl_session& session, const std::string& name, const std::vector<cli_arg>& a) {
    if (name == "info")
        return cmd_info(session);
    if (name == "ls")
        return cmd_ls(session, a[0].phone);
    if (name == "get")
        return cmd_get(session, a[0].phone, a[1].pc);
    if (name == "put")
        return cmd_put(session, a[0].pc, a[1].phone);
    if (name == "rm")
        return cmd_rm(session, a[0].phone);
    if (name == "mkdir")
        return cmd_mkdir(session, a[0].phone);
    if (name == "pull")
        return cmd_pull(session, a[0].phone, a[1].pc);
    if (name == "push")
        return cmd_push(session, a[0].pc, a[1].phone);
    return cmd_cat(session, a[0].phone);
}
} // namespace

int main(int argc, char** argv) {
    std::vector<cli_arg> args = program_arguments(argc, argv);
    str port;
    bool have_port = false;
    std::size_t i = 0;
    while (i < args.size() && args[i].text.rfind("--", 0) == 0) {
        const std::string& opt = args[i].text;
        if (opt == "--help") {
            std::fputs(usage_text, stdout);
            return exit_ok;
        }
        if (opt == "--version") {
            std::fputs("orvelctl " ORVEL_VERSION "\n", stdout);
            return exit_ok;
        }
        if (opt == "--port" && i + 1 < args.size()) {
            port = args[i + 1].pc;
            i += 2;
        } else if (opt.rfind("--port=", 0) == 0) {
            port = str(args[i].pc.substr(7));
            i += 1;
        } else {
            return usage();
        }
        if (port.empty())
            return usage();
        have_port = true;
    }
    if (i >= args.size())
        return usage();
    const std::string name = args[i].text;
    const std::vector<cli_arg> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    for (const command_spec& c : commands) {
        if (name == c.name) {
            if (rest.size() != c.args)
                return usage();
            const int code = dispatch(name, rest, have_port ? &port : nullptr);
            // Output lost on the way (a full disk, a closed pipe) is no success.
            if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && code == exit_ok)
                return fail("cannot write to standard output");
            return code;
        }
    }
    return usage();
}
