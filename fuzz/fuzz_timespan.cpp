// Span texts from configuration files: parsing must never crash or overflow, and
// everything but a missing leading "P" must parse.
#include "shared/library/common/Exception.h"
#include "shared/library/common/TimeSpan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Velmar::SpanComponents parts = Velmar::TimeSpan::parse(text);
        if (!text.empty() && text[0] != 'P') std::abort();
        if (parts.days < 0 || parts.hours < 0 || parts.minutes < 0 || parts.seconds < 0) std::abort();
        const Velmar::TimeSpan span(parts);
        (void)span.getSeconds();
        Velmar::TimeSpan checked;
        try {
            checked.set(parts.days, parts.hours, parts.minutes, parts.seconds);
            if (checked.getSeconds() != span.getSeconds() && !parts.negative) std::abort();
        } catch (const Velmar::TimeException&) {
        }
    } catch (const Velmar::TimeException& e) {
        if (e.code() != Velmar::TimeException::TM_INPUT || (!text.empty() && text[0] == 'P')) {
            std::abort();
        }
    }
    return 0;
}
