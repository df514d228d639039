// A time zone: a standard offset, a daylight-saving delta and the two yearly
// rules that start and end daylight saving time. Written as, for example,
// "+01:00 (+01:00 3M5W6D2H-10M5W6D3H)".
#pragma once

#include <cstdint>
#include <string>

namespace Velmar {

// When a clock change happens each year. All fields 0 is "no rule".
struct ZoneRule {
    int32_t month = 0;    // 1..12
    int32_t week = 0;     // 1..5; 5 is the last occurrence of the weekday in the month
    int32_t weekday = 0;  // 0 Monday .. 6 Sunday
    int32_t hour = 0;     // 0..23, local hour of the change

    bool isSet() const { return month != 0 || week != 0 || weekday != 0 || hour != 0; }
    bool inRange() const;
    bool operator==(const ZoneRule& o) const {
        return month == o.month && week == o.week && weekday == o.weekday && hour == o.hour;
    }
    bool operator!=(const ZoneRule& o) const { return !(*this == o); }
};

struct ZoneInfo {
    bool valid = false;    // the record has been filled
    int32_t offset = 0;    // standard offset from UTC in seconds, east positive
    int32_t dstDelta = 0;  // added to offset while daylight saving time is in force
    ZoneRule dstStart;
    ZoneRule dstEnd;

    // dstDelta is not 0 and both rules are set and within their ranges.
    bool hasDst() const;
    // offset, plus dstDelta while isDst holds; 0 for an empty zone.
    int32_t offsetAt(int32_t utcSeconds) const;
    // Whether daylight saving time is in force at the UTC time.
    bool isDst(int32_t utcSeconds) const;
    // The UTC instants at which daylight saving time starts and ends in the year
    // (clamped to 1970..2038); 0 for a zone whose offset and delta are both 0.
    int32_t dstStartIn(int32_t year) const;
    int32_t dstEndIn(int32_t year) const;

    // The zone notation: offset, " (", delta, " ", start rule, "-", end rule, ")".
    std::string toText() const;
    bool operator==(const ZoneInfo& o) const;
    bool operator!=(const ZoneInfo& o) const { return !(*this == o); }

    // Reads the zone notation. Never throws: the standard offset comes from the
    // text before the first blank; the daylight-saving part is read only when all
    // its delimiters are present, and a rule field out of range clears both rules
    // and the delta. The result is always valid.
    static ZoneInfo parse(const std::string& text);

    // A zone given as text in a configuration or a message: the full notation;
    // a text beginning with a sign and four more characters, read as the UTC
    // offset in force at utcSeconds; any other text, read as decimal minutes east
    // of UTC. The last two give `local` with its offset chosen so that
    // offsetAt(utcSeconds) is the given one.
    static ZoneInfo fromText(const std::string& text, int32_t utcSeconds, const ZoneInfo& local);
    // As above with DateTime::localZone().
    static ZoneInfo fromText(const std::string& text, int32_t utcSeconds);

    // Reads "+hh:mm", "-hh:mm", "+hhmm" or "-hhmm" (the whole text) as seconds;
    // any other text gives 0.
    static int32_t parseOffset(const std::string& text);
    // Sign, two-digit hours and two-digit minutes, with or without ":" between.
    static std::string formatOffset(int32_t seconds, bool withColon = true);

    // The zone of the runtime library's local time in the given year, found by
    // sampling it hour by hour (mktime/localtime). On Windows the CRT's "TZ"
    // override is set aside while sampling so that the Windows zone is used.
    static ZoneInfo fromRuntime(int32_t year);
    // As above for the year after the current local year.
    static ZoneInfo fromRuntime();
};

}  // namespace Velmar
