// The file browser's listing: headings and layout, the root, opening folders, listings that are
// overtaken or repeated, rows found ignoring case, the order of rows, and the link going away.

#include <gtest/gtest.h>

#include "core/lang.h"
#include "tests/app/folder_view_fixture.h"

using namespace browser_test;
using strings = std::vector<std::string>;

namespace {

// The widget's client rectangle in the view's client coordinates.
RECT placeIn(vwin::vWidget* view, vwin::vWidget* child) {
    const POINT origin = child->screenPosition();
    const POINT viewOrigin = view->screenPosition();
    const int x = origin.x - viewOrigin.x;
    const int y = origin.y - viewOrigin.y;
    return RECT{x, y, x + child->clientWidth(), y + child->clientHeight()};
}

void expectPlace(vwin::vWidget* view, vwin::vWidget* child, RECT want) {
    const RECT got = placeIn(view, child);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

} // namespace

// Headings by language, and the two panes side by side under them.
TEST(FolderViewLayout, HeadingsByLanguageAndPanesSideBySide) {
    const struct {
        int language;
        const char* folder;
        const char* files;
    } cases[] = {{9, "Folder:", "Files:"}, {7, "Ordner:", "Dateien:"}};
    for (const auto& c : cases) {
        set_user_language_for_tests(c.language);
        SamsungComm link;
        host_window host;
        OrvelFolderView view(&host, link);
        EXPECT_EQ(utf8(view.folderLabel()->text()), c.folder);
        EXPECT_EQ(utf8(view.filesLabel()->text()), c.files);
        EXPECT_EQ(view.folderLabel()->textColor(), 0x157DCCu);
        EXPECT_TRUE(view.folderPane()->isTree());
        EXPECT_FALSE(view.filePane()->isTree());

        view.setGeometry(0, 0, 801, 600); // half = 400
        expectPlace(&view, view.folderLabel(), RECT{5, 0, 400, 16});
        expectPlace(&view, view.filesLabel(), RECT{401, 0, 598, 16});
        expectPlace(&view, view.folderPane(), RECT{5, 20, 400, 600});
        expectPlace(&view, view.filePane(), RECT{401, 20, 796, 600});
    }
    set_user_language_for_tests(-1);
}

class FolderViewListing : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        if (IsSkipped())
            return;
        phoneFile("/root.txt", "r");
        phoneFile("/Other/a.jpg", pattern(700, 2));
        phoneFile("/Other/Sounds/x.wav", "wav");
        phoneDir("/Other/.hidden");
        phoneFile("/Music/b.txt", "b");
        phoneFile("/Music/A.txt", "a");
        phoneFile("/Music/c.txt", "c");
        phoneDir("/Music/beta");
        phoneDir("/Music/Alpha");
        phoneDir("/Music/gamma");
        ASSERT_NO_FATAL_FAILURE(connectPhone());
    }
};

// "connected" lists the root: its folders become top-level rows, its files the file pane.
TEST_F(FolderViewListing, RootFoldersAreTopLevelRows) {
    EXPECT_EQ(utf8(view->currentPath()), "/");
    EXPECT_EQ(names(folders()), (strings{"Music", "Other"}));
    EXPECT_EQ(paths(folders()), (strings{"/Music/", "/Other/"}));
    EXPECT_EQ(names(files()), (strings{"root.txt"}));
    EXPECT_EQ(paths(files()), (strings{"/"}));
}

// A double click on a folder row lists it: its files on the right, its sub-folders under its row;
// the dot entries and a hidden folder are left out. A double click on a file row lists nothing.
TEST_F(FolderViewListing, OpeningAFolderShowsItsFilesAndSubFolders) {
    OrvelFolderItem* other = row(folders(), u"Other");
    ASSERT_NE(other, nullptr);
    doubleClick(folders(), other);
    ASSERT_TRUE(drain());
    EXPECT_EQ(utf8(view->currentPath()), "/Other/");
    EXPECT_EQ(names(files()), (strings{"a.jpg"}));
    EXPECT_EQ(paths(files()), (strings{"/Other/"}));
    OrvelFolderItem* file = row(files(), u"a.jpg");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 700u);
    EXPECT_FALSE(file->isFolder());
    EXPECT_EQ(names(folders()), (strings{"Music", "Other", "  Sounds"}));
    EXPECT_EQ(paths(folders()), (strings{"/Music/", "/Other/", "/Other/Sounds/"}));
    EXPECT_TRUE(other->isExpanded());

    const int before = queued.count();
    doubleClick(files(), file);
    EXPECT_EQ(queued.count(), before);
    EXPECT_EQ(utf8(view->currentPath()), "/Other/");
}

