// What orvelctl reports and when it stops: a put counts only when the phone confirms it, info
// stops at the first question nobody answers, and a listing shows phone names so that none can
// pose as a line of its own.

#include "tests/orvelctl/ctl_fixture.h"

TEST_F(CtlTest, APutIsDoneOnlyWhenThePhoneConfirmsIt) {
    write_bytes(pc_root.file("/a.txt"), pattern(900, 2));
    // Open, two chunks and the close are answered; the listing that checks them is not.
    startPhone({"silent=5"});
    const run_result r = ctl({"put", pc("/a.txt"), "/a.txt"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("did not confirm /a.txt"), std::string::npos) << r.err;
}

TEST_F(CtlTest, APutOverALineThatOnlyEchoesFails) {
    write_bytes(pc_root.file("/a.txt"), pattern(900, 2));
    startPhone({"echo", "silent=1"});
    const run_result r = ctl({"put", pc("/a.txt"), "/a.txt"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(phone_root.file("/a.txt")));
}

TEST_F(CtlTest, InfoStopsAtTheFirstQuestionNobodyAnswers) {
    struct info_case {
        std::vector<std::string> faults;
        std::vector<std::string> rows; // the answers shown before the failure
        const char* question;
    };
    const info_case cases[] = {
        // The line returns the question, the phone never answers.
        {{"echo", "silent=1"}, {}, "AT+CGMI"},
        {{"silent=3"}, {"Manufacturer:SAMSUNG", "Modell:GT-S8500"}, "AT+CGSN"},
    };
    for (const info_case& c : cases) {
        sim_process sim;
        ASSERT_TRUE(sim.start(phone_root.simulator_path(), c.faults));
        const run_result r = run_program(ORVEL_ORVELCTL, {"--port", sim.port(), "info"});
        EXPECT_ONE_LINE_FAILURE(r);
        EXPECT_EQ(lines_of(r.out), c.rows);
        EXPECT_NE(r.err.find(std::string("the phone did not answer ") + c.question),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(CtlTest, LsShowsControlCharactersOfNamesEscaped) {
    write_bytes(phone_root.file("/Other/plain.txt"), "p");
    write_bytes(phone_root.file("/Other/back\\slash"), "b");
    startPhone({"linebreak", "hostile"});
    const run_result r = ctl({"ls", "/Other"});
    // The hostile entries make no difference to ls; the names are only shown.
    const std::vector<std::string> got = lines_of(r.out);
    auto has = [&](const std::string& line) {
        return std::find(got.begin(), got.end(), line) != got.end();
    };
    EXPECT_TRUE(has("-\t1\tx\\n-\\t999\\tforged")) << r.out;
    EXPECT_FALSE(has("-\t999\tforged")) << "a name made a line of its own";
    EXPECT_TRUE(has("-\t1\tctl\\x01name")) << r.out;
    EXPECT_TRUE(has("-\t1\tback\\\\slash")) << r.out;
    EXPECT_TRUE(has("-\t1\tplain.txt")) << r.out;
}

TEST_F(CtlTest, FailuresNameTheirReasons) {
    write_bytes(phone_root.file("/a.bin"), pattern(3000));
    struct reason_case {
        std::vector<std::string> faults;
        std::vector<std::string> args;
        const char* expected;
    };
    const reason_case cases[] = {
        {{"badcrc=2"}, {"cat", "/a.bin"}, "cannot fetch /a.bin: the phone's reply was malformed"},
        {{"bigchunk=1"}, {"cat", "/a.bin"}, "malformed: a chunk count that does not fit"},
        {{"silent=2"}, {"cat", "/a.bin"}, "the phone did not answer"},
        {{}, {"cat", "/none.bin"}, "the phone refused to send /none.bin"},
        {{}, {"rm", "/none.bin"}, "no such file on the phone: /none.bin"},
        // The listed size counts: a file that ends early is no copy.
        {{"short=2"}, {"get", "/a.bin", pc("/a.bin")}, "the phone sent 620 of 3,000 bytes"},
    };
    for (const reason_case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        sim_process sim;
        ASSERT_TRUE(sim.start(phone_root.simulator_path(), c.faults));
        std::vector<std::string> args = {"--port", sim.port()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const run_result r = run_program(ORVEL_ORVELCTL, args);
        EXPECT_ONE_LINE_FAILURE(r);
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    }
}
