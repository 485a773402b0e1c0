// Requests never reach outside the served folder.

#include <unistd.h>

#include <filesystem>

#include "tests/phonesim/phone_fixture.h"

namespace fs = std::filesystem;

class PathEscapeTest : public PhoneTest {
protected:
    void SetUp() override {
        // The served folder is "root" inside a scratch folder that also holds a victim file.
        served = folder.path() / "root";
        fs::create_directories(served / "inner");
        std::ofstream(folder.path() / "victim.txt") << "outside";
        std::ofstream(served / "inner" / "ok.txt") << "inside";
        phonesim::Options options;
        options.root = served.string();
        device = phone.start(options);
        ASSERT_FALSE(device.empty());
        line = std::make_unique<LineClient>(device);
        ASSERT_TRUE(line->ok());
    }

    std::uint32_t word_of(const bytes& request) {
        const Reply reply = line->exchange(request);
        EXPECT_TRUE(reply.received);
        return reply.u32(8);
    }

    fs::path served;
};

TEST_F(PathEscapeTest, DotDotComponentsAreRefusedEverywhere) {
    for (const char* path : {"/../victim.txt", "../victim.txt", "/inner/../../victim.txt",
                             "\\..\\victim.txt", "/inner/..", "/./inner/ok.txt"}) {
        EXPECT_EQ(word_of(handle_request(0, 2, with_path(path))), all_bits) << path;
        EXPECT_EQ(word_of(handle_request(4, 5, with_path(path))), all_bits) << path;
        EXPECT_EQ(word_of(path_request(5, path)), all_bits) << path;
        EXPECT_EQ(word_of(path_request(11, path)), all_bits) << path;
        EXPECT_EQ(word_of(path_request(8, path)), all_bits) << path;
    }
    EXPECT_EQ(word_of(path_request(8, "/..")), all_bits);
    EXPECT_EQ(word_of(path_request(11, "/../made")), all_bits);
    EXPECT_FALSE(fs::exists(folder.path() / "made"));
    std::ifstream victim(folder.path() / "victim.txt");
    std::string text;
    victim >> text;
    EXPECT_EQ(text, "outside");
    EXPECT_EQ(phone.counters().open_handles, 0u);
}

TEST_F(PathEscapeTest, SymbolicLinksAreNeitherFollowedNorListed) {
    fs::create_symlink(folder.path() / "victim.txt", served / "link.txt");
    fs::create_directory_symlink(folder.path(), served / "up");
    EXPECT_EQ(word_of(handle_request(0, 2, with_path("/link.txt"))), all_bits);
    EXPECT_EQ(word_of(handle_request(4, 5, with_path("/link.txt"))), all_bits);
    EXPECT_EQ(word_of(handle_request(0, 2, with_path("/up/victim.txt"))), all_bits);
    EXPECT_EQ(word_of(path_request(8, "/up")), all_bits);
    EXPECT_EQ(word_of(path_request(5, "/up/victim.txt")), all_bits);
    EXPECT_TRUE(fs::exists(folder.path() / "victim.txt"));

    const std::uint32_t dir = word_of(path_request(8, "/"));
    ASSERT_NE(dir, all_bits);
    std::vector<std::string> names;
    for (;;) {
        const Reply entry = line->exchange(handle_request(10, dir));
        if (!entry.received || entry.u32(8) == 0)
            break;
        names.push_back(entry.text(48));
    }
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "inner"}));
}

TEST_F(PathEscapeTest, AbsoluteLookingPathsStayInsideTheRoot) {
    // A path naming a file of this machine only ever means a path below the served folder.
    const std::string outside = (folder.path() / "victim.txt").string();
    EXPECT_EQ(word_of(handle_request(0, 2, with_path(outside))), all_bits);
    const std::uint32_t handle = word_of(handle_request(4, 5, with_path("C:/inner/new.txt")));
    EXPECT_EQ(handle, all_bits); // "C:" is no folder of the phone
    EXPECT_NE(word_of(handle_request(0, 2, with_path("//inner//ok.txt"))), all_bits);
}
