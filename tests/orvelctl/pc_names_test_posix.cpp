// PC file names as POSIX hands them over: bytes that need not be UTF-8.

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
