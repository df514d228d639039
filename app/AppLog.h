// The logging interface of the application's units: debug messages with a
// level and a format, catalogue messages with a severity and a number. The
// application connects it to its logger unit; tests record what arrives.
#pragma once

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

// Catalogue numbers of the messages the scan application logs.
namespace AppMessage {
constexpr int32_t kSubKeysUnlisted = 10;      // WARNING: root, key path
constexpr int32_t kValuesUnlisted = 11;       // WARNING: root, key path
constexpr int32_t kValueTextUnreadable = 12;  // WARNING: value name, root, key path
constexpr int32_t kDataFileUnopened = 13;     // CRITICAL: file name
constexpr int32_t kRecordUnwritten = 14;      // ERROR: file name
constexpr int32_t kExpansionFailed = 16;      // WARNING: system error code
}  // namespace AppMessage

}  // namespace Velmar
