#include "common/UDateTime.h"
#include "common/UStopWatch.h"

#include <gtest/gtest.h>

TEST(UDateTime, RendersWithoutLeadingZeros)
{
    const UDateTime t(9, 5, 2, 6, 12, 2026);
    EXPECT_STREQ("6/Dec/2026", t.date().str());
    EXPECT_STREQ("2:5:9", t.time().str());
    const UDateTime u(59, 59, 23, 31, 1, 1999);
    EXPECT_STREQ("31/Jan/1999", u.date().str());
    EXPECT_STREQ("23:59:59", u.time().str());
}

TEST(UDateTime, NowIsPlausible)
{
    const UDateTime n = UDateTime::now();
    EXPECT_GE(n.year, 2020);
    EXPECT_GE(n.month, 1);
    EXPECT_LE(n.month, 12);
    EXPECT_GE(n.day, 1);
    EXPECT_LE(n.day, 31);
}

TEST(UStopWatch, SecondsAbsorbOneWrapOfTheCounter)
{
    UStopWatch w;
    w.setTicks(0xFFFFFF00u, 0x00000064u); // 356 ms across the wrap
    EXPECT_FLOAT_EQ(0.356f, w.seconds());
    w.setTicks(1000, 13345);
    EXPECT_EQ(12.345f, w.seconds());
    w.start();
    EXPECT_GE(w.stopAndSeconds(), 0.0f);
    EXPECT_LT(w.seconds(), 5.0f);
}

TEST(UDateTime, LogOnLineHasNoLeadingZeros)
{
    EXPECT_STREQ("LOG ON: 6-12-2026 (d-m-y), 2:12:20", UDateTime(20, 12, 2, 6, 12, 2026).logOn().str());
}