// Files and folders in name order ignoring case.
TEST_F(FolderViewListing, RowsAreInNameOrderIgnoringCase) {
    view->browse(u"/Music");
    ASSERT_TRUE(drain());
    EXPECT_EQ(names(files()), (strings{"A.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(names(folders()), (strings{"Music", "  Alpha", "  beta", "  gamma", "Other"}));
}

// A listing the user overtook by opening another folder fills nothing.
TEST_F(FolderViewListing, OvertakenListingFillsNothing) {
    holdWorker();
    view->browse(u"/Other/");
    view->browse(u"/Music/");
    releaseWorker();
    ASSERT_TRUE(drain());
    EXPECT_EQ(utf8(view->currentPath()), "/Music/");
    EXPECT_EQ(names(files()), (strings{"A.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(names(folders()), (strings{"Music", "  Alpha", "  beta", "  gamma", "Other"}));
}

// Listing a folder again replaces its sub-folders.
TEST_F(FolderViewListing, SecondListingReplacesChildren) {
    view->browse(u"/Other/");
    ASSERT_TRUE(drain());
    ASSERT_EQ(names(folders()), (strings{"Music", "Other", "  Sounds"}));
    fs::remove_all(phone_root.file("/Other/Sounds"));
    phoneDir("/Other/New");
    phoneDir("/Other/Zoo");
    view->browse(u"/Other/");
    ASSERT_TRUE(drain());
    EXPECT_EQ(names(folders()), (strings{"Music", "Other", "  New", "  Zoo"}));
    EXPECT_EQ(names(files()), (strings{"a.jpg"}));
}

// The folder row is found ignoring case; the entries carry the path as it was asked for.
TEST_F(FolderViewListing, FolderRowFoundIgnoringCase) {
    view->browse(u"/Other/");
    ASSERT_TRUE(drain());
    view->browse(u"/OTHER");
    ASSERT_TRUE(drain());
    EXPECT_EQ(names(folders()), (strings{"Music", "Other", "  Sounds"}));
    // The sub-folder row already shown stays as it was.
    EXPECT_EQ(paths(folders()), (strings{"/Music/", "/Other/", "/Other/Sounds/"}));
    EXPECT_EQ(paths(files()), (strings{"/OTHER/"}));
}

// Entries are taken only for the current path exactly, only with names that are one entry, and
// only from a listing that began; the rows change once the listing ends.
TEST_F(FolderViewListing, EntriesOfOtherPathsAndUnusableNamesAreIgnored) {
    view->browse(u"/OTHER/");
    ASSERT_TRUE(drain());
    const struct {
        const char16_t* path;
        const char16_t* name;
        std::uint32_t attributes;
    } cases[] = {
        {u"/other/", u"case.txt", 0x20}, // differs in letter case only
        {u"/Music/", u"music.txt", 0x20},   {u"/OTHER/", u"", 0x20},
        {u"/OTHER/", u"back\\slash", 0x20}, {u"/OTHER/", u"a/b", 0x200},
        {u"/OTHER/", u"..", 0x200},         {u"/OTHER/", u".cache", 0x200},
        {u"/OTHER/", u"new.txt", 0x20},     {u"/OTHER/", u"C:x", 0x20}, // a copy skips it
    };
    const strings before = names(files());
    view->browseBegin(u"/OTHER/");
    for (const auto& c : cases)
        view->browseEntry(c.path, c.name, c.attributes, 0, 1);
    EXPECT_EQ(names(files()), before) << "nothing changes before the end";
    view->browseEnd(u"/OTHER/");
    EXPECT_EQ(names(files()), (strings{"C:x", "new.txt"}));
    // A listing that ends without having begun (it failed) changes nothing.
    view->browseEntry(u"/OTHER/", u"late.txt", 0x20, 0, 1);
    view->browseEnd(u"/OTHER/");
    EXPECT_EQ(names(files()), (strings{"C:x", "new.txt"}));
}

// The opener of a folder row folds its sub-folders away and back; nothing is listed.
TEST_F(FolderViewListing, OpenerTogglesRowWithoutListing) {
    view->browse(u"/Other/");
    ASSERT_TRUE(drain());
    OrvelFolderItem* other = row(folders(), u"Other");
    ASSERT_NE(other, nullptr);
    const int before = queued.count();
    emit(folders(), u"opener", static_cast<vwin::vListViewItem*>(other));
    EXPECT_FALSE(other->isExpanded());
    emit(folders(), u"opener", static_cast<vwin::vListViewItem*>(other));
    EXPECT_TRUE(other->isExpanded());
    EXPECT_EQ(queued.count(), before);
}

// "disconnected" empties both panes and the current path.
TEST_F(FolderViewListing, DisconnectedClearsBothPanes) {
    view->browse(u"/Other/");
    ASSERT_TRUE(drain());
    link.closePort();
    EXPECT_EQ(folders()->count(), 0);
    EXPECT_EQ(files()->count(), 0);
    EXPECT_EQ(utf8(view->currentPath()), "");
    // A listing delivered after that fills nothing.
    view->browseBegin(u"/Other/");
    view->browseEntry(u"/Other/", u"late.txt", 0x20, 0, 1);
    view->browseEnd(u"/Other/");
    EXPECT_EQ(files()->count(), 0);
}

// The view may go while a long listing is being delivered on the worker.
TEST_F(FolderViewListing, ViewDestroyedDuringListing) {
    // A receiver connected before a second view runs first: it pauses the listing half-way
    // until the view is being destroyed.
    class pauser : public vObject {
    public:
        thread_event halfway{true};
        thread_event go{true};
        std::atomic<int> seen{0};
        void entry() {
            if (++seen == 500) {
                halfway.set();
                go.wait(10000);
            }
        }
        ~pauser() { disconnect_all(); }
    } pause;
    view.reset();
    phone.stop();
    link.closePort();
    ASSERT_TRUE(phone.start(phone_root.simulator_path(), {"bigdir=1000"}));
    connect(static_cast<vObject*>(&link), u"BrowseEntry", &pause, &pauser::entry);
    view = std::make_unique<answering_view>(host.get(), link);
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    view->browse(u"/big/");
    ASSERT_TRUE(pump_until([&] { return pause.halfway.is_set(); }, 30000));
    pause.go.set();
    view.reset();
    ASSERT_TRUE(drain());
    EXPECT_GE(pause.seen.load(), 1000);
}
