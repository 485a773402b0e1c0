// The main window's progress rules and geometry, and the Devices view's records, questions, texts
// and layout: the parts that need no window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/hw_view_model.h"
#include "app/orvel_gui_model.h"
#include "core/lang.h"
#include "orvel_version.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

// Restores the system's language after a test that chose one.
struct language_guard {
    explicit language_guard(int language) { set_user_language_for_tests(language); }
    ~language_guard() { set_user_language_for_tests(-1); }
};

const str base_title(u"Orvel " ORVEL_VERSION);

TEST(OrvelProgress, TitleFollowsTheState) {
    struct row {
        const char* what;
        std::uint64_t value, max;
        bool running;
        const char16_t* title;
    };
    const row rows[] = {
        {"idle", 0, 0, false, u"Orvel " ORVEL_VERSION},
        {"a third", 1, 3, true, u"Orvel 33%"},
        {"nothing done yet, padded", 0, 3, true, u"Orvel  0%"},
        {"work over: no percentage left behind", 1, 3, false, u"Orvel " ORVEL_VERSION},
        {"value past max", 7, 3, true, u"Orvel 100%"},
        {"64-bit product", 3000000000u, 4000000000u, true, u"Orvel 75%"},
        {"past 32 bits", 6000000000u, 8000000000u, true, u"Orvel 75%"},
        {"truncated", 999, 1000, true, u"Orvel 99%"},
    };
    for (const row& r : rows) {
        OrvelProgress::snapshot s;
        s.value = r.value;
        s.max = r.max;
        EXPECT_EQ(text(OrvelProgress::title(s, r.running, base_title)), r.title) << r.what;
    }
}

TEST(OrvelProgress, BarWidth) {
    struct row {
        std::uint64_t value, max;
        int width, bar;
    };
    const row rows[] = {
        {0, 0, 640, 0},
        {1, 3, 640, 213},
        {3, 3, 640, 640},
        {0, 100, 640, 0},
        {50, 100, 641, 320},
        {4000000000u, 4294967295u, 640, 596},
        {100000000u, 400000000u, 640, 160},
        {5, 10, 0, 0},
        {11, 10, 640, 640},
    };
    for (const row& r : rows)
        EXPECT_EQ(OrvelProgress::barWidth(r.value, r.max, r.width), r.bar)
            << r.value << "/" << r.max << " of " << r.width;
}

TEST(OrvelLayout, PlacementFromThePointer) {
    struct row {
        OrvelPoint pointer, client;
    };
    const row rows[] = {
        {{100, 300}, {0, 32}}, {{500, 700}, {300, 200}}, {{200, 532}, {0, 32}},
        {{201, 533}, {1, 33}}, {{-50, -10}, {0, 32}},    {{1000, 400}, {800, 32}},
    };
    for (const row& r : rows)
        EXPECT_EQ(orvel_layout::placement(r.pointer), r.client)
            << r.pointer.x << "," << r.pointer.y;
}

TEST(OrvelHWLayout, OddHeight) {
    // The middle is rounded down and the properties list takes the extra pixel (640 x 500 is
    // checked on the view itself).
    const OrvelHWLayout l = hwViewLayout(100, 501);
    EXPECT_EQ(l.connectButton, (OrvelRect{5, 210, 200, 25}));
    EXPECT_EQ(l.propertiesList, (OrvelRect{5, 270, 90, 231}));
}

TEST(OrvelPortRecords, PairsOfADiscoveryText) {
    struct row {
        const char16_t* list;
        std::vector<std::pair<std::u16string, std::u16string>> pairs;
    };
    const row rows[] = {
        {u"", {}},
        {u"SAMSUNG Mobile USB Modem:COM5;", {{u"SAMSUNG Mobile USB Modem", u"COM5"}}},
        {u"A:COM5;B:COM6;C:COM7;", {{u"A", u"COM5"}, {u"B", u"COM6"}, {u"C", u"COM7"}}},
        {u":COM7;", {}},               // no name: no row
        {u"Wave:;", {{u"Wave", u""}}}, // an empty port still counts
        {u"A:COM1;:COM2;B:COM3;", {{u"A", u"COM1"}, {u"B", u"COM3"}}},
        {u"Lone", {{u"Lone", u""}}}, // a name without its port
    };
    for (std::size_t n = 0; n < std::size(rows); ++n) {
        const row& r = rows[n];
        std::vector<OrvelPortRecord> got = portRecords(str(r.list));
        ASSERT_EQ(got.size(), r.pairs.size()) << "row " << n;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(text(got[i].name), r.pairs[i].first);
            EXPECT_EQ(text(got[i].port), r.pairs[i].second);
        }
    }
}

} // namespace
