#include "shared/library/logger/LoggerUnitLog.h"

#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/ParamStream.h"

#include <limits>

namespace Velmar {

namespace {

ParamStream toStream(const LogParams& params) {
    ParamStream stream;
    for (const LogParam& p : params) {
        if (p.tag != kNumberTag) {
            stream << p.text;
        } else if (p.number >= std::numeric_limits<int>::min() &&
                   p.number <= std::numeric_limits<int>::max()) {
            stream << static_cast<int>(p.number);
        } else {
            stream << static_cast<unsigned int>(p.number);
        }
    }
    return stream;
}

}  // namespace

LoggerUnit* LoggerUnitLog::unit() const { return handle_ != nullptr ? handle_->get() : unit_; }

int32_t LoggerUnitLog::debugLevel() const { return Velmar::debugLevel(); }

void LoggerUnitLog::debug(int32_t level, const char* format, const LogParams& params) {
    LoggerUnit* const target = unit();
    if (target == nullptr || !LoggerUnit::wantsDebug(level)) return;
    try {
        if (params.empty()) {
            target->debug(level, format);
        } else {
            target->debug(level, format, toStream(params));
        }
    } catch (...) {
        // The chain has nowhere else to report.
    }
}

void LoggerUnitLog::message(Severity severity, int32_t number, const LogParams& params) {
    LoggerUnit* const target = unit();
    if (target == nullptr) return;
    switch (severity) {
        case kSeverityNotice: target->notice(number, toStream(params)); break;
        case kSeverityWarning: target->warning(number, toStream(params)); break;
        case kSeverityError: target->error(number, toStream(params)); break;
        case kSeverityCritical: target->critical(number, toStream(params)); break;
        case kSeverityFatal: target->fatal(number, toStream(params)); break;
        default:  // the threshold-only values name no message
            break;
    }
}

}  // namespace Velmar
