#include "shared/library/logger/LogMessengerIPC.h"

#include "shared/library/common/Exception.h"
#include "shared/library/ipc/IPCClient.h"

#include <memory>
#include <new>

namespace Velmar {

namespace {
// Where a dropped send failure is marked as having passed.
constexpr const char* kTraceUnit = "shared/library/logger/LogMessengerIPC";
constexpr int32_t kTraceLine = 50;
}  // namespace

LogMessengerIPC::LogMessengerIPC() : endpoint_(kCoreEndpoint) {}

LogMessengerIPC::LogMessengerIPC(SmartPointer<LoggerAgent> agent, const std::string& endpoint)
    : LogMessenger(std::move(agent)), endpoint_(endpoint) {}

LogMessengerIPC::~LogMessengerIPC() = default;

bool LogMessengerIPC::send(const std::string& recordText) {
    const bool written = LogMessenger::send(recordText);
    if (isDebugText(recordText)) return written;
    if (!ipcClient_) {
        try {
            ipcClient_ = std::make_unique<IPCClient>(endpoint_);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    try {
        ipcClient_->send(kLogCommand, "", recordText, "");
    } catch (IPCException& e) {
        // The core service may be absent: that costs the message, not the line.
        e.addTrace(kTraceUnit, kTraceLine);
    } catch (...) {
    }
    return written;
}

}  // namespace Velmar
