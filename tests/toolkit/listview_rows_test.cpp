// List view rows: insertion positions, layout, trees, removal and deletion, lookups, clearing,
// replacing all rows at once, moving and sorting.

#include "tests/toolkit/listview_fixture.h"

#include <ostream>

namespace listview_test {
namespace {

class ListViewRows : public ListViewFixture {};

// Row constructions against a list with rows "a b c" and a chosen current row.
struct insert_case {
    const char* name;
    int current; // index of the current row, -1 for none
    int position;
    const char* expected;
};

void PrintTo(const insert_case& c, std::ostream* out) {
    *out << c.name;
}

class InsertPosition : public ListViewFixture, public ::testing::WithParamInterface<insert_case> {};

TEST_P(InsertPosition, FollowsThePositionRule) {
    const insert_case& c = GetParam();
    make(false, vListView::selection_single);
    auto made = rows(3);
    if (c.current >= 0)
        list->setCurrent(made[c.current], false, 0);
    new vListViewItem(list.get(), u"x", 20, c.position);
    EXPECT_EQ(order(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ListView, InsertPosition,
    ::testing::Values(insert_case{"negative_appends", -1, -1, "a b c x"},
                      insert_case{"zero_inserts_at_front", 1, 0, "x a b c"},
                      insert_case{"positive_without_current_appends", -1, 2, "a b c x"},
                      insert_case{"positive_takes_the_current_index", 1, 3, "a x b c"},
                      insert_case{"positive_one_with_last_current", 2, 1, "a b x c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListViewRows, InsertItemPlacesRowsAndLaysThemOut) {
    make(false, vListView::selection_single);
    signal_log log;
    log.watch(list.get());
    auto* a = new vListViewItem(list.get(), u"a", 20);
    auto* b = new vListViewItem(list.get(), u"b", 15);
    auto* c = new vListViewItem(static_cast<vListView*>(nullptr), u"c", 25);
    EXPECT_EQ(c->owner(), nullptr);
    EXPECT_EQ(c->index(), -1);
    EXPECT_EQ(list->insertItem(c, 1), 1);
    auto* d = new vListViewItem(static_cast<vListView*>(nullptr), u"d", 10);
    EXPECT_EQ(list->insertItem(d, 99), 3); // beyond the end appends
    EXPECT_EQ(order(), "a c b d");
    EXPECT_EQ(log.count("listChanged"), 4);
    EXPECT_EQ(a->top(), 0);
    EXPECT_EQ(c->top(), 20);
    EXPECT_EQ(b->top(), 45);
    EXPECT_EQ(d->top(), 60);
    EXPECT_EQ(b->index(), 2);
    EXPECT_EQ(list->contentsHeight(), 70);
    // Inserting a row already in the list changes nothing.
    EXPECT_EQ(list->insertItem(c, 0), 1);
    EXPECT_EQ(order(), "a c b d");
}

TEST_F(ListViewRows, UpdatesDisabledDeferLayoutAndSignals) {
    make(false, vListView::selection_single);
    signal_log log;
    log.watch(list.get());
    rows(2);
    log.clear();
    list->setUpdatesEnabled(false);
    auto* x = new vListViewItem(list.get(), u"x", 30, 0);
    EXPECT_EQ(x->index(), -1);
    EXPECT_TRUE(log.lines.empty()) << log.joined();
    list->relayout(); // skipped while updates are disabled
    EXPECT_EQ(x->index(), -1);
    EXPECT_EQ(list->indexAt(5), -1); // no layout for the new row yet
    list->setUpdatesEnabled(true);
    EXPECT_EQ(x->index(), 0);
    EXPECT_EQ(list->at(1)->top(), 30);
    EXPECT_EQ(list->contentsHeight(), 70);
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

TEST_F(ListViewRows, HiddenRowsTakeNoSpaceAndCannotBeHit) {
    make(false, vListView::selection_single);
    auto made = rows(4);
    made[1]->setHeight(0);
    made[2]->setShown(false);
    EXPECT_FALSE(made[1]->isVisible());
    EXPECT_FALSE(made[2]->isVisible());
    EXPECT_EQ(made[3]->top(), 20);
    EXPECT_EQ(list->contentsHeight(), 40);
    // (y, index) pairs: hidden rows are never found; below the last row is -1.
    const int probes[][2] = {{0, 0}, {19, 0}, {20, 3}, {39, 3}, {40, -1}, {-1, -1}, {1000, -1}};
    for (const auto& p : probes)
        EXPECT_EQ(list->indexAt(p[0]), p[1]) << "y " << p[0];
    made[2]->setShown(true);
    EXPECT_EQ(list->indexAt(25), 2);
    EXPECT_EQ(list->contentsHeight(), 60);
}

TEST_F(ListViewRows, ChildrenStandBelowTheirParentAtAnyDepth) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    auto* q = new vListViewItem(list.get(), u"q", 20);
    auto* a = new vListViewItem(p, u"a", 20);
    auto* b = new vListViewItem(p, u"b", 20);
    auto* a1 = new vListViewItem(a, u"a1", 20);
    auto* c = new vListViewItem(p, u"c", 20);      // after a's subtree and b
    auto* a0 = new vListViewItem(a, u"a0", 20, 0); // before a's first child
    auto* bb = new vListViewItem(p, u"bb", 20, 2); // before p's third child (c)
    auto* q1 = new vListViewItem(q, u"q1", 20, 5); // beyond the children: appended
    EXPECT_EQ(order(), "p a a0 a1 b bb c q q1");
    EXPECT_EQ(p->childCount(), 4);
    EXPECT_EQ(p->child(2), bb);
    EXPECT_EQ(a->child(0), a0);
    EXPECT_EQ(a1->parent(), a);
    EXPECT_EQ(a1->depth(), 2);
    EXPECT_EQ(q1->depth(), 1);
    EXPECT_EQ(b->parent(), p);
    EXPECT_EQ(c->index(), 6);
    EXPECT_EQ(q->index(), 7);
}

TEST_F(ListViewRows, CollapsingHidesEveryDescendant) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"p", 20);
    auto* a = new vListViewItem(p, u"a", 20);
    auto* a1 = new vListViewItem(a, u"a1", 20);
    auto* q = new vListViewItem(list.get(), u"q", 20);
    EXPECT_EQ(list->contentsHeight(), 80);
    EXPECT_TRUE(p->setExpanded(false));
    EXPECT_FALSE(p->setExpanded(false)); // no change the second time
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(a1->isVisible());
    EXPECT_TRUE(a->isExpanded()); // its own state is kept
    EXPECT_EQ(q->top(), 20);
    EXPECT_EQ(list->contentsHeight(), 40);
    EXPECT_EQ(list->indexAt(25), 3);
    EXPECT_TRUE(p->setExpanded(true));
    EXPECT_TRUE(a1->isVisible());
    EXPECT_EQ(q->top(), 60);
    // A collapsed middle level hides only its own subtree.
    a->setExpanded(false);
    EXPECT_TRUE(a->isVisible());
    EXPECT_FALSE(a1->isVisible());
    EXPECT_EQ(list->contentsHeight(), 60);
}

TEST_F(ListViewRows, RemovingTheCurrentRowReportsNoCurrentThenTheChange) {
    make(false, vListView::selection_single);
    auto made = rows(3);
    list->setCurrent(made[1], false, 0);
    signal_log log;
    log.watch(list.get());
    EXPECT_TRUE(list->removeItem(made[1]));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"currentChanged -", "listChanged"}));
    EXPECT_EQ(list->current(), nullptr);
    EXPECT_EQ(made[1]->owner(), nullptr);
    EXPECT_EQ(order(), "a c");
    EXPECT_EQ(made[2]->top(), 20);
    EXPECT_FALSE(list->removeItem(made[1])); // not there any more
    log.clear();
    EXPECT_TRUE(list->removeItem(made[0]));
    EXPECT_EQ(log.lines, std::vector<std::string>{"listChanged"});
    delete made[1];
    delete made[0];
    EXPECT_EQ(list->count(), 1);
}

TEST_F(ListViewRows, DeletingARowDeletesItsSubtree) {
    make(false, vListView::selection_single);
    int deaths = 0;
    auto* p = new counted_row(list.get(), u"p", 20, &deaths);
    auto* a = new counted_row(static_cast<vListViewItem*>(p), u"a", 20, &deaths);
    new counted_row(static_cast<vListViewItem*>(a), u"a1", 20, &deaths);
    new counted_row(static_cast<vListViewItem*>(p), u"b", 20, &deaths);
    new counted_row(list.get(), u"q", 20, &deaths);
    ASSERT_EQ(order(), "p a a1 b q");
    delete a;
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(order(), "p b q");
    EXPECT_EQ(p->childCount(), 1);
    delete p;
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(order(), "q");
    EXPECT_EQ(list->at(0)->top(), 0);
}

TEST_F(ListViewRows, FindItemIgnoresCaseAndAnswersTheLastMatch) {
    make(false, vListView::selection_single);
    auto* p = new vListViewItem(list.get(), u"Photos", 20);
    auto* child = new vListViewItem(p, u"photos", 20);
    new vListViewItem(list.get(), u"Other", 20);
    EXPECT_EQ(list->findItem(u"PHOTOS"), child);
    EXPECT_EQ(list->findItem(u"other"), list->at(2));
    EXPECT_EQ(list->findItem(u"missing"), nullptr);
    EXPECT_EQ(list->at(-1), nullptr);
    EXPECT_EQ(list->at(3), nullptr);
}

TEST_F(ListViewRows, ClearDeletesEveryRowQuietly) {
    make(false, vListView::selection_single);
    int deaths = 0;
    auto* p = new counted_row(list.get(), u"p", 20, &deaths);
    new counted_row(static_cast<vListViewItem*>(p), u"a", 20, &deaths);
    new counted_row(list.get(), u"q", 20, &deaths);
    // A row taken out of the list but still a child of a row in it dies with its parent.
    auto* out = new counted_row(static_cast<vListViewItem*>(p), u"out", 20, &deaths);
    list->removeItem(out);
    list->setCurrent(p, false, 0);
    list->startEdit(p, false);
    ASSERT_NE(list->editField(), nullptr);
    signal_log log;
    log.watch(list.get());
    list->clear();
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->current(), nullptr);
    EXPECT_EQ(list->editField(), nullptr);
    EXPECT_EQ(list->contentsHeight(), 0);
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

TEST_F(ListViewRows, ReplaceItemsSwapsAllRowsInOneStep) {
    make(false, vListView::selection_single);
    int deaths = 0;
    new counted_row(list.get(), u"old1", 20, &deaths);
    auto* old2 = new counted_row(list.get(), u"old2", 20, &deaths);
    list->setCurrent(old2, false, 0);
    auto* elsewhere = new vListViewItem(list.get(), u"kept", 20);
    list->removeItem(elsewhere); // detached again: taken
    vListView other(host.get(), false, vListView::selection_single);
    auto* foreign = new vListViewItem(&other, u"foreign", 20);

    auto* n1 = new vListViewItem(static_cast<vListView*>(nullptr), u"n1", 15);
    auto* n2 = new vListViewItem(static_cast<vListView*>(nullptr), u"n2", 15);
    auto* n2a = new vListViewItem(n2, u"n2a", 15); // child of a detached row: detached too
    EXPECT_EQ(n2a->owner(), nullptr);
    EXPECT_EQ(n2a->parent(), n2);
    signal_log log;
    log.watch(list.get());
    EXPECT_EQ(list->replaceItems({n1, n2, n2a, foreign, n1, elsewhere}), 4);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"currentChanged -", "listChanged"}));
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(order(), "n1 n2 n2a kept");
    EXPECT_EQ(foreign->owner(), &other);
    EXPECT_EQ(n2a->top(), 30);
    EXPECT_EQ(n2a->depth(), 1);
    EXPECT_EQ(list->contentsHeight(), 65);
    n2->setExpanded(false);
    EXPECT_FALSE(n2a->isVisible());
    EXPECT_EQ(list->replaceItems({}), 0);
    EXPECT_EQ(list->count(), 0);
}

