#include "shared/library/time/DateTime.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace Velmar {
namespace {

const char kOslo[] = "+01:00 (+01:00 3M5W6D2H-10M5W6D3H)";
const char kSydney[] = "+10:00 (+01:00 10M1W6D2H-4M1W6D3H)";

using testing::EnvGuard;
using testing::setEnv;

#ifndef _WIN32
// Sets the runtime's TZ for a test; at the end the runtime reads an unset TZ and the
// variable gets its old value back.
class TzGuard : public EnvGuard {
public:
    explicit TzGuard(const char* tz) : EnvGuard("TZ") { set(tz); }
    ~TzGuard() { set(nullptr); }
    static void set(const char* tz) {
        setEnv("TZ", tz);
        tzset();
    }
};
#endif

int32_t utc(int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi = 0, int32_t s = 0) {
    return DateTime(y, mo, d, h, mi, s).getSeconds();
}

std::string localIn(const ZoneInfo& zone, int32_t seconds) {
    DateTime t(seconds);
    t.setZone(zone);
    return t.localText(true);
}

TEST(DateTimeFields, AreClampedNotRejected) {
    struct Case {
        int32_t y, mo, d, h, mi, s;
        const char* text;
    };
    const Case cases[] = {
        {2011, 2, 29, 12, 0, 0, "2011-02-28T12:00:00Z"},
        {2012, 2, 29, 12, 0, 0, "2012-02-29T12:00:00Z"},
        {2040, 6, 15, 12, 0, 0, "2038-01-19T03:14:07Z"},
        {2038, 12, 31, 23, 59, 59, "2038-01-19T03:14:07Z"},
        {2038, 1, 19, 3, 14, 7, "2038-01-19T03:14:07Z"},
        // Earlier 2038 times are representable and stay as they are.
        {2038, 1, 5, 10, 30, 0, "2038-01-05T10:30:00Z"},
        {2025, 0, 10, 25, 0, 0, "2025-01-10T23:00:00Z"},
        {2025, 13, 32, -1, 60, 99, "2025-12-31T00:59:59Z"},
        {2025, 4, 31, 0, 0, 0, "2025-04-30T00:00:00Z"},
        {2025, 6, 0, 0, -5, -5, "2025-06-01T00:00:00Z"},
        {1900, 5, 5, 5, 5, 5, "1970-05-05T05:05:05Z"},
        {-2147483647 - 1, 1, 1, 0, 0, 0, "1970-01-01T00:00:00Z"},
        {2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647,
         "2038-01-19T03:14:07Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateTime(c.y, c.mo, c.d, c.h, c.mi, c.s).toText(), c.text);
    }
    EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 0).getSeconds(), 0);
    EXPECT_EQ(DateTime(2000, 3, 1, 0, 0, 0).getSeconds(), 951868800);
}

TEST(DateTimeFields, InAZoneAreLocalStandardTimeCorrectedForDaylightSaving) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    EXPECT_EQ(DateTime(2025, 1, 1, 13, 0, 0, oslo, true).getSeconds(), utc(2025, 1, 1, 12));
    EXPECT_EQ(DateTime(2025, 7, 1, 14, 0, 0, oslo, true).getSeconds(), utc(2025, 7, 1, 12));
    EXPECT_EQ(DateTime(2025, 7, 1, 14, 0, 0, oslo, false).getSeconds(), utc(2025, 7, 1, 13));
    DateTime made(2025, 7, 1, 14, 0, 0, oslo, true);
    EXPECT_EQ(made.zone(), oslo);
    // The latest local time of a zone west of UTC lies beyond 32 bits: it is
    // clamped, not wrapped round to 1901.
    const ZoneInfo west = ZoneInfo::parse("-05:00");
    EXPECT_EQ(DateTime(2040, 12, 31, 23, 59, 59, west, true).getSeconds(), 2147483647);
    const ZoneInfo east = ZoneInfo::parse("+05:00");
    EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 0, east, true).getSeconds(), -18000);
}

