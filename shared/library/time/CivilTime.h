// Calendar arithmetic on the proleptic Gregorian calendar, in 64-bit seconds so
// that no sum near the 2038 limit or with an outlandish zone offset can overflow.
// Internal to the time units; the runtime library is not needed for any of it.
#pragma once

#include <cstdint>
#include <limits>

namespace Velmar {
namespace civil {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kLatestInstant = std::numeric_limits<int32_t>::max();  // 2038-01-19 03:14:07
constexpr int64_t kEarliestInstant = std::numeric_limits<int32_t>::min();

struct Fields {
    int64_t year = 1970;
    int32_t month = 1;  // 1..12
    int32_t day = 1;    // 1..31
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t weekday = 3;  // 0 Monday .. 6 Sunday
};

inline int32_t clampTo32(int64_t value) {
    if (value > kLatestInstant) return std::numeric_limits<int32_t>::max();
    if (value < kEarliestInstant) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Floor division and the matching non-negative remainder (divisor > 0).
inline int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); }
inline int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

inline bool isLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

inline int32_t daysInMonth(int64_t year, int32_t month) {
    static const int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year)) return 29;
    return kDays[(month - 1) % 12];
}

// Days since 1970-01-01 of a valid date (month 1..12).
inline int64_t daysFromCivil(int64_t year, int32_t month, int32_t day) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline int64_t secondsFromCivil(int64_t year, int32_t month, int32_t day, int32_t hour,
                                int32_t minute, int32_t second) {
    return daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

// Weekday (0 Monday .. 6 Sunday) of a day count since 1970-01-01, a Thursday.
inline int32_t weekdayOfDays(int64_t days) { return static_cast<int32_t>(floorMod(days + 3, 7)); }

inline Fields fieldsFromSeconds(int64_t seconds) {
    Fields f;
    const int64_t days = floorDiv(seconds, kSecondsPerDay);
    const int64_t rest = seconds - days * kSecondsPerDay;
    f.hour = static_cast<int32_t>(rest / 3600);
    f.minute = static_cast<int32_t>(rest % 3600 / 60);
    f.second = static_cast<int32_t>(rest % 60);
    f.weekday = weekdayOfDays(days);
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    f.day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    f.year = yoe + era * 400 + (f.month <= 2 ? 1 : 0);
    return f;
}

}  // namespace civil
}  // namespace Velmar

namespace Velmar {
namespace civil {

constexpr int32_t kEarliestYear = 1970;
constexpr int32_t kLatestYear = 2038;

inline int32_t clampInt(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// Calendar fields clamped into range and converted as UTC: year 1970..2038,
// month 1..12, day 1..length of the month (February 29 in years divisible by 4),
// hour 0..23, minute and second 0..59. A result past the latest instant gives the
// latest instant: the limit applies to the instant as a whole, since limiting each
// field of a 2038 date to the latest instant's fields would turn a representable
// 2038-01-05 10:30:00 into 03:14:07.
inline int64_t clampedFieldSeconds(int32_t year, int32_t month, int32_t day, int32_t hour,
                                   int32_t minute, int32_t second) {
    year = clampInt(year, kEarliestYear, kLatestYear);
    month = clampInt(month, 1, 12);
    day = clampInt(day, 1, daysInMonth(year, month));
    hour = clampInt(hour, 0, 23);
    minute = clampInt(minute, 0, 59);
    second = clampInt(second, 0, 59);
    const int64_t seconds = secondsFromCivil(year, month, day, hour, minute, second);
    return seconds > kLatestInstant ? kLatestInstant : seconds;
}

}  // namespace civil
}  // namespace Velmar
