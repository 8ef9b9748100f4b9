// Texts of the About box.
#include <gtest/gtest.h>

#include "ui/rules/about_texts.h"

TEST(TimeSinceLaunch, SecondsUpToTwoMinutesThenMinutesAcrossTickWrap)
{
    EXPECT_EQ(FormatTimeSinceLaunch(5000, 5000), "0 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 119999, 5000), "119 seconds");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 120000, 5000), "2 minutes");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 179999, 5000), "2 minutes");
    EXPECT_EQ(FormatTimeSinceLaunch(5000 + 7200000, 5000), "120 minutes");
    EXPECT_EQ(FormatTimeSinceLaunch(0x00010000u, 0xFFFFF000u), "69 seconds");  // 69632 ms across the wrap
}

TEST(LinkTarget, MailboxesBecomeMailtoLinks)
{
    EXPECT_EQ(LinkTarget("someone@example.org", "@"), "mailto:someone@example.org");
    EXPECT_EQ(LinkTarget("https://example.org/", "@"), "https://example.org/");
}
