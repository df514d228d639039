// Span texts from configuration files: parsing must never crash or overflow, and
// everything but a missing leading "P" must parse.
#include "fuzz/FuzzCheck.h"
#include "shared/library/common/Exception.h"
#include "shared/library/time/TimeSpan.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Velmar::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Velmar::SpanComponents parts = Velmar::TimeSpan::parse(text);
        check(text.empty() || text[0] == 'P', "only a text with a leading P parses");
        check(parts.days >= 0 && parts.hours >= 0 && parts.minutes >= 0 && parts.seconds >= 0,
              "parsed components are not negative");
        const Velmar::TimeSpan span(parts);
        (void)span.getSeconds();
        Velmar::TimeSpan checked;
        try {
            checked.set(parts.days, parts.hours, parts.minutes, parts.seconds);
            check(checked.getSeconds() == span.getSeconds() || parts.negative,
                  "set() agrees with the parsed span");
        } catch (const Velmar::TimeException&) {
        }
    } catch (const Velmar::TimeException& e) {
        check(e.code() == Velmar::TimeException::TM_INPUT && (text.empty() || text[0] != 'P'),
              "only a missing leading P fails, with TM_INPUT");
    }
    return 0;
}
