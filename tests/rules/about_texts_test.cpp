// Texts of the About box.
#include "ui/about_texts.h"

#include <gtest/gtest.h>

TEST(TimeSinceLaunch, SecondsUpToTwoMinutesThenMinutes)
{
    EXPECT_EQ(FormatTimeSinceLaunch(5000, 5000), "0 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 999, 5000), "0 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 119999, 5000), "119 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 120000, 5000), "2 minutes");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 179999, 5000), "2 minutes");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 7200000, 5000), "120 minutes");
}

TEST(TimeSinceLaunch, TickCounterWrapIsHandled)
{
    // 0x1000 ms before the wrap plus 0x10000 ms after it: 69632 ms.
    EXPECT_EQ(FormatTimeSinceLaunch(0x00010000u, 0xFFFFF000u), "69 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(0xFFFFFFFFu, 0u), "71582 minutes");
}

TEST(LinkTarget, MailboxesBecomeMailtoLinks)
{
    EXPECT_EQ(LinkTarget("someone@example.org", "@"), "mailto:someone@example.org");
    EXPECT_EQ(LinkTarget("https://example.org/", "@"), "https://example.org/");
    EXPECT_EQ(LinkTarget("", "@"), "");
}
