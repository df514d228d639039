#include "shared/library/logger/LogRotation.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

constexpr const char* kZone = "+01:00 (+01:00 3M5W6D2H-10M5W6D3H)";
constexpr int32_t kOpened = 1772975700;  // 2026-03-08 13:15:00 UTC, 14:15 local
constexpr int32_t kNow = 1772976000;     // 2026-03-08 13:20:00 UTC
constexpr uint64_t kMiB = uint64_t{1} << 20;

DateTime at(int32_t utc) {
    DateTime time(utc);
    time.setZone(ZoneInfo::parse(kZone));
    return time;
}

TEST(LogRotationNames, RotatedNameCarriesTheLocalOpeningTimeAndTheCounter) {
    struct Case {
        const char* path;
        const char* counter;
        const char* expected;
        int32_t opened;
    };
    // 23:30 UTC is 00:30 of the next local day.
    const int32_t beforeUtcMidnight = kOpened + 10 * 3600 + 15 * 60;
    const Case cases[] = {
        {"c:\\logs\\StocksweepDebug.log", "4", "c:\\logs\\StocksweepDebug_20260308T141500_4.log",
         kOpened},
        {"c:\\logs\\StocksweepDebug", "4", "c:\\logs\\StocksweepDebug_20260308T141500_4", kOpened},
        {"c:\\logs.d\\debug", "0", "c:\\logs.d\\debug_20260308T141500_0", kOpened},
        {"c:\\logs\\a.b.log", "12", "c:\\logs\\a.b_20260308T141500_12.log", kOpened},
        {"c:\\logs\\late.log", "1", "c:\\logs\\late_20260309T003000_1.log", beforeUtcMidnight},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rotatedFileName(c.path, at(c.opened), c.counter), c.expected) << c.path;
    }
    for (const auto& [counter, next] : {std::pair<const char*, const char*>{"4", "5"},
                                        {"0", "1"},
                                        {"", "1"},
                                        {"x7", "1"},
                                        {"  9z", "10"},
                                        {"010", "11"}}) {  // leading zeros: still decimal
        EXPECT_EQ(nextCounterText(counter), next) << counter;
    }
}

// The other notes are compared inside whole log files by the agent's tests.
TEST(LogRotationNotes, OpenAndCloseNotesCarryLocalTimeAndZone) {
    const std::string path = "c:\\logs\\StocksweepDebug.log";
    EXPECT_EQ(openNote(path, at(kOpened)),
              "\r\nVelmar VERSION(6.5.0.0) REVISION(24657)\r\n"
              "Opened log file \"c:\\logs\\StocksweepDebug.log\". Time: 2026-03-08T14:15:00 "
              "+01:00 (+01:00 3M5W6D2H-10M5W6D3H)\r\n");
    EXPECT_EQ(closeNote(path, at(kNow), movedReason("d:\\new\\x.log")),
              "\r\nClosing log file \"c:\\logs\\StocksweepDebug.log\". Time: 2026-03-08T14:20:00."
              " Reason: Log file moved to \"d:\\new\\x.log\"..\r\n");
}

