#include "shared/library/logger/LoggerUnit.h"

#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogRecord.h"
#include "shared/library/logger/LoggerCentre.h"

#include <utility>

namespace Velmar {
namespace {

constexpr int32_t kLifecycleLevel = 1;
const char kCreatedFormat[] = "LoggerUnit: Created logger for the %s module.";
const char kDestroyedFormat[] = "LoggerUnit: Destroyed logger for the %s module.";

bool passesThreshold(int32_t severity) { return severityThreshold() <= severity; }

}  // namespace

LoggerUnit::LoggerUnit(const SmartPointer<LoggerCentre>& centre, int32_t module)
    : centre_(centre.get()), module_(module) {
    try {
        debug(kLifecycleLevel, kCreatedFormat, moduleName(module_));
    } catch (...) {
        // The unit is made even when its first line cannot be written.
    }
}

LoggerUnit::~LoggerUnit() {
    try {
        debug(kLifecycleLevel, kDestroyedFormat, moduleName(module_));
    } catch (...) {
        // A destructor must not throw; the line is lost.
    }
    centre_ = nullptr;
}

bool LoggerUnit::debug(int32_t level, const char* format, ParamStream params) {
    if (!wantsDebug(level)) return true;
    std::string text = format != nullptr ? format : "";
    substituteParameters(text, params.content());
    return sendDebug(level, std::move(text));
}

bool LoggerUnit::notice(int32_t number) { return sendCatalogue(kSeverityNotice, number, ""); }

bool LoggerUnit::notice(int32_t number, ParamStream params) {
    return sendCatalogue(kSeverityNotice, number, params.content());
}

bool LoggerUnit::warning(int32_t number) { return sendCatalogue(kSeverityWarning, number, ""); }

bool LoggerUnit::warning(int32_t number, ParamStream params) {
    return sendCatalogue(kSeverityWarning, number, params.content());
}

bool LoggerUnit::error(int32_t number) { return sendCatalogue(kSeverityError, number, ""); }

bool LoggerUnit::error(int32_t number, ParamStream params) {
    return sendCatalogue(kSeverityError, number, params.content());
}

bool LoggerUnit::critical(int32_t number, ParamStream params) {
    return sendCatalogue(kSeverityCritical, number, params.content());
}

bool LoggerUnit::fatal(int32_t number) { return sendCatalogue(kSeverityFatal, number, ""); }

bool LoggerUnit::fatal(int32_t number, ParamStream params) {
    return sendCatalogue(kSeverityFatal, number, params.content());
}

bool LoggerUnit::sendDebug(int32_t level, std::string text) {
    if (centre_ == nullptr) return false;
    LogRecord record;
    record.kind = LogRecord::kDebug;
    record.debugLevel = level;
    // Debug texts carry host data too (paths, registry names).
    blankSeparatorBytes(text);
    record.text = std::move(text);
    return deliver(record);
}

bool LoggerUnit::sendCatalogue(int32_t severity, int32_t number, const std::string& content) {
    if (!passesThreshold(severity)) return true;
    if (centre_ == nullptr) return false;
    try {
        LogRecord record;
        record.kind = LogRecord::kCatalogue;
        record.severity = severity;
        record.messageNumber = number;
        record.text = content;
        return deliver(record);
    } catch (...) {
        // Catalogue messages never throw to the code that logs them.
        return false;
    }
}

bool LoggerUnit::deliver(LogRecord& record) {
    record.module = module_;
    record.time = currentLogTime();
    record.timeMode = timeMode();
    record.threadId = currentLogThreadId();
    return centre_->send(record);
}

}  // namespace Velmar