TEST(ZoneNotation, ParsesOffsetsAndRules) {
    struct Case {
        const char* text;
        int32_t offset, delta;
        ZoneRule start, end;
    };
    const Case cases[] = {
        {kOslo, 3600, 3600, {3, 5, 6, 2}, {10, 5, 6, 3}},
        {"+05:30 (+00:00 0M0W0D0H-0M0W0D0H)", 19800, 0, {}, {}},
        // A field out of range clears both rules and the delta, keeping the offset.
        {"+01:00 (+01:00 13M5W6D2H-10M5W6D3H)", 3600, 0, {}, {}},
        {"-03:00 (+01:00 3M5W7D2H-10M5W6D3H)", -10800, 0, {}, {}},
        {"+01:00 (+01:00 3M5W6D24H-10M5W6D3H)", 3600, 0, {}, {}},
        {"+01:00 (+01:00 3M6W6D2H-10M5W6D3H)", 3600, 0, {}, {}},
        // The parts of a rule may come in any order.
        {"+0100 (+0100 2H6D5W3M-3H6D5W10M)", 3600, 3600, {3, 5, 6, 2}, {10, 5, 6, 3}},
        {"-05:00 (+01:00 3M2W6D2H-11M1W6D2H)", -18000, 3600, {3, 2, 6, 2}, {11, 1, 6, 2}},
        // The ends of every field's range are in range.
        {"+01:00 (+01:00 1M1W0D0H-12M5W6D23H)", 3600, 3600, {1, 1, 0, 0}, {12, 5, 6, 23}},
        // A negative delta: the rules are cut at the "-" after the delta.
        {"+01:00 (-01:00 10M5W6D3H-3M5W6D2H)", 3600, -3600, {10, 5, 6, 3}, {3, 5, 6, 2}},
        {"+01:00", 3600, 0, {}, {}},
        {"+01:00 (+01:00 3M5W6D2H", 3600, 0, {}, {}},
        {"nonsense", 0, 0, {}, {}},
        {"", 0, 0, {}, {}},
        {"+01:00 (+01:00 99999999999999M5W6D2H-10M5W6D3H)", 3600, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ZoneInfo zone = ZoneInfo::parse(c.text);
        EXPECT_TRUE(zone.valid);
        EXPECT_EQ(zone.offset, c.offset);
        EXPECT_EQ(zone.dstDelta, c.delta);
        EXPECT_EQ(zone.dstStart, c.start);
        EXPECT_EQ(zone.dstEnd, c.end);
    }
}

TEST(ZoneNotation, IsWrittenInTheFormItIsRead) {
    EXPECT_EQ(ZoneInfo::parse(kOslo).toText(), kOslo);
    EXPECT_EQ(ZoneInfo::parse("+0530").toText(), "+05:30 (+00:00 0M0W0D0H-0M0W0D0H)");
    EXPECT_EQ(ZoneInfo::parse("-0930 (+0030 2H6D1W10M-3H6D1W4M)").toText(),
              "-09:30 (+00:30 10M1W6D2H-4M1W6D3H)");
}

TEST(UtcOffsetText, AcceptsFourFormsAndReadsAnythingElseAsZero) {
    struct Case {
        const char* text;
        int32_t seconds;
    };
    const Case cases[] = {
        {"+01:00", 3600},   {"-05:00", -18000}, {"+0530", 19800}, {"-0945", -35100}, {"+00:00", 0},
        {"+99:99", 362340}, {"01:00", 0},       {"+1:00", 0},     {"+01:00 ", 0},    {"+01-00", 0},
        {"+0a:00", 0},      {"+013", 0},        {"+01000", 0},    {"", 0},           {"Z", 0},
        {"-", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ZoneInfo::parseOffset(c.text), c.seconds);
    }
    EXPECT_EQ(ZoneInfo::formatOffset(3600), "+01:00");
    EXPECT_EQ(ZoneInfo::formatOffset(-19800), "-05:30");
    EXPECT_EQ(ZoneInfo::formatOffset(-19800, false), "-0530");
    EXPECT_EQ(ZoneInfo::formatOffset(0, false), "+0000");
    EXPECT_EQ(ZoneInfo::formatOffset(-2147483647 - 1), "-596523:14");
}

TEST(ZoneRules, TransitionInstantsOfAYear) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    EXPECT_EQ(oslo.dstStartIn(2025), utc(2025, 3, 30, 1));
    EXPECT_EQ(oslo.dstEndIn(2025), utc(2025, 10, 26, 1));
    EXPECT_EQ(oslo.dstStartIn(2026), utc(2026, 3, 29, 1));
    const ZoneInfo sydney = ZoneInfo::parse(kSydney);
    EXPECT_EQ(sydney.dstStartIn(2025), utc(2025, 10, 4, 16));
    EXPECT_EQ(sydney.dstEndIn(2025), utc(2025, 4, 5, 16));
    // Week 5 is the last Monday of September 2025, the 29th, although the month
    // has only four Sundays.
    const ZoneInfo lastMonday = ZoneInfo::parse("+01:00 (+01:00 9M5W0D2H-10M5W6D3H)");
    EXPECT_EQ(lastMonday.dstStartIn(2025), utc(2025, 9, 29, 1));
    // Week 5 in a month whose weekday occurs five times: the fifth.
    const ZoneInfo fifthSunday = ZoneInfo::parse("+00:00 (+01:00 3M5W6D1H-10M5W6D2H)");
    EXPECT_EQ(fifthSunday.dstStartIn(2024), utc(2024, 3, 31, 1));
    EXPECT_EQ(fifthSunday.dstStartIn(2023), utc(2023, 3, 26, 1));
}

