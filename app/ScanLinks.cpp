#include "app/ScanLinks.h"

#include "app/LoggerUnitLog.h"
#include "shared/library/logger/LogSettings.h"

namespace Velmar {

namespace {

const char kLeaveOut[] = "!";

}  // namespace

int32_t LoggerHandleLog::debugLevel() const {
    return Velmar::debugLevel();
}

void LoggerHandleLog::debug(int32_t level, const char* format, const LogParams& params) {
    if (handle_) LoggerUnitLog(*handle_).debug(level, format, params);
}

void LoggerHandleLog::message(Severity severity, int32_t number, const LogParams& params) {
    if (handle_) LoggerUnitLog(*handle_).message(severity, number, params);
}

std::string ExeFinderResolver::applicationName(const std::string& path) {
    return handle_ ? handle_->getApplicationName(path) : kLeaveOut;
}

}  // namespace Velmar
