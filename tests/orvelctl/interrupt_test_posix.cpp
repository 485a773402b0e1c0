// orvelctl cases that need POSIX: a port another program holds, Ctrl-C and termination during a
// transfer, and a PC write that fails (a file size limit) reported as a PC file error.

#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "link/orvel_com.h"
#include "tests/orvelctl/ctl_fixture.h"
#include "tests/orvelctl/spawn_posix.h"

namespace {

// Waits (bounded) until the condition holds.
template <class Condition> bool eventually(Condition condition, int limit_ms = 20000) {
    for (int waited = 0; waited < limit_ms; waited += 10) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// Temporary files of fetches anywhere below the folder.
std::vector<std::string> parts_below(const fs::path& root) {
    std::vector<std::string> found;
    for (const std::string& name : tree_of(root))
        if (name.find(".orvel-part") != std::string::npos)
            found.push_back(name);
    return found;
}

} // namespace

TEST_F(CtlTest, APortAnotherProgramHoldsIsBusy) {
    startPhone();
    OrvelCom holder;
    ASSERT_TRUE(holder.openPort(str::from_utf8(phone.port().c_str())));
    const run_result r = ctl({"ls", "/"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("port busy"), std::string::npos) << r.err;
}

TEST_F(CtlTest, AnInterruptEndsATransferCleanly) {
    write_bytes(phone_root.file("/big.bin"), pattern(30000));
    write_bytes(phone_root.file("/B/big.bin"), pattern(30000));
    write_bytes(phone_root.file("/T/one.bin"), pattern(30000, 2));
    write_bytes(phone_root.file("/T/two.bin"), pattern(30000, 3));
    startPhone({"slow=1"}); // about a second per chunk
    struct interrupt_case {
        std::vector<std::string> args;
        int signal;
        bool makes_part; // whether a temporary file shows that the transfer runs
    };
    const interrupt_case cases[] = {
        // get lists the file's folder first (a small one: the phone is slow).
        {{"get", "/B/big.bin", pc("/big.bin")}, SIGINT, true},
        {{"get", "/B/big.bin", pc("/big.bin")}, SIGTERM, true},
        {{"pull", "/T", pc("/tree")}, SIGINT, true},
        {{"cat", "/big.bin"}, SIGTERM, false},
    };
    for (const interrupt_case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args) + " " + std::to_string(c.signal));
        std::vector<std::string> args = {"--port", phone.port()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        spawned_program program;
        ASSERT_TRUE(program.start(ORVEL_ORVELCTL, args));
        if (c.makes_part)
            ASSERT_TRUE(eventually([&] { return !parts_below(pc_root.path()).empty(); }));
        else
            ASSERT_TRUE(eventually([&] { return program.has_open(phone.port()); }));
        ASSERT_EQ(::kill(program.pid(), c.signal), 0);
        int code = -2;
        ASSERT_TRUE(program.wait(30000, code));
        EXPECT_EQ(code, 1);
        EXPECT_EQ(lines_of(program.err()), std::vector<std::string>{"orvelctl: interrupted"});
        EXPECT_TRUE(program.out().empty());
        EXPECT_EQ(parts_below(pc_root.path()), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(pc_root.file("/big.bin")));
    }
}

TEST_F(CtlTest, APcWriteThatFailsIsAPcFileErrorWithTheSystemsReason) {
    write_bytes(phone_root.file("/a.bin"), pattern(5000));
    startPhone();
    spawned_program program;
    const std::vector<std::string> args = {"--port", phone.port(), "get", "/a.bin", pc("/a.bin")};
    // Files of this program may not grow past 1,000 bytes; a write beyond fails (EFBIG).
    ASSERT_TRUE(program.start(ORVEL_ORVELCTL, args, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }));
    int code = -2;
    ASSERT_TRUE(program.wait(30000, code));
    EXPECT_EQ(code, 1);
    const std::string err = program.err();
    EXPECT_NE(err.find("cannot write PC file " + pc("/a.bin") + ": File too large"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("the phone"), std::string::npos) << "the phone is not to blame: " << err;
    EXPECT_EQ(tree_of(pc_root.path()), std::vector<std::string>{});
}
