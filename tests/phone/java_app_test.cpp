// Tests of installing Java games by drop without a window: taking dropped paths apart, pairing
// .jar and .jad files, which browse entries are games, and the jobs of an install in order.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "phone/java_app.h"

namespace {

str s(const char* utf8) {
    return str::from_utf8(utf8);
}

TEST(JavaApp, SplitsDroppedPaths) {
    struct {
        const char* path;
        const char* folder;
        const char* file;
        const char* stem;
        const char* ext;
    } cases[] = {
        {"C:\\Games\\Chess.jar", "C:\\Games\\", "Chess.jar", "Chess", "jar"},
        {"/home/u/Game.JAR", "/home/u/", "Game.JAR", "Game", "JAR"},
        {"C:\\a.b/c\\Tetris", "C:\\a.b/c\\", "Tetris", "Tetris", ""},
        {"C:\\dir.v2\\readme", "C:\\dir.v2\\", "readme", "readme", ""},
        {"x.tar.jar", "", "x.tar.jar", "x.tar", "jar"},
        {"C:\\g\\.jar", "C:\\g\\", ".jar", "", "jar"},
        {"C:\\g\\..jar", "C:\\g\\", "..jar", ".", "jar"},
        {"C:\\g\\name.", "C:\\g\\", "name.", "name", ""},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const dropped_name n = splitDroppedName(s(c.path));
        EXPECT_EQ(n.folder.to_utf8(), c.folder);
        EXPECT_EQ(n.file.to_utf8(), c.file);
        EXPECT_EQ(n.stem.to_utf8(), c.stem);
        EXPECT_EQ(n.extension.to_utf8(), c.ext);
    }
}

TEST(JavaApp, DragEnterNeedsAJarFile) {
    struct {
        const char* names;
        bool accepted;
    } cases[] = {
        {"C:\\g\\Game.jar|", true},
        {"C:\\g\\Game.jad|C:\\g\\Game.JaR|", true},
        {"C:\\g\\Game.jad|", false},
        {"C:\\g\\notes.txt|C:\\g\\Game.jad|", false},
        {"C:\\g.jar\\Game|", false},
        {"C:\\g\\Game.jarx|", false},
        {"|", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(holdsJarFile(s(c.names)), c.accepted) << c.names;
}

// "name jar jad" per game, in list order.
std::vector<std::string> pair(const char* names) {
    alist<javaApp> apps(32, true);
    pairDroppedFiles(s(names), apps);
    std::vector<std::string> out;
    for (unsigned i = 0; i < apps.count(); ++i)
        out.push_back(apps[i]->to_utf8() + " " + apps[i]->jarPath.to_utf8() + " " +
                      apps[i]->jadPath.to_utf8());
    return out;
}

TEST(JavaApp, PairsJarAndJadByNameIgnoringCase) {
    struct {
        const char* names;
        std::vector<std::string> apps;
    } cases[] = {
        {"C:\\g\\Game.jar|C:\\g\\Game.jad|", {"Game C:\\g\\Game.jar C:\\g\\Game.jad"}},
        {"C:\\g\\game.JAD|C:\\g\\Game.JAR|", {"Game C:\\g\\Game.JAR C:\\g\\game.JAD"}},
        {"C:\\g\\Game.JAR|", {"Game C:\\g\\Game.JAR "}},
        // The first .jar of a name wins; each .jad of that name is given to it in turn, so the
        // last one stays.
        {"C:\\a\\A.jar|D:\\b\\a.jar|C:\\a\\A.jad|D:\\b\\a.jad|", {"A C:\\a\\A.jar D:\\b\\a.jad"}},
        {"C:\\g\\Lone.jad|C:\\g\\x.txt|", {}},
        {"C:\\g\\One.jar|C:\\g\\Two.jar|C:\\g\\Two.jad|",
         {"One C:\\g\\One.jar ", "Two C:\\g\\Two.jar C:\\g\\Two.jad"}},
        // Names that would be the games folder or its parent are skipped.
        {"C:\\g\\.jar|C:\\g\\..jar|C:\\g\\...jar|C:\\g\\.jad|", {}},
        {"||C:\\g\\Ok.jar||", {"Ok C:\\g\\Ok.jar "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pair(c.names), c.apps) << c.names;
}

TEST(JavaApp, BrowseEntriesOfTheGamesFolders) {
    struct {
        const char16_t* folder;
        const char16_t* name;
        std::uint32_t attributes;
        java_entry kind;
        const char* path;
    } cases[] = {
        {u"/User/Mass/Java/Games/", u"Chess", 0x210, java_entry::game,
         "/User/Mass/Java/Games/Chess"},
        {u"/appex/user/java/GAMES/", u"Sudoku", 0x200, java_entry::game,
         "/appex/user/java/GAMES/Sudoku"},
        {u"/User/Mass/Java/Games/", u"readme.txt", 0x20, java_entry::not_a_game, ""},
        {u"/User/Mass/Java/Games/", u".hidden", 0x200, java_entry::not_a_game, ""},
        {u"/User/Mass/Java/Games/", u"..", 0x200, java_entry::not_a_game, ""},
        {u"/User/Mass/Java/Games/", u"", 0x200, java_entry::not_a_game, ""},
        {u"/User/Mass/Java/Games", u"Chess", 0x200, java_entry::other_folder, ""},
        {u"/My Files/", u"Pictures", 0x200, java_entry::other_folder, ""},
        {nullptr, u"x", 0x200, java_entry::other_folder, ""},
    };
    for (const auto& c : cases) {
        str path;
        EXPECT_EQ(classifyBrowseEntry(c.folder, c.name, c.attributes, &path), c.kind)
            << str(c.name).to_utf8();
        EXPECT_EQ(path.to_utf8(), c.path);
    }
}

// The steps of each game's install, in the order the install job takes them.
std::vector<std::string> steps(const char* names, const char* installFolder,
                               std::set<std::string> listed = {}) {
    alist<javaApp> apps(32, true);
    pairDroppedFiles(s(names), apps);
    std::vector<std::string> out;
    for (const java_install& plan : installPlans(apps, s(installFolder), [&](const str& name) {
             std::string lower = name.to_utf8();
             for (char& ch : lower)
                 ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
             return listed.count(lower) != 0;
         })) {
        if (plan.makeFolder)
            out.push_back("mkdir " + plan.folder.to_utf8());
        out.push_back("put " + plan.jarPhone.to_utf8() + " < " + plan.jarPc.to_utf8());
        if (!plan.jadPc.empty())
            out.push_back("put " + plan.jadPhone.to_utf8() + " < " + plan.jadPc.to_utf8());
        out.push_back("rm " + plan.settings.to_utf8());
    }
    return out;
}

TEST(JavaApp, InstallStepsInOrder) {
    struct {
        const char* what;
        const char* names;
        const char* folder;
        std::set<std::string> listed;
        std::vector<std::string> jobs;
    } cases[] = {
        {"a new game with its .jad",
         "C:\\g\\Game.jar|C:\\g\\Game.jad|",
         "/AppEx/User/Java/Games/",
         {},
         {"mkdir /AppEx/User/Java/Games/Game/",
          "put /AppEx/User/Java/Games/Game/Game.jar < C:\\g\\Game.jar",
          "put /AppEx/User/Java/Games/Game/Game.jad < C:\\g\\Game.jad",
          "rm /AppEx/User/Java/Games/Game/appdb/settings.bin"}},
        {"a listed game gets no folder; no .jad, no copy of one",
         "C:\\g\\CHESS.jar|C:\\g\\Snake.JAR|",
         "/User/Mass/Java/Games/",
         {"chess"},
         {"put /User/Mass/Java/Games/CHESS/CHESS.jar < C:\\g\\CHESS.jar",
          "rm /User/Mass/Java/Games/CHESS/appdb/settings.bin", "mkdir /User/Mass/Java/Games/Snake/",
          "put /User/Mass/Java/Games/Snake/Snake.JAR < C:\\g\\Snake.JAR",
          "rm /User/Mass/Java/Games/Snake/appdb/settings.bin"}},
        {"no install folder yet: the first games folder",
         "C:\\g\\Game.jar|",
         "",
         {},
         {"mkdir /User/Mass/Java/Games/Game/",
          "put /User/Mass/Java/Games/Game/Game.jar < C:\\g\\Game.jar",
          "rm /User/Mass/Java/Games/Game/appdb/settings.bin"}},
        {"dot names install nothing",
         "C:\\g\\.jar|C:\\g\\..jar|",
         "/User/Mass/Java/Games/",
         {},
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(steps(c.names, c.folder, c.listed), c.jobs) << c.what;
}

} // namespace
