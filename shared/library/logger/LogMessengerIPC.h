// LogMessengerIPC: the messenger the program uses. Besides delivering every
// record to the log file as LogMessenger does, it forwards catalogue records
// to the suite's core service through the mailslot "Velmar_Core". Forwarding
// is best effort: its failures are dropped without a trace in the log.
#pragma once

#include "shared/library/logger/LogMessenger.h"

#include <memory>
#include <string>

namespace Velmar {

class IPCClient;

class LogMessengerIPC : public LogMessenger {
public:
    // The endpoint that reads the suite's catalogue messages.
    static constexpr const char* kCoreEndpoint = "Velmar_Core";
    // The command that carries one record.
    static constexpr const char* kLogCommand = "LOGMSG";

    // As LogMessenger(): a log file agent on "Velmar_Debug.log"; no client yet.
    LogMessengerIPC();
    // Delivers to `agent` and forwards to the mailslot `endpoint`.
    LogMessengerIPC(SmartPointer<LoggerAgent> agent, const std::string& endpoint);
    ~LogMessengerIPC() override;

    // Delivers the record locally; then, for a catalogue record, sends it as
    // "LOGMSG" with an empty second field and the record text as body. Returns
    // the result of the local delivery, or false when the client cannot be
    // made. Mailslot failures never reach the caller.
    bool send(const std::string& recordText) override;

private:
    std::string endpoint_;
    std::unique_ptr<IPCClient> ipcClient_;
};

}  // namespace Velmar
