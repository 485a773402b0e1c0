// The file browser's context menu: "Copy..." of files and folders into the folder picked in the
// folder picker, "Delete" of files, and what happens when the picker is cancelled, the menu row
// goes while the menu is open, or names cannot be PC file names.

#include <gtest/gtest.h>

#include "tests/app/folder_view_fixture.h"

using namespace browser_test;
using strings = std::vector<std::string>;

namespace {

const std::string one_bytes = pattern(3000, 11);
const std::string two_bytes = pattern(70000, 12); // many transfer chunks
const std::string three_bytes = "3";
const std::string four_bytes = pattern(620, 14); // exactly one chunk
const std::string deep_bytes = pattern(1500, 15);

} // namespace

class FolderViewMenu : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        if (IsSkipped())
            return;
        phoneFile("/Pictures/one.png", one_bytes);
        phoneFile("/Pictures/two.png", two_bytes);
        phoneFile("/Pictures/three.png", three_bytes);
        phoneFile("/Pictures/four.png", four_bytes);
        phoneFile("/Pictures/Sub/deep.bin", deep_bytes);
        phoneDir("/Pictures/Sub/Empty");
        ASSERT_NO_FATAL_FAILURE(connectPhone(faults()));
        view->browse(u"/Pictures/");
        ASSERT_TRUE(drain());
        ASSERT_EQ(names(files()), listed());
    }
    virtual std::vector<std::string> faults() { return {}; }
    virtual strings listed() { return {"four.png", "one.png", "three.png", "two.png"}; }

    void select(const char16_t* name) {
        OrvelFolderItem* item = row(files(), name);
        ASSERT_NE(item, nullptr);
        item->setSelected(true);
    }
    fs::path dest(const char* name) { return pc_root.path() / name; }
};

// "Copy..." on a row of the selection copies the whole selection; a right-click on a row outside
// it selects that row alone, and only it is copied.
TEST_F(FolderViewMenu, CopyTakesTheSelectionOrTheRowClickedOutsideIt) {
    select(u"one.png");
    select(u"two.png");
    // Both folders are there before a picker opens (the shell's folder tree under Wine may not
    // show a folder made while its objects live on).
    const fs::path both = dest("both");
    const fs::path alone = dest("alone");
    fs::create_directories(both);
    fs::create_directories(alone);
    ASSERT_TRUE(copyInto(files(), row(files(), u"two.png"), both));
    EXPECT_EQ(tree_of(both), (strings{"one.png", "two.png"}));
    EXPECT_TRUE(read_bytes(both / "one.png") == one_bytes);
    EXPECT_TRUE(read_bytes(both / "two.png") == two_bytes);
    EXPECT_EQ(fs::path(view->destination().to_utf8()), both);

    ASSERT_TRUE(copyInto(files(), row(files(), u"three.png"), alone));
    EXPECT_EQ(tree_of(alone), (strings{"three.png"}));
    EXPECT_TRUE(read_bytes(alone / "three.png") == three_bytes);
    EXPECT_FALSE(row(files(), u"one.png")->isSelected());
    EXPECT_TRUE(row(files(), u"three.png")->isSelected());
}

// A cancelled picker queues nothing and keeps the folder chosen before.
TEST_F(FolderViewMenu, CancelledPickerQueuesNothing) {
    const fs::path first = dest("first");
    fs::create_directories(first);
    ASSERT_TRUE(copyInto(files(), row(files(), u"four.png"), first));
    ASSERT_EQ(tree_of(first), (strings{"four.png"}));

    pickerCancels();
    select(u"one.png");
    const int before = queued.count();
    ASSERT_TRUE(chooseFromMenu(files(), row(files(), u"two.png"), 1));
    EXPECT_EQ(picker.shown, 2);
    EXPECT_EQ(queued.count(), before);
    EXPECT_EQ(fs::path(view->destination().to_utf8()), first);
    ASSERT_TRUE(drain());
    EXPECT_EQ(tree_of(first), (strings{"four.png"}));
}

// "Copy..." on a folder row copies the folder's whole tree into the picked folder.
TEST_F(FolderViewMenu, CopyFolderCopiesItsTree) {
    const fs::path target = dest("tree");
    fs::create_directories(target);
    ASSERT_TRUE(copyInto(folders(), row(folders(), u"Pictures"), target));
    EXPECT_EQ(tree_of(target),
              (strings{"Pictures", "Pictures/Sub", "Pictures/Sub/Empty", "Pictures/Sub/deep.bin",
                       "Pictures/four.png", "Pictures/one.png", "Pictures/three.png",
                       "Pictures/two.png"}));
    EXPECT_TRUE(read_bytes(target / "Pictures" / "two.png") == two_bytes);
    EXPECT_TRUE(read_bytes(target / "Pictures" / "Sub" / "deep.bin") == deep_bytes);
}

