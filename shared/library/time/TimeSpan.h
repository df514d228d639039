// A signed length of time in whole seconds, read from reduced ISO 8601
// durations ("P1DT2H3M4S") or built from days, hours, minutes and seconds.
#pragma once

#include "shared/library/time/TimeBase.h"

#include <cstdint>
#include <string>

namespace Velmar {

// The parts of a span as written; the result of TimeSpan::parse.
struct SpanComponents {
    int32_t days = 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    bool negative = false;
};

class TimeSpan : public TimeBase {
public:
    TimeSpan() = default;
    explicit TimeSpan(int32_t seconds) : TimeBase(seconds) {}
    // ((days * 24 + hours) * 60 + minutes) * 60 + seconds, without range checks;
    // a total outside the 32-bit range wraps round.
    TimeSpan(int32_t days, int32_t hours, int32_t minutes, int32_t seconds);
    // As above, negated when components.negative is set.
    explicit TimeSpan(const SpanComponents& components);
    TimeSpan(const TimeSpan&) = default;
    TimeSpan& operator=(const TimeSpan&) = default;
    ~TimeSpan() override;

    bool operator<=(const TimeSpan& other) const { return seconds_ <= other.seconds_; }
    bool operator!=(const TimeSpan& other) const { return seconds_ != other.seconds_; }
    bool operator==(const TimeSpan& other) const { return seconds_ == other.seconds_; }

    // Range-checked assignment. Throws TimeException TM_DAYS (days outside
    // -24855..24855, or a total beyond the 32-bit range), TM_HOURS (0..23),
    // TM_MINUTES (0..59) or TM_SECONDS (0..59), checked in that order; the span is
    // unchanged when it throws.
    void set(int32_t days, int32_t hours, int32_t minutes, int32_t seconds);

    // Reads "P[-]...nD...nH...nM...nS": the digits just before the first "D",
    // "H", "M" and "S" give days, hours, minutes and seconds; anything else is
    // ignored and nothing is range-checked. A digit run beyond the 32-bit range
    // counts as 2147483647. An empty text gives zero. Throws TimeException
    // TM_INPUT when the text does not begin with "P".
    static SpanComponents parse(const std::string& text);
};

}  // namespace Velmar
