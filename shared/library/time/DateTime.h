// A point in time with one-second resolution: UTC seconds since 1970 in a
// signed 32-bit value (so the range ends at 2038-01-19 03:14:07 UTC), with the
// zone it was made in or is to be shown in.
#pragma once

#include "shared/library/time/TimeBase.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/time/ZoneInfo.h"

#include <cstdint>
#include <string>

namespace Velmar {

class DateTime : public TimeBase {
public:
    // The current time, whole seconds (a clock past 2038 gives the latest
    // instant). The first call in the process reads "VELMAR_TZ" (see localZone).
    DateTime();
    // The given number of UTC seconds since 1970, no zone.
    explicit DateTime(int32_t utcSeconds);
    // Calendar fields in UTC (see set).
    DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
             int32_t second);
    // Calendar fields in a zone (see set).
    DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
             const ZoneInfo& zone, bool dstCorrection);
    ~DateTime() override;

    // Sets the time from calendar fields in UTC and clears the zone. Fields are
    // clamped, never rejected: year 1970..2038, month 1..12, day 1..length of the
    // month, hour 0..23, minute and second 0..59, and the whole at most the
    // latest instant.
    void set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
             int32_t second);
    // As above, the fields being local standard time of `zone` (when valid), which
    // is stored with the time. With dstCorrection the fields are read as the
    // local clock: an hour of daylight saving time is taken off when it is in
    // force. A result beyond the 32-bit range is clamped to it.
    void set(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
             const ZoneInfo& zone, bool dstCorrection);

    // The zone the time was made in or is to be shown in; not valid for UTC.
    const ZoneInfo& zone() const { return zone_; }
    void setZone(const ZoneInfo& zone) { zone_ = zone; }
    // The zone of the local texts: the own zone when valid, else localZone().
    ZoneInfo shownZone() const;

    // Truncates the time to a multiple of the span on the local clock of `zone`.
    // Spans of one second or less change nothing; one week truncates to the
    // start of the local Monday; after truncation across a daylight-saving change
    // the result is corrected by the delta, so one day gives local midnight.
    void floor(const TimeSpan& span, const ZoneInfo& zone);

    // "YYYY-MM-DD" ("YYYYMMDD" compact) and "HH:MM:SS" ("HHMMSS") in UTC.
    std::string dateText(bool compact = false) const;
    std::string timeText(bool compact = false) const;
    // Date, "T", time, "Z" in UTC, followed on request by the UTC offset in force
    // in the time's own zone ("+00:00" when it has none).
    std::string fullText(bool withZoneOffset = false) const;
    // The same texts on the local clock of shownZone(); the full local text ends,
    // on request, with the UTC offset in force ("+02:00").
    std::string localDateText(bool compact = false) const;
    std::string localTimeText(bool compact = false) const;
    std::string localText(bool withOffset = false) const;

    // "YYYY-MM-DDTHH:MM:SSZ", the full UTC text (the date form of lock files).
    std::string toText() const;
    // "YYYYMMDDTHHMMSSZ", the compact full UTC text.
    std::string toCompactText() const;
    // Reads exactly the forms toText and toCompactText write. Returns false and
    // leaves the object unchanged when the text has another form, names no real
    // date or lies outside the 32-bit range; on success the zone is cleared.
    // Never throws.
    bool fromText(const std::string& text);

    // The zone of local time: the "VELMAR_TZ" zone when one was read, else the
    // operating-system zone, derived through the runtime library and derived
    // again when older than an hour.
    static ZoneInfo localZone();

    // Forgets the process-wide zone state (the "VELMAR_TZ" read and the cached
    // operating-system zone), so that tests can run the first-use path again.
    static void resetZoneStateForTests();

private:
    // Sets the time from validated UTC fields; false (unchanged) when they name
    // no real date or lie outside the 32-bit range.
    bool setFromUtcFields(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                          int32_t second);

    ZoneInfo zone_;
};

}  // namespace Velmar
