#include "common/UDateTime.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(UDateTime, RendersWithoutLeadingZerosAndNowIsTheLocalDate)
{
    EXPECT_STREQ("2:5:9", UDateTime(9, 5, 2, 6, 12, 2026).time().str());
    EXPECT_STREQ("31/Jan/1999", UDateTime(59, 59, 23, 31, 1, 1999).date().str());
    EXPECT_STREQ("LOG ON: 6-12-2026 (d-m-y), 2:12:20", UDateTime(20, 12, 2, 6, 12, 2026).logOn().str());
    const std::time_t t = std::time(nullptr);
    const std::tm local = *std::localtime(&t);
    const UDateTime now = UDateTime::now();
    EXPECT_TRUE(now.year == local.tm_year + 1900 && now.month == local.tm_mon + 1 && now.day == local.tm_mday);
}
