#include "core/timestamp.h"

#include <gtest/gtest.h>

namespace {

struct fields {
    int year, month, day, dow, hour, minute, second, ms;
};

fields of(const timestamp& t) {
    return {t.year, t.month, t.day, t.day_of_week, t.hour, t.minute, t.second, t.milliseconds};
}

void expect_fields(const timestamp& t, const fields& want) {
    const fields got = of(t);
    EXPECT_EQ(got.year, want.year);
    EXPECT_EQ(got.month, want.month);
    EXPECT_EQ(got.day, want.day);
    EXPECT_EQ(got.dow, want.dow);
    EXPECT_EQ(got.hour, want.hour);
    EXPECT_EQ(got.minute, want.minute);
    EXPECT_EQ(got.second, want.second);
    EXPECT_EQ(got.ms, want.ms);
}

TEST(Timestamp, CalendarFieldsFromFileTime) {
    timestamp t;
    t.filetime = 0; // the start of the count: a Monday
    t.fill_fields();
    expect_fields(t, {1601, 1, 1, 1, 0, 0, 0, 0});

    t.set_unix(0);
    EXPECT_EQ(t.filetime, 116444736000000000ULL);
    expect_fields(t, {1970, 1, 1, 4, 0, 0, 0, 0});

    t.set_unix(951827696, 789000000); // a leap day
    expect_fields(t, {2000, 2, 29, 2, 12, 34, 56, 789});

    t.set_unix(4107542400); // 2100 is no leap year
    expect_fields(t, {2100, 3, 1, 1, 0, 0, 0, 0});
    t.set_unix(4107542400 - 1);
    expect_fields(t, {2100, 2, 28, 0, 23, 59, 59, 0});

    t.set_unix(1735689599, 999999999); // the last moment of 2024
    expect_fields(t, {2024, 12, 31, 2, 23, 59, 59, 999});
}

TEST(Timestamp, MomentsBefore1601Clamp) {
    timestamp t;
    t.set_unix(-20000000000LL);
    EXPECT_EQ(t.filetime, 0u);
    EXPECT_EQ(t.year, 1601);
}

TEST(Timestamp, NowFillsBothFormsAlike) {
    timestamp t;
    t.set_now();
    EXPECT_GE(t.year, 2024);
    timestamp again;
    again.filetime = t.filetime;
    again.fill_fields();
    EXPECT_EQ(of(again).year, t.year);
    EXPECT_EQ(of(again).day, t.day);
    EXPECT_EQ(of(again).hour, t.hour);
    EXPECT_EQ(of(again).minute, t.minute);
    EXPECT_EQ(of(again).ms, t.milliseconds);
}

} // namespace
