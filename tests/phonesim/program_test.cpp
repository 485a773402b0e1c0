// The orvel-phonesim program: its output, links, signals, control connection and usage errors.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/phonesim/phone_fixture.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

const char* program() {
    return std::getenv("ORVEL_PHONESIM");
}

// The program running with the given arguments; its standard output is readable line by line.
class Running {
public:
    explicit Running(std::vector<std::string> args) {
        args.insert(args.begin(), program());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Running() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }

    // The next line of output, or empty after 10 s or at its end.
    std::string line() {
        std::string text;
        char c = 0;
        for (;;) {
            pollfd poller{out_, POLLIN, 0};
            if (poll(&poller, 1, 10000) <= 0 || read(out_, &c, 1) != 1 || c == '\n')
                return text;
            text += c;
        }
    }
    // Sends a signal and returns the exit status (-1 when it did not end normally).
    int stop(int signal_number) {
        kill(pid_, signal_number);
        return wait();
    }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

bool is_symlink_to(const fs::path& link, const std::string& target) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(link, error)) &&
           fs::read_symlink(link, error).string() == target;
}

} // namespace

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(program(), nullptr) << "ORVEL_PHONESIM names the simulator program";
        ASSERT_TRUE(folder.ok());
    }
    phone_folder folder;
};

TEST_F(ProgramTest, PrintsTheTerminalAndServesIt) {
    sim_process sim;
    ASSERT_TRUE(sim.start(folder.simulator_path()));
    EXPECT_TRUE(sim.running());
    EXPECT_EQ(sim.port(), sim.device());
    EXPECT_EQ(sim.device().rfind("/dev/pts/", 0), 0u);
    for (int session = 0; session < 3; ++session) {
        LineClient line(sim.port());
        ASSERT_TRUE(line.ok());
        EXPECT_EQ(line.at("AT+CGMI"), "AT+CGMI\r\n\r\nSAMSUNG\r\n\r\nOK\r\n");
        const Reply reply =
            line.exchange(handle_request(0, 2, with_path("/Registry/MainMenu_reg.ini")));
        EXPECT_NE(reply.u32(8), all_bits);
    }
    const std::string device = sim.device();
    struct stat served {};
    ASSERT_EQ(stat(device.c_str(), &served), 0);
    sim.stop();
    EXPECT_FALSE(sim.running());
    // The terminal went with the program. Another program may be given the same number at once,
    // but that is a new terminal with a later change time.
    struct stat after {};
    if (stat(device.c_str(), &after) == 0) {
        EXPECT_TRUE(after.st_ctim.tv_sec != served.st_ctim.tv_sec ||
                    after.st_ctim.tv_nsec != served.st_ctim.tv_nsec)
            << device << " is still the simulator's terminal";
    }
}

TEST_F(ProgramTest, FaultsAndPacingReachThePhone) {
    sim_process sim;
    ASSERT_TRUE(sim.start(folder.simulator_path(), {"lost=1", "noise"}, 115200));
    LineClient line(sim.port());
    ASSERT_TRUE(line.ok());
    ASSERT_TRUE(line.send(path_request(8, "/Registry")));
    EXPECT_TRUE(line.drain(300).empty());
    const Reply second = line.exchange(path_request(8, "/Registry"));
    ASSERT_TRUE(second.received);
    EXPECT_FALSE(second.skipped.empty());
}

TEST_F(ProgramTest, LinkIsMadeReplacedAndRemovedOnSignals) {
    const fs::path link = folder.path() / "phone-link";
    fs::create_symlink("/nonexistent", link); // an old link is replaced
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        Running sim({"--root", folder.path().string(), "--link", link.string()});
        const std::string device = sim.line();
        ASSERT_FALSE(device.empty());
        EXPECT_TRUE(is_symlink_to(link, device));
        LineClient line(link.string());
        ASSERT_TRUE(line.ok());
        EXPECT_EQ(line.at("AT+CGMM"), "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n");
        EXPECT_EQ(sim.stop(signal_number), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << signal_number;
    }
}

TEST_F(ProgramTest, LinkNeverReplacesARealFile) {
    const fs::path file = folder.path() / "precious";
    std::ofstream(file) << "keep";
    Running sim({"--root", folder.path().string(), "--link", file.string()});
    EXPECT_EQ(sim.wait(), 1);
    std::ifstream in(file);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
}

TEST_F(ProgramTest, ComPortsAreClaimedOnePerPhoneAndFreedAgain) {
    const fs::path dosdevices = folder.path() / "dosdevices";
    fs::create_directory(dosdevices);
    fs::create_symlink("/dev/ttyS0", dosdevices / "com10");           // taken by a real port
    fs::create_symlink("/dev/pts/nonexistent", dosdevices / "com11"); // left by a phone that died
    Running first({"--root", folder.path().string(), "--com-dir", dosdevices.string()});
    const std::string first_device = first.line();
    EXPECT_EQ(first.line(), "COM11");
    Running second({"--root", folder.path().string(), "--com-dir", dosdevices.string()});
    const std::string second_device = second.line();
    EXPECT_EQ(second.line(), "COM12");
    EXPECT_TRUE(is_symlink_to(dosdevices / "com11", first_device));
    EXPECT_TRUE(is_symlink_to(dosdevices / "com12", second_device));
    EXPECT_TRUE(is_symlink_to(dosdevices / "com10", "/dev/ttyS0"));
    EXPECT_EQ(first.stop(SIGTERM), 0);
    EXPECT_EQ(second.stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dosdevices / "com11")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dosdevices / "com12")));
    EXPECT_TRUE(fs::exists(fs::symlink_status(dosdevices / "com10")));
}

TEST_F(ProgramTest, ControlConnectionReportsAndEndsThePhone) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);

    const fs::path dosdevices = folder.path() / "dosdevices";
    fs::create_directory(dosdevices);
    Running sim({"--root", folder.path().string(), "--com-dir", dosdevices.string(), "--connect",
                 std::to_string(ntohs(address.sin_port))});
    const int control = accept(listener, nullptr, nullptr);
    close(listener);
    ASSERT_GE(control, 0);
    std::string report;
    char c = 0;
    while (std::count(report.begin(), report.end(), '\n') < 2 && recv(control, &c, 1, 0) == 1)
        report += c;
    const std::string device = report.substr(0, report.find('\n'));
    EXPECT_EQ(report, device + "\nCOM10\n");
    EXPECT_TRUE(is_symlink_to(dosdevices / "com10", device));
    LineClient line(device);
    EXPECT_EQ(line.at("AT+CGMM"), "AT+CGMM\r\n\r\nGT-S8500\r\n\r\nOK\r\n");
    close(control); // the phone ends with the connection
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dosdevices / "com10")));
}

TEST_F(ProgramTest, UsageErrorsExitWithTwoAndBadRootWithOne) {
    const std::string root = folder.path().string();
    EXPECT_EQ(Running({}).wait(), 2);
    EXPECT_EQ(Running({"--root"}).wait(), 2);
    EXPECT_EQ(Running({"--root", root, "--fault", "fire"}).wait(), 2);
    EXPECT_EQ(Running({"--root", root, "--fault", "lost"}).wait(), 2);
    EXPECT_EQ(Running({"--root", root, "--baud", "fast"}).wait(), 2);
    EXPECT_EQ(Running({"--root", root, "--verbose", "yes"}).wait(), 2);
    EXPECT_EQ(Running({"--root", (folder.path() / "missing").string()}).wait(), 1);
    EXPECT_EQ(
        Running({"--root", (folder.path() / "Registry" / "ProtoAccount.ini").string()}).wait(), 1);
}
