// The command-line tool as a black box: its output, error lines and exit codes against a
// simulated phone.

#include "tests/orvelctl/ctl_fixture.h"

TEST(OrvelctlUsage, MistakesExitTwoWithTheUsageOnStandardError) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"frobnicate"},
        {"ls"},
        {"get", "/a"},
        {"rm", "/a", "/b"},
        {"info", "extra"},
        {"--port"},
        {"--port", "", "info"},
        {"--colour", "info"},
        {"--port", "COM1"},
    };
    for (const auto& args : mistakes) {
        const run_result r = run_program(ORVEL_ORVELCTL, args);
        EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage: orvelctl [--port PORT] COMMAND [ARGS]"), std::string::npos);
    }
}

TEST(OrvelctlPorts, APortThatDoesNotOpenIsOneLineOfFailure) {
    const run_result r =
        run_program(ORVEL_ORVELCTL, {"--port", "/nonexistent/orvel-port", "ls", "/"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("cannot open port"), std::string::npos) << r.err;
}

TEST(OrvelctlPorts, ANameWithALineBreakStillGivesOneLineOfFailure) {
    const run_result r =
        run_program(ORVEL_ORVELCTL, {"--port", "/nonexistent/orvel\nport\r", "ls", "/"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("cannot open port /nonexistent/orvel?port?"), std::string::npos) << r.err;
}

TEST_F(CtlTest, InfoShowsTheSevenQuestionsAsTheDevicesViewDoes) {
    startPhone();
    const run_result r = ctl({"info"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(lines_of(r.out),
              (std::vector<std::string>{
                  "Manufacturer:SAMSUNG", "Modell:GT-S8500", "Serial Number:354789040123457",
                  "Product Name: GT-S8500HKADBT", "Firmware: S8500XXJL2", "Battery Charge: 0,80",
                  "Phone number: \"Own number\",\"+491701234567\",145"}));
    EXPECT_TRUE(r.err.empty());
}

TEST_F(CtlTest, LsListsEntriesWithoutDotsAndFailsForAMissingFolder) {
    write_bytes(phone_root.file("/Sounds/ring.mp3"), pattern(4321));
    write_bytes(phone_root.file("/Sounds/empty.txt"), "");
    fs::create_directories(phone_root.file("/Sounds/Alarms"));
    startPhone();
    run_result r = ctl({"ls", "/Sounds"});
    EXPECT_EQ(r.code, 0) << r.err;
    std::vector<std::string> got = lines_of(r.out);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got,
              (std::vector<std::string>{"-\t0\tempty.txt", "-\t4321\tring.mp3", "d\t0\tAlarms"}));

    r = ctl({"ls", "/NoSuchFolder"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_TRUE(r.out.empty()) << "a failed listing is no empty listing";
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
}

TEST_F(CtlTest, GetAndCatDeliverTheExactBytes) {
    std::string data = pattern(2500, 9);
    data += std::string("\r\n\0\x1a\n", 5);
    write_bytes(phone_root.file("/Other/game.jar"), data);
    startPhone();
    run_result r = ctl({"get", "/Other/game.jar", pc("/game.jar")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(read_bytes(pc_root.file("/game.jar")), data);

    r = ctl({"cat", "/Other/game.jar"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, data);
}

TEST_F(CtlTest, GetOfAMissingPhoneFileFailsAndLeavesThePcAlone) {
    write_bytes(pc_root.file("/keep.txt"), "keep");
    startPhone();
    run_result r = ctl({"get", "/missing.bin", pc("/keep.txt")});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_EQ(read_bytes(pc_root.file("/keep.txt")), "keep") << "an existing file is untouched";
    r = ctl({"get", "/missing.bin", pc("/new.bin")});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_EQ(tree_of(pc_root.path()), (std::vector<std::string>{"keep.txt"}));

    r = ctl({"cat", "/missing.bin"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_TRUE(r.out.empty());
}

TEST_F(CtlTest, GetIntoAFolderOrAMissingFolderIsAPcFileError) {
    write_bytes(phone_root.file("/a.txt"), "a");
    fs::create_directories(pc_root.file("/dir"));
    startPhone();
    run_result r = ctl({"get", "/a.txt", pc("/dir")});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("PC file"), std::string::npos) << r.err;
    r = ctl({"get", "/a.txt", pc("/no/such/folder/a.txt")});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("PC file"), std::string::npos) << r.err;
}

TEST_F(CtlTest, EmptyNamesAreFailuresOfTheRightKind) {
    write_bytes(phone_root.file("/a.txt"), "a");
    startPhone();
    // mkdir of nothing used to report success (the check listed the root instead).
    run_result r = ctl({"mkdir", ""});
    EXPECT_ONE_LINE_FAILURE(r);
    // An empty PC name is a PC file error, not a refusal of the phone.
    r = ctl({"get", "/a.txt", ""});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("PC file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("phone"), std::string::npos) << r.err;
}

TEST_F(CtlTest, PutCopiesAPcFileAndRefusesMissingFilesAndFolders) {
    const std::string data = pattern(1240, 4);
    write_bytes(pc_root.file("/photo.jpg"), data);
    fs::create_directories(pc_root.file("/folder"));
    fs::create_directories(phone_root.file("/Pictures"));
    startPhone();
    run_result r = ctl({"put", pc("/photo.jpg"), "/Pictures/photo.jpg"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_bytes(phone_root.file("/Pictures/photo.jpg")), data);

    r = ctl({"put", pc("/none.jpg"), "/Pictures/none.jpg"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("PC file"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pc_root.file("/none.jpg")));
    r = ctl({"put", pc("/folder"), "/Pictures/folder"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_EQ(tree_of(phone_root.path()),
              (std::vector<std::string>{"Pictures", "Pictures/photo.jpg"}));
}

TEST_F(CtlTest, PutIntoAFolderThePhoneRefusesFails) {
    write_bytes(pc_root.file("/a.txt"), "a");
    startPhone();
    const run_result r = ctl({"put", pc("/a.txt"), "/NoFolder/a.txt"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
}

TEST_F(CtlTest, RmAndMkdirChangeThePhoneAndReportWhatDidNotHappen) {
    write_bytes(phone_root.file("/Other/old.txt"), "old");
    startPhone();
    run_result r = ctl({"rm", "/Other/old.txt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(fs::exists(phone_root.file("/Other/old.txt")));
    r = ctl({"rm", "/Other/old.txt"});
    EXPECT_ONE_LINE_FAILURE(r);

    r = ctl({"mkdir", "/Other/New"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::is_directory(phone_root.file("/Other/New")));
    r = ctl({"mkdir", "/Missing/Deeper"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_FALSE(fs::exists(phone_root.file("/Missing")));
}

TEST_F(CtlTest, PullCopiesATreeIntoAFolderItMakes) {
    write_bytes(phone_root.file("/Pictures/a.jpg"), pattern(700, 1));
    write_bytes(phone_root.file("/Pictures/Trip/b.jpg"), pattern(1900, 2));
    fs::create_directories(phone_root.file("/Pictures/Empty"));
    startPhone();
    const run_result r = ctl({"pull", "/Pictures", pc("/made/here")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(tree_of(pc_root.file("/made/here")),
              (std::vector<std::string>{"Empty", "Trip", "Trip/b.jpg", "a.jpg"}));
    EXPECT_EQ(read_bytes(pc_root.file("/made/here/Trip/b.jpg")), pattern(1900, 2));
}

TEST_F(CtlTest, PushSendsATreeAndSkipsNamesThePhoneCannotHold) {
    write_bytes(pc_root.file("/src/a.txt"), "a");
    write_bytes(pc_root.file("/src/Trip/b.jpg"), pattern(1900, 2));
    write_bytes(pc_root.file("/src/Trip/Deeper/c.txt"), "c");
    const fs::path wide = pc_root.file("/src") / fs::path(u"\u540d.txt"); // no 8-bit form
    write_bytes(wide, "x");
    write_bytes(phone_root.file("/Up/old.txt"), "kept");
    startPhone();
    run_result r = ctl({"push", pc("/src"), "/Up"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("skipped 1 entries"), std::string::npos) << r.err;
    EXPECT_EQ(tree_of(phone_root.file("/Up")),
              (std::vector<std::string>{"Trip", "Trip/Deeper", "Trip/Deeper/c.txt", "Trip/b.jpg",
                                        "a.txt", "old.txt"}));
    EXPECT_EQ(read_bytes(phone_root.file("/Up/Trip/b.jpg")), pattern(1900, 2));

    // Again, into folders that exist now: replaced, and done.
    fs::remove(wide);
    write_bytes(pc_root.file("/src/a.txt"), "again");
    r = ctl({"push", pc("/src"), "/Up"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read_bytes(phone_root.file("/Up/a.txt")), "again");
}

TEST_F(CtlTest, PullWithHostileNamesWritesNothingOutsideItsFolder) {
    write_bytes(phone_root.file("/Pictures/a.jpg"), pattern(300, 1));
    write_bytes(phone_root.file("/Pictures/Sub/b.jpg"), pattern(200, 2));
    startPhone({"hostile"});
    const run_result r = ctl({"pull", "/Pictures", pc("/box/dest")});
    // Entries were left out, so the copy is incomplete: that is reported.
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("skipped"), std::string::npos) << r.err;
    EXPECT_EQ(tree_of(pc_root.path()),
              (std::vector<std::string>{"box", "box/dest", "box/dest/Sub", "box/dest/Sub/b.jpg",
                                        "box/dest/a.jpg"}));
}

TEST_F(CtlTest, ASilentPhoneIsReportedAsNotAnswering) {
    write_bytes(phone_root.file("/a.txt"), "a");
    startPhone({"silent=1"});
    run_result r = ctl({"ls", "/"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
    r = ctl({"info"});
    EXPECT_ONE_LINE_FAILURE(r);
    EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
}
