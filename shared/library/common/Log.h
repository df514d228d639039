// The one logging interface of the layers above the logger: the configuration
// reader, the Start-menu scanner, the name resolver and the application talk
// to it, so that they stay free of the logging layer's classes. The logging
// layer implements it over a logger unit (LoggerUnitLog); tests hand a
// recorder (tests/support/RecordingLog.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

// Severities of catalogue messages; the process-wide threshold uses the same
// numbers, plus kSeverityNone (nothing passes).
enum Severity : int32_t {
    kSeverityNotice = 0,
    kSeverityWarning = 1,
    kSeverityError = 2,
    kSeverityCritical = 3,
    kSeverityFatal = 4,
    kSeverityNone = 5,     // threshold only: "NONE" or "NOTHING"
    kSeverityInvalid = 6,  // a name that is no severity; never a threshold
};

// One message parameter, tagged as the logger's parameter stream tags it:
// 's' for a text, 'n' for a number (kept as `number`, and as decimal text).
struct LogParam {
    LogParam(const std::string& value) : tag('s'), text(value) {}  // NOLINT: implicit by design
    LogParam(const char* value) : tag('s'), text(value) {}         // NOLINT
    LogParam(int32_t value) : tag('n'), text(std::to_string(value)), number(value) {}   // NOLINT
    LogParam(uint32_t value) : tag('n'), text(std::to_string(value)), number(value) {}  // NOLINT

    char tag;
    std::string text;
    int64_t number = 0;
};
using LogParams = std::vector<LogParam>;

class Log {
public:
    virtual ~Log() = default;

    // The process's debug level (0 to 5). Callers test it before they build the
    // parameters of a message that a lower level would drop.
    virtual int32_t debugLevel() const = 0;
    // A debug message at `level` (1 coarse to 5 finest); `format` holds the
    // logger's placeholders ("%s", "%i"), filled from `params` in order.
    virtual void debug(int32_t level, const char* format, const LogParams& params = {}) = 0;
    // Catalogue message `number` of the caller's module. Never throws.
    virtual void message(Severity severity, int32_t number, const LogParams& params = {}) = 0;
};

// A debug message whose parameters are built only when `level` passes the
// debug level, so that a filtered-out call costs one test.
template <class... Params>
void debugLog(Log& log, int32_t level, const char* format, const Params&... params) {
    if (level <= log.debugLevel()) log.debug(level, format, LogParams{LogParam(params)...});
}

}  // namespace Velmar
