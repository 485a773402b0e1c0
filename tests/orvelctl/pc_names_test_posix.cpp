// orvelctl cases that need POSIX: PC file names as raw bytes, standard output on a full disk, a
// phone whose names keep letter case apart.

#include "tests/orvelctl/ctl_fixture.h"

// A Latin-1 name is no UTF-8: it used to be read as "é" and so named another file (get wrote
// "café.bin" in UTF-8, put found no such file). It is refused, and nothing is written.
TEST_F(CtlTest, APcNameThatIsNotUtf8IsRefusedAndNothingIsWritten) {
    write_bytes(phone_root.file("/a.txt"), "phone");
    const std::string latin1 = utf8(pc_root.path()) + "/caf\xE9.bin";
    {
        std::ofstream out(latin1, std::ios::binary);
        out << "pc";
    }
    startPhone();
    run_result r = ctl({"get", "/a.txt", latin1});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("UTF-8"), std::string::npos) << r.err;
    EXPECT_EQ(tree_of(pc_root.path()), (std::vector<std::string>{"caf\xE9.bin"}));
    EXPECT_EQ(read_bytes(fs::path(latin1)), "pc");

    r = ctl({"put", latin1, "/b.txt"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("UTF-8"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(phone_root.file("/b.txt")));

    r = ctl({"pull", "/", utf8(pc_root.path()) + "/d\xE9st"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_EQ(tree_of(pc_root.path()), (std::vector<std::string>{"caf\xE9.bin"}));

    // A UTF-8 name with the same letter works.
    r = ctl({"get", "/a.txt", utf8(pc_root.path()) + "/caf\xC3\xA9.bin"});
    EXPECT_EQ(r.code, 0) << r.err;
}

// A listing that cannot be written (standard output on a full disk) is a failure, not exit 0.
TEST_F(CtlTest, OutputThatCannotBeWrittenIsAFailure) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    write_bytes(phone_root.file("/a.txt"), "phone");
    startPhone();
    const run_result r = run_program("/bin/sh", {"-c", "exec \"$0\" --port \"$1\" ls / >/dev/full",
                                                 ORVEL_ORVELCTL, phone.port()});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("standard output"), std::string::npos) << r.err;
}

// The simulated phone keeps names that differ only in letter case apart (this needs a file system
// that does too). Deleting one of them is a success although the other still lists.
TEST_F(CtlTest, RmOfOneOfTwoNamesDifferingInCaseSucceeds) {
    write_bytes(phone_root.file("/a.txt"), "small");
    write_bytes(phone_root.file("/A.txt"), "capital");
    if (!fs::exists(phone_root.file("/a.txt")) || read_bytes(phone_root.file("/a.txt")) != "small")
        GTEST_SKIP() << "the file system ignores letter case";
    startPhone();
    const run_result r = ctl({"rm", "/a.txt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(fs::exists(phone_root.file("/a.txt")));
    EXPECT_EQ(read_bytes(phone_root.file("/A.txt")), "capital");
}
