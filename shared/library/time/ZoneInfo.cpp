#include "shared/library/time/ZoneInfo.h"

#include "shared/library/time/CivilTime.h"
#include "shared/library/time/DateTime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace Velmar {

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kHour = 3600;
// After a clock change the runtime's year is sampled again only 90 days and one
// hour later, and that sample is compared with the one after the change. A
// second change within the skipped time (a clock put back for a few weeks) shows
// there as a difference; the skipped hours are then sampled one by one, so that
// the change is dated from the hour before it and not from the skip's start.
constexpr int64_t kSkipAfterChange = 90 * civil::kSecondsPerDay + kHour;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int32_t twoDigits(const std::string& text, size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// '?' matches one character, '*' any run (also empty).
bool wildcardMatch(const std::string& text, const char* pattern) {
    size_t t = 0;
    size_t p = 0;
    const size_t plen = std::char_traits<char>::length(pattern);
    size_t starP = std::string::npos;
    size_t starT = 0;
    while (t < text.size()) {
        // A '*' of the pattern is always a wildcard, also against a '*' in the text.
        if (p < plen && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < plen && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < plen && pattern[p] == '*') ++p;
    return p == plen;
}

// A rule such as "10M5W6D3H": digits are collected and each of M, W, D and H
// takes the number collected so far; other characters are skipped.
ZoneRule parseRule(const std::string& text) {
    ZoneRule rule;
    int64_t number = 0;
    for (char c : text) {
        if (isDigit(c)) {
            number = number * 10 + (c - '0');
            if (number > kInt32Max) number = kInt32Max;
            continue;
        }
        int32_t* field = nullptr;
        switch (c) {
            case 'M': field = &rule.month; break;
            case 'W': field = &rule.week; break;
            case 'D': field = &rule.weekday; break;
            case 'H': field = &rule.hour; break;
            default: continue;
        }
        *field = static_cast<int32_t>(number);
        number = 0;
    }
    return rule;
}

std::string ruleText(const ZoneRule& rule) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%dM%dW%dD%dH", static_cast<int>(rule.month),
                  static_cast<int>(rule.week), static_cast<int>(rule.weekday),
                  static_cast<int>(rule.hour));
    return buf;
}

// A leading decimal number of the text (blanks before it and a sign allowed),
// limited to the 32-bit range; 0 when there is none.
int64_t leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kInt32Max) value = kInt32Max;
    }
    return negative ? -value : value;
}

// The local clock reading of a runtime time as seconds on a UTC-like scale, and
// its calendar fields; false when the runtime cannot convert it.
bool runtimeLocalClock(std::time_t t, int64_t& clock) {
    const std::tm* local = std::localtime(&t);
    if (local == nullptr) return false;
    clock = civil::secondsFromCivil(int64_t{local->tm_year} + 1900, local->tm_mon + 1,
                                    local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);
    return true;
}

// The rule of a clock change that happened after the local reading `before`:
// taken from one hour later on the old clock, so that a change at midnight
// carries into the next day.
ZoneRule ruleAfter(int64_t before) {
    const civil::Fields f = civil::fieldsFromSeconds(before + kHour);
    ZoneRule rule;
    rule.month = f.month;
    rule.week = (f.day - 1) / 7 + 1;
    if (rule.week == 4) rule.week = 5;  // a fourth occurrence is read as the last
    rule.weekday = f.weekday;
    rule.hour = f.hour;
    return rule;
}

#ifdef _WIN32
// The Windows C runtime lets a "TZ" variable override the Windows zone, and Wine
// hands the host's TZ (an Olson name the runtime misreads) to every process. The
// operating-system zone is the Windows one: set TZ aside while sampling, put it
// back afterwards so that the environment seen by others is unchanged.
class RuntimeTzOverrideAside {
public:
    RuntimeTzOverrideAside() {
        const char* tz = std::getenv("TZ");
        if (tz != nullptr && *tz != '\0') {
            saved_ = std::string("TZ=") + tz;
            _putenv("TZ=");
        }
        _tzset();
    }
    ~RuntimeTzOverrideAside() {
        if (!saved_.empty()) {
            _putenv(saved_.c_str());
            _tzset();
        }
    }
    RuntimeTzOverrideAside(const RuntimeTzOverrideAside&) = delete;
    RuntimeTzOverrideAside& operator=(const RuntimeTzOverrideAside&) = delete;

private:
    std::string saved_;
};
#else
struct RuntimeTzOverrideAside {
    RuntimeTzOverrideAside() { tzset(); }
};
#endif