TEST(ZoneRules, DaylightSavingInForceNorthAndSouth) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    const ZoneInfo sydney = ZoneInfo::parse(kSydney);
    const int32_t start = oslo.dstStartIn(2025);
    const int32_t end = oslo.dstEndIn(2025);
    for (int32_t at : {start, end - 1}) EXPECT_TRUE(oslo.isDst(at)) << at;
    for (int32_t at : {start - 1, end}) EXPECT_FALSE(oslo.isDst(at)) << at;
    EXPECT_EQ(oslo.offsetAt(utc(2025, 7, 1, 12)), 7200);
    EXPECT_EQ(oslo.offsetAt(utc(2025, 1, 1, 12)), 3600);
    // Sydney's daylight saving spans the turn of the year.
    for (int32_t at : {utc(2025, 1, 15, 0), utc(2025, 12, 31, 20), sydney.dstEndIn(2025) - 1,
                       sydney.dstStartIn(2025)}) {
        EXPECT_TRUE(sydney.isDst(at)) << at;
    }
    for (int32_t at : {utc(2025, 7, 1, 0), sydney.dstEndIn(2025)})
        EXPECT_FALSE(sydney.isDst(at)) << at;
    EXPECT_EQ(sydney.offsetAt(utc(2025, 1, 1, 0)), 39600);
    // January 2038, at the end of the range, is winter in Oslo and summer in Sydney.
    EXPECT_EQ(oslo.offsetAt(utc(2038, 1, 10, 12)), 3600);
    EXPECT_EQ(oslo.offsetAt(2147483647), 3600);
    EXPECT_EQ(sydney.offsetAt(2147483647), 39600);
    // No daylight saving: a month 13 rule, a zero delta, an empty zone.
    const ZoneInfo month13 = ZoneInfo::parse("+01:00 (+01:00 13M5W6D2H-10M5W6D3H)");
    EXPECT_FALSE(month13.isDst(utc(2025, 7, 1, 12)));
    EXPECT_EQ(month13.offsetAt(utc(2025, 7, 1, 12)), 3600);
    ZoneInfo noDelta = oslo;
    noDelta.dstDelta = 0;
    EXPECT_FALSE(noDelta.isDst(utc(2025, 7, 1, 12)));
    // Forward at 02:00 and back at 03:00 of the same day: the same instant.
    const ZoneInfo sameRules = ZoneInfo::parse("+01:00 (+01:00 3M5W6D2H-3M5W6D3H)");
    EXPECT_FALSE(sameRules.isDst(utc(2025, 7, 1, 12)));
    EXPECT_EQ(ZoneInfo().offsetAt(utc(2025, 7, 1, 12)), 0);
    // Hostile record values stay defined at the ends of the range.
    ZoneInfo extreme;
    extreme.valid = true;
    extreme.offset = 2147483647;
    extreme.dstDelta = 2147483647;
    extreme.dstStart = {1, 1, 0, 0};
    extreme.dstEnd = {12, 5, 6, 23};
    EXPECT_EQ(extreme.offsetAt(2147483647), 2147483647);
    EXPECT_EQ(extreme.offsetAt(-2147483647 - 1), 2147483647);
}

