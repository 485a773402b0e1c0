// Files dropped from the desktop shell onto the file browser are copied into the current folder.

#include <gtest/gtest.h>

#include "tests/app/folder_view_fixture.h"

using namespace browser_test;
using strings = std::vector<std::string>;

class FolderViewDrop : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        if (IsSkipped())
            return;
        phoneFile("/Sounds/old.wav", "old");
        ASSERT_NO_FATAL_FAILURE(connectPhone());
        view->browse(u"/Sounds/");
        ASSERT_TRUE(drain());
    }

    // Drags the data over the view and drops it there; answers the effects at enter and drop.
    std::pair<DWORD, DWORD> dragAndDrop(const dragged_data& data, POINTL point = {0, 0}) {
        DWORD entered = 0, dropped = 0;
        withDropEvent(data, DROPEFFECT_COPY | DROPEFFECT_MOVE, [&](vwin::vDropEvent& event) {
            event.point = point;
            view->dragEnter(&event);
            entered = event.effect;
            view->dragMove(&event);
            view->drop(&event);
            dropped = event.effect;
        });
        return {entered, dropped};
    }

    std::vector<std::string> phoneSounds() { return tree_of(phone_root.file("/Sounds")); }
};

// Two existing PC files land in the current folder byte for byte; a name that does not exist is
// skipped.
TEST_F(FolderViewDrop, DroppedFilesAreWrittenIntoCurrentFolder) {
    const fs::path song = pc_root.path() / "music" / "song.mp3";
    const fs::path tone = pc_root.path() / "ring tone.wav";
    write_bytes(song, pattern(5000, 21));
    write_bytes(tone, pattern(40, 22));
    const int before = queued.count();
    const auto [entered, dropped] =
        dragAndDrop(dragged_data{{song, pc_root.path() / "missing.mp3", tone}, {}});
    EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(queued.count(), before + 2);
    ASSERT_TRUE(drain());
    EXPECT_EQ(phoneSounds(), (strings{"old.wav", "ring tone.wav", "song.mp3"}));
    EXPECT_TRUE(read_bytes(phone_root.file("/Sounds/song.mp3")) == pattern(5000, 21));
    EXPECT_TRUE(read_bytes(phone_root.file("/Sounds/ring tone.wav")) == pattern(40, 22));
}

// A drag of plain text is refused and queues nothing.
TEST_F(FolderViewDrop, PlainTextDragIsRefused) {
    const int before = queued.count();
    const auto [entered, dropped] = dragAndDrop(dragged_data{{}, u"C:\\song.mp3"});
    EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(queued.count(), before);
}

// A dropped folder arrives with its whole tree, and the folder pane shows it once listed again.
TEST_F(FolderViewDrop, ADroppedFolderArrivesWhole) {
    const fs::path folder = pc_root.path() / "album";
    write_bytes(folder / "track.mp3", "track");
    write_bytes(folder / "cd2" / "b.mp3", "b");
    const int before = queued.count();
    dragAndDrop(dragged_data{{folder}, {}});
    EXPECT_EQ(queued.count(), before + 1);
    ASSERT_TRUE(drain());
    EXPECT_EQ(phoneSounds(),
              (strings{"album", "album/cd2", "album/cd2/b.mp3", "album/track.mp3", "old.wav"}));
    EXPECT_NE(row(folders(), u"album"), nullptr);
}

// A drop on a folder row of the tree goes into that folder, not the one shown.
TEST_F(FolderViewDrop, ADropOnAFolderRowGoesIntoIt) {
    const fs::path song = pc_root.path() / "song.mp3";
    write_bytes(song, "song");
    fs::create_directories(phone_root.file("/Music"));
    view->browse(u"/");
    ASSERT_TRUE(drain());
    view->browse(u"/Sounds/");
    ASSERT_TRUE(drain());
    OrvelFolderItem* target = row(folders(), u"Music");
    ASSERT_NE(target, nullptr);
    folders()->relayout();
    const POINT origin = folders()->screenPosition();
    const POINTL onRow{origin.x + 20, origin.y + target->top() - folders()->contentsY() + 5};
    dragAndDrop(dragged_data{{song}, {}}, onRow);
    ASSERT_TRUE(drain());
    EXPECT_TRUE(fs::exists(phone_root.file("/Music/song.mp3")));
    EXPECT_EQ(phoneSounds(), (strings{"old.wav"}));
}

// While no phone is connected there is no folder to drop into.
TEST_F(FolderViewDrop, NothingIsQueuedWhileDisconnected) {
    link.closePort();
    const fs::path song = pc_root.path() / "song.mp3";
    write_bytes(song, "song");
    const int before = queued.count();
    const auto [entered, dropped] = dragAndDrop(dragged_data{{song}, {}});
    EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(queued.count(), before);
}
