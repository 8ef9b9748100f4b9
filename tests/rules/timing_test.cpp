// The countdown's text, the period the user types, the random shift applied to each period, and
// what a failed connection leads to.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <set>
#include <utility>

#include "engine/rules/countdown_text.h"
#include "engine/rules/failure_policy.h"
#include "engine/rules/minutes_text.h"
#include "engine/rules/random_offset.h"

TEST(Countdown, MinutesSpacePaddedSecondsZeroPaddedAnyIntSafe)
{
    EXPECT_EQ(FormatCountdown(1500), "25:00");
    EXPECT_EQ(FormatCountdown(300), " 5:00");
    EXPECT_EQ(FormatCountdown(247), " 4:07");
    EXPECT_EQ(FormatCountdown(0), " 0:00");
    EXPECT_EQ(FormatCountdown(6005), "100: 5");  // index 3 is the colon here
    EXPECT_EQ(FormatCountdown(-5), " 0:-5");
    EXPECT_EQ(FormatCountdown(INT_MAX), "35791394: 7");
    EXPECT_EQ(FormatCountdown(INT_MIN), "-35791394:-8");
}

static int PeriodOf(const char* text, bool debug = false)
{
    const PeriodCheck check = CheckMinutesText(text, debug);
    return check.accepted ? check.periodSecs : -1;
}

TEST(MinutesText, OneToSixtyWholeMinutesKeepTheirFraction)
{
    EXPECT_EQ(PeriodOf("25"), 1500);
    EXPECT_EQ(PeriodOf("1.5"), 90);
    EXPECT_EQ(PeriodOf("60.5"), 3630);
    EXPECT_EQ(PeriodOf("  \t7 minutes"), 420);
    EXPECT_EQ(PeriodOf(".5e1"), 300);
    EXPECT_EQ(PeriodOf("2e"), 120);   // a bare exponent mark is not part of the number
    EXPECT_EQ(PeriodOf("1.9"), 113);  // single precision: 1.9f is just below 1.9
    EXPECT_EQ(PeriodOf("0.999999999"), 60);
    EXPECT_EQ(PeriodOf("60.999999"), -1);  // rounds up to 61.0f
}

TEST(MinutesText, RefusesAnythingElseUnlessDebugging)
{
    for (const char* text :
         {"0.5", "0", "-1", "61", "abc", "", "-", ".", "e5", "0x10", "inf", "nan", "1e30", "1e99999",
          "99999999999999999999999999999999999999999", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(PeriodOf(text), -1) << (text ? text : "null");
        EXPECT_EQ(PeriodOf(text, true), 15) << (text ? text : "null");
    }
    EXPECT_EQ(PeriodOf("25", true), 15);
}

static std::set<int> OffsetsOfDraws0To63(int limit)
{
    std::set<int> offsets;
    for (int draw = 0; draw < 64; ++draw)
        if (const int offset = OffsetFromDraw(draw, limit))
            offsets.insert(offset);
    return offsets;
}

TEST(RandomOffset, OddDrawsShortenEvenLengthenUpToTheLimit)
{
    std::set<int> expected{-30};  // draw 31, held at the limit, still odd
    for (int size = 1; size <= 30; ++size)
        expected.insert(size % 2 ? -size : size);
    EXPECT_EQ(OffsetsOfDraws0To63(30), expected);
    EXPECT_EQ(OffsetsOfDraws0To63(5), (std::set<int>{-1, 2, -3, 4, 5, -5}));
    EXPECT_EQ(OffsetFromDraw(32, 30), 0);  // zero: draw again
    EXPECT_EQ(OffsetFromDraw(7, INT_MIN), 0);
}

TEST(RandomOffset, AnHourIsNeverLengthened)
{
    for (int draw = 0; draw < 64; ++draw)
        EXPECT_LE(TargetWithOffset(3600, OffsetFromDraw(draw, 30)), 3600) << draw;
    EXPECT_EQ(TargetWithOffset(3600, 12), 3588);
    EXPECT_EQ(TargetWithOffset(3630, 12), 3642);  // only exactly an hour is turned around
    EXPECT_EQ(TargetWithOffset(1500, -29), 1471);
    EXPECT_EQ(TargetWithOffset(INT_MIN + 10, -30), INT_MIN);
}

TEST(FailurePolicy, OneDecisionForEachFailure)
{
    using A = FailureAction;
    const auto decide = [](FailureKind kind, bool ignore, int index, int count) {
        const FailureDecision d = DecideAfterFailure(kind, ignore, index, count);
        return std::make_pair(d.action, d.action == A::NextHost ? d.hostIndex : -9);
    };
    const auto cannot = FailureKind::CannotConnect;
    EXPECT_EQ(decide(cannot, false, 1, 3), std::make_pair(A::StopWithBox, -9));
    EXPECT_EQ(decide(cannot, true, 1, 3), std::make_pair(A::NextHost, 2));
    EXPECT_EQ(decide(cannot, true, 2, 3), std::make_pair(A::NextHost, 0)) << "after the last, the first";
    EXPECT_EQ(decide(cannot, true, -1, 3), std::make_pair(A::NextHost, 0)) << "a host not in the list";
    EXPECT_EQ(decide(cannot, true, 0, 1), std::make_pair(A::ResetIgnoreAndStop, -9));
    EXPECT_EQ(decide(FailureKind::NoAttempt, false, 0, 1), std::make_pair(A::Stop, -9));
    EXPECT_EQ(decide(FailureKind::NoAttempt, true, 0, 1), std::make_pair(A::CountOn, -9));
}
