#include "shared/library/time/TimeSpan.h"

#include "shared/library/common/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(TimeSpanParse, ReadsTheDigitsBeforeEachLetter) {
    struct Case {
        const char* text;
        int32_t days, hours, minutes, seconds;
        bool negative;
        int32_t total;
    };
    const Case cases[] = {
        {"P1D", 1, 0, 0, 0, false, 86400},
        {"PT1H30M", 0, 1, 30, 0, false, 5400},
        {"P1DT2H3M4S", 1, 2, 3, 4, false, 86400 + 7200 + 180 + 4},
        {"P-1D", 1, 0, 0, 0, true, -86400},
        {"P", 0, 0, 0, 0, false, 0},
        {"", 0, 0, 0, 0, false, 0},
        {"P1d", 0, 0, 0, 0, false, 0},         // lower-case letters are not units
        {"P2M", 0, 0, 2, 0, false, 120},       // "M" is always minutes
        {"PT5S4M", 0, 0, 4, 5, false, 245},    // order is free
        {"PD", 0, 0, 0, 0, false, 0},          // empty digit run
        {"P1D2D", 1, 0, 0, 0, false, 86400},   // first occurrence wins
        {"Px12H", 0, 12, 0, 0, false, 43200},  // other characters are not looked at
        {"P-", 0, 0, 0, 0, true, 0},
        {"PT-1H", 0, 1, 0, 0, false, 3600},    // a minus sign counts only right after the P
        {"P99H", 0, 99, 0, 0, false, 356400},  // no range check
        {"PT0100M", 0, 0, 100, 0, false, 6000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SpanComponents parts = TimeSpan::parse(c.text);
        EXPECT_EQ(parts.days, c.days);
        EXPECT_EQ(parts.hours, c.hours);
        EXPECT_EQ(parts.minutes, c.minutes);
        EXPECT_EQ(parts.seconds, c.seconds);
        EXPECT_EQ(parts.negative, c.negative);
        EXPECT_EQ(TimeSpan(parts).getSeconds(), c.total);
    }
}

TEST(TimeSpanParse, RejectsTextNotStartingWithUpperCaseP) {
    for (const char* text : {"-P1D", "p1D", " P1D", "1D", "T1H"}) {
        SCOPED_TRACE(text);
        try {
            TimeSpan::parse(text);
            ADD_FAILURE() << "no exception";
        } catch (const TimeException& e) {
            EXPECT_EQ(e.code(), TimeException::TM_INPUT);
            EXPECT_EQ(e.message(), "Expected 'P' in beginning of time span.");
            ASSERT_EQ(e.trace().size(), 1u);
            EXPECT_EQ(e.trace()[0].unit, "TimeSpan");
        }
    }
}

TEST(TimeSpanParse, OverlongDigitRunsSaturateInsteadOfOverflowing) {
    const SpanComponents parts = TimeSpan::parse("P99999999999999999999DT4294967296S");
    EXPECT_EQ(parts.days, 2147483647);
    EXPECT_EQ(parts.seconds, 2147483647);
}

TEST(TimeSpanConstruct, ComponentsAndFourNumbersUseTheSameFormula) {
    EXPECT_EQ(TimeSpan(1, 2, 3, 4).getSeconds(), 93784);
    EXPECT_EQ(TimeSpan(0, 0, 0, -5).getSeconds(), -5);
    EXPECT_EQ(TimeSpan(-1, 23, 0, 0).getSeconds(), -3600);  // no range checks
    SpanComponents negative;
    negative.hours = 2;
    negative.negative = true;
    EXPECT_EQ(TimeSpan(negative).getSeconds(), -7200);
    // A total beyond 32 bits wraps round (unchecked span arithmetic), without
    // undefined behaviour.
    EXPECT_EQ(TimeSpan(24856, 0, 0, 0).getSeconds(),
              static_cast<int32_t>(24856LL * 86400 - 4294967296LL));
}

TEST(TimeSpanSet, ChecksRangesInOrderAndLeavesTheSpanOnFailure) {
    struct Case {
        int32_t days, hours, minutes, seconds;
        uint32_t code;
    };
    const Case cases[] = {
        {24856, 0, 0, 0, TimeException::TM_DAYS},
        {-24856, 0, 0, 0, TimeException::TM_DAYS},
        {24856, 24, 60, 60, TimeException::TM_DAYS},  // days checked first
        {0, 24, 0, 0, TimeException::TM_HOURS},
        {0, -1, 0, 0, TimeException::TM_HOURS},
        {0, 24, 60, 0, TimeException::TM_HOURS},
        {0, 0, 60, 0, TimeException::TM_MINUTES},
        {0, 0, -1, 0, TimeException::TM_MINUTES},
        {0, 0, 0, 60, TimeException::TM_SECONDS},
        {0, 0, 0, -1, TimeException::TM_SECONDS},
        // 24855 days and 3:14:08 is one second past the 32-bit range.
        {24855, 3, 14, 8, TimeException::TM_DAYS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.days << " " << c.hours << " " << c.minutes << " " << c.seconds);
        TimeSpan span(77);
        try {
            span.set(c.days, c.hours, c.minutes, c.seconds);
            ADD_FAILURE() << "no exception";
        } catch (const TimeException& e) {
            EXPECT_EQ(e.code(), c.code);
            EXPECT_EQ(e.message(), "");
            ASSERT_EQ(e.trace().size(), 1u);
            EXPECT_EQ(e.trace()[0].unit, "TimeSpan");
        }
        EXPECT_EQ(span.getSeconds(), 77);
    }
}

TEST(TimeSpanSet, AcceptsTheLimits) {
    // days, hours, minutes, seconds, total
    const int32_t cases[][5] = {
        {24855, 3, 14, 7, 2147483647},
        {-24855, 0, 0, 0, -24855 * 86400},
        {-1, 23, 59, 59, -1},
        {0, 23, 59, 59, 86399},
    };
    TimeSpan span;
    for (const auto& c : cases) {
        span.set(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(span.getSeconds(), c[4]);
    }
}

}  // namespace
}  // namespace Velmar
