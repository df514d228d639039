// The application's logging interface over a logger unit of the logging layer.
#pragma once

#include "app/AppLog.h"

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

}  // namespace Velmar