ZoneInfo sampleRuntimeYear(int32_t year) {
    ZoneInfo zone;
    zone.valid = true;
    std::tm first = {};
    first.tm_year = year - 1900;
    first.tm_mday = 1;
    first.tm_isdst = -1;
    std::tm last = {};
    last.tm_year = year - 1900;
    last.tm_mon = 11;
    last.tm_mday = 31;
    last.tm_hour = 23;
    last.tm_isdst = -1;
    const std::time_t begin = std::mktime(&first);
    const std::time_t end = std::mktime(&last);
    int64_t prevClock = 0;
    if (begin == static_cast<std::time_t>(-1) || end == static_cast<std::time_t>(-1) ||
        !runtimeLocalClock(begin, prevClock)) {
        return zone;
    }
    int64_t prevTime = begin;
    zone.offset = civil::clampTo32(prevClock - prevTime);
    bool haveStart = false;
    bool haveEnd = false;
    for (int64_t t = prevTime + kHour; t <= end;) {
        int64_t clock = 0;
        if (!runtimeLocalClock(static_cast<std::time_t>(t), clock)) break;
        const int64_t change = (clock - prevClock) - (t - prevTime);
        if (change == 0) {
            prevTime = t;
            prevClock = clock;
            t += kHour;
            continue;
        }
        if (t - prevTime > kHour) {
            t = prevTime + kHour;
            continue;
        }
        const ZoneRule rule = ruleAfter(prevClock);
        if (change > 0) {
            haveStart = true;
            zone.dstStart = rule;
            zone.dstDelta = civil::clampTo32(change);
            zone.offset = civil::clampTo32(prevClock - prevTime);
        } else {
            haveEnd = true;
            zone.dstEnd = rule;
            if (!haveStart) zone.offset = civil::clampTo32(clock - t);
        }
        if (rule.month >= 10) break;
        prevTime = t;
        prevClock = clock;
        t += kSkipAfterChange;
    }
    if (!(haveStart && haveEnd)) {
        zone.dstDelta = 0;
        zone.dstStart = ZoneRule();
        zone.dstEnd = ZoneRule();
    }
    return zone;
}

}  // namespace

bool ZoneRule::inRange() const {
    return month >= 1 && month <= 12 && week >= 1 && week <= 5 && weekday >= 0 && weekday <= 6 &&
           hour >= 0 && hour <= 23;
}

bool ZoneInfo::hasDst() const {
    return dstDelta != 0 && dstStart.isSet() && dstEnd.isSet() && dstStart.inRange() &&
           dstEnd.inRange();
}

bool ZoneInfo::operator==(const ZoneInfo& o) const {
    return valid == o.valid && offset == o.offset && dstDelta == o.dstDelta &&
           dstStart == o.dstStart && dstEnd == o.dstEnd;
}

namespace {

// The day of the month on which a rule changes the clock in the year. Week 5 is
// the last occurrence of the rule's weekday in the month, whatever the weekday:
// limiting the count by the month's Sundays would pick the wrong day for rules on
// other weekdays.
int32_t ruleDay(const ZoneRule& rule, int64_t year, int32_t month) {
    const int32_t weekday = civil::clampInt(rule.weekday, 0, 6);
    const int32_t week = civil::clampInt(rule.week, 1, 5);
    const int32_t firstWeekday = civil::weekdayOfDays(civil::daysFromCivil(year, month, 1));
    int32_t day = 1 + (weekday - firstWeekday + 7) % 7 + (week - 1) * 7;
    while (day > civil::daysInMonth(year, month)) day -= 7;
    return day;
}

// The instant as a DateTime set from the rule's local standard time gives it, with
// the calendar clamping (a 2038 change after the latest instant is clamped to it).
int32_t transitionInstant(const ZoneInfo& zone, const ZoneRule& rule, int32_t year, bool isEnd) {
    if (zone.offset == 0 && zone.dstDelta == 0) return 0;
    const int32_t y = civil::clampInt(year, civil::kEarliestYear, civil::kLatestYear);
    const int32_t month = civil::clampInt(rule.month, 1, 12);
    const int32_t day = ruleDay(rule, y, month);
    int64_t instant = civil::clampedFieldSeconds(y, month, day, rule.hour, 0, 0) - zone.offset;
    if (isEnd) instant -= zone.dstDelta;  // the end hour is read on the daylight clock
    return civil::clampTo32(instant);
}

// The same instant without any clamping, for comparisons: clamped, both changes of
// 2038 would collapse onto the latest instant and January 2038 would count as
// daylight saving time in a northern zone.
int64_t exactTransition(const ZoneInfo& zone, const ZoneRule& rule, int64_t year, bool isEnd) {
    const int32_t month = civil::clampInt(rule.month, 1, 12);
    const int64_t local = civil::secondsFromCivil(year, month, ruleDay(rule, year, month),
                                                  civil::clampInt(rule.hour, 0, 23), 0, 0);
    return local - zone.offset - (isEnd ? zone.dstDelta : 0);
}

}  // namespace

int32_t ZoneInfo::dstStartIn(int32_t year) const {
    return transitionInstant(*this, dstStart, year, false);
}