// "Delete" asks first, naming the file or the count. A refusal queues nothing; once confirmed the
// files are deleted and the rows go with the listing that follows, not before.
TEST_F(FolderViewMenu, DeleteAsksAndTheRowsGoWithTheNextListing) {
    select(u"one.png");
    select(u"three.png");
    int before = queued.count();
    view->confirm = false;
    ASSERT_TRUE(chooseFromMenu(files(), row(files(), u"one.png"), 2));
    EXPECT_EQ(view->questions, std::vector<std::u16string>{u"Delete 2 files from the phone?"});
    EXPECT_EQ(queued.count(), before);

    view->confirm = true;
    holdWorker();
    before = queued.count();
    ASSERT_TRUE(chooseFromMenu(files(), row(files(), u"three.png"), 2));
    EXPECT_EQ(queued.count(), before + 2) << "two deletes; the listing follows their reports";
    EXPECT_EQ(names(files()), listed()) << "nothing goes before the phone's listing";
    releaseWorker();
    ASSERT_TRUE(drain());
    EXPECT_EQ(names(files()), (strings{"four.png", "two.png"}));
    EXPECT_FALSE(fs::exists(phone_root.file("/Pictures/one.png")));
    EXPECT_FALSE(fs::exists(phone_root.file("/Pictures/three.png")));
    EXPECT_TRUE(read_bytes(phone_root.file("/Pictures/two.png")) == two_bytes);

    // The Delete key on the file pane asks about the one selected file.
    OrvelFolderItem* four = row(files(), u"four.png");
    files()->setCurrent(four, true, vwin::vListView::current_left);
    view->confirm = false;
    app_test::sendKey(*files(), VK_DELETE);
    EXPECT_EQ(view->questions.back(), u"Delete four.png from the phone?");
}

// "Delete" is disabled on the folder pane: the phone cannot remove folders.
TEST_F(FolderViewMenu, DeleteIsDisabledOnFolders) {
    bool shown = false, enabled = true;
    ASSERT_TRUE(chooseFromMenu(folders(), row(folders(), u"Sub"), 2, [&](open_menu& menu) {
        shown = menu.has(OrvelFolder::command_delete);
        enabled = menu.enabled(OrvelFolder::command_delete);
        menu.dismiss();
    }));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(enabled);
    ASSERT_TRUE(drain());
    EXPECT_TRUE(fs::exists(phone_root.file("/Pictures/Sub/deep.bin")));
}

// A row listed away while its menu is open is not acted on.
TEST_F(FolderViewMenu, MenuRowGoneWhileMenuOpenIsIgnored) {
    holdWorker();
    const int before = queued.count();
    ASSERT_TRUE(chooseFromMenu(files(), row(files(), u"two.png"), 2,
                               [this](open_menu&) { view->browse(u"/Pictures/"); }));
    EXPECT_EQ(queued.count(), before + 1); // the listing only
    releaseWorker();
    ASSERT_TRUE(drain());
    EXPECT_TRUE(read_bytes(phone_root.file("/Pictures/two.png")) == two_bytes);
    EXPECT_EQ(names(files()), (strings{"four.png", "one.png", "three.png", "two.png"}));
}

// A phone that lists names no PC file can have: the rows are shown, a copy leaves them out and
// writes nothing outside the picked folder.
class FolderViewHostileNames : public FolderViewMenu {
protected:
    std::vector<std::string> faults() override { return {"hostile"}; }
    strings listed() override {
        return {"C:x", "ctl\x01name", "four.png", "one.png", "three.png", "two.png"};
    }
};

TEST_F(FolderViewHostileNames, CopySkipsNamesThatAreNoPcNames) {
    EXPECT_EQ(names(files()),
              (strings{"C:x", "ctl\x01name", "four.png", "one.png", "three.png", "two.png"}));
    for (const char16_t* name :
         {u"C:x", u"ctl\x01name", u"one.png", u"two.png", u"three.png", u"four.png"})
        select(name);
    const fs::path target = dest("hostile");
    fs::create_directories(target);
    ASSERT_TRUE(copyInto(files(), row(files(), u"four.png"), target));
    EXPECT_EQ(tree_of(pc_root.path()), (strings{"hostile", "hostile/four.png", "hostile/one.png",
                                                "hostile/three.png", "hostile/two.png"}));
}