TEST_F(ListViewRows, MoveItemWithinTheListAndCopyFromAnother) {
    make(false, vListView::selection_single);
    auto made = rows(4);
    signal_log log;
    log.watch(list.get());
    list->moveItem(made[0], 2);
    EXPECT_EQ(order(), "b c a d");
    EXPECT_EQ(list->current(), made[0]);
    EXPECT_TRUE(log.lines.empty()) << log.joined(); // moved quietly
    list->moveItem(made[0], 2);                     // already there
    EXPECT_EQ(order(), "b c a d");
    list->moveItem(made[3], -1);
    EXPECT_EQ(order(), "b c a d");
    list->moveItem(made[1], -1);
    EXPECT_EQ(order(), "c a d b");
    EXPECT_EQ(made[1]->top(), 60);

    vListView other(host.get(), false, vListView::selection_single);
    auto* stranger = new vListViewItem(&other, u"s", 33);
    list->moveItem(stranger, 1);
    EXPECT_EQ(order(), "c s a d b");
    EXPECT_EQ(stranger->owner(), &other); // a copy was inserted
    EXPECT_NE(list->at(1), stranger);
    EXPECT_EQ(list->at(1)->height(), 33);
    EXPECT_EQ(other.count(), 1);
}

TEST_F(ListViewRows, CloneAppendsACopyToTheSameList) {
    make(false, vListView::selection_single);
    auto made = rows(2, 17);
    vListViewItem* copy = made[0]->clone();
    EXPECT_EQ(copy->owner(), list.get());
    EXPECT_EQ(order(), "a b a");
    EXPECT_EQ(copy->height(), 17);
}

