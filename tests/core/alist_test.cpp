// Tests of alist: growth, ordering of insert/remove, bounds and ownership.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "core/alist.h"
#include "core/str.h"

namespace {

struct counted {
    explicit counted(int* deaths, bool throws = false) : deaths_(deaths), throws_(throws) {}
    ~counted() noexcept(false) {
        ++*deaths_;
        if (throws_)
            throw std::runtime_error("destructor failure");
    }
    int* deaths_;
    bool throws_;
};

template <class T> std::vector<T*> items(const alist<T>& l) {
    std::vector<T*> out;
    for (unsigned i = 0; i < l.count(); ++i)
        out.push_back(l.get(i));
    return out;
}

} // namespace

TEST(Alist, GrowsFromZeroTo16Then32) {
    alist<int> l;
    EXPECT_EQ(l.capacity(), 0u);
    int v[40];
    ASSERT_TRUE(l.push(&v[0]));
    EXPECT_EQ(l.capacity(), 16u);
    for (int i = 1; i < 16; ++i)
        ASSERT_TRUE(l.push(&v[i]));
    EXPECT_EQ(l.capacity(), 16u);
    ASSERT_TRUE(l.push(&v[16]));
    EXPECT_EQ(l.capacity(), 32u);
    for (int i = 17; i < 40; ++i)
        ASSERT_TRUE(l.push(&v[i]));
    EXPECT_EQ(l.capacity(), 64u);
    for (unsigned i = 0; i < 40; ++i)
        EXPECT_EQ(l.get(i), &v[i]); // growth keeps every element in place

    alist<int> preset(64);
    EXPECT_EQ(preset.capacity(), 64u);
    EXPECT_EQ(preset.get(0), nullptr);
}

TEST(Alist, BoundsAndLookups) {
    alist<int> l;
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(l.pop(), nullptr);
    EXPECT_EQ(l.get(0), nullptr);
    l.push(&a);
    l.push(&b);
    l.push(&a);
    EXPECT_EQ(l.get(l.count()), nullptr);
    EXPECT_EQ(l.get(static_cast<unsigned>(-1)), nullptr);
    EXPECT_EQ(l.index_of(&a), 0);
    EXPECT_EQ(l.index_of(&b), 1);
    EXPECT_EQ(l.index_of(&c), -1);
    EXPECT_TRUE(l.contains(&b));
    EXPECT_FALSE(l.contains(&c));
    l.swap(0, 1);
    EXPECT_EQ(items(l), (std::vector<int*>{&b, &a, &a}));
    l.swap(0, 3); // out of range: nothing happens
    EXPECT_EQ(items(l), (std::vector<int*>{&b, &a, &a}));
    EXPECT_EQ(l.pop(), &a);
    EXPECT_EQ(l.count(), 2u);
    EXPECT_EQ(l.get(2), nullptr);
}

TEST(Alist, InsertClampsAndShifts) {
    alist<int> l;
    int v[4];
    l.insert(&v[0], 0);
    l.insert(&v[1], 100); // beyond count: appended
    l.insert(&v[2], 1);
    l.insert(&v[3], 0);
    EXPECT_EQ(items(l), (std::vector<int*>{&v[3], &v[0], &v[2], &v[1]}));

    // Inserting at 0 and popping from the end gives submission order, as the job queue uses it.
    alist<int> queue;
    for (int i = 0; i < 20; ++i)
        queue.insert(&v[i % 4], 0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(queue.pop(), &v[i % 4]);
    EXPECT_EQ(queue.pop(), nullptr);
}

TEST(Alist, RemoveDropsEveryOccurrenceKeepingOrder) {
    alist<int> l;
    int a, b, c, d;
    for (int* p : {&a, &b, &b, &c, &b, &d})
        l.push(p);
    EXPECT_TRUE(l.remove(&b)); // twice in a row and once more after another element
    EXPECT_EQ(items(l), (std::vector<int*>{&a, &c, &d}));
    EXPECT_EQ(l.get(3), nullptr);
    EXPECT_FALSE(l.remove(&b));
    EXPECT_EQ(l.count(), 3u);
    EXPECT_TRUE(l.remove(&a));
    EXPECT_TRUE(l.remove(&d));
    EXPECT_EQ(items(l), (std::vector<int*>{&c}));
    EXPECT_TRUE(l.remove(&c));
    EXPECT_EQ(l.count(), 0u);
    EXPECT_FALSE(l.remove(&c));
}

TEST(Alist, OwningClearDeletesEachOnce) {
    int deaths = 0;
    {
        alist<counted> owning(0, true);
        for (int i = 0; i < 5; ++i)
            owning.push(new counted(&deaths));
        owning.clear();
        EXPECT_EQ(deaths, 5);
        EXPECT_EQ(owning.count(), 0u);
        EXPECT_EQ(owning.capacity(), 16u); // slots stay allocated
        owning.push(new counted(&deaths));
    } // destruction deletes what is left
    EXPECT_EQ(deaths, 6);

    deaths = 0;
    counted kept[3] = {counted(&deaths), counted(&deaths), counted(&deaths)};
    {
        alist<counted> borrowed;
        for (auto& k : kept)
            borrowed.push(&k);
        borrowed.clear();
        EXPECT_EQ(borrowed.count(), 0u);
    }
    EXPECT_EQ(deaths, 0);

    // Removing from an owning list never deletes.
    alist<counted> owning(4, true);
    auto* lone = new counted(&deaths);
    owning.push(lone);
    EXPECT_TRUE(owning.remove(lone));
    owning.clear();
    EXPECT_EQ(deaths, 0);
    delete lone;
    EXPECT_EQ(deaths, 1);
}

TEST(Alist, ThrowingDeleteIsSwallowedAndClearingGoesOn) {
    int deaths = 0;
    alist<counted> owning(0, true);
    owning.push(new counted(&deaths));
    owning.push(new counted(&deaths, true));
    owning.push(new counted(&deaths));
    EXPECT_NO_THROW(owning.clear());
    EXPECT_EQ(deaths, 3);
    EXPECT_EQ(owning.count(), 0u);
}

TEST(Alist, DestroyFreesSlotsAndListIsReusable) {
    alist<str> l(64, true);
    l.push(new str(u"one"));
    l.push(new str(u"two"));
    l.destroy();
    EXPECT_EQ(l.capacity(), 0u);
    EXPECT_EQ(l.count(), 0u);
    EXPECT_EQ(l.get(0), nullptr);
    ASSERT_TRUE(l.push(new str(u"three")));
    EXPECT_EQ(l.capacity(), 16u);
    EXPECT_TRUE(*l.get(0) == u"three");
}
