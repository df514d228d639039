#include "shared/library/logger/LoggerCentre.h"

#include <utility>

namespace Velmar {

LoggerCentre::LoggerCentre(int32_t application, SmartPointer<LogMessenger> messenger)
    : application_(application), messenger_(std::move(messenger)) {}

LoggerCentre::~LoggerCentre() = default;

bool LoggerCentre::send(LogRecord& record) {
    record.application = application_;
    if (messenger_ == nullptr) return false;
    return messenger_->send(recordToText(record));
}

}  // namespace Velmar