// ---- sorting ----

struct sort_case {
    const char* name;
    std::vector<const char16_t*> texts;
    bool ascending;
    const char* expected;
};

void PrintTo(const sort_case& c, std::ostream* out) {
    *out << c.name;
}

class SortOrder : public ListViewFixture, public ::testing::WithParamInterface<sort_case> {};

TEST_P(SortOrder, OrdersByCharacterCode) {
    const sort_case& c = GetParam();
    make(false, vListView::selection_single);
    for (const char16_t* text : c.texts)
        new vListViewItem(list.get(), text, 20);
    list->sort(0, c.ascending);
    EXPECT_EQ(order(), c.expected);
    // Tops follow the new order.
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->at(i)->top(), 20 * i);
}

INSTANTIATE_TEST_SUITE_P(
    ListView, SortOrder,
    ::testing::Values(sort_case{"upper_before_lower", {u"b", u"B", u"a", u"A"}, true, "A B a b"},
                      sort_case{"descending", {u"b", u"B", u"a", u"A"}, false, "b a B A"},
                      sort_case{
                          "prefix_first", {u"abc", u"ab", u"a", u"abd"}, true, "a ab abc abd"},
                      sort_case{"already_sorted", {u"a", u"b", u"c"}, true, "a b c"},
                      sort_case{"single", {u"z"}, true, "z"}, sort_case{"empty", {}, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows ordered by a number, then by their text ignoring case; `argument` reverses the numbers.
class ranked_row : public vListViewItem {
public:
    ranked_row(vListView* list, const char16_t* text, int rank)
        : vListViewItem(list, text, 20), rank_(rank) {}
    ranked_row(vListViewItem* parent, const char16_t* text, int rank)
        : vListViewItem(parent, text, 20), rank_(rank) {}
    int compare(vListViewItem* other, int argument) override {
        auto* o = static_cast<ranked_row*>(other);
        if (rank_ != o->rank_)
            return argument ? o->rank_ - rank_ : rank_ - o->rank_;
        return text().compare(o->text().c_str(), false);
    }

private:
    int rank_;
};

TEST_F(ListViewRows, SortKeepsEqualRowsInOrderAndUsesTheArgument) {
    make(false, vListView::selection_single);
    new ranked_row(list.get(), u"b.txt", 0);
    new ranked_row(list.get(), u"Docs", 512);
    new ranked_row(list.get(), u"A.txt", 0);
    new ranked_row(list.get(), u"c.txt", 0);
    new ranked_row(list.get(), u"a.txt", 0); // equal to A.txt ignoring case: stays after it
    list->sort(0, true);
    EXPECT_EQ(order(), "A.txt a.txt b.txt c.txt Docs");
    list->sort(1, true);
    EXPECT_EQ(order(), "Docs A.txt a.txt b.txt c.txt");
    list->sort(1, false);
    EXPECT_EQ(order(), "c.txt b.txt A.txt a.txt Docs");
}

TEST_F(ListViewRows, SortMovesEveryRowWithItsSubtree) {
    make(false, vListView::selection_single);
    auto* z = new vListViewItem(list.get(), u"z", 20);
    auto* zb = new vListViewItem(z, u"zb", 20);
    new vListViewItem(zb, u"zb2", 20);
    new vListViewItem(zb, u"zb1", 20);
    new vListViewItem(z, u"za", 20);
    auto* m = new vListViewItem(list.get(), u"m", 20);
    new vListViewItem(m, u"m2", 20);
    new vListViewItem(m, u"m1", 20);
    new vListViewItem(list.get(), u"a", 20);
    ASSERT_EQ(order(), "z zb zb2 zb1 za m m2 m1 a");
    list->sort(0, true);
    EXPECT_EQ(order(), "a m m1 m2 z za zb zb1 zb2");
    list->sort(0, false);
    EXPECT_EQ(order(), "z zb zb2 zb1 za m m2 m1 a");
    // Every row still stands below its parent.
    for (int i = 0; i < list->count(); ++i) {
        if (vListViewItem* parent = list->at(i)->parent()) {
            EXPECT_LT(parent->index(), i) << list->at(i)->text().narrow();
        }
    }
}

} // namespace
} // namespace listview_test
