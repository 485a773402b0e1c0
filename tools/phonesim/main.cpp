// orvel-phonesim: a stand-in phone behind a pseudo-terminal (see cli_options.h for the options).
// Prints the terminal's device path on the first line of standard output (and the claimed COM port
// name on the second with --com-dir), or sends these lines over the --connect connection instead,
// then serves until SIGTERM, SIGINT or SIGHUP, or until the --connect connection closes.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "orvel_version.h"
#include "tools/phonesim/cli_options.h"
#include "tools/phonesim/device_link.h"
#include "tools/phonesim/phonesim.h"
#include "tools/phonesim/unique_fd.h"

namespace {

// A parent under Wine hands down descriptors (pipes among them) that must not be held open.
void close_inherited_descriptors() {
    if (close_range(3, ~0U, 0) == 0)
        return;
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
}

phonesim::UniqueFd connect_local(unsigned port) {
    phonesim::UniqueFd socket_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!socket_fd.valid() ||
        connect(socket_fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return phonesim::UniqueFd();
    return socket_fd;
}

bool send_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Waits for a stop signal, or for the control connection to close.
void serve(int signals, int control) {
    for (;;) {
        pollfd fds[2] = {{signals, POLLIN, 0}, {control, POLLIN, 0}};
        const int ready = poll(fds, control >= 0 ? 2 : 1, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[0].revents)
            return;
        if (fds[1].revents) {
            char bytes[256];
            const ssize_t got = recv(control, bytes, sizeof bytes, 0);
            if (got <= 0 && !(got < 0 && errno == EINTR))
                return;
        }
    }
}

int fail(const std::string& message) {
    std::fprintf(stderr, "orvel-phonesim: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    close_inherited_descriptors();
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("orvel-phonesim " ORVEL_VERSION);
        return 0;
    }
    const phonesim::CommandLine line = phonesim::parse_command_line(argc, argv);
    if (!line.error.empty()) {
        std::fprintf(stderr, "orvel-phonesim: %s\n%s", line.error.c_str(), phonesim::usage_text());
        return 2;
    }
    struct stat root {};
    if (stat(line.phone.root.c_str(), &root) != 0 || !S_ISDIR(root.st_mode))
        return fail("not a folder: " + line.phone.root);

    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    phonesim::UniqueFd signals(signalfd(-1, &stop_signals, SFD_CLOEXEC));
    if (!signals.valid())
        return fail("no signal descriptor");

    phonesim::UniqueFd control;
    if (line.connect_port != 0) {
        control = connect_local(line.connect_port);
        if (!control.valid())
            return fail("cannot connect to port " + std::to_string(line.connect_port) + ": " +
                        std::strerror(errno));
    }

    phonesim::Phone phone;
    const std::string device = phone.start(line.phone);
    if (device.empty())
        return fail("cannot open a pseudo-terminal");
    if (!line.link.empty() && !phonesim::make_link(device, line.link))
        return fail("cannot create the link " + line.link);
    std::string com_link;
    std::string com_name;
    if (!line.com_dir.empty()) {
        com_name = phonesim::claim_com_port(line.com_dir, device, com_link);
        if (com_name.empty()) {
            phonesim::remove_link(device, line.link);
            return fail("no free COM port in " + line.com_dir);
        }
    }

    std::string report = device + "\n";
    if (!com_name.empty())
        report += com_name + "\n";
    // With a control connection the report goes there only: standard output may be a pipe of
    // whoever started the program's parent (under Wine), which must not see the phone's lines.
    if (!control.valid()) {
        std::fputs(report.c_str(), stdout);
        std::fflush(stdout);
    }
    if (!control.valid() || send_all(control.get(), report))
        serve(signals.get(), control.get());

    phonesim::remove_link(device, com_link);
    phonesim::remove_link(device, line.link);
    phone.stop();
    return 0;
}