TEST(DateTimeFloor, OneDayGivesLocalMidnightAlsoOnChangeDays) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    const ZoneInfo sydney = ZoneInfo::parse(kSydney);
    struct Case {
        const ZoneInfo* zone;
        int32_t y, mo, d;
    };
    const Case cases[] = {
        {&oslo, 2025, 1, 15},  {&oslo, 2025, 7, 15},   {&oslo, 2025, 3, 30},  {&oslo, 2025, 10, 26},
        {&sydney, 2025, 4, 6}, {&sydney, 2025, 10, 5}, {&sydney, 2025, 1, 1},
    };
    for (const Case& c : cases) {
        DateTime t(c.y, c.mo, c.d, 23, 30, 0, *c.zone, true);
        SCOPED_TRACE(localIn(*c.zone, t.getSeconds()));
        t.floor(TimeSpan(1, 0, 0, 0), *c.zone);
        const DateTime midnight(c.y, c.mo, c.d, 0, 0, 0, *c.zone, true);
        EXPECT_EQ(t.getSeconds(), midnight.getSeconds());
        EXPECT_EQ(localIn(*c.zone, t.getSeconds()).substr(10),
                  "T00:00:00" + ZoneInfo::formatOffset(c.zone->offsetAt(t.getSeconds())));
    }
}

TEST(DateTimeFloor, OtherSpansTruncateOnTheLocalClock) {
    const ZoneInfo kolkata = ZoneInfo::parse("+05:30");
    DateTime t(2025, 5, 5, 12, 45, 10, kolkata, true);
    t.floor(TimeSpan(0, 1, 0, 0), kolkata);
    EXPECT_EQ(localIn(kolkata, t.getSeconds()), "2025-05-05T12:00:00+05:30");
    DateTime minute(2025, 5, 5, 12, 45, 10, kolkata, true);
    minute.floor(TimeSpan(60), kolkata);
    EXPECT_EQ(localIn(kolkata, minute.getSeconds()), "2025-05-05T12:45:00+05:30");
    t.floor(TimeSpan(1), kolkata);
    t.floor(TimeSpan(0), kolkata);
    t.floor(TimeSpan(-3600), kolkata);
    EXPECT_EQ(localIn(kolkata, t.getSeconds()), "2025-05-05T12:00:00+05:30");

    // A week starts at the start of the local Monday, also when a change in the
    // week moves the clock, and when the change at 00:00 means that the Sunday
    // starts at 01:00.
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    const ZoneInfo atMidnight = ZoneInfo::parse("+02:00 (+01:00 3M5W6D0H-10M5W6D0H)");
    struct WeekCase {
        const ZoneInfo* zone;
        int32_t at;
        const char* monday;
    };
    const WeekCase weeks[] = {
        {&oslo, DateTime(2025, 3, 30, 23, 30, 0, oslo, true).getSeconds(),
         "2025-03-24T00:00:00+01:00"},
        {&oslo, DateTime(2025, 9, 1, 0, 0, 0, oslo, true).getSeconds(),
         "2025-09-01T00:00:00+02:00"},
        {&atMidnight, 1711872000, "2024-03-25T00:00:00+02:00"},
        {&atMidnight, 1711836000, "2024-03-25T00:00:00+02:00"},  // the Sunday's first instant
        {&atMidnight, 1729980000, "2024-10-21T00:00:00+03:00"},  // the Sunday of the change back
    };
    for (const WeekCase& w : weeks) {
        SCOPED_TRACE(localIn(*w.zone, w.at));
        DateTime t(w.at);
        t.floor(TimeSpan(7, 0, 0, 0), *w.zone);
        EXPECT_EQ(localIn(*w.zone, t.getSeconds()), w.monday);
    }

    // UTC, and times before 1970 move back too.
    DateTime early(-1);
    early.floor(TimeSpan(1, 0, 0, 0), ZoneInfo());
    EXPECT_EQ(early.getSeconds(), -86400);
    DateTime latest(2147483647);
    latest.floor(TimeSpan(1, 0, 0, 0), ZoneInfo::parse("-05:00"));
    EXPECT_EQ(latest.toText(), "2038-01-18T05:00:00Z");
}

