// The ConfLog of the configuration reader: passes each message to a logger
// unit, parameters as a ParamStream (texts as texts, numbers as numbers).
#pragma once

#include "shared/library/common/ConfLog.h"

namespace Velmar {

class LoggerUnit;

class ConfLoggerLog : public ConfLog {
public:
    // The unit is not owned; null drops every message.
    explicit ConfLoggerLog(LoggerUnit* unit) : unit_(unit) {}

    // Exceptions of the unit's debug pass to the caller, as the unit's do.
    void debug(int32_t level, const char* format, const ConfLogParams& params) override;
    void error(int32_t number, const ConfLogParams& params) override;

    void setUnit(LoggerUnit* unit) { unit_ = unit; }

private:
    LoggerUnit* unit_;
};

}  // namespace Velmar