int32_t ZoneInfo::dstEndIn(int32_t year) const {
    return transitionInstant(*this, dstEnd, year, true);
}

bool ZoneInfo::isDst(int32_t utcSeconds) const {
    if (!hasDst()) return false;
    const int64_t year = civil::fieldsFromSeconds(int64_t{utcSeconds} + offset).year;
    const int64_t start = exactTransition(*this, dstStart, year, false);
    const int64_t end = exactTransition(*this, dstEnd, year, true);
    if (start == end) return false;
    if (start < end) return start <= utcSeconds && utcSeconds < end;
    return !(end <= utcSeconds && utcSeconds < start);
}

int32_t ZoneInfo::offsetAt(int32_t utcSeconds) const {
    if (!valid) return 0;
    return civil::clampTo32(int64_t{offset} + (isDst(utcSeconds) ? dstDelta : 0));
}

std::string ZoneInfo::toText() const {
    return formatOffset(offset) + " (" + formatOffset(dstDelta) + " " + ruleText(dstStart) + "-" +
           ruleText(dstEnd) + ")";
}

ZoneInfo ZoneInfo::parse(const std::string& text) {
    ZoneInfo zone;
    zone.valid = true;
    const size_t blank = text.find(' ');
    zone.offset = parseOffset(text.substr(0, blank));
    if (blank == std::string::npos) return zone;
    const size_t open = text.find('(', blank + 1);
    if (open == std::string::npos) return zone;
    const size_t blank2 = text.find(' ', open + 1);
    if (blank2 == std::string::npos) return zone;
    const size_t dash = text.find('-', blank2 + 1);
    if (dash == std::string::npos) return zone;
    const size_t close = text.find(')', dash + 1);
    if (close == std::string::npos) return zone;
    const ZoneRule start = parseRule(text.substr(blank2 + 1, dash - blank2 - 1));
    const ZoneRule end = parseRule(text.substr(dash + 1, close - dash - 1));
    if (!start.inRange() || !end.inRange()) return zone;  // no daylight saving
    zone.dstDelta = parseOffset(text.substr(open + 1, blank2 - open - 1));
    zone.dstStart = start;
    zone.dstEnd = end;
    return zone;
}

int32_t ZoneInfo::parseOffset(const std::string& text) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    if (text.size() == 6 && text[3] == ':' && isDigit(text[1]) && isDigit(text[2]) &&
        isDigit(text[4]) && isDigit(text[5])) {
        hours = twoDigits(text, 1);
        minutes = twoDigits(text, 4);
    } else if (text.size() == 5 && isDigit(text[1]) && isDigit(text[2]) && isDigit(text[3]) &&
               isDigit(text[4])) {
        hours = twoDigits(text, 1);
        minutes = twoDigits(text, 3);
    } else {
        return 0;
    }
    const int32_t value = hours * 3600 + minutes * 60;
    return text[0] == '-' ? -value : value;
}

std::string ZoneInfo::formatOffset(int32_t seconds, bool withColon) {
    const int64_t magnitude = seconds < 0 ? -int64_t{seconds} : int64_t{seconds};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%02lld%s%02lld", seconds < 0 ? '-' : '+',
                  static_cast<long long>(magnitude / 3600), withColon ? ":" : "",
                  static_cast<long long>(magnitude % 3600 / 60));
    return buf;
}

ZoneInfo ZoneInfo::fromText(const std::string& text, int32_t utcSeconds, const ZoneInfo& local) {
    if (wildcardMatch(text, "???:?? (???:?? *M*W*D*H-*M*W*D*H)")) return parse(text);
    int64_t inForce = 0;
    if (wildcardMatch(text, "+????*") || wildcardMatch(text, "-????*")) {
        inForce = text.size() >= 6 && text[3] == ':' ? parseOffset(text.substr(0, 6))
                                                     : parseOffset(text.substr(0, 5));
    } else {
        inForce = leadingNumber(text) * 60;
    }
    ZoneInfo zone = local;
    zone.valid = true;
    const int64_t dst = local.isDst(utcSeconds) ? local.dstDelta : 0;
    zone.offset = civil::clampTo32(inForce - dst);
    return zone;
}

ZoneInfo ZoneInfo::fromText(const std::string& text, int32_t utcSeconds) {
    return fromText(text, utcSeconds, DateTime::localZone());
}

ZoneInfo ZoneInfo::fromRuntime(int32_t year) {
    RuntimeTzOverrideAside aside;
    return sampleRuntimeYear(year);
}

ZoneInfo ZoneInfo::fromRuntime() {
    RuntimeTzOverrideAside aside;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    const int32_t year = local != nullptr ? local->tm_year + 1900 + 1 : 1971;
    return sampleRuntimeYear(year);
}

}  // namespace Velmar
