#include "shared/library/common/ConfLoggerLog.h"

#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/ParamStream.h"

namespace Velmar {
namespace {

ParamStream toStream(const ConfLogParams& params) {
    ParamStream stream;
    for (const ConfLogParam& p : params) {
        if (p.isNumber) {
            stream << static_cast<int>(p.number);
        } else {
            stream << p.text;
        }
    }
    return stream;
}

}  // namespace

void ConfLoggerLog::debug(int32_t level, const char* format, const ConfLogParams& params) {
    // Filtered first, so that a lookup at a coarse level builds no parameters.
    if (unit_ == nullptr || !LoggerUnit::wantsDebug(level)) return;
    if (params.empty()) {
        unit_->debug(level, format);
    } else {
        unit_->debug(level, format, toStream(params));
    }
}

void ConfLoggerLog::error(int32_t number, const ConfLogParams& params) {
    if (unit_ != nullptr) unit_->error(number, toStream(params));
}

}  // namespace Velmar
