#include "app/LoggerUnitLog.h"

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

int32_t LoggerUnitLog::debugLevel() const {
    return Velmar::debugLevel();
}

void LoggerUnitLog::debug(int32_t level, const char* format, const LogParams& params) {
    if (!LoggerUnit::wantsDebug(level)) return;
    try {
        if (params.empty()) {
            unit_.debug(level, format);
        } else {
            unit_.debug(level, format, toStream(params));
        }
    } catch (...) {
        // Logging never stops the scan; the chain has nowhere else to report.
    }
}

void LoggerUnitLog::message(Severity severity, int32_t number, const LogParams& params) {
    switch (severity) {
    case kSeverityNotice:
        unit_.notice(number);
        break;
    case kSeverityWarning:
        unit_.warning(number, toStream(params));
        break;
    case kSeverityError:
        unit_.error(number, toStream(params));
        break;
    case kSeverityCritical:
        unit_.critical(number, toStream(params));
        break;
    case kSeverityFatal:
        unit_.fatal(number, toStream(params));
        break;
    default:  // the threshold-only values name no message
        break;
    }
}

int32_t LoggerHandleLog::debugLevel() const {
    return Velmar::debugLevel();
}

void LoggerHandleLog::debug(int32_t level, const char* format, const LogParams& params) {
    if (handle_) LoggerUnitLog(*handle_).debug(level, format, params);
}

void LoggerHandleLog::message(Severity severity, int32_t number, const LogParams& params) {
    if (handle_) LoggerUnitLog(*handle_).message(severity, number, params);
}

}  // namespace Velmar
