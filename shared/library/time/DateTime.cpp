#include "shared/library/time/DateTime.h"

#include "shared/library/time/CivilTime.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Velmar {

namespace {

constexpr int64_t kWeek = 7 * civil::kSecondsPerDay;
constexpr int64_t kZoneCacheSeconds = 3600;

// Process-wide zone state, filled lazily; the program uses it from one thread.
struct ZoneState {
    bool envRead = false;
    bool haveEnvZone = false;
    ZoneInfo envZone;
    bool haveSystemZone = false;
    ZoneInfo systemZone;
    int64_t systemZoneDerivedAt = 0;
};

ZoneState& zoneState() {
    static ZoneState state;
    return state;
}

// The system clock in whole seconds since 1970. Not the runtime's time(): on
// Windows that one asks for the time-zone information at every call, which
// costs more than the rest of a log line's time stamp.
int64_t clockSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

void runRuntimeZoneSetup() {
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

void readEnvZoneOnce() {
    ZoneState& state = zoneState();
    if (state.envRead) return;
    state.envRead = true;
    const char* text = std::getenv("VELMAR_TZ");
    if (text != nullptr && *text != '\0') {
        state.envZone = ZoneInfo::parse(text);
        state.haveEnvZone = true;
    } else {
        runRuntimeZoneSetup();
    }
}

std::string formatDate(const civil::Fields& f, bool compact) {
    char buf[32];
    std::snprintf(buf, sizeof buf, compact ? "%04lld%02d%02d" : "%04lld-%02d-%02d",
                  static_cast<long long>(f.year), f.month, f.day);
    return buf;
}

std::string formatTime(const civil::Fields& f, bool compact) {
    char buf[32];
    std::snprintf(buf, sizeof buf, compact ? "%02d%02d%02d" : "%02d:%02d:%02d", f.hour, f.minute,
                  f.second);
    return buf;
}

// After moving a time across a daylight-saving change, put back the hour that
// the local clock gained or lost, so that the result keeps its local reading.
int64_t correctForDstChange(const ZoneInfo& zone, bool wasDst, int64_t result) {
    const bool isDst = zone.isDst(civil::clampTo32(result));
    if (wasDst && !isDst) return result + zone.dstDelta;
    if (!wasDst && isDst) return result - zone.dstDelta;
    return result;
}

bool readDigits(const std::string& text, size_t at, size_t count, int32_t& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

DateTime::DateTime() {
    readEnvZoneOnce();
    seconds_ = civil::clampTo32(clockSeconds());
}

DateTime::DateTime(int32_t utcSeconds) : TimeBase(utcSeconds) {}

DateTime::DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second) {
    set(year, month, day, hour, minute, second);
}

DateTime::DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second, const ZoneInfo& zone, bool dstCorrection) {
    set(year, month, day, hour, minute, second, zone, dstCorrection);
}

DateTime::~DateTime() = default;

void DateTime::set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second) {
    set(year, month, day, hour, minute, second, ZoneInfo(), false);
}

void DateTime::set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second, const ZoneInfo& zone, bool dstCorrection) {
    int64_t utc = civil::clampedFieldSeconds(year, month, day, hour, minute, second);
    if (zone.valid) {
        utc -= zone.offset;
        if (dstCorrection && zone.isDst(civil::clampTo32(utc))) utc -= zone.dstDelta;
    }
    seconds_ = civil::clampTo32(utc);
    zone_ = zone;
}

ZoneInfo DateTime::shownZone() const { return zone_.valid ? zone_ : localZone(); }

void DateTime::floor(const TimeSpan& span, const ZoneInfo& zone) {
    const int64_t length = span.getSeconds();
    if (length <= 1) return;
    if (length == kWeek) {
        const TimeSpan day(static_cast<int32_t>(civil::kSecondsPerDay));
        floor(day, zone);
        // Weeks start on Monday (weekday 0), as in the zone rules. The start of
        // a local day need not be its 00:00 (a change at 00:00 skips that hour),
        // so moving that start back by whole days can land an hour off Monday's
        // start. Step back to the middle of Monday instead and truncate that to
        // its day: midday is a delta away from either end of the day.
        const int64_t local = int64_t{seconds_} + zone.offsetAt(seconds_);
        const int32_t weekday = civil::fieldsFromSeconds(local).weekday;
        const int64_t mondayMidday =
            int64_t{seconds_} - weekday * civil::kSecondsPerDay + civil::kSecondsPerDay / 2;
        seconds_ = civil::clampTo32(mondayMidday);
        floor(day, zone);
        return;
    }
    const bool wasDst = zone.isDst(seconds_);
    const int64_t offset = zone.offsetAt(seconds_);
    const int64_t local = int64_t{seconds_} + offset;
    // A floored remainder, so that local times before 1970 move back as well.
    const int64_t truncated = local - civil::floorMod(local, length) - offset;
    seconds_ = civil::clampTo32(correctForDstChange(zone, wasDst, truncated));
}

