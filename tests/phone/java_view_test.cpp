// The Java Apps page against the phone simulator, over either driver: the games of both folders
// and their order, what a drag may bring, and installs by drop, checked on the phone's file
// system at each step; a failed install shows no game.

#include <algorithm>
#include <set>

#include "tests/phone/java_view_fixture.h"

namespace {

using namespace java_view_test;

TEST_F(JavaAppsPage, ShowsTheGamesOfBothFolders) {
    // Besides the sample games: a dot folder and a file in the first folder, a dot folder in the
    // second.
    fs::create_directories(onPhone("/User/Mass/Java/Games/.cache"));
    fs::create_directories(onPhone("/AppEx/User/Java/Games/.trash"));
    makePage();
    EXPECT_TRUE(games().empty());
    connectPhone();
    ASSERT_TRUE(waitForJobs());

    // The second folder's games follow in the order in which the phone reported them.
    std::vector<std::string> second;
    for (const std::string& line : log.named("BrowseEntry")) {
        const std::string prefix = std::string("BrowseEntry ") + second_folder + " ";
        if (line.rfind(prefix, 0) != 0)
            continue;
        const std::string name =
            line.substr(prefix.size(), line.find(' ', prefix.size()) - prefix.size());
        if (name[0] != '.')
            second.push_back(name);
    }
    ASSERT_EQ(std::set<std::string>(second.begin(), second.end()),
              (std::set<std::string>{"Chess", "Sudoku"}));
    // The games of both folders by name, ignoring case; readme.txt is a file.
    const std::vector<std::string> expected{"asteroids", "Chess", "Snake", "Sudoku", "Zeta Racer"};
    EXPECT_EQ(games(), expected);

    {
        vListView& list = view->gamesList();
        std::lock_guard hold(list.listLock());
        for (int i = 0; i < list.count(); ++i) {
            auto* game = dynamic_cast<javaItem*>(list.at(i));
            ASSERT_NE(game, nullptr);
            EXPECT_EQ(game->height(), 25);
            const bool second = expected[i] == "Chess" || expected[i] == "Sudoku";
            const std::string folder = second ? second_folder : first_folder;
            EXPECT_EQ(game->path.to_utf8(), folder + expected[i]);
        }
    }
    // The second folder reported entries last.
    EXPECT_EQ(view->installFolder().to_utf8(), second_folder);

    // Reported again, the games show once, in the same order.
    view->refresh();
    ASSERT_TRUE(waitForJobs());
    EXPECT_EQ(games(), expected);

    // Disconnecting empties the list.
    link.closePort();
    pump_pending();
    EXPECT_TRUE(games().empty());
}

TEST_F(JavaAppsPage, DragEnterAcceptsOnlyFileListsWithAJar) {
    makePage();
    using drop_test::pc_name;
    struct {
        const char* what;
        std::vector<std::u16string> files;
        std::u16string text; // offered instead of a file list when not empty
        DWORD effect;
    } drags[] = {
        {"a .jar", {pc_name(u"/g/Game.jar")}, u"", DROPEFFECT_COPY},
        {"capitals", {pc_name(u"/g/x.txt"), pc_name(u"/g/G.JAR")}, u"", DROPEFFECT_COPY},
        {"only a .jad", {pc_name(u"/g/Game.jad")}, u"", DROPEFFECT_NONE},
        {"a folder named .jar", {pc_name(u"/g.jar/Game")}, u"", DROPEFFECT_NONE},
        {"no files", {}, u"", DROPEFFECT_NONE},
        {"text", {}, pc_name(u"/g/Game.jar"), DROPEFFECT_NONE},
    };
    for (auto& d : drags) {
        drop_test::drag_data data;
        if (!d.text.empty())
            data.offerText(d.text);
        else
            data.offerFiles(d.files);
        EXPECT_EQ(enter(*data.event(DROPEFFECT_COPY | DROPEFFECT_MOVE)), d.effect) << d.what;
    }

    // A drop of something that is no file list queues nothing.
    drop_test::drag_data text;
    text.offerText(u"Game.jar");
    const auto event = text.event(DROPEFFECT_COPY);
    const int before = jobsQueued();
    view->drop(event.get());
    EXPECT_EQ(jobsQueued(), before);
    EXPECT_EQ(event->effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(JavaAppsPage, InstallsADroppedGameFolderFilesSettingsThenBrowse) {
    makePage();
    connectPhone();
    ASSERT_TRUE(waitForJobs());
    ASSERT_EQ(view->installFolder().to_utf8(), second_folder);

    const std::string jar = pattern(3000, 7), jad = "MIDlet-Name: Game\r\n";
    const std::u16string jarPath = pcFile("drop/Game.jar", jar);
    const std::u16string jadPath = pcFile("drop/Game.jad", jad);
    const std::string game = std::string(second_folder) + "Game/";
    auto state = [this, game, jar, jad] {
        return "dir=" + std::to_string(fs::is_directory(onPhone(game))) +
               " jar=" + std::to_string(read_bytes(onPhone(game + "Game.jar")) == jar) +
               " jad=" + std::to_string(read_bytes(onPhone(game + "Game.jad")) == jad);
    };
    phone_watch watch(link, state);
    // One install: make the folder, copy both files, delete the settings file; then both folders
    // are browsed.
    EXPECT_EQ(dropFiles({jarPath, jadPath}), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(watch.lines(), (std::vector<std::string>{
                                 "kopiere Game.jar | dir=1 jar=0 jad=0",
                                 "kopiere Game.jad | dir=1 jar=1 jad=0",
                                 std::string("browse ") + first_folder + " | dir=1 jar=1 jad=1",
                                 std::string("browse ") + second_folder + " | dir=1 jar=1 jad=1",
                             }));
    EXPECT_EQ(games(), (std::vector<std::string>{"asteroids", "Chess", "Game", "Snake", "Sudoku",
                                                 "Zeta Racer"}))
        << "the new game in its place";
}

TEST_F(JavaAppsPage, InstallingAListedGameDeletesItsSettingsAfterTheCopies) {
    makePage();
    connectPhone();
    ASSERT_TRUE(waitForJobs());
    const std::string game = std::string(second_folder) + "Sudoku/";
    ASSERT_TRUE(fs::exists(onPhone(game + "appdb/settings.bin")));
    const std::vector<std::string> listed = games();

    const std::string jar = pattern(2000, 9), jad = "MIDlet-Name: Sudoku 2\r\n";
    const std::u16string jarPath = pcFile("new/Sudoku.jar", jar);
    const std::u16string jadPath = pcFile("new/SUDOKU.JAD", jad);
    auto state = [this, game, jar] {
        return "jar=" + std::to_string(read_bytes(onPhone(game + "Sudoku.jar")) == jar) +
               " settings=" + std::to_string(fs::exists(onPhone(game + "appdb/settings.bin")));
    };
    phone_watch watch(link, state);
    // No folder is made for a game the list shows.
    EXPECT_EQ(dropFiles({jadPath, jarPath}), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(watch.lines(), (std::vector<std::string>{
                                 "kopiere Sudoku.jar | jar=0 settings=1",
                                 "kopiere SUDOKU.JAD | jar=1 settings=1",
                                 std::string("browse ") + first_folder + " | jar=1 settings=0",
                                 std::string("browse ") + second_folder + " | jar=1 settings=0",
                             }));
    // The phone matches names without regard to case: the new .jad replaced the game's own.
    EXPECT_EQ(read_bytes(onPhone(game + "Sudoku.jad")), jad);
    EXPECT_FALSE(existsExactly(game + "SUDOKU.JAD"));
    EXPECT_EQ(games(), listed);
}

TEST_F(JavaAppsPage, DroppedNamesBecomeGameFolders) {
    makePage();
    connectPhone();
    ASSERT_TRUE(waitForJobs());
    const std::string to = second_folder;
    struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files; // PC file, contents
        int jobs;
        std::vector<std::pair<std::string, std::string>> phone; // phone file, contents
        std::vector<std::string> absent;
    } cases[] = {
        {"capital extension",
         {{"c1/Tetris.JAR", "tetris"}},
         1,
         {{to + "Tetris/Tetris.JAR", "tetris"}},
         {to + "Tetris.JAR"}},
        {"first of two names differing in case",
         {{"c2/A.jar", "first"}, {"c2b/a.jar", "second"}},
         1,
         {{to + "A/A.jar", "first"}},
         {to + "a"}},
        {"dot names",
         {{"c3/.jar", "dot"}, {"c3/..jar", "dots"}},
         0,
         {},
         {to + ".jar", to + "..jar", "/AppEx/User/Java/.jar", "/AppEx/User/Java/..jar"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::u16string> dropped;
        for (const auto& [name, bytes] : c.files)
            dropped.push_back(pcFile(name, bytes));
        EXPECT_EQ(dropFiles(dropped), c.jobs);
        ASSERT_TRUE(settle());
        for (const auto& [path, bytes] : c.phone)
            EXPECT_EQ(read_bytes(onPhone(path)), bytes) << path;
        for (const std::string& path : c.absent)
            EXPECT_FALSE(existsExactly(path)) << path;
    }
    const std::vector<std::string> shown = games();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Tetris"), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "A"), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "a"), 0);
}

TEST_F(JavaAppsPage, WithoutABrowseTheFirstGamesFolderIsUsed) {
    makePage(false);
    connectPhone();
    EXPECT_TRUE(games().empty());
    EXPECT_EQ(view->installFolder().to_utf8(), first_folder);
    EXPECT_EQ(dropFiles({pcFile("g/Game.jar", "game")}), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(read_bytes(onPhone(std::string(first_folder) + "Game/Game.jar")), "game");
    EXPECT_FALSE(existsExactly("/Game"));
    EXPECT_EQ(games(), (std::vector<std::string>{"asteroids", "Chess", "Game", "Snake", "Sudoku",
                                                 "Zeta Racer"}));
}

TEST_F(JavaAppsPage, AFailedInstallShowsNoGameUntilOneSucceeds) {
    makePage();
    // The first file chunk the phone is sent is refused.
    connectPhone({"writefail=1"});
    ASSERT_TRUE(waitForJobs());
    const std::vector<std::string> listed = games();
    const std::string game = std::string(second_folder) + "Pong/";
    const std::u16string jar = pcFile("p/Pong.jar", pattern(1000, 5));

    EXPECT_EQ(dropFiles({jar}), 1);
    ASSERT_TRUE(settle());
    // The folder was made before the .jar failed; the phone cannot take it away again.
    EXPECT_TRUE(fs::is_directory(onPhone(game)));
    EXPECT_EQ(games(), listed) << "no game for a failed install, after listing again";

    EXPECT_EQ(dropFiles({jar}), 1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(read_bytes(onPhone(game + "Pong.jar")), pattern(1000, 5));
    const std::vector<std::string> shown = games();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Pong"), 1) << "installed at last";
}

TEST(JavaItem, DrawsBlueOnWhiteOrWhiteOnBlueWithTheName28PixelsIn) {
    vListView list(nullptr, true, vListView::selection_single);
    auto* game = new javaItem(&list, str(u"Snake"), str(u"/User/Mass/Java/Games/Snake"));
    EXPECT_EQ(game->height(), 25);
    EXPECT_EQ(game->path.to_utf8(), "/User/Mass/Java/Games/Snake");
    struct {
        bool selected;
        vColor back;
    } looks[] = {{false, 0xFFFFFF}, {true, 0x157DCC}};
    for (const auto& look : looks) {
        SCOPED_TRACE(look.selected);
        game->setSelected(look.selected);
        vPixmap pixmap;
        ASSERT_TRUE(pixmap.create(200, 25));
        pixmap.fill(0x000000);
        const RECT row{0, 0, 200, 25};
        game->draw(pixmap, row);
        int inked = 0, left = 0;
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 200; ++x) {
                if ((pixmap.pixel(x, y) & 0xFFFFFF) == look.back)
                    continue;
                if (x < 28 || y < 5)
                    ++left;
                else
                    ++inked;
            }
        }
        EXPECT_EQ(left, 0) << "the row is filled, and nothing is drawn above or left of the name";
        EXPECT_GT(inked, 20) << "the name is drawn";
    }
}

} // namespace
