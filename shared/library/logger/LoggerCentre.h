// The process's hub of logging: stamps each record with the application
// number and hands its text form to the messenger.
#pragma once

#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRecord.h"

#include <cstdint>

namespace Velmar {

class LoggerCentre {
public:
    LoggerCentre(int32_t application, SmartPointer<LogMessenger> messenger);
    virtual ~LoggerCentre();

    LoggerCentre(const LoggerCentre&) = delete;
    LoggerCentre& operator=(const LoggerCentre&) = delete;

    // Sets the record's application, and returns the messenger's send of the
    // record text; false without a messenger. Exceptions of the messenger pass.
    bool send(LogRecord& record);

    int32_t application() const { return application_; }
    const SmartPointer<LogMessenger>& messenger() const { return messenger_; }

private:
    int32_t application_;
    SmartPointer<LogMessenger> messenger_;
};

}  // namespace Velmar