TEST(LogRotationConditions, ReasonsListEveryConditionThatHolds) {
    struct Case {
        uint32_t scheme;
        bool initPending;
        int32_t period;
        int32_t nextRotation;
        uint64_t bytes;
        int32_t sizeMiB;
        float factor;
        const char* expected;
    };
    const Case cases[] = {
        {kRotateNone, true, 60, kNow, 20 * kMiB, 10, 1.0f, ""},
        {kRotateInit, true, 0, 0, 0, 10, 1.0f, " Init"},
        {kRotateInit, false, 0, 0, 0, 10, 1.0f, ""},
        {kRotateTime, false, 3600, kNow, 0, 10, 1.0f,
         " Time 2026-03-08T14:20:00 <= 2026-03-08T14:20:00"},
        {kRotateTime, false, 3600, kNow + 1, 0, 10, 1.0f, ""},
        {kRotateTime, false, 0, kOpened, 0, 10, 1.0f, ""},  // a zero period never holds
        {kRotateSize, false, 0, 0, 10 * kMiB, 10, 1.0f, " Size 10 >= 10"},
        {kRotateSize, false, 0, 0, 10 * kMiB - 1, 10, 1.0f, ""},
        {kRotateSize, false, 0, 0, 12 * kMiB + kMiB / 2, 10, 1.25f, ""},
        {kRotateSize, false, 0, 0, 13 * kMiB, 10, 1.25f, " Size 13 >= 12.5"},
        {kRotateSize, false, 0, 0, 0, 0, 1.0f, " Size 0 >= 0"},
        {kRotateInit | kRotateTime | kRotateSize, true, 60, kOpened, 11 * kMiB, 10, 1.0f,
         " Init AND Time 2026-03-08T14:15:00 <= 2026-03-08T14:20:00 AND Size 11 >= 10"},
        {kRotateInit | kRotateSize, true, 0, 0, 0, 10, 1.0f, " Init"},
    };
    for (const Case& c : cases) {
        RotationCheck check;
        check.scheme = c.scheme;
        check.initPending = c.initPending;
        check.period = TimeSpan(c.period);
        check.now = at(kNow);
        check.nextRotation = at(c.nextRotation);
        check.fileBytes = c.bytes;
        check.sizeMiB = c.sizeMiB;
        check.sizeFactor = c.factor;
        EXPECT_EQ(rotationReasons(check), c.expected) << c.expected;
    }
}

TEST(LogRotationTime, NextRotationIsThePeriodBoundaryNotBeforeNow) {
    struct Case {
        uint32_t scheme;
        int32_t period;
        int32_t openSeconds;
        int32_t expectedNext;
        int32_t expectedOpen;
        int32_t now = kNow;
    };
    const int32_t untouched = 7;
    const Case cases[] = {
        // One day after opening, truncated to that day's local midnight, which
        // is the coming one.
        {kRotateTime, 86400, kOpened, 1773010800, kOpened + 86400},
        // Opened a week ago with an hourly period: brought up from now.
        {kRotateTime, 3600, 1772359200, 1772978400, 1772362800},
        // Now on a boundary: that boundary is the next rotation, not the one after.
        {kRotateTime, 3600, 1772359200, 1772974800, 1772362800, 1772974800},
        // A one-second period is not shorter than a second: brought up to now.
        {kRotateTime, 1, kOpened, kNow, kOpened + 1},
        // More than a period behind, across the change to summer time on 29
        // March: truncated again from now, so the boundary is a local midnight
        // (2026-03-31 00:00 +02:00), not the old one moved on by whole days.
        {kRotateTime, 86400, 1774695600, 1774908000, 1774782000, 1774864800},
        // A zero period only sets the time, and leaves the base alone.
        {kRotateTime, 0, kOpened, kOpened, kOpened},
        // Without the time bit nothing is computed.
        {kRotateSize, 3600, kOpened, untouched, kOpened},
        // A sum past the latest instant does not lie after the base.
        {kRotateTime, 3600, 2147483000, 2147483647, 2147483000},
        // Within the last period before the latest instant the next boundary
        // lies past it: the latest instant, not the boundary behind now.
        {kRotateTime, 3600, 2147400000, 2147483647, 2147403600, 2147483000},
    };
    for (const Case& c : cases) {
        int32_t openSeconds = c.openSeconds;
        DateTime next(untouched);
        computeNextRotation(c.scheme, TimeSpan(c.period), at(c.now), ZoneInfo::parse(kZone),
                            openSeconds, next);
        EXPECT_EQ(next.getSeconds(), c.expectedNext) << c.period << " " << c.openSeconds;
        EXPECT_EQ(openSeconds, c.expectedOpen) << c.period << " " << c.openSeconds;
    }
}

TEST(LogRotationSettings, ArmingTheInitRotationForgetsTheSeenPeriodAndSize) {
    RotationSettings& settings = rotationSettings();
    const RotationSettings saved = settings;
    settings.initPending = false;
    settings.lastSeenPeriod = TimeSpan(3600);
    settings.lastSeenSize = 10;
    armInitRotation();
    EXPECT_TRUE(settings.initPending);
    EXPECT_TRUE(settings.lastSeenPeriod.isZero());
    EXPECT_EQ(settings.lastSeenSize, 0);
    settings = saved;
}

}  // namespace
}  // namespace Velmar
