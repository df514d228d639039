// The application's logging interface over a logger unit of the logging layer:
// over a unit itself, or over a handle to a unit that may be empty.
#pragma once

#include "app/AppLog.h"
#include "shared/library/common/SmartPointer.h"

namespace Velmar {

class LoggerUnit;

class LoggerUnitLog : public AppLog {
public:
    // The unit must outlive this object.
    explicit LoggerUnitLog(LoggerUnit& unit) : unit_(unit) {}

    // The process-wide debug level of the logging layer.
    int32_t debugLevel() const override;
    // Handed to the unit with the parameters in a parameter stream; an
    // exception from the chain below is swallowed.
    void debug(int32_t level, const char* format, const LogParams& params) override;
    void message(Severity severity, int32_t number, const LogParams& params) override;

private:
    LoggerUnit& unit_;
};

// AppLog over a logger handle that may still be empty (or empty again): while
// it is, nothing is written. The handle must outlive this object.
class LoggerHandleLog : public AppLog {
public:
    explicit LoggerHandleLog(const SmartPointer<LoggerUnit>& handle) : handle_(handle) {}
    int32_t debugLevel() const override;
    void debug(int32_t level, const char* format, const LogParams& params) override;
    void message(Severity severity, int32_t number, const LogParams& params) override;

private:
    const SmartPointer<LoggerUnit>& handle_;
};

}  // namespace Velmar