TEST(DateTimeText, DateTimeAndFullForms) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    DateTime t(utc(2025, 7, 1, 9, 8, 7));
    EXPECT_EQ(t.dateText(), "2025-07-01");
    EXPECT_EQ(t.dateText(true), "20250701");
    EXPECT_EQ(t.timeText(), "09:08:07");
    EXPECT_EQ(t.timeText(true), "090807");
    EXPECT_EQ(t.fullText(), "2025-07-01T09:08:07Z");
    EXPECT_EQ(t.fullText(true), "2025-07-01T09:08:07Z+00:00");
    t.setZone(oslo);
    EXPECT_EQ(t.fullText(true), "2025-07-01T09:08:07Z+02:00");
    EXPECT_EQ(t.toCompactText(), "20250701T090807Z");  // UTC whatever the zone
    EXPECT_EQ(t.localDateText(true), "20250701");
    EXPECT_EQ(t.localTimeText(), "11:08:07");
    EXPECT_EQ(t.localTimeText(true), "110807");
    EXPECT_EQ(t.localText(), "2025-07-01T11:08:07");
    EXPECT_EQ(t.localText(true), "2025-07-01T11:08:07+02:00");
    DateTime late(2025, 12, 31, 23, 30, 0, ZoneInfo::parse("-05:00"), true);
    EXPECT_EQ(late.localDateText(), "2025-12-31");
    EXPECT_EQ(late.dateText(), "2026-01-01");
    EXPECT_EQ(DateTime(-2147483647 - 1).toText(), "1901-12-13T20:45:52Z");
}

