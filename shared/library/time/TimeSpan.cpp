#include "shared/library/time/TimeSpan.h"

#include "shared/library/common/Exception.h"

#include <limits>

namespace Velmar {

namespace {

constexpr int32_t kMaxDays = 24855;  // largest whole number of days that fits in 32 bits
constexpr int64_t kMaxValue = std::numeric_limits<int32_t>::max();

int64_t totalSeconds(int64_t days, int64_t hours, int64_t minutes, int64_t seconds) {
    return ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
}

// Spans do not check arithmetic for overflow; the total wraps modulo 2^32.
int32_t wrapTo32(int64_t value) {
    const uint32_t bits = static_cast<uint32_t>(static_cast<uint64_t>(value));
    return bits <= static_cast<uint32_t>(kMaxValue)
               ? static_cast<int32_t>(bits)
               : static_cast<int32_t>(static_cast<int64_t>(bits) - (int64_t{1} << 32));
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number made of the digits that end just before position end.
int32_t digitsBefore(const std::string& text, size_t end) {
    size_t begin = end;
    while (begin > 0 && isDigit(text[begin - 1])) --begin;
    int64_t value = 0;
    for (size_t i = begin; i < end; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxValue) return static_cast<int32_t>(kMaxValue);
    }
    return static_cast<int32_t>(value);
}

}  // namespace

TimeSpan::TimeSpan(int32_t days, int32_t hours, int32_t minutes, int32_t seconds)
    : TimeBase(wrapTo32(totalSeconds(days, hours, minutes, seconds))) {}

TimeSpan::TimeSpan(const SpanComponents& c) {
    const int64_t total = totalSeconds(c.days, c.hours, c.minutes, c.seconds);
    seconds_ = wrapTo32(c.negative ? -total : total);
}

TimeSpan::~TimeSpan() = default;

void TimeSpan::set(int32_t days, int32_t hours, int32_t minutes, int32_t seconds) {
    if (days < -kMaxDays || days > kMaxDays)
        VELMAR_THROW(TimeException, TimeException::TM_DAYS, "");
    if (static_cast<uint32_t>(hours) > 23) VELMAR_THROW(TimeException, TimeException::TM_HOURS, "");
    if (static_cast<uint32_t>(minutes) > 59)
        VELMAR_THROW(TimeException, TimeException::TM_MINUTES, "");
    if (static_cast<uint32_t>(seconds) > 59)
        VELMAR_THROW(TimeException, TimeException::TM_SECONDS, "");
    // 24855 days plus more than 3:14:07 no longer fits: refuse it rather than wrap.
    const int64_t total = totalSeconds(days, hours, minutes, seconds);
    if (total > kMaxValue) VELMAR_THROW(TimeException, TimeException::TM_DAYS, "");
    seconds_ = static_cast<int32_t>(total);
}

SpanComponents TimeSpan::parse(const std::string& text) {
    SpanComponents result;
    if (text.empty()) return result;
    if (text[0] != 'P') {
        VELMAR_THROW(TimeException, TimeException::TM_INPUT,
                     "Expected 'P' in beginning of time span.");
    }
    result.negative = text.size() > 1 && text[1] == '-';
    struct Part {
        char letter;
        int32_t SpanComponents::*field;
    };
    static const Part kParts[] = {{'D', &SpanComponents::days},
                                  {'H', &SpanComponents::hours},
                                  {'M', &SpanComponents::minutes},
                                  {'S', &SpanComponents::seconds}};
    for (const Part& part : kParts) {
        const size_t at = text.find(part.letter);
        if (at != std::string::npos) result.*part.field = digitsBefore(text, at);
    }
    return result;
}

}  // namespace Velmar
