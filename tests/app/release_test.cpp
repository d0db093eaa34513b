#include "app/release.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

TEST(Release, BuildDayFromDateAndTime) {
    struct Case {
        const char* date;
        const char* time;
        const char* release; // nullptr: refused
    };
    const Case cases[] = {
        {"Feb 16 2018", "13:33:27", "73.18.02.16"},
        {"Jan  1 2000", "00:00:00", "0.00.01.01"},
        {"Dec 31 2099", "23:59:59", "141.99.12.31"},
        {"Sep  9 2026", "23:59:59", "141.26.09.09"},
        {nullptr, "13:33:27", nullptr},
        {"Feb 16 2018", nullptr, nullptr},
        {"", "13:33:27", nullptr},
        {"Foo 16 2018", "13:33:27", nullptr},
        {"Feb 1x 2018", "13:33:27", nullptr},
        {"Feb 16 2018", "13-33-27", nullptr},
        {"Feb 16 20", "13:33:27", nullptr},
    };
    for (const Case& c : cases) {
        BuildDayBytes day{1, 2, 3, 4};
        const bool ok = ParseBuildDay(c.date, c.time, day);
        EXPECT_EQ(ok, c.release != nullptr) << (c.date ? c.date : "null");
        if (c.release != nullptr) {
            EXPECT_EQ(ReleaseText(day), c.release);
        } else {
            EXPECT_EQ(day, (BuildDayBytes{1, 2, 3, 4}));
        }
    }
    BuildDayBytes day{};
    ASSERT_TRUE(ParseBuildDay("Feb 16 2018", "13:33:27", day));
    EXPECT_EQ(day, (BuildDayBytes{73, 18, 2, 16}));
    // The texts this binary was built with parse.
    EXPECT_TRUE(ParseBuildDay(BuildDateText(), BuildTimeText(), day));
}

TEST(Release, AgeWarningAfterThirtyDays) {
    BuildDayBytes day{};
    ASSERT_TRUE(ParseBuildDay("Feb 16 2018", "13:33:27", day));
    const QDateTime limit(QDate(2018, 3, 18), QTime(0, 0), Qt::UTC); // 16 Feb 00:00 + 30 days
    EXPECT_FALSE(ReleaseIsOutdated(day, limit.addSecs(-1)));
    EXPECT_FALSE(ReleaseIsOutdated(day, limit));
    EXPECT_TRUE(ReleaseIsOutdated(day, limit.addSecs(1)));
    EXPECT_TRUE(ReleaseIsOutdated(day, limit.addSecs(1).toOffsetFromUtc(-3600)));
    EXPECT_FALSE(ReleaseIsOutdated(day, QDateTime(QDate(2018, 2, 16), QTime(13, 0), Qt::UTC)));
}

} // namespace
} // namespace zelmo