std::string DateTime::dateText(bool compact) const {
    return formatDate(civil::fieldsFromSeconds(seconds_), compact);
}

std::string DateTime::timeText(bool compact) const {
    return formatTime(civil::fieldsFromSeconds(seconds_), compact);
}

std::string DateTime::fullText(bool withZoneOffset) const {
    std::string text = dateText() + "T" + timeText() + "Z";
    if (withZoneOffset) text += ZoneInfo::formatOffset(zone_.offsetAt(seconds_));
    return text;
}

std::string DateTime::localDateText(bool compact) const {
    const ZoneInfo zone = shownZone();
    return formatDate(civil::fieldsFromSeconds(int64_t{seconds_} + zone.offsetAt(seconds_)),
                      compact);
}

std::string DateTime::localTimeText(bool compact) const {
    const ZoneInfo zone = shownZone();
    return formatTime(civil::fieldsFromSeconds(int64_t{seconds_} + zone.offsetAt(seconds_)),
                      compact);
}

std::string DateTime::localText(bool withOffset) const {
    const ZoneInfo zone = shownZone();
    const int32_t offset = zone.offsetAt(seconds_);
    const civil::Fields f = civil::fieldsFromSeconds(int64_t{seconds_} + offset);
    std::string text = formatDate(f, false) + "T" + formatTime(f, false);
    if (withOffset) text += ZoneInfo::formatOffset(offset);
    return text;
}

std::string DateTime::toText() const { return fullText(false); }

std::string DateTime::toCompactText() const { return dateText(true) + "T" + timeText(true) + "Z"; }

bool DateTime::fromText(const std::string& text) {
    // Where the fields of each form start: year, month, day, hour, minute,
    // second; the bytes in between must be the punctuation of the form.
    struct Form {
        size_t length;
        size_t start[6];
        const char* punctuation;  // the whole form, "#" for a digit
    };
    static const Form kForms[] = {
        {20, {0, 5, 8, 11, 14, 17}, "####-##-##T##:##:##Z"},
        {16, {0, 4, 6, 9, 11, 13}, "########T######Z"},
    };
    static const size_t kWidth[6] = {4, 2, 2, 2, 2, 2};
    for (const Form& form : kForms) {
        if (text.size() != form.length) continue;
        bool punctuationMatches = true;
        for (size_t i = 0; i < form.length; ++i) {
            if (form.punctuation[i] != '#' && text[i] != form.punctuation[i]) {
                punctuationMatches = false;
            }
        }
        if (!punctuationMatches) continue;
        int32_t field[6] = {};
        for (int i = 0; i < 6; ++i) {
            if (!readDigits(text, form.start[i], kWidth[i], field[i])) return false;
        }
        return setFromUtcFields(field[0], field[1], field[2], field[3], field[4], field[5]);
    }
    return false;
}

bool DateTime::setFromUtcFields(int32_t year, int32_t month, int32_t day, int32_t hour,
                                int32_t minute, int32_t second) {
    if (month < 1 || month > 12 || day < 1 || day > civil::daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return false;
    }
    const int64_t seconds = civil::secondsFromCivil(year, month, day, hour, minute, second);
    if (seconds < civil::kEarliestInstant || seconds > civil::kLatestInstant) return false;
    seconds_ = static_cast<int32_t>(seconds);
    zone_ = ZoneInfo();
    return true;
}

ZoneInfo DateTime::localZone() {
    ZoneState& state = zoneState();
    if (state.haveEnvZone) return state.envZone;
    const int64_t now = clockSeconds();
    const int64_t age = now - state.systemZoneDerivedAt;
    if (!state.haveSystemZone || age < 0 || age >= kZoneCacheSeconds) {
        state.systemZone = ZoneInfo::fromRuntime();
        state.systemZoneDerivedAt = now;
        state.haveSystemZone = true;
    }
    return state.systemZone;
}

void DateTime::resetZoneStateForTests() { zoneState() = ZoneState(); }

}  // namespace Velmar
