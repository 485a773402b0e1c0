// Listings on their way to the panes: only whole listings arrive, and a listing changes only the
// folder rows that differ.

#include "app/folder_listing_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/folder_view_paths.h"

namespace {

TEST(OrvelListingInbox, OnlyWholeListingsOfTheFolderBegunArrive) {
    OrvelListingInbox inbox;
    EXPECT_FALSE(inbox.end(u"/a/")) << "a failed listing ends without beginning";
    inbox.begin(u"/a/");
    inbox.entry(u"/a/", u"x.jpg", 0, 0, 5);
    inbox.entry(u"/b/", u"stray", 0, 0, 1); // another folder's entry
    inbox.begin(u"/b/");                    // overtaken before its end: dropped
    inbox.entry(u"/b/", u"y.jpg", 0, 0, 7);
    EXPECT_FALSE(inbox.end(u"/a/"));
    EXPECT_TRUE(inbox.end(u"/b/"));
    std::vector<folder_listing> got = inbox.take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].path, str(u"/b/"));
    ASSERT_EQ(got[0].entries.size(), 1u);
    EXPECT_EQ(got[0].entries[0].name, str(u"y.jpg"));
    EXPECT_TRUE(inbox.take().empty());
}

TEST(OrvelListingMerge, KeepsRowsStillListedAndChangesTheRest) {
    const std::uint32_t dir = phone_folder_bit;
    struct row {
        const char* what;
        std::vector<const char16_t*> shown;
        std::vector<folder_entry> listed;
        std::vector<std::size_t> removed, added;
    };
    const row rows[] = {
        {"same folders: nothing changes",
         {u"A", u"B"},
         {{str(u"B"), dir}, {str(u"A"), dir}},
         {},
         {}},
        {"one gone, one new", {u"A", u"B"}, {{str(u"B"), dir}, {str(u"C"), dir}}, {0}, {1}},
        {"files, dot names and unsafe names are no folder rows",
         {},
         {{str(u"f.txt"), 0}, {str(u".hidden"), dir}, {str(u"a/b"), dir}, {str(u"D"), dir}},
         {},
         {3}},
        {"a name listed twice makes one row", {}, {{str(u"E"), dir}, {str(u"E"), dir}}, {}, {0}},
        {"a second row of one name goes", {u"A", u"A"}, {{str(u"A"), dir}}, {1}, {}},
        {"an empty listing empties the folder", {u"A"}, {}, {0}, {}},
    };
    for (const row& r : rows) {
        std::vector<str> shown;
        for (const char16_t* name : r.shown)
            shown.emplace_back(name);
        const folder_merge merge = mergeFolders(shown, r.listed);
        EXPECT_EQ(merge.removed, r.removed) << r.what;
        EXPECT_EQ(merge.added, r.added) << r.what;
    }
}

} // namespace
