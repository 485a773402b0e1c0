// Over Qt the folder picker is the toolkit's QFileDialog, which tells the folder it opens in.

#include <gtest/gtest.h>

#include "tests/app/folder_view_fixture.h"

using namespace browser_test;

class FolderViewPicker : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        if (IsSkipped())
            return;
        phoneFile("/Pictures/one.png", "1");
        ASSERT_NO_FATAL_FAILURE(connectPhone());
        view->browse(u"/Pictures/");
        ASSERT_TRUE(drain());
    }
};

// The picker opens in the folder chosen the time before.
TEST_F(FolderViewPicker, OpensInTheFolderChosenLast) {
    const fs::path first = pc_root.path() / "first";
    const fs::path second = pc_root.path() / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    ASSERT_TRUE(copyInto(files(), row(files(), u"one.png"), first));
    ASSERT_TRUE(copyInto(files(), row(files(), u"one.png"), second));
    EXPECT_EQ(picker.shown, 2);
    EXPECT_EQ(picker.openedIn, first);
    EXPECT_TRUE(read_bytes(second / "one.png") == "1");
}