TEST(DateTimeText, FromTextReadsOnlyTheFullUtcFormsPlainAndCompact) {
    struct Case {
        const char* text;
        bool ok;
        int32_t seconds;
    };
    const Case cases[] = {
        {"2025-07-01T09:08:07Z", true, 1751360887},
        {"1970-01-01T00:00:00Z", true, 0},
        {"2038-01-19T03:14:07Z", true, 2147483647},
        {"1901-12-13T20:45:52Z", true, -2147483647 - 1},
        {"2024-02-29T00:00:00Z", true, 1709164800},
        {"2038-01-19T03:14:08Z", false, 0},
        {"1901-12-13T20:45:51Z", false, 0},
        {"2023-02-29T00:00:00Z", false, 0},
        {"2025-13-01T00:00:00Z", false, 0},
        {"2025-00-01T00:00:00Z", false, 0},
        {"2025-07-00T00:00:00Z", false, 0},
        {"2025-07-01T24:00:00Z", false, 0},
        {"2025-07-01T00:60:00Z", false, 0},
        {"2025-07-01T00:00:60Z", false, 0},
        {"2025-07-01T09:08:07", false, 0},
        {"2025-07-01T09:08:07Z ", false, 0},
        {"2025-07-01 09:08:07Z", false, 0},
        {"2025-7-01T09:08:07ZZ", false, 0},
        {"+025-07-01T09:08:07Z", false, 0},
        {"2025-07-01T09:08:0xZ", false, 0},
        {"", false, 0},
        // The compact form, as the log file agent stores its opening time.
        {"20250701T090807Z", true, 1751360887},
        {"19011213T204552Z", true, -2147483647 - 1},
        {"20380119T031407Z", true, 2147483647},
        {"20380119T031408Z", false, 0},
        {"20230229T000000Z", false, 0},
        {"20250701T240000Z", false, 0},
        {"20250701T090807", false, 0},
        {"20250701 090807Z", false, 0},
        {"2025070T1090807Z", false, 0},
        {"20250701T09:807Z", false, 0},
        {"2025-0701T090807Z", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateTime t(12345);
        t.setZone(ZoneInfo::parse(kOslo));
        EXPECT_EQ(t.fromText(c.text), c.ok);
        if (c.ok) {
            EXPECT_EQ(t.getSeconds(), c.seconds);
            EXPECT_FALSE(t.zone().valid);
            const bool compact = std::string(c.text).find('-') == std::string::npos;
            EXPECT_EQ(compact ? t.toCompactText() : t.toText(), c.text);
        } else {
            EXPECT_EQ(t.getSeconds(), 12345);
            EXPECT_TRUE(t.zone().valid);
        }
    }
}

TEST(ZoneGivenAsText, FullNotationOffsetInForceOrMinutes) {
    const ZoneInfo oslo = ZoneInfo::parse(kOslo);
    const int32_t summer = utc(2025, 7, 1, 12);
    const int32_t winter = utc(2025, 1, 1, 12);
    for (const char* full : {kSydney, "+01:00 (+01:00 *3M5W6D2H-10M5W6D3H)"}) {
        EXPECT_EQ(ZoneInfo::fromText(full, summer, ZoneInfo::parse(kSydney)),
                  ZoneInfo::parse(full));
    }
    struct Case {
        const char* text;
        int32_t at;
        int32_t offset;   // standard offset of the result
        int32_t inForce;  // offsetAt(at) of the result
    };
    const Case cases[] = {
        {"+02:00", summer, 3600, 7200},
        {"+02:00", winter, 7200, 7200},
        {"+0300", summer, 7200, 10800},
        {"+0300 summer", summer, 7200, 10800},
        {"-05:00xyz", summer, -21600, -18000},
        {"+abcd", winter, 0, 0},
        {"120", summer, 3600, 7200},
        {"-300", winter, -18000, -18000},
        {" 330 minutes", winter, 19800, 19800},
        {"", winter, 0, 0},
        {"zone", winter, 0, 0},
        {"99999999999999999999", winter, 2147483647, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ZoneInfo zone = ZoneInfo::fromText(c.text, c.at, oslo);
        EXPECT_TRUE(zone.valid);
        EXPECT_EQ(zone.offset, c.offset);
        EXPECT_EQ(zone.offsetAt(c.at), c.inForce);
        EXPECT_EQ(zone.dstStart, oslo.dstStart);
    }
}

// The process-wide zone state is reset around each test so that the "VELMAR_TZ"
// read on the first "now" happens inside the test.
class ProcessZone : public ::testing::Test {
protected:
    void SetUp() override { DateTime::resetZoneStateForTests(); }
    void TearDown() override { DateTime::resetZoneStateForTests(); }
    EnvGuard velmarTz_{"VELMAR_TZ"};
};

TEST_F(ProcessZone, VelmarTzIsReadOnceAtTheFirstNow) {
    setEnv("VELMAR_TZ", kOslo);
    const DateTime now;
    EXPECT_GT(now.getSeconds(), utc(2024, 1, 1, 0));
    EXPECT_EQ(DateTime::localZone(), ZoneInfo::parse(kOslo));
    EXPECT_EQ(DateTime(utc(2025, 7, 1, 12)).localText(), "2025-07-01T14:00:00");
    EXPECT_EQ(DateTime(utc(2025, 1, 1, 12)).localText(), "2025-01-01T13:00:00");

    setEnv("VELMAR_TZ", "+05:30 (+00:00 0M0W0D0H-0M0W0D0H)");
    const DateTime again;
    EXPECT_EQ(DateTime::localZone(), ZoneInfo::parse(kOslo));

    DateTime::resetZoneStateForTests();
    const DateTime fresh;
    EXPECT_EQ(DateTime(utc(2025, 7, 1, 12)).localText(true), "2025-07-01T17:30:00+05:30");
    EXPECT_EQ(DateTime(utc(2025, 1, 1, 12)).localText(true), "2025-01-01T17:30:00+05:30");
}

TEST_F(ProcessZone, UnsetOrEmptyVelmarTzLeavesTheSystemZone) {
#ifndef _WIN32
    // A system zone away from UTC, so that it cannot pass for an empty zone text.
    TzGuard tz("Asia/Kolkata");
#endif
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        DateTime::resetZoneStateForTests();
        setEnv("VELMAR_TZ", value);
        const DateTime now;
        const ZoneInfo zone = DateTime::localZone();
        EXPECT_TRUE(zone.valid);
        EXPECT_EQ(zone, ZoneInfo::fromRuntime());
#ifndef _WIN32
        EXPECT_EQ(zone.offset, 19800);
#endif
    }
}

// What the time-zone database says about four real zones, for any recent year.
struct ZoneRow {
    const char* tz;
    int32_t offset;
    int32_t delta;
    ZoneRule start;
    ZoneRule end;
};
const ZoneRow kZoneRows[] = {
    {"Europe/Oslo", 3600, 3600, {3, 5, 6, 2}, {10, 5, 6, 3}},
    {"America/New_York", -18000, 3600, {3, 2, 6, 2}, {11, 1, 6, 2}},
    {"Australia/Sydney", 36000, 3600, {10, 1, 6, 2}, {4, 1, 6, 3}},
    {"Asia/Kolkata", 19800, 0, {}, {}},
};

int32_t nextLocalYear() {
    const std::time_t now = std::time(nullptr);
    return std::localtime(&now)->tm_year + 1900 + 1;
}

// The zone's offset must equal the runtime's local clock at every hour of the year.
void expectRuntimeOffsets(const ZoneInfo& zone, int32_t year) {
    int mismatches = 0;
    const int32_t first = utc(year, 1, 1, 0);
    const int32_t last = utc(year, 12, 31, 23);
    for (int64_t t = first; t <= last && mismatches < 3; t += 3600) {
        const std::time_t rt = static_cast<std::time_t>(t);
        const std::tm local = *std::localtime(&rt);
        const int64_t clock =
            int64_t{DateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec)
                        .getSeconds()};
        if (clock - t != zone.offsetAt(static_cast<int32_t>(t))) {
            ++mismatches;
            ADD_FAILURE() << "runtime and zone differ at "
                          << DateTime(static_cast<int32_t>(t)).toText();
        }
    }
}

