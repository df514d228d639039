// The logging interface of the application's units: debug messages with a
// level and a format, catalogue messages with a severity and a number. The
// application connects it to its logger unit; tests record what arrives.
#pragma once

#include "scan/StocksweepMessages.h"
#include "shared/library/logger/LogCommons.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

// One message parameter, tagged as the logger's parameter stream tags it:
// 's' for a text, 'n' for a number (kept as `number`, and as decimal text).
struct LogParam {
    LogParam(const std::string& value) : tag('s'), text(value) {}  // NOLINT: implicit by design
    LogParam(const char* value) : tag('s'), text(value) {}          // NOLINT
    LogParam(int32_t value) : tag('n'), text(std::to_string(value)), number(value) {}   // NOLINT
    LogParam(uint32_t value) : tag('n'), text(std::to_string(value)), number(value) {}  // NOLINT

    char tag;
    std::string text;
    int64_t number = 0;
};
using LogParams = std::vector<LogParam>;

class AppLog {
public:
    virtual ~AppLog() = default;

    // The process's debug level (0 to 5). Callers test it before they build the
    // parameters of a message that a lower level would drop.
    virtual int32_t debugLevel() const = 0;
    // `format` holds the logger's placeholders ("%s", "%i"), filled from `params`
    // in order. Never throws.
    virtual void debug(int32_t level, const char* format, const LogParams& params = {}) = 0;
    // A catalogue message of this program's module. Never throws.
    virtual void message(Severity severity, int32_t number, const LogParams& params = {}) = 0;
};

}  // namespace Velmar
