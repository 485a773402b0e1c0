// Command-line and fault-word parsing.

#include <gtest/gtest.h>

#include "tools/phonesim/cli_options.h"

using phonesim::CommandLine;
using phonesim::Faults;
using phonesim::parse_command_line;
using phonesim::parse_fault;

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvel-phonesim");
    return parse_command_line(static_cast<int>(args.size()), args.data());
}

} // namespace

TEST(FaultWords, EachFaultIsParsed) {
    Faults f;
    EXPECT_TRUE(parse_fault("noise", f));
    EXPECT_TRUE(parse_fault("ack", f));
    EXPECT_TRUE(parse_fault("hostile", f));
    EXPECT_TRUE(parse_fault("badcrc=3", f));
    EXPECT_TRUE(parse_fault("lost=4", f));
    EXPECT_TRUE(parse_fault("silent=5", f));
    EXPECT_TRUE(parse_fault("slow=20", f));
    EXPECT_TRUE(parse_fault("oversize=6", f));
    EXPECT_TRUE(parse_fault("bigdir=1500", f));
    EXPECT_TRUE(parse_fault("echo", f));
    EXPECT_TRUE(parse_fault("late=2", f));
    EXPECT_TRUE(parse_fault("babble=7", f));
    EXPECT_TRUE(parse_fault("endless", f));
    EXPECT_TRUE(parse_fault("bigchunk=8", f));
    EXPECT_TRUE(parse_fault("linebreak", f));
    EXPECT_TRUE(f.noise && f.ack && f.hostile && f.echo && f.endless && f.linebreak);
    EXPECT_EQ(f.late, 2u);
    EXPECT_EQ(f.babble, 7u);
    EXPECT_EQ(f.bigchunk, 8u);
    EXPECT_EQ(f.badcrc, 3u);
    EXPECT_EQ(f.lost, 4u);
    EXPECT_EQ(f.silent, 5u);
    EXPECT_EQ(f.slow_ms, 20u);
    EXPECT_EQ(f.oversize, 6u);
    EXPECT_EQ(f.bigdir, 1500u);
}

TEST(FaultWords, MalformedWordsAreRefusedAndChangeNothing) {
    for (const char* word : {"", "Noise", "noise=1", "lost", "lost=", "lost=0", "lost=-1",
                             "lost=2x", "lost=99999999999", "slow=1.5", "bigdir= 3", "unknown=3",
                             "echo=1", "late", "babble=", "endless=2"}) {
        Faults f;
        EXPECT_FALSE(parse_fault(word, f)) << word;
        EXPECT_FALSE(f.noise);
        EXPECT_EQ(f.lost, 0u) << word;
        EXPECT_EQ(f.slow_ms, 0u) << word;
        EXPECT_EQ(f.bigdir, 0u) << word;
    }
}

TEST(CommandLineParsing, OptionsAreTaken) {
    const CommandLine line =
        parse({"--root", "/srv/phone", "--link", "/tmp/l", "--com-dir", "/p/dosdevices", "--baud",
               "115200", "--fault", "noise", "--fault", "lost=2", "--connect", "4242"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_EQ(line.phone.root, "/srv/phone");
    EXPECT_EQ(line.link, "/tmp/l");
    EXPECT_EQ(line.com_dir, "/p/dosdevices");
    EXPECT_EQ(line.phone.baud, 115200u);
    EXPECT_TRUE(line.phone.faults.noise);
    EXPECT_EQ(line.phone.faults.lost, 2u);
    EXPECT_EQ(line.connect_port, 4242u);
}

TEST(CommandLineParsing, ErrorsAreNamed) {
    EXPECT_EQ(parse({}).error, "--root is required");
    EXPECT_EQ(parse({"--root"}).error, "missing value after --root");
    EXPECT_EQ(parse({"--root", "/x", "--help"}).error, "unknown option: --help");
    EXPECT_EQ(parse({"--root", "/x", "--fault", "fire"}).error, "unknown fault: fire");
    EXPECT_EQ(parse({"--root", "/x", "--baud", "0"}).error, "bad baud rate: 0");
    EXPECT_EQ(parse({"--root", "/x", "--connect", "70000"}).error, "bad port: 70000");
}
