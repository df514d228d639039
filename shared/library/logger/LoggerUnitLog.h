// The logging interface over a logger unit: over a unit that may be null (and
// replaced), or over a handle to a unit that may still be empty (or empty
// again). While there is no unit, nothing is written.
#pragma once

#include "shared/library/common/Log.h"
#include "shared/library/common/SmartPointer.h"

namespace Velmar {

class LoggerUnit;

class LoggerUnitLog : public Log {
public:
    // The unit is not owned and must outlive this object; null drops every message.
    explicit LoggerUnitLog(LoggerUnit* unit) : unit_(unit) {}
    // Follows the handle, which must outlive this object.
    explicit LoggerUnitLog(const SmartPointer<LoggerUnit>& handle) : handle_(&handle) {}

    // The process-wide debug level of the logging layer.
    int32_t debugLevel() const override;
    // Handed to the unit with the parameters in a parameter stream (texts as
    // texts, numbers as numbers), filtered by the debug level first so that a
    // filtered-out call builds nothing; an exception from the chain below is
    // swallowed: logging never stops the caller's work.
    void debug(int32_t level, const char* format, const LogParams& params = {}) override;
    void message(Severity severity, int32_t number, const LogParams& params = {}) override;

    // Replaces the unit (a handle given at construction is forgotten).
    void setUnit(LoggerUnit* unit) {
        unit_ = unit;
        handle_ = nullptr;
    }

private:
    LoggerUnit* unit() const;

    LoggerUnit* unit_ = nullptr;
    const SmartPointer<LoggerUnit>* handle_ = nullptr;
};

}  // namespace Velmar
