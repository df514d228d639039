// What the configuration reader says while it works, as an interface, so that
// the parser and the lookups stay free of the logging layer: the reader hands
// them an adapter over its logger unit, tests hand them a recorder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

// One parameter of a message: a text, or a number (which fills "%i").
struct ConfLogParam {
    ConfLogParam(const std::string& value) : text(value) {}
    ConfLogParam(const char* value) : text(value) {}
    ConfLogParam(int32_t value) : isNumber(true), number(value) {}

    bool isNumber = false;
    std::string text;
    int32_t number = 0;
};

using ConfLogParams = std::vector<ConfLogParam>;

class ConfLog {
public:
    // The numbered messages of the Configuration module.
    enum Message : int32_t {
        kCannotReadFile = 1,       // (file name, exception text or "Unknown")
        kSyntaxError = 2,          // (file name, exception text)
        kUnresolvableValue = 3,    // (key)
    };

    virtual ~ConfLog() = default;

    // A debug message at `level` (1 coarse to 5 finest); `format` holds "%s" and
    // "%i" placeholders filled in order from `params`.
    virtual void debug(int32_t level, const char* format, const ConfLogParams& params) = 0;

    // ERROR message `number` of the Configuration module.
    virtual void error(int32_t number, const ConfLogParams& params) = 0;
};

}  // namespace Velmar