// The derived zone must match the row and follow the runtime's clock.
void checkDerivedZone(const ZoneRow& row, const ZoneInfo& zone, int32_t year) {
    SCOPED_TRACE(row.tz);
    EXPECT_TRUE(zone.valid);
    EXPECT_EQ(zone.offset, row.offset);
    EXPECT_EQ(zone.dstDelta, row.delta);
    EXPECT_EQ(zone.dstStart, row.start);
    EXPECT_EQ(zone.dstEnd, row.end);
    EXPECT_EQ(zone.hasDst(), row.delta != 0);
    expectRuntimeOffsets(zone, year);
}

#ifndef _WIN32
// Natively the runtime follows TZ: derive each zone of the database in turn.
TEST(SystemZone, DerivedFromTheRuntimeMatchesTheDatabase) {
    TzGuard tz(nullptr);
    for (const ZoneRow& row : kZoneRows) {
        TzGuard::set(row.tz);
        const int32_t year = nextLocalYear();
        checkDerivedZone(row, ZoneInfo::fromRuntime(year), year);
        checkDerivedZone(row, ZoneInfo::fromRuntime(), year);
    }
}

// A clock put back for a few weeks early in the year: the change forward again
// lies within the 90 days skipped after the first one and must be dated on its
// own day. The standard offset is the clock's outside the changed weeks, whatever
// the runtime's daylight-saving flag says (Casablanca's flag marks the weeks at
// +00:00 as daylight saving).
TEST(SystemZone, ChangesCloseTogetherAreEachDatedOnTheirDay) {
    struct Case {
        const char* tz;
        const char* zone;
    };
    const Case cases[] = {
        {"XXX-1YYY0,M2.3.0/3,M3.4.0/2", "+00:00 (+01:00 3M5W6D2H-2M3W6D3H)"},
        {"Africa/Casablanca", "+00:00 (+01:00 3M2W6D2H-2M1W6D3H)"},
    };
    // A year whose changes fall on days that the week numbers of the rules
    // can name (a fourth Sunday is read as the last).
    const int32_t year = 2027;
    TzGuard tz(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tz);
        TzGuard::set(c.tz);
        const ZoneInfo zone = ZoneInfo::fromRuntime(year);
        EXPECT_EQ(zone.toText(), c.zone);
        expectRuntimeOffsets(zone, year);
    }
}
#endif

// One zone named by STOCKSWEEP_TEST_ZONE, which the test run has also given to
// the process as its host TZ. Under Wine that selects the Windows zone, and the
// derivation must follow it even though the runtime would read TZ itself.
TEST(SystemZone, HostZoneMatchesTheDatabase) {
    const char* wanted = std::getenv("STOCKSWEEP_TEST_ZONE");
    if (wanted == nullptr || *wanted == '\0') GTEST_SKIP() << "STOCKSWEEP_TEST_ZONE not set";
    const ZoneRow* row = nullptr;
    for (const ZoneRow& r : kZoneRows) {
        if (std::string(r.tz) == wanted) row = &r;
    }
    ASSERT_NE(row, nullptr) << "no expectations for " << wanted;
    DateTime::resetZoneStateForTests();
    EnvGuard velmarTz("VELMAR_TZ");
    setEnv("VELMAR_TZ", nullptr);
    const DateTime now;
    const ZoneInfo zone = DateTime::localZone();
#ifdef _WIN32
    // The derivation has put TZ back; the runtime cross-check below needs the
    // Windows zone as well.
    ASSERT_NE(std::getenv("TZ"), nullptr);
    EnvGuard tz("TZ");
    setEnv("TZ", nullptr);
    _tzset();
#endif
    checkDerivedZone(*row, zone, nextLocalYear());
    DateTime::resetZoneStateForTests();
}

}  // namespace
}  // namespace Velmar
